// "lineFill": parallel lines across a polygon, each drawn by a line symbol of any kind.
#include "contracts/symbol/fill.h"
#include "host/document/kind.h"
#include "host/fill_symbols.h"

namespace symbolhost::document {
namespace {

// Lines closer than a hundredth of a millimetre are no hatch a reader can see; a metre apart is
// far beyond any polygon's hatch.
constexpr Range kSeparation{0.01, 1000.0, "mm"};
constexpr Range kAngle{-360.0, 360.0, "degrees"};

IGIS_LineFillSymbol& View(IGIS_Symbol& s) { return *s.GetLineFillSymbol(); }
// Setters only reach symbols this kind's `make` created.
LineFillSymbol& Edit(IGIS_Symbol& s) { return static_cast<LineFillSymbol&>(s); }

Kind Make() {
    Kind kind;
    kind.name = "lineFill";
    kind.type = SymbolTypeLineFill;
    kind.shape = Shape::Fill;
    kind.summary = "parallel lines of any line symbol across the polygon, clipped to it, then the outline";
    kind.make = [] { return SymbolPtr<>(new LineFillSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetLineFillSymbol() != nullptr; };
    kind.properties = {
        SymbolProperty(
            "line", Shape::Line, "the line symbol that draws every hatch line; null draws only the outline",
            [](IGIS_Symbol& s) -> IGIS_Symbol* { return View(s).GetHatchLineSymbol(); },
            [](IGIS_Symbol& s, IGIS_Symbol* member) { Edit(s).SetHatchLine(ShareLine(member)); }),
        NumberProperty(
            "separation", 2.0, kSeparation,
            "distance between neighbouring lines; one that lays out more than 100000 lines over a "
            "polygon draws only its outline, reported",
            [](IGIS_Symbol& s) { return *View(s).GetSeparation(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetSeparation(v); }),
        NumberProperty(
            "angle", 45.0, kAngle, "direction of the lines, turning x toward y; 0 runs along x",
            [](IGIS_Symbol& s) { return *View(s).GetAngle(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetAngle(v); }),
        BooleanProperty(
            "reverseLines", false, "hand every line to the line symbol end first (arrows, offsets)",
            [](IGIS_Symbol& s) { return *View(s).GetReverseLines(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetReverseLines(v); }),
    };
    for (Property& p : FillOutlineProperties<LineFillSymbol>()) kind.properties.push_back(std::move(p));
    return kind;
}

}  // namespace

const Kind& LineFillKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
