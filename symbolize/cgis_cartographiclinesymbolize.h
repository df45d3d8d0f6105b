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

private:
    // An offset below this (millimetres) leaves the line where it is.
    static constexpr double kZeroOffset = 0.0099;
    // From kZeroOffset up to this, the solid mode moves the line to the left of travel but the
    // two dashed modes move it to the right, as for a negative offset.
    static constexpr double kDashedLeftOffset = 0.0101;

    // A dash template that can be walked: dash/gap values in millimetres and their count.
    struct DashTemplate {
        const double* values = nullptr;
        int32_t count = 0;
    };
    // A template the pen can take: not too long, no negative or non-finite entry.
    static bool IsReadableTemplate(const DashTemplate& dashes);
    // The template's period in drawing units.
    static double TemplatePeriod(const SymbolizeInfo* info, const DashTemplate& dashes);
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
};
