// Fill views of the symbol model. Colours are packed 0x00RRGGBB with the top byte ignored;
// transparencies are percent (0 opaque, 100 invisible).
//
// Pointer results address values the symbol owns; they stay valid until the symbol is changed or
// released. A null one is read as "not set".
#pragma once

#include <cstdint>

#include "contracts/symbol/line.h"
#include "contracts/symbol/symbol.h"

// What every fill symbol is: its own queries answer GetFillSymbol with themselves. A fill view
// is a symbol, so a compound fill can hand a member's fill view straight back to the service.
class IGIS_FillSymbol : public IGIS_Symbol {
public:
    // The line symbol drawn along the polygon's edge after its interior, or null for none.
    // Owned by the fill; clone it to keep it beyond the call.
    virtual IGIS_LineSymbol* GetOutlineSymbol() noexcept = 0;

protected:
    ~IGIS_FillSymbol() override = default;
};

// GetStyle codes. Codes 2 to 7 hatch with the graphics layer's hatch style (code - 2), the fill
// colour over the background colour. Any code not listed fills nothing and draws the outline.
enum SimpleFillStyle : int32_t {
    SimpleFillStyleSolid = 0,
    SimpleFillStyleHollow = 1,
    SimpleFillStyleHorizontal = 2,
    SimpleFillStyleVertical = 3,
    SimpleFillStyleForwardDiagonal = 4,
    SimpleFillStyleBackwardDiagonal = 5,
    SimpleFillStyleCross = 6,
    SimpleFillStyleDiagonalCross = 7,
};

class IGIS_SimpleFillSymbol : public IGIS_FillSymbol {
public:
    // The outline ring runs clockwise as seen on the output when true.
    virtual bool IsOutlineClockwise() const noexcept = 0;
    virtual const uint32_t* GetColor() const noexcept = 0;
    virtual const uint32_t* GetBackgroundColor() const noexcept = 0;  // behind the hatch lines
    virtual const int32_t* GetTransparency() const noexcept = 0;
    virtual const int32_t* GetBackgroundTransparency() const noexcept = 0;
    virtual const int32_t* GetStyle() const noexcept = 0;  // a SimpleFillStyle

protected:
    ~IGIS_SimpleFillSymbol() override = default;
};

// GetFillType codes: where a marker fill puts its markers. Any code not listed puts none.
enum MarkerFillPlacement : int32_t {
    MarkerFillStaggered = 0,  // a grid whose every other row is shifted by half a cell
    MarkerFillVertices = 1,   // on every corner of the ring, the closing point included
    MarkerFillGrid = 2,       // a plain grid of cell centres
    MarkerFillJittered = 3,   // the plain grid with each marker moved a little at random
    MarkerFillInterior = 4,   // one marker at a point inside the polygon
};

// A polygon covered with copies of a marker symbol. Separations and offsets are millimetres.
class IGIS_MarkerFillSymbol : public IGIS_FillSymbol {
public:
    // The outline ring runs clockwise as seen on the output when true.
    virtual bool IsOutlineClockwise() const noexcept = 0;
    virtual const int32_t* GetFillType() const noexcept = 0;  // a MarkerFillPlacement
    // The marker drawn, or null for none (the fill then draws its outline only). Owned by the
    // fill; clone it to change or keep it.
    virtual IGIS_Symbol* GetMarkerSymbol() noexcept = 0;
    virtual const double* GetSeparationX() const noexcept = 0;  // between neighbouring markers
    virtual const double* GetSeparationY() const noexcept = 0;
    virtual const double* GetOffsetX() const noexcept = 0;  // shifts the grid to the right
    virtual const double* GetOffsetY() const noexcept = 0;  // along the drawing's y axis

protected:
    ~IGIS_MarkerFillSymbol() override = default;
};
