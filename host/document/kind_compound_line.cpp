// "compoundLine": member symbols drawn one after another along the same points, e.g. a road
// casing under its centre.
#include "host/document/kind.h"
#include "host/line_symbols.h"

namespace symbolhost::document {
namespace {

IGIS_CompoundLineSymbol& View(IGIS_Symbol& s) { return *s.GetCompoundLineSymbol(); }
// Setters only reach symbols this kind's `make` created.
CompoundLineSymbol& Edit(IGIS_Symbol& s) { return static_cast<CompoundLineSymbol&>(s); }

MemberStack Lines() {
    return {
        [](IGIS_Symbol& s) { return View(s).GetLineCount(); },
        [](IGIS_Symbol& s, int32_t i) { return View(s).GetLine(&i); },
        [](IGIS_Symbol& s, int32_t i) { return View(s).IsLineEnabled(&i); },
        [](IGIS_Symbol& s, IGIS_Symbol* copy) { Edit(s).AddLine(copy); },
        [](IGIS_Symbol& s, int32_t i) { Edit(s).SetLineEnabled(i, false); },
    };
}

Kind Make() {
    Kind kind;
    kind.name = "compoundLine";
    kind.type = SymbolTypeCompoundLine;
    kind.shape = Shape::Line;
    kind.summary = "line symbols of any kind drawn one over another along the same points";
    kind.make = [] { return SymbolPtr<>(new CompoundLineSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetCompoundLineSymbol() != nullptr; };
    kind.properties =
        MemberStackProperties("lines", "disabled", Shape::Line,
                              "the members, names or inline lines, each drawn over the ones before", Lines());
    return kind;
}

}  // namespace

const Kind& CompoundLineKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
