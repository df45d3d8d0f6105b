// What the text symbolizers share: the caps on what a text may ask for, the conversion of the
// symbol library's 8-bit texts for the graphics layer, the style bits and the text colour rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "contracts/symbol/limits.h"
#include "symbolize/symbolize.h"

namespace Pictor {
class Font;
}

namespace symbolize {

// Bytes of one text. Map names and box texts are a few dozen; a text longer than this is a
// corrupt symbol, and in UTF-8 it stays below what the graphics layer takes in one call.
inline constexpr size_t kMaxTextBytes = 16384;
// Lines of a text box: each is shaped and measured on its own, so this bounds the work per box.
inline constexpr size_t kMaxTextLines = SymbolLimits::kMaxTextLines;
// Em size of a font in drawing units. A 1000 mm font at 100 units per mm and a size ratio of 10
// stays below it; anything larger would only draw far outside any canvas.
inline constexpr double kMaxFontSizeUnits = 1.0e6;

// `bytes` (zero-terminated, the library's code page) in UTF-8, or nothing when it is longer than
// kMaxTextBytes: that is logged at level 2 under `function`, with `what` naming the text.
std::optional<std::string> LayerText(const char* bytes, const char* function, const char* what);
std::optional<std::string> LayerText(std::string_view bytes, const char* function, const char* what);

// Whether a font's em size can be drawn; one beyond kMaxFontSizeUnits is logged at level 2.
bool UsableFontSize(double size, const char* function);

// A font of `family` (UTF-8) at `size` drawing units; a family the graphics layer cannot load is
// replaced by "宋体" at the same size, which our font configuration maps to the installed CJK
// family. Throws std::bad_alloc only.
std::unique_ptr<Pictor::Font> MakeTextFont(const std::string& family, double size);

// Sets the font's style from TextStyleFlag bits (italic 1, bold 2, underline 4, strike-out 8).
void ApplyTextStyle(Pictor::Font* font, int32_t flags);

// The text colour: the call's override colour with its own top byte as alpha, else the symbol's
// colour with the rounded alpha of its transparency. Colour tables do not apply to text.
uint32_t TextColour(const SymbolizeInfo* info, uint32_t colour, int32_t transparency);

}  // namespace symbolize
