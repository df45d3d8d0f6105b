// "simpleLine": one stroke with an optional halo underneath, dashes, joins, caps and smoothing.
#include "contracts/symbol/limits.h"
#include "host/document/kind.h"

namespace symbolhost::document {
namespace {

// Widths and dashes of a map symbol are a few millimetres; a metre is far beyond any of them.
constexpr Range kMillimetres{0.0, 1000.0, "mm"};
// A dash pattern alternates a handful of dashes and gaps; the pen keeps this many.
constexpr size_t kMaxDashes = SymbolLimits::kMaxDashEntries;

const IGIS_SimpleLineSymbol& View(IGIS_Symbol& s) { return *s.GetSimpleLineSymbol(); }
// Setters only reach symbols this kind's `make` created.
SimpleLineSymbol& Edit(IGIS_Symbol& s) { return static_cast<SimpleLineSymbol&>(s); }
using Rows = SharedRows<View, SimpleLineSymbol>;

std::vector<double> Dashes(IGIS_Symbol& s) {
    double* pattern = nullptr;
    int32_t count = 0;
    View(s).GetDashPattern(&pattern, &count);
    std::vector<double> dashes(pattern, pattern + (pattern ? count : 0));
    delete[] pattern;
    return dashes;
}

// A pattern the pen cannot take (none, or a zero-length dash or gap) would draw the line solid.
std::optional<Fault> CheckDashes(IGIS_Symbol& s) {
    const std::vector<double> dashes = Dashes(s);
    const bool custom = *View(s).GetLineStyle() == SimpleLineStyleCustom;
    if (custom && dashes.empty()) return Fault{"dashPattern", "a \"dashPattern\" for style \"custom\""};
    if (!custom && !dashes.empty()) {
        return Fault{"dashPattern", "a \"dashPattern\" only with style \"custom\", which draws it"};
    }
    for (const double d : dashes) {
        if (!(d > 0.0)) return Fault{"dashPattern", "dash and gap lengths above 0 mm"};
    }
    return std::nullopt;
}

Kind Make() {
    Kind kind;
    kind.name = "simpleLine";
    kind.type = SymbolTypeSimpleLine;
    kind.shape = Shape::Line;
    kind.summary = "one stroke, with an optional halo underneath, dashes, joins, caps and smoothing";
    kind.make = [] { return SymbolPtr<>(new SimpleLineSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetSimpleLineSymbol() != nullptr; };
    kind.properties = {
        Rows::Colour(0x000000, "stroke colour"),
        Rows::Transparency(),
        Rows::Width(0.26, "stroke width; 0 draws only the halo"),
        ChoiceProperty(
            "style", SimpleLineStyleSolid,
            {{"solid", SimpleLineStyleSolid},
             {"dash", SimpleLineStyleDash},
             {"dot", SimpleLineStyleDot},
             {"dashDot", SimpleLineStyleDashDot},
             {"dashDotDot", SimpleLineStyleDashDotDot},
             {"custom", SimpleLineStyleCustom},
             {"none", SimpleLineStyleNone}},
            "dashes; \"custom\" takes dashPattern, \"none\" draws nothing, not even the halo",
            [](IGIS_Symbol& s) { return *View(s).GetLineStyle(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetLineStyle(v); }),
        NumbersProperty("dashPattern", kMillimetres, kMaxDashes,
                        "dash, gap, dash, gap... for style \"custom\"", Dashes,
                        [](IGIS_Symbol& s, const std::vector<double>& v) { Edit(s).SetDashPattern(v); }),
        ChoiceProperty(
            "join", 2, {{"miter", 0}, {"bevel", 1}, {"round", 2}}, "corners",
            [](IGIS_Symbol& s) { return *View(s).GetLineJoin(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetLineJoin(v); }),
        ChoiceProperty(
            "cap", 2, {{"flat", 0}, {"square", 1}, {"round", 2}}, "ends, and the ends of every dash",
            [](IGIS_Symbol& s) { return *View(s).GetLineCap(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetLineCap(v); }),
        BooleanProperty(
            "smooth", false, "draw the points as a smooth curve",
            [](IGIS_Symbol& s) { return *View(s).IsSmooth(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetSmooth(v); }),
        Rows::Halo("a glow under the line, wider by its size on each side, always opaque"),
    };
    kind.check = CheckDashes;
    return kind;
}

}  // namespace

const Kind& SimpleLineKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
