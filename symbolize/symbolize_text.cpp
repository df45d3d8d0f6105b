#include "symbolize/symbolize_text.h"

#include <cmath>
#include <cstring>

#include "contracts/pictor/font.h"
#include "contracts/symbol/text.h"
#include "symbolize/marker_codepage.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"

namespace symbolize {

std::optional<std::string> LayerText(const char* bytes, const char* function, const char* what) {
    if (bytes == nullptr) return std::string();
    // Never reads past the cap looking for the terminator.
    return LayerText(std::string_view(bytes, strnlen(bytes, kMaxTextBytes + 1)), function, what);
}

std::optional<std::string> LayerText(std::string_view bytes, const char* function, const char* what) {
    if (bytes.size() > kMaxTextBytes) {
        SYMBOLIZE_LOG(LogLevelError, function, "%s longer than %zu bytes", what, kMaxTextBytes);
        return std::nullopt;
    }
    return DecodeText(bytes, ReadMarkerCodePage());
}

bool UsableFontSize(double size, const char* function) {
    if (std::isfinite(size) && std::abs(size) <= kMaxFontSizeUnits) return true;
    SYMBOLIZE_LOG(LogLevelError, function, "font size %g is beyond %g drawing units", size,
                  kMaxFontSizeUnits);
    return false;
}

std::unique_ptr<Pictor::Font> MakeTextFont(const std::string& family, double size) {
    // Taken when the family cannot be loaded; the CJK family also covers Latin text.
    constexpr const char* kFallbackFamily = "宋体";
    auto font = std::make_unique<Pictor::Font>(family, size, Pictor::FontStyleRegular, Pictor::UnitWorld);
    // The layer answers from a cache for a family it cannot load, exactly where a probe text
    // would come back without outlines.
    if (font->GetLastStatus() == Pictor::FontFamilyNotFound) {
        font = std::make_unique<Pictor::Font>(kFallbackFamily, size, Pictor::FontStyleRegular,
                                              Pictor::UnitWorld);
    }
    return font;
}

void ApplyTextStyle(Pictor::Font* font, int32_t flags) {
    if ((flags & TextStyleItalic) != 0) font->SetItalic(true);
    if ((flags & TextStyleBold) != 0) font->SetBold(true);
    if ((flags & TextStyleUnderline) != 0) font->SetUnderLine(true);
    if ((flags & TextStyleStrikeout) != 0) font->SetStrikeOut(true);
}

uint32_t TextColour(const SymbolizeInfo* info, uint32_t colour, int32_t transparency) {
    if (info->overrideColor) return info->color;
    return WithAlpha(RoundedAlpha(transparency), colour);
}

}  // namespace symbolize
