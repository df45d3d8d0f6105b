// Geometry that Cairo does not provide: dashes walked by hand (so that every dash can get a
// triangle cap or clipped miter joins), triangle caps, miter joins clipped at the limit, and
// flattening and clipping of figures that reach beyond Cairo's coordinate range. Pure geometry on
// polylines in whatever space a stroke or fill is computed in; `toDevice` maps that space to
// device pixels where a step needs to measure on the device.
#pragma once

#include <functional>
#include <vector>

#include "contracts/pictor/matrix.h"
#include "contracts/pictor/path.h"
#include "contracts/pictor/types.h"

namespace Pictor::stroke {

// More dashes than this in one stroke (on and off pieces counted apart) are drawn as a solid line
// instead. Cairo keeps the edges of every dash of a stroke at once, some 270 bytes each, and dashes
// cut by hand for triangle caps or clipped joins take about 5 microseconds each: at this count a
// stroke stays near 130 MB and two seconds. A map line with more dashes than that shows them as a
// blur anyway.
inline constexpr double kMaxDashCount = 500'000.0;

struct Polyline {
    std::vector<PointD> points;
    bool closed = false;
};

using Polygon = std::vector<PointD>;

// Sum of the segment lengths of the polylines (closing segments included).
double TotalLength(const std::vector<Polyline>& lines);

// Number of dashes that `pattern` (absolute on/off lengths, restarted at each figure) cuts from a
// path of the given length; the estimate errs high. Infinite when the pattern has no length.
double EstimateDashCount(double length, const std::vector<double>& pattern, int figures);

// Flattening stops at this many points in all: beyond it a path is refused rather than allowed
// to take unbounded memory (the same as the most points a path may hold).
inline constexpr size_t kMaxFlattenedPoints = size_t{1} << 24;

// Receives each dash as soon as it is complete, so that a caller can draw dashes in batches.
using DashSink = std::function<void(Polyline&&)>;

// Cuts every polyline into its dashes: the pattern starts "on" at each figure's first point; on a
// closed figure the last dash joins the first when both touch the start point (so the first dash
// of a closed figure arrives when the figure ends). Consecutive duplicate points are dropped.
// The caller bounds the work with EstimateDashCount.
void ApplyDashes(const std::vector<Polyline>& lines, const std::vector<double>& pattern,
                 const DashSink& sink);
std::vector<Polyline> ApplyDashes(const std::vector<Polyline>& lines, const std::vector<double>& pattern);

// The path's figures as polylines in its own coordinates; each curve is cut into chords that
// stray at most `tolerance` device pixels from it. False when that would take more than
// kMaxFlattenedPoints or the path does not map to finite device coordinates.
bool FlattenFigures(const GraphicsPath& path, const Matrix& toDevice, double tolerance,
                    std::vector<Polyline>* out);

// Whether the polyline's device bounds meet the box (device pixels).
bool Touches(const Polyline& line, const Matrix& toDevice, const RectD& box);

// The parts of filled figures (closed implicitly) inside the box; any point inside the box keeps
// its winding number, so either fill rule gives the same picture there.
std::vector<Polyline> ClipPolygons(const std::vector<Polyline>& figures, const Matrix& toDevice,
                                   const RectD& box);

// The parts of stroked polylines inside the box; a figure that crosses the box's edge falls into
// open pieces, ending on the edge.
std::vector<Polyline> ClipPolylines(const std::vector<Polyline>& lines, const Matrix& toDevice,
                                    const RectD& box);

// Appends a triangle cap (a point halfWidth beyond the end, along the end's direction) to both
// ends of an open polyline. With `overlap` each cap reaches a little back into the line, so that
// antialiased edges leave no seam where both are drawn in one colour; without, it only touches
// the line, for a translucent pen that cannot be drawn as one layer. A polyline without length
// gets none, like a flat cap.
void AddTriangleCaps(const Polyline& line, double halfWidth, bool overlap, std::vector<Polygon>* out);

// For each join whose miter is longer than `limit` times the half width (where a miter join turns
// into a bevel), appends the piece that extends the bevel to a miter cut off at that distance;
// with `overlap` the piece includes the bevel itself.
void AddClippedMiters(const Polyline& line, double halfWidth, double limit, bool overlap,
                      std::vector<Polygon>* out);

// Whether a polygon's points run with positive signed area (in the y-down sense used throughout);
// polygons are reversed to one orientation before they are filled together with the winding rule.
void OrientPositive(Polygon* polygon);

}  // namespace Pictor::stroke
