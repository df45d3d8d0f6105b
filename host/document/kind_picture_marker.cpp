// "pictureMarker": a picture of the document's "images", stretched to the marker's size.
#include <cstdint>
#include <limits>

#include "contracts/symbol/marker.h"
#include "host/document/kind.h"
#include "host/marker_symbols.h"

namespace symbolhost::document {
namespace {

constexpr Range kImageId{0.0, static_cast<double>(std::numeric_limits<int32_t>::max()), ""};

PictureMarkerSymbol& Edit(IGIS_Symbol& s) { return static_cast<PictureMarkerSymbol&>(s); }

Kind Make() {
    Kind kind;
    kind.name = "pictureMarker";
    kind.type = SymbolTypePictureMarker;
    kind.shape = Shape::Marker;
    kind.summary = "a picture from the document's images placed on the point";
    kind.make = [] { return SymbolPtr<>(new PictureMarkerSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetPictureMarkerSymbol() != nullptr; };
    Property image = IntegerProperty(
        "image", 0, kImageId, "the id of a picture under \"images\"",
        [](IGIS_Symbol& s) { return static_cast<int32_t>(s.GetPictureMarkerSymbol()->GetImageId()); },
        [](IGIS_Symbol& s, int32_t v) { Edit(s).SetImageId(static_cast<uint32_t>(v)); });
    image.refersTo = Reference{Section::Images, std::nullopt};
    kind.properties = {std::move(image)};
    for (Property& p : MarkerPlacementProperties(kDefaultMarkerSize, 0.0))
        kind.properties.push_back(std::move(p));
    return kind;
}

}  // namespace

const Kind& PictureMarkerKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
