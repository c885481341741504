#pragma once

// The bar's number field: the percentage as three digits, "000" to "100",
// drawn as polygon glyphs or written with a font, inside its own bevel rings
// and turned with its own angle. The bar feeds every setting in.

#include "progressbar/turn_control.h"
#include "progressbar/turn_font.h"

#include <QString>

#include <functional>

namespace kestrune {

struct TFrameRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

class TTurn100Field : public TTurnControl {
public:
    explicit TTurn100Field(QWidget* AParent);

    int Angle() const { return AngleState().Angle; }
    TTurnNumberKind Kind() const { return FKind; }
    int DigitHeight() const { return FDigitHeight; }
    TColor DigitColor() const { return FDigitColor; }
    int Percent() const { return FPercent; }
    int Gap() const { return FGap; }
    int OuterBevelWidth() const { return FOuter.Width; }
    int InnerBevelWidth() const { return FInner.Width; }
    TTurnBevelKind OuterBevelKind() const { return FOuter.Kind; }
    TTurnBevelKind InnerBevelKind() const { return FInner.Kind; }
    int BevelThickness() const;
    const TFrameRect& FrameRect() const { return FFrameRect; }
    // The three characters shown, "000" to "100".
    QString Text() const;

    // Values equal to the current one are ignored, and so are a digit height
    // of 0 or less and a percent outside 0..100.
    virtual void SetAngle(int Value);
    virtual void SetKind(TTurnNumberKind Value);
    virtual void SetDigitHeight(int Value);
    virtual void SetDigitColor(TColor Value);
    virtual void SetPercent(int Value);
    virtual void SetGap(int Value);
    virtual void SetOuterBevelWidth(int Value);
    virtual void SetInnerBevelWidth(int Value);
    virtual void SetOuterBevelKind(TTurnBevelKind Value);
    virtual void SetInnerBevelKind(TTurnBevelKind Value);

    // Recomputes FrameRect from the kind, the digit height or the canvas
    // font, and the bevels.
    void MeasureFrame();
    // Fits the window to FrameRect turned by the angle.
    void FitRotatedFrame();

    const TTurnFont& CanvasFont() const { return FCanvasFont; }
    // Sets the font that measures and writes the digits, and the control's.
    void SetFonts(const TTurnFont& Value);
    // Where a font-drawn number takes its font from at every paint: the bar's.
    void SetFontSource(std::function<TTurnFont()> Value) { FFontSource = std::move(Value); }

protected:
    void CreateWnd() override;
    void PaintControl(QPainter& Painter) override;

private:
    void Refit();
    void DrawNumber(QPainter& Painter);
    void DrawGlyphs(QPainter& Painter);
    void DrawText(QPainter& Painter);

    TTurnNumberKind FKind = TTurnNumberKind::nkSegment;
    int FDigitHeight = 16;
    TColor FDigitColor = 0;
    int FPercent = 0;
    int FGap = 0;
    TBevel FOuter{0, TTurnBevelKind::bkUP};
    TBevel FInner{0, TTurnBevelKind::bkDown};
    TFrameRect FFrameRect;
    TTurnFont FCanvasFont;
    std::function<TTurnFont()> FFontSource;
};

} // namespace kestrune
