// "libMarker": a vector drawing from the resource store, found by its code, placed on the point.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "contracts/symbol/marker.h"
#include "host/document/kind.h"
#include "host/marker_symbols.h"

namespace symbolhost::document {
namespace {

constexpr Range kPercent{0.0, 100.0, "%"};
constexpr Range kCode{0.0, static_cast<double>(std::numeric_limits<int32_t>::max()), ""};
constexpr Range kMillimetres{-1000.0, 1000.0, "mm"};
// Negative widths keep the elements' own.
constexpr Range kStrokeWidth{-1.0, 100.0, "mm"};
constexpr Range kTextSize{0.0, 1000.0, "mm"};
// Texts of one marker, for the text-box rectangles of its drawing; a drawing has a handful.
constexpr size_t kMaxBoxTexts = 64;

IGIS_LibMarkerSymbol& View(IGIS_Symbol& s) { return *s.GetLibMarkerSymbol(); }
LibMarkerSymbol& Edit(IGIS_Symbol& s) { return static_cast<LibMarkerSymbol&>(s); }
using Rows = SharedRows<View, LibMarkerSymbol>;

// Colours that may be unset are a colour and a switch; the switch comes after the colour in the
// table, so it can clear what the colour set.
Property UseColourProperty(std::string_view key, std::string_view meaning, TypedGet<uint32_t> get,
                           TypedSet<uint32_t> set) {
    return BooleanProperty(
        key, false, meaning, [get](IGIS_Symbol& s) { return get(s) != kUnsetColour; },
        [set](IGIS_Symbol& s, bool use) {
            if (!use) set(s, kUnsetColour);
        });
}

uint32_t ColourOrBlack(uint32_t colour) { return colour == kUnsetColour ? 0u : colour; }

// A copy of the label with one field changed.
template <typename F>
void EditLabel(IGIS_Symbol& s, F change) {
    MarkerLabel label = Edit(s).StoredLabel();
    change(label);
    Edit(s).SetLabel(label);
}

// Longer text is cut to the label's capacity.
void CopyText(char (&to)[kMarkerTextCapacity], const std::string& from) {
    const size_t n = std::min(from.size(), static_cast<size_t>(kMarkerTextCapacity - 1));
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

std::vector<Property> ResourceProperties() {
    Property resource = IntegerProperty(
        "resource", 0, kCode, "code of a drawing under \"resources\"",
        [](IGIS_Symbol& s) { return static_cast<int32_t>(*View(s).GetResourceCode()); },
        [](IGIS_Symbol& s, int32_t v) { Edit(s).SetResourceCode(static_cast<uint32_t>(v)); });
    resource.refersTo = Reference{Section::Resources, std::nullopt};
    return {
        std::move(resource),
        ColourProperty(
            "color", 0x000000, "replaces the elements' stroke colours while useColor is true",
            [](IGIS_Symbol& s) { return ColourOrBlack(View(s).GetColor()); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetColor(v); }),
        UseColourProperty(
            "useColor", "false draws every element in its own colours",
            [](IGIS_Symbol& s) { return View(s).GetColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetColor(v); }),
        Rows::Transparency("of the strokes: 0 opaque, 100 invisible"),
        ColourProperty(
            "secondaryColor", 0x000000, "stroke colour of secondary elements while useSecondaryColor is true",
            [](IGIS_Symbol& s) { return ColourOrBlack(*View(s).GetSecondaryColor()); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetSecondaryColor(v); }),
        UseColourProperty(
            "useSecondaryColor", "false keeps the secondary elements' own colours",
            [](IGIS_Symbol& s) { return *View(s).GetSecondaryColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetSecondaryColor(v); }),
        BooleanProperty(
            "showSecondary", false, "draw the elements marked secondary",
            [](IGIS_Symbol& s) { return *View(s).GetShowSecondary(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetShowSecondary(v); }),
        ColourProperty(
            "fillColor", 0x000000, "of the symbol-fill areas while useFillColor is true",
            [](IGIS_Symbol& s) { return ColourOrBlack(*View(s).GetFillColor()); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetFillColor(v); }),
        UseColourProperty(
            "useFillColor", "false leaves the symbol-fill areas without a colour of their own",
            [](IGIS_Symbol& s) { return *View(s).GetFillColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetFillColor(v); }),
        IntegerProperty(
            "fillTransparency", 0, kPercent, "of the symbol-fill areas",
            [](IGIS_Symbol& s) { return *View(s).GetFillTransparency(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetFillTransparency(v); }),
        BooleanProperty(
            "useFill", false, "draw the symbol-fill areas",
            [](IGIS_Symbol& s) { return *View(s).GetUseFill(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetUseFill(v); }),
        NumberProperty(
            "lineWidth", -1.0, kStrokeWidth,
            "stroke width of the reference element, the others in proportion; "
            "negative keeps every element's own",
            [](IGIS_Symbol& s) { return *View(s).GetLineWidth(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetLineWidth(v); }),
        NumberProperty(
            "secondaryLineWidth", -1.0, kStrokeWidth, "stroke width of secondary elements; negative: unset",
            [](IGIS_Symbol& s) { return *View(s).GetSecondaryLineWidth(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetSecondaryLineWidth(v); }),
        ChoiceProperty(
            "dashStyle", -1,
            {{"own", -1}, {"solid", 0}, {"dash", 1}, {"dot", 2}, {"dashDot", 3}, {"dashDotDot", 4}},
            "dashes of every stroke; \"own\" keeps each element's",
            [](IGIS_Symbol& s) { return *View(s).GetDashStyle(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetDashStyle(v); }),
        Rows::Halo("drawn under each element's stroke while enabled"),
        ChoiceProperty(
            "boundsMode", LibMarkerBoundsExtent, {{"extent", LibMarkerBoundsExtent}, {"store", 1}},
            "natural size from the resource's own extent, or as the resource store measures it",
            [](IGIS_Symbol& s) { return *View(s).GetBoundsMode(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetBoundsMode(v); }),
        BooleanProperty(
            "anchorAtCenter", false, "put the middle of the drawing on the point instead of its anchor",
            [](IGIS_Symbol& s) { return *View(s).GetAnchorAtCenter(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetAnchorAtCenter(v); }),
    };
}

std::vector<double> Extent(IGIS_Symbol& s) {
    std::vector<double> e(4);
    View(s).GetExtent(e.data());
    return e;
}

void SetExtent(IGIS_Symbol& s, const std::vector<double>& v) {
    auto at = [&](size_t i) { return i < v.size() ? v[i] : 0.0; };
    Edit(s).SetExtent(at(0), at(1), at(2), at(3));
}

std::vector<double> Leader(IGIS_Symbol& s) {
    double dx = 0.0;
    double dy = 0.0;
    if (!View(s).GetLeaderOffset(&dx, &dy)) return {};
    return {dx, dy};
}

// Runs after "leaderStyle".
void SetLeader(IGIS_Symbol& s, const std::vector<double>& v) {
    if (v.empty()) {
        Edit(s).ClearLeader();
        return;
    }
    Edit(s).SetLeader(v[0], v.size() > 1 ? v[1] : 0.0, View(s).GetLeaderStyle());
}

void SetLeaderStyle(IGIS_Symbol& s, int32_t style) {
    double dx = 0.0;
    double dy = 0.0;
    const bool had = View(s).GetLeaderOffset(&dx, &dy);
    Edit(s).SetLeader(dx, dy, style);
    if (!had) Edit(s).ClearLeader();  // the style is kept for a leader set later
}

std::vector<Property> BackgroundProperties() {
    Property extent =
        NumbersProperty("extent", kMillimetres, 4,
                        "[x1, x2, y1, y2] about the point: the background rectangle", Extent, SetExtent);
    extent.fallback = std::vector<double>{0.0, 0.0, 0.0, 0.0};
    return {
        std::move(extent),
        BooleanProperty(
            "fillBackground", false, "fill the background rectangle",
            [](IGIS_Symbol& s) { return *View(s).GetFillBackground(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetFillBackground(v); }),
        ColourProperty(
            "backgroundColor", 0xFFFFFF, "of the background rectangle",
            [](IGIS_Symbol& s) { return *View(s).GetBackgroundColor(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetBackgroundColor(v); }),
        IntegerProperty(
            "backgroundTransparency", 0, kPercent, "of the background rectangle",
            [](IGIS_Symbol& s) { return *View(s).GetBackgroundTransparency(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetBackgroundTransparency(v); }),
        ChoiceProperty(
            "leaderStyle", 0, {{"plain", 0}, {"arrow", 1}}, "the leader line's end",
            [](IGIS_Symbol& s) { return View(s).GetLeaderStyle(); }, SetLeaderStyle),
        NumbersProperty("leader", kMillimetres, 2, "[dx, dy]: where the leader line ends; empty for none",
                        Leader, SetLeader),
    };
}

std::vector<Property> LabelProperties() {
    // As stored, in UTF-8: GetLabel answers in the library's code page.
    const auto label = [](IGIS_Symbol& s) -> const MarkerLabel& { return Edit(s).StoredLabel(); };
    return {
        BooleanProperty(
            "labelShown", false, "draw the label beside the background rectangle",
            [label](IGIS_Symbol& s) { return label(s).shown; },
            [](IGIS_Symbol& s, bool v) { EditLabel(s, [v](MarkerLabel& l) { l.shown = v; }); }),
        TextProperty(
            "labelText", "", "the label's one line of text",
            [label](IGIS_Symbol& s) { return std::string(label(s).text); },
            [](IGIS_Symbol& s, const std::string& v) {
                EditLabel(s, [&v](MarkerLabel& l) { CopyText(l.text, v); });
            }),
        TextProperty(
            "labelFont", "", "font family of the label",
            [label](IGIS_Symbol& s) { return std::string(label(s).fontName); },
            [](IGIS_Symbol& s, const std::string& v) {
                EditLabel(s, [&v](MarkerLabel& l) { CopyText(l.fontName, v); });
            }),
        NumberProperty(
            "labelSize", 0.0, kTextSize, "height of the label's text",
            [label](IGIS_Symbol& s) { return label(s).size; },
            [](IGIS_Symbol& s, double v) { EditLabel(s, [v](MarkerLabel& l) { l.size = v; }); }),
        ColourProperty(
            "labelColor", 0x000000, "of the label's text", [label](IGIS_Symbol& s) { return label(s).color; },
            [](IGIS_Symbol& s, uint32_t v) { EditLabel(s, [v](MarkerLabel& l) { l.color = v; }); }),
        ChoiceProperty(
            "labelPosition", 0, {{"above", 0}, {"below", 1}, {"left", 2}, {"right", 3}},
            "side of the background rectangle", [label](IGIS_Symbol& s) { return label(s).position; },
            [](IGIS_Symbol& s, int32_t v) { EditLabel(s, [v](MarkerLabel& l) { l.position = v; }); }),
        NumberProperty(
            "labelGap", 0.0, kTextSize, "between the rectangle and the label",
            [label](IGIS_Symbol& s) { return label(s).gap; },
            [](IGIS_Symbol& s, double v) { EditLabel(s, [v](MarkerLabel& l) { l.gap = v; }); }),
        BooleanProperty(
            "labelBox", false, "fill a box behind the label",
            [label](IGIS_Symbol& s) { return label(s).boxShown; },
            [](IGIS_Symbol& s, bool v) { EditLabel(s, [v](MarkerLabel& l) { l.boxShown = v; }); }),
        ColourProperty(
            "labelBoxColor", 0xFFFFFF, "of the box behind the label",
            [label](IGIS_Symbol& s) { return label(s).boxColor; },
            [](IGIS_Symbol& s, uint32_t v) { EditLabel(s, [v](MarkerLabel& l) { l.boxColor = v; }); }),
        IntegerProperty(
            "labelBoxTransparency", 0, kPercent, "of the box behind the label",
            [label](IGIS_Symbol& s) { return label(s).boxTransparency; },
            [](IGIS_Symbol& s, int32_t v) { EditLabel(s, [v](MarkerLabel& l) { l.boxTransparency = v; }); }),
    };
}

Kind Make() {
    Kind kind;
    kind.name = "libMarker";
    kind.type = SymbolTypeLibMarker;
    kind.shape = Shape::Marker;
    kind.summary = "a vector drawing of the document's resources, such as a church or an airport";
    kind.make = [] { return SymbolPtr<>(new LibMarkerSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetLibMarkerSymbol() != nullptr; };
    kind.properties = ResourceProperties();
    // The halo of a new library marker is off, unlike a line's.
    for (Property& p : kind.properties) {
        if (p.key == "halo") p.fallback = SymbolHalo{0.0, 0xFFFFFF, false};
    }
    // -1: the drawing's natural size.
    for (Property& p : MarkerPlacementProperties(kNaturalSize, kNaturalSize))
        kind.properties.push_back(std::move(p));
    for (Property& p : BackgroundProperties()) kind.properties.push_back(std::move(p));
    for (Property& p : LabelProperties()) kind.properties.push_back(std::move(p));
    kind.properties.push_back(BoxTextsProperty(
        "boxTexts", kMaxBoxTexts,
        "texts of the drawing's text-box rectangles, by their textIndex: fitted to the rectangle's height "
        "and, when too long, condensed to its width",
        [](IGIS_Symbol& s) { return Edit(s).Texts(); },
        [](IGIS_Symbol& s, const std::vector<BoxText>& v) { Edit(s).SetTexts(v); }));
    return kind;
}

}  // namespace

const Kind& LibMarkerKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
