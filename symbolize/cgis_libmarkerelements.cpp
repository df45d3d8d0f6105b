// The library marker's element drawers: each element becomes a figure in resource units, is
// mapped through the marker transform, and is filled and stroked with the pen its codes ask for.
#include <algorithm>
#include <cmath>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/cgis_libmarkersymbolize.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"

namespace {

using symbolize::UsableCommon;
using symbolize::UsableNumber;
using symbolize::UsablePathElement;
using symbolize::UsablePoints;
using symbolize::ValueOr;

// Widths and the unset secondary width (-1) compare with this margin.
constexpr double kTolerance = 0.0001;
constexpr double kUnsetWidth = -1.0;
constexpr uint32_t kOpaque = 255;

// Drawing tags the graphics layer keeps with each call: secondary elements and the symbol-fill
// areas of rectangles, ellipses and paths are told apart from ordinary drawing.
constexpr int kTagNormal = 0;
constexpr int kTagSecondary = 1;
constexpr int kTagSymbolFill = 6;

// The element's join codes are the graphics layer's 0..3.
constexpr int32_t kLastJoin = 3;

constexpr const char* kOutOfRange = "SymbolElement coordinates out of range";

bool IsSecondaryLineUsage(int32_t usage) {
    return usage == SymbolUsageSecondary || usage == SymbolUsageArrowSecondary;
}

bool IsArrowUsage(int32_t usage) {
    return usage >= SymbolUsageArrow && usage <= SymbolUsageHalfArrowSecondary;
}


// The figure of the element being drawn. A marker's figures are built, drawn and done with one
// after another, and a map draws thousands of markers, so each thread keeps one figure with its
// memory (up to kKeptFigurePoints points); a figure needed while that one is in use is its own.
class ElementFigure {
public:
    ElementFigure() : slot_(Kept()), path_(Claim()) {}
    ~ElementFigure() {
        if (&path_ != &slot_.path) return;
        slot_.used = false;
        if (slot_.path.Points().capacity() > kKeptFigurePoints) slot_.path = Pictor::GraphicsPath();
    }
    ElementFigure(const ElementFigure&) = delete;
    ElementFigure& operator=(const ElementFigure&) = delete;
    Pictor::GraphicsPath& Get() { return path_; }

private:
    static constexpr size_t kKeptFigurePoints = 4096;
    struct Slot {
        Pictor::GraphicsPath path;
        bool used = false;
    };
    static Slot& Kept() {
        thread_local Slot slot;
        return slot;
    }
    Pictor::GraphicsPath& Claim() {
        if (slot_.used) return own_;
        slot_.used = true;
        slot_.path.Reset();
        return slot_.path;
    }

    Slot& slot_;
    Pictor::GraphicsPath own_;
    Pictor::GraphicsPath& path_;
};

}  // namespace

void CGIS_LibMarkerSymbolize::ProcessLines(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                           const Pictor::PointD* points, const VectorSymbolResource* resource,
                                           const SymbolElement* element, const Pictor::Matrix* matrix,
                                           const bool* haloEnabled) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::ProcessLines";
    if (resource == nullptr || element == nullptr || element->GetType() != SymbolElementLine) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "LineElement or VectorSymbolResource Pointer Is NuLL");
        return;
    }
    const auto& line = static_cast<const LineElement&>(*element);
    int tag = kTagNormal;
    if (IsSecondaryLineUsage(line.usage)) {
        if (!ValueOr(libMarker->GetShowSecondary(), false) ||
            std::abs(ValueOr(libMarker->GetSecondaryLineWidth(), kUnsetWidth)) < kTolerance) {
            return;
        }
        tag = kTagSecondary;
    }
    if (line.usage == SymbolUsageLeaderLine) {
        DrawLeaderLine(libMarker, info, resource, element, matrix);
        return;
    }
    if (IsArrowUsage(line.usage)) {
        DrawArrowLine(libMarker, info, resource, element, matrix);
        return;
    }
    if (line.points.empty()) return;
    if (!UsableCommon(line) || !UsablePoints(line.points)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, kOutOfRange);
        return;
    }

    ElementFigure figure;
    Pictor::GraphicsPath& path = figure.Get();
    path.AddLines(line.points.data(), static_cast<int>(line.points.size()));
    if (line.closed) path.CloseFigure();
    // A usage-6 line fills with the ordinary tag.
    DrawElementFigure(libMarker, info, resource, element, &path, matrix, haloEnabled, {tag, tag});
    static_cast<void>(points);
}

void CGIS_LibMarkerSymbolize::ProcessRect(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                          const Pictor::PointD* points, const VectorSymbolResource* resource,
                                          const SymbolElement* element, const Pictor::Matrix* matrix,
                                          const bool* haloEnabled) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::ProcessRect";
    if (resource == nullptr || element == nullptr || element->GetType() != SymbolElementRect) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "RectElement or VectorSymbolResource Pointer Is NuLL");
        return;
    }
    const auto& rect = static_cast<const RectElement&>(*element);
    int tag = kTagNormal;
    if (!PassSecondaryGate(libMarker, element, &tag) || rect.usage == SymbolUsageHidden) return;
    if (!UsableCommon(rect) || !UsableNumber(rect.x) || !UsableNumber(rect.y) || !UsableNumber(rect.width) ||
        !UsableNumber(rect.height)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, kOutOfRange);
        return;
    }

    ElementFigure figure;
    Pictor::GraphicsPath& path = figure.Get();
    path.AddRectangle(rect.x, rect.y, rect.width, rect.height);
    ElementDraw draw{tag, kTagSymbolFill};
    // A rectangle with a text index is the box of a text, never drawn as a rectangle.
    draw.textBox = rect.textIndex >= 0;
    DrawElementFigure(libMarker, info, resource, element, &path, matrix, haloEnabled, draw);
    if (draw.textBox) {
        const BoxText* text = libMarker->GetText(&rect.textIndex);
        if (text != nullptr && text->shown) DrawBoxText(libMarker, info, points, resource, &rect, text, matrix);
    }
}

void CGIS_LibMarkerSymbolize::ProcessEllipse(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                             const Pictor::PointD* points,
                                             const VectorSymbolResource* resource,
                                             const SymbolElement* element, const Pictor::Matrix* matrix,
                                             const bool* haloEnabled) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::ProcessEllipse";
    if (element == nullptr || resource == nullptr || element->GetType() != SymbolElementEllipse) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "EllipseElement or VectorSymbolResource Pointer Is NuLL");
        return;
    }
    const auto& ellipse = static_cast<const EllipseElement&>(*element);
    int tag = kTagNormal;
    if (!PassSecondaryGate(libMarker, element, &tag)) return;
    if (ellipse.usage == SymbolUsageLeaderEllipse) {
        DrawLeaderEllipse(libMarker, info, resource, element, matrix);
        return;
    }
    if (!UsableCommon(ellipse) || !UsableNumber(ellipse.centerX) || !UsableNumber(ellipse.centerY) ||
        !UsableNumber(ellipse.radiusX) || !UsableNumber(ellipse.radiusY)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, kOutOfRange);
        return;
    }

    ElementFigure figure;
    Pictor::GraphicsPath& path = figure.Get();
    path.AddEllipse(ellipse.centerX - ellipse.radiusX, ellipse.centerY - ellipse.radiusY,
                    2.0 * ellipse.radiusX, 2.0 * ellipse.radiusY);
    DrawElementFigure(libMarker, info, resource, element, &path, matrix, haloEnabled, {tag, kTagSymbolFill});
    static_cast<void>(points);
}

void CGIS_LibMarkerSymbolize::ProcessPath(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                          const Pictor::PointD* points, const VectorSymbolResource* resource,
                                          const SymbolElement* element, const Pictor::Matrix* matrix,
                                          const bool* haloEnabled) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::ProcessPath";
    if (resource == nullptr || element == nullptr || element->GetType() != SymbolElementPath) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "PathElement or VectorSymbolResource Pointer Is NuLL");
        return;
    }
    const auto& pathElement = static_cast<const PathElement&>(*element);
    int tag = kTagNormal;
    if (!PassSecondaryGate(libMarker, element, &tag)) return;
    if (!UsableCommon(pathElement) || !UsablePathElement(pathElement)) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, kOutOfRange);
        return;
    }

    ElementFigure figure;
    Pictor::GraphicsPath& path = figure.Get();
    AddPathFigure(pathElement, &path);
    DrawElementFigure(libMarker, info, resource, element, &path, matrix, haloEnabled, {tag, kTagSymbolFill});
    static_cast<void>(points);
}

void CGIS_LibMarkerSymbolize::AddPathFigure(const PathElement& element, Pictor::GraphicsPath* path) {
    // Sub-paths continue one figure until one of them closes it.
    for (const PathSubPath& sub : element.subPaths) {
        const int n = static_cast<int>(sub.points.size());
        if (n > 0 && sub.segmentKind == PathSegmentLines) path->AddLines(sub.points.data(), n);
        if (n > 0 && sub.segmentKind == PathSegmentBeziers) path->AddBeziers(sub.points.data(), n);
        if (sub.closed) path->CloseFigure();
    }
}

bool CGIS_LibMarkerSymbolize::PassSecondaryGate(const IGIS_LibMarkerSymbol* libMarker,
                                                const SymbolElement* element, int* tag) const {
    *tag = kTagNormal;
    if (element->usage != SymbolUsageSecondary) return true;
    if (!ValueOr(libMarker->GetShowSecondary(), false)) return false;
    *tag = kTagSecondary;
    return true;
}

void CGIS_LibMarkerSymbolize::DrawElementFigure(const IGIS_LibMarkerSymbol* libMarker,
                                                const SymbolizeInfo* info,
                                                const VectorSymbolResource* resource,
                                                const SymbolElement* element, Pictor::GraphicsPath* path,
                                                const Pictor::Matrix* matrix, const bool* haloEnabled,
                                                const ElementDraw& draw) const {
    if (matrix == nullptr) return;
    path->Transform(matrix);
    Pictor::Graphics* graphics = info->graphics;

    if (element->usage == SymbolUsageSymbolFill) {
        if (!ValueOr(libMarker->GetUseFill(), false)) return;
        // The colour word is not masked: an unset colour (0xFFFFFFFF) fills opaque white.
        const uint32_t alpha =
            symbolize::TruncatedAlpha(ValueOr<int32_t>(libMarker->GetFillTransparency(), 0));
        const Pictor::SolidBrush brush(
            Pictor::Color((alpha << 24) | UseFillColor(libMarker, info, resource, element)));
        graphics->FillPath(&brush, path, draw.symbolFillTag);
        return;
    }
    if (draw.textBox) return;

    if (element->filled) {
        const Pictor::SolidBrush brush(
            Pictor::Color(symbolize::WithAlpha(kOpaque, FillColor(libMarker, info, resource, element))));
        graphics->FillPath(&brush, path, draw.tag);
    }
    if (element->stroked) {
        const uint32_t colour = symbolize::WithAlpha(LineAlpha(libMarker, info, element),
                                                     LineColor(libMarker, info, resource, element));
        const double width = StrokeWidth(libMarker, info, resource, element);
        Pictor::Pen pen(Pictor::Color(colour), width);
        SetUpPen(&pen, libMarker, element);
        if (haloEnabled != nullptr && *haloEnabled)
            DrawElementHalo(libMarker->GetHalo(), info, path, element, width);
        graphics->DrawPath(&pen, path, draw.tag);
    }
}

double CGIS_LibMarkerSymbolize::StrokeWidth(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                            const VectorSymbolResource* resource,
                                            const SymbolElement* element) const {
    const double w = element->lineWidth;
    const double k = symbolize::SizeScale(info);
    const double v = ValueOr(libMarker->GetLineWidth(), kUnsetWidth);
    if (v < -kTolerance) return w * k;  // every element keeps its own width

    // The symbol's line width is the reference element's; the others keep their proportion to it.
    const SymbolElement* reference = nullptr;
    const size_t searched = std::min(resource->elements.size(), symbolize::kMaxResourceElements);
    for (size_t i = 0; i < searched && reference == nullptr; ++i) {
        const SymbolElement* candidate = resource->elements[i].get();
        if (candidate != nullptr && candidate->id == resource->referenceElementId) reference = candidate;
    }
    if (reference == nullptr && !resource->elements.empty()) reference = resource->elements.front().get();
    const double r = reference ? reference->lineWidth : 0.0;
    if (std::abs(r) < kTolerance) return 0.0;

    const double secondary = ValueOr(libMarker->GetSecondaryLineWidth(), kUnsetWidth);
    if (IsSecondaryLineUsage(element->usage) && std::abs(kUnsetWidth - secondary) >= kTolerance) {
        return w * secondary / r * k;
    }
    return w * v / r * k;
}

void CGIS_LibMarkerSymbolize::SetUpPen(Pictor::Pen* pen, const IGIS_LibMarkerSymbol* libMarker,
                                       const SymbolElement* element) const {
    const int32_t dash = ValueOr<int32_t>(libMarker->GetDashStyle(), -1);
    if (dash == -1) {
        // The element's own dashes; a pattern the pen refuses leaves it solid.
        if (!element->dashPattern.empty()) {
            pen->SetDashStyle(Pictor::DashStyleCustom);
            pen->SetDashPattern(element->dashPattern.data(), static_cast<int>(element->dashPattern.size()));
        }
    } else if (dash >= Pictor::DashStyleDash && dash <= Pictor::DashStyleDashDotDot) {
        pen->SetDashStyle(dash);
    }  // 0 and unknown codes: solid

    if (element->lineJoin >= 0 && element->lineJoin <= kLastJoin) pen->SetLineJoin(element->lineJoin);

    switch (element->lineCap) {
        case SymbolCapFlat:
            pen->SetLineCap(Pictor::LineCapFlat);
            break;
        case SymbolCapRound:
            pen->SetLineCap(Pictor::LineCapRound);
            break;
        case SymbolCapTriangle:
            pen->SetLineCap(Pictor::LineCapTriangle);
            break;
        default:  // the code comes from the resource; unknown ones keep the pen's cap
            break;
    }
}

void CGIS_LibMarkerSymbolize::DrawElementHalo(const SymbolHalo* halo, const SymbolizeInfo* info,
                                              const Pictor::GraphicsPath* path, const SymbolElement* element,
                                              double strokeWidth) const {
    if (halo == nullptr || !halo->enabled) return;
    const double width = 2.0 * halo->size * info->sizeRatio * info->scale + strokeWidth;
    // The halo ignores the override colour and is always opaque.
    const uint32_t colour =
        symbolize::WithAlpha(kOpaque, symbolize::MapSymbolColour(info->colorTable, halo->color));
    Pictor::Pen pen(Pictor::Color(colour), width);
    // Its own cap mapping: round only for the element's triangle code, square for every other.
    pen.SetLineCap(element->lineCap == SymbolCapTriangle ? Pictor::LineCapRound : Pictor::LineCapSquare);
    info->graphics->DrawPath(&pen, path, kTagNormal);
}
