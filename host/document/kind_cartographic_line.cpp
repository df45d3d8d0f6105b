// "cartographicLine": one stroke shifted sideways, with a dash template, a bare start and joins.
#include "contracts/symbol/limits.h"
#include "host/document/kind.h"
#include "host/line_symbols.h"

namespace symbolhost::document {
namespace {

// Widths and dashes of a map symbol are a few millimetres; a metre is far beyond any of them.
constexpr Range kMillimetres{0.0, 1000.0, "mm"};
// Offsets shift either way of the line.
constexpr Range kShift{-1000.0, 1000.0, "mm"};
// A dash template alternates a handful of dashes and gaps; the pen keeps this many.
constexpr size_t kMaxDashes = SymbolLimits::kMaxDashEntries;

IGIS_CartographicLineSymbol& View(IGIS_Symbol& s) { return *s.GetCartographicLineSymbol(); }
// Setters only reach symbols this kind's `make` created.
CartographicLineSymbol& Edit(IGIS_Symbol& s) { return static_cast<CartographicLineSymbol&>(s); }
using Rows = SharedRows<View, CartographicLineSymbol>;

std::vector<double> Dashes(IGIS_Symbol& s) {
    const double* values = nullptr;
    int32_t count = 0;
    if (!View(s).GetDashArray(&values, &count) || values == nullptr || count <= 0) return {};
    return {values, values + count};
}

// The pen takes no zero-length dash or gap (the line would draw solid); separate dashes walk the
// template period by period, which must move on.
std::optional<Fault> CheckDashes(IGIS_Symbol& s) {
    const std::vector<double> dashes = Dashes(s);
    if (dashes.empty()) return std::nullopt;
    const bool separate = *View(s).GetDrawDashesSeparately();
    double period = 0.0;
    for (const double d : dashes) {
        if (!separate && !(d > 0.0)) {
            return Fault{"dashes", "dash and gap lengths above 0 mm (zero-length dashes need separateDashes)"};
        }
        period += d;
    }
    if (!(period > 0.0)) return Fault{"dashes", "dashes whose lengths add up to more than 0 mm"};
    return std::nullopt;
}

Kind Make() {
    Kind kind;
    kind.name = "cartographicLine";
    kind.type = SymbolTypeCartographicLine;
    kind.shape = Shape::Line;
    kind.summary = "one stroke shifted sideways, with a dash template, a bare start, joins and caps";
    kind.make = [] { return SymbolPtr<>(new CartographicLineSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetCartographicLineSymbol() != nullptr; };
    kind.properties = {
        Rows::Colour(0x000000, "stroke colour"),
        Rows::Transparency(),
        Rows::Width(0.26, "stroke width"),
        NumberProperty(
            "offset", 0.0, kShift, "sideways shift, positive to the left of the direction of travel",
            [](IGIS_Symbol& s) { return *View(s).GetOffset(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetOffset(v); }),
        NumbersProperty("dashes", kMillimetres, kMaxDashes,
                        "dash, gap, dash, gap...; empty draws a solid line", Dashes,
                        [](IGIS_Symbol& s, const std::vector<double>& v) { Edit(s).SetDashArray(v); }),
        BooleanProperty(
            "separateDashes", false, "stroke every dash on its own, each with both caps",
            [](IGIS_Symbol& s) { return *View(s).GetDrawDashesSeparately(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetDrawDashesSeparately(v); }),
        ChoiceProperty(
            "join", CartographicJoinRound,
            {{"miter", CartographicJoinMiter}, {"round", CartographicJoinRound}}, "corners",
            [](IGIS_Symbol& s) { return *View(s).GetLineJoin(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetLineJoin(v); }),
        ChoiceProperty(
            "cap", 0, {{"flat", 0}, {"square", 1}, {"round", 2}}, "ends, and the ends of separate dashes",
            [](IGIS_Symbol& s) { return *View(s).GetLineCap(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetLineCap(v); }),
        NumberProperty(
            "excursion", 0.0, kMillimetres, "length of line left bare at the start",
            [](IGIS_Symbol& s) { return *View(s).GetExcursion(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetExcursion(v); }),
    };
    kind.check = CheckDashes;
    return kind;
}

}  // namespace

const Kind& CartographicLineKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
