#include "platform/test_tray_shell.h"

#include <QCoreApplication>

#include <algorithm>

namespace kestrune::platform {

TestTrayShell::TestTrayShell() {
    detail::InstallTrayShell(this);
}

TestTrayShell::~TestTrayShell() {
    detail::InstallTrayShell(nullptr);
}

bool TestTrayShell::NotifyIcon(TrayOperation Operation, const NotifyIconData& Data) {
    if (Data.Window && std::find(FWindows.begin(), FWindows.end(), Data.Window) == FWindows.end()) {
        FWindows.push_back(Data.Window);
    }
    const auto found = std::find_if(FIcons.begin(), FIcons.end(), [&](const NotifyIconData& icon) {
        return icon.Window == Data.Window && icon.Id == Data.Id;
    });
    bool result = false;
    if (FRunning) {
        switch (Operation) {
        case TrayOperation::nimAdd:
            result = found == FIcons.end();
            if (result) {
                FIcons.push_back(Data);
            }
            break;
        case TrayOperation::nimModify:
            result = found != FIcons.end();
            if (result) {
                const std::uint32_t version = found->Version;
                *found = Data;
                found->Version = version;
            }
            break;
        case TrayOperation::nimDelete:
            result = found != FIcons.end();
            if (result) {
                FIcons.erase(found);
            }
            break;
        case TrayOperation::nimSetVersion:
            result = found != FIcons.end();
            if (result) {
                found->Version = Data.Version;
            }
            break;
        }
    }
    FCalls.push_back({Operation, Data, result});
    return result;
}

const NotifyIconData* TestTrayShell::Icon(std::uint32_t Id) const {
    const auto found = std::find_if(FIcons.begin(), FIcons.end(),
                                    [&](const NotifyIconData& icon) { return icon.Id == Id; });
    return found == FIcons.end() ? nullptr : &*found;
}

bool TestTrayShell::Notify(std::uint32_t Id, std::uint32_t Code) {
    const NotifyIconData* const icon = Icon(Id);
    if (icon == nullptr || (icon->Flags & nifMessage) == 0 || !icon->Window) {
        return false;
    }
    TrayNotifyEvent event(icon->CallbackMessage, icon->Id, Code);
    QCoreApplication::sendEvent(icon->Window, &event);
    return true;
}

void TestTrayShell::Stop() {
    FRunning = false;
    FIcons.clear();
    Tell(TrayGoneEventType());
}

void TestTrayShell::Start() {
    FRunning = true;
    FIcons.clear();
    Tell(TaskbarCreatedEventType());
}

void TestTrayShell::Tell(QEvent::Type News) {
    std::erase_if(FWindows, [](const QPointer<QObject>& window) { return window.isNull(); });
    // A copy: a window may talk to the shell while it hears the news.
    const std::vector<QPointer<QObject>> windows = FWindows;
    for (const QPointer<QObject>& window : windows) {
        if (window) {
            QEvent news(News);
            QCoreApplication::sendEvent(window, &news);
        }
    }
}

} // namespace kestrune::platform
