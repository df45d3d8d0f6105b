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

// GetLineJoin codes of the cartographic line; they are not the graphics layer's numbers.
enum CartographicLineJoin : int32_t {
    CartographicJoinMiter = 0,
    CartographicJoinRound = 1,
};

// A stroked line with a parallel offset, a start excursion and a dash template (type 13).
class IGIS_CartographicLineSymbol : public IGIS_LineSymbol {
public:
    virtual uint32_t GetColor() const noexcept = 0;
    virtual int32_t GetTransparency() const noexcept = 0;
    virtual double GetWidth() const noexcept = 0;
    // Sideways shift of the whole line: positive to the left of the direction of travel as seen
    // on the output, negative to the right.
    virtual const double* GetOffset() const noexcept = 0;
    // The dash template (dash, gap, dash, gap, ... in millimetres), owned by the symbol. A null
    // *values means a solid line; false means the template cannot be read.
    virtual bool GetDashArray(const double** values, int32_t* count) const noexcept = 0;
    virtual const int32_t* GetLineJoin() const noexcept = 0;  // a CartographicLineJoin
    virtual const int32_t* GetLineCap() const noexcept = 0;   // 0 flat, 1 square, 2 round
    // Length of line left undrawn at the start.
    virtual const double* GetExcursion() const noexcept = 0;
    // True strokes every dash on its own (each with both caps, none joined); false dashes the
    // pen along the whole line.
    virtual const bool* GetDrawDashesSeparately() const noexcept = 0;

protected:
    ~IGIS_CartographicLineSymbol() override = default;
};

// Short strokes laid across the line at a fixed interval (type 14).
class IGIS_HashLineSymbol : public IGIS_LineSymbol {
public:
    virtual uint32_t GetColor() const noexcept = 0;
    virtual int32_t GetTransparency() const noexcept = 0;
    virtual double GetWidth() const noexcept = 0;  // thickness of each stroke
    // Sideways shift of the strokes' centres: positive to the left of the direction of travel.
    virtual const double* GetOffset() const noexcept = 0;
    virtual const int32_t* GetLineCap() const noexcept = 0;      // 0 flat, 1 square, 2 round
    virtual const double* GetHashLength() const noexcept = 0;    // length of each stroke, across the line
    virtual const double* GetHashInterval() const noexcept = 0;  // distance between strokes
    virtual const double* GetStartOffset() const noexcept = 0;   // line left bare before the first

protected:
    ~IGIS_HashLineSymbol() override = default;
};

// Member symbols drawn one after another along the same points (type 15).
class IGIS_CompoundLineSymbol : public IGIS_LineSymbol {
public:
    virtual int32_t GetLineCount() const noexcept = 0;
    // Member *index (0-based), owned by the compound line; null outside 0..count-1.
    virtual IGIS_Symbol* GetLine(const int32_t* index) noexcept = 0;
    virtual bool IsLineEnabled(const int32_t* index) const noexcept = 0;

protected:
    ~IGIS_CompoundLineSymbol() override = default;
};

// GetPlacementMode codes of the marker line. Any code not listed places one marker at a
// percentage of the line's length.
enum MarkerLinePlacement : int32_t {
    MarkerLinePlacementInterval = 0,  // repeated from the start, marker width plus gap apart
    MarkerLinePlacementDistance = 1,  // one marker GetPosition millimetres along the line
    MarkerLinePlacementPercent = 2,   // one marker GetPosition percent of the way along
};

// Copies of one library marker placed along the line and turned to follow it (type 16). Each
// property is handed to a library marker made for the call.
class IGIS_MarkerLineSymbol : public IGIS_LineSymbol {
public:
    virtual uint32_t GetColor() const noexcept = 0;
    virtual int32_t GetTransparency() const noexcept = 0;
    // Interval placement: sideways shift, positive to the left of the direction of travel.
    virtual const double* GetMarkerOffset() const noexcept = 0;
    virtual const double* GetMarkerWidth() const noexcept = 0;   // -1: the drawing's natural width
    virtual const double* GetMarkerHeight() const noexcept = 0;  // -1: the drawing's natural height
    virtual const int32_t* GetMarkerOption() const noexcept = 0;
    virtual const double* GetMarkerGap() const noexcept = 0;    // free space between markers
    virtual const double* GetStartOffset() const noexcept = 0;  // line left bare before the first
    // The resource the marker draws when the symbol embeds none; sets *found to true.
    virtual const uint32_t* GetMarkerResourceCode(bool* found) const noexcept = 0;
    virtual const int32_t* GetPlacementMode() const noexcept = 0;  // a MarkerLinePlacement
    virtual const double* GetPosition() const noexcept = 0;        // millimetres or percent, by the mode
    virtual const double* GetMarkerAngle() const noexcept = 0;     // degrees, added to the line's direction
    // One-marker placements: shifts along and across the line (across: positive to the left).
    virtual const double* GetAlongShift() const noexcept = 0;
    virtual const double* GetAcrossShift() const noexcept = 0;
    virtual const uint32_t* GetFillValue() const noexcept = 0;  // the marker's fill colour
    virtual const bool* GetUseFill() const noexcept = 0;

protected:
    ~IGIS_MarkerLineSymbol() override = default;
};

// One layer of a layered line, owned by its symbol. `pattern` holds `patternCount` custom dashes
// (dash, gap, ... in millimetres) and may be null when there are none.
struct SimpleLineLayer {
    double width = 0.0;                    // millimetres
    int32_t style = SimpleLineStyleSolid;  // a SimpleLineStyle
    int32_t patternCount = 0;
    const double* pattern = nullptr;
    int32_t join = 2;  // 0 miter, 1 bevel, 2 round
    int32_t cap = 2;   // 0 flat, 1 square, 2 round
    uint32_t color = 0;
    int32_t transparency = 0;
};

// Simple-line layers stroked along one path, bottom first, over one halo (type 19).
class IGIS_LayeredSimpleLineSymbol : public IGIS_LineSymbol {
public:
    virtual const SymbolHalo* GetHalo() const noexcept = 0;
    // Width of the whole line, which the halo surrounds.
    virtual double GetWidth() const noexcept = 0;
    virtual int32_t GetLayerCount() const noexcept = 0;
    // Layer *index (0 the bottom); null outside 0..count-1.
    virtual const SimpleLineLayer* GetLayer(const int32_t* index) const noexcept = 0;

protected:
    ~IGIS_LayeredSimpleLineSymbol() override = default;
};
