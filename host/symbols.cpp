#include "host/symbols.h"

#include <algorithm>
#include <new>

namespace symbolhost {
namespace {

// Most dash entries handed out; a line pattern has a handful, so more is a corrupt symbol, and
// the count must fit the view's 32-bit count in any case.
constexpr size_t kMaxDashEntries = 1024;

}  // namespace

IGIS_Symbol* Share(const IGIS_Symbol* symbol) {
    if (symbol == nullptr) return nullptr;
    if (const auto* shared = dynamic_cast<const SharedSymbol*>(symbol)) {
        shared->AddReference();
        // Held members are not changed (see the header), so handing out the same object is safe.
        return const_cast<IGIS_Symbol*>(symbol);
    }
    IGIS_Symbol* copy = symbol->Clone();
    if (copy == nullptr) throw std::bad_alloc();
    return copy;
}

IGIS_LineSymbol* ShareLine(const IGIS_Symbol* symbol) {
    SymbolPtr<> held(Share(symbol));
    IGIS_LineSymbol* line = held ? held->GetLineSymbol() : nullptr;
    if (line != nullptr) held.release();
    return line;
}

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

// The copy shares the outline; releasing either fill leaves the other's outline alone.
SimpleFillSymbol::SimpleFillSymbol(const SimpleFillSymbol& other)
    : SymbolBase(other),
      clockwise_(other.clockwise_),
      color_(other.color_),
      background_(other.background_),
      transparency_(other.transparency_),
      backgroundTransparency_(other.backgroundTransparency_),
      style_(other.style_) {
    outline_.reset(ShareLine(other.outline_.get()));
}

IGIS_Symbol* SimpleFillSymbol::Clone() const noexcept {
    try {
        return new SimpleFillSymbol(*this);
    } catch (...) {
        return nullptr;
    }
}

// Like the simple fill: the copy shares the outline and the marker.
MarkerFillSymbol::MarkerFillSymbol(const MarkerFillSymbol& other)
    : SymbolBase(other),
      clockwise_(other.clockwise_),
      placement_(other.placement_),
      separationX_(other.separationX_),
      separationY_(other.separationY_),
      offsetX_(other.offsetX_),
      offsetY_(other.offsetY_) {
    outline_.reset(ShareLine(other.outline_.get()));
    marker_.reset(Share(other.marker_.get()));
}

IGIS_Symbol* MarkerFillSymbol::Clone() const noexcept {
    try {
        return new MarkerFillSymbol(*this);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace symbolhost
