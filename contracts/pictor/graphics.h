// The drawing surface the symbolizers draw on.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "contracts/pictor/brush.h"
#include "contracts/pictor/canvas.h"
#include "contracts/pictor/image.h"
#include "contracts/pictor/matrix.h"
#include "contracts/pictor/path.h"
#include "contracts/pictor/pen.h"
#include "contracts/pictor/types.h"

namespace Pictor {

// The drawing work a caller allows on a Graphics. Each drawing call costs 16 units, one per point
// it hands to the canvas, one per pixel row an edge crosses and one per 64 pixels of the surface
// its bounds cover (an image one more per 4096 of its own pixels). A call that would
// overdraw the units, and every call once the stop flag is raised, draws nothing and returns
// ValueOverflow; Spent() then tells loops to end. The flag may be raised from a signal handler
// or another thread. One budget serves one Graphics at a time.
class WorkBudget {
public:
    static constexpr int64_t kUnlimited = INT64_MAX;
    explicit WorkBudget(int64_t units = kUnlimited, const std::atomic<bool>* stop = nullptr)
        : left_(units), stop_(stop) {}

    // Starts over with `units` left; the stop flag stays.
    void Reset(int64_t units) {
        left_ = units;
        spent_ = false;
    }
    bool Charge(int64_t units) {
        if (Stopped() || units > left_) {
            spent_ = true;
            return false;
        }
        left_ -= units;
        return true;
    }
    bool Spent() const { return spent_ || Stopped(); }
    bool Stopped() const { return stop_ != nullptr && stop_->load(std::memory_order_relaxed); }
    int64_t Left() const { return left_; }

private:
    int64_t left_;
    bool spent_ = false;
    const std::atomic<bool>* stop_;
};

// Every call checks its arguments: a null object, a NaN or infinite number or an unusable pen or
// brush returns InvalidParameter and draws nothing. The trailing tag is kept by recording
// canvases and ignored by rendering ones.
class Graphics {
public:
    explicit Graphics(Canvas* canvas);  // the canvas must outlive the Graphics
    // Draws into the bitmap's pixels (the bitmap must outlive the Graphics). The raster mode is
    // accepted for callers that pass one; it changes nothing.
    explicit Graphics(Bitmap* bitmap, int rasterMode = 0);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    Status GetLastStatus() const { return canvas_ ? Ok : WrongState; }
    // Drawing calls from now on charge `budget` (null: no bound); it must outlive its use here.
    void SetWorkBudget(WorkBudget* budget) { budget_ = budget; }
    WorkBudget* GetWorkBudget() const { return budget_; }
    // True once the budget is spent or stopped: whoever loops over drawing calls should end.
    bool WorkSpent() const { return budget_ != nullptr && budget_->Spent(); }
    Canvas* GetCanvas() const { return canvas_; }
    // An off-screen bitmap to draw once and then use as a texture or image on this Graphics (a
    // repeating tile, a stamp): fully transparent pixels on a raster or recording canvas, a
    // recorded drawing on a vector canvas so that SVG and PDF output stay vector. Sizes and caps
    // as for Bitmap: check its GetLastStatus. Null when memory runs out.
    std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height) const;

    Status SetSmoothingMode(int mode);  // 0, 2, 4 antialias; 1, 3 do not
    int GetSmoothingMode() const { return state_.smoothing; }
    Status SetTransform(const Matrix* matrix);
    Status GetTransform(Matrix* matrix) const;
    Status ResetTransform();
    // The clip is the path mapped by the world transform in force now; it lasts until ResetClip.
    Status SetClip(const GraphicsPath* path);
    Status ResetClip();
    bool IsClipped() const { return clip_ != nullptr; }
    // A container keeps the clip in force when it begins: inside it, SetClip narrows that clip and
    // ResetClip returns to it, so whoever draws inside cannot widen what the caller clipped.
    // EndContainer restores the clip and transform of its BeginContainer; containers nest.
    Status BeginContainer();
    Status EndContainer();  // WrongState without an open container

    // Marks the calls up to EndGroup as one picture (Canvas::BeginGroup); groups nest, and those
    // still open when the Graphics goes are ended then. What is drawn is the same without them.
    void BeginGroup();
    void EndGroup();  // without an open group: nothing

    Status DrawPath(const Pen* pen, const GraphicsPath* path, int tag = 0);
    Status FillPath(const Brush* brush, const GraphicsPath* path, int tag = 0);
    Status DrawLine(const Pen* pen, const PointD& from, const PointD& to, int tag = 0);
    Status DrawLine(const Pen* pen, float x1, float y1, float x2, float y2, int tag = 0);
    Status FillRectangle(const Brush* brush, const RectD& rect, int tag = 0);
    Status FillRectangle(const Brush* brush, int x, int y, int width, int height, int tag = 0);
    Status FillEllipse(const Brush* brush, float x, float y, float width, float height, int tag = 0);
    // At the image's pixel size, its top-left corner at `at`.
    Status DrawImage(const Image* image, const PointD& at, int tag = 0);
    // Scaled into the rectangle; a width or height of 0 draws nothing.
    Status DrawImage(const Image* image, int x, int y, int width, int height, int tag = 0);

private:
    Canvas* canvas_ = nullptr;
    WorkBudget* budget_ = nullptr;
    std::unique_ptr<Canvas> owned_;
    DrawState state_;
    std::unique_ptr<GraphicsPath> clip_;
    // What the open containers keep: their clips in device pixels, outermost first, and per
    // container the state to restore.
    struct Container {
        Matrix world;
        std::unique_ptr<GraphicsPath> clip;
        uint64_t clipId = 0;
        uint64_t baseClipId = 0;
    };
    std::vector<GraphicsPath> containerClips_;
    std::vector<Container> containers_;
    uint64_t baseClipId_ = 0;  // the clip id in force inside the innermost container before SetClip
    int groups_ = 0;           // open groups
};

// Keeps a group open on a Graphics (which may be null) for the life of the object.
class GraphicsGroup {
public:
    explicit GraphicsGroup(Graphics* graphics) : graphics_(graphics) {
        if (graphics_ != nullptr) graphics_->BeginGroup();
    }
    ~GraphicsGroup() {
        if (graphics_ != nullptr) graphics_->EndGroup();
    }
    GraphicsGroup(const GraphicsGroup&) = delete;
    GraphicsGroup& operator=(const GraphicsGroup&) = delete;

private:
    Graphics* graphics_;
};

}  // namespace Pictor
