// Pictures written by the program: PNG, SVG or PDF by the file's extension, always through a
// temporary file renamed into place, so a failed or interrupted run leaves no half-written picture.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "contracts/pictor/graphics.h"
#include "pictor/pixel_canvas.h"

namespace symbolize_tool {

enum class Format { Png, Svg, Pdf };

// By the extension, in any case; nullopt for any other.
std::optional<Format> FormatOf(const std::string& path);

enum class WriteResult { Written, Stopped, Failed };

// The rasterizer a PNG is drawn with: "agg" or "cairo" in any case; nullopt for anything else.
std::optional<Pictor::RasterEngine> RasterEngineNamed(const std::string& name);

// Makes a width x height canvas of `background` (0xAARRGGBB) at `ppi` pixels per inch, lets
// `draw` paint it and writes it to `path`; SVG and PDF pages measure width / ppi inches. A PNG is
// rasterized by `engine`; SVG and PDF are always drawn by Cairo. `draw` answering false stops the
// run before anything is written (Stopped); Failed sets *error.
WriteResult WritePicture(const std::string& path, Format format, int width, int height, uint32_t background,
                         double ppi, const std::function<bool(Pictor::Graphics&)>& draw, std::string* error,
                         Pictor::RasterEngine engine = Pictor::RasterEngine::Agg);

}  // namespace symbolize_tool
