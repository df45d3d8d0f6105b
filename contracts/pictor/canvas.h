// What a Graphics draws on. Graphics validates every call and hands the canvas finite geometry in
// drawing units together with the state in force; canvases only render or record.
#pragma once

#include <cstdint>
#include <vector>

#include "contracts/pictor/brush.h"
#include "contracts/pictor/image.h"
#include "contracts/pictor/matrix.h"
#include "contracts/pictor/path.h"
#include "contracts/pictor/pen.h"
#include "contracts/pictor/types.h"

namespace Pictor {

// The resolution at which a device pixel is a reference pixel: a screen's.
inline constexpr double kReferencePpi = 96.0;

struct DrawState {
    Matrix world;                          // drawing units to device pixels
    const GraphicsPath* clip = nullptr;    // in device pixels; null when drawing is not clipped
    // Clips kept by the open containers, in device pixels, each narrowing the drawing like `clip`;
    // null or empty when there are none.
    const std::vector<GraphicsPath>* containerClips = nullptr;
    uint64_t clipId = 0;  // changes whenever `clip` or the container clips change (0: no clip at all)
    int smoothing = SmoothingDefault;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // True when the canvas keeps drawing as vectors (SVG, PDF): off-screen bitmaps made for it
    // are then recorded drawings rather than pixels.
    virtual bool KeepsVectors() const { return false; }
    // Device pixels per reference pixel (a 96th of an inch): the resolution's ppi / 96. The sizes
    // the graphics layer fixes in device pixels (the hatch cell, the hairline) are multiplied by
    // it, so that a print shows them as large as a screen does. 1 on a screen.
    virtual double GetDeviceScale() const { return 1.0; }

    virtual Status DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int tag) = 0;
    virtual Status FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path, int tag) = 0;
    virtual Status DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to, int tag) = 0;
    virtual Status FillRectangle(const DrawState& state, const Brush& brush, const RectD& rect, int tag) = 0;
    virtual Status FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int tag) = 0;
    // Draws the whole image scaled into `dest` (drawing units).
    virtual Status DrawImage(const DrawState& state, const Image& image, const RectD& dest, int tag) = 0;

    // The calls between BeginGroup and the matching EndGroup draw one picture (a marker) that a
    // map may draw many times over. A raster canvas may keep the finished picture and paint it
    // again wherever the same calls come in the same order; what is drawn is the same either
    // way. Groups nest and only the outermost counts; canvases that keep nothing ignore them.
    virtual void BeginGroup() {}
    virtual void EndGroup() {}
};

}  // namespace Pictor
