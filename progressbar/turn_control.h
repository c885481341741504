#pragma once

// What the bar and its two fields share as windows: a colour that follows the
// parent's until it is set, an angle, a window sized and shaped to the turned
// frame and held at that size, and a one-time step once the window exists.

#include "platform/system_colors.h"
#include "progressbar/angle_state.h"
#include "progressbar/turn_types.h"

#include <QEvent>
#include <QWidget>

namespace kestrune {

// Posted by a field to the bar whenever the field has re-fitted its window,
// so that the bar lays its fields out again.
constexpr QEvent::Type ChildResizedMessage = static_cast<QEvent::Type>(0xB065);

class TTurnControl : public QWidget {
public:
    TColor Color() const { return FColor; }
    // Ends the following of the parent's colour when the value differs.
    void SetColor(TColor Value);
    // Whether the colour still follows the parent's.
    bool ParentColor() const { return FParentColor; }

    const TAngleState& AngleState() const { return FAngleState; }
    const T4points& ShapePoints() const { return FShapePoints; }
    QSize FittedSize() const { return FFittedSize; }

    // The bar that lays this control out; told after each re-fit.
    QWidget* OwnerWindow() const { return FOwnerWindow; }
    void SetOwnerWindow(QWidget* Value) { FOwnerWindow = Value; }

    // True once the window-creation step has run.
    bool WindowCreated() const { return FWindowCreated; }
    // Runs the window-creation step now if it has not run yet; it also runs by
    // itself before the control is first polished or shown.
    void EnsureWindowCreated();

protected:
    explicit TTurnControl(QWidget* AParent);

    // The step after the window exists; the default does nothing.
    virtual void CreateWnd() {}
    // Paints inside the window region, over the background in Color.
    virtual void PaintControl(QPainter& Painter) = 0;

    void SetAngle(int Value) { ClassifyAngle(FAngleState, Value); }
    // Sizes and shapes the window to a W x H frame turned by the angle; the
    // window keeps its left and top.
    void FitRotatedFrame(int W, int H);
    // The RGB value of a colour as this control shows it.
    TColor Resolved(TColor Value) const;

    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void FollowParentColor(TColor Value);
    void ColorChanged();

    TColor FColor = clWindow;
    bool FParentColor = true;
    TAngleState FAngleState;
    T4points FShapePoints{};
    QSize FFittedSize;
    bool FFitted = false;
    QWidget* FOwnerWindow = nullptr;
    bool FWindowCreated = false;
    bool FCreating = false;
};

} // namespace kestrune
