#pragma once

#include "platform/component.h"
#include "platform/tray_shell.h"
#include "tray/popup_menu.h"
#include "tray/tick_timer.h"

#include <QFlags>
#include <QIcon>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

namespace kestrune {

class TEventHook;
class TImageList;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

enum class TShiftFlag : unsigned {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20
};
using TShiftState = QFlags<TShiftFlag>;

// Which notification scheme the icon asks the notification area for.
enum class TShellBehaviour { ClassicNotifications, Version3Notifications };

using TMouseEvent =
    std::function<void(TComponent& Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent& Sender, TShiftState Shift, int X, int Y)>;
using TCycleEvent = std::function<void(TComponent& Sender, int NextIndex)>;
using TStartupEvent = std::function<void(TComponent& Sender, bool& ShowMainForm)>;

// The message number every notification of a tray icon carries.
inline constexpr std::uint32_t TrayCallbackMessage = 0x0800;

// One icon in the notification area: turns the clicks on it into events, opens
// a pop-up menu at the cursor, can cycle through the images of a list, and can
// hide the program's main window (its owner window) into the notification area
// instead of minimising it, and bring it back.
//
// The owner window is the window whose component this is; it is the program's
// main window too. Mouse positions are screen coordinates read when a
// notification is handled. Everything runs on the user-interface thread.
class TTrayIcon : public TComponent {
public:
    TTrayIcon(TComponent* AOwner, QWidget* AOwnerWindow = nullptr);
    ~TTrayIcon() override;

    // --- published properties ---
    bool DesignPreview() const { return FDesignPreview; }
    void SetDesignPreview(bool Value);
    TImageList* IconList() const { return FIconList; }
    void SetIconList(TImageList* Value);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool Value);
    std::uint32_t CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(std::uint32_t Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    const QIcon& Icon() const { return FIcon; }
    void SetIcon(const QIcon& Value);
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool Value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool Value) { FLeftPopup = Value; }
    bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
    void SetWantEnterExitEvents(bool Value);
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }

    // --- events ---
    void SetOnClick(TNotifyEvent Value) { FOnClick = std::move(Value); }
    void SetOnDblClick(TNotifyEvent Value) { FOnDblClick = std::move(Value); }
    void SetOnMouseDown(TMouseEvent Value) { FOnMouseDown = std::move(Value); }
    void SetOnMouseUp(TMouseEvent Value) { FOnMouseUp = std::move(Value); }
    void SetOnMouseMove(TMouseMoveEvent Value) { FOnMouseMove = std::move(Value); }
    void SetOnMouseEnter(TNotifyEvent Value) { FOnMouseEnter = std::move(Value); }
    void SetOnMouseExit(TNotifyEvent Value) { FOnMouseExit = std::move(Value); }
    void SetOnCycle(TCycleEvent Value) { FOnCycle = std::move(Value); }
    void SetOnBalloonHintShow(TNotifyEvent Value) { FOnBalloonHintShow = std::move(Value); }
    void SetOnBalloonHintHide(TNotifyEvent Value) { FOnBalloonHintHide = std::move(Value); }
    void SetOnBalloonHintTimeout(TNotifyEvent Value) { FOnBalloonHintTimeout = std::move(Value); }
    void SetOnBalloonHintClick(TNotifyEvent Value) { FOnBalloonHintClick = std::move(Value); }
    void SetOnMinimizeToTray(TNotifyEvent Value) { FOnMinimizeToTray = std::move(Value); }
    void SetOnStartup(TStartupEvent Value) { FOnStartup = std::move(Value); }

    // --- public operations ---
    // Brings the main window back from the tray or the minimised state, in front.
    void RestoreMainWindow();
    // Hides the main window (and with it its taskbar entry) into the
    // notification area; where the desktop has none, minimises it instead, so
    // that the user can always get it back.
    void HideMainWindow();
    TShellBehaviour ShellBehaviour() const { return FShellBehaviour; }
    void SetShellBehaviour(TShellBehaviour Value);

    // The id the notification area knows this icon by.
    std::uint32_t Id() const { return FIconData.Id; }
    // The record the last shell call was made with.
    const platform::NotifyIconData& IconData() const { return FIconData; }

protected:
    void Loaded() override;
    void Notification(TComponent& AComponent, TOperation Operation) override;

    virtual bool WantsDefaultIcon() { return true; }
    virtual bool AddToTray();
    virtual bool RemoveFromTray();
    virtual bool RefreshInTray();

    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoCycle();
    virtual void DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoMouseMove(TShiftState Shift, int X, int Y);
    virtual void DoMouseEnter();
    virtual void DoMouseExit();
    virtual void SendToTray();

private:
    friend class TTrayIconHandler;

    // A notification from the notification area about this icon.
    void TrayMessage(std::uint32_t Code);
    // A balloon's notification; false when Code is none.
    bool BalloonMessage(std::uint32_t Code);
    // The pointer's notifications. A handler may free the icon, so each stops
    // touching it as soon as one has.
    void PointerMoved(QPoint Cursor);
    void LeftPressed(QPoint Cursor);
    void LeftReleased(QPoint Cursor);
    void LeftDoubleClicked();
    void RightPressed(QPoint Cursor);
    // The notification area was recreated and lost its icons.
    void TaskbarCreated();
    // The notification area went away: a main window hidden into it comes
    // back minimised.
    void TrayGone();

    // The program never runs inside a form designer; the property that
    // previews the icon there still works.
    static bool InDesignMode() { return false; }
    bool FillIconData();
    bool CallShell(platform::TrayOperation Operation);
    void IconChanged();
    QWidget* MainWindow() const;
    void PopupAtCursor();
    void ClickMenuDefault();
    // The keyboard's state now.
    static TShiftState KeyShift();
    void CycleTick();
    void ClickDelayElapsed();
    void ExitPollTick();
    bool ApplicationHook(QEvent& Event);
    bool OwnerHook(QEvent& Event);
    bool TryMinimizeToTray();
    void HookOwnerWindow();
    void UnhookOwnerWindow();

    QPointer<QWidget> FOwnerWindow;
    platform::NotifyIconData FIconData;

    bool FDesignPreview = false;
    TImageList* FIconList = nullptr;
    bool FCycleIcons = false;
    std::uint32_t FCycleInterval = 0;
    bool FEnabled = true;
    QString FHint;
    bool FShowHint = true;
    QIcon FIcon;
    bool FIconVisible = false;
    int FIconIndex = 0;
    QPointer<TPopupMenu> FPopupMenu;
    bool FLeftPopup = false;
    bool FWantEnterExitEvents = false;
    bool FMinimizeToTray = false;

    TNotifyEvent FOnClick;
    TNotifyEvent FOnDblClick;
    TMouseEvent FOnMouseDown;
    TMouseEvent FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnMouseEnter;
    TNotifyEvent FOnMouseExit;
    TCycleEvent FOnCycle;
    TNotifyEvent FOnBalloonHintShow;
    TNotifyEvent FOnBalloonHintHide;
    TNotifyEvent FOnBalloonHintTimeout;
    TNotifyEvent FOnBalloonHintClick;
    TNotifyEvent FOnMinimizeToTray;
    TStartupEvent FOnStartup;

    std::unique_ptr<TTickTimer> FCycleTicker;
    std::unique_ptr<TTickTimer> FClickDelayTimer;
    std::unique_ptr<TTickTimer> FExitPollTimer;
    bool FClickPending = false;
    bool FClickComplete = false;
    bool FDoubleClicked = false;
    bool FPointerOutside = true;
    int FLastPointerX = 0;
    int FLastPointerY = 0;
    TShellBehaviour FShellBehaviour = TShellBehaviour::ClassicNotifications;
    bool FPreviewUpdating = false;
    bool FStartupCheckPending = true;
    // The main window was hidden into the notification area and not shown since.
    bool FMainWindowInTray = false;

    std::unique_ptr<TEventHook> FApplicationHook;
    std::unique_ptr<TEventHook> FOwnerHook;
    // Expires with the icon: a path that called a handler (which may free the
    // icon) looks at it before it touches the icon again.
    std::shared_ptr<const bool> FLife = std::make_shared<const bool>(true);
};

} // namespace kestrune
