// Concrete text symbols of the reference host: the text symbol drawn in a layout box and the
// framed text box drawn at a point.
//
// Texts and font names are kept in UTF-8, as documents give them; GetText and GetFontName answer
// them in the symbol library's code page, the host's SYMBOL2_CODEPAGE at the time of the call
// (Windows-1252 unless it names GBK). A character the code page lacks becomes "?".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "contracts/symbol/text.h"
#include "host/host.h"
#include "host/symbols.h"

namespace symbolhost {

// `utf8` in the code page the host's properties name now.
SYMBOLHOST_API std::string EncodeForLibrary(std::string_view utf8);
// The same into a zero-terminated buffer of `capacity` bytes, cut to fit.
SYMBOLHOST_API void EncodeInto(char* to, size_t capacity, const char* utf8);
SYMBOLHOST_API bool IsAscii(std::string_view text);

// A UTF-8 string and its bytes in the library's code page, converted when asked.
class LibraryText {
public:
    LibraryText() = default;
    explicit LibraryText(std::string utf8) : utf8_(std::move(utf8)) {}
    const std::string& Utf8() const { return utf8_; }
    void Set(std::string utf8) {
        utf8_ = std::move(utf8);
        encoded_.clear();
    }
    // Null only when memory runs out.
    const char* Encoded() const noexcept;

private:
    std::string utf8_;
    mutable std::string encoded_;  // the last answer for text beyond ASCII
};

// What both text kinds hold: the text, its font and colour, margins, line gap and angle.
template <typename View>
class TextBase : public SymbolBase<View> {
public:
    uint32_t GetColor() const noexcept override { return color_; }
    int32_t GetTransparency() const noexcept override { return transparency_; }
    const char* GetText() const noexcept override { return text_.Encoded(); }
    const char* GetFontName() const noexcept override { return font_.Encoded(); }
    const double* GetFontSize() const noexcept override { return &fontSize_; }
    const int32_t* GetFontStyle() const noexcept override { return &style_; }
    const double* GetLineGap() const noexcept override { return &lineGap_; }
    const double* GetAngle() const noexcept override { return &angle_; }

    const std::string& Text() const { return text_.Utf8(); }
    const std::string& FontName() const { return font_.Utf8(); }
    const std::array<double, 4>& Margins() const { return margins_; }
    void SetText(std::string utf8) { text_.Set(std::move(utf8)); }
    void SetFontName(std::string utf8) { font_.Set(std::move(utf8)); }
    void SetColor(uint32_t color) { color_ = color; }
    void SetTransparency(int32_t percent) { transparency_ = percent; }
    void SetFontSize(double mm) { fontSize_ = mm; }
    void SetFontStyle(int32_t flags) { style_ = flags; }                 // TextStyleFlag bits
    void SetMargins(const std::array<double, 4>& mm) { margins_ = mm; }  // left, top, right, bottom
    void SetLineGap(double mm) { lineGap_ = mm; }
    void SetAngle(double degrees) { angle_ = degrees; }

protected:
    TextBase(double margin, double lineGap) : margins_{margin, margin, margin, margin}, lineGap_(lineGap) {}
    TextBase(const TextBase&) = default;
    ~TextBase() override = default;

    std::array<double, 4> margins_;

private:
    LibraryText text_{"Text"};  // what a new symbol shows, as documents default it
    LibraryText font_{"DejaVu Sans"};
    uint32_t color_ = 0x000000;
    int32_t transparency_ = 0;
    double fontSize_ = 3.0;
    int32_t style_ = 0;
    double lineGap_;
    double angle_ = 0.0;
};

class SYMBOLHOST_API TextSymbol final : public TextBase<IGIS_TextSymbol> {
public:
    TextSymbol() : TextBase(0.0, 0.0) {}
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeText; }
    IGIS_TextSymbol* GetTextSymbol() noexcept override { return this; }

    bool GetMargins(double* margins) const noexcept override;
    const int32_t* GetAlignment() const noexcept override { return &alignment_; }
    void SetAlignment(int32_t alignment) { alignment_ = alignment; }

private:
    int32_t alignment_ = TextAlignCentre;
};

class SYMBOLHOST_API TextBoxSymbol final : public TextBase<IGIS_TextBoxSymbol> {
public:
    TextBoxSymbol() : TextBase(1.0, 0.5) {}
    IGIS_Symbol* Clone() const noexcept override;
    int32_t GetType() const noexcept override { return SymbolTypeTextBox; }
    IGIS_TextBoxSymbol* GetTextBoxSymbol() noexcept override { return this; }

    const bool* GetKeepAspect() const noexcept override { return &keepAspect_; }
    const double* GetBoxWidth() const noexcept override { return &width_; }
    const double* GetBoxHeight() const noexcept override { return &height_; }
    const bool* GetDrawFrame() const noexcept override { return &drawFrame_; }
    double GetFrameWidth() const noexcept override { return frameWidth_; }
    uint32_t GetFrameColor() const noexcept override { return frameColor_; }
    int32_t GetFrameTransparency() const noexcept override { return frameTransparency_; }
    const double* GetMargins() const noexcept override { return margins_.data(); }
    const uint32_t* GetFillColor() const noexcept override { return &fillColor_; }
    const int32_t* GetFillTransparency() const noexcept override { return &fillTransparency_; }
    const bool* GetDrawFill() const noexcept override { return &drawFill_; }
    int32_t GetFrameDashStyle() const noexcept override { return dashStyle_; }
    double GetStretchX() const noexcept override { return stretchX_; }
    double GetStretchY() const noexcept override { return stretchY_; }

    void SetKeepAspect(bool keep) { keepAspect_ = keep; }
    void SetBoxSize(double width, double height) {
        width_ = width;
        height_ = height;
    }
    void SetBoxWidth(double mm) { width_ = mm; }
    void SetBoxHeight(double mm) { height_ = mm; }
    void SetDrawFrame(bool draw) { drawFrame_ = draw; }
    void SetFrameWidth(double mm) { frameWidth_ = mm; }
    void SetFrameColor(uint32_t color) { frameColor_ = color; }
    void SetFrameTransparency(int32_t percent) { frameTransparency_ = percent; }
    void SetFrameDashStyle(int32_t style) { dashStyle_ = style; }
    void SetFillColor(uint32_t color) { fillColor_ = color; }
    void SetFillTransparency(int32_t percent) { fillTransparency_ = percent; }
    void SetDrawFill(bool draw) { drawFill_ = draw; }
    void SetStretch(double x, double y) {
        stretchX_ = x;
        stretchY_ = y;
    }
    void SetStretchX(double x) { stretchX_ = x; }
    void SetStretchY(double y) { stretchY_ = y; }

private:
    bool keepAspect_ = false;
    double width_ = 20.0;
    double height_ = 6.0;
    bool drawFrame_ = true;
    double frameWidth_ = 0.2;
    uint32_t frameColor_ = 0x000000;
    int32_t frameTransparency_ = 0;
    int32_t dashStyle_ = 0;
    uint32_t fillColor_ = 0xFFFFFF;
    int32_t fillTransparency_ = 0;
    bool drawFill_ = true;
    double stretchX_ = 1.0;
    double stretchY_ = 1.0;
};

}  // namespace symbolhost
