// "markerFill": a polygon covered with copies of a marker symbol on a grid, on its corners or at
// one inside point, then outlined by a line symbol.
#include "contracts/symbol/fill.h"
#include "host/document/kind.h"

namespace symbolhost::document {
namespace {

// Gaps of a map symbol are a few millimetres; a metre is far beyond any of them.
constexpr Range kSeparation{0.0, 1000.0, "mm"};
// Offsets shift the grid either way.
constexpr Range kOffset{-1000.0, 1000.0, "mm"};

IGIS_MarkerFillSymbol& View(IGIS_Symbol& s) { return *s.GetMarkerFillSymbol(); }
// Setters only reach symbols this kind's `make` created.
MarkerFillSymbol& Edit(IGIS_Symbol& s) { return static_cast<MarkerFillSymbol&>(s); }

// The fill keeps its own copy of its marker.
void SetMarker(IGIS_Symbol& s, IGIS_Symbol* member) { Edit(s).SetMarker(Share(member)); }

Kind Make() {
    Kind kind;
    kind.name = "markerFill";
    kind.type = SymbolTypeMarkerFill;
    kind.shape = Shape::Fill;
    kind.summary = "a polygon covered with markers on a grid, on its corners or at one inside point";
    kind.make = [] { return SymbolPtr<>(new MarkerFillSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetMarkerFillSymbol() != nullptr; };
    kind.properties = {
        SymbolProperty(
            "marker", Shape::Marker,
            "the marker drawn, spaced by its extent (a library marker's `extent`); null draws the outline "
            "only",
            [](IGIS_Symbol& s) -> IGIS_Symbol* { return View(s).GetMarkerSymbol(); }, SetMarker),
        ChoiceProperty(
            "placement", MarkerFillStaggered,
            {{"staggered", MarkerFillStaggered},
             {"vertices", MarkerFillVertices},
             {"grid", MarkerFillGrid},
             {"jittered", MarkerFillJittered},
             {"interior", MarkerFillInterior}},
            "a grid with every other row shifted half a cell, the ring's corners, a plain grid, a grid "
            "moved at random (up to 0.19 of a cell; settings.jitterSeed repeats it), or one inside point",
            [](IGIS_Symbol& s) { return *View(s).GetFillType(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetFillType(v); }),
        NumberProperty(
            "separationX", 2.0, kSeparation,
            "gap between markers across; a cell is the marker's width plus it",
            [](IGIS_Symbol& s) { return *View(s).GetSeparationX(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetSeparation(v, *View(s).GetSeparationY()); }),
        NumberProperty(
            "separationY", 2.0, kSeparation, "gap between rows; a cell is the marker's height plus it",
            [](IGIS_Symbol& s) { return *View(s).GetSeparationY(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetSeparation(*View(s).GetSeparationX(), v); }),
        NumberProperty(
            "offsetX", 0.0, kOffset, "shifts the grid along x, modulo a cell",
            [](IGIS_Symbol& s) { return *View(s).GetOffsetX(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetOffset(v, *View(s).GetOffsetY()); }),
        NumberProperty(
            "offsetY", 0.0, kOffset, "shifts the grid along y, modulo a cell",
            [](IGIS_Symbol& s) { return *View(s).GetOffsetY(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetOffset(*View(s).GetOffsetX(), v); }),
    };
    for (Property& p : FillOutlineProperties<MarkerFillSymbol>()) kind.properties.push_back(std::move(p));
    return kind;
}

}  // namespace

const Kind& MarkerFillKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
