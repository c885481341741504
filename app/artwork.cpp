#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace kestrune {

void PaintDisc(QPainter& Painter, const QRectF& Area) {
    const QPointF centre = Area.center();
    const double radius = std::min(Area.width(), Area.height()) / 2;
    QRadialGradient shine(centre, radius, centre - QPointF(radius / 3, radius / 3));
    shine.setColorAt(0.0, QColor(250, 250, 255));
    shine.setColorAt(0.5, QColor(170, 200, 230));
    shine.setColorAt(0.8, QColor(205, 170, 225));
    shine.setColorAt(1.0, QColor(140, 160, 190));
    Painter.setPen(QPen(QColor(90, 100, 120), std::max(1.0, radius / 16)));
    Painter.setBrush(shine);
    Painter.drawEllipse(centre, radius * 0.95, radius * 0.95);
    Painter.setBrush(QColor(235, 235, 240));
    Painter.drawEllipse(centre, radius * 0.3, radius * 0.3);
    Painter.setBrush(Qt::white);
    Painter.drawEllipse(centre, radius * 0.12, radius * 0.12);
}

QPixmap ProgramPicture() {
    QPixmap picture(85, 110);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 110);
    sky.setColorAt(0.0, QColor(41, 169, 77));
    sky.setColorAt(1.0, QColor(10, 70, 40));
    painter.fillRect(picture.rect(), sky);
    PaintDisc(painter, QRectF(10, 12, 65, 65));
    painter.setPen(QColor(235, 245, 225));
    QFont font("Sans Serif");
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 82, 85, 22), Qt::AlignCenter, "Kestrune");
    return picture;
}

QPixmap ProgramIconImage(int Size) {
    QPixmap image(Size, Size);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintDisc(painter, QRectF(0, 0, Size, Size));
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        icon.addPixmap(ProgramIconImage(size));
    }
    return icon;
}

} // namespace kestrune
