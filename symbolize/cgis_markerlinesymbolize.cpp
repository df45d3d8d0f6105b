#include "symbolize/cgis_markerlinesymbolize.h"

#include <cmath>
#include <memory>
#include <vector>

#include "contracts/host.h"
#include "contracts/symbol/line.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/line_geometry.h"
#include "symbolize/marker_natural_size.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

using Pictor::PointD;
using symbolize::kLineTolerance;
using symbolize::ValueOr;

constexpr const char* kFunction = "CGIS_MarkerLineSymbolize::Symbolize";

// Most markers one line may have. Each is a whole library-marker drawing, some 12 microseconds
// for a two-element arrow and more for a richer drawing, so this many take a second or more; a
// line that dense reads as a solid band anyway.
// Past the cap nothing is drawn (and the reason is logged) rather than a line cut off part-way.
constexpr double kMaxMarkers = 100'000.0;

// A marker size of -1 asks for the drawing's natural size.
constexpr double kUnsetSize = -1.0;

}  // namespace

void CGIS_MarkerLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                         const Pictor::PointD* points, const int32_t* count,
                                         const bool* /*closed*/) noexcept {
    if (info == nullptr || symbol == nullptr || points == nullptr || count == nullptr || *count < 2) return;
    const IGIS_MarkerLineSymbol* line = symbol->GetMarkerLineSymbol();
    if (line == nullptr || info->graphics == nullptr) return;
    const double k = symbolize::SizeScale(info);
    // Positions come from lengths: they must be finite numbers.
    const double length = symbolize::PolylineLength(points, static_cast<size_t>(*count));
    if (!std::isfinite(length) || !std::isfinite(k)) return;
    symbolize::GuardMemory(kFunction, [&] {
        const int32_t mode = ValueOr<int32_t>(line->GetPlacementMode(), MarkerLinePlacementInterval);
        std::vector<PointD> work;
        if (mode == MarkerLinePlacementInterval) {
            work.assign(points, points + *count);
            const double start = ValueOr(line->GetStartOffset(), 0.0);
            if (!(std::abs(start) < kLineTolerance)) {
                if (!(start > kLineTolerance)) return;  // a negative start names no place to begin
                if (!symbolize::TrimLineStart(start * k, &work)) return;
            }
        }

        IGIS_Symbol2Factory* factory = GIS_GetSymbol2FactoryObject();
        if (factory == nullptr) return;
        const Symbol2FactoryId markerId{Symbol2FactoryLibMarker};
        const symbolize::SymbolCopy marker(factory->CreateSymbol(&markerId));
        IGIS_LibMarkerSymbol* view = marker ? marker->GetLibMarkerSymbol() : nullptr;
        if (view == nullptr) return;
        VectorSymbolResource* embedded = nullptr;
        if (!SetUpMarker(symbol, line, marker.get(), view, &embedded)) return;

        Stamp stamp;
        stamp.service = GIS_GetSymbolizeObject();
        stamp.marker = marker.get();
        stamp.view = view;
        stamp.info = info;
        stamp.baseAngle = ValueOr(view->GetAngle(), 0.0);
        if (stamp.service == nullptr) return;

        switch (mode) {
            case MarkerLinePlacementInterval:
                PlaceAtInterval(stamp, line, work, embedded);
                break;
            case MarkerLinePlacementDistance:
                PlaceOnce(stamp, line, points, *count, ValueOr(line->GetPosition(), 0.0));
                break;
            default:  // any other code places the marker at a percentage of the length
                PlaceOnce(stamp, line, points, *count,
                          ValueOr(line->GetPosition(), 0.0) * 0.01 * length / info->sizeRatio / info->scale);
                break;
        }
    });
}

bool CGIS_MarkerLineSymbolize::SetUpMarker(IGIS_Symbol* symbol, const IGIS_MarkerLineSymbol* line,
                                           IGIS_Symbol* marker, IGIS_LibMarkerSymbol* view,
                                           VectorSymbolResource** resource) const {
    IGIS_Symbol2Factory* factory = GIS_GetSymbol2FactoryObject();
    const Symbol2FactoryId resolverId{Symbol2FactoryResolver};
    IGIS_SymbolResourceResolver* resolver = factory ? factory->QueryResolver(&resolverId) : nullptr;
    *resource = resolver ? resolver->GetEmbeddedResource(symbol) : nullptr;
    if (*resource != nullptr) {
        resolver->AttachResource(marker, *resource);
    } else {
        bool found = false;
        if (!view->SetResourceCode(line->GetMarkerResourceCode(&found))) return false;
    }

    view->SetFirstMarkerFlag(false);
    view->SetSecondMarkerFlag(false);
    view->SetWidth(ValueOr(line->GetMarkerWidth(), kUnsetSize));
    view->SetHeight(ValueOr(line->GetMarkerHeight(), kUnsetSize));
    view->SetMarkerOption(line->GetMarkerOption());
    view->SetColor(line->GetColor());
    view->SetTransparency(line->GetTransparency());
    if (ValueOr(line->GetUseFill(), false) && view->CanFill()) {
        view->SetUseFill(true);
        view->SetFillValue(line->GetFillValue());
    }
    view->SetAngle(ValueOr(line->GetMarkerAngle(), 0.0));
    return true;
}

double CGIS_MarkerLineSymbolize::MarkerWidth(const IGIS_LibMarkerSymbol* view,
                                             const VectorSymbolResource* embedded) const {
    const double width = ValueOr(view->GetMarkerWidth(), kUnsetSize);
    if (std::abs(width - kUnsetSize) >= kLineTolerance) return width;

    // Unset: the drawing's own width, which the library marker draws one resource unit to the
    // millimetre.
    const uint32_t code = ValueOr<uint32_t>(view->GetResourceCode(), 0);
    IGIS_VectorResourceBase* store = GIS_GetVectorResourceBaseObject();
    const VectorSymbolResource* resource = embedded ? embedded : store ? store->GetResource(&code) : nullptr;
    if (resource == nullptr) return 0.0;  // nothing will be drawn: the gap alone spaces the markers
    return symbolize::NaturalMarkerSize(view, *resource).width;
}

void CGIS_MarkerLineSymbolize::PlaceAtInterval(const Stamp& stamp, const IGIS_MarkerLineSymbol* symbol,
                                               const std::vector<Pictor::PointD>& line,
                                               const VectorSymbolResource* embedded) const {
    const SymbolizeInfo* info = stamp.info;
    const double k = symbolize::SizeScale(info);
    const double step = ValueOr(symbol->GetMarkerGap(), 0.0) * k + MarkerWidth(stamp.view, embedded) * k;
    const double offset = ValueOr(symbol->GetMarkerOffset(), 0.0) * k * (info->yUp ? -1.0 : 1.0);
    // No step to walk by: nothing to place.
    if (!(step > kLineTolerance) || !std::isfinite(offset)) return;
    // At most one marker per step, plus one at the start of each segment.
    const double estimate =
        symbolize::PolylineLength(line.data(), line.size()) / step + static_cast<double>(line.size());
    if (!(estimate <= kMaxMarkers)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Marker interval too small for the line: about %.0f markers",
                      estimate);
        return;
    }
    symbolize::PlaceAtInterval(line, step, [&](const PointD& c, double theta) {
        // On a y-up output the line's angle turns the other way as seen.
        const double angle = stamp.baseAngle + symbolize::ToDegrees(info->yUp ? -theta : theta);
        // Across the line: to the left of travel as seen on a y-down output.
        DrawAt(stamp, PointD(c.x + offset * std::sin(theta), c.y - offset * std::cos(theta)), angle);
    });
}

void CGIS_MarkerLineSymbolize::PlaceOnce(const Stamp& stamp, const IGIS_MarkerLineSymbol* line,
                                         const Pictor::PointD* points, int32_t count, double distance) const {
    if (!std::isfinite(distance)) return;
    const SymbolizeInfo* info = stamp.info;
    const double k = symbolize::SizeScale(info);
    // A place at or past the end of the line is its last point, facing along the last segment.
    const symbolize::LinePlacement place =
        symbolize::PlaceAtDistance(points, static_cast<size_t>(count), distance > kLineTolerance ? distance * k : 0.0);
    const double theta = place.theta;

    const double across =
        ValueOr(line->GetAcrossShift(), 0.0) * info->scale * info->sizeRatio * (info->yUp ? -1.0 : 1.0);
    const double along = ValueOr(line->GetAlongShift(), 0.0) * info->scale * info->sizeRatio;
    PointD at(place.at.x + across * std::sin(theta), place.at.y - across * std::cos(theta));
    at = symbolize::Advance(at, theta, along);

    // On a y-up output the whole angle turns the other way.
    const double angle = stamp.baseAngle + symbolize::ToDegrees(theta);
    DrawAt(stamp, at, info->yUp ? -angle : angle);
}

void CGIS_MarkerLineSymbolize::DrawAt(const Stamp& stamp, const Pictor::PointD& at, double angle) const {
    static const int32_t kOne = 1;
    stamp.view->SetAngle(angle);
    stamp.service->Symbolize(stamp.marker, stamp.info, &at, &kOne);
}
