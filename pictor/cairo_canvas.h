// Canvases that render through Cairo: a raster image written as PNG, and SVG or PDF documents.
#pragma once

#include <memory>
#include <string>

#include "contracts/pictor/canvas.h"

namespace Pictor {

class CairoCanvasImpl;

// Common drawing code for every Cairo surface kind.
class CairoCanvas : public Canvas {
public:
    ~CairoCanvas() override;
    int GetWidth() const override;
    int GetHeight() const override;
    double GetDeviceScale() const override;
    // Ok while the surface is usable; the first backend error otherwise.
    Status GetLastStatus() const;

    Status DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int tag) override;
    Status FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path, int tag) override;
    Status DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to, int tag) override;
    Status FillRectangle(const DrawState& state, const Brush& brush, const RectD& rect, int tag) override;
    Status FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int tag) override;
    Status DrawImage(const DrawState& state, const Image& image, const RectD& dest, int tag) override;

protected:
    explicit CairoCanvas(std::unique_ptr<CairoCanvasImpl> impl);
    std::unique_ptr<CairoCanvasImpl> impl_;
};

// A premultiplied ARGB image surface. Sizes follow the bitmap caps of image.h. `ppi` is the
// resolution it is made for; it sets the device scale.
class RasterCanvas final : public CairoCanvas {
public:
    RasterCanvas(int width, int height, const Color& background = Color(0, 0, 0, 0),
                 double ppi = kReferencePpi);
    // Draws straight into the bitmap's pixels.
    explicit RasterCanvas(Bitmap* bitmap);
    // Writes the picture as PNG, through a temporary file renamed into place.
    Status WritePng(const std::string& path) const;
    // Straight colour of one device pixel; transparent black outside the canvas.
    Color GetPixel(int x, int y) const;
    // A copy of the picture as an image.
    std::unique_ptr<Image> Snapshot() const;
};

// Draws into a recorded bitmap (Bitmap::Recorded), keeping the drawing as vectors.
class RecordedCanvas final : public CairoCanvas {
public:
    explicit RecordedCanvas(Bitmap* bitmap);
    bool KeepsVectors() const override { return true; }
};

enum class VectorFormat { Svg, Pdf };

// An SVG or PDF document of width x height device pixels at `ppi`, written to `path` when
// finished. Its page measures width / ppi by height / ppi inches (in points, 72 an inch): a
// millimetre drawn at the ppi's pixels per millimetre is a millimetre on paper.
class VectorCanvas final : public CairoCanvas {
public:
    VectorCanvas(VectorFormat format, const std::string& path, int width, int height,
                 const Color& background = Color(0, 0, 0, 0), double ppi = kReferencePpi);
    bool KeepsVectors() const override { return true; }
    // Completes the document; drawing afterwards fails with WrongState.
    Status Finish();
};

}  // namespace Pictor
