#include "app/kestrune_program.h"

#include "app/form1.h"
#include "app/program_texts.h"
#include "platform/qt_application.h"
#include "platform/qt_main_thread.h"
#include "platform/qt_signal_watcher.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <memory>

namespace kestrune {

int RunKestrune(const std::vector<std::string>& Arguments) {
    const platform::QtMainThreadPump pump;
    std::unique_ptr<TForm1> form;
    try {
        form = std::make_unique<TForm1>(Arguments);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, ProgramTitle, e.what());
        return 1;
    }
    // Asked to end from outside, the program ends as its user would end it.
    const platform::QtSignalWatcher stopRequests([&form](int) { form->CloseOnRequest(); });
    // A component may have asked, while the window was built, to start in the tray.
    if (platform::ShowMainForm()) {
        form->show();
        form->activateWindow();
    }
    return QApplication::exec();
}

} // namespace kestrune
