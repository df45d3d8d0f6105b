// A canvas that keeps each drawing call with its geometry in device pixels.
#include "pictor/recording_canvas.h"

#include <new>

namespace Pictor {
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

template <typename Record>
Status Guarded(Record record) noexcept {
    try {
        record();
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return GenericError;
    }
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

RecordedOp& RecordingCanvas::Begin(OpKind kind, const DrawState& state, int tag) {
    RecordedOp op;
    op.kind = kind;
    op.tag = tag;
    op.world = state.world;
    if (state.clip) op.clip = *state.clip;
    op.smoothing = state.smoothing;
    ops_.push_back(std::move(op));
    return ops_.back();
}

Status RecordingCanvas::DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int tag) {
    return Guarded([&] {
        GraphicsPath device = path;
        device.Transform(&state.world);
        Pen copy = pen;
        RecordedOp& op = Begin(OpKind::DrawPath, state, tag);
        op.device = std::move(device);
        op.pen = std::move(copy);
    });
}

Status RecordingCanvas::FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path,
                                 int tag) {
    return Guarded([&] {
        GraphicsPath device = path;
        device.Transform(&state.world);
        std::shared_ptr<const Brush> copy = brush.Clone();
        RecordedOp& op = Begin(OpKind::FillPath, state, tag);
        op.device = std::move(device);
        op.brush = std::move(copy);
    });
}

Status RecordingCanvas::DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to,
                                 int tag) {
    return Guarded([&] {
        GraphicsPath device;
        device.AppendRaw(state.world.TransformPoint(from), PathPointStart);
        device.AppendRaw(state.world.TransformPoint(to), PathPointLine);
        Pen copy = pen;
        RecordedOp& op = Begin(OpKind::DrawLine, state, tag);
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
        std::shared_ptr<const Brush> copy = brush.Clone();
        RecordedOp& op = Begin(OpKind::FillRectangle, state, tag);
        op.device = std::move(device);
        op.rect = rect;
        op.brush = std::move(copy);
    });
}

Status RecordingCanvas::FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int tag) {
    return Guarded([&] {
        GraphicsPath device;
        device.AddEllipse(rect);
        device.Transform(&state.world);
        std::shared_ptr<const Brush> copy = brush.Clone();
        RecordedOp& op = Begin(OpKind::FillEllipse, state, tag);
        op.device = std::move(device);
        op.rect = rect;
        op.brush = std::move(copy);
    });
}

Status RecordingCanvas::DrawImage(const DrawState& state, const Image& image, const RectD& dest, int tag) {
    return Guarded([&] {
        GraphicsPath device;
        AppendMappedRectangle(&device, state.world, dest);
        RecordedOp& op = Begin(OpKind::DrawImage, state, tag);
        op.device = std::move(device);
        op.rect = dest;
        op.imageWidth = image.GetWidth();
        op.imageHeight = image.GetHeight();
    });
}

}  // namespace Pictor
