// Drawing dumps: what a render asked the graphics layer to draw, and what the library logged on
// the way, as one JSON object. docs/dump-format.md describes every field.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "contracts/pictor/matrix.h"
#include "contracts/pictor/path.h"
#include "host/host.h"
#include "pictor/recording_canvas.h"

namespace dump {

// Keys keep the order they are written in, so each operation reads kind first.
using Json = nlohmann::ordered_json;

// Written into every dump; raised whenever a field changes meaning.
inline constexpr int kFormatVersion = 1;

// Points one dump may hold, over all figures of all operations and clips. A point takes about
// 100 bytes in the JSON tree and 40 in the text, so a full dump stays near 100 MB in memory; a
// render that draws more is refused rather than exhausting memory.
inline constexpr size_t kMaxDumpPoints = size_t{1} << 20;

// Log messages one dump may hold. A render logs at most a few messages per feature; more than
// this means a whole layer failed, and the first messages already say why.
inline constexpr size_t kMaxDumpLogEntries = size_t{1} << 16;

// Builds a dump while a render goes on, so that outlines handed back to the caller sit between
// the canvas operations drawn before and after them. The canvas must outlive the builder and must
// not be cleared while it is in use.
class DumpBuilder {
public:
    explicit DumpBuilder(const Pictor::RecordingCanvas& canvas, size_t maxPoints = kMaxDumpPoints);

    // Writes the operations the canvas recorded since the last call. False once the dump has
    // failed (too many points, out of memory); Error() says why, and later calls do nothing.
    bool TakeOperations() noexcept;
    // Writes an outline handed back to the caller (a library marker's GetPath) as an operation of
    // kind "Path", after every canvas operation recorded so far. `world` maps the outline's
    // units to device pixels.
    bool AddPath(const Pictor::GraphicsPath& path, const Pictor::Matrix& world = Pictor::Matrix()) noexcept;
    // The finished dump: the remaining canvas operations, then the log. Null after a failure.
    std::optional<Json> Finish(const std::vector<symbolhost::LogEntry>& log) noexcept;

    const std::string& Error() const { return error_; }

private:
    bool Fail(std::string reason) noexcept;
    // Writes the figures of `path`, charging its points to the budget.
    bool AppendFigures(Json& target, const Pictor::GraphicsPath& path);
    bool AppendClip(Json& target, const std::optional<Pictor::GraphicsPath>& clip);
    bool AppendOperation(const Pictor::RecordedOp& op);

    const Pictor::RecordingCanvas* canvas_;
    size_t maxPoints_;
    size_t points_ = 0;
    size_t taken_ = 0;  // canvas operations already written
    size_t nonFinite_ = 0;
    Json operations_ = Json::array();
    std::string error_;
};

// The whole recording and log in one call, for renders without handed-back outlines. Null with
// the reason in *error when the dump is refused.
std::optional<Json> DumpRecording(const Pictor::RecordingCanvas& canvas,
                                  const std::vector<symbolhost::LogEntry>& log, std::string* error) noexcept;

// The dump as text, indented by two spaces. Bytes in log messages that are not UTF-8 are written
// as U+FFFD. Null only when memory runs out.
std::optional<std::string> ToText(const Json& dump) noexcept;

// Writes the dump's text to `path` through a temporary file beside it, renamed into place only
// when complete. False with the reason in *error.
bool WriteFile(const Json& dump, const std::string& path, std::string* error) noexcept;

}  // namespace dump
