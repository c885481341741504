#include "app/application.h"

#include "app/program_texts.h"

#include <QMessageBox>

#include <exception>

namespace kestrune {

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, ProgramTitle, e.what());
    }
    return false;
}

} // namespace kestrune
