#include "host/marker_symbols.h"

#include <new>

#include "host/text_symbols.h"

namespace symbolhost {
namespace {

// Nominal size of a new compound marker and of its design box, in millimetres.
constexpr double kCompoundSize = 10.0;

}  // namespace

IGIS_Symbol* CharMarkerSymbol::Clone() const noexcept { return CopyOf(*this); }

IGIS_Symbol* PictureMarkerSymbol::Clone() const noexcept { return CopyOf(*this); }

// ---- library marker ----

IGIS_Symbol* LibMarkerSymbol::Clone() const noexcept { return CopyOf(*this); }

void LibMarkerSymbol::GetExtent(double* extent) const noexcept {
    if (extent == nullptr) return;
    for (size_t i = 0; i < extent_.size(); ++i) extent[i] = extent_[i];
}

const BoxText* LibMarkerSymbol::GetText(const int32_t* index) const noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= texts_.size()) return nullptr;
    const BoxText& text = texts_[static_cast<size_t>(*index)];
    if (IsAscii(text.text) && IsAscii(text.fontName)) return &text;
    try {
        auto encoded = std::make_shared<BoxText>(text);
        EncodeInto(encoded->text, kMarkerTextCapacity, text.text);
        EncodeInto(encoded->fontName, kMarkerTextCapacity, text.fontName);
        encodedText_ = std::move(encoded);
        return encodedText_.get();
    } catch (...) {
        return nullptr;
    }
}

const MarkerLabel* LibMarkerSymbol::GetLabel() const noexcept {
    if (IsAscii(label_->text) && IsAscii(label_->fontName)) return label_.get();
    try {
        auto encoded = std::make_shared<MarkerLabel>(*label_);
        EncodeInto(encoded->text, kMarkerTextCapacity, label_->text);
        EncodeInto(encoded->fontName, kMarkerTextCapacity, label_->fontName);
        encodedLabel_ = std::move(encoded);
        return encodedLabel_.get();
    } catch (...) {
        return nullptr;
    }
}

void LibMarkerSymbol::SetLabel(const MarkerLabel& label) {
    label_ = std::make_shared<const MarkerLabel>(label);
}

std::shared_ptr<const MarkerLabel> LibMarkerSymbol::NoLabel() {
    static const std::shared_ptr<const MarkerLabel> none = std::make_shared<const MarkerLabel>();
    return none;
}

bool LibMarkerSymbol::GetLeaderOffset(double* dx, double* dy) const noexcept {
    if (!hasLeader_ || dx == nullptr || dy == nullptr) return false;
    *dx = leaderDx_;
    *dy = leaderDy_;
    return true;
}

void LibMarkerSymbol::SetLeader(double dx, double dy, int32_t style) {
    hasLeader_ = true;
    leaderDx_ = dx;
    leaderDy_ = dy;
    leaderStyle_ = style;
}

bool LibMarkerSymbol::SetResourceCode(const uint32_t* code) noexcept {
    IGIS_VectorResourceBase* store = GIS_GetVectorResourceBaseObject();
    if (code == nullptr || store == nullptr || store->GetResource(code) == nullptr) return false;
    resourceCode_ = *code;
    return true;
}

void LibMarkerSymbol::AttachResource(VectorSymbolResource* resource) {
    // Shares no ownership: the pointer is only carried along.
    resource_ = std::shared_ptr<VectorSymbolResource>(std::shared_ptr<VectorSymbolResource>(), resource);
}

// ---- compound marker ----

CompoundMarkerSymbol::CompoundMarkerSymbol()
    : MarkerBase(kCompoundSize),
      extent_{-kCompoundSize / 2, kCompoundSize / 2, -kCompoundSize / 2, kCompoundSize / 2} {}

// Members are shared with the original: the copy can be resized, turned or released on its own.
CompoundMarkerSymbol::CompoundMarkerSymbol(const CompoundMarkerSymbol& other)
    : MarkerBase(other), anchor_(other.anchor_), extent_(other.extent_) {
    members_.reserve(other.members_.size());
    for (const Member& member : other.members_) {
        SymbolPtr<> shared(Share(member.marker.get()));
        IGIS_MarkerSymbol* marker = AsMarkerSymbol(shared.get());
        if (marker == nullptr) throw std::bad_alloc();  // a stack missing a member is not a copy
        shared.release();
        members_.push_back({SymbolPtr<IGIS_MarkerSymbol>(marker), member.visible});
    }
}

IGIS_Symbol* CompoundMarkerSymbol::Clone() const noexcept { return CopyOf(*this); }

IGIS_MarkerSymbol* CompoundMarkerSymbol::GetMarker(const int32_t* index) noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= members_.size()) return nullptr;
    return members_[static_cast<size_t>(*index)].marker.get();
}

bool CompoundMarkerSymbol::IsMarkerVisible(const int32_t* index) const noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= members_.size()) return false;
    return members_[static_cast<size_t>(*index)].visible;
}

void CompoundMarkerSymbol::GetAnchorPoint(double* x, double* y) const noexcept {
    if (x != nullptr) *x = anchor_[0];
    if (y != nullptr) *y = anchor_[1];
}

void CompoundMarkerSymbol::GetExtent(double* extent) const noexcept {
    if (extent == nullptr) return;
    for (size_t i = 0; i < extent_.size(); ++i) extent[i] = extent_[i];
}

bool CompoundMarkerSymbol::AddMarker(IGIS_Symbol* marker, bool visible) {
    SymbolPtr<> owned(marker);
    IGIS_MarkerSymbol* view = AsMarkerSymbol(owned.get());
    if (view == nullptr) return false;
    members_.reserve(members_.size() + 1);  // the only step that can throw; `owned` still frees it
    owned.release();
    members_.push_back({SymbolPtr<IGIS_MarkerSymbol>(view), visible});
    return true;
}

void CompoundMarkerSymbol::SetMarkerVisible(int32_t index, bool visible) {
    if (index >= 0 && static_cast<size_t>(index) < members_.size())
        members_[static_cast<size_t>(index)].visible = visible;
}

}  // namespace symbolhost
