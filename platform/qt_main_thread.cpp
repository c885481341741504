#include "platform/qt_main_thread.h"

#include "platform/main_thread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace kestrune::platform {

QtMainThreadPump::QtMainThreadPump() {
    SetMainThreadWaker([] {
        if (QCoreApplication* const application = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                application, [] { PumpMainThreadCalls(); }, Qt::QueuedConnection);
        }
    });
    // Calls queued before the pump was there.
    PumpMainThreadCalls();
}

QtMainThreadPump::~QtMainThreadPump() {
    SetMainThreadWaker({});
}

} // namespace kestrune::platform
