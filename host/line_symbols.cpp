#include "host/line_symbols.h"

#include <new>
#include <stdexcept>

namespace symbolhost {
namespace {

// Most dash entries, members or layers a symbol hands out: a real symbol has a handful, and the
// counts must fit the views' 32-bit integers in any case.
constexpr size_t kMaxEntries = 1024;

}  // namespace

// ---- cartographic line --------------------------------------------------------------------

IGIS_Symbol* CartographicLineSymbol::Clone() const noexcept {
    try {
        return new CartographicLineSymbol(*this);
    } catch (...) {
        return nullptr;  // the copy of the dash array ran out of memory
    }
}

bool CartographicLineSymbol::GetDashArray(const double** values, int32_t* count) const noexcept {
    if (values == nullptr || count == nullptr) return false;
    *values = nullptr;
    *count = 0;
    if (dashes_.size() > kMaxEntries) return false;  // a template no reader could mean
    if (dashes_.empty()) return true;                // solid
    *values = dashes_.data();
    *count = static_cast<int32_t>(dashes_.size());
    return true;
}

// ---- hash line ----------------------------------------------------------------------------

IGIS_Symbol* HashLineSymbol::Clone() const noexcept { return new (std::nothrow) HashLineSymbol(*this); }

// ---- compound line ------------------------------------------------------------------------

// Members are shared with the original, which may be released on its own.
CompoundLineSymbol::CompoundLineSymbol(const CompoundLineSymbol& other) : SymbolBase(other) {
    members_.reserve(other.members_.size());
    for (const Member& member : other.members_) {
        members_.push_back(Member{SymbolPtr<>(Share(member.symbol.get())), member.enabled});
    }
}

IGIS_Symbol* CompoundLineSymbol::Clone() const noexcept {
    try {
        return new CompoundLineSymbol(*this);
    } catch (...) {
        return nullptr;
    }
}

IGIS_Symbol* CompoundLineSymbol::GetLine(const int32_t* index) noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= members_.size()) return nullptr;
    return members_[static_cast<size_t>(*index)].symbol.get();
}

bool CompoundLineSymbol::IsLineEnabled(const int32_t* index) const noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= members_.size()) return false;
    return members_[static_cast<size_t>(*index)].enabled;
}

void CompoundLineSymbol::AddLine(IGIS_Symbol* line, bool enabled) {
    SymbolPtr<> owned(line);
    if (members_.size() >= kMaxEntries) throw std::length_error("a compound line holds at most 1024 members");
    members_.push_back(Member{std::move(owned), enabled});
}

void CompoundLineSymbol::SetLineEnabled(int32_t index, bool enabled) {
    if (index >= 0 && static_cast<size_t>(index) < members_.size())
        members_[static_cast<size_t>(index)].enabled = enabled;
}

// ---- layered simple line ------------------------------------------------------------------

LayeredSimpleLineSymbol::LayeredSimpleLineSymbol(const LayeredSimpleLineSymbol& other)
    : SymbolBase(other), halo_(other.halo_), width_(other.width_), layers_(other.layers_) {
    Relink();
}

IGIS_Symbol* LayeredSimpleLineSymbol::Clone() const noexcept {
    try {
        return new LayeredSimpleLineSymbol(*this);
    } catch (...) {
        return nullptr;
    }
}

const SimpleLineLayer* LayeredSimpleLineSymbol::GetLayer(const int32_t* index) const noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= records_.size()) return nullptr;
    return &records_[static_cast<size_t>(*index)];
}

void LayeredSimpleLineSymbol::SetLayers(std::vector<LineLayer> layers) {
    if (layers.size() > kMaxEntries) throw std::length_error("a layered line holds at most 1024 layers");
    layers_ = std::move(layers);
    Relink();
}

void LayeredSimpleLineSymbol::AddLayer(LineLayer layer) {
    if (layers_.size() >= kMaxEntries) throw std::length_error("a layered line holds at most 1024 layers");
    layers_.push_back(std::move(layer));
    Relink();
}

void LayeredSimpleLineSymbol::Relink() {
    records_.resize(layers_.size());
    for (size_t i = 0; i < layers_.size(); ++i) {
        const LineLayer& layer = layers_[i];
        SimpleLineLayer& record = records_[i];
        record.width = layer.width;
        record.style = layer.style;
        // A pattern too long to hand out counts as none.
        const bool usable = layer.pattern.size() <= kMaxEntries;
        record.patternCount = usable ? static_cast<int32_t>(layer.pattern.size()) : 0;
        record.pattern = usable && !layer.pattern.empty() ? layer.pattern.data() : nullptr;
        record.join = layer.join;
        record.cap = layer.cap;
        record.color = layer.color;
        record.transparency = layer.transparency;
    }
}

// ---- marker line --------------------------------------------------------------------------

IGIS_Symbol* MarkerLineSymbol::Clone() const noexcept { return new (std::nothrow) MarkerLineSymbol(*this); }

const uint32_t* MarkerLineSymbol::GetMarkerResourceCode(bool* found) const noexcept {
    if (found != nullptr) *found = true;
    return &resourceCode_;
}

}  // namespace symbolhost
