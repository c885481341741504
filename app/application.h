#pragma once

#include <QApplication>

namespace kestrune {

// The application object. An error that reaches the event loop is shown in the
// standard error box and the program goes on, instead of ending it on the spot.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* Receiver, QEvent* Event) override;
};

} // namespace kestrune
