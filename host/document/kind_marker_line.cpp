// "markerLine": copies of one vector drawing from the resources placed along the line and turned
// to follow it, repeated at an interval or set once at a distance or percentage.
#include <limits>

#include "host/document/kind.h"
#include "host/line_symbols.h"

namespace symbolhost::document {
namespace {

// Sizes and gaps of a map symbol are a few millimetres; a metre is far beyond any of them.
constexpr Range kMillimetres{0.0, 1000.0, "mm"};
// Shifts go either way of the line.
constexpr Range kShift{-1000.0, 1000.0, "mm"};
// -1 keeps the drawing's natural size.
constexpr double kNaturalSize = -1.0;
constexpr Range kSize{kNaturalSize, 1000.0, "mm"};
constexpr Range kDegrees{-360.0, 360.0, "degrees"};
// Millimetres or percent, by the placement; the larger of the two ranges.
constexpr Range kPosition{0.0, 1000.0, ""};
constexpr Range kCode{0.0, static_cast<double>(std::numeric_limits<int32_t>::max()), ""};

IGIS_MarkerLineSymbol& View(IGIS_Symbol& s) { return *s.GetMarkerLineSymbol(); }
// Setters only reach symbols this kind's `make` created.
MarkerLineSymbol& Edit(IGIS_Symbol& s) { return static_cast<MarkerLineSymbol&>(s); }
using Rows = SharedRows<View, MarkerLineSymbol>;

int32_t ResourceCode(IGIS_Symbol& s) {
    bool found = false;
    const uint32_t* code = View(s).GetMarkerResourceCode(&found);
    return found && code != nullptr ? static_cast<int32_t>(*code) : 0;
}

Kind Make() {
    Kind kind;
    kind.name = "markerLine";
    kind.type = SymbolTypeMarkerLine;
    kind.shape = Shape::Line;
    kind.summary = "a drawing of the document's resources repeated along the line, such as flow arrows";
    kind.make = [] { return SymbolPtr<>(new MarkerLineSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetMarkerLineSymbol() != nullptr; };
    Property resource = IntegerProperty(
        "resource", 0, kCode, "code of a drawing under \"resources\"", ResourceCode,
        [](IGIS_Symbol& s, int32_t v) { Edit(s).SetMarkerResourceCode(static_cast<uint32_t>(v)); });
    resource.refersTo = Reference{Section::Resources, std::nullopt};
    kind.properties = {
        std::move(resource),
        Rows::Colour(0x000000, "colour of the drawing's strokes"),
        ColourProperty(
            "fill", 0x000000, "fill colour of the drawing, with useFill",
            [](IGIS_Symbol& s) { return *View(s).GetFillValue(); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetFillValue(v); }),
        BooleanProperty(
            "useFill", false, "fill the drawing with \"fill\" instead of its own colours",
            [](IGIS_Symbol& s) { return *View(s).GetUseFill(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetUseFill(v); }),
        Rows::Transparency(),
        NumberProperty(
            "width", kNaturalSize, kSize, "marker width; -1 the drawing's natural width",
            [](IGIS_Symbol& s) { return *View(s).GetMarkerWidth(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetMarkerSize(v, *View(s).GetMarkerHeight()); }),
        NumberProperty(
            "height", kNaturalSize, kSize, "marker height; -1 the drawing's natural height",
            [](IGIS_Symbol& s) { return *View(s).GetMarkerHeight(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetMarkerSize(*View(s).GetMarkerWidth(), v); }),
        IntegerProperty(
            "option", 0, kCode, "handed to the drawing's marker unchanged",
            [](IGIS_Symbol& s) { return *View(s).GetMarkerOption(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetMarkerOption(v); }),
        ChoiceProperty(
            "placement", MarkerLinePlacementInterval,
            {{"interval", MarkerLinePlacementInterval},
             {"distance", MarkerLinePlacementDistance},
             {"percent", MarkerLinePlacementPercent}},
            "repeat along the line, or one marker at \"position\" millimetres or percent",
            [](IGIS_Symbol& s) { return *View(s).GetPlacementMode(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetPlacementMode(v); }),
        NumberProperty(
            "gap", 3.0, kMillimetres, "interval placement: free space between markers",
            [](IGIS_Symbol& s) { return *View(s).GetMarkerGap(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetMarkerGap(v); }),
        NumberProperty(
            "startOffset", 0.0, kMillimetres, "interval placement: line left bare before the first marker",
            [](IGIS_Symbol& s) { return *View(s).GetStartOffset(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetStartOffset(v); }),
        NumberProperty(
            "offset", 0.0, kShift, "interval placement: sideways shift, positive to the left of travel",
            [](IGIS_Symbol& s) { return *View(s).GetMarkerOffset(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetMarkerOffset(v); }),
        NumberProperty(
            "position", 0.0, kPosition, "distance and percent placements: where the one marker sits",
            [](IGIS_Symbol& s) { return *View(s).GetPosition(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetPosition(v); }),
        NumberProperty(
            "alongShift", 0.0, kShift, "distance and percent placements: shift along the line",
            [](IGIS_Symbol& s) { return *View(s).GetAlongShift(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetAlongShift(v); }),
        NumberProperty(
            "acrossShift", 0.0, kShift, "distance and percent placements: shift across, positive to the left",
            [](IGIS_Symbol& s) { return *View(s).GetAcrossShift(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetAcrossShift(v); }),
        NumberProperty(
            "angle", 0.0, kDegrees, "turn added to the line's direction",
            [](IGIS_Symbol& s) { return *View(s).GetMarkerAngle(); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetMarkerAngle(v); }),
    };
    return kind;
}

}  // namespace

const Kind& MarkerLineKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
