// Concrete symbols of the reference host. Each implements its kind's view with plain members
// and setters. A symbol held by another (an outline, a hatch line, a compound's member) is shared,
// not copied: Clone copies a symbol's own settings and shares its members, so a symbol named by
// many compounds exists once. A member is therefore not changed once it is held; to change one
// compound's member, hand that compound a new member.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "contracts/symbol/fill.h"
#include "contracts/symbol/line.h"
#include "host/host.h"

namespace symbolhost {

// The reference count every host symbol carries. Release drops one reference; the last one
// deletes. Counting is atomic, since one shared member may be released from several threads.
class SharedSymbol {
public:
    void AddReference() const noexcept { references_.fetch_add(1, std::memory_order_relaxed); }

protected:
    SharedSymbol() = default;
    SharedSymbol(const SharedSymbol&) noexcept {}  // a copy starts with its own one reference
    SharedSymbol& operator=(const SharedSymbol&) = delete;
    ~SharedSymbol() = default;
    // True when the caller held the last reference.
    bool DropReference() const noexcept { return references_.fetch_sub(1, std::memory_order_acq_rel) == 1; }

private:
    mutable std::atomic<int32_t> references_{1};
};

// Answers every typed-view query with null; each concrete symbol overrides its own.
template <typename View>
class SymbolBase : public View, public SharedSymbol {
public:
    void Release() noexcept override {
        if (DropReference()) delete this;
    }
    IGIS_LibMarkerSymbol* GetLibMarkerSymbol() noexcept override { return nullptr; }
    IGIS_CharMarkerSymbol* GetCharMarkerSymbol() noexcept override { return nullptr; }
    IGIS_PictureMarkerSymbol* GetPictureMarkerSymbol() noexcept override { return nullptr; }
    IGIS_CompoundMarkerSymbol* GetCompoundMarkerSymbol() noexcept override { return nullptr; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return nullptr; }
    IGIS_SimpleLineSymbol* GetSimpleLineSymbol() noexcept override { return nullptr; }
    IGIS_CartographicLineSymbol* GetCartographicLineSymbol() noexcept override { return nullptr; }
    IGIS_HashLineSymbol* GetHashLineSymbol() noexcept override { return nullptr; }
    IGIS_CompoundLineSymbol* GetCompoundLineSymbol() noexcept override { return nullptr; }
    IGIS_MarkerLineSymbol* GetMarkerLineSymbol() noexcept override { return nullptr; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return nullptr; }
    IGIS_MarkerFillSymbol* GetMarkerFillSymbol() noexcept override { return nullptr; }
    IGIS_LineFillSymbol* GetLineFillSymbol() noexcept override { return nullptr; }
    IGIS_SimpleFillSymbol* GetSimpleFillSymbol() noexcept override { return nullptr; }
    IGIS_GradientFillSymbol* GetGradientFillSymbol() noexcept override { return nullptr; }
    IGIS_PictureFillSymbol* GetPictureFillSymbol() noexcept override { return nullptr; }
    IGIS_CompoundFillSymbol* GetCompoundFillSymbol() noexcept override { return nullptr; }
    IGIS_TextBoxSymbol* GetTextBoxSymbol() noexcept override { return nullptr; }
    IGIS_LayeredSimpleLineSymbol* GetLayeredSimpleLineSymbol() noexcept override { return nullptr; }
    IGIS_TextSymbol* GetTextSymbol() noexcept override { return nullptr; }

protected:
    SymbolBase() = default;
    SymbolBase(const SymbolBase&) = default;
    ~SymbolBase() override = default;
};

// A copy through the copy constructor, for Clone; null when memory runs out (no exception leaves
// Clone).
template <typename Symbol>
IGIS_Symbol* CopyOf(const Symbol& symbol) noexcept {
    try {
        return new Symbol(symbol);
    } catch (...) {
        return nullptr;
    }
}

// Another reference to `symbol` for a second holder: a host symbol is shared, any other symbol
// is cloned. Throws bad_alloc when that clone fails, so no holder is left with a silent gap.
SYMBOLHOST_API IGIS_Symbol* Share(const IGIS_Symbol* symbol);

// Share for a holder of line symbols: null when `symbol` is no line symbol.
SYMBOLHOST_API IGIS_LineSymbol* ShareLine(const IGIS_Symbol* symbol);

// Releases a symbol when it goes out of scope.
struct SymbolReleaser {
    void operator()(IGIS_Symbol* s) const noexcept {
        if (s) s->Release();
    }
};
template <typename T = IGIS_Symbol>
using SymbolPtr = std::unique_ptr<T, SymbolReleaser>;

class SYMBOLHOST_API SimpleLineSymbol final : public SymbolBase<IGIS_SimpleLineSymbol> {
public:
    SimpleLineSymbol() = default;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeSimpleLine; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return this; }
    IGIS_SimpleLineSymbol* GetSimpleLineSymbol() noexcept override { return this; }

    const SymbolHalo* GetHalo() const noexcept override { return &halo_; }
    uint32_t GetColor() const noexcept override { return color_; }
    int32_t GetTransparency() const noexcept override { return transparency_; }
    double GetWidth() const noexcept override { return width_; }
    const int32_t* GetLineJoin() const noexcept override { return &join_; }
    const int32_t* GetLineCap() const noexcept override { return &cap_; }
    void GetDashPattern(double** pattern, int32_t* count) const noexcept override;
    const int32_t* GetLineStyle() const noexcept override { return &style_; }
    const bool* IsSmooth() const noexcept override { return &smooth_; }

    void SetHalo(const SymbolHalo& halo) { halo_ = halo; }
    void SetColor(uint32_t color) { color_ = color; }
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetWidth(double mm) { width_ = mm; }
    void SetLineJoin(int32_t join) { join_ = join; }
    void SetLineCap(int32_t cap) { cap_ = cap; }
    void SetDashPattern(std::vector<double> mm) { dashes_ = std::move(mm); }
    const std::vector<double>& DashPattern() const { return dashes_; }
    void SetLineStyle(int32_t style) { style_ = style; }
    void SetSmooth(bool smooth) { smooth_ = smooth; }

private:
    SymbolHalo halo_;
    uint32_t color_ = 0x000000;
    int32_t transparency_ = 0;
    double width_ = 0.26;
    int32_t join_ = 2;
    int32_t cap_ = 2;
    std::vector<double> dashes_;
    int32_t style_ = SimpleLineStyleSolid;
    bool smooth_ = false;
};

class SYMBOLHOST_API SimpleFillSymbol final : public SymbolBase<IGIS_SimpleFillSymbol> {
public:
    SimpleFillSymbol() = default;
    SimpleFillSymbol(const SimpleFillSymbol& other);
    SimpleFillSymbol& operator=(const SimpleFillSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeSimpleFill; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return this; }
    IGIS_SimpleFillSymbol* GetSimpleFillSymbol() noexcept override { return this; }

    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return outline_.get(); }
    bool IsOutlineClockwise() const noexcept override { return clockwise_; }
    const uint32_t* GetColor() const noexcept override { return &color_; }
    const uint32_t* GetBackgroundColor() const noexcept override { return &background_; }
    const int32_t* GetTransparency() const noexcept override { return &transparency_; }
    const int32_t* GetBackgroundTransparency() const noexcept override { return &backgroundTransparency_; }
    const int32_t* GetStyle() const noexcept override { return &style_; }

    // Takes ownership of `outline` (a line symbol); null removes the outline.
    void SetOutline(IGIS_LineSymbol* outline) { outline_.reset(outline); }
    void SetOutlineClockwise(bool clockwise) { clockwise_ = clockwise; }
    void SetColor(uint32_t color) { color_ = color; }
    void SetBackgroundColor(uint32_t color) { background_ = color; }
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetBackgroundTransparency(int32_t percent) { backgroundTransparency_ = percent; }
    void SetStyle(int32_t style) { style_ = style; }

private:
    SymbolPtr<IGIS_LineSymbol> outline_;
    bool clockwise_ = true;
    uint32_t color_ = 0x808080;
    uint32_t background_ = 0xFFFFFF;
    int32_t transparency_ = 0;
    int32_t backgroundTransparency_ = 100;
    int32_t style_ = SimpleFillStyleSolid;
};

class SYMBOLHOST_API MarkerFillSymbol final : public SymbolBase<IGIS_MarkerFillSymbol> {
public:
    MarkerFillSymbol() = default;
    MarkerFillSymbol(const MarkerFillSymbol& other);
    MarkerFillSymbol& operator=(const MarkerFillSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeMarkerFill; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return this; }
    IGIS_MarkerFillSymbol* GetMarkerFillSymbol() noexcept override { return this; }

    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return outline_.get(); }
    bool IsOutlineClockwise() const noexcept override { return clockwise_; }
    const int32_t* GetFillType() const noexcept override { return &placement_; }
    IGIS_Symbol* GetMarkerSymbol() noexcept override { return marker_.get(); }
    const double* GetSeparationX() const noexcept override { return &separationX_; }
    const double* GetSeparationY() const noexcept override { return &separationY_; }
    const double* GetOffsetX() const noexcept override { return &offsetX_; }
    const double* GetOffsetY() const noexcept override { return &offsetY_; }

    // Take ownership; null removes the outline or the marker.
    void SetOutline(IGIS_LineSymbol* outline) { outline_.reset(outline); }
    void SetMarker(IGIS_Symbol* marker) { marker_.reset(marker); }
    void SetOutlineClockwise(bool clockwise) { clockwise_ = clockwise; }
    void SetFillType(int32_t placement) { placement_ = placement; }
    void SetSeparation(double x, double y) {
        separationX_ = x;
        separationY_ = y;
    }
    void SetOffset(double x, double y) {
        offsetX_ = x;
        offsetY_ = y;
    }

private:
    SymbolPtr<IGIS_LineSymbol> outline_;
    SymbolPtr<> marker_;
    bool clockwise_ = true;
    int32_t placement_ = MarkerFillStaggered;
    double separationX_ = 2.0;
    double separationY_ = 2.0;
    double offsetX_ = 0.0;
    double offsetY_ = 0.0;
};

}  // namespace symbolhost
