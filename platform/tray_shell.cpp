#include "platform/tray_shell.h"

#include "platform/qt_tray_shell.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <memory>

namespace kestrune::platform {

namespace {

TrayShell*& InstalledShell() {
    static TrayShell* shell = nullptr;
    return shell;
}

// Without an application object there is no desktop to talk to.
class AbsentTrayShell : public TrayShell {
public:
    bool NotifyIcon(TrayOperation, const NotifyIconData&) override { return false; }
    bool Available() const override { return false; }
};

} // namespace

QEvent::Type TrayNotifyEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type TaskbarCreatedEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type TrayGoneEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TrayShell& CurrentTrayShell() {
    if (TrayShell* const installed = InstalledShell()) {
        return *installed;
    }
    QCoreApplication* const application = QCoreApplication::instance();
    if (application == nullptr) {
        static AbsentTrayShell absent;
        return absent;
    }
    // The desktop's shell belongs to the application object and goes with it.
    static QPointer<QtTrayShell> desktop;
    if (!desktop) {
        desktop = std::make_unique<QtTrayShell>(application).release();
    }
    return *desktop;
}

std::array<char, 128> MakeTrayTip(const QString& Text) {
    std::array<char, 128> tip{};
    const QByteArray bytes = Text.toUtf8();
    std::size_t length = std::min<std::size_t>(bytes.size(), tip.size() - 1);
    // Back up to the start of a character when the cut falls inside one.
    while (length > 0 && length < static_cast<std::size_t>(bytes.size()) &&
           (static_cast<unsigned char>(bytes[static_cast<qsizetype>(length)]) & 0xC0) == 0x80) {
        --length;
    }
    std::memcpy(tip.data(), bytes.constData(), length);
    return tip;
}

namespace detail {

void InstallTrayShell(TrayShell* Shell) {
    InstalledShell() = Shell;
}

} // namespace detail

} // namespace kestrune::platform
