// "gradientFill": a polygon filled with a linear gradient between two colours.
#include <cmath>

#include "contracts/symbol/fill.h"
#include "host/document/kind.h"
#include "host/fill_symbols.h"

namespace symbolhost::document {
namespace {

constexpr Range kPercent{0.0, 100.0, "%"};
constexpr Range kAngle{-360.0, 360.0, "degrees"};
constexpr Range kShare{0.0, 1.0, ""};
constexpr size_t kMaxBlend = GradientFillSymbol::kMaxBlendEntries;
// Blend positions must start and end this close to 0 and 1 (decimals written by hand).
constexpr double kEndTolerance = 1e-4;

IGIS_GradientFillSymbol& View(IGIS_Symbol& s) { return *s.GetGradientFillSymbol(); }
// Setters only reach symbols this kind's `make` created.
GradientFillSymbol& Edit(IGIS_Symbol& s) { return static_cast<GradientFillSymbol&>(s); }

// What the drawer can use, else what is expected.
std::optional<Fault> CheckGradient(IGIS_Symbol& s) {
    const std::vector<double>& positions = Edit(s).BlendPositions();
    const std::vector<double>& factors = Edit(s).BlendFactors();
    if (positions.size() != factors.size() || positions.size() < 2) {
        return Fault{"blendFactors", "\"blendPositions\" and \"blendFactors\" of the same length, at least 2"};
    }
    bool rising =
        std::fabs(positions.front()) <= kEndTolerance && std::fabs(positions.back() - 1.0) <= kEndTolerance;
    for (size_t i = 1; i < positions.size(); ++i) rising = rising && positions[i] >= positions[i - 1];
    if (!rising) return Fault{"blendPositions", "\"blendPositions\" rising from 0 to 1"};
    // The outline follows the filled path as it is, which only a simple line can do.
    const IGIS_LineSymbol* outline = s.GetFillSymbol()->GetOutlineSymbol();
    if (outline != nullptr && outline->GetType() != SymbolTypeSimpleLine) {
        return Fault{"outline", "an \"outline\" that is a simpleLine: a gradient's outline follows the filled path"};
    }
    return std::nullopt;
}



Kind Make() {
    Kind kind;
    kind.name = "gradientFill";
    kind.type = SymbolTypeGradientFill;
    kind.shape = Shape::Fill;
    kind.summary = "a linear gradient between two colours, shaped by a blend table and turned by an angle";
    kind.make = [] { return SymbolPtr<>(new GradientFillSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetGradientFillSymbol() != nullptr; };
    kind.properties = {
        ColourProperty(
            "startColor", 0xFFFFFF, "colour at the start of the gradient; colour tables do not apply",
            [](IGIS_Symbol& s) { return *View(s).GetStartColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetStartColor(v); }),
        ColourProperty(
            "endColor", 0x1F4E79, "colour at its end", [](IGIS_Symbol& s) { return *View(s).GetEndColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetEndColor(v); }),
        IntegerProperty(
            "transparency", 0, kPercent, "of both colours: 0 opaque (alpha 254), 100 no fill",
            [](IGIS_Symbol& s) { return View(s).GetTransparency(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetTransparency(v); }),
        NumberProperty(
            "angle", 0.0, kAngle, "direction the colours run, turning x toward y; 0 left to right",
            [](IGIS_Symbol& s) { return *View(s).GetAngle(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetAngle(v); }),
        NumbersProperty(
            "blendPositions", kShare, kMaxBlend,
            "where along the gradient each blend factor applies, rising from 0 to 1",
            [](IGIS_Symbol& s) { return Edit(s).BlendPositions(); },
            [](IGIS_Symbol& s, const std::vector<double>& v) {
                Edit(s).SetBlend(v, Edit(s).BlendFactors());
            }),
        NumbersProperty(
            "blendFactors", kShare, kMaxBlend, "share of the end colour at each position",
            [](IGIS_Symbol& s) { return Edit(s).BlendFactors(); },
            [](IGIS_Symbol& s, const std::vector<double>& v) {
                Edit(s).SetBlend(Edit(s).BlendPositions(), v);
            }),
        SymbolProperty(
            "outline", Shape::Line, "a simpleLine drawn along the edge; null for none (other line kinds are refused)",
            [](IGIS_Symbol& s) -> IGIS_Symbol* { return s.GetFillSymbol()->GetOutlineSymbol(); },
            [](IGIS_Symbol& s, IGIS_Symbol* member) { Edit(s).SetOutline(ShareLine(member)); }),
    };
    // Left out, the table runs evenly from the start colour to the end colour.
    for (Property& p : kind.properties) {
        if (p.type == ValueType::Numbers) p.fallback = std::vector<double>{0.0, 1.0};
    }
    kind.check = CheckGradient;
    return kind;
}

}  // namespace

const Kind& GradientFillKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
