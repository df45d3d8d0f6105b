// The placement every marker kind shares: size, offset, angle and mirrors about the anchor.
#include "contracts/symbol/marker.h"
#include "host/document/kind.h"

namespace symbolhost::document {
namespace {

// Far beyond any map symbol; keeps a document from asking for absurd placements.
constexpr double kMaxMarkerMm = 1000.0;
constexpr Range kOffset{-kMaxMarkerMm, kMaxMarkerMm, "mm"};
constexpr Range kAngle{-360.0, 360.0, "degrees"};

// Every marker kind answers the marker view, so one set of accessors serves them all.
IGIS_MarkerSymbol& Marker(IGIS_Symbol& s) { return *AsMarkerSymbol(&s); }

}  // namespace

std::vector<Property> MarkerPlacementProperties(double defaultSize, double minSize) {
    const Range size{minSize, kMaxMarkerMm, "mm"};
    return {
        NumberProperty(
            "width", defaultSize, size, "width the marker is stretched to",
            [](IGIS_Symbol& s) { return *Marker(s).GetWidth(); },
            [](IGIS_Symbol& s, double v) { Marker(s).SetWidth(v); }),
        NumberProperty(
            "height", defaultSize, size, "height the marker is stretched to",
            [](IGIS_Symbol& s) { return *Marker(s).GetHeight(); },
            [](IGIS_Symbol& s, double v) { Marker(s).SetHeight(v); }),
        NumberProperty(
            "xOffset", 0.0, kOffset, "moves the marker to the right of the point",
            [](IGIS_Symbol& s) { return *Marker(s).GetXOffset(); },
            [](IGIS_Symbol& s, double v) { Marker(s).SetXOffset(v); }),
        NumberProperty(
            "yOffset", 0.0, kOffset, "moves the marker up from the point",
            [](IGIS_Symbol& s) { return *Marker(s).GetYOffset(); },
            [](IGIS_Symbol& s, double v) { Marker(s).SetYOffset(v); }),
        NumberProperty(
            "angle", 0.0, kAngle, "turns the marker about the point",
            [](IGIS_Symbol& s) { return *Marker(s).GetAngle(); },
            [](IGIS_Symbol& s, double v) { Marker(s).SetAngle(v); }),
        BooleanProperty(
            "flipX", false, "mirrors the marker left to right",
            [](IGIS_Symbol& s) { return *Marker(s).GetFlipX(); },
            [](IGIS_Symbol& s, bool v) { Marker(s).SetFlipX(v); }),
        BooleanProperty(
            "flipY", false, "mirrors the marker top to bottom",
            [](IGIS_Symbol& s) { return *Marker(s).GetFlipY(); },
            [](IGIS_Symbol& s, bool v) { Marker(s).SetFlipY(v); }),
    };
}

}  // namespace symbolhost::document
