#include "symbolize/cgis_layeredsimplelinesymbolize.h"

#include <cmath>
#include <new>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/limits.h"
#include "contracts/symbol/line.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/line_halo.h"
#include "symbolize/symbolize_support.h"

namespace {

// Layers narrower than this (millimetres) are not drawn.
constexpr double kZeroWidth = 0.0001;

// Most layers drawn; the count comes from the symbol.
constexpr int32_t kMaxLayers = SymbolLimits::kMaxCompoundMembers;

// Join and cap codes run 0..2 and pass straight to the pen; anything else keeps its default.
constexpr int32_t kLastJoinOrCap = 2;


}  // namespace

void CGIS_LayeredSimpleLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                                const Pictor::PointD* points, const int32_t* count,
                                                const bool* closed) noexcept {
    // The service has checked its arguments; this guards the calls that bypass it.
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || points == nullptr ||
        count == nullptr || *count <= 0) {
        return;
    }
    Pictor::GraphicsPath path;
    try {
        if (closed != nullptr && *closed) {
            path.AddPolygon(points, *count);
        } else {
            path.AddLines(points, *count);
        }
    } catch (const std::bad_alloc&) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LayeredSimpleLineSymbolize::Symbolize", "new PointF Failed");
        return;
    }
    const IGIS_LayeredSimpleLineSymbol* line = symbol->GetLayeredSimpleLineSymbol();
    if (line == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LayeredSimpleLineSymbolize::Symbolize",
                      "SimpleLineSymbol Pointer Is NuLL");
        return;
    }
    DrawHalo(line, info, &path, line->GetHalo());
    // The count is asked again before every layer, as the symbol may answer differently.
    for (int32_t i = 0; i < line->GetLayerCount() && i < kMaxLayers; ++i)
        DrawLayer(line->GetLayer(&i), info, &path);
}

void CGIS_LayeredSimpleLineSymbolize::DrawHalo(const IGIS_LayeredSimpleLineSymbol* line,
                                               const SymbolizeInfo* info, const Pictor::GraphicsPath* path,
                                               const SymbolHalo* halo) noexcept {
    // The halo surrounds the whole line; no layer's colour or transparency applies to it.
    symbolize::StrokeHalo(info, path, halo, line->GetWidth(), "CGIS_LayeredSimpleLineSymbolize::DrawHalo");
}

void CGIS_LayeredSimpleLineSymbolize::DrawLayer(const SimpleLineLayer* layer, const SymbolizeInfo* info,
                                                const Pictor::GraphicsPath* path) const {
    if (layer == nullptr || layer->style == SimpleLineStyleNone || !(std::abs(layer->width) >= kZeroWidth))
        return;

    // Unlike the cartographic line, the layer's transparency applies to the override colour too.
    const uint32_t own = info->overrideColor ? info->color : layer->color;
    const uint32_t colour = symbolize::WithAlpha(symbolize::TruncatedAlpha(layer->transparency),
                                                 symbolize::MapSymbolColour(info->colorTable, own));
    symbolize::GuardMemory("CGIS_LayeredSimpleLineSymbolize::Symbolize", [&] {
        Pictor::Pen pen(Pictor::Color(colour), layer->width * symbolize::SizeScale(info));
        if (layer->style >= SimpleLineStyleDash && layer->style <= SimpleLineStyleDashDotDot) {
            pen.SetDashStyle(layer->style);
        } else if (layer->style == SimpleLineStyleCustom && layer->pattern != nullptr &&
                   layer->patternCount > 0 && layer->patternCount <= SymbolLimits::kMaxDashEntries) {
            // Millimetres become multiples of the layer's width. A pattern the pen cannot take
            // (longer than it keeps, or with an entry of nothing) leaves the layer solid.
            std::vector<double> pattern(layer->pattern, layer->pattern + layer->patternCount);
            for (double& v : pattern) v /= layer->width;
            pen.SetDashStyle(Pictor::DashStyleCustom);
            pen.SetDashPattern(pattern.data(), layer->patternCount);
        }
        if (layer->join >= 0 && layer->join <= kLastJoinOrCap) pen.SetLineJoin(layer->join);
        if (layer->cap >= 0 && layer->cap <= kLastJoinOrCap) pen.SetLineCap(layer->cap);
        info->graphics->DrawPath(&pen, path, 0);
    });
}
