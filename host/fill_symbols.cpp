#include "host/fill_symbols.h"

#include <new>
#include <stdexcept>

namespace symbolhost {
namespace {

// Most members a compound fill holds: a real one has a handful, and the count must fit the
// view's 32-bit integer in any case.
constexpr size_t kMaxMembers = 1024;

}  // namespace

FillOutlineHolder::FillOutlineHolder(const FillOutlineHolder& other) : line_(ShareLine(other.line_.get())) {}

LineFillSymbol::LineFillSymbol(const LineFillSymbol& other) = default;

IGIS_Symbol* LineFillSymbol::Clone() const noexcept { return CopyOf(*this); }

IGIS_Symbol* GradientFillSymbol::Clone() const noexcept { return CopyOf(*this); }

bool GradientFillSymbol::BlendUsable() const {
    return positions_.size() == factors_.size() && positions_.size() >= 2 &&
           positions_.size() <= kMaxBlendEntries;
}

void GradientFillSymbol::SetBlend(std::vector<double> positions, std::vector<double> factors) {
    positions_ = std::move(positions);
    factors_ = std::move(factors);
    blendCount_ = BlendUsable() ? static_cast<int32_t>(positions_.size()) : 0;
}

bool GradientFillSymbol::GetBlendPositions(const double** positions) const noexcept {
    if (positions == nullptr || !BlendUsable()) return false;
    *positions = positions_.data();
    return true;
}

bool GradientFillSymbol::GetBlendFactors(const double** factors) const noexcept {
    if (factors == nullptr || !BlendUsable()) return false;
    *factors = factors_.data();
    return true;
}

IGIS_Symbol* PictureFillSymbol::Clone() const noexcept { return CopyOf(*this); }

CompoundFillSymbol::CompoundFillSymbol(const CompoundFillSymbol& other) : SymbolBase(other) {
    members_.reserve(other.members_.size());
    for (const Member& member : other.members_) {
        members_.push_back(Member{SymbolPtr<>(Share(member.symbol.get())), member.visible});
    }
}

IGIS_Symbol* CompoundFillSymbol::Clone() const noexcept { return CopyOf(*this); }

IGIS_Symbol* CompoundFillSymbol::GetLayer(const int32_t* index) noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= members_.size()) return nullptr;
    return members_[static_cast<size_t>(*index)].symbol.get();
}

bool CompoundFillSymbol::IsLayerVisible(const int32_t* index) const noexcept {
    if (index == nullptr || *index < 0 || static_cast<size_t>(*index) >= members_.size()) return false;
    return members_[static_cast<size_t>(*index)].visible;
}

void CompoundFillSymbol::AddLayer(IGIS_Symbol* member, bool visible) {
    SymbolPtr<> owned(member);
    if (members_.size() >= kMaxMembers) throw std::length_error("a compound fill holds at most 1024 members");
    members_.push_back(Member{std::move(owned), visible});
}

void CompoundFillSymbol::SetLayerVisible(int32_t index, bool visible) {
    if (index >= 0 && static_cast<size_t>(index) < members_.size())
        members_[static_cast<size_t>(index)].visible = visible;
}

}  // namespace symbolhost
