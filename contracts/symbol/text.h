// Text views of the symbol model: a text symbol laid out in a box the host gives, and a framed text
// box placed at one point. Sizes are millimetres, angles degrees, transparencies percent (0 opaque,
// 100 invisible), colours packed 0x00RRGGBB with the top byte ignored.
//
// Texts and font names are zero-terminated 8-bit strings in the symbol library's code page (the
// host's SYMBOL2_CODEPAGE: Windows-1252 unless it says GBK); the library converts them before
// they reach the graphics layer. Pointer results address values the symbol owns; a null one is
// read as "not set".
#pragma once

#include <cstdint>

#include "contracts/symbol/symbol.h"

// Style bits of both text kinds (not the graphics layer's FontStyle bits).
enum TextStyleFlag : int32_t {
    TextStyleItalic = 1,
    TextStyleBold = 2,
    TextStyleUnderline = 4,
    TextStyleStrikeout = 8,
};

// Alignment codes of a text symbol; any other code centres.
enum TextAlignment : int32_t {
    TextAlignLeft = 0,
    TextAlignCentre = 1,
    TextAlignRight = 2,
};

// A text symbol (type 17), reached through GetTextSymbol.
class IGIS_TextSymbol : public IGIS_Symbol {
public:
    virtual uint32_t GetColor() const noexcept = 0;
    virtual int32_t GetTransparency() const noexcept = 0;
    virtual const char* GetText() const noexcept = 0;  // null or empty: nothing to draw
    virtual const char* GetFontName() const noexcept = 0;
    virtual const double* GetFontSize() const noexcept = 0;
    virtual const int32_t* GetFontStyle() const noexcept = 0;  // TextStyleFlag bits
    // margins[0..3] = left, top, right, bottom; false when the symbol has none to give.
    virtual bool GetMargins(double* margins) const noexcept = 0;
    virtual const int32_t* GetAlignment() const noexcept = 0;  // a TextAlignment
    virtual const double* GetLineGap() const noexcept = 0;     // extra space between lines
    virtual const double* GetAngle() const noexcept = 0;       // about the layout box's centre

protected:
    ~IGIS_TextSymbol() override = default;
};

// A box of w x h millimetres (plus margins) growing from the anchor point along the symbol's +x
// and +y axes, optionally filled and framed, with a multi-line text fitted to its inner area.
class IGIS_TextBoxSymbol : public IGIS_Symbol {
public:
    virtual uint32_t GetColor() const noexcept = 0;  // of the text
    virtual int32_t GetTransparency() const noexcept = 0;
    virtual const double* GetAngle() const noexcept = 0;  // box and text turn about the anchor
    virtual const bool* GetKeepAspect() const noexcept = 0;
    virtual const double* GetBoxWidth() const noexcept = 0;   // -1: no box, nothing drawn
    virtual const double* GetBoxHeight() const noexcept = 0;  // -1: no box, nothing drawn
    virtual const char* GetFontName() const noexcept = 0;
    virtual const double* GetFontSize() const noexcept = 0;    // before fitting
    virtual const int32_t* GetFontStyle() const noexcept = 0;  // TextStyleFlag bits
    virtual const bool* GetDrawFrame() const noexcept = 0;
    virtual double GetFrameWidth() const noexcept = 0;
    virtual uint32_t GetFrameColor() const noexcept = 0;
    virtual int32_t GetFrameTransparency() const noexcept = 0;
    // The symbol's four margins (left, top, right, bottom), or null for none.
    virtual const double* GetMargins() const noexcept = 0;
    virtual const uint32_t* GetFillColor() const noexcept = 0;
    virtual const int32_t* GetFillTransparency() const noexcept = 0;
    virtual const bool* GetDrawFill() const noexcept = 0;
    virtual const char* GetText() const noexcept = 0;  // lines end with CR LF (or a bare LF)
    virtual const double* GetLineGap() const noexcept = 0;
    virtual int32_t GetFrameDashStyle() const noexcept = 0;  // 1..4 the layer's dash styles, else solid
    virtual double GetStretchX() const noexcept = 0;
    virtual double GetStretchY() const noexcept = 0;

protected:
    ~IGIS_TextBoxSymbol() override = default;
};
