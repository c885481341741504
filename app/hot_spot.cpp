#include "app/hot_spot.h"

#include <QMouseEvent>

namespace kestrune {

THotSpot::THotSpot(const QString& Hint, const QRect& Bounds, QWidget* AParent)
    : QLabel("     ", AParent) {
    setGeometry(Bounds);
    setToolTip(Hint);
    setCursor(Qt::PointingHandCursor);
    // The face shows through: nothing of the label itself is ever drawn.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
}

void THotSpot::mousePressEvent(QMouseEvent* Event) {
    FPressed = Event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(Event);
}

void THotSpot::mouseReleaseEvent(QMouseEvent* Event) {
    // As with a push button: moving off before letting go cancels the click.
    const bool click = FPressed && Event->button() == Qt::LeftButton &&
                       rect().contains(Event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(Event);
    if (click) {
        emit clicked();
    }
}

} // namespace kestrune
