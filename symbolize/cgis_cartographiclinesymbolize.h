// Draws the cartographic line (type 13): a stroke with a parallel offset, a start excursion and a
// dash template, dashed by the pen or stroked dash by dash.
#pragma once

#include <cstdint>
#include <vector>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class IGIS_CartographicLineSymbol;

namespace Pictor {
class Pen;
}  // namespace Pictor

class CGIS_CartographicLineSymbolize {
public:
    CGIS_CartographicLineSymbolize() = default;
    virtual ~CGIS_CartographicLineSymbolize() = default;

    // Strokes *count points as an open polyline, or as a closed polygon when *closed (the
    // separate-dash mode always walks them open).
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count, const bool* closed) noexcept;

    // Shared with the hash and marker lines.

    // The stroke colour: the override colour (opaque) or the symbol's colour with the alpha of its
    // transparency, through the call's colour table.
    static uint32_t LineColour(const SymbolizeInfo* info, uint32_t colour, int32_t transparency);
    // Cuts the first `excursion` millimetres off `line`, dropping the vertices passed; false when
    // the line is not longer than that.
    static bool TrimLineStart(const SymbolizeInfo* info, double excursion, std::vector<Pictor::PointD>* line);
    // The two lines parallel to `points` at distance |d|, each with as many points: `plus` on
    // the side of the left-hand normal when d is positive. Corners are mitred without limit; a
    // corner where the line turns back on itself repeats the previous point.
    static void BuildOffsetLines(const std::vector<Pictor::PointD>& points, double d,
                                 std::vector<Pictor::PointD>* plus, std::vector<Pictor::PointD>* minus);

    // Whether a lies on the segment b-c (a point of the same line), ends included; never when b
    // and c coincide.
    static bool IsBetween(const Pictor::PointD& a, const Pictor::PointD& b, const Pictor::PointD& c);
    // Whether a is no further from b than from c.
    static bool IsNearerFirst(const Pictor::PointD& a, const Pictor::PointD& b, const Pictor::PointD& c);

private:
    // An offset below this (millimetres) leaves the line where it is.
    static constexpr double kZeroOffset = 0.0099;
    // From kZeroOffset up to this, the solid mode moves the line to the left of travel but the
    // two dashed modes move it to the right, as for a negative offset.
    static constexpr double kDashedLeftOffset = 0.0101;

    // Where a template's dashes are stroked, and the walker's state across the segments of one
    // dash pair: `remainder` is the part of the current period still to run at a segment's start,
    // `inGap` whether that part starts in the gap.
    struct DashRun {
        Pictor::Graphics* graphics = nullptr;
        const Pictor::Pen* pen = nullptr;
        double dash = 0.0;
        double gap = 0.0;
        double remainder = 0.0;
        bool inGap = false;
    };
    // A dash template that can be walked: dash/gap values in millimetres and their count.
    struct DashTemplate {
        const double* values = nullptr;
        int32_t count = 0;
    };
    // How far the dashes of one offset segment have been drawn.
    struct OffsetCursor {
        Pictor::PointD at;     // drawing has advanced up to here
        Pictor::PointD start;  // the offset segment's first point
        Pictor::PointD end;    // its last point
        bool finished = false;
    };

    // A usable template: not too long, no negative or non-finite entry, and a period above zero.
    static bool IsUsableTemplate(const SymbolizeInfo* info, const DashTemplate& dashes);
    // Adds the line to draw to `path`: the work line itself when the offset counts as zero,
    // otherwise its offset line on the plus side when offset > plusSideAbove, else the minus side.
    static void AddDrawnLine(const SymbolizeInfo* info, const std::vector<Pictor::PointD>& work,
                             double offset, double plusSideAbove, bool closed, Pictor::GraphicsPath* path);
    static Pictor::Pen MakePen(const IGIS_CartographicLineSymbol* line, const SymbolizeInfo* info);
    void DrawSolid(const IGIS_CartographicLineSymbol* line, const SymbolizeInfo* info,
                   const std::vector<Pictor::PointD>& work, bool closed) const;
    void DrawPattern(const IGIS_CartographicLineSymbol* line, const SymbolizeInfo* info,
                     const std::vector<Pictor::PointD>& work, const DashTemplate& dashes, bool closed) const;

    // Separate-dash mode (cgis_cartographiclinedashes.cpp).
    void DrawSeparateDashes(const IGIS_CartographicLineSymbol* line, const SymbolizeInfo* info,
                            const std::vector<Pictor::PointD>& work, const DashTemplate& dashes) const;
    // The dashes of one pair along centre segment p-q.
    void DashSegment(Pictor::PointD p, const Pictor::PointD& q, DashRun* run) const;
    // The dashes of one pair measured along centre segment c0-c1, moved by d onto the offset
    // segment o0-o1 (toward the direction of travel turned by -90 degrees for side 1, by +90
    // degrees for side 0) and clipped to it.
    void DashOffsetSegment(Pictor::PointD c0, const Pictor::PointD& c1, const Pictor::PointD& o0,
                           const Pictor::PointD& o1, DashRun* run, double d, int side) const;
    // One whole dash piece s-e (already moved onto the offset line) clipped to the part of the
    // offset segment not yet drawn; `fromStart` measures "inside" from the segment's first point
    // rather than from the cursor.
    void ClipDash(const Pictor::PointD& s, const Pictor::PointD& e, double theta, bool fromStart,
                  OffsetCursor* cursor, const DashRun& run) const;
    // Strokes one piece; pieces too short to see are left out.
    void DrawDash(const DashRun& run, const Pictor::PointD& from, const Pictor::PointD& to) const;
};
