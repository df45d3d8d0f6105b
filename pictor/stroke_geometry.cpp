#include "pictor/stroke_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace Pictor::stroke {
namespace {

// How far a triangle cap reaches back into its line, in half widths (never past the first
// segment), so that the cap and the line overlap instead of meeting at an antialiased seam.
constexpr double kCapOverlap = 0.5;
// Below this cosine of half the turn a join is a reversal: there is no outer side to extend.
constexpr double kReversalCosine = 1e-12;
// Dashes beyond this many are not produced even if a caller forgot to bound the work.
constexpr size_t kDashOutputCap = static_cast<size_t>(2 * kMaxDashCount);
// A curve is cut into at most this many chords; a curve so large that it needs more to meet the
// tolerance reaches far beyond any canvas, where the chords are not seen.
constexpr int kMaxCurveChords = 4096;

PointD Sub(const PointD& a, const PointD& b) { return {a.x - b.x, a.y - b.y}; }
PointD Add(const PointD& a, const PointD& b) { return {a.x + b.x, a.y + b.y}; }
PointD Mul(const PointD& a, double f) { return {a.x * f, a.y * f}; }
double Dot(const PointD& a, const PointD& b) { return a.x * b.x + a.y * b.y; }
double Cross(const PointD& a, const PointD& b) { return a.x * b.y - a.y * b.x; }
double Length(const PointD& a) { return std::hypot(a.x, a.y); }
PointD LeftNormal(const PointD& d) { return {-d.y, d.x}; }

PointD Unit(const PointD& a) {
    const double len = Length(a);
    return len > 0 ? Mul(a, 1.0 / len) : PointD{};
}

PointD LinearPart(const Matrix& m, const PointD& v) {
    return {m.M11() * v.x + m.M21() * v.y, m.M12() * v.x + m.M22() * v.y};
}

PointD Lerp(const PointD& a, const PointD& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The polyline's points without consecutive duplicates; a closed ring also loses a last point
// equal to its first, so every segment (closing one included) has a direction.
std::vector<PointD> DistinctPoints(const Polyline& line) {
    std::vector<PointD> pts;
    pts.reserve(line.points.size());
    for (const PointD& p : line.points) {
        if (pts.empty() || !(pts.back() == p)) pts.push_back(p);
    }
    if (line.closed && pts.size() > 1 && pts.back() == pts.front()) pts.pop_back();
    return pts;
}

void AppendDistinct(Polyline* line, const PointD& p) {
    if (line->points.empty() || !(line->points.back() == p)) line->points.push_back(p);
}

// Walks one figure, handing its dashes to `emit`. On a closed figure the first dash is held back
// until the end, where the last dash may join it.
void DashFigure(const Polyline& figure, const std::vector<double>& pattern, const DashSink& emit) {
    const std::vector<PointD> pts = DistinctPoints(figure);
    if (pts.size() < 2) return;
    const size_t segments = figure.closed ? pts.size() : pts.size() - 1;

    std::optional<Polyline> held;
    bool everOff = false;
    size_t index = 0;
    double remaining = pattern[0];
    bool on = true;
    bool dashBeganAtStart = true;
    Polyline current;
    current.points.push_back(pts[0]);

    auto finishDash = [&]() {
        if (current.points.size() >= 2) {
            if (dashBeganAtStart && figure.closed) {
                held = std::move(current);
            } else {
                emit(std::move(current));
            }
        }
        current = Polyline{};
        dashBeganAtStart = false;
    };

    for (size_t s = 0; s < segments; ++s) {
        const PointD& a = pts[s];
        const PointD& b = pts[(s + 1) % pts.size()];
        const double len = Length(Sub(b, a));
        double pos = 0.0;
        // One pass per dash boundary inside this segment; the caller bounds their number.
        while (len - pos > remaining) {
            pos += remaining;
            const PointD cut = Lerp(a, b, pos / len);
            if (on) {
                AppendDistinct(&current, cut);
                finishDash();
            } else {
                current.points.assign(1, cut);
            }
            on = !on;
            everOff = true;
            index = (index + 1) % pattern.size();
            remaining = pattern[index];
        }
        remaining -= len - pos;
        if (on) AppendDistinct(&current, b);
    }

    if (on && figure.closed && !everOff) {
        // One dash longer than the figure: the figure stays whole and closed, without caps.
        emit(Polyline{pts, true});
        return;
    }
    if (on && held && current.points.size() >= 2) {
        for (size_t i = 1; i < held->points.size(); ++i) AppendDistinct(&current, held->points[i]);
        emit(std::move(current));
        return;
    }
    if (on) finishDash();
    if (held) emit(std::move(*held));
}

// Adds a cap at `end`, pointing along `outward`, reaching back at most `room` into the line.
void AddCap(const PointD& end, const PointD& outward, double halfWidth, double room,
            std::vector<Polygon>* out) {
    const PointD n = Mul(LeftNormal(outward), halfWidth);
    const PointD base = Sub(end, Mul(outward, std::min(kCapOverlap * halfWidth, room)));
    out->push_back({Add(base, n), Add(end, n), Add(end, Mul(outward, halfWidth)), Sub(end, n), Sub(base, n)});
}

}  // namespace

double TotalLength(const std::vector<Polyline>& lines) {
    double total = 0.0;
    for (const Polyline& line : lines) {
        const auto& pts = line.points;
        for (size_t i = 1; i < pts.size(); ++i) total += Length(Sub(pts[i], pts[i - 1]));
        if (line.closed && pts.size() > 1) total += Length(Sub(pts.front(), pts.back()));
    }
    return total;
}

double EstimateDashCount(double length, const std::vector<double>& pattern, int figures) {
    double period = 0.0;
    for (double v : pattern) period += v;
    if (!(period > 0.0) || !std::isfinite(period)) return std::numeric_limits<double>::infinity();
    return (length / period + figures) * static_cast<double>(pattern.size());
}

void ApplyDashes(const std::vector<Polyline>& lines, const std::vector<double>& pattern,
                 const DashSink& sink) {
    double period = 0.0;
    for (double v : pattern) {
        if (!(v > 0.0) || !std::isfinite(v)) period = std::numeric_limits<double>::quiet_NaN();
        period += v;
    }
    if (pattern.empty() || !std::isfinite(period)) {
        // No usable pattern: the lines stay solid.
        for (const Polyline& line : lines) sink(Polyline(line));
        return;
    }
    size_t count = 0;
    auto counted = [&](Polyline&& dash) {
        if (++count <= kDashOutputCap) sink(std::move(dash));
    };
    for (const Polyline& line : lines) DashFigure(line, pattern, counted);
}

std::vector<Polyline> ApplyDashes(const std::vector<Polyline>& lines, const std::vector<double>& pattern) {
    std::vector<Polyline> dashes;
    ApplyDashes(lines, pattern, [&dashes](Polyline&& dash) { dashes.push_back(std::move(dash)); });
    return dashes;
}

void AddTriangleCaps(const Polyline& line, double halfWidth, bool overlap, std::vector<Polygon>* out) {
    if (line.closed) return;
    const std::vector<PointD> pts = DistinctPoints(line);
    if (pts.size() < 2) return;
    const size_t n = pts.size();
    const PointD startDir = Sub(pts[0], pts[1]);
    const PointD endDir = Sub(pts[n - 1], pts[n - 2]);
    AddCap(pts[0], Unit(startDir), halfWidth, overlap ? Length(startDir) : 0.0, out);
    AddCap(pts[n - 1], Unit(endDir), halfWidth, overlap ? Length(endDir) : 0.0, out);
}

void AddClippedMiters(const Polyline& line, double halfWidth, double limit, bool overlap,
                      std::vector<Polygon>* out) {
    const std::vector<PointD> pts = DistinctPoints(line);
    const size_t n = pts.size();
    if (n < 3) return;
    const size_t first = line.closed ? 0 : 1;
    const size_t last = line.closed ? n : n - 1;
    for (size_t i = first; i < last; ++i) {
        const PointD& cur = pts[i];
        const PointD d1 = Unit(Sub(cur, pts[(i + n - 1) % n]));
        const PointD d2 = Unit(Sub(pts[(i + 1) % n], cur));
        const double cosHalf = std::sqrt(std::max(0.0, (1.0 + Dot(d1, d2)) / 2.0));
        if (cosHalf < kReversalCosine || 1.0 / cosHalf <= limit) continue;  // reversal, or a true miter

        const double side = Cross(d1, d2) > 0 ? -1.0 : 1.0;  // the outer side, against the turn
        const PointD n1 = Mul(LeftNormal(d1), side);
        const PointD n2 = Mul(LeftNormal(d2), side);
        const PointD bisector = Unit(Add(n1, n2));
        const double reach = limit * halfWidth - halfWidth * cosHalf;  // beyond the bevel
        if (reach <= 0.0) continue;
        const PointD a = Add(cur, Mul(n1, halfWidth));
        const PointD b = Add(cur, Mul(n2, halfWidth));
        const PointD c1 = Add(a, Mul(d1, reach / Dot(d1, bisector)));
        const PointD c2 = Sub(b, Mul(d2, reach / -Dot(d2, bisector)));
        if (overlap) {
            out->push_back({cur, a, c1, c2, b});
        } else {
            out->push_back({a, c1, c2, b});
        }
    }
}

bool FlattenFigures(const GraphicsPath& path, const Matrix& toDevice, double tolerance,
                    std::vector<Polyline>* out) {
    const std::vector<PointD>& pts = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    const size_t n = std::min(pts.size(), types.size());
    size_t total = 0;
    auto add = [&](const PointD& p) {
        if (out->empty()) out->emplace_back();
        out->back().points.push_back(p);
        return ++total <= kMaxFlattenedPoints;
    };
    for (size_t i = 0; i < n; ++i) {
        const PointD d = toDevice.TransformPoint(pts[i]);
        if (!std::isfinite(d.x) || !std::isfinite(d.y)) return false;
        const uint8_t type = types[i] & PathPointTypeMask;
        size_t last = i;
        if (type == PathPointStart) {
            out->emplace_back();
            if (!add(pts[i])) return false;
        } else if (type == PathPointBezier && i + 2 < n && !out->empty()) {
            const PointD p0 = out->back().points.back();
            const PointD p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
            // Uniform chords stray at most |second derivative| / (8 n^2); the second derivative
            // of a cubic is bounded by 6 times its largest second difference.
            const PointD e1 = LinearPart(toDevice, Sub(Add(p0, p2), Mul(p1, 2)));
            const PointD e2 = LinearPart(toDevice, Sub(Add(p1, p3), Mul(p2, 2)));
            const double bend = std::max(Length(e1), Length(e2));
            const double wanted = std::ceil(std::sqrt(0.75 * bend / tolerance));
            const int chords = std::isfinite(wanted)
                                   ? static_cast<int>(std::clamp(wanted, 1.0, double(kMaxCurveChords)))
                                   : kMaxCurveChords;
            for (int k = 1; k <= chords; ++k) {
                const double t = double(k) / chords, u = 1 - t;
                const PointD p = Add(Add(Mul(p0, u * u * u), Mul(p1, 3 * u * u * t)),
                                     Add(Mul(p2, 3 * u * t * t), Mul(p3, t * t * t)));
                if (!add(k == chords ? p3 : p)) return false;
            }
            last = i + 2;
        } else {
            if (!add(pts[i])) return false;
        }
        if (types[last] & PathPointClose) out->back().closed = true;
        i = last;
    }
    return true;
}

bool Touches(const Polyline& line, const Matrix& toDevice, const RectD& box) {
    if (line.points.empty()) return false;
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const PointD& p : line.points) {
        const PointD d = toDevice.TransformPoint(p);
        minX = std::min(minX, d.x);
        maxX = std::max(maxX, d.x);
        minY = std::min(minY, d.y);
        maxY = std::max(maxY, d.y);
    }
    return maxX >= box.x && minX <= box.GetRight() && maxY >= box.y && minY <= box.GetBottom();
}

std::vector<Polyline> ClipPolygons(const std::vector<Polyline>& figures, const Matrix& toDevice,
                                   const RectD& box) {
    // Signed distance inside each edge of the box, in device pixels; one Sutherland-Hodgman pass
    // per edge. Each pass replaces what lies outside its half-plane by a path along the edge,
    // which winds around no point inside.
    using Inside = double (*)(const PointD& device, const RectD& box);
    const Inside edges[] = {
        [](const PointD& d, const RectD& b) { return d.x - b.x; },
        [](const PointD& d, const RectD& b) { return b.GetRight() - d.x; },
        [](const PointD& d, const RectD& b) { return d.y - b.y; },
        [](const PointD& d, const RectD& b) { return b.GetBottom() - d.y; },
    };
    std::vector<Polyline> out;
    for (const Polyline& figure : figures) {
        std::vector<PointD> ring = figure.points;
        for (Inside inside : edges) {
            if (ring.size() < 3) break;
            std::vector<PointD> next;
            next.reserve(ring.size() + 4);
            PointD prev = ring.back();
            double prevSide = inside(toDevice.TransformPoint(prev), box);
            for (const PointD& cur : ring) {
                const double side = inside(toDevice.TransformPoint(cur), box);
                if ((side >= 0) != (prevSide >= 0))
                    next.push_back(Lerp(prev, cur, prevSide / (prevSide - side)));
                if (side >= 0) next.push_back(cur);
                prev = cur;
                prevSide = side;
            }
            ring = std::move(next);
        }
        if (ring.size() >= 3) out.push_back(Polyline{std::move(ring), true});
    }
    return out;
}

namespace {

// Liang-Barsky: the parameter range [t0, t1] of the segment a-b (device) inside the box; false
// when none is.
bool ClipSegment(const PointD& a, const PointD& b, const RectD& box, double* t0, double* t1) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - box.x, box.GetRight() - a.x, a.y - box.y, box.GetBottom() - a.y};
    *t0 = 0.0;
    *t1 = 1.0;
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0) return false;
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0.0) {
            *t0 = std::max(*t0, r);
        } else {
            *t1 = std::min(*t1, r);
        }
    }
    return *t0 <= *t1;
}

}  // namespace

std::vector<Polyline> ClipPolylines(const std::vector<Polyline>& lines, const Matrix& toDevice,
                                    const RectD& box) {
    std::vector<Polyline> out;
    for (const Polyline& line : lines) {
        const std::vector<PointD>& pts = line.points;
        if (pts.size() < 2) continue;
        const size_t segments = line.closed ? pts.size() : pts.size() - 1;
        const size_t firstOut = out.size();
        bool open = false;  // the last piece in `out` continues
        bool whole = true;  // no segment was cut
        bool startsAtStart = false;
        for (size_t s = 0; s < segments; ++s) {
            const PointD& a = pts[s];
            const PointD& b = pts[(s + 1) % pts.size()];
            double t0 = 0, t1 = 0;
            if (!ClipSegment(toDevice.TransformPoint(a), toDevice.TransformPoint(b), box, &t0, &t1)) {
                open = false;
                whole = false;
                continue;
            }
            if (t0 > 0 || t1 < 1) whole = false;
            if (!open || t0 > 0) {
                if (s == 0 && t0 == 0) startsAtStart = true;
                out.push_back(Polyline{{Lerp(a, b, t0)}, false});
            }
            out.back().points.push_back(Lerp(a, b, t1));
            open = t1 >= 1;
        }
        if (line.closed && whole) {
            out.resize(firstOut);
            out.push_back(line);
        } else if (line.closed && open && startsAtStart && out.size() - firstOut > 1) {
            // The piece through the start point: the last one continues into the first.
            Polyline& first = out[firstOut];
            Polyline& last = out.back();
            last.points.insert(last.points.end(), first.points.begin() + 1, first.points.end());
            first = std::move(last);
            out.pop_back();
        }
    }
    return out;
}

void OrientPositive(Polygon* polygon) {
    double area2 = 0.0;
    const size_t n = polygon->size();
    for (size_t i = 0; i < n; ++i) area2 += Cross((*polygon)[i], (*polygon)[(i + 1) % n]);
    if (area2 < 0) std::reverse(polygon->begin(), polygon->end());
}

}  // namespace Pictor::stroke
