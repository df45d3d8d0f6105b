// "text" and "textBox": a text symbol laid out in a text feature's box, and a framed text box
// placed on a point.
#include <algorithm>
#include <array>
#include <string>

#include "contracts/symbol/limits.h"
#include "contracts/symbol/text.h"
#include "host/document/kind.h"
#include "host/text_symbols.h"

namespace symbolhost::document {
namespace {

constexpr Range kPercent{0.0, 100.0, "%"};
// A text below a tenth of a millimetre cannot be read, and 0 would lay out nothing.
constexpr Range kFontSize{0.1, 1000.0, "mm"};
constexpr Range kMillimetres{0.0, 1000.0, "mm"};
constexpr Range kBoxSize{0.01, 1000.0, "mm"};
constexpr Range kFrameWidth{0.0, 100.0, "mm"};
constexpr Range kAngle{-360.0, 360.0, "degrees"};
constexpr Range kStretch{0.01, 100.0, ""};

// The style rows both kinds share: one switch per TextStyleFlag bit.
template <typename Symbol>
std::vector<Property> StyleProperties() {
    struct Bit {
        std::string_view key;
        int32_t flag;
        std::string_view meaning;
    };
    static constexpr std::array<Bit, 4> kBits = {{
        {"italic", TextStyleItalic, "slanted letters"},
        {"bold", TextStyleBold, "heavy letters"},
        {"underline", TextStyleUnderline, "a bar under the text"},
        {"strikeout", TextStyleStrikeout, "a bar through the text"},
    }};
    std::vector<Property> rows;
    for (const Bit& bit : kBits) {
        const int32_t flag = bit.flag;
        rows.push_back(BooleanProperty(
            bit.key, false, bit.meaning,
            [flag](IGIS_Symbol& s) { return (*static_cast<Symbol&>(s).GetFontStyle() & flag) != 0; },
            [flag](IGIS_Symbol& s, bool on) {
                auto& symbol = static_cast<Symbol&>(s);
                const int32_t flags = *symbol.GetFontStyle();
                symbol.SetFontStyle(on ? (flags | flag) : (flags & ~flag));
            }));
    }
    return rows;
}

// [left, top, right, bottom]; missing values are 0.
template <typename Symbol>
Property MarginsProperty(std::array<double, 4> fallback, std::string_view meaning) {
    Property p = NumbersProperty(
        "margins", kMillimetres, 4, meaning,
        [](IGIS_Symbol& s) {
            const auto& m = static_cast<Symbol&>(s).Margins();
            return std::vector<double>(m.begin(), m.end());
        },
        [](IGIS_Symbol& s, const std::vector<double>& v) {
            std::array<double, 4> m{};
            for (size_t i = 0; i < v.size() && i < m.size(); ++i) m[i] = v[i];
            static_cast<Symbol&>(s).SetMargins(m);
        });
    p.fallback = std::vector<double>(fallback.begin(), fallback.end());
    return p;
}

template <typename Symbol>
std::vector<Property> FontProperties(std::string_view sizeMeaning) {
    std::vector<Property> rows = {
        TextProperty(
            "text", "Text", "the text, in UTF-8; the host hands it to the library in its code page",
            [](IGIS_Symbol& s) { return static_cast<Symbol&>(s).Text(); },
            [](IGIS_Symbol& s, const std::string& v) { static_cast<Symbol&>(s).SetText(v); }),
        TextProperty(
            "font", "DejaVu Sans", "font family; one that is not installed draws in the CJK fallback family",
            [](IGIS_Symbol& s) { return static_cast<Symbol&>(s).FontName(); },
            [](IGIS_Symbol& s, const std::string& v) { static_cast<Symbol&>(s).SetFontName(v); }),
        NumberProperty(
            "fontSize", 3.0, kFontSize, sizeMeaning,
            [](IGIS_Symbol& s) { return *static_cast<Symbol&>(s).GetFontSize(); },
            [](IGIS_Symbol& s, double v) { static_cast<Symbol&>(s).SetFontSize(v); }),
        ColourProperty(
            "color", 0x000000, "of the text",
            [](IGIS_Symbol& s) { return static_cast<Symbol&>(s).GetColor(); },
            [](IGIS_Symbol& s, uint32_t v) { static_cast<Symbol&>(s).SetColor(v); }),
        IntegerProperty(
            "transparency", 0, kPercent, "of the text: 0 opaque, 100 invisible",
            [](IGIS_Symbol& s) { return static_cast<Symbol&>(s).GetTransparency(); },
            [](IGIS_Symbol& s, int32_t v) { static_cast<Symbol&>(s).SetTransparency(v); }),
    };
    for (Property& p : StyleProperties<Symbol>()) rows.push_back(std::move(p));
    return rows;
}

Kind MakeText() {
    Kind kind;
    kind.name = "text";
    kind.type = SymbolTypeText;
    kind.shape = Shape::Text;
    kind.summary = "a text such as a place name, laid out in the text feature's box";
    kind.make = [] { return SymbolPtr<>(new TextSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetTextSymbol() != nullptr; };
    kind.withText = [](const IGIS_Symbol& s, const std::string& text) {
        SymbolPtr<> copy(s.Clone());
        if (copy) static_cast<TextSymbol&>(*copy).SetText(text);
        return copy;
    };
    kind.properties = FontProperties<TextSymbol>("em size of the text");
    const std::vector<Property> layout = {
        ChoiceProperty(
            "alignment", TextAlignCentre,
            {{"left", TextAlignLeft}, {"center", TextAlignCentre}, {"right", TextAlignRight}},
            "the edge of the box the text's ink is set against; the ink's top touches the box's top",
            [](IGIS_Symbol& s) { return *static_cast<TextSymbol&>(s).GetAlignment(); },
            [](IGIS_Symbol& s, int32_t v) { static_cast<TextSymbol&>(s).SetAlignment(v); }),
        NumberProperty(
            "lineGap", 0.0, kMillimetres, "extra space between lines",
            [](IGIS_Symbol& s) { return *static_cast<TextSymbol&>(s).GetLineGap(); },
            [](IGIS_Symbol& s, double v) { static_cast<TextSymbol&>(s).SetLineGap(v); }),
        MarginsProperty<TextSymbol>({0.0, 0.0, 0.0, 0.0},
                                    "[left, top, right, bottom] kept free inside the box"),
        NumberProperty(
            "angle", 0.0, kAngle, "turns the text about the box's centre",
            [](IGIS_Symbol& s) { return *static_cast<TextSymbol&>(s).GetAngle(); },
            [](IGIS_Symbol& s, double v) { static_cast<TextSymbol&>(s).SetAngle(v); }),
    };
    for (const Property& p : layout) kind.properties.push_back(p);
    return kind;
}

TextBoxSymbol& Box(IGIS_Symbol& s) { return static_cast<TextBoxSymbol&>(s); }

// The box lays out each line on its own and draws no text of more lines than the library allows.
std::optional<Fault> CheckLines(IGIS_Symbol& s) {
    const std::string& text = Box(s).Text();
    const size_t breaks = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    const size_t lines = breaks + (text.empty() || text.back() == '\n' ? 0 : 1);
    if (lines <= SymbolLimits::kMaxTextLines) return std::nullopt;
    return Fault{"text", "a text of at most " + std::to_string(SymbolLimits::kMaxTextLines) + " lines"};
}

Kind MakeTextBox() {
    Kind kind;
    kind.name = "textBox";
    kind.type = SymbolTypeTextBox;
    kind.shape = Shape::Marker;
    kind.summary = "a framed box growing right and down from the point, its text stretched to fill it";
    kind.make = [] { return SymbolPtr<>(new TextBoxSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetTextBoxSymbol() != nullptr; };
    kind.properties =
        FontProperties<TextBoxSymbol>("size the text is shaped at; the box sets the drawn size");
    const std::vector<Property> box = {
        NumberProperty(
            "width", 20.0, kBoxSize, "inner width: the widest line spans it unless keepAspect",
            [](IGIS_Symbol& s) { return *Box(s).GetBoxWidth(); },
            [](IGIS_Symbol& s, double v) { Box(s).SetBoxWidth(v); }),
        NumberProperty(
            "height", 6.0, kBoxSize, "inner height: the lines and their gaps span it",
            [](IGIS_Symbol& s) { return *Box(s).GetBoxHeight(); },
            [](IGIS_Symbol& s, double v) { Box(s).SetBoxHeight(v); }),
        BooleanProperty(
            "keepAspect", false, "scale the text alike in both directions, to the height",
            [](IGIS_Symbol& s) { return *Box(s).GetKeepAspect(); },
            [](IGIS_Symbol& s, bool v) { Box(s).SetKeepAspect(v); }),
        NumberProperty(
            "lineGap", 0.5, kMillimetres,
            "space between lines; gaps taller than the box leave it without text",
            [](IGIS_Symbol& s) { return *Box(s).GetLineGap(); },
            [](IGIS_Symbol& s, double v) { Box(s).SetLineGap(v); }),
        MarginsProperty<TextBoxSymbol>({1.0, 1.0, 1.0, 1.0},
                                       "[left, top, right, bottom] between the frame and the text"),
        NumberProperty(
            "angle", 0.0, kAngle, "turns box and text about the point",
            [](IGIS_Symbol& s) { return *Box(s).GetAngle(); },
            [](IGIS_Symbol& s, double v) { Box(s).SetAngle(v); }),
        NumberProperty(
            "stretchX", 1.0, kStretch, "extra horizontal scale of the text about the point",
            [](IGIS_Symbol& s) { return Box(s).GetStretchX(); },
            [](IGIS_Symbol& s, double v) { Box(s).SetStretchX(v); }),
        NumberProperty(
            "stretchY", 1.0, kStretch, "extra vertical scale of the text about the point",
            [](IGIS_Symbol& s) { return Box(s).GetStretchY(); },
            [](IGIS_Symbol& s, double v) { Box(s).SetStretchY(v); }),
        BooleanProperty(
            "fill", true, "fill the box", [](IGIS_Symbol& s) { return *Box(s).GetDrawFill(); },
            [](IGIS_Symbol& s, bool v) { Box(s).SetDrawFill(v); }),
        ColourProperty(
            "fillColor", 0xFFFFFF, "of the box", [](IGIS_Symbol& s) { return *Box(s).GetFillColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Box(s).SetFillColor(v); }),
        IntegerProperty(
            "fillTransparency", 0, kPercent, "of the box",
            [](IGIS_Symbol& s) { return *Box(s).GetFillTransparency(); },
            [](IGIS_Symbol& s, int32_t v) { Box(s).SetFillTransparency(v); }),
        BooleanProperty(
            "frame", true, "stroke the box's outline", [](IGIS_Symbol& s) { return *Box(s).GetDrawFrame(); },
            [](IGIS_Symbol& s, bool v) { Box(s).SetDrawFrame(v); }),
        NumberProperty(
            "frameWidth", 0.2, kFrameWidth, "of the frame's stroke",
            [](IGIS_Symbol& s) { return Box(s).GetFrameWidth(); },
            [](IGIS_Symbol& s, double v) { Box(s).SetFrameWidth(v); }),
        ColourProperty(
            "frameColor", 0x000000, "of the frame", [](IGIS_Symbol& s) { return Box(s).GetFrameColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Box(s).SetFrameColor(v); }),
        IntegerProperty(
            "frameTransparency", 0, kPercent, "of the frame",
            [](IGIS_Symbol& s) { return Box(s).GetFrameTransparency(); },
            [](IGIS_Symbol& s, int32_t v) { Box(s).SetFrameTransparency(v); }),
        ChoiceProperty(
            "frameDash", 0, {{"solid", 0}, {"dash", 1}, {"dot", 2}, {"dashDot", 3}, {"dashDotDot", 4}},
            "dashes of the frame", [](IGIS_Symbol& s) { return Box(s).GetFrameDashStyle(); },
            [](IGIS_Symbol& s, int32_t v) { Box(s).SetFrameDashStyle(v); }),
    };
    for (const Property& p : box) kind.properties.push_back(p);
    kind.check = CheckLines;
    return kind;
}

}  // namespace

const Kind& TextKind() {
    static const Kind kind = MakeText();
    return kind;
}

const Kind& TextBoxKind() {
    static const Kind kind = MakeTextBox();
    return kind;
}

}  // namespace symbolhost::document
