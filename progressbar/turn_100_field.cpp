#include "progressbar/turn_100_field.h"

#include "platform/polygon_region.h"
#include "progressbar/bevel_rings.h"
#include "progressbar/digit_glyphs.h"
#include "progressbar/frame_fit.h"

#include <QFontMetrics>
#include <QPainter>

#include <array>
#include <cmath>

namespace kestrune {

namespace {

// Whole pixels above the baseline, rounded up so that no ink is cut off.
int CellAscent(const QFont& Font) {
    return static_cast<int>(std::ceil(QFontMetricsF(Font).ascent()));
}

// The cell of the three digits: their advance, and whole pixels above and
// below the baseline.
QSize TextCell(const QFont& Font) {
    const QFontMetricsF metrics(Font);
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(QStringLiteral("000")))),
                 CellAscent(Font) + static_cast<int>(std::ceil(metrics.descent())));
}

} // namespace

TTurn100Field::TTurn100Field(QWidget* AParent) : TTurnControl(AParent) {
    FCanvasFont.Font = font();
    resize(24, 16);
}

int TTurn100Field::BevelThickness() const {
    return kestrune::BevelThickness(FGap, FOuter, FInner);
}

QString TTurn100Field::Text() const {
    return QString::asprintf("%3.3d", FPercent);
}

void TTurn100Field::CreateWnd() {
    MeasureFrame();
    FitRotatedFrame();
}

void TTurn100Field::Refit() {
    MeasureFrame();
    FitRotatedFrame();
}

void TTurn100Field::MeasureFrame() {
    const int t = BevelThickness();
    switch (FKind) {
    case TTurnNumberKind::nkSegment:
        FFrameRect = {0, 0, 2 * t + (3 * FDigitHeight) / 2, 2 * t + FDigitHeight};
        break;
    case TTurnNumberKind::nkFont: {
        const QSize text = TextCell(FCanvasFont.Font);
        FFrameRect = {0, 0, 2 * t + text.width(), 2 * t + text.height()};
        break;
    }
    case TTurnNumberKind::nkNone:
        FFrameRect = {};
        break;
    }
}

void TTurn100Field::FitRotatedFrame() {
    TTurnControl::FitRotatedFrame(FFrameRect.Width(), FFrameRect.Height());
}

void TTurn100Field::SetFonts(const TTurnFont& Value) {
    FCanvasFont = Value;
    setFont(Value.Font);
}

void TTurn100Field::SetAngle(int Value) {
    if (Value == Angle()) {
        return;
    }
    TTurnControl::SetAngle(Value);
    FitRotatedFrame();
}

void TTurn100Field::SetKind(TTurnNumberKind Value) {
    if (Value == FKind) {
        return;
    }
    FKind = Value;
    Refit();
}

void TTurn100Field::SetDigitHeight(int Value) {
    if (Value == FDigitHeight || Value <= 0) {
        return;
    }
    FDigitHeight = Value;
    Refit();
}

void TTurn100Field::SetDigitColor(TColor Value) {
    if (Value == FDigitColor) {
        return;
    }
    FDigitColor = Value;
    update();
}

void TTurn100Field::SetPercent(int Value) {
    if (Value == FPercent || Value < 0 || Value > 100) {
        return;
    }
    FPercent = Value;
    update();
}

void TTurn100Field::SetGap(int Value) {
    if (Value == FGap) {
        return;
    }
    FGap = Value;
    Refit();
}

void TTurn100Field::SetOuterBevelWidth(int Value) {
    if (Value == FOuter.Width) {
        return;
    }
    FOuter.Width = Value;
    Refit();
}

void TTurn100Field::SetInnerBevelWidth(int Value) {
    if (Value == FInner.Width) {
        return;
    }
    FInner.Width = Value;
    Refit();
}

void TTurn100Field::SetOuterBevelKind(TTurnBevelKind Value) {
    if (Value == FOuter.Kind) {
        return;
    }
    FOuter.Kind = Value;
    Refit();
}

void TTurn100Field::SetInnerBevelKind(TTurnBevelKind Value) {
    if (Value == FInner.Kind) {
        return;
    }
    FInner.Kind = Value;
    Refit();
}

void TTurn100Field::PaintControl(QPainter& Painter) {
    DrawNumber(Painter);
    PaintBevelRings(Painter, Color(), FFrameRect.Right, FFrameRect.Bottom, AngleState(), size(),
                    FOuter, FInner, palette());
}

void TTurn100Field::DrawNumber(QPainter& Painter) {
    switch (FKind) {
    case TTurnNumberKind::nkSegment:
        DrawGlyphs(Painter);
        break;
    case TTurnNumberKind::nkFont:
        DrawText(Painter);
        break;
    case TTurnNumberKind::nkNone:
        break;
    }
}

void TTurn100Field::DrawGlyphs(QPainter& Painter) {
    const int t = BevelThickness();
    const int W = FFrameRect.Width();
    const int H = FFrameRect.Height();
    const int cellWidth = ((3 * FDigitHeight) / 2) / 3;
    const QColor colour = platform::ToQColor(Resolved(FDigitColor));
    const QString text = Text();
    for (int i = 0; i < 3; ++i) {
        const int digit = text.at(i).digitValue();
        std::vector<QPoint> points =
            DigitGlyph(digit, {t + i * cellWidth, t, cellWidth, FDigitHeight});
        PlacePoints(points, W, H, Angle(), size());
        platform::FillPolygonRegion(Painter, points, colour);
    }
}

void TTurn100Field::DrawText(QPainter& Painter) {
    const int t = BevelThickness();
    std::array<QPoint, 1> start = {QPoint(t, t)};
    PlacePoints(start, FFrameRect.Width(), FFrameRect.Height(), Angle(), size());
    if (FFontSource) {
        FCanvasFont = FFontSource();
    }
    Painter.save();
    Painter.setFont(FCanvasFont.Font);
    Painter.setPen(platform::ToQColor(Resolved(FCanvasFont.Color)));
    // The start point is the top left of the text's cell; the text turns
    // about it, counter-clockwise for a positive angle.
    Painter.translate(start[0]);
    Painter.rotate(-Angle() / 10.0);
    Painter.drawText(QPoint(0, CellAscent(FCanvasFont.Font)), Text());
    Painter.restore();
}

} // namespace kestrune
