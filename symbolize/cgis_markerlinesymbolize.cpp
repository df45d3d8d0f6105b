#include "symbolize/cgis_markerlinesymbolize.h"

#include <cmath>
#include <memory>
#include <new>
#include <numbers>
#include <vector>

#include "contracts/host.h"
#include "contracts/symbol/line.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/cgis_cartographiclinesymbolize.h"
#include "symbolize/line_geometry.h"
#include "symbolize/symbolize_log.h"

namespace {

using Pictor::PointD;
using symbolize::kLineTolerance;

constexpr const char* kFunction = "CGIS_MarkerLineSymbolize::Symbolize";

// Most markers one line may have. Each is a whole library-marker drawing, some 12 microseconds
// for a two-element arrow and more for a richer drawing, so this many take a second or more; a
// line that dense reads as a solid band anyway.
// Past the cap nothing is drawn (and the reason is logged) rather than a line cut off part-way.
constexpr double kMaxMarkers = 100'000.0;

// A marker size of -1 asks for the drawing's natural size.
constexpr double kUnsetSize = -1.0;

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

template <typename T>
T ValueOr(const T* value, T fallback) {
    return value ? *value : fallback;
}

// Releases the marker made for the call.
struct ReleaseSymbol {
    void operator()(IGIS_Symbol* symbol) const noexcept { symbol->Release(); }
};

}  // namespace

void CGIS_MarkerLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                         const Pictor::PointD* points, const int32_t* count,
                                         const bool* /*closed*/) noexcept {
    if (info == nullptr || symbol == nullptr || points == nullptr || count == nullptr || *count < 2) return;
    const IGIS_MarkerLineSymbol* line = symbol->GetMarkerLineSymbol();
    if (line == nullptr || info->graphics == nullptr) return;
    const double k = info->sizeRatio * info->scale;
    // Positions come from lengths: they must be finite numbers.
    const double length = symbolize::PolylineLength(points, static_cast<size_t>(*count));
    if (!std::isfinite(length) || !std::isfinite(k)) return;
    try {
        const int32_t mode = ValueOr<int32_t>(line->GetPlacementMode(), MarkerLinePlacementInterval);
        std::vector<PointD> work;
        if (mode == MarkerLinePlacementInterval) {
            work.assign(points, points + *count);
            const double start = ValueOr(line->GetStartOffset(), 0.0);
            if (!(std::abs(start) < kLineTolerance)) {
                if (!(start > kLineTolerance)) return;  // a negative start names no place to begin
                if (!CGIS_CartographicLineSymbolize::TrimLineStart(info, start, &work)) return;
            }
        }

        IGIS_Symbol2Factory* factory = GIS_GetSymbol2FactoryObject();
        if (factory == nullptr) return;
        const Symbol2FactoryId markerId{Symbol2FactoryLibMarker};
        const std::unique_ptr<IGIS_Symbol, ReleaseSymbol> marker(factory->CreateSymbol(&markerId));
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
    } catch (const std::bad_alloc&) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Out Of Memory");
    }
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
        if (!view->SetResourceCode(line->GetMarkerResourceCode(&found))) {
            SYMBOLIZE_LOG(LogLevelError, kFunction, "Marker resource cannot be used");
            return false;
        }
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
    if (ValueOr<int32_t>(view->GetBoundsMode(), LibMarkerBoundsExtent) == LibMarkerBoundsExtent) {
        return std::abs(resource->extentX1 - resource->extentX2);
    }
    // The store's bounds, as the library marker asks for them; its own extent when it cannot answer.
    double box[4] = {resource->extentX1, resource->extentX2, resource->extentY1, resource->extentY2};
    double place[3] = {0.0, 0.0, 0.0};
    double hintWidth = kUnsetSize;
    double hintHeight = kUnsetSize;
    bool flags[4] = {false, false, false, false};
    if (store != nullptr) {
        store->GetResourceBounds(box, &code, &place[0], &place[1], &place[2], &hintWidth, &hintHeight,
                                 &flags[0], &flags[1], &flags[2], &flags[3]);
    }
    return std::abs(box[1] - box[0]);
}

void CGIS_MarkerLineSymbolize::PlaceAtInterval(const Stamp& stamp, const IGIS_MarkerLineSymbol* symbol,
                                               const std::vector<Pictor::PointD>& line,
                                               const VectorSymbolResource* embedded) const {
    const SymbolizeInfo* info = stamp.info;
    const double k = info->sizeRatio * info->scale;
    const double step = ValueOr(symbol->GetMarkerGap(), 0.0) * k + MarkerWidth(stamp.view, embedded) * k;
    const double offset = ValueOr(symbol->GetMarkerOffset(), 0.0) * k * (info->yUp ? -1.0 : 1.0);
    if (!(step > kLineTolerance)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Unusable marker interval %g drawing units", step);
        return;
    }
    // At most one marker per step, plus one at the start of each segment.
    const double estimate =
        symbolize::PolylineLength(line.data(), line.size()) / step + static_cast<double>(line.size());
    if (!(estimate <= kMaxMarkers)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Marker interval too small for the line: about %.0f markers",
                      estimate);
        return;
    }
    if (!std::isfinite(offset)) return;

    double carry = 0.0;  // distance still to go to the next marker
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        PointD p = line[i];
        const PointD& q = line[i + 1];
        const double theta = symbolize::Direction(p, q);
        // On a y-up output the line's angle turns the other way as seen.
        const double angle = stamp.baseAngle + (stamp.info->yUp ? -theta : theta) * kDegreesPerRadian;
        if (carry > 0.0) {
            const double length = symbolize::Distance(p, q);
            if (length <= carry) {  // no marker falls on this segment
                carry -= length;
                continue;
            }
            p = symbolize::Advance(p, theta, carry);
            carry = 0.0;
        }
        if (p == q) continue;  // a repeated vertex: the next segment carries on

        // Across the line: to the left of travel as seen on a y-down output.
        const PointD across(offset * std::sin(theta), -offset * std::cos(theta));
        // Bounded by the estimate checked before walking.
        const double markers = std::trunc(symbolize::Distance(p, q) / step) + 1.0;
        PointD c = p;
        for (double j = 0; j < markers; ++j) {
            c = symbolize::Advance(p, theta, j * step);
            DrawAt(stamp, PointD(c.x + across.x, c.y + across.y), angle);
        }
        carry = symbolize::NearlyEqual(c, q, symbolize::kOnVertexTolerance)
                    ? 0.0  // the next segment starts with a marker on its first point
                    : step - symbolize::Distance(c, q);
    }
}

void CGIS_MarkerLineSymbolize::PlaceOnce(const Stamp& stamp, const IGIS_MarkerLineSymbol* line,
                                         const Pictor::PointD* points, int32_t count, double distance) const {
    if (!std::isfinite(distance)) return;
    const SymbolizeInfo* info = stamp.info;
    const double k = info->sizeRatio * info->scale;

    // Walk to the place: each segment at most once. A place at or past the end of the line is its
    // last point, facing along the last segment.
    int32_t j = 0;
    double rest = distance > kLineTolerance ? distance * k : 0.0;
    bool pastEnd = false;
    while (rest > kLineTolerance) {
        const double length = symbolize::Distance(points[j], points[j + 1]);
        if (rest < length - kLineTolerance) break;
        rest -= length;
        if (j + 2 == count) {
            pastEnd = true;
            break;
        }
        ++j;
    }
    const double theta = symbolize::Direction(points[j], points[j + 1]);
    PointD at = pastEnd ? points[j + 1] : symbolize::Advance(points[j], theta, rest);

    const double across =
        ValueOr(line->GetAcrossShift(), 0.0) * info->scale * info->sizeRatio * (info->yUp ? -1.0 : 1.0);
    const double along = ValueOr(line->GetAlongShift(), 0.0) * info->scale * info->sizeRatio;
    at = PointD(at.x + across * std::sin(theta), at.y - across * std::cos(theta));
    at = symbolize::Advance(at, theta, along);

    // On a y-up output the whole angle turns the other way.
    const double angle = stamp.baseAngle + theta * kDegreesPerRadian;
    DrawAt(stamp, at, info->yUp ? -angle : angle);
}

void CGIS_MarkerLineSymbolize::DrawAt(const Stamp& stamp, const Pictor::PointD& at, double angle) const {
    static const int32_t kOne = 1;
    stamp.view->SetAngle(angle);
    stamp.service->Symbolize(stamp.marker, stamp.info, &at, &kOne);
}
