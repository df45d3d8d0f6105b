// Line views of the symbol model. Sizes are millimetres, transparencies percent (0 opaque, 100
// invisible), colours packed 0x00RRGGBB with the top byte ignored.
//
// Pointer results address values the symbol owns; they stay valid until the symbol is changed or
// released. GetHalo may give null (the drawer reports it); any other null is read as "not set".
#pragma once

#include <cstdint>

#include "contracts/symbol/symbol.h"

// What every line symbol is: its own queries answer GetLineSymbol with themselves, which is how
// the service tells lines from other symbols. No operations of its own.
class IGIS_LineSymbol : public IGIS_Symbol {
protected:
    ~IGIS_LineSymbol() override = default;
};

// A glow drawn under a line, wider than it by `size` on each side. Owned by its symbol.
struct SymbolHalo {
    double size = 0.0;   // millimetres added on each side of the line
    uint32_t color = 0;  // packed 0x00RRGGBB, always drawn opaque
    bool enabled = false;
};

// GetLineStyle codes: 1 to 4 are the graphics layer's dash styles of the same number.
enum SimpleLineStyle : int32_t {
    SimpleLineStyleSolid = 0,
    SimpleLineStyleDash = 1,
    SimpleLineStyleDot = 2,
    SimpleLineStyleDashDot = 3,
    SimpleLineStyleDashDotDot = 4,
    SimpleLineStyleCustom = 5,  // GetDashPattern gives the dashes
    SimpleLineStyleNone = 6,    // nothing drawn, not even the halo
};

class IGIS_SimpleLineSymbol : public IGIS_LineSymbol {
public:
    virtual const SymbolHalo* GetHalo() const noexcept = 0;
    virtual uint32_t GetColor() const noexcept = 0;
    virtual int32_t GetTransparency() const noexcept = 0;
    virtual double GetWidth() const noexcept = 0;             // also the unit the dash pattern is divided by
    virtual const int32_t* GetLineJoin() const noexcept = 0;  // 0 miter, 1 bevel, 2 round
    virtual const int32_t* GetLineCap() const noexcept = 0;   // 0 flat, 1 square, 2 round
    // A fresh copy of the custom dashes (dash, gap, ... in millimetres) that the caller frees with
    // delete[]; null and 0 when there are none. Allocated with nothrow new: no exception here.
    virtual void GetDashPattern(double** pattern, int32_t* count) const noexcept = 0;
    virtual const int32_t* GetLineStyle() const noexcept = 0;  // a SimpleLineStyle
    virtual const bool* IsSmooth() const noexcept = 0;         // draw the points as a spline

protected:
    ~IGIS_SimpleLineSymbol() override = default;
};
