#include "platform/qt_application.h"

#include <QCoreApplication>
#include <QVariant>

namespace kestrune::platform {

namespace {
constexpr const char* ShowMainFormProperty = "kestruneShowMainForm";
} // namespace

bool ShowMainForm() {
    const QCoreApplication* const application = QCoreApplication::instance();
    const QVariant value =
        application != nullptr ? application->property(ShowMainFormProperty) : QVariant();
    return !value.isValid() || value.toBool();
}

void SetShowMainForm(bool Value) {
    if (QCoreApplication* const application = QCoreApplication::instance()) {
        application->setProperty(ShowMainFormProperty, Value);
    }
}

} // namespace kestrune::platform
