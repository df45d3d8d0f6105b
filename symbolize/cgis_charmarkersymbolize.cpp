#include "symbolize/cgis_charmarkersymbolize.h"

#include <cmath>
#include <optional>

#include "contracts/pictor/font.h"
#include "contracts/pictor/graphics.h"
#include "contracts/symbol/marker.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/marker_codepage.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"

namespace {

constexpr const char* kSymbolize = "CGIS_CharMarkerSymbolize::Symbolize";

// Sizes and glyph bounds compare with this margin; -1 is an unset width or height.
constexpr double kTolerance = 0.0001;
constexpr double kUnsetSize = -1.0;

// Character codes are one byte of the library's code page, blank and controls excluded.
constexpr int32_t kFirstCode = 33;
constexpr int32_t kLastCode = 255;
// Symbol fonts (those with a symbol-encoded character map) keep their glyphs at U+F000 plus the
// byte, which is where systems with such fonts send a byte the font has no character for.
constexpr char32_t kSymbolFontBase = 0xF000;

using symbolize::ValueOr;

}  // namespace

void CGIS_CharMarkerSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                         const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr || count == nullptr || *count != 1) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "Input Error");
        return;
    }
    const IGIS_CharMarkerSymbol* marker = symbol->GetCharMarkerSymbol();
    if (marker == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "CharMarkerSymbol Pointer Is NuLL");
        return;
    }
    const char* fontName = marker->GetFontName();
    if (fontName == nullptr || fontName[0] == '\0') {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "sz_font== ");
        return;
    }
    const double fontSize = ValueOr(marker->GetFontSize(), 0.0);
    if (std::abs(fontSize) < kTolerance) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "d_fontsize==0");
        return;
    }
    symbolize::GuardMemory(kSymbolize, [&] {
        // The font size follows the scale only, not the size ratio: the outline is stretched to the
        // marker's size anyway, so the size only sets the precision the glyph is taken at.
        const Pictor::Font font(fontName, static_cast<float>(fontSize * info->scale),
                                Pictor::FontStyleRegular, Pictor::UnitWorld);
        const int32_t code = ValueOr(marker->GetCharacterCode(), 0);
        if (code < kFirstCode || code > kLastCode) {
            SYMBOLIZE_LOG(LogLevelError, kSymbolize, "sz_char[0]<33 || sz_char[0]>255");
            return;
        }
        if (font.GetLastStatus() == Pictor::FontFamilyNotFound) {
            SYMBOLIZE_LOG(LogLevelError, kSymbolize, "font [%.256s] is not installed", fontName);
            return;
        }
        char32_t codePoint = 0;
        if (!ChooseCodePoint(font, code, &codePoint) || info->graphics == nullptr) return;

        Pictor::GraphicsPath path;
        path.SetFillMode(Pictor::FillModeWinding);
        path.AddCharacterFont(codePoint, &font, Pictor::PointD(0, 0));
        Pictor::RectD bounds;
        path.GetBounds(&bounds, nullptr, nullptr);
        // A glyph without ink (or an outline the font could not give) has nothing to stretch.
        if (!(bounds.width >= kTolerance && bounds.height >= kTolerance)) return;

        Pictor::Matrix matrix;
        if (!GetMarkerTransform(&matrix, marker, info, points[0], bounds)) return;
        path.Transform(&matrix);

        // The override colour does not apply to character markers.
        const uint32_t colour =
            symbolize::MapSymbolColour(info->colorTable, ValueOr<uint32_t>(marker->GetColor(), 0));
        const uint32_t alpha = symbolize::TruncatedAlpha(ValueOr<int32_t>(marker->GetTransparency(), 0));
        const Pictor::SolidBrush brush(Pictor::Color(symbolize::WithAlpha(alpha, colour)));
        info->graphics->FillPath(&brush, &path, 0);
    });
}

bool CGIS_CharMarkerSymbolize::ChooseCodePoint(const Pictor::Font& font, int32_t code,
                                               char32_t* codePoint) const {
    const symbolize::MarkerCodePage page = symbolize::ReadMarkerCodePage();
    const std::optional<char32_t> character =
        symbolize::SingleByteCharacter(static_cast<uint8_t>(code), page);
    if (character && font.HasGlyph(*character)) {
        *codePoint = *character;
        return true;
    }
    const char32_t symbolCode = kSymbolFontBase + static_cast<char32_t>(code);
    if (font.HasGlyph(symbolCode)) {
        *codePoint = symbolCode;
        return true;
    }
    if (character) {
        // A fallback font may still have the character.
        *codePoint = *character;
        return true;
    }
    SYMBOLIZE_LOG(LogLevelError, "CGIS_CharMarkerSymbolize::Symbolize",
                  "sz_char[0]=%d is no character of code page 936 and [%.256s] is no symbol font", code,
                  font.GetFamily().c_str());
    return false;
}

bool CGIS_CharMarkerSymbolize::GetMarkerTransform(Pictor::Matrix* matrix, const IGIS_CharMarkerSymbol* marker,
                                                  const SymbolizeInfo* info, const Pictor::PointD& point,
                                                  const Pictor::RectD& bounds) const {
    const double width = ValueOr(marker->GetWidth(), kUnsetSize);
    const double height = ValueOr(marker->GetHeight(), kUnsetSize);
    if (std::abs(kUnsetSize - width) < kTolerance || std::abs(kUnsetSize - height) < kTolerance) return false;
    const double k = symbolize::SizeScale(info);

    CGIS_SymbolMatrix m;
    // The glyph's bounds become the marker's width by height, about the outline's origin.
    m.ScaleAt(width / bounds.width * k, height / bounds.height * k, 0.0, 0.0, true);
    if (ValueOr(marker->GetFlipY(), false)) m.FlipYAt(0.0);
    if (ValueOr(marker->GetFlipX(), false)) m.FlipX(0.0);
    if (info->yUp) m.FlipY();
    const double angle = ValueOr(marker->GetAngle(), 0.0) + info->rotation;
    m.RotateAt(info->yUp ? -angle : angle, 0.0, 0.0, true);
    // Offsets use the scale but not the size ratio, and move up on the screen whatever yUp is.
    m.Translate(point.x + info->scale * ValueOr(marker->GetXOffset(), 0.0),
                point.y - info->scale * ValueOr(marker->GetYOffset(), 0.0), true);
    return m.ToPictor(matrix);
}
