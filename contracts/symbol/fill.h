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

// Parallel straight lines across the polygon, each drawn by a line symbol of any kind.
class IGIS_LineFillSymbol : public IGIS_FillSymbol {
public:
    // The outline ring runs clockwise as seen on the output when true.
    virtual bool IsOutlineClockwise() const noexcept = 0;
    virtual const double* GetSeparation() const noexcept = 0;  // millimetres between neighbouring lines
    virtual const double* GetAngle() const noexcept = 0;       // degrees; 0 runs along the x axis
    // The line symbol that draws every hatch line, or null (outline only). Owned by the fill.
    virtual IGIS_LineSymbol* GetHatchLineSymbol() noexcept = 0;
    // True hands every line to the line symbol end point first.
    virtual const bool* GetReverseLines() const noexcept = 0;

protected:
    ~IGIS_LineFillSymbol() override = default;
};

// A linear gradient between two colours, shaped by a blend table and turned by an angle.
class IGIS_GradientFillSymbol : public IGIS_FillSymbol {
public:
    virtual int32_t GetTransparency() const noexcept = 0;  // of both colours
    virtual const double* GetAngle() const noexcept = 0;   // degrees
    virtual const uint32_t* GetStartColor() const noexcept = 0;
    virtual const uint32_t* GetEndColor() const noexcept = 0;
    // The blend table: positions rising from 0 to 1 and the share of the end colour at each.
    // Both arrays hold GetBlendCount() entries; false when the array is not available.
    virtual bool GetBlendPositions(const double** positions) const noexcept = 0;
    virtual bool GetBlendFactors(const double** factors) const noexcept = 0;
    virtual const int32_t* GetBlendCount() const noexcept = 0;

protected:
    ~IGIS_GradientFillSymbol() override = default;
};

// GetPictureMode codes.
enum PictureFillMode : int32_t {
    PictureFillTiled = 0,   // the picture repeats from the surface's origin
    PictureFillSingle = 1,  // any non-zero code: one picture over the polygon's bounds
};

// A picture of the host's fill-image store, tiled or drawn once over the polygon.
class IGIS_PictureFillSymbol : public IGIS_FillSymbol {
public:
    virtual bool IsOutlineClockwise() const noexcept = 0;
    virtual const int32_t* GetPictureMode() const noexcept = 0;  // a PictureFillMode
    // A single picture keeps its proportions, centred on the bounds, when true.
    virtual const bool* GetKeepAspectRatio() const noexcept = 0;
    virtual uint32_t GetPictureKey() const noexcept = 0;          // the fill-image store's id
    virtual const int32_t* GetPictureIndex() const noexcept = 0;  // -1: the fill has no picture

protected:
    ~IGIS_PictureFillSymbol() override = default;
};

// Member symbols drawn over the same polygon, member 0 at the bottom.
class IGIS_CompoundFillSymbol : public IGIS_FillSymbol {
public:
    virtual int32_t GetLayerCount() const noexcept = 0;
    // The member at the index, owned by the compound; null outside 0 .. count - 1.
    virtual IGIS_Symbol* GetLayer(const int32_t* index) noexcept = 0;
    virtual bool IsLayerVisible(const int32_t* index) const noexcept = 0;

protected:
    ~IGIS_CompoundFillSymbol() override = default;
};
