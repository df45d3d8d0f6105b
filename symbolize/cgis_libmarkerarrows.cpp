// The library marker's arrow lines and leaders: an arrow line carries a head at its first point,
// drawn in resource units so it turns and scales with the marker; a leader runs from the marker
// to a point given in millimetres in drawing space, which does not turn or scale with it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/cgis_libmarkersymbolize.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

using Pictor::PointD;
using symbolize::ValueOr;

constexpr double kTolerance = 0.0001;
constexpr uint32_t kOpaque = 255;
constexpr int kTagNormal = 0;

// Radians per degree with which the barbs are turned into place.
constexpr double kRadiansPerDegree = 0.017453292222222222;

// The head of an arrow line in multiples of the element's line width.
class ArrowHead {
public:
    enum Kind { Full = 0, Half = 1 };
    explicit ArrowHead(int32_t usage)
        : kind_(usage == SymbolUsageArrow || usage == SymbolUsageArrowSecondary ? Full : Half) {}
    virtual ~ArrowHead() = default;
    virtual int GetKind() const { return kind_; }
    double tipToBase() const { return 6.5; }
    double lineStart() const { return 4.0; }
    double leftBarb() const { return 1.7; }
    double rightBarb() const { return kind_ == Full ? 1.7 : 0.0; }

private:
    Kind kind_;
};

// p turned about centre by `degrees`.
PointD TurnAbout(const PointD& p, const PointD& centre, double degrees) {
    const double a = degrees * kRadiansPerDegree;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double dx = p.x - centre.x;
    const double dy = p.y - centre.y;
    return PointD(centre.x + dx * c - dy * s, centre.y + dx * s + dy * c);
}

PointD Along(const PointD& p, const PointD& u, double length) { return PointD(p.x + length * u.x, p.y + length * u.y); }

// Where a leader's arrowhead meets its line: `fraction` of the way from s to c.
PointD Between(const PointD& s, const PointD& c, double fraction) {
    return PointD(s.x + fraction * (c.x - s.x), s.y + fraction * (c.y - s.y));
}

bool Coincide(const PointD& a, const PointD& b) {
    return std::abs(a.x - b.x) < kTolerance && std::abs(a.y - b.y) < kTolerance;
}

}  // namespace

void CGIS_LibMarkerSymbolize::DrawArrowLine(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                            const VectorSymbolResource* resource, const SymbolElement* element,
                                            const Pictor::Matrix* matrix) const {
    const auto& line = static_cast<const LineElement&>(*element);
    if (matrix == nullptr || line.points.size() < 2) return;
    const bool secondary = line.usage == SymbolUsageArrowSecondary || line.usage == SymbolUsageHalfArrowSecondary;
    if (secondary && !ValueOr(libMarker->GetShowSecondary(), false)) return;
    if (!symbolize::UsableCommon(line) || !symbolize::UsablePoints(line.points)) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LibMarkerSymbolize::DrawArrowLine", "SymbolElement coordinates out of range");
        return;
    }

    const ArrowHead head(line.usage);
    const PointD p0 = line.points[0];
    const PointD p1 = line.points[1];
    const double dx = p1.x - p0.x;
    const double dy = p1.y - p0.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    // Two first points in one place give the head no direction: the line is drawn without it.
    const bool hasHead = length > 0.0;
    const PointD u = hasHead ? PointD(dx / length, dy / length) : PointD(0.0, 0.0);
    const double w = line.lineWidth;

    // The line starts inside the head, so its end does not show through the notch.
    std::vector<PointD> points = line.points;
    points[0] = Along(p0, u, head.lineStart() * w);
    Pictor::GraphicsPath path;
    path.AddLines(points.data(), static_cast<int>(points.size()));
    path.Transform(matrix);
    const uint32_t colour = (LineAlpha(libMarker, info, element) << 24) |
                            (LineColor(libMarker, info, resource, element) & 0xFFFFFFu);
    Pictor::Pen pen(Pictor::Color(colour), StrokeWidth(libMarker, info, resource, element));
    SetUpPen(&pen, libMarker, element);
    info->graphics->DrawPath(&pen, &path, kTagNormal);
    if (!hasHead) return;

    path.Reset();
    const PointD base = Along(p0, u, head.tipToBase() * w);
    const PointD left = TurnAbout(Along(base, u, -head.leftBarb() * w), base, 90.0);
    const PointD right = TurnAbout(Along(base, u, -head.rightBarb() * w), base, 270.0);
    const PointD notch = Along(p0, u, (head.lineStart() + 1.0) * w);
    if (head.GetKind() == ArrowHead::Full) {
        const PointD outline[] = {p0, left, notch, right, p0};
        path.AddPolygon(outline, 5);
        pen.SetWidth(pen.GetWidth() * 0.5);
    } else {
        const PointD outline[] = {p0, left, notch, p0};
        path.AddPolygon(outline, 4);
    }
    path.Transform(matrix);
    path.SetFillMode(2);
    info->graphics->DrawPath(&pen, &path, kTagNormal);
    const Pictor::SolidBrush brush{Pictor::Color(colour)};
    info->graphics->FillPath(&brush, &path, kTagNormal);
}

void CGIS_LibMarkerSymbolize::DrawLeaderLine(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                             const VectorSymbolResource* resource, const SymbolElement* element,
                                             const Pictor::Matrix* matrix) const {
    double dx = 0.0;
    double dy = 0.0;
    if (matrix == nullptr || !libMarker->GetLeaderOffset(&dx, &dy)) return;
    const auto& line = static_cast<const LineElement&>(*element);
    if (line.points.size() != 2) return;
    if (!symbolize::UsableCommon(line) || !symbolize::UsablePoints(line.points) || !std::isfinite(dx) ||
        !std::isfinite(dy)) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LibMarkerSymbolize::DrawLeaderLine", "SymbolElement coordinates out of range");
        return;
    }

    // The leader leaves from the upper of its two points, whichever way they are stored.
    PointD ends[2] = {line.points[0], line.points[1]};
    if (ends[0].y - ends[1].y > kTolerance) std::swap(ends[0].y, ends[1].y);
    matrix->TransformPoints(ends, 2);
    const PointD c(ends[1].x + info->scale * dx, ends[1].y + info->scale * dy);

    Pictor::GraphicsPath path(2);
    const uint32_t lineColour = LineColor(libMarker, info, resource, element);
    const Pictor::Pen pen(Pictor::Color((LineAlpha(libMarker, info, element) << 24) | lineColour),
                          StrokeWidth(libMarker, info, resource, element));
    switch (libMarker->GetLeaderStyle()) {
        case LibMarkerLeaderPlain: {
            const PointD leader[] = {ends[0], ends[1], c};
            path.AddLines(leader, 3);
            info->graphics->DrawPath(&pen, &path, kTagNormal);
            break;
        }
        case LibMarkerLeaderArrow: {
            const PointD d = Between(ends[1], c, 0.1);
            const PointD leader[] = {ends[0], ends[1], d};
            path.AddLines(leader, 3);
            info->graphics->DrawPath(&pen, &path, kTagNormal);
            const Pictor::SolidBrush brush{Pictor::Color((kOpaque << 24) | lineColour)};
            DrawLeaderArrowhead(libMarker, info, ends[1], c, d, &brush, pen, &path);
            break;
        }
        default:  // the style comes from the symbol; other codes draw no leader
            break;
    }
}

void CGIS_LibMarkerSymbolize::DrawLeaderEllipse(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                                const VectorSymbolResource* resource, const SymbolElement* element,
                                                const Pictor::Matrix* matrix) const {
    double dx = 0.0;
    double dy = 0.0;
    if (matrix == nullptr || !libMarker->GetLeaderOffset(&dx, &dy)) return;
    const auto& ellipse = static_cast<const EllipseElement&>(*element);
    if (!symbolize::UsableNumber(ellipse.centerX) || !symbolize::UsableNumber(ellipse.centerY) || !std::isfinite(dx) ||
        !std::isfinite(dy)) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LibMarkerSymbolize::DrawLeaderEllipse",
                      "SymbolElement coordinates out of range");
        return;
    }
    PointD o(ellipse.centerX, ellipse.centerY);
    matrix->TransformPoints(&o, 1);
    const PointD c(o.x + info->scale * dx, o.y + info->scale * dy);
    if (Coincide(c, o)) return;

    // The leader takes its stroke from the element the ellipse names.
    const SymbolElement* style = nullptr;
    const size_t searched = std::min(resource->elements.size(), symbolize::kMaxResourceElements);
    for (size_t i = 0; i < searched && style == nullptr; ++i) {
        const SymbolElement* candidate = resource->elements[i].get();
        if (candidate != nullptr && candidate->id == ellipse.styleElementId) style = candidate;
    }
    if (style == nullptr || !symbolize::UsableCommon(*style)) return;
    const uint32_t colour = (LineAlpha(libMarker, info, style) << 24) | LineColor(libMarker, info, resource, style);
    const double w = StrokeWidth(libMarker, info, resource, style);
    const Pictor::Pen pen(Pictor::Color(colour), w);
    const Pictor::SolidBrush brush{Pictor::Color(colour)};
    const int32_t leaderStyle = libMarker->GetLeaderStyle();
    if (leaderStyle != LibMarkerLeaderPlain && leaderStyle != LibMarkerLeaderArrow) return;

    Pictor::GraphicsPath path;
    const PointD end = leaderStyle == LibMarkerLeaderArrow ? Between(o, c, 0.1) : c;
    const PointD leader[] = {o, end};
    path.AddLines(leader, 2);
    info->graphics->DrawPath(&pen, &path, kTagNormal);
    // The dot on the centre.
    info->graphics->FillEllipse(&brush, static_cast<float>(o.x - w / 2), static_cast<float>(o.y - w / 2),
                                static_cast<float>(w), static_cast<float>(w), kTagNormal);
    if (leaderStyle == LibMarkerLeaderArrow) DrawLeaderArrowhead(libMarker, info, o, c, end, &brush, pen, &path);
}

void CGIS_LibMarkerSymbolize::DrawLeaderArrowhead(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                                  const Pictor::PointD& s, const Pictor::PointD& c,
                                                  const Pictor::PointD& d, const Pictor::Brush* brush,
                                                  Pictor::Pen pen, Pictor::GraphicsPath* path) const {
    // A head needs a direction: none where its base meets its tip.
    if (Coincide(d, c)) return;
    const double lw = ValueOr(libMarker->GetLineWidth(), -1.0) * info->sizeRatio * info->scale;
    const double h = lw / 2.0;
    // The base points lie |h| from d on the line through d across the leader.
    PointD b1;
    PointD b2;
    if (std::abs(s.y - c.y) < kTolerance) {
        b1 = PointD(d.x, d.y - h);
        b2 = PointD(d.x, d.y + h);
    } else if (std::abs(s.x - c.x) < kTolerance) {
        b1 = PointD(d.x - h, d.y);
        b2 = PointD(d.x + h, d.y);
    } else {
        const double m = -(d.x - c.x) / (d.y - c.y);
        const double q = d.y - m * d.x;
        const double a = m * m + 1.0;
        const double b = 2.0 * (q * m - m * d.y - d.x);
        const double cq = (q - d.y) * (q - d.y) + d.x * d.x - h * h;
        const double discriminant = b * b - 4.0 * a * cq;
        // Rounding can leave no real solution for a head of (nearly) no width: no head then.
        if (!(discriminant >= 0.0)) return;
        const double x1 = (-b + std::sqrt(discriminant)) / (2.0 * a);
        const double x2 = (-b - std::sqrt(discriminant)) / (2.0 * a);
        b1 = PointD(x1, m * x1 + q);
        b2 = PointD(x2, m * x2 + q);
    }
    if (!std::isfinite(b1.x) || !std::isfinite(b1.y) || !std::isfinite(b2.x) || !std::isfinite(b2.y)) return;

    path->Reset();
    const PointD triangle[] = {b1, b2, c};
    path->AddLines(triangle, 3);
    info->graphics->FillPath(brush, path, kTagNormal);
    // The base is edged with the leader's pen, one unit wide and flat-capped.
    pen.SetLineCap(Pictor::LineCapFlat);
    pen.SetWidth(1.0);
    info->graphics->DrawLine(&pen, static_cast<float>(b1.x), static_cast<float>(b1.y), static_cast<float>(b2.x),
                             static_cast<float>(b2.y), kTagNormal);
}
