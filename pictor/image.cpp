#include "contracts/pictor/image.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <new>
#include <string_view>

#include "pictor/cairo_handles.h"
#include "pictor/pixels.h"

namespace Pictor {
namespace {

constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Signature (8), IHDR length (4), "IHDR" (4), width (4), height (4).
constexpr size_t kPngHeaderBytes = 24;

// Ok, InvalidParameter or ValueOverflow for a bitmap of the given size.
Status CheckSize(int64_t width, int64_t height) {
    if (width < 1 || height < 1) return InvalidParameter;
    if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels)
        return ValueOverflow;
    return Ok;
}

std::shared_ptr<PixelBuffer> MakeBuffer(int width, int height) {
    auto buffer = std::make_shared<PixelBuffer>();
    buffer->width = width;
    buffer->height = height;
    buffer->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    return buffer;
}

uint32_t ReadBigEndian(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Reads the size from the PNG header before Cairo sees the file, so that a header announcing a
// huge picture is refused without allocating for it.
Status CheckPngHeader(const std::string& path) {
    // A pipe or a device would block the read or never end: only regular files are pictures.
    std::error_code ec;
    const std::filesystem::file_type type = std::filesystem::status(path, ec).type();
    if (type == std::filesystem::file_type::not_found) return FileNotFound;
    if (type != std::filesystem::file_type::regular) return UnknownImageFormat;
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileNotFound;
    std::array<unsigned char, kPngHeaderBytes> header{};
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    if (in.gcount() != static_cast<std::streamsize>(header.size())) return UnknownImageFormat;
    if (!std::equal(kPngSignature.begin(), kPngSignature.end(), header.begin())) return UnknownImageFormat;
    if (std::string_view(reinterpret_cast<const char*>(&header[12]), 4) != "IHDR") return UnknownImageFormat;
    const uint32_t width = ReadBigEndian(&header[16]);
    const uint32_t height = ReadBigEndian(&header[20]);
    if (width == 0 || height == 0) return UnknownImageFormat;
    return CheckSize(width, height);
}

// Cairo reports a PNG whose data is damaged as out of memory. The header has passed the size
// cap, so whether memory for the pixels can be had tells the two apart.
Status LoadFailure(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, kPngHeaderBytes> header{};
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    const size_t bytes = size_t{ReadBigEndian(&header[16])} * ReadBigEndian(&header[20]) * 4;
    std::unique_ptr<unsigned char[]> probe(new (std::nothrow) unsigned char[bytes]);
    return probe ? UnknownImageFormat : OutOfMemory;
}

void SetStatus(Status* out, Status value) {
    if (out) *out = value;
}

}  // namespace

std::unique_ptr<Image> Image::FromFile(const std::string& path, Status* status) {
    try {
        if (Status st = CheckPngHeader(path); st != Ok) {
            SetStatus(status, st);
            return nullptr;
        }
        cairo::SurfacePtr loaded(cairo_image_surface_create_from_png(path.c_str()));
        const cairo_status_t loadStatus = cairo_surface_status(loaded.get());
        if (loadStatus != CAIRO_STATUS_SUCCESS) {
            SetStatus(status, loadStatus == CAIRO_STATUS_FILE_NOT_FOUND ? FileNotFound
                              : loadStatus == CAIRO_STATUS_NO_MEMORY    ? LoadFailure(path)
                                                                        : UnknownImageFormat);
            return nullptr;
        }
        const int width = cairo_image_surface_get_width(loaded.get());
        const int height = cairo_image_surface_get_height(loaded.get());
        if (Status st = CheckSize(width, height); st != Ok) {
            SetStatus(status, st);
            return nullptr;
        }
        // Painting into our own ARGB buffer converts whatever format Cairo chose; opaque formats
        // come out with alpha 255.
        auto image = std::make_unique<Image>();
        image->buffer_ = MakeBuffer(width, height);
        cairo::SurfacePtr target = cairo::WrapPixels(*image->buffer_);
        cairo::ContextPtr cr(cairo_create(target.get()));
        cairo_set_source_surface(cr.get(), loaded.get(), 0, 0);
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr.get());
        cairo_surface_flush(target.get());
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
            SetStatus(status, SurfaceError);
            return nullptr;
        }
        image->status_ = Ok;
        SetStatus(status, Ok);
        return image;
    } catch (const std::bad_alloc&) {
        SetStatus(status, OutOfMemory);
        return nullptr;
    }
}

std::unique_ptr<Image> Image::FromArgb(int width, int height, const uint32_t* argb, Status* status) {
    Status st = argb ? CheckSize(width, height) : InvalidParameter;
    if (st != Ok) {
        SetStatus(status, st);
        return nullptr;
    }
    try {
        auto image = std::make_unique<Image>();
        image->buffer_ = MakeBuffer(width, height);
        std::vector<uint32_t>& px = image->buffer_->pixels;
        for (size_t i = 0; i < px.size(); ++i) px[i] = pixels::Premultiply(Color(argb[i]));
        image->status_ = Ok;
        SetStatus(status, Ok);
        return image;
    } catch (const std::bad_alloc&) {
        SetStatus(status, OutOfMemory);
        return nullptr;
    }
}

std::unique_ptr<Image> Image::ScaledTile(const Image& image, double factor, Status* status) {
    if (!image.buffer_ || !(factor > 0.0)) {
        SetStatus(status, InvalidParameter);
        return nullptr;
    }
    const double width = std::max(1.0, std::round(image.GetWidth() * factor));
    const double height = std::max(1.0, std::round(image.GetHeight() * factor));
    const Status st = std::max(width, height) > kMaxBitmapSide ? ValueOverflow
                                                               : CheckSize(int64_t(width), int64_t(height));
    if (st != Ok) {
        SetStatus(status, st);
        return nullptr;
    }
    try {
        auto scaled = std::make_unique<Image>();
        scaled->buffer_ = MakeBuffer(static_cast<int>(width), static_cast<int>(height));
        const cairo::SurfacePtr source = cairo::WrapPixels(*image.buffer_);
        const cairo::SurfacePtr target = cairo::WrapPixels(*scaled->buffer_);
        const cairo::ContextPtr cr(cairo_create(target.get()));
        const cairo::PatternPtr pattern(cairo_pattern_create_for_surface(source.get()));
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
        cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_GOOD);
        cairo_matrix_t toSource;
        cairo_matrix_init_scale(&toSource, image.GetWidth() / width, image.GetHeight() / height);
        cairo_pattern_set_matrix(pattern.get(), &toSource);
        cairo_set_source(cr.get(), pattern.get());
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr.get());
        cairo_surface_flush(target.get());
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
            SetStatus(status, OutOfMemory);
            return nullptr;
        }
        scaled->status_ = Ok;
        SetStatus(status, Ok);
        return scaled;
    } catch (const std::bad_alloc&) {
        SetStatus(status, OutOfMemory);
        return nullptr;
    }
}

Color Image::GetPixel(int x, int y) const {
    if (!buffer_ || x < 0 || y < 0 || x >= buffer_->width || y >= buffer_->height) return Color(0u);
    return pixels::Unpremultiply(buffer_->pixels[static_cast<size_t>(y) * buffer_->width + x]);
}

Bitmap::Bitmap(int width, int height) {
    status_ = CheckSize(width, height);
    if (status_ != Ok) return;
    try {
        buffer_ = MakeBuffer(width, height);
    } catch (const std::bad_alloc&) {
        buffer_.reset();
        status_ = OutOfMemory;
    }
}

std::unique_ptr<Bitmap> Bitmap::Recorded(int width, int height) {
    try {
        std::unique_ptr<Bitmap> bitmap(new Bitmap());
        bitmap->status_ = CheckSize(width, height);
        if (bitmap->status_ != Ok) return bitmap;
        const cairo_rectangle_t extents{0.0, 0.0, double(width), double(height)};
        auto drawing = std::make_shared<RecordedDrawing>();
        drawing->surface.reset(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
        if (cairo_surface_status(drawing->surface.get()) != CAIRO_STATUS_SUCCESS) {
            bitmap->status_ = OutOfMemory;
            return bitmap;
        }
        bitmap->recording_ = std::move(drawing);
        bitmap->recordedWidth_ = width;
        bitmap->recordedHeight_ = height;
        return bitmap;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace Pictor
