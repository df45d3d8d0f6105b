#include "symbolize/cgis_simplefillsymbolize.h"


#include "contracts/pictor/graphics.h"
#include "contracts/symbol/fill.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

// A polygon needs three corners to enclose anything.
constexpr int32_t kMinPolygonPoints = 3;

// A pointer the symbol gives for a value it may leave unset.
using symbolize::ValueOr;

// A symbol colour with the alpha of its transparency, through the call's colour table.
Pictor::Color FillColour(const SymbolizeInfo* info, const uint32_t* colour, const int32_t* transparency) {
    const uint32_t alpha = symbolize::TruncatedAlpha(ValueOr(transparency, 0));
    const uint32_t mapped = symbolize::MapSymbolColour(info->colorTable, ValueOr(colour, 0u));
    return Pictor::Color(symbolize::WithAlpha(alpha, mapped));
}

}  // namespace

void CGIS_SimpleFillSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                         const Pictor::PointD* points, const int32_t* count) noexcept {
    if (count == nullptr || *count < kMinPolygonPoints) return;
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || points == nullptr) return;
    const IGIS_SimpleFillSymbol* fill = symbol->GetSimpleFillSymbol();
    if (fill == nullptr) return;
    const bool filled = symbolize::GuardMemory("CGIS_SimpleFillSymbolize::Symbolize", [&] {
        Pictor::GraphicsPath path;
        path.AddPolygon(points, *count);
        FillInterior(fill, info, &path);
    });
    if (!filled) return;
    const bool clockwise = fill->IsOutlineClockwise();
    outline_.DrawOutline(symbol, info, points, count, &clockwise);
}

void CGIS_SimpleFillSymbolize::SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                             const Pictor::GraphicsPath* path) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || path == nullptr) return;
    const IGIS_SimpleFillSymbol* fill = symbol->GetSimpleFillSymbol();
    if (fill == nullptr) return;
    if (!symbolize::GuardMemory("CGIS_SimpleFillSymbolize::SymbolizePath", [&] { FillInterior(fill, info, path); }))
        return;
    outline_.DrawOutlinePath(symbol, info, path);
}

void CGIS_SimpleFillSymbolize::FillInterior(const IGIS_SimpleFillSymbol* fill, const SymbolizeInfo* info,
                                            const Pictor::GraphicsPath* path) const {
    const Pictor::Color fore = FillColour(info, fill->GetColor(), fill->GetTransparency());
    const Pictor::Color back =
        FillColour(info, fill->GetBackgroundColor(), fill->GetBackgroundTransparency());
    const int32_t style = ValueOr<int32_t>(fill->GetStyle(), SimpleFillStyleSolid);
    switch (style) {
        case SimpleFillStyleSolid: {
            const Pictor::SolidBrush brush(fore);
            info->graphics->FillPath(&brush, path, 0);
            break;
        }
        case SimpleFillStyleHorizontal:
        case SimpleFillStyleVertical:
        case SimpleFillStyleForwardDiagonal:
        case SimpleFillStyleBackwardDiagonal:
        case SimpleFillStyleCross:
        case SimpleFillStyleDiagonalCross: {
            // The fill styles list the graphics layer's hatch styles in its order, from 2 on.
            const Pictor::HatchBrush brush(style - SimpleFillStyleHorizontal, fore, back);
            info->graphics->FillPath(&brush, path, 0);
            break;
        }
        case SimpleFillStyleHollow:
        default:  // the code comes from the symbol: one we do not know fills nothing
            break;
    }
}
