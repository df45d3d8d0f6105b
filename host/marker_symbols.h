// Concrete marker symbols of the reference host: character, library (vector resource), picture
// and compound markers. Each holds plain members with setters; Clone makes an independent copy
// (a compound marker's members are copied too).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "host/host.h"
#include "host/symbols.h"

namespace symbolhost {

// The placement every marker kind shares, and the setters a compound marker moves its members
// with. `defaultSize` is the width and height a new marker has (-1: natural size).
template <typename View>
class MarkerBase : public SymbolBase<View> {
public:
    const bool* GetFlipY() const noexcept override { return &flipY_; }
    const bool* GetFlipX() const noexcept override { return &flipX_; }
    const double* GetHeight() const noexcept override { return &height_; }
    const double* GetXOffset() const noexcept override { return &xOffset_; }
    const double* GetYOffset() const noexcept override { return &yOffset_; }
    const double* GetAngle() const noexcept override { return &angle_; }
    const double* GetWidth() const noexcept override { return &width_; }
    // Character and picture markers are drawn centred on the anchor point.
    void GetExtent(double* extent) const noexcept override {
        if (extent == nullptr) return;
        extent[0] = -0.5 * width_;
        extent[1] = 0.5 * width_;
        extent[2] = 0.5 * height_;
        extent[3] = -0.5 * height_;
    }

    void SetFlipY(bool flip) noexcept override { flipY_ = flip; }
    void SetFlipX(bool flip) noexcept override { flipX_ = flip; }
    void SetHeight(double mm) noexcept override { height_ = mm; }
    void SetXOffset(double mm) noexcept override { xOffset_ = mm; }
    void SetYOffset(double mm) noexcept override { yOffset_ = mm; }
    void SetAngle(double degrees) noexcept override { angle_ = degrees; }
    void SetWidth(double mm) noexcept override { width_ = mm; }
    // Width and height together.
    void SetSize(double width, double height) noexcept {
        width_ = width;
        height_ = height;
    }
    void SetOffset(double x, double y) noexcept {
        xOffset_ = x;
        yOffset_ = y;
    }

protected:
    explicit MarkerBase(double defaultSize) : height_(defaultSize), width_(defaultSize) {}
    MarkerBase(const MarkerBase&) = default;
    ~MarkerBase() override = default;

private:
    bool flipY_ = false;
    bool flipX_ = false;
    double height_;
    double xOffset_ = 0.0;
    double yOffset_ = 0.0;
    double angle_ = 0.0;
    double width_;
};

// Size a new character, picture or compound marker has, in millimetres.
inline constexpr double kDefaultMarkerSize = 4.0;
// Sizes of -1 leave a marker at its natural size (library markers).
inline constexpr double kNaturalSize = -1.0;
// Symbol colours that mean "not set".
inline constexpr uint32_t kUnsetColour = 0xFFFFFFFFu;

class SYMBOLHOST_API CharMarkerSymbol final : public MarkerBase<IGIS_CharMarkerSymbol> {
public:
    CharMarkerSymbol() : MarkerBase(kDefaultMarkerSize) {}
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeCharMarker; }
    IGIS_CharMarkerSymbol* GetCharMarkerSymbol() noexcept override { return this; }

    const uint32_t* GetColor() const noexcept override { return &color_; }
    const int32_t* GetTransparency() const noexcept override { return &transparency_; }
    const int32_t* GetCharacterCode() const noexcept override { return &code_; }
    const char* GetFontName() const noexcept override { return fontName_.c_str(); }
    const double* GetFontSize() const noexcept override { return &fontSize_; }

    void SetColor(uint32_t color) { color_ = color; }
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetCharacterCode(int32_t code) { code_ = code; }
    void SetFontName(std::string family) { fontName_ = std::move(family); }
    void SetFontSize(double mm) { fontSize_ = mm; }

private:
    uint32_t color_ = 0x000000;
    int32_t transparency_ = 0;
    int32_t code_ = 'A';
    std::string fontName_ = "DejaVu Sans";
    double fontSize_ = kDefaultMarkerSize;
};

class SYMBOLHOST_API PictureMarkerSymbol final : public MarkerBase<IGIS_PictureMarkerSymbol> {
public:
    PictureMarkerSymbol() : MarkerBase(kDefaultMarkerSize) {}
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypePictureMarker; }
    IGIS_PictureMarkerSymbol* GetPictureMarkerSymbol() noexcept override { return this; }

    uint32_t GetImageId() const noexcept override { return imageId_; }
    void SetImageId(uint32_t id) { imageId_ = id; }

private:
    uint32_t imageId_ = 0;
};

class SYMBOLHOST_API LibMarkerSymbol final : public MarkerBase<IGIS_LibMarkerSymbol> {
public:
    LibMarkerSymbol() : MarkerBase(kNaturalSize) {}
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeLibMarker; }
    IGIS_LibMarkerSymbol* GetLibMarkerSymbol() noexcept override { return this; }

    const SymbolHalo* GetHalo() const noexcept override { return &halo_; }
    uint32_t GetColor() const noexcept override { return color_; }
    int32_t GetTransparency() const noexcept override { return transparency_; }
    const bool* GetFlipVertical() const noexcept override { return GetFlipY(); }
    const bool* GetFlipHorizontal() const noexcept override { return GetFlipX(); }
    const double* GetMarkerHeight() const noexcept override { return GetHeight(); }
    const double* GetOffsetX() const noexcept override { return GetXOffset(); }
    const double* GetOffsetY() const noexcept override { return GetYOffset(); }
    const double* GetMarkerWidth() const noexcept override { return GetWidth(); }
    void GetExtent(double* extent) const noexcept override;
    const double* GetLineWidth() const noexcept override { return &lineWidth_; }
    const int32_t* GetDashStyle() const noexcept override { return &dashStyle_; }
    const uint32_t* GetSecondaryColor() const noexcept override { return &secondaryColor_; }
    const uint32_t* GetBackgroundColor() const noexcept override { return &backgroundColor_; }
    const int32_t* GetBackgroundTransparency() const noexcept override { return &backgroundTransparency_; }
    const bool* GetFillBackground() const noexcept override { return &fillBackground_; }
    const int32_t* GetBoundsMode() const noexcept override { return &boundsMode_; }
    const BoxText* GetText(const int32_t* index) const noexcept override;
    // Label and box texts are kept as documents give them, in UTF-8, and answered in the library's
    // code page (see host/text_symbols.h).
    const MarkerLabel* GetLabel() const noexcept override;
    const bool* GetShowSecondary() const noexcept override { return &showSecondary_; }
    const uint32_t* GetResourceCode() const noexcept override { return &resourceCode_; }
    const bool* GetAnchorAtCenter() const noexcept override { return &anchorAtCenter_; }
    const uint32_t* GetFillColor() const noexcept override { return &fillColor_; }
    const int32_t* GetFillTransparency() const noexcept override { return &fillTransparency_; }
    const bool* GetUseFill() const noexcept override { return &useFill_; }
    bool GetLeaderOffset(double* dx, double* dy) const noexcept override;
    int32_t GetLeaderStyle() const noexcept override { return leaderStyle_; }
    const double* GetSecondaryLineWidth() const noexcept override { return &secondaryLineWidth_; }

    void SetHalo(const SymbolHalo& halo) { halo_ = halo; }
    void SetColor(uint32_t color) noexcept override { color_ = color; }  // kUnsetColour: the elements' own
    void SetTransparency(int32_t percent) noexcept override { transparency_ = percent; }
    // x1, x2, y1, y2 in millimetres about the anchor.
    void SetExtent(double x1, double x2, double y1, double y2) { extent_ = {x1, x2, y1, y2}; }
    void SetLineWidth(double mm) { lineWidth_ = mm; }
    void SetDashStyle(int32_t style) { dashStyle_ = style; }
    void SetSecondaryColor(uint32_t color) { secondaryColor_ = color; }
    void SetBackgroundColor(uint32_t color) { backgroundColor_ = color; }
    void SetBackgroundTransparency(int32_t percent) { backgroundTransparency_ = percent; }
    void SetFillBackground(bool fill) { fillBackground_ = fill; }
    void SetBoundsMode(int32_t mode) { boundsMode_ = mode; }
    void SetTexts(std::vector<BoxText> texts) { texts_ = std::move(texts); }
    // As stored, in UTF-8.
    const std::vector<BoxText>& Texts() const { return texts_; }
    const MarkerLabel& StoredLabel() const { return *label_; }
    void SetLabel(const MarkerLabel& label);
    void SetShowSecondary(bool show) { showSecondary_ = show; }
    void SetResourceCode(uint32_t code) { resourceCode_ = code; }
    void SetAnchorAtCenter(bool centre) { anchorAtCenter_ = centre; }
    void SetFillColor(uint32_t color) { fillColor_ = color; }
    void SetFillTransparency(int32_t percent) { fillTransparency_ = percent; }
    void SetUseFill(bool use) noexcept override { useFill_ = use; }
    void SetLeader(double dx, double dy, int32_t style);
    void ClearLeader() { hasLeader_ = false; }
    void SetSecondaryLineWidth(double mm) { secondaryLineWidth_ = mm; }

    // The resource drawn instead of looking GetResourceCode up in the store; shared, never
    // changed, so copies of the symbol draw the same one. Null draws the store's.
    void SetEmbeddedResource(std::shared_ptr<VectorSymbolResource> resource) {
        resource_ = std::move(resource);
    }
    // The same with a resource the caller keeps alive while this symbol (or a copy) draws it.
    void AttachResource(VectorSymbolResource* resource);
    VectorSymbolResource* EmbeddedResource() const { return resource_.get(); }

    // Set by a marker line on the marker it draws with. The flags and the option are kept for the
    // symbol model and do not change the drawing; any library marker can take a fill colour.
    void SetFirstMarkerFlag(bool flag) noexcept override { firstFlag_ = flag; }
    void SetSecondMarkerFlag(bool flag) noexcept override { secondFlag_ = flag; }
    void SetMarkerOption(const int32_t* option) noexcept override { option_ = option ? *option : 0; }
    // Only a code the host's vector resource store knows can be used.
    bool SetResourceCode(const uint32_t* code) noexcept override;
    void SetFillValue(const uint32_t* colour) noexcept override {
        fillColor_ = colour ? *colour : kUnsetColour;
    }
    bool CanFill() const noexcept override { return true; }
    bool FirstMarkerFlag() const { return firstFlag_; }
    bool SecondMarkerFlag() const { return secondFlag_; }
    int32_t MarkerOption() const { return option_; }

private:
    static std::shared_ptr<const MarkerLabel> NoLabel();

    SymbolHalo halo_{0.0, 0xFFFFFF, false};
    uint32_t color_ = kUnsetColour;
    int32_t transparency_ = 0;
    std::array<double, 4> extent_{};
    double lineWidth_ = -1.0;  // every element keeps its own width
    int32_t dashStyle_ = -1;   // every element keeps its own dashes
    uint32_t secondaryColor_ = kUnsetColour;
    uint32_t backgroundColor_ = 0xFFFFFF;
    int32_t backgroundTransparency_ = 0;
    bool fillBackground_ = false;
    int32_t boundsMode_ = LibMarkerBoundsExtent;
    std::vector<BoxText> texts_;
    // Two kilobytes of text, held apart and shared until changed, so that making and copying
    // symbols stays cheap; every new symbol shares one hidden, empty label.
    std::shared_ptr<const MarkerLabel> label_ = NoLabel();
    // The last answers of GetLabel and GetText for texts beyond ASCII.
    mutable std::shared_ptr<MarkerLabel> encodedLabel_;
    mutable std::shared_ptr<BoxText> encodedText_;
    bool showSecondary_ = false;
    uint32_t resourceCode_ = 0;
    bool anchorAtCenter_ = false;
    uint32_t fillColor_ = kUnsetColour;
    int32_t fillTransparency_ = 0;
    bool useFill_ = false;
    bool hasLeader_ = false;
    double leaderDx_ = 0.0;
    double leaderDy_ = 0.0;
    int32_t leaderStyle_ = 0;
    double secondaryLineWidth_ = -1.0;
    std::shared_ptr<VectorSymbolResource> resource_;
    bool firstFlag_ = false;
    bool secondFlag_ = false;
    int32_t option_ = 0;
};

// Members are held (shared with clones) and drawn in the order they were added, each over the ones
// before it.
class SYMBOLHOST_API CompoundMarkerSymbol final : public MarkerBase<IGIS_CompoundMarkerSymbol> {
public:
    // A 10 mm stack over a 10 mm design box centred on the anchor, so member offsets are
    // millimetres from the feature point.
    CompoundMarkerSymbol();
    CompoundMarkerSymbol(const CompoundMarkerSymbol& other);
    CompoundMarkerSymbol& operator=(const CompoundMarkerSymbol&) = delete;
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeCompoundMarker; }
    IGIS_CompoundMarkerSymbol* GetCompoundMarkerSymbol() noexcept override { return this; }

    int32_t GetMarkerCount() const noexcept override { return static_cast<int32_t>(members_.size()); }
    IGIS_MarkerSymbol* GetMarker(const int32_t* index) noexcept override;
    bool IsMarkerVisible(const int32_t* index) const noexcept override;
    void GetAnchorPoint(double* x, double* y) const noexcept override;
    void GetExtent(double* extent) const noexcept override;

    // Takes ownership of `marker`; a symbol that is not a marker is released and false returned.
    bool AddMarker(IGIS_Symbol* marker, bool visible = true);
    void SetMarkerVisible(int32_t index, bool visible);
    void SetAnchorPoint(double x, double y) { anchor_ = {x, y}; }
    // e0, e1 horizontally and e2, e3 vertically, in either order.
    void SetExtent(double e0, double e1, double e2, double e3) { extent_ = {e0, e1, e2, e3}; }

private:
    struct Member {
        SymbolPtr<IGIS_MarkerSymbol> marker;
        bool visible = true;
    };
    std::vector<Member> members_;
    std::array<double, 2> anchor_{};
    std::array<double, 4> extent_;
};

}  // namespace symbolhost
