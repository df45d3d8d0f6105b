// Owning wrappers for the Cairo handles used by the canvases and images.
#pragma once

#include <cairo.h>

#include <memory>

#include "contracts/pictor/image.h"

namespace Pictor::cairo {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct PatternDeleter {
    void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
struct PathDeleter {
    void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;
using PatternPtr = std::unique_ptr<cairo_pattern_t, PatternDeleter>;
using PathPtr = std::unique_ptr<cairo_path_t, PathDeleter>;

// Saves the graphics state for one drawing call and restores it on every way out.
class SavedState {
public:
    explicit SavedState(cairo_t* cr) : cr_(cr) { cairo_save(cr_); }
    ~SavedState() { cairo_restore(cr_); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    cairo_t* cr_;
};

// An image surface over the buffer's own pixels (premultiplied ARGB, rows without padding, which
// is Cairo's stride for that format). Cairo only reads and writes the memory while the surface
// lives, so the buffer must outlive the surface. An error surface if the sizes do not fit.
inline SurfacePtr WrapPixels(PixelBuffer& buffer) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, buffer.width);
    const bool fits =
        buffer.width > 0 && buffer.height > 0 && stride == buffer.width * 4 &&
        buffer.pixels.size() == static_cast<size_t>(buffer.width) * static_cast<size_t>(buffer.height);
    if (!fits) return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_INVALID, 0, 0));
    return SurfacePtr(
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(buffer.pixels.data()),
                                            CAIRO_FORMAT_ARGB32, buffer.width, buffer.height, stride));
}

}  // namespace Pictor::cairo

namespace Pictor {

// What a recorded bitmap holds: a Cairo recording surface bounded to the bitmap's size.
struct RecordedDrawing {
    cairo::SurfacePtr surface;
};

}  // namespace Pictor
