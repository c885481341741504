#pragma once

#include "platform/tray_shell.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace kestrune::platform {

// The desktop's notification area through Qt: one QSystemTrayIcon per icon,
// without a context menu of its own. Qt's activations become the codes a
// window-system tray sends, in its order: a click is left down, left up; a
// double click left double click, left up; a right click right down, then
// right up (classic) or the context-menu code (version 3); a middle click
// middle down, middle up. Qt reports neither pointer movement over the icon
// nor balloon events of icons it did not show a balloon for, so those codes
// never come from here.
//
// While no notification area exists, adding fails. When it goes away its icons
// are lost; when it comes back every window that talked to the shell gets
// "TaskbarCreated" and has to add its icons again; when it goes they get the
// tray-gone event.
class QtTrayShell : public QObject, public TrayShell {
public:
    explicit QtTrayShell(QObject* AParent);
    ~QtTrayShell() override;

    bool NotifyIcon(TrayOperation Operation, const NotifyIconData& Data) override;
    // Asks the desktop now rather than waiting for the next look.
    bool Available() const override;

private:
    using Key = std::pair<const QObject*, std::uint32_t>;
    struct Entry {
        NotifyIconData Data;
        std::unique_ptr<QSystemTrayIcon> Icon;
    };

    void Apply(Entry& AEntry, const NotifyIconData& Data);
    void Activated(Key Icon, QSystemTrayIcon::ActivationReason Reason);
    void Post(const Entry& AEntry, std::uint32_t Code);
    void WatchTray();
    void Remember(QObject* Window);
    void Tell(QEvent::Type News);

    std::map<Key, Entry> FIcons;
    std::vector<QPointer<QObject>> FWindows;
    QTimer FWatch;
    bool FTrayAvailable;
};

} // namespace kestrune::platform
