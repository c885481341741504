#pragma once

// The bar's progress field: the percentage as a filled area in one of five
// styles, inside its own bevel rings, turned with its angle. The bar feeds
// every setting in; none is stored with a form.

#include "progressbar/progress_fill.h"
#include "progressbar/turn_control.h"

namespace kestrune {

class TTurnProgress : public TTurnControl {
public:
    explicit TTurnProgress(QWidget* AParent);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Angle() const { return AngleState().Angle; }
    int Percent() const { return FPercent; }
    int Gap() const { return FGap; }
    int OuterBevelWidth() const { return FOuter.Width; }
    int InnerBevelWidth() const { return FInner.Width; }
    TTurnBevelKind OuterBevelKind() const { return FOuter.Kind; }
    TTurnBevelKind InnerBevelKind() const { return FInner.Kind; }
    TTurnProgressKind ProgressKind() const { return FProgressKind; }
    TColor MainColor() const { return FMainColor; }
    int PartsNumber() const { return FPartsNumber; }
    int BevelThickness() const;

    // Values equal to the current one are ignored, and so are a width or
    // height below 1, a percent outside 0..100 and a parts number below 1.
    virtual void SetWidth(int Value);
    virtual void SetHeight(int Value);
    virtual void SetAngle(int Value);
    virtual void SetPercent(int Value);
    virtual void SetGap(int Value);
    virtual void SetOuterBevelWidth(int Value);
    virtual void SetInnerBevelWidth(int Value);
    virtual void SetOuterBevelKind(TTurnBevelKind Value);
    virtual void SetInnerBevelKind(TTurnBevelKind Value);
    virtual void SetProgressKind(TTurnProgressKind Value);
    virtual void SetMainColor(TColor Value);
    virtual void SetPartsNumber(int Value);

    // Called with the fill area's placed corners whenever a pkUser bar paints.
    void SetPaintCallback(TTurnPaintProcedure Value) { FPaintCallback = std::move(Value); }

    // The fill settings as painting uses them (colours unresolved).
    TProgressFillSettings FillSettings() const;

protected:
    void CreateWnd() override;
    void PaintControl(QPainter& Painter) override;

private:
    void Refit();

    int FWidth = 100;
    int FHeight = 16;
    int FPercent = 0;
    int FGap = 0;
    TBevel FOuter{0, TTurnBevelKind::bkUP};
    TBevel FInner{0, TTurnBevelKind::bkDown};
    TTurnProgressKind FProgressKind = TTurnProgressKind::pkSimple;
    TColor FMainColor = RGBColor(128, 128, 128);
    int FPartsNumber = 20;
    TTurnPaintProcedure FPaintCallback;
};

} // namespace kestrune
