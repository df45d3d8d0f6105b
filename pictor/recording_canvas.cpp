// A canvas that keeps each drawing call with its geometry in device pixels.
#include "pictor/recording_canvas.h"

#include "pictor/guarded.h"

namespace Pictor {

// Thrown past the point budget; the guard around each operation turns it into a status.
struct RecordingBudgetExceeded {};
namespace {

// A closed four-point figure along the rectangle's edges, mapped to device pixels.
void AppendMappedRectangle(GraphicsPath* device, const Matrix& world, const RectD& r) {
    const PointD corners[] = {
        {r.x, r.y}, {r.x + r.width, r.y}, {r.x + r.width, r.y + r.height}, {r.x, r.y + r.height}};
    device->AppendRaw(world.TransformPoint(corners[0]), PathPointStart);
    device->AppendRaw(world.TransformPoint(corners[1]), PathPointLine);
    device->AppendRaw(world.TransformPoint(corners[2]), PathPointLine);
    device->AppendRaw(world.TransformPoint(corners[3]), static_cast<uint8_t>(PathPointLine | PathPointClose));
}

}  // namespace

std::string_view OpKindName(OpKind kind) {
    switch (kind) {
        case OpKind::DrawPath:
            return "DrawPath";
        case OpKind::FillPath:
            return "FillPath";
        case OpKind::DrawLine:
            return "DrawLine";
        case OpKind::FillRectangle:
            return "FillRectangle";
        case OpKind::FillEllipse:
            return "FillEllipse";
        case OpKind::DrawImage:
            return "DrawImage";
    }
    return "Unknown";
}

RecordedOp& RecordingCanvas::Begin(OpKind kind, const DrawState& state, int tag, size_t devicePoints) {
    const size_t points = devicePoints + (state.clip ? state.clip->Points().size() : 0);
    if (overBudget_ || points > budget_ - charged_) {
        overBudget_ = true;
        throw RecordingBudgetExceeded{};
    }
    charged_ += points;
    RecordedOp op;
    op.kind = kind;
    op.tag = tag;
    op.world = state.world;
    if (state.clip) op.clip = *state.clip;
    if (state.containerClips) op.containerClips = *state.containerClips;
    op.smoothing = state.smoothing;
    ops_.push_back(std::move(op));
    return ops_.back();
}

RecordedOp& RecordingCanvas::BeginFill(OpKind kind, const DrawState& state, const Brush& brush,
                                       GraphicsPath device, int tag) {
    // Copied before the operation is added, so that a failed copy leaves no half-recorded fill.
    std::shared_ptr<const Brush> copy = brush.Clone();
    RecordedOp& op = Begin(kind, state, tag, device.Points().size());
    op.device = std::move(device);
    op.brush = std::move(copy);
    return op;
}

Status RecordingCanvas::DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int tag) {
    return Guarded([&] {
        GraphicsPath device = path;
        device.Transform(&state.world);
        Pen copy = pen;
        RecordedOp& op = Begin(OpKind::DrawPath, state, tag, device.Points().size());
        op.device = std::move(device);
        op.pen = std::move(copy);
    });
}

Status RecordingCanvas::FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path,
                                 int tag) {
    return Guarded([&] {
        GraphicsPath device = path;
        device.Transform(&state.world);
        BeginFill(OpKind::FillPath, state, brush, std::move(device), tag);
    });
}

Status RecordingCanvas::DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to,
                                 int tag) {
    return Guarded([&] {
        GraphicsPath device;
        device.AppendRaw(state.world.TransformPoint(from), PathPointStart);
        device.AppendRaw(state.world.TransformPoint(to), PathPointLine);
        Pen copy = pen;
        RecordedOp& op = Begin(OpKind::DrawLine, state, tag, device.Points().size());
        op.device = std::move(device);
        op.from = from;
        op.to = to;
        op.pen = std::move(copy);
    });
}

Status RecordingCanvas::FillRectangle(const DrawState& state, const Brush& brush, const RectD& rect,
                                      int tag) {
    return Guarded([&] {
        GraphicsPath device;
        AppendMappedRectangle(&device, state.world, rect);
        BeginFill(OpKind::FillRectangle, state, brush, std::move(device), tag).rect = rect;
    });
}

Status RecordingCanvas::FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int tag) {
    return Guarded([&] {
        GraphicsPath device;
        device.AddEllipse(rect);
        device.Transform(&state.world);
        BeginFill(OpKind::FillEllipse, state, brush, std::move(device), tag).rect = rect;
    });
}

Status RecordingCanvas::DrawImage(const DrawState& state, const Image& image, const RectD& dest, int tag) {
    return Guarded([&] {
        GraphicsPath device;
        AppendMappedRectangle(&device, state.world, dest);
        RecordedOp& op = Begin(OpKind::DrawImage, state, tag, device.Points().size());
        op.device = std::move(device);
        op.rect = dest;
        op.imageWidth = image.GetWidth();
        op.imageHeight = image.GetHeight();
    });
}

}  // namespace Pictor
