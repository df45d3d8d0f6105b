// A figure list of straight and cubic Bezier segments, kept in its own coordinates.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "contracts/pictor/matrix.h"
#include "contracts/pictor/types.h"

namespace Pictor {

class Font;
class Pen;
class StringFormat;

// Type of each point. A figure begins with PathPointStart; PathPointBezier points come in threes
// (two control points and the end point of one cubic segment). PathPointClose is or-ed into the
// type of a closed figure's last point.
enum PathPointType : uint8_t {
    PathPointStart = 0,
    PathPointLine = 1,
    PathPointBezier = 3,
    PathPointTypeMask = 0x07,
    PathPointClose = 0x80,
};

// Caps that keep input-driven sizes bounded.
inline constexpr int kMaxPathPoints = 1 << 24;        // 16 Mi points, about 400 MiB per path
inline constexpr size_t kMaxTextBytes = 1 << 16;      // UTF-8 bytes given to one text call

class GraphicsPath {
public:
    explicit GraphicsPath(int fillMode = FillModeAlternate);

    void Reset();                       // no figures, alternate fill mode
    void StartFigure();                 // the next point begins a new figure; the current one stays open
    Status CloseFigure();               // closes the current figure
    Status SetFillMode(int mode);       // 0 alternate (even-odd); 1 or 2 winding
    int GetFillMode() const { return fillMode_; }

    // Lines and Beziers continue the current open figure (its last point joins the first new one).
    Status AddLine(const PointD& a, const PointD& b);
    Status AddLine(double x1, double y1, double x2, double y2);
    Status AddLines(const PointD* points, int count);
    Status AddBeziers(const PointD* points, int count);  // count = 1 + 3n
    // Closed figures of their own.
    Status AddPolygon(const PointD* points, int count);
    Status AddRectangle(const RectD& rect);
    Status AddRectangle(double x, double y, double width, double height);
    Status AddEllipse(const RectD& rect);  // four cubic Beziers
    Status AddEllipse(double x, double y, double width, double height);
    // Appends the figures of `other`; with `connect`, its first figure continues the current open one.
    Status AddPath(const GraphicsPath* other, bool connect);

    // Glyph outlines (and underline and strike-out bars) as closed figures. Text is UTF-8.
    // Layout form: lines broken at line breaks and wrapped at word boundaries to the rectangle's
    // width (no wrapping when the width is 0 or less), aligned in it, the first line box at its top.
    Status AddStringFont(std::string_view text, const Font* font, const RectD& layout, const StringFormat* format);
    // Origin form: with `originAtTop` the origin is the top-left corner of the first line box,
    // otherwise a point on the first line's baseline. On return origin->x is advanced by the
    // width of the text's last line, so consecutive calls continue a line.
    Status AddStringFont(std::string_view text, const Font* font, PointD* origin, bool originAtTop);
    // One character (a Unicode code point), the top-left of its line box at the origin.
    Status AddCharacterFont(char32_t code, const Font* font, const PointD& origin);

    Status Transform(const Matrix* matrix);
    // Axis-aligned bounds after the optional matrix, widened by half the optional pen's width.
    // Curves count by their true extent. A path without points gives (0, 0, -1, -1); so does text
    // in a family that is not installed, since it adds nothing.
    Status GetBounds(RectD* bounds, const Matrix* matrix = nullptr, const Pen* pen = nullptr) const;

    int GetPointCount() const { return static_cast<int>(points_.size()); }
    bool IsEmpty() const { return points_.empty(); }
    const std::vector<PointD>& Points() const { return points_; }
    const std::vector<uint8_t>& Types() const { return types_; }
    // Appends raw figure data (used by the text outliner and the canvases); types must be well formed.
    void Reserve(size_t points);
    void AppendRaw(const PointD& p, uint8_t type);

    friend bool operator==(const GraphicsPath&, const GraphicsPath&) = default;

private:
    bool CanAdd(int count) const;
    void ContinueFigure(const PointD& first);

    std::vector<PointD> points_;
    std::vector<uint8_t> types_;
    int fillMode_ = FillModeAlternate;
    bool figureOpen_ = false;  // the last figure accepts continuing lines
};

}  // namespace Pictor
