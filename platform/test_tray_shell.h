#pragma once

#include "platform/tray_shell.h"

#include <cstdint>
#include <vector>

namespace kestrune::platform {

// An in-process notification area for tests: while it exists it serves the
// process in place of the desktop's. It keeps the icons as a shell does (adding
// one that is there fails, changing or removing one that is not fails),
// records every call with a copy of its record, and lets a test send any
// notification and restart the shell.
class TestTrayShell : public TrayShell {
public:
    struct Call {
        TrayOperation Operation;
        NotifyIconData Data;
        bool Result;
    };

    TestTrayShell();
    ~TestTrayShell() override;

    bool NotifyIcon(TrayOperation Operation, const NotifyIconData& Data) override;
    bool Available() const override { return FRunning; }

    const std::vector<Call>& Calls() const { return FCalls; }
    void ClearCalls() { FCalls.clear(); }
    // The icons in the notification area now.
    const std::vector<NotifyIconData>& Icons() const { return FIcons; }
    // The icon with this id, or null.
    const NotifyIconData* Icon(std::uint32_t Id) const;

    // Sends Code about icon Id to its window at once, as the shell would (only
    // for an icon that is there and asked for notifications); false otherwise.
    bool Notify(std::uint32_t Id, std::uint32_t Code);

    // The shell ends: its icons are gone, every window that talked to it hears
    // so, and every call fails until Start.
    void Stop();
    // The shell (re)starts empty and sends "TaskbarCreated" to every window
    // that talked to it.
    void Start();

private:
    void Tell(QEvent::Type News);

    std::vector<Call> FCalls;
    std::vector<NotifyIconData> FIcons;
    std::vector<QPointer<QObject>> FWindows;
    bool FRunning = true;
};

} // namespace kestrune::platform
