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

    int GetWidth() const { return buffer_ ? buffer_->width : 0; }
    int GetHeight() const { return buffer_ ? buffer_->height : 0; }
    Status GetLastStatus() const { return status_; }
    // Straight colour of one pixel; transparent black outside the image.
    Color GetPixel(int x, int y) const;
    const std::shared_ptr<PixelBuffer>& Buffer() const { return buffer_; }

protected:
    std::shared_ptr<PixelBuffer> buffer_;
    Status status_ = WrongState;
};

class Bitmap : public Image {
public:
    // Fully transparent. A side below 1 gives InvalidParameter, a size over the caps ValueOverflow;
    // such a bitmap has no pixels and a Graphics on it draws nothing.
    Bitmap(int width, int height);
};

}  // namespace Pictor
