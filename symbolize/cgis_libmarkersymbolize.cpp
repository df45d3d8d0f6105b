#include "symbolize/cgis_libmarkersymbolize.h"

#include <algorithm>
#include <cmath>

#include "contracts/host.h"
#include "contracts/pictor/graphics.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/marker_natural_size.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"

namespace {

constexpr const char* kSymbolize = "CGIS_LibMarkerSymbolize::Symbolize";

// Sizes, extents and the unset marker size (-1) compare with this margin.
constexpr double kTolerance = 0.0001;
constexpr double kUnsetSize = -1.0;

using symbolize::ValueOr;


// Factor that stretches a natural size to the marker's size; 1 keeps the natural size, which is
// also what an unset size or an empty natural size gives.
double StretchFactor(const double* markerSize, double natural) {
    const double size = ValueOr(markerSize, kUnsetSize);
    if (std::abs(kUnsetSize - size) >= kTolerance && std::abs(natural) >= kTolerance) return size / natural;
    return 1.0;
}

}  // namespace

void CGIS_LibMarkerSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                        const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr || count == nullptr || *count != 1) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "Input Error");
        return;
    }
    const IGIS_LibMarkerSymbol* libMarker = symbol->GetLibMarkerSymbol();
    if (libMarker == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "LibMarkerSymbol Pointer Is NuLL");
        return;
    }
    const VectorSymbolResource* resource = FindResource(symbol, libMarker);
    if (resource == nullptr ||
        (resource->GetKind() != VectorResourceMarker && resource->GetKind() != VectorResourceLine)) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize,
                      "p_symbolres == NULL or Type is not SYMBOL2_RESOURCE_MARKER/LINE");
        return;
    }
    if (symbolize::IsDegenerate(*resource) || info->graphics == nullptr) return;

    symbolize::GuardMemory(kSymbolize, [&] {
        Pictor::Matrix matrix;
        if (!BuildMarkerTransform(&matrix, libMarker, info, points, resource)) return;
        // One marker is one picture: a map draws the same one many times over.
        const Pictor::GraphicsGroup group(info->graphics);
        if (!info->overrideColor && ValueOr(libMarker->GetFillBackground(), false)) {
            FillBackGround(libMarker, info, points, resource);
        }

        const SymbolHalo* halo = libMarker->GetHalo();
        const bool* haloEnabled = halo ? &halo->enabled : nullptr;
        const size_t drawn = std::min(resource->elements.size(), symbolize::kMaxResourceElements);
        if (drawn < resource->elements.size()) {
            SYMBOLIZE_LOG(LogLevelError, kSymbolize, "Too many SymbolElements: %zu, drawn the first %zu",
                          resource->elements.size(), drawn);
        }
        for (size_t i = 0; i < drawn; ++i) {
            const SymbolElement* element = resource->elements[i].get();
            const int32_t type = element ? element->GetType() : -1;
            switch (type) {
                case SymbolElementLine:
                    ProcessLines(libMarker, info, points, resource, element, &matrix, haloEnabled);
                    break;
                case SymbolElementRect:
                    ProcessRect(libMarker, info, points, resource, element, &matrix, haloEnabled);
                    break;
                case SymbolElementEllipse:
                    ProcessEllipse(libMarker, info, points, resource, element, &matrix, haloEnabled);
                    break;
                case SymbolElementPath:
                    ProcessPath(libMarker, info, points, resource, element, &matrix, haloEnabled);
                    break;
                default:  // the type comes from the resource; a null element has none
                    SYMBOLIZE_LOG(LogLevelError, kSymbolize, "Unknow SymbolElement");
                    break;
            }
        }
        DrawLabel(libMarker, info, points, resource);
    });
}

VectorSymbolResource* CGIS_LibMarkerSymbolize::FindResource(IGIS_Symbol* symbol,
                                                            const IGIS_LibMarkerSymbol* libMarker) const {
    return symbolize::FindLibMarkerResource(symbol, libMarker);
}

bool CGIS_LibMarkerSymbolize::BuildMarkerTransform(Pictor::Matrix* matrix,
                                                   const IGIS_LibMarkerSymbol* libMarker,
                                                   const SymbolizeInfo* info, const Pictor::PointD* points,
                                                   const VectorSymbolResource* resource) const {
    CGIS_SymbolMatrix m;
    return matrix != nullptr && ComposeMarkerTransform(&m, libMarker, info, points, resource) && m.ToPictor(matrix);
}

bool CGIS_LibMarkerSymbolize::ComposeMarkerTransform(CGIS_SymbolMatrix* composed,
                                                     const IGIS_LibMarkerSymbol* libMarker,
                                                     const SymbolizeInfo* info, const Pictor::PointD* points,
                                                     const VectorSymbolResource* resource) const {
    if (libMarker == nullptr || info == nullptr || points == nullptr || resource == nullptr) return false;
    const Pictor::PointD p = points[0];
    const double s = info->scale;

    // Natural size of the drawing in resource units.
    const symbolize::NaturalSize natural = symbolize::NaturalMarkerSize(libMarker, *resource);
    const double width = natural.width;
    const double height = natural.height;

    double ax = resource->anchorX;
    double ay = resource->anchorY;
    if (ValueOr(libMarker->GetAnchorAtCenter(), false)) {
        // Half the natural size from the resource origin, not the centre of the extent.
        ax = width * 0.5;
        ay = height * 0.5;
    }
    const double sx = StretchFactor(libMarker->GetMarkerWidth(), width) * info->sizeRatio * s;
    const double sy = StretchFactor(libMarker->GetMarkerHeight(), height) * info->sizeRatio * s;

    CGIS_SymbolMatrix& m = *composed;
    m.ScaleAt(sx, sy, ax, ay, true);
    if (ValueOr(libMarker->GetFlipVertical(), false)) m.FlipYAt(ay);
    if (ValueOr(libMarker->GetFlipHorizontal(), false)) m.FlipX(ax);
    m.RotateAt(ValueOr(libMarker->GetAngle(), 0.0) + info->rotation, ax, ay, true);
    // Either way the anchor lands on (p.x + s * offsetX, p.y - s * offsetY).
    const double offsetX = s * ValueOr(libMarker->GetOffsetX(), 0.0);
    const double offsetY = s * ValueOr(libMarker->GetOffsetY(), 0.0);
    if (info->yUp) {
        m.FlipY();
        m.Translate(p.x - ax + offsetX, p.y + ay - offsetY, true);
    } else {
        m.Translate(p.x - ax + offsetX, p.y - ay - offsetY, true);
    }
    return true;
}

Pictor::RectD CGIS_LibMarkerSymbolize::ComputeBackgroundRect(const IGIS_LibMarkerSymbol* libMarker,
                                                             const SymbolizeInfo* info,
                                                             const Pictor::PointD* points) const {
    double extent[4] = {0.0, 0.0, 0.0, 0.0};  // x1, x2, y1, y2
    libMarker->GetExtent(extent);
    const double k = symbolize::SizeScale(info);
    return Pictor::RectD(points[0].x + extent[0] * k, points[0].y + extent[3] * k,
                         (extent[1] - extent[0]) * k, (extent[2] - extent[3]) * k);
}

void CGIS_LibMarkerSymbolize::FillBackGround(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                             const Pictor::PointD* points,
                                             const VectorSymbolResource* resource) const {
    if (resource == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LibMarkerSymbolize::FillBackGround", "pSymbolResource == NULL");
        return;
    }
    const uint32_t colour =
        symbolize::MapSymbolColour(info->colorTable, ValueOr<uint32_t>(libMarker->GetBackgroundColor(), 0));
    const uint32_t alpha =
        symbolize::TruncatedAlpha(ValueOr<int32_t>(libMarker->GetBackgroundTransparency(), 0));
    Pictor::GraphicsPath path;
    path.AddRectangle(ComputeBackgroundRect(libMarker, info, points));
    const Pictor::SolidBrush brush(Pictor::Color(symbolize::WithAlpha(alpha, colour)));
    info->graphics->FillPath(&brush, &path, 0);
}
