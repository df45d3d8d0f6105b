// Concrete line symbols of the reference host beyond the simple line: cartographic, hash,
// compound, marker and layered lines. Each holds plain members with setters; Clone makes an
// independent copy (a compound line's members and a layered line's layers are copied too).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "contracts/symbol/line.h"
#include "contracts/symbol/resource.h"
#include "host/host.h"
#include "host/symbols.h"

namespace symbolhost {

class SYMBOLHOST_API CartographicLineSymbol final : public SymbolBase<IGIS_CartographicLineSymbol> {
public:
    CartographicLineSymbol() = default;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeCartographicLine; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return this; }
    IGIS_CartographicLineSymbol* GetCartographicLineSymbol() noexcept override { return this; }

    uint32_t GetColor() const noexcept override { return color_; }
    int32_t GetTransparency() const noexcept override { return transparency_; }
    double GetWidth() const noexcept override { return width_; }
    const double* GetOffset() const noexcept override { return &offset_; }
    bool GetDashArray(const double** values, int32_t* count) const noexcept override;
    const int32_t* GetLineJoin() const noexcept override { return &join_; }
    const int32_t* GetLineCap() const noexcept override { return &cap_; }
    const double* GetExcursion() const noexcept override { return &excursion_; }
    const bool* GetDrawDashesSeparately() const noexcept override { return &separate_; }

    void SetColor(uint32_t color) { color_ = color; }
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetWidth(double mm) { width_ = mm; }
    void SetOffset(double mm) { offset_ = mm; }
    // Dash, gap, ... in millimetres; empty draws a solid line.
    void SetDashArray(std::vector<double> mm) { dashes_ = std::move(mm); }
    const std::vector<double>& DashArray() const { return dashes_; }
    void SetLineJoin(int32_t join) { join_ = join; }  // a CartographicLineJoin
    void SetLineCap(int32_t cap) { cap_ = cap; }
    void SetExcursion(double mm) { excursion_ = mm; }
    void SetDrawDashesSeparately(bool separate) { separate_ = separate; }

private:
    uint32_t color_ = 0x000000;
    int32_t transparency_ = 0;
    double width_ = 0.26;
    double offset_ = 0.0;
    std::vector<double> dashes_;
    int32_t join_ = CartographicJoinRound;
    int32_t cap_ = 0;  // flat
    double excursion_ = 0.0;
    bool separate_ = false;
};

class SYMBOLHOST_API HashLineSymbol final : public SymbolBase<IGIS_HashLineSymbol> {
public:
    HashLineSymbol() = default;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeHashLine; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return this; }
    IGIS_HashLineSymbol* GetHashLineSymbol() noexcept override { return this; }

    uint32_t GetColor() const noexcept override { return color_; }
    int32_t GetTransparency() const noexcept override { return transparency_; }
    double GetWidth() const noexcept override { return width_; }
    const double* GetOffset() const noexcept override { return &offset_; }
    const int32_t* GetLineCap() const noexcept override { return &cap_; }
    const double* GetHashLength() const noexcept override { return &length_; }
    const double* GetHashInterval() const noexcept override { return &interval_; }
    const double* GetStartOffset() const noexcept override { return &startOffset_; }

    void SetColor(uint32_t color) { color_ = color; }
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetWidth(double mm) { width_ = mm; }
    void SetOffset(double mm) { offset_ = mm; }
    void SetLineCap(int32_t cap) { cap_ = cap; }
    void SetHashLength(double mm) { length_ = mm; }
    void SetHashInterval(double mm) { interval_ = mm; }
    void SetStartOffset(double mm) { startOffset_ = mm; }

private:
    uint32_t color_ = 0x000000;
    int32_t transparency_ = 0;
    double width_ = 0.26;
    double offset_ = 0.0;
    int32_t cap_ = 0;  // flat
    double length_ = 2.0;
    double interval_ = 2.0;
    double startOffset_ = 0.0;
};

class SYMBOLHOST_API CompoundLineSymbol final : public SymbolBase<IGIS_CompoundLineSymbol> {
public:
    CompoundLineSymbol() = default;
    CompoundLineSymbol(const CompoundLineSymbol& other);  // shares every member; throws bad_alloc
    CompoundLineSymbol& operator=(const CompoundLineSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeCompoundLine; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return this; }
    IGIS_CompoundLineSymbol* GetCompoundLineSymbol() noexcept override { return this; }

    int32_t GetLineCount() const noexcept override { return static_cast<int32_t>(members_.size()); }
    IGIS_Symbol* GetLine(const int32_t* index) noexcept override;
    bool IsLineEnabled(const int32_t* index) const noexcept override;

    // Appends a member drawn after (over) the others; takes ownership of `line` (any symbol).
    void AddLine(IGIS_Symbol* line, bool enabled = true);
    void SetLineEnabled(int32_t index, bool enabled);
    void ClearLines() { members_.clear(); }

private:
    struct Member {
        SymbolPtr<> symbol;
        bool enabled = true;
    };
    std::vector<Member> members_;
};

// One layer of a LayeredSimpleLineSymbol as the host keeps it.
struct LineLayer {
    double width = 0.26;  // millimetres
    int32_t style = SimpleLineStyleSolid;
    std::vector<double> pattern;  // custom dashes in millimetres, for SimpleLineStyleCustom
    int32_t join = 2;             // 0 miter, 1 bevel, 2 round
    int32_t cap = 2;              // 0 flat, 1 square, 2 round
    uint32_t color = 0x000000;
    int32_t transparency = 0;
};

class SYMBOLHOST_API LayeredSimpleLineSymbol final : public SymbolBase<IGIS_LayeredSimpleLineSymbol> {
public:
    LayeredSimpleLineSymbol() = default;
    LayeredSimpleLineSymbol(const LayeredSimpleLineSymbol& other);
    LayeredSimpleLineSymbol& operator=(const LayeredSimpleLineSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeLayeredSimpleLine; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return this; }
    IGIS_LayeredSimpleLineSymbol* GetLayeredSimpleLineSymbol() noexcept override { return this; }

    const SymbolHalo* GetHalo() const noexcept override { return &halo_; }
    double GetWidth() const noexcept override { return width_; }
    int32_t GetLayerCount() const noexcept override { return static_cast<int32_t>(records_.size()); }
    const SimpleLineLayer* GetLayer(const int32_t* index) const noexcept override;

    void SetHalo(const SymbolHalo& halo) { halo_ = halo; }
    void SetWidth(double mm) { width_ = mm; }
    // Layers bottom first.
    void SetLayers(std::vector<LineLayer> layers);
    void AddLayer(LineLayer layer);
    const std::vector<LineLayer>& Layers() const { return layers_; }

private:
    // Rebuilds the records handed out, which point into layers_.
    void Relink();

    SymbolHalo halo_;
    double width_ = 1.0;
    std::vector<LineLayer> layers_;
    std::vector<SimpleLineLayer> records_;
};

class SYMBOLHOST_API MarkerLineSymbol final : public SymbolBase<IGIS_MarkerLineSymbol> {
public:
    MarkerLineSymbol() = default;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeMarkerLine; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return this; }
    IGIS_MarkerLineSymbol* GetMarkerLineSymbol() noexcept override { return this; }

    uint32_t GetColor() const noexcept override { return color_; }
    int32_t GetTransparency() const noexcept override { return transparency_; }
    const double* GetMarkerOffset() const noexcept override { return &offset_; }
    const double* GetMarkerWidth() const noexcept override { return &width_; }
    const double* GetMarkerHeight() const noexcept override { return &height_; }
    const int32_t* GetMarkerOption() const noexcept override { return &option_; }
    const double* GetMarkerGap() const noexcept override { return &gap_; }
    const double* GetStartOffset() const noexcept override { return &startOffset_; }
    const uint32_t* GetMarkerResourceCode(bool* found) const noexcept override;
    const int32_t* GetPlacementMode() const noexcept override { return &placement_; }
    const double* GetPosition() const noexcept override { return &position_; }
    const double* GetMarkerAngle() const noexcept override { return &angle_; }
    const double* GetAlongShift() const noexcept override { return &alongShift_; }
    const double* GetAcrossShift() const noexcept override { return &acrossShift_; }
    const uint32_t* GetFillValue() const noexcept override { return &fillValue_; }
    const bool* GetUseFill() const noexcept override { return &useFill_; }

    void SetColor(uint32_t color) { color_ = color; }
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetMarkerOffset(double mm) { offset_ = mm; }
    // -1 keeps the drawing's natural size in millimetres.
    void SetMarkerSize(double width, double height) {
        width_ = width;
        height_ = height;
    }
    void SetMarkerOption(int32_t option) { option_ = option; }
    void SetMarkerGap(double mm) { gap_ = mm; }
    void SetStartOffset(double mm) { startOffset_ = mm; }
    void SetMarkerResourceCode(uint32_t code) { resourceCode_ = code; }
    void SetPlacementMode(int32_t mode) { placement_ = mode; }  // a MarkerLinePlacement
    void SetPosition(double value) { position_ = value; }       // millimetres or percent, by the mode
    void SetMarkerAngle(double degrees) { angle_ = degrees; }
    void SetAlongShift(double mm) { alongShift_ = mm; }
    void SetAcrossShift(double mm) { acrossShift_ = mm; }
    void SetFillValue(uint32_t color) { fillValue_ = color; }
    void SetUseFill(bool use) { useFill_ = use; }
    // The drawing the markers show instead of the resource code's; shared and never changed, so
    // copies of the symbol draw the same one. Null uses the code.
    void SetEmbeddedResource(std::shared_ptr<VectorSymbolResource> resource) {
        resource_ = std::move(resource);
    }
    VectorSymbolResource* EmbeddedResource() const { return resource_.get(); }

private:
    uint32_t color_ = 0x000000;
    int32_t transparency_ = 0;
    double offset_ = 0.0;
    double width_ = -1.0;
    double height_ = -1.0;
    int32_t option_ = 0;
    double gap_ = 3.0;
    double startOffset_ = 0.0;
    uint32_t resourceCode_ = 0;
    int32_t placement_ = MarkerLinePlacementInterval;
    double position_ = 0.0;
    double angle_ = 0.0;
    double alongShift_ = 0.0;
    double acrossShift_ = 0.0;
    uint32_t fillValue_ = 0x000000;
    bool useFill_ = false;
    std::shared_ptr<VectorSymbolResource> resource_;
};

}  // namespace symbolhost
