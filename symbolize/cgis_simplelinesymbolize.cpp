#include "symbolize/cgis_simplelinesymbolize.h"

#include <cmath>
#include <memory>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/limits.h"
#include "contracts/symbol/line.h"
#include "symbolize/cgis_symbolizealgorithm.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/line_halo.h"
#include "symbolize/symbolize_support.h"

namespace {

// Widths closer to zero than this draw no line (the halo still shows).
constexpr double kZeroWidth = 0.0001;

// The spline the smoothing asks for: natural-like end rows, half-strength tangents and five
// samples between each pair of input points.
constexpr int32_t kSmoothEndType = 2;
constexpr double kSmoothCoef = 0.5;
constexpr int32_t kSmoothSamplesPerSegment = 5;


// Join and cap codes run 0..2; the pen keeps its default for anything else.
constexpr int32_t kLastJoinOrCap = 2;

// A pointer the symbol gives for a value it may leave unset.
using symbolize::ValueOr;

}  // namespace

void CGIS_SimpleLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                         const Pictor::PointD* points, const int32_t* count,
                                         const bool* closed) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr || count == nullptr || *count <= 0) return;
    const IGIS_SimpleLineSymbol* line = symbol->GetSimpleLineSymbol();
    if (line == nullptr ||
        ValueOr<int32_t>(line->GetLineStyle(), SimpleLineStyleSolid) == SimpleLineStyleNone) {
        return;
    }
    symbolize::GuardMemory("CGIS_SimpleLineSymbolize::Symbolize", [&] {
        std::vector<Pictor::PointD> smoothed;
        const bool useSmoothed = ValueOr(line->IsSmooth(), false) && SmoothPoints(points, *count, &smoothed);
        const Pictor::PointD* drawn = useSmoothed ? smoothed.data() : points;
        const int32_t drawnCount = useSmoothed ? static_cast<int32_t>(smoothed.size()) : *count;

        Pictor::GraphicsPath path;
        if (ValueOr(closed, false)) {
            path.AddPolygon(drawn, drawnCount);
        } else {
            path.AddLines(drawn, drawnCount);
        }
        Symbolize(symbol, info, &path);
    });
}

void CGIS_SimpleLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                         const Pictor::GraphicsPath* path) noexcept {
    const IGIS_SimpleLineSymbol* line = symbol ? symbol->GetSimpleLineSymbol() : nullptr;
    if (line == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_SimpleLineSymbolize::Symbolize",
                      "SimpleLineSymbol Pointer Is NuLL");
        return;
    }
    if (info == nullptr || info->graphics == nullptr || path == nullptr) return;
    const int32_t style = ValueOr<int32_t>(line->GetLineStyle(), SimpleLineStyleSolid);
    if (style == SimpleLineStyleNone) return;

    DrawHalo(line, info, path, line->GetHalo());

    const double width = line->GetWidth();
    if (!std::isfinite(width) || std::abs(width) < kZeroWidth) return;
    symbolize::GuardMemory("CGIS_SimpleLineSymbolize::Symbolize", [&] {
        Pictor::Pen pen(Pictor::Color(PenColour(line, info)), symbolize::SizeScale(info) * width);
        ApplyDashes(line, style, &pen);
        ApplyJoinAndCap(line, &pen);
        info->graphics->DrawPath(&pen, path, 0);
    });
}

void CGIS_SimpleLineSymbolize::DrawHalo(const IGIS_SimpleLineSymbol* line, const SymbolizeInfo* info,
                                        const Pictor::GraphicsPath* path, const SymbolHalo* halo) noexcept {
    if (halo != nullptr && (line == nullptr || info == nullptr || info->graphics == nullptr || path == nullptr)) return;
    symbolize::StrokeHalo(info, path, halo, line ? line->GetWidth() : 0.0, "CGIS_SimpleLineSymbolize::DrawHalo");
}

bool CGIS_SimpleLineSymbolize::SmoothPoints(const Pictor::PointD* points, int32_t count,
                                            std::vector<Pictor::PointD>* smoothed) const {
    std::vector<SymbolPoint3> records(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        records[i].x = points[i].x;
        records[i].y = points[i].y;
    }
    SymbolPoint3* output = nullptr;
    int32_t outputCount = 0;
    CGIS_Symbolization algorithm;
    const bool ok = algorithm.BSpline(records.data(), count, kSmoothEndType, kSmoothCoef,
                                      kSmoothSamplesPerSegment, &output, &outputCount);
    const std::unique_ptr<SymbolPoint3[]> owner(output);
    // The spline may report success without handing out points (it logs why); the line is then
    // drawn through its own points rather than not at all.
    if (!ok || output == nullptr || outputCount <= 0) return false;
    smoothed->resize(static_cast<size_t>(outputCount));
    for (int32_t i = 0; i < outputCount; ++i) (*smoothed)[i] = Pictor::PointD(output[i].x, output[i].y);
    return true;
}

uint32_t CGIS_SimpleLineSymbolize::PenColour(const IGIS_SimpleLineSymbol* line,
                                             const SymbolizeInfo* info) const {
    const uint32_t own = info->overrideColor ? info->color : line->GetColor();
    const uint32_t mapped = symbolize::MapSymbolColour(info->colorTable, own);
    return symbolize::WithAlpha(symbolize::TruncatedAlpha(line->GetTransparency()), mapped);
}

void CGIS_SimpleLineSymbolize::ApplyDashes(const IGIS_SimpleLineSymbol* line, int32_t style,
                                           Pictor::Pen* pen) const {
    if (style >= SimpleLineStyleDash && style <= SimpleLineStyleDashDotDot) {
        pen->SetDashStyle(style);
        return;
    }
    if (style != SimpleLineStyleCustom) return;  // solid, and codes we do not know

    double* pattern = nullptr;
    int32_t count = 0;
    line->GetDashPattern(&pattern, &count);
    const std::unique_ptr<double[]> owner(pattern);
    // The graphics layer refuses patterns longer than it keeps; such a line, like one without a
    // pattern, stays solid.
    if (pattern == nullptr || count <= 0 || count > SymbolLimits::kMaxDashEntries) return;
    // The pattern is in millimetres; the pen wants multiples of the line width.
    const double width = line->GetWidth();
    for (int32_t i = 0; i < count; ++i) pattern[i] /= width;
    pen->SetDashPattern(pattern, count);  // sets the custom style; a pattern it rejects leaves the pen solid
}

void CGIS_SimpleLineSymbolize::ApplyJoinAndCap(const IGIS_SimpleLineSymbol* line, Pictor::Pen* pen) const {
    const int32_t* join = line->GetLineJoin();
    if (join && *join >= 0 && *join <= kLastJoinOrCap) pen->SetLineJoin(*join);
    const int32_t* cap = line->GetLineCap();
    if (cap && *cap >= 0 && *cap <= kLastJoinOrCap) pen->SetLineCap(*cap);
}
