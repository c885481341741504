#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

namespace kestrune::test {

// Answers the modal windows a program opens, one action per window, in order:
// the test says beforehand what the user would do with each.
class ModalDriver : public QObject {
public:
    using Action = std::function<void(QWidget& Modal)>;

    ModalDriver();
    void Then(Action Next) { FActions.push_back(std::move(Next)); }
    bool Done() const { return FActions.empty(); }

    // Types Path into a file dialog and accepts it.
    static Action ChooseFile(const QString& Path);
    // Cancels a dialog.
    static Action Cancel();
    // Takes a message box's text into Text and presses its first button.
    static Action Acknowledge(QString& Text);
    // Answers a question with Yes.
    static Action Confirm();

private:
    void Look();

    QTimer FTimer;
    std::deque<Action> FActions;
    QPointer<QWidget> FLastHandled;
};

} // namespace kestrune::test
