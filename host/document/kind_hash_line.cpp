// "hashLine": short strokes laid across the line at a fixed interval, like railway ties.
#include "host/document/kind.h"
#include "host/line_symbols.h"

namespace symbolhost::document {
namespace {

// Lengths of a map symbol are a few millimetres; a metre is far beyond any of them.
constexpr Range kMillimetres{0.0, 1000.0, "mm"};
// Offsets shift either way of the line.
constexpr Range kShift{-1000.0, 1000.0, "mm"};

IGIS_HashLineSymbol& View(IGIS_Symbol& s) { return *s.GetHashLineSymbol(); }
// Setters only reach symbols this kind's `make` created.
HashLineSymbol& Edit(IGIS_Symbol& s) { return static_cast<HashLineSymbol&>(s); }
using Rows = SharedRows<View, HashLineSymbol>;

Kind Make() {
    Kind kind;
    kind.name = "hashLine";
    kind.type = SymbolTypeHashLine;
    kind.shape = Shape::Line;
    kind.summary = "short strokes across the line at a fixed interval, such as railway ties";
    kind.make = [] { return SymbolPtr<>(new HashLineSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetHashLineSymbol() != nullptr; };
    kind.properties = {
        Rows::Colour(0x000000, "stroke colour"),
        Rows::Transparency(),
        Rows::Width(0.26, "thickness of each stroke"),
        NumberProperty(
            "length", 2.0, kMillimetres, "length of each stroke, across the line",
            [](IGIS_Symbol& s) { return *View(s).GetHashLength(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetHashLength(v); }),
        NumberProperty(
            "interval", 2.0, kMillimetres, "distance between strokes",
            [](IGIS_Symbol& s) { return *View(s).GetHashInterval(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetHashInterval(v); }),
        NumberProperty(
            "startOffset", 0.0, kMillimetres, "line left bare before the first stroke",
            [](IGIS_Symbol& s) { return *View(s).GetStartOffset(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetStartOffset(v); }),
        NumberProperty(
            "offset", 0.0, kShift, "sideways shift of the strokes, positive to the left of travel",
            [](IGIS_Symbol& s) { return *View(s).GetOffset(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetOffset(v); }),
        ChoiceProperty(
            "cap", 0, {{"flat", 0}, {"square", 1}, {"round", 2}}, "ends of each stroke",
            [](IGIS_Symbol& s) { return *View(s).GetLineCap(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetLineCap(v); }),
    };
    return kind;
}

}  // namespace

const Kind& HashLineKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
