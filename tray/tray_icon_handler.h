#pragma once

#include <QObject>

#include <cstdint>
#include <map>

namespace kestrune {

class TTrayIcon;

// The hidden object the notification area talks to for every TTrayIcon of the
// process: it hands each notification to the icon it is about (found by the
// icon's id) and tells every icon when the notification area was recreated.
// There is one while at least one tray icon exists (SharedTrayWindow).
class TTrayIconHandler : public QObject {
public:
    TTrayIconHandler() = default;
    ~TTrayIconHandler() override = default;

    // The one handler, or null while no tray icon exists.
    static TTrayIconHandler* SharedTrayWindow();

    int UserCount() const { return static_cast<int>(FIcons.size()); }

protected:
    bool event(QEvent* Event) override;

private:
    friend std::uint32_t AcquireTrayWindow(TTrayIcon& Icon);
    friend void ReleaseTrayWindow(std::uint32_t Id);

    std::map<std::uint32_t, TTrayIcon*> FIcons;
    // Set while a notification is being handed out: a handler that frees the
    // last icon must not free this object under its own feet.
    int FDispatching = 0;
};

// Counts Icon in, creating the shared handler for the first one; returns the
// icon's id, unique within the process.
std::uint32_t AcquireTrayWindow(TTrayIcon& Icon);
// Counts the icon with this id out, destroying the shared handler with the last one.
void ReleaseTrayWindow(std::uint32_t Id);

} // namespace kestrune
