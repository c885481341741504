#pragma once

#include <QMenu>

namespace kestrune {

class TComponent;

// A pop-up menu that a component opens by itself (the tray icon at the
// cursor). Its default action is the one a double click on the tray icon runs.
class TPopupMenu : public QMenu {
public:
    explicit TPopupMenu(QWidget* AParent = nullptr) : QMenu(AParent) {}

    // Whether components may open the menu by themselves.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }

    // The component that opened the menu last.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }

    // Shows the menu at a screen position and tracks it until it closes.
    void Popup(int X, int Y) { exec(QPoint(X, Y)); }

private:
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
};

} // namespace kestrune
