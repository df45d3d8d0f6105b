// "pictureFill": a picture of the document's "fillImages" tiled over a polygon or drawn once
// over it.
#include <cstdint>
#include <limits>

#include "contracts/symbol/fill.h"
#include "host/document/kind.h"
#include "host/fill_symbols.h"

namespace symbolhost::document {
namespace {

constexpr int32_t kNoPicture = -1;
constexpr Range kImageId{-1.0, static_cast<double>(std::numeric_limits<int32_t>::max()), ""};

IGIS_PictureFillSymbol& View(IGIS_Symbol& s) { return *s.GetPictureFillSymbol(); }
// Setters only reach symbols this kind's `make` created.
PictureFillSymbol& Edit(IGIS_Symbol& s) { return static_cast<PictureFillSymbol&>(s); }

int32_t Image(IGIS_Symbol& s) {
    if (*View(s).GetPictureIndex() == kNoPicture) return kNoPicture;
    return static_cast<int32_t>(View(s).GetPictureKey());
}

void SetImage(IGIS_Symbol& s, int32_t id) {
    if (id == kNoPicture) {
        Edit(s).ClearPicture();
    } else {
        Edit(s).SetPicture(static_cast<uint32_t>(id));
    }
}

Kind Make() {
    Kind kind;
    kind.name = "pictureFill";
    kind.type = SymbolTypePictureFill;
    kind.shape = Shape::Fill;
    kind.summary = "a picture from the document's fill images, tiled or drawn once over the polygon";
    kind.make = [] { return SymbolPtr<>(new PictureFillSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetPictureFillSymbol() != nullptr; };
    Property image = IntegerProperty("image", kNoPicture, kImageId,
                                     "the id of a picture under \"fillImages\"; -1 draws only the outline",
                                     Image, SetImage);
    image.refersTo = Reference{Section::FillImages, kNoPicture};
    kind.properties = {
        std::move(image),
        ChoiceProperty(
            "mode", PictureFillTiled, {{"tiled", PictureFillTiled}, {"single", PictureFillSingle}},
            "tiles repeated from the page's origin, or one picture over the polygon's bounds",
            [](IGIS_Symbol& s) { return *View(s).GetPictureMode(); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetPictureMode(v); }),
        BooleanProperty(
            "keepAspectRatio", true, "a single picture keeps its proportions, centred on the bounds",
            [](IGIS_Symbol& s) { return *View(s).GetKeepAspectRatio(); },
            [](IGIS_Symbol& s, bool v) { Edit(s).SetKeepAspectRatio(v); }),
    };
    for (Property& p : FillOutlineProperties<PictureFillSymbol>()) kind.properties.push_back(std::move(p));
    return kind;
}

}  // namespace

const Kind& PictureFillKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
