#include "tray/tray_icon.h"

#include "platform/qt_application.h"
#include "tray/event_hook.h"
#include "tray/image_list.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon_handler.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QStyleHints>
#include <QWindowStateChangeEvent>

#include <utility>

namespace kestrune {

namespace {

constexpr std::uint32_t ExitPollIntervalMs = 20;

bool IsMdiFrame(const QWidget& Window) {
    const auto* const frame = qobject_cast<const QMainWindow*>(&Window);
    return frame != nullptr && qobject_cast<const QMdiArea*>(frame->centralWidget()) != nullptr;
}

bool BecameMinimized(const QWidget& Window, const QEvent& Event) {
    const auto& change = static_cast<const QWindowStateChangeEvent&>(Event);
    return !change.oldState().testFlag(Qt::WindowMinimized) && Window.isMinimized();
}

bool BecameRestored(const QWidget& Window, const QEvent& Event) {
    const auto& change = static_cast<const QWindowStateChangeEvent&>(Event);
    return change.oldState().testFlag(Qt::WindowMinimized) && !Window.isMinimized();
}

// Calls a copy of Handler: a handler that frees the icon frees the stored one
// with it, and what it captured must outlive the call.
template <class Handler, class... Args> void Call(const Handler& Stored, Args&&... Arguments) {
    const Handler handler = Stored;
    handler(std::forward<Args>(Arguments)...);
}

// Brings a window to the front with the keyboard focus.
void BringToFront(QWidget& Window) {
    Window.raise();
    Window.activateWindow();
}

} // namespace

TTrayIcon::TTrayIcon(TComponent* AOwner, QWidget* AOwnerWindow)
    : TComponent(AOwner), FOwnerWindow(AOwnerWindow) {
    FIconData.Id = AcquireTrayWindow(*this);
    FIconData.Window = TTrayIconHandler::SharedTrayWindow();
    FIconData.Flags = platform::nifMessage | platform::nifIcon | platform::nifTip;
    FIconData.CallbackMessage = TrayCallbackMessage;

    FCycleTicker = std::make_unique<TTickTimer>();
    FCycleTicker->SetOnTick([this](TTickTimer&) { CycleTick(); });
    FClickDelayTimer = std::make_unique<TTickTimer>();
    FClickDelayTimer->SetOnTick([this](TTickTimer&) { ClickDelayElapsed(); });
    FExitPollTimer =
        std::make_unique<TTickTimer>(ExitPollIntervalMs, [this](TTickTimer&) { ExitPollTick(); });

    SetDesignPreview(FDesignPreview);
    if (!InDesignMode()) {
        if (QWidget* const main = MainWindow()) {
            FApplicationHook = std::make_unique<TEventHook>(
                *main, [this](QEvent& Event) { return ApplicationHook(Event); });
        }
        if (FOwnerWindow) {
            HookOwnerWindow();
        }
    }
}

TTrayIcon::~TTrayIcon() {
    try {
        SetIconVisible(false);
        SetDesignPreview(false);
        FCycleTicker.reset();
        FClickDelayTimer.reset();
        FExitPollTimer.reset();
        FIcon = QIcon();
    } catch (...) {
        // The icon leaves and the hooks go below whatever happened here.
    }
    FApplicationHook.reset();
    UnhookOwnerWindow();
    if (FPopupMenu && FPopupMenu->PopupComponent() == this) {
        FPopupMenu->SetPopupComponent(nullptr);
    }
    ReleaseTrayWindow(FIconData.Id);
}

// --- properties ---

void TTrayIcon::SetDesignPreview(bool Value) {
    FDesignPreview = Value;
    FPreviewUpdating = true;
    // Adds or removes the icon without changing the stored IconVisible.
    SetIconVisible(Value);
    FPreviewUpdating = false;
}

void TTrayIcon::SetIconList(TImageList* Value) {
    if (FIconList != nullptr && FIconList != Value) {
        RemoveFreeNotification(*FIconList);
    }
    FIconList = Value;
    if (FIconList != nullptr) {
        FreeNotification(*FIconList);
    }
    SetIconIndex(0);
}

void TTrayIcon::SetCycleIcons(bool Value) {
    FCycleIcons = Value;
    if (Value) {
        SetIconIndex(0);
        FCycleTicker->SetIntervalMs(FCycleInterval);
        FCycleTicker->SetActive(true);
    } else {
        FCycleTicker->SetActive(false);
    }
}

void TTrayIcon::SetCycleInterval(std::uint32_t Value) {
    FCycleInterval = Value;
    SetCycleIcons(FCycleIcons);
}

void TTrayIcon::SetHint(const QString& Value) {
    FHint = Value;
    RefreshInTray();
}

void TTrayIcon::SetShowHint(bool Value) {
    FShowHint = Value;
    RefreshInTray();
}

void TTrayIcon::SetIcon(const QIcon& Value) {
    FIcon = Value;
    RefreshInTray();
}

void TTrayIcon::SetIconVisible(bool Value) {
    if (Value) {
        AddToTray();
    } else {
        RemoveFromTray();
    }
}

void TTrayIcon::SetIconIndex(int Value) {
    if (FIconList != nullptr) {
        FIconIndex = Value;
        if (Value >= FIconList->Count()) {
            FIconIndex = FIconList->Count() - 1;
        }
        FIcon = FIconList->GetIcon(FIconIndex);
        IconChanged();
    } else {
        FIconIndex = 0;
    }
    RefreshInTray();
}

void TTrayIcon::SetWantEnterExitEvents(bool Value) {
    FWantEnterExitEvents = Value;
    FExitPollTimer->SetActive(Value);
}

void TTrayIcon::SetShellBehaviour(TShellBehaviour Value) {
    FShellBehaviour = Value;
    FIconData.Version = Value == TShellBehaviour::Version3Notifications
                            ? platform::Version3Tray
                            : platform::ClassicTrayVersion;
    platform::CurrentTrayShell().NotifyIcon(platform::TrayOperation::nimSetVersion, FIconData);
}

// --- the main window ---

QWidget* TTrayIcon::MainWindow() const {
    return FOwnerWindow ? FOwnerWindow->window() : nullptr;
}

void TTrayIcon::RestoreMainWindow() {
    QWidget* const main = MainWindow();
    if (main == nullptr) {
        return;
    }
    FMainWindowInTray = false;
    // Restoring a minimised window gives the normal window, also when it was
    // maximised before it was minimised.
    if (main->isMinimized()) {
        main->setWindowState(main->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    }
    main->show();
    BringToFront(*main);
}

void TTrayIcon::HideMainWindow() {
    QWidget* const main = MainWindow();
    if (main == nullptr) {
        return;
    }
    if (!platform::CurrentTrayShell().Available()) {
        // No icon could bring a hidden window back: the taskbar (or the window
        // manager's list of windows) has to.
        if (!main->isMinimized()) {
            main->showMinimized();
        }
        return;
    }
    // The main window carries the program's taskbar entry: hiding it hides both.
    FMainWindowInTray = true;
    main->hide();
}

void TTrayIcon::TrayGone() {
    QWidget* const main = MainWindow();
    if (!FMainWindowInTray || main == nullptr || main->isVisible()) {
        return;
    }
    FMainWindowInTray = false;
    main->showMinimized();
}

void TTrayIcon::SendToTray() {
    HideMainWindow();
    SetIconVisible(true);
}

// --- the shell ---

bool TTrayIcon::FillIconData() {
    if (InDesignMode() && !FPreviewUpdating && !FDesignPreview) {
        return false;
    }
    FIconData.Icon = FIcon;
    if (!FHint.isEmpty() && FShowHint) {
        FIconData.Tip =
            platform::MakeTrayTip(FHint.left(static_cast<qsizetype>(FIconData.Tip.size()) - 1));
    } else {
        FIconData.Tip.fill('\0');
    }
    return true;
}

bool TTrayIcon::CallShell(platform::TrayOperation Operation) {
    return FillIconData() && platform::CurrentTrayShell().NotifyIcon(Operation, FIconData);
}

bool TTrayIcon::AddToTray() {
    if (!FPreviewUpdating) {
        FIconVisible = true;
    }
    if (!InDesignMode() || FPreviewUpdating) {
        return CallShell(platform::TrayOperation::nimAdd);
    }
    return false;
}

bool TTrayIcon::RemoveFromTray() {
    if (!FPreviewUpdating) {
        FIconVisible = false;
    }
    if (!InDesignMode() || FPreviewUpdating) {
        return CallShell(platform::TrayOperation::nimDelete);
    }
    return false;
}

bool TTrayIcon::RefreshInTray() {
    return CallShell(platform::TrayOperation::nimModify);
}

void TTrayIcon::IconChanged() {
    RefreshInTray();
}

// --- start and removal ---

void TTrayIcon::Loaded() {
    TComponent::Loaded();
    if (FOwnerWindow && !InDesignMode()) {
        bool showMainForm = true;
        if (FOnStartup) {
            FOnStartup(*this, showMainForm);
        }
        if (!showMainForm) {
            platform::SetShowMainForm(false);
            HideMainWindow();
        }
    }
    RefreshInTray();
    SetIconVisible(FIconVisible);
    SetCycleIcons(FCycleIcons);
    SetWantEnterExitEvents(FWantEnterExitEvents);
    SetShellBehaviour(FShellBehaviour);
}

void TTrayIcon::Notification(TComponent& AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && &AComponent == FIconList) {
        SetIconList(nullptr);
    }
}

// --- notifications ---

TShiftState TTrayIcon::KeyShift() {
    const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
    TShiftState shift;
    shift.setFlag(TShiftFlag::ssShift, keys.testFlag(Qt::ShiftModifier));
    shift.setFlag(TShiftFlag::ssCtrl, keys.testFlag(Qt::ControlModifier));
    shift.setFlag(TShiftFlag::ssAlt, keys.testFlag(Qt::AltModifier));
    return shift;
}

void TTrayIcon::TrayMessage(std::uint32_t Code) {
    namespace code = platform::TrayCode;
    if (BalloonMessage(Code) || !FEnabled) {
        return;
    }
    const bool classic = FShellBehaviour == TShellBehaviour::ClassicNotifications;
    const QPoint cursor = QCursor::pos();
    const auto rightUp = [&] {
        DoMouseUp(TMouseButton::mbRight, KeyShift() | TShiftFlag::ssRight, cursor.x(), cursor.y());
    };
    switch (Code) {
    case code::MouseMove:
        PointerMoved(cursor);
        break;
    case code::LeftButtonDown:
        LeftPressed(cursor);
        break;
    case code::LeftButtonUp:
        LeftReleased(cursor);
        break;
    case code::LeftButtonDoubleClick:
        LeftDoubleClicked();
        break;
    case code::RightButtonDown:
        RightPressed(cursor);
        break;
    case code::RightButtonUp:
        if (classic) {
            rightUp();
        }
        break;
    case code::ContextMenu:
    case code::Select:
    case code::KeySelect:
        if (!classic) {
            rightUp();
        }
        break;
    case code::MiddleButtonDown:
        DoMouseDown(TMouseButton::mbMiddle, KeyShift() | TShiftFlag::ssMiddle, cursor.x(),
                    cursor.y());
        break;
    case code::MiddleButtonUp:
        DoMouseUp(TMouseButton::mbMiddle, KeyShift() | TShiftFlag::ssMiddle, cursor.x(),
                  cursor.y());
        break;
    default:
        break;
    }
}

bool TTrayIcon::BalloonMessage(std::uint32_t Code) {
    namespace code = platform::TrayCode;
    // A copy is called: a handler that frees the icon frees the one it is.
    const auto call = [this](const TNotifyEvent& Handler) {
        if (const TNotifyEvent handler = Handler) {
            handler(*this);
        }
        return true;
    };
    switch (Code) {
    case code::BalloonShow:
        return call(FOnBalloonHintShow);
    case code::BalloonHide:
        return call(FOnBalloonHintHide);
    case code::BalloonTimeout:
        return call(FOnBalloonHintTimeout);
    case code::BalloonUserClick:
        return call(FOnBalloonHintClick);
    default:
        return false;
    }
}

void TTrayIcon::PointerMoved(QPoint Cursor) {
    const std::weak_ptr<const bool> life = FLife;
    if (FWantEnterExitEvents && FPointerOutside) {
        FPointerOutside = false;
        DoMouseEnter();
        if (life.expired()) {
            return;
        }
    }
    DoMouseMove(KeyShift(), Cursor.x(), Cursor.y());
    if (life.expired()) {
        return;
    }
    FLastPointerX = Cursor.x();
    FLastPointerY = Cursor.y();
}

void TTrayIcon::LeftPressed(QPoint Cursor) {
    const std::weak_ptr<const bool> life = FLife;
    if (FOnDblClick) {
        FClickDelayTimer->SetIntervalMs(
            static_cast<std::uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval()));
        FClickDelayTimer->SetActive(true);
    }
    DoMouseDown(TMouseButton::mbLeft, KeyShift() | TShiftFlag::ssLeft, Cursor.x(), Cursor.y());
    if (life.expired()) {
        return;
    }
    FClickPending = true;
    if (FLeftPopup) {
        PopupAtCursor();
    }
}

void TTrayIcon::LeftReleased(QPoint Cursor) {
    const std::weak_ptr<const bool> life = FLife;
    const TShiftState shift = KeyShift() | TShiftFlag::ssLeft;
    if (FClickPending) {
        FClickComplete = true;
    }
    if (FClickPending && !FClickDelayTimer->Active()) {
        FClickPending = false;
        FClickComplete = false;
        DoClick();
        if (life.expired()) {
            return;
        }
    }
    FClickPending = false;
    DoMouseUp(TMouseButton::mbLeft, shift, Cursor.x(), Cursor.y());
}

void TTrayIcon::LeftDoubleClicked() {
    const std::weak_ptr<const bool> life = FLife;
    FClickComplete = false;
    FDoubleClicked = true;
    DoDblClick();
    if (life.expired()) {
        return;
    }
    if (FPopupMenu && FPopupMenu->AutoPopup() && !FLeftPopup) {
        ClickMenuDefault();
    }
}

void TTrayIcon::RightPressed(QPoint Cursor) {
    const std::weak_ptr<const bool> life = FLife;
    DoMouseDown(TMouseButton::mbRight, KeyShift() | TShiftFlag::ssRight, Cursor.x(), Cursor.y());
    if (life.expired()) {
        return;
    }
    PopupAtCursor();
}

void TTrayIcon::TaskbarCreated() {
    if (FIconVisible) {
        AddToTray();
    }
}

void TTrayIcon::PopupAtCursor() {
    if (!FPopupMenu || !FPopupMenu->AutoPopup()) {
        return;
    }
    const QPoint cursor = QCursor::pos();
    if (QWidget* const main = MainWindow(); main != nullptr && main->isVisible()) {
        BringToFront(*main);
    }
    // Events handled here and the menu's actions may free the icon.
    const std::weak_ptr<const bool> life = FLife;
    QCoreApplication::processEvents();
    if (life.expired()) {
        return;
    }
    const QPointer<TPopupMenu> menu = FPopupMenu;
    if (!menu) {
        return;
    }
    menu->SetPopupComponent(this);
    menu->Popup(cursor.x(), cursor.y());
    if (!life.expired() && FOwnerWindow) {
        // An empty event after the menu, so the owner's loop wakes up once it has gone.
        QCoreApplication::postEvent(FOwnerWindow, std::make_unique<QEvent>(QEvent::None).release());
    }
}

void TTrayIcon::ClickMenuDefault() {
    QAction* const chosen = FPopupMenu->defaultAction();
    if (chosen != nullptr && FPopupMenu->actions().contains(chosen)) {
        chosen->trigger();
    }
}

void TTrayIcon::ClickDelayElapsed() {
    FClickDelayTimer->SetActive(false);
    if (!FDoubleClicked && FClickComplete) {
        FClickComplete = false;
        FDoubleClicked = false;
        DoClick();
        return;
    }
    FDoubleClicked = false;
}

void TTrayIcon::ExitPollTick() {
    if (FPointerOutside) {
        return;
    }
    const QPoint cursor = QCursor::pos();
    if (cursor.x() != FLastPointerX || cursor.y() != FLastPointerY) {
        FPointerOutside = true;
        DoMouseExit();
    }
}

void TTrayIcon::CycleTick() {
    if (FIconList == nullptr) {
        return;
    }
    FIcon = FIconList->GetIcon(FIconIndex);
    IconChanged();
    const std::weak_ptr<const bool> life = FLife;
    DoCycle();
    if (life.expired() || FIconList == nullptr) {
        return;
    }
    SetIconIndex(FIconIndex < FIconList->Count() - 1 ? FIconIndex + 1 : 0);
}

// --- events ---

void TTrayIcon::DoClick() {
    if (FOnClick) {
        Call(FOnClick, *this);
    }
}

void TTrayIcon::DoDblClick() {
    if (FOnDblClick) {
        Call(FOnDblClick, *this);
    }
}

void TTrayIcon::DoCycle() {
    const int next =
        FIconList != nullptr && FIconIndex < FIconList->Count() - 1 ? FIconIndex + 1 : 0;
    if (FOnCycle) {
        Call(FOnCycle, *this, next);
    }
}

void TTrayIcon::DoMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FOnMouseDown) {
        Call(FOnMouseDown, *this, Button, Shift, X, Y);
    }
}

void TTrayIcon::DoMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FOnMouseUp) {
        Call(FOnMouseUp, *this, Button, Shift, X, Y);
    }
}

void TTrayIcon::DoMouseMove(TShiftState Shift, int X, int Y) {
    if (FOnMouseMove) {
        Call(FOnMouseMove, *this, Shift, X, Y);
    }
}

void TTrayIcon::DoMouseEnter() {
    if (FOnMouseEnter) {
        Call(FOnMouseEnter, *this);
    }
}

void TTrayIcon::DoMouseExit() {
    if (FOnMouseExit) {
        Call(FOnMouseExit, *this);
    }
}

// --- hooks ---

bool TTrayIcon::ApplicationHook(QEvent& Event) {
    QWidget* const main = MainWindow();
    if (main == nullptr) {
        return false;
    }
    switch (Event.type()) {
    case QEvent::WindowStateChange:
        if (BecameMinimized(*main, Event) && FMinimizeToTray) {
            SendToTray();
        } else if (BecameRestored(*main, Event)) {
            main->show();
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (FStartupCheckPending) {
            if (IsMdiFrame(*main)) {
                bool showMainForm = true;
                if (FOnStartup) {
                    FOnStartup(*this, showMainForm);
                }
                // An MDI frame's taskbar entry is its own window's: nothing more to hide.
            }
            FStartupCheckPending = false;
        }
        break;
    default:
        break;
    }
    return false;
}

bool TTrayIcon::OwnerHook(QEvent& Event) {
    switch (Event.type()) {
    case QEvent::Show:
        if (!Event.spontaneous()) {
            // Shown by the program: in front, with the focus.
            if (QWidget* const main = MainWindow(); main != nullptr && main != FOwnerWindow) {
                BringToFront(*main);
            }
            BringToFront(*FOwnerWindow);
        }
        return false;
    case QEvent::Hide:
        // Hidden by the window system, not by the program.
        if (Event.spontaneous() && !QCoreApplication::closingDown()) {
            return TryMinimizeToTray();
        }
        return false;
    case QEvent::WindowStateChange:
        if (BecameMinimized(*FOwnerWindow, Event)) {
            return TryMinimizeToTray();
        }
        return false;
    default:
        return false;
    }
}

bool TTrayIcon::TryMinimizeToTray() {
    if (!FMinimizeToTray || !FOnMinimizeToTray) {
        return false;
    }
    FOnMinimizeToTray(*this);
    SendToTray();
    return true;
}

void TTrayIcon::HookOwnerWindow() {
    FOwnerHook = std::make_unique<TEventHook>(*FOwnerWindow,
                                              [this](QEvent& Event) { return OwnerHook(Event); });
}

void TTrayIcon::UnhookOwnerWindow() {
    FOwnerHook.reset();
}

} // namespace kestrune
