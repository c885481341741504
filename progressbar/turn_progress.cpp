#include "progressbar/turn_progress.h"

#include "platform/polygon_region.h"
#include "progressbar/bevel_rings.h"
#include "progressbar/frame_fit.h"

#include <QPainter>

namespace kestrune {

TTurnProgress::TTurnProgress(QWidget* AParent) : TTurnControl(AParent) {
    resize(FWidth, FHeight);
}

int TTurnProgress::BevelThickness() const {
    return kestrune::BevelThickness(FGap, FOuter, FInner);
}

void TTurnProgress::Refit() {
    const int pg = BevelThickness();
    FitRotatedFrame(FWidth + 2 * pg, FHeight + 2 * pg);
}

void TTurnProgress::CreateWnd() {
    Refit();
}

void TTurnProgress::SetWidth(int Value) {
    if (Value == FWidth || Value < 1) {
        return;
    }
    FWidth = Value;
    Refit();
}

void TTurnProgress::SetHeight(int Value) {
    if (Value == FHeight || Value < 1) {
        return;
    }
    FHeight = Value;
    Refit();
}

void TTurnProgress::SetAngle(int Value) {
    if (Value == Angle()) {
        return;
    }
    TTurnControl::SetAngle(Value);
    Refit();
}

void TTurnProgress::SetPercent(int Value) {
    if (Value == FPercent || Value < 0 || Value > 100) {
        return;
    }
    FPercent = Value;
    update();
}

void TTurnProgress::SetGap(int Value) {
    if (Value == FGap) {
        return;
    }
    FGap = Value;
    Refit();
}

void TTurnProgress::SetOuterBevelWidth(int Value) {
    if (Value == FOuter.Width) {
        return;
    }
    FOuter.Width = Value;
    Refit();
}

void TTurnProgress::SetInnerBevelWidth(int Value) {
    if (Value == FInner.Width) {
        return;
    }
    FInner.Width = Value;
    Refit();
}

void TTurnProgress::SetOuterBevelKind(TTurnBevelKind Value) {
    if (Value == FOuter.Kind) {
        return;
    }
    FOuter.Kind = Value;
    Refit();
}

void TTurnProgress::SetInnerBevelKind(TTurnBevelKind Value) {
    if (Value == FInner.Kind) {
        return;
    }
    FInner.Kind = Value;
    Refit();
}

void TTurnProgress::SetProgressKind(TTurnProgressKind Value) {
    if (Value == FProgressKind) {
        return;
    }
    FProgressKind = Value;
    update();
}

void TTurnProgress::SetMainColor(TColor Value) {
    if (Value == FMainColor) {
        return;
    }
    FMainColor = Value;
    update();
}

void TTurnProgress::SetPartsNumber(int Value) {
    if (Value == FPartsNumber || Value < 1) {
        return;
    }
    FPartsNumber = Value;
    update();
}

TProgressFillSettings TTurnProgress::FillSettings() const {
    return {FWidth,        FHeight,    FPercent, BevelThickness(),
            FProgressKind, FMainColor, Color(),  FPartsNumber};
}

void TTurnProgress::PaintControl(QPainter& Painter) {
    const TProgressFillSettings settings = FillSettings();
    const int pg = settings.Inset;
    const int W = FWidth + 2 * pg;
    const int H = FHeight + 2 * pg;
    const int angle = Angle();
    if (FProgressKind == TTurnProgressKind::pkUser) {
        T4points corners = FillAreaCorners(settings);
        PlacePoints(corners, W, H, angle, size());
        if (FPaintCallback) {
            FPaintCallback(corners);
        }
    } else {
        for (TFillPiece& piece : ProgressFillPieces(settings, palette())) {
            PlacePoints(piece.Points, W, H, angle, size());
            platform::FillPolygonRegion(Painter, piece.Points, platform::ToQColor(piece.Color));
        }
    }
    PaintBevelRings(Painter, Color(), W, H, AngleState(), size(), FOuter, FInner, palette());
}

} // namespace kestrune
