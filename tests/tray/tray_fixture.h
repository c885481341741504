#pragma once

#include "platform/test_tray_shell.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

namespace kestrune::test {

// What a tray icon reported, in order, as short words ("down:left", "click").
struct TrayLog {
    std::vector<std::string> Entries;
    QPoint LastPosition;
    TShiftState LastShift;

    static std::string ButtonName(TMouseButton Button) {
        switch (Button) {
        case TMouseButton::mbLeft:
            return "left";
        case TMouseButton::mbRight:
            return "right";
        case TMouseButton::mbMiddle:
            return "middle";
        }
        return "?";
    }

    void Attach(TTrayIcon& Icon) {
        Icon.SetOnClick([this](TComponent&) { Entries.emplace_back("click"); });
        Icon.SetOnMouseDown(
            [this](TComponent&, TMouseButton Button, TShiftState Shift, int X, int Y) {
                Entries.push_back("down:" + ButtonName(Button));
                LastShift = Shift;
                LastPosition = QPoint(X, Y);
            });
        Icon.SetOnMouseUp(
            [this](TComponent&, TMouseButton Button, TShiftState Shift, int X, int Y) {
                Entries.push_back("up:" + ButtonName(Button));
                LastShift = Shift;
                LastPosition = QPoint(X, Y);
            });
        Icon.SetOnMouseMove([this](TComponent&, TShiftState Shift, int X, int Y) {
            Entries.emplace_back("move");
            LastShift = Shift;
            LastPosition = QPoint(X, Y);
        });
        Icon.SetOnMouseEnter([this](TComponent&) { Entries.emplace_back("enter"); });
        Icon.SetOnMouseExit([this](TComponent&) { Entries.emplace_back("exit"); });
        Icon.SetOnBalloonHintShow([this](TComponent&) { Entries.emplace_back("balloon:show"); });
        Icon.SetOnBalloonHintHide([this](TComponent&) { Entries.emplace_back("balloon:hide"); });
        Icon.SetOnBalloonHintTimeout(
            [this](TComponent&) { Entries.emplace_back("balloon:timeout"); });
        Icon.SetOnBalloonHintClick([this](TComponent&) { Entries.emplace_back("balloon:click"); });
    }

    // Also records double clicks (which changes how single clicks are decided).
    void AttachDblClick(TTrayIcon& Icon) {
        Icon.SetOnDblClick([this](TComponent&) { Entries.emplace_back("dblclick"); });
    }

    int Count(const std::string& Entry) const {
        return static_cast<int>(std::count(Entries.begin(), Entries.end(), Entry));
    }
};

// A menu that closes again as soon as it has opened, noting each opening in a
// log; Choose makes it pick an action instead.
class ClosingMenu {
public:
    explicit ClosingMenu(std::vector<std::string>& Log) : FLog(Log) {
        QObject::connect(&Menu, &QMenu::aboutToShow, [this] {
            FLog.emplace_back("popup");
            QTimer::singleShot(0, &Menu, [this] {
                if (FChoice != nullptr) {
                    Menu.setActiveAction(FChoice);
                    FChoice->trigger();
                }
                Menu.close();
            });
        });
    }

    QAction& Add(const QString& Caption) {
        QAction* const action = Menu.addAction(Caption);
        QObject::connect(action, &QAction::triggered,
                         [this, Caption] { FLog.push_back("item:" + Caption.toStdString()); });
        return *action;
    }
    void Choose(QAction* Action) { FChoice = Action; }

    TPopupMenu Menu;

private:
    std::vector<std::string>& FLog;
    QAction* FChoice = nullptr;
};

// An image of one colour, told apart from others by its cache key.
inline QIcon SolidIcon(const QColor& Colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Colour);
    return QIcon(pixmap);
}

} // namespace kestrune::test
