#include "tools/symbolize/output.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "pictor/cairo_canvas.h"
#include "pictor/pixel_canvas.h"

namespace symbolize_tool {
namespace {

bool EndsWith(const std::string& path, std::string_view extension) {
    return path.size() >= extension.size() &&
           std::equal(extension.rbegin(), extension.rend(), path.rbegin(),
                      [](char e, char c) { return e == std::tolower(static_cast<unsigned char>(c)); });
}

std::string StatusText(Pictor::Status status) {
    switch (status) {
        case Pictor::FileNotFound:
            return "its directory does not exist";
        case Pictor::InvalidParameter:
            return "the size is not a picture size";
        case Pictor::ValueOverflow:
            return "the picture would be larger than the graphics layer allows";
        case Pictor::OutOfMemory:
            return "out of memory";
        case Pictor::GenericError:
        case Pictor::SurfaceError:
            return "it could not be written (is the disk full, or the folder not writable?)";
        default:
            return "the graphics layer reported status " + std::to_string(static_cast<int>(status));
    }
}

}  // namespace

std::optional<Format> FormatOf(const std::string& path) {
    if (EndsWith(path, ".png")) return Format::Png;
    if (EndsWith(path, ".svg")) return Format::Svg;
    if (EndsWith(path, ".pdf")) return Format::Pdf;
    return std::nullopt;
}

std::optional<Pictor::RasterEngine> RasterEngineNamed(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "agg") return Pictor::RasterEngine::Agg;
    if (lower == "cairo") return Pictor::RasterEngine::Cairo;
    return std::nullopt;
}

WriteResult WritePicture(const std::string& path, Format format, int width, int height, uint32_t background,
                         double ppi, const std::function<bool(Pictor::Graphics&)>& draw, std::string* error,
                         Pictor::RasterEngine engine) {
    const Pictor::Color paper(background);
    if (format == Format::Png) {
        Pictor::PixelCanvas canvas(width, height, paper, engine, ppi);
        if (canvas.GetLastStatus() != Pictor::Ok) {
            *error = "cannot make the picture: " + StatusText(canvas.GetLastStatus());
            return WriteResult::Failed;
        }
        {
            Pictor::Graphics graphics(&canvas);
            if (!draw(graphics)) return WriteResult::Stopped;
        }
        const Pictor::Status status = canvas.WritePng(path);
        if (status == Pictor::Ok) return WriteResult::Written;
        *error = "cannot write the picture: " + StatusText(status);
        return WriteResult::Failed;
    }
    // The vector document streams into a temporary file from the start; dropping the canvas
    // without Finish removes it.
    Pictor::VectorCanvas canvas(format == Format::Svg ? Pictor::VectorFormat::Svg : Pictor::VectorFormat::Pdf,
                                path, width, height, paper, ppi);
    if (canvas.GetLastStatus() != Pictor::Ok) {
        *error = "cannot make the picture: " + StatusText(canvas.GetLastStatus());
        return WriteResult::Failed;
    }
    {
        Pictor::Graphics graphics(&canvas);
        if (!draw(graphics)) return WriteResult::Stopped;
    }
    const Pictor::Status status = canvas.Finish();
    if (status == Pictor::Ok) return WriteResult::Written;
    *error = "cannot write the picture: " + StatusText(status);
    return WriteResult::Failed;
}

}  // namespace symbolize_tool
