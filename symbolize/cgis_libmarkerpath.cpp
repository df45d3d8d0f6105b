// The library marker's outline as a path: the figures its elements would draw, without colours,
// pens, fills, halos, text or background, mapped by the marker's placement.
#include <algorithm>
#include <cmath>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/cgis_libmarkersymbolize.h"
#include "symbolize/marker_natural_size.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

using symbolize::ValueOr;

constexpr const char* kOutOfRange = "SymbolElement coordinates out of range";

// Secondary elements belong to the outline only while the symbol shows them.
bool HiddenSecondary(const IGIS_LibMarkerSymbol* libMarker, const SymbolElement& element) {
    return element.usage == SymbolUsageSecondary && !ValueOr(libMarker->GetShowSecondary(), false);
}

// Adds `figure` to the caller's path as figures of their own.
bool Append(const Pictor::GraphicsPath& figure, Pictor::GraphicsPath* path) {
    path->AddPath(&figure, false);
    return true;
}

}  // namespace

bool CGIS_LibMarkerSymbolize::GetPath(IGIS_LibMarkerSymbol* symbol, const SymbolizeInfo* info,
                                      const Pictor::PointD* points, Pictor::GraphicsPath* path) const noexcept {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::GetPath";
    if (path == nullptr || info == nullptr || points == nullptr || symbol == nullptr) return false;
    const VectorSymbolResource* resource = symbolize::FindLibMarkerResource(symbol, symbol);
    if (resource == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "p_symbolres == NULL, ui_resourcecode = %d",
                      static_cast<int>(ValueOr<uint32_t>(symbol->GetResourceCode(), 0)));
        return false;
    }
    if (symbolize::IsDegenerate(*resource)) return true;

    bool built = false;
    symbolize::GuardMemory(kFunction, [&] {
        Pictor::Matrix matrix;
        // A placement that cannot be built from finite numbers maps nothing.
        if (!BuildMarkerTransform(&matrix, symbol, info, points, resource)) return;
        const size_t count = std::min(resource->elements.size(), symbolize::kMaxResourceElements);
        for (size_t i = 0; i < count; ++i) {
            const SymbolElement* element = resource->elements[i].get();
            switch (element ? element->GetType() : -1) {
                case SymbolElementLine:
                    GetLines(symbol, info, points, resource, element, path);
                    break;
                case SymbolElementRect:
                    GetRect(symbol, info, points, resource, element, path);
                    break;
                case SymbolElementEllipse:
                    GetEllipse(symbol, info, points, resource, element, path);
                    break;
                case SymbolElementPath:
                    GetPathElement(symbol, info, points, resource, element, path);
                    break;
                default:  // an element type of the resource's own: the outline stops, unmapped
                    return;
            }
        }
        path->Transform(&matrix);
        built = true;
    });
    return built;
}

bool CGIS_LibMarkerSymbolize::GetLines(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* /*info*/,
                                       const Pictor::PointD* /*points*/, const VectorSymbolResource* resource,
                                       const SymbolElement* element, Pictor::GraphicsPath* path) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::GetLines";
    if (resource == nullptr || element == nullptr || element->GetType() != SymbolElementLine) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "LineElement or VectorSymbolResource Pointer Is NuLL");
        return false;
    }
    const auto& line = static_cast<const LineElement&>(*element);
    if (HiddenSecondary(libMarker, line) || line.usage == SymbolUsageLeaderLine || line.points.empty()) return true;
    if (!symbolize::UsablePoints(line.points)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, kOutOfRange);
        return true;
    }
    Pictor::GraphicsPath figure;
    figure.AddLines(line.points.data(), static_cast<int>(line.points.size()));
    if (line.closed) figure.CloseFigure();
    return Append(figure, path);
}

bool CGIS_LibMarkerSymbolize::GetRect(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* /*info*/,
                                      const Pictor::PointD* /*points*/, const VectorSymbolResource* resource,
                                      const SymbolElement* element, Pictor::GraphicsPath* path) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::GetRect";
    if (resource == nullptr || element == nullptr || element->GetType() != SymbolElementRect) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "RectElement or VectorSymbolResource Pointer Is NuLL");
        return false;
    }
    const auto& rect = static_cast<const RectElement&>(*element);
    if (HiddenSecondary(libMarker, rect)) return true;
    using symbolize::UsableNumber;
    if (!UsableNumber(rect.x) || !UsableNumber(rect.y) || !UsableNumber(rect.width) || !UsableNumber(rect.height)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, kOutOfRange);
        return true;
    }
    Pictor::GraphicsPath figure;
    figure.AddRectangle(rect.x, rect.y, rect.width, rect.height);
    return Append(figure, path);
}

bool CGIS_LibMarkerSymbolize::GetEllipse(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* /*info*/,
                                         const Pictor::PointD* /*points*/, const VectorSymbolResource* resource,
                                         const SymbolElement* element, Pictor::GraphicsPath* path) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::GetEllipse";
    if (resource == nullptr || element == nullptr || element->GetType() != SymbolElementEllipse) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "EllipseElement or VectorSymbolResource Pointer Is NuLL");
        return false;
    }
    const auto& ellipse = static_cast<const EllipseElement&>(*element);
    if (HiddenSecondary(libMarker, ellipse)) return true;
    using symbolize::UsableNumber;
    if (!UsableNumber(ellipse.centerX) || !UsableNumber(ellipse.centerY) || !UsableNumber(ellipse.radiusX) ||
        !UsableNumber(ellipse.radiusY)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, kOutOfRange);
        return true;
    }
    Pictor::GraphicsPath figure;
    figure.AddEllipse(ellipse.centerX - ellipse.radiusX, ellipse.centerY - ellipse.radiusY, 2.0 * ellipse.radiusX,
                      2.0 * ellipse.radiusY);
    return Append(figure, path);
}

bool CGIS_LibMarkerSymbolize::GetPathElement(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* /*info*/,
                                             const Pictor::PointD* /*points*/, const VectorSymbolResource* resource,
                                             const SymbolElement* element, Pictor::GraphicsPath* path) const {
    if (resource == nullptr || element == nullptr || element->GetType() != SymbolElementPath) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LibMarkerSymbolize::GetPath",
                      "PathElement or VectorSymbolResource Pointer Is NuLL");
        return false;
    }
    const auto& pathElement = static_cast<const PathElement&>(*element);
    if (HiddenSecondary(libMarker, pathElement)) return true;
    if (!symbolize::UsablePathElement(pathElement)) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LibMarkerSymbolize::GetPath", kOutOfRange);
        return true;
    }
    Pictor::GraphicsPath figure;
    AddPathFigure(pathElement, &figure);
    return Append(figure, path);
}
