// 32-bit images with alpha, and off-screen bitmaps that a Graphics can draw into.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contracts/pictor/types.h"

namespace Pictor {

// A bitmap may hold at most this many pixels (256 MiB), and neither side may exceed kMaxBitmapSide.
inline constexpr int64_t kMaxBitmapPixels = int64_t{1} << 26;
inline constexpr int kMaxBitmapSide = 32767;

// Pixels are premultiplied ARGB, one uint32_t each, rows top to bottom without padding.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// A drawing kept as drawing calls for vector output; only the graphics layer looks inside.
struct RecordedDrawing;

class Image {
public:
    Image() = default;  // empty: width and height 0, status WrongState
    virtual ~Image() = default;
    Image(const Image&) = default;  // copies share the pixels
    Image& operator=(const Image&) = default;

    // Loads a PNG file. On failure returns null and sets *status (FileNotFound, UnknownImageFormat,
    // ValueOverflow above the size cap).
    static std::unique_ptr<Image> FromFile(const std::string& path, Status* status = nullptr);
    // Copies straight (not premultiplied) 0xAARRGGBB pixels.
    static std::unique_ptr<Image> FromArgb(int width, int height, const uint32_t* argb, Status* status = nullptr);
    // The image resampled to `factor` times its size each way (whole pixels, at least one), as a
    // tile: its edges blend with the opposite ones, so the copy repeats as seamlessly. Null with
    // *status on an image without pixels, a factor that is not positive, a size over the caps
    // (ValueOverflow) or no memory.
    static std::unique_ptr<Image> ScaledTile(const Image& image, double factor, Status* status = nullptr);

    int GetWidth() const { return buffer_ ? buffer_->width : recordedWidth_; }
    int GetHeight() const { return buffer_ ? buffer_->height : recordedHeight_; }
    Status GetLastStatus() const { return status_; }
    // Straight colour of one pixel; transparent black outside the image.
    Color GetPixel(int x, int y) const;
    // Null for a recorded drawing, which has no pixels.
    const std::shared_ptr<PixelBuffer>& Buffer() const { return buffer_; }
    // The drawing of a bitmap made by Bitmap::Recorded; null for pixels.
    const std::shared_ptr<RecordedDrawing>& Recording() const { return recording_; }

protected:
    std::shared_ptr<PixelBuffer> buffer_;
    std::shared_ptr<RecordedDrawing> recording_;
    int recordedWidth_ = 0;
    int recordedHeight_ = 0;
    Status status_ = WrongState;
};

class Bitmap : public Image {
public:
    // Fully transparent. A side below 1 gives InvalidParameter, a size over the caps ValueOverflow;
    // such a bitmap has no pixels and a Graphics on it draws nothing.
    Bitmap(int width, int height);
    // A bitmap of the same size and caps that keeps what is drawn into it as drawing calls
    // instead of pixels: used as a texture or drawn as an image on an SVG or PDF canvas it stays
    // vector. GetPixel reads it as transparent. Null when memory runs out.
    static std::unique_ptr<Bitmap> Recorded(int width, int height);

    // The device scale (canvas.h) a Graphics on the bitmap draws with: that of the canvas it was
    // made compatible with, so that hatches and hairlines in an off-screen tile match the page.
    double GetDeviceScale() const { return deviceScale_; }
    void SetDeviceScale(double scale) { deviceScale_ = scale; }

private:
    Bitmap() = default;
    double deviceScale_ = 1.0;
};

}  // namespace Pictor
