// Concrete line, gradient, picture and compound fills of the reference host. A cloned fill shares
// its outline, hatch line and members with the original (see host/symbols.h).
#pragma once

#include <cstdint>
#include <vector>

#include "contracts/symbol/fill.h"
#include "host/host.h"
#include "host/symbols.h"

namespace symbolhost {

// The outline every fill may carry, held by the fill and shared with its clones.
class FillOutlineHolder {
public:
    FillOutlineHolder() = default;
    FillOutlineHolder(const FillOutlineHolder& other);  // shares the outline; throws bad_alloc
    FillOutlineHolder& operator=(const FillOutlineHolder&) = delete;
    IGIS_LineSymbol* Get() const { return line_.get(); }
    // Takes ownership of `line`; null removes the outline.
    void Reset(IGIS_LineSymbol* line) { line_.reset(line); }

private:
    SymbolPtr<IGIS_LineSymbol> line_;
};

class SYMBOLHOST_API LineFillSymbol final : public SymbolBase<IGIS_LineFillSymbol> {
public:
    LineFillSymbol() = default;
    LineFillSymbol(const LineFillSymbol& other);  // shares outline and hatch line; throws bad_alloc
    LineFillSymbol& operator=(const LineFillSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeLineFill; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return this; }
    IGIS_LineFillSymbol* GetLineFillSymbol() noexcept override { return this; }

    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return outline_.Get(); }
    bool IsOutlineClockwise() const noexcept override { return clockwise_; }
    const double* GetSeparation() const noexcept override { return &separation_; }
    const double* GetAngle() const noexcept override { return &angle_; }
    IGIS_LineSymbol* GetHatchLineSymbol() noexcept override { return line_.Get(); }
    const bool* GetReverseLines() const noexcept override { return &reverse_; }

    void SetOutline(IGIS_LineSymbol* outline) { outline_.Reset(outline); }  // takes ownership
    void SetOutlineClockwise(bool clockwise) { clockwise_ = clockwise; }
    void SetSeparation(double mm) { separation_ = mm; }
    void SetAngle(double degrees) { angle_ = degrees; }
    void SetHatchLine(IGIS_LineSymbol* line) { line_.Reset(line); }  // takes ownership
    void SetReverseLines(bool reverse) { reverse_ = reverse; }

private:
    FillOutlineHolder outline_;
    FillOutlineHolder line_;
    bool clockwise_ = true;
    double separation_ = 2.0;
    double angle_ = 45.0;
    bool reverse_ = false;
};

class SYMBOLHOST_API GradientFillSymbol final : public SymbolBase<IGIS_GradientFillSymbol> {
public:
    GradientFillSymbol() = default;
    GradientFillSymbol(const GradientFillSymbol& other) = default;  // throws bad_alloc
    GradientFillSymbol& operator=(const GradientFillSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeGradientFill; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return this; }
    IGIS_GradientFillSymbol* GetGradientFillSymbol() noexcept override { return this; }

    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return outline_.Get(); }
    int32_t GetTransparency() const noexcept override { return transparency_; }
    const double* GetAngle() const noexcept override { return &angle_; }
    const uint32_t* GetStartColor() const noexcept override { return &start_; }
    const uint32_t* GetEndColor() const noexcept override { return &end_; }
    bool GetBlendPositions(const double** positions) const noexcept override;
    bool GetBlendFactors(const double** factors) const noexcept override;
    const int32_t* GetBlendCount() const noexcept override { return &blendCount_; }

    void SetOutline(IGIS_LineSymbol* outline) { outline_.Reset(outline); }  // takes ownership
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetAngle(double degrees) { angle_ = degrees; }
    void SetStartColor(uint32_t color) { start_ = color; }
    void SetEndColor(uint32_t color) { end_ = color; }
    // Positions and factors of equal length; a table that is not usable (lengths differ, fewer
    // than 2 or more than kMaxBlendEntries entries) is kept but not handed out.
    void SetBlend(std::vector<double> positions, std::vector<double> factors);
    const std::vector<double>& BlendPositions() const { return positions_; }
    const std::vector<double>& BlendFactors() const { return factors_; }

    static constexpr size_t kMaxBlendEntries = 256;

private:
    bool BlendUsable() const;

    FillOutlineHolder outline_;
    int32_t transparency_ = 0;
    double angle_ = 0.0;
    uint32_t start_ = 0xFFFFFF;
    uint32_t end_ = 0x1F4E79;
    std::vector<double> positions_{0.0, 1.0};
    std::vector<double> factors_{0.0, 1.0};
    int32_t blendCount_ = 2;
};

class SYMBOLHOST_API PictureFillSymbol final : public SymbolBase<IGIS_PictureFillSymbol> {
public:
    PictureFillSymbol() = default;
    PictureFillSymbol(const PictureFillSymbol& other) = default;  // throws bad_alloc
    PictureFillSymbol& operator=(const PictureFillSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypePictureFill; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return this; }
    IGIS_PictureFillSymbol* GetPictureFillSymbol() noexcept override { return this; }

    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return outline_.Get(); }
    bool IsOutlineClockwise() const noexcept override { return clockwise_; }
    const int32_t* GetPictureMode() const noexcept override { return &mode_; }
    const bool* GetKeepAspectRatio() const noexcept override { return &keepAspect_; }
    uint32_t GetPictureKey() const noexcept override { return key_; }
    const int32_t* GetPictureIndex() const noexcept override { return &index_; }

    void SetOutline(IGIS_LineSymbol* outline) { outline_.Reset(outline); }  // takes ownership
    void SetOutlineClockwise(bool clockwise) { clockwise_ = clockwise; }
    void SetPictureMode(int32_t mode) { mode_ = mode; }
    void SetKeepAspectRatio(bool keep) { keepAspect_ = keep; }
    // The fill-image id; a fill without a picture (index -1) draws only its outline.
    void SetPicture(uint32_t key) {
        key_ = key;
        index_ = 0;
    }
    void ClearPicture() { index_ = -1; }

private:
    FillOutlineHolder outline_;
    bool clockwise_ = true;
    int32_t mode_ = PictureFillTiled;
    bool keepAspect_ = true;
    uint32_t key_ = 0;
    int32_t index_ = -1;
};

class SYMBOLHOST_API CompoundFillSymbol final : public SymbolBase<IGIS_CompoundFillSymbol> {
public:
    CompoundFillSymbol() = default;
    CompoundFillSymbol(const CompoundFillSymbol& other);  // shares every member; throws bad_alloc
    CompoundFillSymbol& operator=(const CompoundFillSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeCompoundFill; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return this; }
    IGIS_CompoundFillSymbol* GetCompoundFillSymbol() noexcept override { return this; }

    // The members draw their own outlines; the compound has none.
    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return nullptr; }
    int32_t GetLayerCount() const noexcept override { return static_cast<int32_t>(members_.size()); }
    IGIS_Symbol* GetLayer(const int32_t* index) noexcept override;
    bool IsLayerVisible(const int32_t* index) const noexcept override;

    // Appends a member drawn over the others; takes ownership of `member` (any symbol).
    void AddLayer(IGIS_Symbol* member, bool visible = true);
    void SetLayerVisible(int32_t index, bool visible);

private:
    struct Member {
        SymbolPtr<> symbol;
        bool visible = true;
    };
    std::vector<Member> members_;
};

}  // namespace symbolhost
