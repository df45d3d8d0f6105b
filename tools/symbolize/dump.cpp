// Turns a recording canvas and a captured log into the dump object.
#include "tools/symbolize/dump.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "contracts/pictor/brush.h"
#include "contracts/pictor/pen.h"

namespace dump {
namespace {

using Pictor::Color;
using Pictor::PointD;
using Pictor::RectD;

// Names tried for the temporary file beside a dump; more than a few are taken only when
// something else is writing the same dump at the same moment.
constexpr int kMaxTemporaryAttempts = 16;

// The name of an enumeration value, or the bare code when the code has no name (the graphics
// layer refuses such codes, so this only shows a canvas driven directly with bad input).
template <size_t N>
Json Named(int code, const std::array<const char*, N>& names) {
    if (code >= 0 && static_cast<size_t>(code) < names.size() && names[code] != nullptr) return names[code];
    return code;
}

constexpr std::array<const char*, 6> kDashStyles = {"Solid",   "Dash",       "Dot",
                                                    "DashDot", "DashDotDot", "Custom"};
constexpr std::array<const char*, 4> kLineJoins = {"Miter", "Bevel", "Round", "MiterClipped"};
constexpr std::array<const char*, 4> kLineCaps = {"Flat", "Square", "Round", "Triangle"};
constexpr std::array<const char*, 3> kFillModes = {"Alternate", "Winding", "Winding"};
constexpr std::array<const char*, 6> kHatchStyles = {"Horizontal",       "Vertical", "ForwardDiagonal",
                                                     "BackwardDiagonal", "Cross",    "DiagonalCross"};
constexpr std::array<const char*, 5> kGradientModes = {"Horizontal", "Vertical", "ForwardDiagonal",
                                                       "BackwardDiagonal", "HorizontalAlt"};
constexpr std::array<const char*, 5> kWrapModes = {"Tile", nullptr, nullptr, nullptr, "Clamp"};
constexpr std::array<const char*, 5> kSmoothingModes = {"Default", "Fast", "Quality", "Off", "Antialias"};

// Numbers go through here: JSON has no NaN or infinity, so such a value is written as null and
// counted, and the dump says how many there were.
class Numbers {
public:
    Json Number(double v) {
        if (std::isfinite(v)) return v;
        ++nonFinite_;
        return nullptr;
    }
    Json Point(const PointD& p) { return Json::array({Number(p.x), Number(p.y)}); }
    Json Rect(const RectD& r) {
        return Json::array({Number(r.x), Number(r.y), Number(r.width), Number(r.height)});
    }
    // m11, m12, m21, m22, dx, dy.
    Json Matrix(const Pictor::Matrix& m) {
        double e[6];
        m.GetElements(e);
        Json out = Json::array();
        for (double v : e) out.push_back(Number(v));
        return out;
    }
    Json List(const std::vector<double>& values) {
        Json out = Json::array();
        for (double v : values) out.push_back(Number(v));
        return out;
    }
    size_t NonFinite() const { return nonFinite_; }

private:
    size_t nonFinite_ = 0;
};

// "#AARRGGBB", the packed value as the graphics layer holds it.
std::string Colour(const Color& c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%08X", static_cast<unsigned>(c.GetValue()));
    return text;
}

// Figures of a path: a figure begins at a start point (or right after a closed figure) and
// runs to its closing point or the next start. After the first point, each segment adds one
// point ("line") or three ("curve": two control points and the end). Curve points that do not
// come in threes before the figure ends, which no path built through the graphics API has, are
// written as lines so that every point still appears.
Json Figures(const Pictor::GraphicsPath& path, Numbers& numbers) {
    const std::vector<PointD>& points = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    Json figures = Json::array();
    Json pointsOut;
    Json segments;
    int pendingCurve = 0;
    bool open = false;

    auto flushPending = [&] {
        for (; pendingCurve > 0; --pendingCurve) segments.push_back("line");
    };
    auto endFigure = [&](bool closed) {
        if (!open) return;
        flushPending();
        Json figure;
        figure["closed"] = closed;
        figure["segments"] = std::move(segments);
        figure["points"] = std::move(pointsOut);
        figures.push_back(std::move(figure));
        open = false;
    };

    // Bounded by the path's own point count, which the builder has charged to its budget.
    for (size_t i = 0; i < points.size() && i < types.size(); ++i) {
        const uint8_t type = types[i] & Pictor::PathPointTypeMask;
        if (!open || type == Pictor::PathPointStart) {
            endFigure(false);
            pointsOut = Json::array();
            segments = Json::array();
            pendingCurve = 0;
            open = true;
        } else if (type == Pictor::PathPointBezier) {
            if (++pendingCurve == 3) {
                segments.push_back("curve");
                pendingCurve = 0;
            }
        } else {
            flushPending();
            segments.push_back("line");
        }
        pointsOut.push_back(numbers.Point(points[i]));
        if (types[i] & Pictor::PathPointClose) endFigure(true);
    }
    endFigure(false);
    return figures;
}

Json PenJson(const Pictor::Pen& pen, Numbers& numbers) {
    Json out;
    out["color"] = Colour(pen.GetColor());
    out["width"] = numbers.Number(pen.GetWidth());
    out["dashStyle"] = Named(pen.GetDashStyle(), kDashStyles);
    out["dashPattern"] = numbers.List(pen.GetEffectiveDashPattern());
    out["lineJoin"] = Named(pen.GetLineJoin(), kLineJoins);
    out["lineCap"] = Named(pen.GetLineCap(), kLineCaps);
    out["miterLimit"] = numbers.Number(pen.GetMiterLimit());
    return out;
}

Json BrushJson(const Pictor::Brush& brush, Numbers& numbers) {
    Json out;
    if (const auto* solid = dynamic_cast<const Pictor::SolidBrush*>(&brush)) {
        out["kind"] = "Solid";
        out["color"] = Colour(solid->GetColor());
    } else if (const auto* hatch = dynamic_cast<const Pictor::HatchBrush*>(&brush)) {
        out["kind"] = "Hatch";
        out["hatchStyle"] = Named(hatch->GetHatchStyle(), kHatchStyles);
        out["foreColor"] = Colour(hatch->GetForegroundColor());
        out["backColor"] = Colour(hatch->GetBackgroundColor());
    } else if (const auto* gradient = dynamic_cast<const Pictor::LinearGradientBrush*>(&brush)) {
        out["kind"] = "LinearGradient";
        out["rect"] = numbers.Rect(gradient->GetRectangle());
        out["color1"] = Colour(gradient->GetColor1());
        out["color2"] = Colour(gradient->GetColor2());
        out["mode"] = Named(gradient->GetMode(), kGradientModes);
        out["blend"] = {{"factors", numbers.List(gradient->GetBlendFactors())},
                        {"positions", numbers.List(gradient->GetBlendPositions())}};
        out["transform"] = numbers.Matrix(gradient->GetTransform());
    } else if (const auto* texture = dynamic_cast<const Pictor::TextureBrush*>(&brush)) {
        out["kind"] = "Texture";
        out["imageWidth"] = texture->GetImage().GetWidth();
        out["imageHeight"] = texture->GetImage().GetHeight();
        out["wrapMode"] = Named(texture->GetWrapMode(), kWrapModes);
    } else {
        out["kind"] = "Unknown";  // a brush class the graphics layer does not have
    }
    return out;
}

// Nesting the text writer indents; the dump itself is six levels deep, so anything deeper was not
// built here and is written on one line.
constexpr int kMaxIndentedDepth = 16;

// One scalar, or a whole value on one line. Bytes that are not UTF-8 become U+FFFD.
std::string Compact(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// Objects one member a line; arrays of plain values (a point, a matrix, a segment list) on one
// line, other arrays one element a line, so a figure reads one point a line.
void WriteText(const Json& value, int depth, std::string& out) {
    const std::string inner(2 * (depth + 1), ' ');
    if (depth >= kMaxIndentedDepth || value.empty() || !value.is_structured()) {
        out += Compact(value);
    } else if (value.is_object()) {
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += first ? "" : ",\n";
            first = false;
            out += inner + Compact(Json(key)) + ": ";
            WriteText(member, depth + 1, out);
        }
        out += "\n" + std::string(2 * depth, ' ') + "}";
    } else if (std::none_of(value.begin(), value.end(), [](const Json& e) { return e.is_structured(); })) {
        out += "[";
        for (size_t i = 0; i < value.size(); ++i) out += (i ? ", " : "") + Compact(value[i]);
        out += "]";
    } else {
        out += "[\n";
        for (size_t i = 0; i < value.size(); ++i) {
            out += (i ? ",\n" : "") + inner;
            WriteText(value[i], depth + 1, out);
        }
        out += "\n" + std::string(2 * depth, ' ') + "]";
    }
}

template <typename Call>
bool Guarded(Call call, std::string* error) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        *error = "out of memory while writing the dump";
    } catch (const std::exception& e) {
        *error = std::string("cannot write the dump: ") + e.what();
    } catch (...) {
        *error = "cannot write the dump";
    }
    return false;
}

}  // namespace

DumpBuilder::DumpBuilder(const Pictor::RecordingCanvas& canvas, size_t maxPoints)
    : canvas_(&canvas), maxPoints_(maxPoints) {}

bool DumpBuilder::Fail(std::string reason) noexcept {
    if (error_.empty()) error_ = std::move(reason);
    return false;
}

bool DumpBuilder::AppendFigures(Json& target, const Pictor::GraphicsPath& path) {
    const size_t count = path.Points().size();
    if (count > maxPoints_ - points_) {
        return Fail("the render drew more than " + std::to_string(maxPoints_) + " points, too many to dump");
    }
    points_ += count;
    Numbers numbers;
    target["fillMode"] = Named(path.GetFillMode(), kFillModes);
    target["figures"] = Figures(path, numbers);
    nonFinite_ += numbers.NonFinite();
    return true;
}

bool DumpBuilder::AppendClip(Json& target, const std::optional<Pictor::GraphicsPath>& clip) {
    if (!clip) {
        target["clip"] = nullptr;
        return true;
    }
    Json out;
    if (!AppendFigures(out, *clip)) return false;
    target["clip"] = std::move(out);
    return true;
}

bool DumpBuilder::AppendOperation(const Pictor::RecordedOp& op) {
    using Pictor::OpKind;
    Numbers numbers;
    Json out;
    out["kind"] = std::string(Pictor::OpKindName(op.kind));
    out["tag"] = op.tag;
    out["smoothing"] = Named(op.smoothing, kSmoothingModes);
    out["world"] = numbers.Matrix(op.world);
    if (op.pen) out["pen"] = PenJson(*op.pen, numbers);
    if (op.brush) out["brush"] = BrushJson(*op.brush, numbers);
    switch (op.kind) {
        case OpKind::DrawLine:
            out["from"] = numbers.Point(op.from);
            out["to"] = numbers.Point(op.to);
            break;
        case OpKind::DrawImage:
            out["image"] = {{"width", op.imageWidth}, {"height", op.imageHeight}};
            out["rect"] = numbers.Rect(op.rect);
            break;
        case OpKind::FillRectangle:
        case OpKind::FillEllipse:
            out["rect"] = numbers.Rect(op.rect);
            break;
        case OpKind::DrawPath:
        case OpKind::FillPath:
            break;
    }
    nonFinite_ += numbers.NonFinite();
    if (!AppendFigures(out, op.device) || !AppendClip(out, op.clip)) return false;
    // Only drawings inside a container carry its clips, so other dumps keep their shape.
    if (!op.containerClips.empty()) {
        Json clips = Json::array();
        for (const Pictor::GraphicsPath& clip : op.containerClips) {
            Json one;
            if (!AppendFigures(one, clip)) return false;
            clips.push_back(std::move(one));
        }
        out["containerClips"] = std::move(clips);
    }
    operations_.push_back(std::move(out));
    return true;
}

bool DumpBuilder::TakeOperations() noexcept {
    if (!error_.empty()) return false;
    if (canvas_->OverBudget()) {
        return Fail("the render drew more than " + std::to_string(maxPoints_) + " points, too many to dump");
    }
    return Guarded(
        [&] {
            const std::vector<Pictor::RecordedOp>& ops = canvas_->Operations();
            if (ops.size() < taken_) return Fail("the recording was cleared while it was being dumped");
            // Bounded by the recording; the point budget stops a dump that grows too large.
            for (; taken_ < ops.size(); ++taken_) {
                if (!AppendOperation(ops[taken_])) return false;
            }
            return true;
        },
        &error_);
}

bool DumpBuilder::AddPath(const Pictor::GraphicsPath& path, const Pictor::Matrix& world) noexcept {
    if (!TakeOperations()) return false;
    return Guarded(
        [&] {
            Pictor::GraphicsPath device = path;
            device.Transform(&world);
            Numbers numbers;
            Json out;
            out["kind"] = "Path";
            out["world"] = numbers.Matrix(world);
            nonFinite_ += numbers.NonFinite();
            if (!AppendFigures(out, device)) return false;
            operations_.push_back(std::move(out));
            return true;
        },
        &error_);
}

std::optional<Json> DumpBuilder::Finish(const std::vector<symbolhost::LogEntry>& log) noexcept {
    if (!TakeOperations()) return std::nullopt;
    if (log.size() > kMaxDumpLogEntries) {
        Fail("the render logged more than " + std::to_string(kMaxDumpLogEntries) +
             " messages, too many to dump");
        return std::nullopt;
    }
    std::optional<Json> dump;
    const bool ok = Guarded(
        [&] {
            Json logOut = Json::array();
            for (const symbolhost::LogEntry& e : log) {  // bounded by kMaxDumpLogEntries above
                logOut.push_back({{"level", e.level}, {"function", e.function}, {"message", e.message}});
            }
            Json out;
            out["version"] = kFormatVersion;
            out["canvas"] = {{"width", canvas_->GetWidth()}, {"height", canvas_->GetHeight()}};
            out["nonFiniteNumbers"] = nonFinite_;
            out["operations"] = std::move(operations_);
            out["log"] = std::move(logOut);
            operations_ = Json::array();
            dump = std::move(out);
            return true;
        },
        &error_);
    if (!ok) return std::nullopt;
    return dump;
}

std::optional<Json> DumpRecording(const Pictor::RecordingCanvas& canvas,
                                  const std::vector<symbolhost::LogEntry>& log, std::string* error) noexcept {
    DumpBuilder builder(canvas);
    std::optional<Json> dump = builder.Finish(log);
    if (!dump && error != nullptr) *error = builder.Error();
    return dump;
}

std::optional<std::string> ToText(const Json& dump) noexcept {
    try {
        std::string text;
        WriteText(dump, 0, text);
        text += '\n';
        return text;
    } catch (...) {
        return std::nullopt;  // only bad_alloc: the replace handler accepts any bytes
    }
}

bool WriteFile(const Json& dump, const std::string& path, std::string* error) noexcept {
    std::string ignored;
    std::string& reason = error != nullptr ? *error : ignored;
    return Guarded(
        [&] {
            const std::optional<std::string> text = ToText(dump);
            if (!text) {
                reason = "out of memory while writing the dump";
                return false;
            }
            // "wx" creates the file exclusively, so a leftover of another run is never reused.
            std::string temporary;
            std::FILE* file = nullptr;
            for (int attempt = 0; attempt < kMaxTemporaryAttempts && file == nullptr; ++attempt) {
                // A short name of its own beside the dump, whatever the length of the dump's name.
                temporary = (std::filesystem::path(path).parent_path() /
                             (".symbolize-" + std::to_string(getpid()) + "-" + std::to_string(attempt)))
                                .string();
                file = std::fopen(temporary.c_str(), "wx");
                if (file == nullptr && errno != EEXIST) break;
            }
            if (file == nullptr) {
                reason = path + ": cannot create a file beside it: " + std::strerror(errno);
                return false;
            }
            const bool written = std::fwrite(text->data(), 1, text->size(), file) == text->size();
            const bool closed = std::fclose(file) == 0;
            if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
                reason = path + ": cannot write the dump: " + std::strerror(errno);
                std::remove(temporary.c_str());
                return false;
            }
            return true;
        },
        &reason);
}

}  // namespace dump
