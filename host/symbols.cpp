#include "host/symbols.h"

#include <algorithm>
#include <new>

namespace symbolhost {
namespace {

// Most dash entries handed out; a line pattern has a handful, so more is a corrupt symbol, and
// the count must fit the view's 32-bit count in any case.
constexpr size_t kMaxDashEntries = 1024;

}  // namespace

IGIS_Symbol* SimpleLineSymbol::Clone() const noexcept {
    try {
        return new SimpleLineSymbol(*this);
    } catch (...) {
        return nullptr;  // the copy of the dash pattern ran out of memory
    }
}

void SimpleLineSymbol::GetDashPattern(double** pattern, int32_t* count) const noexcept {
    if (pattern == nullptr || count == nullptr) return;
    *pattern = nullptr;
    *count = 0;
    if (dashes_.empty() || dashes_.size() > kMaxDashEntries) return;
    double* copy = new (std::nothrow) double[dashes_.size()];
    if (copy == nullptr) return;
    std::copy(dashes_.begin(), dashes_.end(), copy);
    *pattern = copy;
    *count = static_cast<int32_t>(dashes_.size());
}

// Deep: the copy draws its own clone of the outline, so changing or releasing one symbol's
// outline leaves the other's alone.
SimpleFillSymbol::SimpleFillSymbol(const SimpleFillSymbol& other)
    : SymbolBase(other),
      clockwise_(other.clockwise_),
      color_(other.color_),
      background_(other.background_),
      transparency_(other.transparency_),
      backgroundTransparency_(other.backgroundTransparency_),
      style_(other.style_) {
    if (!other.outline_) return;
    SymbolPtr<> clone(other.outline_->Clone());
    IGIS_LineSymbol* line = clone ? clone->GetLineSymbol() : nullptr;
    if (line == nullptr) throw std::bad_alloc();  // a fill without its outline is not a copy
    clone.release();
    outline_.reset(line);
}

IGIS_Symbol* SimpleFillSymbol::Clone() const noexcept {
    try {
        return new SimpleFillSymbol(*this);
    } catch (...) {
        return nullptr;
    }
}

// Deep, like the simple fill: the copy owns clones of the outline and the marker.
MarkerFillSymbol::MarkerFillSymbol(const MarkerFillSymbol& other)
    : SymbolBase(other),
      clockwise_(other.clockwise_),
      placement_(other.placement_),
      separationX_(other.separationX_),
      separationY_(other.separationY_),
      offsetX_(other.offsetX_),
      offsetY_(other.offsetY_) {
    if (other.outline_) {
        SymbolPtr<> clone(other.outline_->Clone());
        IGIS_LineSymbol* line = clone ? clone->GetLineSymbol() : nullptr;
        if (line == nullptr) throw std::bad_alloc();
        clone.release();
        outline_.reset(line);
    }
    if (other.marker_) {
        marker_.reset(other.marker_->Clone());
        if (!marker_) throw std::bad_alloc();
    }
}

IGIS_Symbol* MarkerFillSymbol::Clone() const noexcept {
    try {
        return new MarkerFillSymbol(*this);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace symbolhost
