// "compoundFill": member fills drawn one over another inside the same polygon, e.g. a colour
// under a hatch.
#include "contracts/symbol/fill.h"
#include "host/document/kind.h"
#include "host/fill_symbols.h"

namespace symbolhost::document {
namespace {

IGIS_CompoundFillSymbol& View(IGIS_Symbol& s) { return *s.GetCompoundFillSymbol(); }
// Setters only reach symbols this kind's `make` created.
CompoundFillSymbol& Edit(IGIS_Symbol& s) { return static_cast<CompoundFillSymbol&>(s); }

MemberStack Fills() {
    return {
        [](IGIS_Symbol& s) { return View(s).GetLayerCount(); },
        [](IGIS_Symbol& s, int32_t i) { return View(s).GetLayer(&i); },
        [](IGIS_Symbol& s, int32_t i) { return View(s).IsLayerVisible(&i); },
        [](IGIS_Symbol& s, IGIS_Symbol* copy) { Edit(s).AddLayer(copy); },
        [](IGIS_Symbol& s, int32_t i) { Edit(s).SetLayerVisible(i, false); },
    };
}

Kind Make() {
    Kind kind;
    kind.name = "compoundFill";
    kind.type = SymbolTypeCompoundFill;
    kind.shape = Shape::Fill;
    kind.summary = "fill symbols of any kind drawn one over another inside the same polygon";
    kind.make = [] { return SymbolPtr<>(new CompoundFillSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetCompoundFillSymbol() != nullptr; };
    kind.properties = MemberStackProperties(
        "fills", "hidden", Shape::Fill,
        "the members, names or inline fills, each drawn over the ones before with its own outline", Fills());
    return kind;
}

}  // namespace

const Kind& CompoundFillKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
