#pragma once

// The turnable progress bar: a percentage shown twice, as a filled bar
// (TTurnProgress) and as three digits (TTurn100Field), inside a bevelled frame
// that can be turned by any angle. It holds every setting of its two fields
// (NF... for the number field, PF... for the progress field), hands each to
// the field that uses it, sizes and shapes its window to its turned frame and
// places the fields in it.

#include "progressbar/turn_100_field.h"
#include "progressbar/turn_control.h"
#include "progressbar/turn_font.h"
#include "progressbar/turn_progress.h"

#include <QObject>

namespace kestrune {

class TTurnProgressBar : public TTurnControl {
    Q_OBJECT
public:
    explicit TTurnProgressBar(QWidget* AParent = nullptr);
    ~TTurnProgressBar() override;

    TTurn100Field& NumberField() const { return *FNumberField; }
    TTurnProgress& ProgressField() const { return *FProgressField; }

    bool PercentFieldFixed() const { return FPercentFieldFixed; }
    int Angle() const { return AngleState().Angle; }
    TTurnNumberAlign NumberAlign() const { return FNumberAlign; }
    int Gap() const { return FGap; }
    int OuterBevelWidth() const { return FOuter.Width; }
    int InnerBevelWidth() const { return FInner.Width; }
    TTurnBevelKind OuterBevelKind() const { return FOuter.Kind; }
    TTurnBevelKind InnerBevelKind() const { return FInner.Kind; }
    int Percent() const { return FPercent; }
    int GapInternal() const { return FGapInternal; }
    const TTurnPaintProcedure& onPaint() const { return FOnPaint; }
    int BevelThickness() const;
    // The unturned frame, (0, 0, W, H).
    const TFrameRect& FrameRect() const { return FFrameRect; }

    TColor NFColor() const { return FNFColor; }
    int NFAngle() const { return FNFAngle; }
    TTurnNumberKind NFFieldKind() const { return FNFFieldKind; }
    int NFFieldNumberHeight() const { return FNFFieldNumberHeight; }
    TColor NFFieldNumberColor() const { return FNFFieldNumberColor; }
    int NFGap() const { return FNFGap; }
    int NFOuterBevelWidth() const { return FNFOuter.Width; }
    int NFInnerBevelWidth() const { return FNFInner.Width; }
    TTurnBevelKind NFOuterBevelKind() const { return FNFOuter.Kind; }
    TTurnBevelKind NFInnerBevelKind() const { return FNFInner.Kind; }
    const TTurnFont& NFFont() const { return FNFFont; }

    int PFWidth() const { return FPFWidth; }
    int PFHeight() const { return FPFHeight; }
    TColor PFColor() const { return FPFColor; }
    int PFGap() const { return FPFGap; }
    int PFOuterBevelWidth() const { return FPFOuter.Width; }
    int PFInnerBevelWidth() const { return FPFInner.Width; }
    TTurnBevelKind PFOuterBevelKind() const { return FPFOuter.Kind; }
    TTurnBevelKind PFInnerBevelKind() const { return FPFInner.Kind; }
    TTurnProgressKind PFProgressKind() const { return FPFProgressKind; }
    TColor PFMainColor() const { return FPFMainColor; }
    int PFPartsNumber() const { return FPFPartsNumber; }

    // Every setter ignores the value it already holds. Out-of-range values are
    // ignored too: Percent outside 0..100, a negative Gap or GapInternal, a
    // PFPartsNumber below 1. Values a field refuses stay in the bar's copy.
    virtual void SetAngle(int Value);
    virtual void SetNumberAlign(TTurnNumberAlign Value);
    virtual void SetGap(int Value);
    virtual void SetOuterBevelWidth(int Value);
    virtual void SetInnerBevelWidth(int Value);
    virtual void SetOuterBevelKind(TTurnBevelKind Value);
    virtual void SetInnerBevelKind(TTurnBevelKind Value);
    virtual void SetPercentFieldFixed(bool Value);
    virtual void SetPercent(int Value);
    virtual void SetGapInternal(int Value);
    virtual void SetNFColor(TColor Value);
    virtual void SetNFAngle(int Value);
    virtual void SetNFFieldKind(TTurnNumberKind Value);
    virtual void SetNFFieldNumberHeight(int Value);
    virtual void SetNFFieldNumberColor(TColor Value);
    virtual void SetNFGap(int Value);
    virtual void SetNFOuterBevelWidth(int Value);
    virtual void SetNFInnerBevelWidth(int Value);
    virtual void SetNFOuterBevelKind(TTurnBevelKind Value);
    virtual void SetNFInnerBevelKind(TTurnBevelKind Value);
    // Copies Value into the bar's own font, then re-measures the number.
    virtual void SetNFFont(const TTurnFont& Value);
    virtual void SetPFWidth(int Value);
    virtual void SetPFHeight(int Value);
    virtual void SetPFColor(TColor Value);
    virtual void SetPFGap(int Value);
    virtual void SetPFOuterBevelWidth(int Value);
    virtual void SetPFInnerBevelWidth(int Value);
    virtual void SetPFOuterBevelKind(TTurnBevelKind Value);
    virtual void SetPFInnerBevelKind(TTurnBevelKind Value);
    virtual void SetPFProgressKind(TTurnProgressKind Value);
    virtual void SetPFMainColor(TColor Value);
    virtual void SetPFPartsNumber(int Value);
    void SetOnPaint(TTurnPaintProcedure Value) { FOnPaint = std::move(Value); }

signals:
    // Emitted after Percent took a new value.
    void PercentChanged(int Value);

protected:
    void CreateWnd() override;
    void PaintControl(QPainter& Painter) override;
    bool event(QEvent* Event) override;

private:
    void LayoutBar();
    void Relayout();
    void NFFontChanged();
    void ForwardPaintEvent(const T4points& RotatedRectPoints);

    TTurn100Field* FNumberField = nullptr;   // owned by this widget as its child
    TTurnProgress* FProgressField = nullptr; // likewise

    bool FPercentFieldFixed = true;
    TTurnNumberAlign FNumberAlign = TTurnNumberAlign::naLeft;
    int FGap = 0;
    TBevel FOuter{1, TTurnBevelKind::bkUP};
    TBevel FInner{1, TTurnBevelKind::bkDown};
    int FPercent = 0;
    int FGapInternal = 2;
    TTurnPaintProcedure FOnPaint;
    TFrameRect FFrameRect;

    TColor FNFColor = clWindow;
    int FNFAngle = 0;
    TTurnNumberKind FNFFieldKind = TTurnNumberKind::nkSegment;
    int FNFFieldNumberHeight = 16;
    TColor FNFFieldNumberColor = 0;
    int FNFGap = 0;
    TBevel FNFOuter;
    TBevel FNFInner;
    TTurnFont FNFFont;

    int FPFWidth = 100;
    int FPFHeight = 16;
    TColor FPFColor = clWindow;
    int FPFGap = 0;
    TBevel FPFOuter;
    TBevel FPFInner;
    TTurnProgressKind FPFProgressKind = TTurnProgressKind::pkSimple;
    TColor FPFMainColor = 0;
    int FPFPartsNumber = 20;
};

} // namespace kestrune
