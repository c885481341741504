#pragma once

// The desktop's notification area ("tray"), as a shell service: a program adds,
// changes and removes its icons with one call and a record, and hears about
// clicks on them through events sent to the object named in the record.
//
// Which shell serves the process: a test's TestTrayShell while one exists,
// otherwise the desktop's (QtTrayShell, made on first use, a child of the
// application object). Use it on the user-interface thread only.

#include <QEvent>
#include <QIcon>
#include <QPointer>

#include <array>
#include <cstdint>

namespace kestrune::platform {

enum class TrayOperation : std::uint32_t {
    nimAdd = 0,       // fails when the icon is there already
    nimModify = 1,    // fails when it is not there
    nimDelete = 2,    // fails when it is not there
    nimSetVersion = 4 // chooses the notification scheme; fails when it is not there
};

// Which fields of the record a call uses.
inline constexpr std::uint32_t nifMessage = 0x1;
inline constexpr std::uint32_t nifIcon = 0x2;
inline constexpr std::uint32_t nifTip = 0x4;

// Versions of the notification scheme: classic (0) sends right down and right
// up; 3 sends right down and a context-menu code instead of right up.
inline constexpr std::uint32_t ClassicTrayVersion = 0;
inline constexpr std::uint32_t Version3Tray = 3;

// What the shell sends to the icon's owner: the window-system codes of the
// events on the icon (mouse codes as for a window, balloon codes).
namespace TrayCode {
inline constexpr std::uint32_t ContextMenu = 0x007B;
inline constexpr std::uint32_t MouseMove = 0x0200;
inline constexpr std::uint32_t LeftButtonDown = 0x0201;
inline constexpr std::uint32_t LeftButtonUp = 0x0202;
inline constexpr std::uint32_t LeftButtonDoubleClick = 0x0203;
inline constexpr std::uint32_t RightButtonDown = 0x0204;
inline constexpr std::uint32_t RightButtonUp = 0x0205;
inline constexpr std::uint32_t MiddleButtonDown = 0x0207;
inline constexpr std::uint32_t MiddleButtonUp = 0x0208;
inline constexpr std::uint32_t Select = 0x0400;
inline constexpr std::uint32_t KeySelect = 0x0401;
inline constexpr std::uint32_t BalloonShow = 0x0402;
inline constexpr std::uint32_t BalloonHide = 0x0403;
inline constexpr std::uint32_t BalloonTimeout = 0x0404;
inline constexpr std::uint32_t BalloonUserClick = 0x0405;
} // namespace TrayCode

// The record of one icon. Window and Id together name the icon.
struct NotifyIconData {
    QPointer<QObject> Window; // receives the notifications
    std::uint32_t Id = 0;
    std::uint32_t Flags = 0;           // nifMessage | nifIcon | nifTip
    std::uint32_t CallbackMessage = 0; // carried by every notification
    QIcon Icon;
    std::array<char, 128> Tip{}; // UTF-8, zero-terminated
    std::uint32_t Version = ClassicTrayVersion;
};

// A notification about an icon, sent to the record's Window.
class TrayNotifyEvent : public QEvent {
public:
    TrayNotifyEvent(std::uint32_t Message, std::uint32_t Id, std::uint32_t Code)
        : QEvent(EventType()), FMessage(Message), FId(Id), FCode(Code) {}
    static QEvent::Type EventType();

    std::uint32_t Message() const { return FMessage; }
    std::uint32_t Id() const { return FId; }
    std::uint32_t Code() const { return FCode; }

private:
    std::uint32_t FMessage;
    std::uint32_t FId;
    std::uint32_t FCode;
};

// The event type of "TaskbarCreated": the notification area came (back) and
// holds none of the icons it had; every window that talked to the shell gets it.
QEvent::Type TaskbarCreatedEventType();

// The event type of a notification area that went away with its icons; every
// window that talked to the shell gets it. A window hidden into the area has
// no way back for its user until its program shows it again.
QEvent::Type TrayGoneEventType();

class TrayShell {
public:
    TrayShell() = default;
    virtual ~TrayShell() = default;
    TrayShell(const TrayShell&) = delete;
    TrayShell& operator=(const TrayShell&) = delete;
    TrayShell(TrayShell&&) = delete;
    TrayShell& operator=(TrayShell&&) = delete;

    // Carries out one operation on the icon the record names; false when the
    // shell refuses it.
    virtual bool NotifyIcon(TrayOperation Operation, const NotifyIconData& Data) = 0;
    // Whether a notification area exists now. Many desktops have none (stock
    // GNOME, a bare window manager): there an icon cannot be added, and a
    // window hidden "into the tray" could never be brought back.
    virtual bool Available() const = 0;
};

// The shell that serves the process now.
TrayShell& CurrentTrayShell();

// Copies Text into a tip: at most 127 bytes, never part of a character, zero-terminated.
std::array<char, 128> MakeTrayTip(const QString& Text);

namespace detail {
// For TestTrayShell: puts Shell in place of the desktop's, or takes it away (null).
void InstallTrayShell(TrayShell* Shell);
} // namespace detail

} // namespace kestrune::platform
