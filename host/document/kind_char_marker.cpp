// "charMarker": one character of a font, stretched to the marker's size.
#include "contracts/pictor/font.h"
#include "contracts/symbol/marker.h"
#include "host/document/kind.h"
#include "host/marker_symbols.h"

namespace symbolhost::document {
namespace {

// Codes are single bytes of the symbol library's code page; below 33 are controls and space.
constexpr Range kCharacterCode{33.0, 255.0, ""};
constexpr Range kFontSize{0.0, 1000.0, "mm"};

const IGIS_CharMarkerSymbol& View(IGIS_Symbol& s) { return *s.GetCharMarkerSymbol(); }
// Setters only reach symbols this kind's `make` created.
CharMarkerSymbol& Edit(IGIS_Symbol& s) { return static_cast<CharMarkerSymbol&>(s); }
using Rows = SharedRows<View, CharMarkerSymbol>;

// The library draws a character marker only in its own font: one that is not installed draws
// nothing, where texts fall back to another family.
std::optional<Fault> CheckFont(IGIS_Symbol& s) {
    const std::string family = View(s).GetFontName();
    if (Pictor::Font::IsFamilyAvailable(family)) return std::nullopt;
    return Fault{"font", "an installed font family, found \"" + family + "\", which is not"};
}

Kind Make() {
    Kind kind;
    kind.name = "charMarker";
    kind.type = SymbolTypeCharMarker;
    kind.shape = Shape::Marker;
    // The glyph's origin, not its middle, goes on the point: stored symbols rely on it.
    kind.summary =
        "one character of a font, such as a star or a cross, placed with the glyph's origin (the left "
        "end of its baseline, the glyph's box stretched to width x height about it) on the point, not "
        "centred: xOffset and yOffset move it onto the point";
    kind.make = [] { return SymbolPtr<>(new CharMarkerSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetCharMarkerSymbol() != nullptr; };
    kind.properties = {
        IntegerProperty(
            "code", 'A', kCharacterCode, "the character, a byte of the library's code page (Windows-1252)",
            [](IGIS_Symbol& s) { return *View(s).GetCharacterCode(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetCharacterCode(v); }),
        TextProperty(
            "font", "DejaVu Sans", "the installed font family the character is taken from",
            [](IGIS_Symbol& s) { return std::string(View(s).GetFontName()); },
            [](IGIS_Symbol& s, const std::string& v) { Edit(s).SetFontName(v); }),
        NumberProperty(
            "fontSize", kDefaultMarkerSize, kFontSize, "size the glyph is laid out at before stretching",
            [](IGIS_Symbol& s) { return *View(s).GetFontSize(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetFontSize(v); }),
        Rows::Colour(0x000000, "of the character"),
        Rows::Transparency(),
    };
    for (Property& p : MarkerPlacementProperties(kDefaultMarkerSize, 0.0))
        kind.properties.push_back(std::move(p));
    kind.check = CheckFont;
    return kind;
}

}  // namespace

const Kind& CharMarkerKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
