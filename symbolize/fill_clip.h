// The clip a fill sets around what it draws inside the polygon, removed when the fill is done.
#pragma once

#include "contracts/pictor/graphics.h"

namespace symbolize {

// Clips drawing to `path` for as long as it lives. A host that drew inside a container keeps its
// own clip, which this narrows and restores (the graphics layer's container rule).
class FillClip {
public:
    FillClip(Pictor::Graphics* graphics, const Pictor::GraphicsPath* path)
        : graphics_(graphics), set_(graphics->SetClip(path) == Pictor::Ok) {}
    ~FillClip() { graphics_->ResetClip(); }
    // False when the graphics layer refused the path: nothing may be drawn, it would not be clipped.
    bool IsSet() const { return set_; }
    FillClip(const FillClip&) = delete;
    FillClip& operator=(const FillClip&) = delete;

private:
    Pictor::Graphics* graphics_;
    bool set_;
};

}  // namespace symbolize
