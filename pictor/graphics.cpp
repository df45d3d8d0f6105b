// Graphics: argument checks and drawing state in front of a canvas.
#include "contracts/pictor/graphics.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

#include "pictor/cairo_canvas.h"
#include "pictor/guarded.h"

namespace Pictor {
namespace {

// Every clip gets an identity of its own, process-wide, so a canvas shared by several Graphics
// never mistakes one clip for another.
std::atomic<uint64_t> g_nextClipId{1};

bool Finite(double v) { return std::isfinite(v); }
bool Finite(const PointD& p) { return Finite(p.x) && Finite(p.y); }
bool Finite(const RectD& r) { return Finite(r.x) && Finite(r.y) && Finite(r.width) && Finite(r.height); }

bool Finite(const Matrix& m) {
    double e[6];
    m.GetElements(e);
    for (double v : e) {
        if (!Finite(v)) return false;
    }
    return true;
}

bool Finite(const GraphicsPath& path) {
    for (const PointD& p : path.Points()) {
        if (!Finite(p)) return false;
    }
    return true;
}

bool UsablePen(const Pen& pen) {
    if (!pen.IsValid() || !Finite(pen.GetWidth()) || pen.GetWidth() < 0 || !Finite(pen.GetMiterLimit()))
        return false;
    for (double d : pen.GetEffectiveDashPattern()) {
        if (!Finite(d) || d <= 0) return false;
    }
    return true;
}

bool UsableImage(const Image& image) {
    return image.GetLastStatus() == Ok && (image.Buffer() || image.Recording()) && image.GetWidth() > 0 &&
           image.GetHeight() > 0;
}

bool UsableBrush(const Brush& brush) {
    if (brush.GetLastStatus() != Ok) return false;
    switch (brush.GetType()) {
        case BrushType::Solid:
            return true;
        case BrushType::Hatch: {
            const int style = static_cast<const HatchBrush&>(brush).GetHatchStyle();
            return style >= HatchStyleHorizontal && style <= HatchStyleDiagonalCross;
        }
        case BrushType::LinearGradient: {
            const auto& gradient = static_cast<const LinearGradientBrush&>(brush);
            return Finite(gradient.GetRectangle()) && Finite(gradient.GetTransform()) &&
                   gradient.GetTransform().IsInvertible();
        }
        case BrushType::Texture: {
            const auto& texture = static_cast<const TextureBrush&>(brush);
            const int wrap = texture.GetWrapMode();
            return UsableImage(texture.GetImage()) && (wrap == WrapModeTile || wrap == WrapModeClamp);
        }
    }
    return false;
}

// Work units of drawing calls. Rasterizing costs about one unit per pixel row an edge crosses
// and per 64 pixels covered, on top of a call's own cost (kCallCost) and one unit per point:
// counting points alone would let a path of many overlapping strokes, or one stroke as wide as
// the surface, take far longer than its units say.
constexpr int64_t kCallCost = 16;
constexpr double kPixelsPerUnit = 64.0;

// `halfWidth` in device pixels widens every edge (a stroke's pen) and the bounds.
int64_t RasterCost(const std::vector<PointD>& points, const uint8_t* types, const Matrix& world,
                   double halfWidth, const Canvas& canvas) {
    double rows = 0.0;
    double x1 = INFINITY, y1 = INFINITY, x2 = -INFINITY, y2 = -INFINITY;
    PointD previous;
    for (size_t i = 0; i < points.size(); ++i) {
        const PointD d = world.TransformPoint(points[i]);
        x1 = std::min(x1, d.x);
        y1 = std::min(y1, d.y);
        x2 = std::max(x2, d.x);
        y2 = std::max(y2, d.y);
        const bool starts = i == 0 || (types != nullptr && (types[i] & PathPointTypeMask) == PathPointStart);
        if (!starts) rows += std::abs(d.y - previous.y) + 2.0 * halfWidth;
        previous = d;
    }
    const double w = std::clamp(x2 + halfWidth, 0.0, double(canvas.GetWidth())) -
                     std::clamp(x1 - halfWidth, 0.0, double(canvas.GetWidth()));
    const double h = std::clamp(y2 + halfWidth, 0.0, double(canvas.GetHeight())) -
                     std::clamp(y1 - halfWidth, 0.0, double(canvas.GetHeight()));
    // Finite inputs keep both sums finite; the cap keeps the conversion defined.
    const double raster = std::min(rows + std::max(w, 0.0) * std::max(h, 0.0) / kPixelsPerUnit, 1e15);
    return kCallCost + static_cast<int64_t>(points.size()) + static_cast<int64_t>(raster);
}

// A pen's half width in device pixels, with the pixel antialiasing adds.
double HalfWidth(const Pen& pen, const Matrix& world) {
    double e[6];
    world.GetElements(e);
    const double scale = std::sqrt(std::abs(e[0] * e[3] - e[1] * e[2]));
    return std::min(pen.GetWidth() * scale, 1e9) / 2.0 + 1.0;
}

std::vector<PointD> Corners(const RectD& r) {
    return {
        {r.x, r.y}, {r.x + r.width, r.y}, {r.x + r.width, r.y + r.height}, {r.x, r.y + r.height}, {r.x, r.y}};
}

}  // namespace

Graphics::Graphics(Canvas* canvas) : canvas_(canvas) {}

Graphics::Graphics(Bitmap* bitmap, int /*rasterMode*/) {
    try {
        std::unique_ptr<CairoCanvas> canvas;
        if (bitmap != nullptr && bitmap->Recording()) {
            canvas = std::make_unique<RecordedCanvas>(bitmap);
        } else {
            canvas = std::make_unique<RasterCanvas>(bitmap);
        }
        if (canvas->GetLastStatus() == Ok) {
            canvas_ = canvas.get();
            owned_ = std::move(canvas);
        }
    } catch (const std::bad_alloc&) {
        canvas_ = nullptr;
    }
}

Graphics::~Graphics() {
    while (groups_ > 0) EndGroup();
}

void Graphics::BeginGroup() {
    if (!canvas_) return;
    ++groups_;
    canvas_->BeginGroup();
}

void Graphics::EndGroup() {
    if (!canvas_ || groups_ == 0) return;
    --groups_;
    canvas_->EndGroup();
}

std::unique_ptr<Bitmap> Graphics::CreateCompatibleBitmap(int width, int height) const {
    try {
        std::unique_ptr<Bitmap> bitmap = canvas_ != nullptr && canvas_->KeepsVectors()
                                             ? Bitmap::Recorded(width, height)
                                             : std::make_unique<Bitmap>(width, height);
        if (bitmap && canvas_ != nullptr) bitmap->SetDeviceScale(canvas_->GetDeviceScale());
        return bitmap;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

Status Graphics::SetSmoothingMode(int mode) {
    if (!canvas_) return WrongState;
    if (mode < SmoothingDefault || mode > SmoothingAntialias) return InvalidParameter;
    state_.smoothing = mode;
    return Ok;
}

Status Graphics::SetTransform(const Matrix* matrix) {
    if (!canvas_) return WrongState;
    if (!matrix || !Finite(*matrix)) return InvalidParameter;
    state_.world = *matrix;
    return Ok;
}

Status Graphics::GetTransform(Matrix* matrix) const {
    if (!canvas_) return WrongState;
    if (!matrix) return InvalidParameter;
    *matrix = state_.world;
    return Ok;
}

Status Graphics::ResetTransform() {
    if (!canvas_) return WrongState;
    state_.world.Reset();
    return Ok;
}

Status Graphics::SetClip(const GraphicsPath* path) {
    if (!canvas_) return WrongState;
    if (!path || !Finite(*path)) return InvalidParameter;
    return Guarded([&] {
        auto clip = std::make_unique<GraphicsPath>(*path);
        if (Status st = clip->Transform(&state_.world); st != Ok) return st;
        if (!Finite(*clip)) return InvalidParameter;  // finite points mapped out of range
        clip_ = std::move(clip);
        state_.clip = clip_.get();
        state_.clipId = g_nextClipId.fetch_add(1);
        return Ok;
    });
}

Status Graphics::ResetClip() {
    if (!canvas_) return WrongState;
    clip_.reset();
    state_.clip = nullptr;
    state_.clipId = baseClipId_;
    return Ok;
}

Status Graphics::BeginContainer() {
    if (!canvas_) return WrongState;
    return Guarded([&] {
        containers_.push_back(Container{state_.world, nullptr, state_.clipId, baseClipId_});
        if (clip_) {
            containerClips_.push_back(*clip_);
            containers_.back().clip = std::move(clip_);
        }
        state_.clip = nullptr;
        state_.containerClips = &containerClips_;
        // The container's clips as they stand: the clip in force so far, under a new identity
        // only when it changed shape (it did not: the same clips apply).
        baseClipId_ = state_.clipId;
        return Ok;
    });
}

Status Graphics::EndContainer() {
    if (!canvas_ || containers_.empty()) return WrongState;
    Container& top = containers_.back();
    if (top.clip) containerClips_.pop_back();
    clip_ = std::move(top.clip);
    state_.clip = clip_.get();
    state_.world = top.world;
    state_.clipId = top.clipId;
    baseClipId_ = top.baseClipId;
    containers_.pop_back();
    return Ok;
}

Status Graphics::DrawPath(const Pen* pen, const GraphicsPath* path, int tag) {
    if (!canvas_) return WrongState;
    return Guarded([&] {
        if (!pen || !path || !UsablePen(*pen) || !Finite(*path)) return InvalidParameter;
        if (path->IsEmpty()) return Ok;
        if (budget_ && !budget_->Charge(RasterCost(path->Points(), path->Types().data(), state_.world,
                                                   HalfWidth(*pen, state_.world), *canvas_)))
            return ValueOverflow;
        return canvas_->DrawPath(state_, *pen, *path, tag);
    });
}

Status Graphics::FillPath(const Brush* brush, const GraphicsPath* path, int tag) {
    if (!canvas_) return WrongState;
    return Guarded([&] {
        if (!brush || !path || !UsableBrush(*brush) || !Finite(*path)) return InvalidParameter;
        if (path->IsEmpty()) return Ok;
        if (budget_ &&
            !budget_->Charge(RasterCost(path->Points(), path->Types().data(), state_.world, 1.0, *canvas_)))
            return ValueOverflow;
        return canvas_->FillPath(state_, *brush, *path, tag);
    });
}

Status Graphics::DrawLine(const Pen* pen, const PointD& from, const PointD& to, int tag) {
    if (!canvas_) return WrongState;
    return Guarded([&] {
        if (!pen || !UsablePen(*pen) || !Finite(from) || !Finite(to)) return InvalidParameter;
        if (budget_ && !budget_->Charge(RasterCost({from, to}, nullptr, state_.world,
                                                   HalfWidth(*pen, state_.world), *canvas_)))
            return ValueOverflow;
        return canvas_->DrawLine(state_, *pen, from, to, tag);
    });
}

Status Graphics::DrawLine(const Pen* pen, float x1, float y1, float x2, float y2, int tag) {
    return DrawLine(pen, PointD{x1, y1}, PointD{x2, y2}, tag);
}

Status Graphics::FillRectangle(const Brush* brush, const RectD& rect, int tag) {
    if (!canvas_) return WrongState;
    return Guarded([&] {
        if (!brush || !UsableBrush(*brush) || !Finite(rect) || rect.width < 0 || rect.height < 0) {
            return InvalidParameter;
        }
        if (rect.width == 0 || rect.height == 0) return Ok;
        if (budget_ && !budget_->Charge(RasterCost(Corners(rect), nullptr, state_.world, 1.0, *canvas_)))
            return ValueOverflow;
        return canvas_->FillRectangle(state_, *brush, rect, tag);
    });
}

Status Graphics::FillRectangle(const Brush* brush, int x, int y, int width, int height, int tag) {
    return FillRectangle(brush, RectD{double(x), double(y), double(width), double(height)}, tag);
}

Status Graphics::FillEllipse(const Brush* brush, float x, float y, float width, float height, int tag) {
    if (!canvas_) return WrongState;
    const RectD box{x, y, width, height};
    return Guarded([&] {
        if (!brush || !UsableBrush(*brush) || !Finite(box) || box.width < 0 || box.height < 0)
            return InvalidParameter;
        if (box.width == 0 || box.height == 0) return Ok;
        if (budget_ && !budget_->Charge(RasterCost(Corners(box), nullptr, state_.world, 1.0, *canvas_)))
            return ValueOverflow;
        return canvas_->FillEllipse(state_, *brush, box, tag);
    });
}

Status Graphics::DrawImage(const Image* image, const PointD& at, int tag) {
    if (!canvas_) return WrongState;
    return Guarded([&] {
        if (!image || !UsableImage(*image) || !Finite(at)) return InvalidParameter;
        const RectD dest{at.x, at.y, double(image->GetWidth()), double(image->GetHeight())};
        if (budget_ && !budget_->Charge(RasterCost(Corners(dest), nullptr, state_.world, 1.0, *canvas_) +
                                        int64_t{image->GetWidth()} * image->GetHeight() / 4096))
            return ValueOverflow;
        return canvas_->DrawImage(state_, *image, dest, tag);
    });
}

Status Graphics::DrawImage(const Image* image, int x, int y, int width, int height, int tag) {
    if (!canvas_) return WrongState;
    return Guarded([&] {
        if (!image || !UsableImage(*image) || width < 0 || height < 0) return InvalidParameter;
        if (width == 0 || height == 0) return Ok;
        const RectD dest{double(x), double(y), double(width), double(height)};
        if (budget_ && !budget_->Charge(RasterCost(Corners(dest), nullptr, state_.world, 1.0, *canvas_) +
                                        int64_t{image->GetWidth()} * image->GetHeight() / 4096))
            return ValueOverflow;
        return canvas_->DrawImage(state_, *image, dest, tag);
    });
}

}  // namespace Pictor
