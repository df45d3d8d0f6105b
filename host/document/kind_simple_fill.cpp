// "simpleFill": a polygon filled with one colour or a hatch, then outlined by a line symbol.
#include "contracts/symbol/fill.h"
#include "host/document/kind.h"

namespace symbolhost::document {
namespace {

constexpr Range kPercent{0.0, 100.0, "%"};

const IGIS_SimpleFillSymbol& View(IGIS_Symbol& s) { return *s.GetSimpleFillSymbol(); }
// Setters only reach symbols this kind's `make` created.
SimpleFillSymbol& Edit(IGIS_Symbol& s) { return static_cast<SimpleFillSymbol&>(s); }
using Rows = SharedRows<View, SimpleFillSymbol>;

Kind Make() {
    Kind kind;
    kind.name = "simpleFill";
    kind.type = SymbolTypeSimpleFill;
    kind.shape = Shape::Fill;
    kind.summary = "a solid or hatched polygon with an outline drawn by any line symbol";
    kind.make = [] { return SymbolPtr<>(new SimpleFillSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetSimpleFillSymbol() != nullptr; };
    kind.properties = {
        Rows::Colour(0x808080, "fill colour; the hatch lines' colour"),
        Rows::Transparency("of the fill colour: 0 opaque, 100 invisible"),
        ColourProperty(
            "backgroundColor", 0xFFFFFF, "behind the hatch lines",
            [](IGIS_Symbol& s) { return *View(s).GetBackgroundColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetBackgroundColor(v); }),
        IntegerProperty(
            "backgroundTransparency", 100, kPercent,
            "of the background colour; 100 lets the map show between hatch lines",
            [](IGIS_Symbol& s) { return *View(s).GetBackgroundTransparency(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetBackgroundTransparency(v); }),
        ChoiceProperty(
            "style", SimpleFillStyleSolid,
            {{"solid", SimpleFillStyleSolid},
             {"hollow", SimpleFillStyleHollow},
             {"horizontal", SimpleFillStyleHorizontal},
             {"vertical", SimpleFillStyleVertical},
             {"forwardDiagonal", SimpleFillStyleForwardDiagonal},
             {"backwardDiagonal", SimpleFillStyleBackwardDiagonal},
             {"cross", SimpleFillStyleCross},
             {"diagonalCross", SimpleFillStyleDiagonalCross}},
            "solid colour, no fill (\"hollow\"), or a hatch of 8-pixel cells",
            [](IGIS_Symbol& s) { return *View(s).GetStyle(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetStyle(v); }),
    };
    for (Property& p : FillOutlineProperties<SimpleFillSymbol>()) kind.properties.push_back(std::move(p));
    return kind;
}

}  // namespace

const Kind& SimpleFillKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
