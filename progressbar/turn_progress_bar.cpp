#include "progressbar/turn_progress_bar.h"

#include "progressbar/bar_layout.h"
#include "progressbar/bevel_rings.h"
#include "progressbar/rotation.h"

#include <QPainter>

#include <array>
#include <exception>

namespace kestrune {

namespace {

// Caches Value and hands it to the field unless it is the cached one already.
template <class T, class Field, class Setter>
void Forward(T& Cached, T Value, Field& Target, Setter Set) {
    if (Value == Cached) {
        return;
    }
    Cached = Value;
    (Target.*Set)(Value);
}

} // namespace

// The fields are Qt children of the bar and go with it.
TTurnProgressBar::TTurnProgressBar(QWidget* AParent) : TTurnControl(AParent) {
    FNumberField = new TTurn100Field(this);
    FProgressField = new TTurnProgress(this);
    FProgressField->SetPaintCallback([this](const T4points& Points) { ForwardPaintEvent(Points); });
    FNumberField->SetFontSource([this] { return FNFFont; });

    FNFColor = FNumberField->Color();
    FNFAngle = FNumberField->Angle();
    FNFFieldKind = FNumberField->Kind();
    FNFFieldNumberHeight = FNumberField->DigitHeight();
    FNFFieldNumberColor = FNumberField->DigitColor();
    FNFGap = FNumberField->Gap();
    FNFOuter = {FNumberField->OuterBevelWidth(), FNumberField->OuterBevelKind()};
    FNFInner = {FNumberField->InnerBevelWidth(), FNumberField->InnerBevelKind()};

    FPFWidth = FProgressField->Width();
    FPFHeight = FProgressField->Height();
    FPFColor = FProgressField->Color();
    FPFGap = FProgressField->Gap();
    FPFOuter = {FProgressField->OuterBevelWidth(), FProgressField->OuterBevelKind()};
    FPFInner = {FProgressField->InnerBevelWidth(), FProgressField->InnerBevelKind()};
    FPFProgressKind = FProgressField->ProgressKind();
    FPFMainColor = FProgressField->MainColor();
    FPFPartsNumber = FProgressField->PartsNumber();

    // The font is the bar's from the start, so a font set before the window
    // exists is the one it measures with once it does.
    FNFFont = MakeTurnFont(QStringLiteral("Times New Roman"), PointsToPixels(12));
    FNumberField->SetFonts(FNFFont);
}

TTurnProgressBar::~TTurnProgressBar() = default;

int TTurnProgressBar::BevelThickness() const {
    return kestrune::BevelThickness(FGap, FOuter, FInner);
}

void TTurnProgressBar::CreateWnd() {
    FNumberField->EnsureWindowCreated();
    FProgressField->EnsureWindowCreated();
    FNumberField->SetOwnerWindow(this);
    FProgressField->SetOwnerWindow(this);
    NFFontChanged();
    LayoutBar();
}

bool TTurnProgressBar::event(QEvent* Event) {
    if (Event->type() == ChildResizedMessage) {
        LayoutBar();
        return true;
    }
    return TTurnControl::event(Event);
}

void TTurnProgressBar::NFFontChanged() {
    FNumberField->SetFonts(FNFFont);
    FNumberField->MeasureFrame();
    FNumberField->FitRotatedFrame();
    FNumberField->repaint();
}

void TTurnProgressBar::LayoutBar() {
    const int pg = FProgressField->BevelThickness();
    const TFrameRect& numberFrame = FNumberField->FrameRect();
    const TBarLayout layout =
        LayOutBar({QSize(FProgressField->Width() + 2 * pg, FProgressField->Height() + 2 * pg),
                   QSize(numberFrame.Width(), numberFrame.Height()),
                   FNumberField->Angle() - FProgressField->Angle(), BevelThickness(), FGapInternal,
                   FNumberAlign});
    const int W = layout.Frame.width();
    const int H = layout.Frame.height();
    FFrameRect = {0, 0, W, H};
    FitRotatedFrame(W, H);

    std::array<QPoint, 2> centres = {layout.NumberCentre, layout.ProgressCentre};
    RotatePointsAround(centres, W / 2, H / 2, Angle());
    OffsetPoints(centres, (FittedSize().width() - W) / 2, (FittedSize().height() - H) / 2);
    for (auto [field, centre] : {std::pair<QWidget*, QPoint>{FNumberField, centres[0]},
                                 std::pair<QWidget*, QPoint>{FProgressField, centres[1]}}) {
        field->move(centre.x() - field->width() / 2, centre.y() - field->height() / 2);
        field->update();
    }
}

void TTurnProgressBar::Relayout() {
    LayoutBar();
    update();
}

void TTurnProgressBar::PaintControl(QPainter& Painter) {
    PaintBevelRings(Painter, Color(), FFrameRect.Right, FFrameRect.Bottom, AngleState(), size(),
                    FOuter, FInner, palette());
}

void TTurnProgressBar::ForwardPaintEvent(const T4points& RotatedRectPoints) {
    T4points points = RotatedRectPoints;
    OffsetPoints(points, FProgressField->x(), FProgressField->y());
    if (FOnPaint) {
        FOnPaint(points);
    }
}

void TTurnProgressBar::SetAngle(int Value) {
    if (Value == Angle()) {
        return;
    }
    const int delta = Value - Angle();
    // A field that cannot turn must not keep the bar from turning.
    try {
        FProgressField->SetAngle(Value);
    } catch (const std::exception&) {
    }
    if (FPercentFieldFixed) {
        try {
            SetNFAngle(FNFAngle + delta);
        } catch (const std::exception&) {
        }
    }
    TTurnControl::SetAngle(Value);
    Relayout();
}

void TTurnProgressBar::SetNumberAlign(TTurnNumberAlign Value) {
    if (Value == FNumberAlign) {
        return;
    }
    FNumberAlign = Value;
    Relayout();
}

void TTurnProgressBar::SetGap(int Value) {
    if (Value == FGap || Value < 0) {
        return;
    }
    FGap = Value;
    Relayout();
}

void TTurnProgressBar::SetOuterBevelWidth(int Value) {
    if (Value == FOuter.Width) {
        return;
    }
    FOuter.Width = Value;
    Relayout();
}

void TTurnProgressBar::SetInnerBevelWidth(int Value) {
    if (Value == FInner.Width) {
        return;
    }
    FInner.Width = Value;
    Relayout();
}

void TTurnProgressBar::SetOuterBevelKind(TTurnBevelKind Value) {
    if (Value == FOuter.Kind) {
        return;
    }
    FOuter.Kind = Value;
    Relayout();
}

void TTurnProgressBar::SetInnerBevelKind(TTurnBevelKind Value) {
    if (Value == FInner.Kind) {
        return;
    }
    FInner.Kind = Value;
    Relayout();
}

void TTurnProgressBar::SetPercentFieldFixed(bool Value) {
    if (Value == FPercentFieldFixed) {
        return;
    }
    FPercentFieldFixed = Value;
    update();
}

void TTurnProgressBar::SetPercent(int Value) {
    if (Value == FPercent || Value < 0 || Value > 100) {
        return;
    }
    FPercent = Value;
    FNumberField->SetPercent(Value);
    FProgressField->SetPercent(Value);
    update();
    emit PercentChanged(Value);
}

void TTurnProgressBar::SetGapInternal(int Value) {
    if (Value == FGapInternal || Value < 0) {
        return;
    }
    FGapInternal = Value;
    Relayout();
}

void TTurnProgressBar::SetNFColor(TColor Value) {
    Forward(FNFColor, Value, static_cast<TTurnControl&>(*FNumberField), &TTurnControl::SetColor);
}

void TTurnProgressBar::SetNFAngle(int Value) {
    Forward(FNFAngle, Value, *FNumberField, &TTurn100Field::SetAngle);
}

void TTurnProgressBar::SetNFFieldKind(TTurnNumberKind Value) {
    Forward(FNFFieldKind, Value, *FNumberField, &TTurn100Field::SetKind);
}

void TTurnProgressBar::SetNFFieldNumberHeight(int Value) {
    Forward(FNFFieldNumberHeight, Value, *FNumberField, &TTurn100Field::SetDigitHeight);
}

void TTurnProgressBar::SetNFFieldNumberColor(TColor Value) {
    Forward(FNFFieldNumberColor, Value, *FNumberField, &TTurn100Field::SetDigitColor);
}

void TTurnProgressBar::SetNFGap(int Value) {
    Forward(FNFGap, Value, *FNumberField, &TTurn100Field::SetGap);
}

void TTurnProgressBar::SetNFOuterBevelWidth(int Value) {
    Forward(FNFOuter.Width, Value, *FNumberField, &TTurn100Field::SetOuterBevelWidth);
}

void TTurnProgressBar::SetNFInnerBevelWidth(int Value) {
    Forward(FNFInner.Width, Value, *FNumberField, &TTurn100Field::SetInnerBevelWidth);
}

void TTurnProgressBar::SetNFOuterBevelKind(TTurnBevelKind Value) {
    Forward(FNFOuter.Kind, Value, *FNumberField, &TTurn100Field::SetOuterBevelKind);
}

void TTurnProgressBar::SetNFInnerBevelKind(TTurnBevelKind Value) {
    Forward(FNFInner.Kind, Value, *FNumberField, &TTurn100Field::SetInnerBevelKind);
}

void TTurnProgressBar::SetNFFont(const TTurnFont& Value) {
    FNFFont = Value;
    NFFontChanged();
}

void TTurnProgressBar::SetPFWidth(int Value) {
    Forward(FPFWidth, Value, *FProgressField, &TTurnProgress::SetWidth);
}

void TTurnProgressBar::SetPFHeight(int Value) {
    Forward(FPFHeight, Value, *FProgressField, &TTurnProgress::SetHeight);
}

void TTurnProgressBar::SetPFColor(TColor Value) {
    Forward(FPFColor, Value, static_cast<TTurnControl&>(*FProgressField), &TTurnControl::SetColor);
}

void TTurnProgressBar::SetPFGap(int Value) {
    Forward(FPFGap, Value, *FProgressField, &TTurnProgress::SetGap);
}

void TTurnProgressBar::SetPFOuterBevelWidth(int Value) {
    Forward(FPFOuter.Width, Value, *FProgressField, &TTurnProgress::SetOuterBevelWidth);
}

void TTurnProgressBar::SetPFInnerBevelWidth(int Value) {
    Forward(FPFInner.Width, Value, *FProgressField, &TTurnProgress::SetInnerBevelWidth);
}

void TTurnProgressBar::SetPFOuterBevelKind(TTurnBevelKind Value) {
    Forward(FPFOuter.Kind, Value, *FProgressField, &TTurnProgress::SetOuterBevelKind);
}

void TTurnProgressBar::SetPFInnerBevelKind(TTurnBevelKind Value) {
    Forward(FPFInner.Kind, Value, *FProgressField, &TTurnProgress::SetInnerBevelKind);
}

void TTurnProgressBar::SetPFProgressKind(TTurnProgressKind Value) {
    Forward(FPFProgressKind, Value, *FProgressField, &TTurnProgress::SetProgressKind);
}

void TTurnProgressBar::SetPFMainColor(TColor Value) {
    Forward(FPFMainColor, Value, *FProgressField, &TTurnProgress::SetMainColor);
}

void TTurnProgressBar::SetPFPartsNumber(int Value) {
    if (Value < 1) {
        return;
    }
    Forward(FPFPartsNumber, Value, *FProgressField, &TTurnProgress::SetPartsNumber);
}

} // namespace kestrune
