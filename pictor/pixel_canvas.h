// The raster canvas that PNG output draws on: AGG's scanline rasterizer where it is fastest, the
// Cairo raster canvas over the same pixels for everything else.
#pragma once

#include <memory>
#include <string>

#include "contracts/pictor/canvas.h"

namespace Pictor {

// Which rasterizer draws solid and hatched fills and strokes.
enum class RasterEngine { Agg, Cairo };

class PixelCanvasImpl;

// A premultiplied ARGB picture, sizes capped as bitmaps are. With RasterEngine::Agg, fills and
// strokes in a solid colour or a hatch, with every cap but the triangle, every join and dash
// pattern, under clips and in every smoothing mode, are rasterized by AGG; gradients, textures,
// images, triangle caps, dots and geometry beyond the device range go through the Cairo raster canvas
// drawing into the same pixels, so both refuse bad input alike. With RasterEngine::Cairo every
// call goes through Cairo.
class PixelCanvas final : public Canvas {
public:
    // `ppi` is the resolution the canvas is made for: it sets the device scale (canvas.h). Away
    // from 96 ppi, hatches and hairlines, which the device scale sizes, are drawn by Cairo.
    PixelCanvas(int width, int height, const Color& background = Color(0, 0, 0, 0),
                RasterEngine engine = RasterEngine::Agg, double ppi = kReferencePpi);
    ~PixelCanvas() override;
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    int GetWidth() const override;
    int GetHeight() const override;
    double GetDeviceScale() const override;
    // Ok while the canvas is usable; why not otherwise (as for RasterCanvas).
    Status GetLastStatus() const;
    RasterEngine GetEngine() const { return engine_; }

    Status DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int tag) override;
    Status FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path, int tag) override;
    Status DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to, int tag) override;
    Status FillRectangle(const DrawState& state, const Brush& brush, const RectD& rect, int tag) override;
    Status FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int tag) override;
    Status DrawImage(const DrawState& state, const Image& image, const RectD& dest, int tag) override;
    // With the AGG engine and the stamp cache on, a group's calls are kept and, once the same
    // group has come twice, painted from a picture of it (docs/graphics.md).
    void BeginGroup() override;
    void EndGroup() override;

    // The cache of repeated shapes (AGG only; on by default): stamps held in bytes, at most 16 MiB
    // (docs/graphics.md). Turned off, every shape is rasterized where it is drawn.
    size_t StampCacheBytes() const;
    void SetStampCache(bool on);

    Status WritePng(const std::string& path) const;
    Color GetPixel(int x, int y) const;
    std::unique_ptr<Image> Snapshot() const;

private:
    RasterEngine engine_;
    std::unique_ptr<PixelCanvasImpl> impl_;
};

}  // namespace Pictor
