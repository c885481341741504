#include "app/panel.h"

#include <QPainter>

namespace kestrune {

namespace {

const QColor Silver(192, 192, 192);
const QColor Highlight(255, 255, 255);
const QColor Shadow(128, 128, 128);

// One ring of a raised bevel: light along the top and left, dark along the
// bottom and right.
void PaintRaisedRing(QPainter& Painter, const QRect& Ring) {
    Painter.setPen(Highlight);
    Painter.drawLine(Ring.topLeft(), Ring.topRight());
    Painter.drawLine(Ring.topLeft(), Ring.bottomLeft());
    Painter.setPen(Shadow);
    Painter.drawLine(Ring.bottomLeft(), Ring.bottomRight());
    Painter.drawLine(Ring.topRight(), Ring.bottomRight());
}

} // namespace

TPanel::TPanel(QWidget* AParent) : QWidget(AParent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Silver);
    PaintRaisedRing(painter, rect());
    PaintRaisedRing(painter, rect().adjusted(1, 1, -1, -1));
}

} // namespace kestrune
