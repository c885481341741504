#include "platform/qt_tray_shell.h"

#include <QCoreApplication>

namespace kestrune::platform {

namespace {

// How often the shell looks whether the notification area has come or gone.
constexpr int WatchIntervalMs = 500;

} // namespace

QtTrayShell::QtTrayShell(QObject* AParent)
    : QObject(AParent), FTrayAvailable(QSystemTrayIcon::isSystemTrayAvailable()) {
    connect(&FWatch, &QTimer::timeout, this, &QtTrayShell::WatchTray);
    FWatch.start(WatchIntervalMs);
}

QtTrayShell::~QtTrayShell() = default;

bool QtTrayShell::NotifyIcon(TrayOperation Operation, const NotifyIconData& Data) {
    Remember(Data.Window);
    const Key key{Data.Window.data(), Data.Id};
    const auto found = FIcons.find(key);
    switch (Operation) {
    case TrayOperation::nimAdd: {
        if (found != FIcons.end() || !FTrayAvailable || !Data.Window) {
            return false;
        }
        Entry& entry = FIcons[key];
        entry.Icon = std::make_unique<QSystemTrayIcon>();
        connect(entry.Icon.get(), &QSystemTrayIcon::activated, this,
                [this, key](QSystemTrayIcon::ActivationReason reason) { Activated(key, reason); });
        Apply(entry, Data);
        entry.Icon->show();
        return true;
    }
    case TrayOperation::nimModify:
        if (found == FIcons.end()) {
            return false;
        }
        Apply(found->second, Data);
        return true;
    case TrayOperation::nimDelete:
        if (found == FIcons.end()) {
            return false;
        }
        FIcons.erase(found);
        return true;
    case TrayOperation::nimSetVersion:
        if (found == FIcons.end()) {
            return false;
        }
        found->second.Data.Version = Data.Version;
        return true;
    }
    return false;
}

void QtTrayShell::Apply(Entry& AEntry, const NotifyIconData& Data) {
    const NotifyIconData previous = AEntry.Data;
    AEntry.Data = Data;
    if ((Data.Flags & nifIcon) != 0) {
        AEntry.Icon->setIcon(Data.Icon);
    }
    if ((Data.Flags & nifTip) != 0) {
        AEntry.Icon->setToolTip(QString::fromUtf8(Data.Tip.data()));
    }
    if (previous.Window) {
        // The scheme stays as NIM_SETVERSION chose it.
        AEntry.Data.Version = previous.Version;
    }
}

void QtTrayShell::Activated(Key Icon, QSystemTrayIcon::ActivationReason Reason) {
    const auto found = FIcons.find(Icon);
    if (found == FIcons.end()) {
        return;
    }
    const Entry& entry = found->second;
    switch (Reason) {
    case QSystemTrayIcon::Trigger:
        Post(entry, TrayCode::LeftButtonDown);
        Post(entry, TrayCode::LeftButtonUp);
        break;
    case QSystemTrayIcon::DoubleClick:
        Post(entry, TrayCode::LeftButtonDoubleClick);
        Post(entry, TrayCode::LeftButtonUp);
        break;
    case QSystemTrayIcon::Context:
        Post(entry, TrayCode::RightButtonDown);
        Post(entry,
             entry.Data.Version >= Version3Tray ? TrayCode::ContextMenu : TrayCode::RightButtonUp);
        break;
    case QSystemTrayIcon::MiddleClick:
        Post(entry, TrayCode::MiddleButtonDown);
        Post(entry, TrayCode::MiddleButtonUp);
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void QtTrayShell::Post(const Entry& AEntry, std::uint32_t Code) {
    // Posted, as a shell does: the owner handles it from its event loop, not
    // inside the tray icon's own mouse handling.
    if ((AEntry.Data.Flags & nifMessage) != 0 && AEntry.Data.Window) {
        QCoreApplication::postEvent(
            AEntry.Data.Window,
            std::make_unique<TrayNotifyEvent>(AEntry.Data.CallbackMessage, AEntry.Data.Id, Code)
                .release());
    }
}

bool QtTrayShell::Available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayShell::WatchTray() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == FTrayAvailable) {
        return;
    }
    FTrayAvailable = available;
    if (!available) {
        FIcons.clear();
    }
    Tell(available ? TaskbarCreatedEventType() : TrayGoneEventType());
}

void QtTrayShell::Tell(QEvent::Type News) {
    std::erase_if(FWindows, [](const QPointer<QObject>& window) { return window.isNull(); });
    for (const QPointer<QObject>& window : FWindows) {
        QCoreApplication::postEvent(window, std::make_unique<QEvent>(News).release());
    }
}

void QtTrayShell::Remember(QObject* Window) {
    if (Window == nullptr) {
        return;
    }
    std::erase_if(FWindows, [](const QPointer<QObject>& window) { return window.isNull(); });
    if (std::find(FWindows.begin(), FWindows.end(), Window) == FWindows.end()) {
        FWindows.emplace_back(Window);
    }
}

} // namespace kestrune::platform
