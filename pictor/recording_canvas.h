// A canvas that keeps every drawing call, for tests and drawing dumps.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "contracts/pictor/canvas.h"

namespace Pictor {

enum class OpKind { DrawPath, FillPath, DrawLine, FillRectangle, FillEllipse, DrawImage };
std::string_view OpKindName(OpKind kind);

struct RecordedOp {
    OpKind kind = OpKind::DrawPath;
    int tag = 0;
    // The figure(s) drawn, in device pixels: the path mapped by the world transform; a line as an
    // open two-point figure; a rectangle as a closed four-point figure; an ellipse as four Beziers;
    // an image as its destination rectangle.
    GraphicsPath device;
    // The call's own arguments in drawing units: the line's ends, or the rectangle, ellipse box or
    // image destination.
    PointD from, to;
    RectD rect;
    std::optional<Pen> pen;
    std::shared_ptr<const Brush> brush;
    Matrix world;
    std::optional<GraphicsPath> clip;  // device pixels
    std::vector<GraphicsPath> containerClips;  // kept by open containers, outermost first
    int smoothing = SmoothingDefault;
    int imageWidth = 0;
    int imageHeight = 0;
};

class RecordingCanvas final : public Canvas {
public:
    RecordingCanvas(int width = 0, int height = 0) : width_(width), height_(height) {}
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }

    Status DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int tag) override;
    Status FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path, int tag) override;
    Status DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to, int tag) override;
    Status FillRectangle(const DrawState& state, const Brush& brush, const RectD& rect, int tag) override;
    Status FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int tag) override;
    Status DrawImage(const DrawState& state, const Image& image, const RectD& dest, int tag) override;

    const std::vector<RecordedOp>& Operations() const { return ops_; }
    void Clear() { ops_.clear(); }

    // At most `points` device points are recorded in all (figures and clips, Clear or not): an
    // operation past the budget is dropped, reported as GenericError, and OverBudget() says so.
    void SetPointBudget(size_t points) { budget_ = points; }
    bool OverBudget() const { return overBudget_; }

private:
    // The new operation, charged with the points of its device figure and its clip.
    RecordedOp& Begin(OpKind kind, const DrawState& state, int tag, size_t devicePoints);
    // A fill with a copy of `brush` over `device`, the outline already in device pixels.
    RecordedOp& BeginFill(OpKind kind, const DrawState& state, const Brush& brush, GraphicsPath device,
                          int tag);

    int width_;
    int height_;
    std::vector<RecordedOp> ops_;
    size_t budget_ = SIZE_MAX;
    size_t charged_ = 0;
    bool overBudget_ = false;
};

}  // namespace Pictor
