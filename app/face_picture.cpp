#include "app/face_picture.h"

#include "app/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kestrune {

namespace {

const QColor PlateTop(70, 77, 84);
const QColor PlateBottom(32, 36, 40);
const QColor Engraving(16, 18, 20);
const QColor Label(226, 232, 236);
const QColor Muted(150, 160, 168);
const QColor Lime(96, 214, 120);
const QColor TickGreen(110, 220, 130);
const QColor CrossRed(240, 96, 88);

QFont FaceFont(int PixelSize, bool Bold) {
    QFont font("Sans Serif");
    font.setPixelSize(PixelSize);
    font.setBold(Bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// A brushed dark metal plate over the whole face, lit from above.
void PaintPlate(QPainter& Painter) {
    QLinearGradient metal(0, 0, 0, face::Height);
    metal.setColorAt(0.0, PlateTop);
    metal.setColorAt(0.45, QColor(50, 56, 62));
    metal.setColorAt(1.0, PlateBottom);
    Painter.fillRect(QRect(0, 0, face::Width, face::Height), metal);
    Painter.setPen(QColor(255, 255, 255, 12));
    for (int y = 1; y < face::Height; y += 2) {
        Painter.drawLine(0, y, face::Width, y);
    }
    Painter.setPen(QColor(255, 255, 255, 60));
    Painter.drawLine(0, 0, face::Width, 0);
    // A groove between the name plate and the controls.
    Painter.setPen(Engraving);
    Painter.drawLine(164, 5, 164, face::Height - 6);
    Painter.setPen(QColor(255, 255, 255, 40));
    Painter.drawLine(165, 5, 165, face::Height - 6);
}

// The product's name and version, with the disc it works on.
void PaintNamePlate(QPainter& Painter) {
    PaintDisc(Painter, QRectF(8, 9, 38, 38));
    Painter.setFont(FaceFont(20, true));
    Painter.setPen(Engraving);
    Painter.drawText(QRect(54, 7, 108, 26), Qt::AlignLeft | Qt::AlignVCenter, "Kestrune");
    Painter.setPen(Label);
    Painter.drawText(QRect(53, 6, 108, 26), Qt::AlignLeft | Qt::AlignVCenter, "Kestrune");
    Painter.setFont(FaceFont(10, true));
    Painter.setPen(Lime);
    Painter.drawText(QRect(54, 31, 40, 14), Qt::AlignLeft | Qt::AlignVCenter, "v 1.0");
    Painter.setFont(FaceFont(9, false));
    Painter.setPen(Muted);
    Painter.drawText(QRect(88, 31, 74, 14), Qt::AlignLeft | Qt::AlignVCenter, "CD to MP3");
}

// A sunken well for the progress bar, so the bar looks set into the plate.
void PaintBarWell(QPainter& Painter) {
    const QRectF well = QRectF(face::BarWell).adjusted(0.5, 0.5, -0.5, -0.5);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(QColor(12, 14, 16));
    Painter.drawRoundedRect(well, 3, 3);
    Painter.setBrush(Qt::NoBrush);
    Painter.setPen(QColor(255, 255, 255, 70));
    Painter.drawLine(QPointF(well.left() + 3, well.bottom()),
                     QPointF(well.right() - 3, well.bottom()));
    Painter.setFont(FaceFont(8, true));
    Painter.setPen(Muted);
    Painter.drawText(QRect(face::BarWell.left() + 2, 1, 100, 11), Qt::AlignLeft | Qt::AlignVCenter,
                     "PROGRESS");
}

// A small raised key with a caption, as on a player's front.
void PaintKey(QPainter& Painter, const QRect& Area, const QString& Caption) {
    const QRectF key = QRectF(Area).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient face(key.topLeft(), key.bottomLeft());
    face.setColorAt(0.0, QColor(118, 128, 138));
    face.setColorAt(0.5, QColor(84, 93, 102));
    face.setColorAt(1.0, QColor(58, 64, 71));
    Painter.setPen(QPen(Engraving, 1));
    Painter.setBrush(face);
    Painter.drawRoundedRect(key, 3, 3);
    Painter.setPen(QColor(255, 255, 255, 90));
    Painter.drawLine(QPointF(key.left() + 3, key.top() + 1),
                     QPointF(key.right() - 3, key.top() + 1));
    Painter.setFont(FaceFont(9, true));
    Painter.setPen(Engraving);
    Painter.drawText(Area.translated(0, 1), Qt::AlignCenter, Caption);
    Painter.setPen(Label);
    Painter.drawText(Area, Qt::AlignCenter, Caption);
}

// A small square key carrying a glyph drawn by Glyph in the key's rectangle.
template <typename GlyphPainter>
void PaintGlyphKey(QPainter& Painter, const QRect& Area, const QColor& Ink, GlyphPainter Glyph) {
    const QRectF key = QRectF(Area).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient face(key.topLeft(), key.bottomLeft());
    face.setColorAt(0.0, QColor(96, 105, 114));
    face.setColorAt(1.0, QColor(50, 56, 62));
    Painter.setPen(QPen(Engraving, 1));
    Painter.setBrush(face);
    Painter.drawRoundedRect(key, 2.5, 2.5);
    Painter.setPen(QPen(Ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    Painter.setBrush(Qt::NoBrush);
    Glyph(key.adjusted(3, 3, -3, -3));
}

} // namespace

QColor FaceEdgeColour() {
    return PlateBottom;
}

QPixmap FacePicture(qreal Ratio) {
    QPixmap picture(qRound(face::Width * Ratio), qRound(face::Height * Ratio));
    picture.setDevicePixelRatio(Ratio);
    picture.fill(PlateBottom);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintPlate(painter);
    PaintNamePlate(painter);
    PaintBarWell(painter);
    painter.setFont(FaceFont(8, true));
    painter.setPen(Muted);
    painter.drawText(QRect(face::StopFace.right() + 1, face::StopFace.top(),
                           face::AboutFace.left() - face::StopFace.right() - 1,
                           face::StopFace.height()),
                     Qt::AlignCenter, "128 kbit/s");
    PaintKey(painter, face::StopFace, "Stop");
    PaintKey(painter, face::AboutFace, "About");
    PaintGlyphKey(painter, face::TickFace, TickGreen, [&](const QRectF& Glyph) {
        QPainterPath tick;
        tick.moveTo(Glyph.left(), Glyph.center().y());
        tick.lineTo(Glyph.left() + Glyph.width() * 0.38, Glyph.bottom());
        tick.lineTo(Glyph.right(), Glyph.top());
        painter.drawPath(tick);
    });
    PaintGlyphKey(painter, face::CrossFace, CrossRed, [&](const QRectF& Glyph) {
        const QRectF square(Glyph.center() - QPointF(2.5, 2.5), QSizeF(5, 5));
        painter.drawLine(square.topLeft(), square.bottomRight());
        painter.drawLine(square.bottomLeft(), square.topRight());
    });
    return picture;
}

} // namespace kestrune
