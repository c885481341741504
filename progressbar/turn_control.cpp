#include "progressbar/turn_control.h"

#include "platform/polygon_region.h"
#include "progressbar/frame_fit.h"

#include <QCoreApplication>
#include <QPainter>
#include <QResizeEvent>

#include <memory>

namespace kestrune {

TTurnControl::TTurnControl(QWidget* AParent) : QWidget(AParent) {
    if (const auto* const parent = dynamic_cast<const TTurnControl*>(AParent)) {
        FColor = parent->Color();
    }
    // Everything inside the region is painted here; nothing shows through.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTurnControl::SetColor(TColor Value) {
    if (Value == FColor) {
        return;
    }
    FColor = Value;
    FParentColor = false;
    ColorChanged();
}

void TTurnControl::FollowParentColor(TColor Value) {
    if (!FParentColor || Value == FColor) {
        return;
    }
    FColor = Value;
    ColorChanged();
}

void TTurnControl::ColorChanged() {
    for (QObject* const child : children()) {
        if (auto* const control = dynamic_cast<TTurnControl*>(child)) {
            control->FollowParentColor(FColor);
        }
    }
    update();
}

void TTurnControl::EnsureWindowCreated() {
    if (FWindowCreated || FCreating) {
        return;
    }
    FCreating = true;
    CreateWnd();
    FCreating = false;
    FWindowCreated = true;
}

void TTurnControl::FitRotatedFrame(int W, int H) {
    const TFrameFit fit = FitFrame(W, H, FAngleState);
    FShapePoints = fit.ShapePoints;
    FFittedSize = fit.Size.expandedTo(QSize(0, 0));
    FFitted = true;
    // A fixed size keeps layouts and resize requests from changing it.
    setFixedSize(FFittedSize);
    setMask(platform::PolygonRegion(FShapePoints));
    update();
    if (FOwnerWindow != nullptr) {
        // The event loop takes the event over.
        auto message = std::make_unique<QEvent>(ChildResizedMessage);
        QCoreApplication::postEvent(FOwnerWindow, message.release());
    }
}

TColor TTurnControl::Resolved(TColor Value) const {
    return platform::ResolveColor(Value, palette());
}

bool TTurnControl::event(QEvent* Event) {
    if (Event->type() == QEvent::Polish || Event->type() == QEvent::Show) {
        EnsureWindowCreated();
    }
    return QWidget::event(Event);
}

void TTurnControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), platform::ToQColor(Resolved(FColor)));
    PaintControl(painter);
}

void TTurnControl::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (FFitted && Event->size() != FFittedSize) {
        resize(FFittedSize);
    }
}

} // namespace kestrune
