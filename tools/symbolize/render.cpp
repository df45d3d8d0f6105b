#include "tools/symbolize/render.h"

#include <vector>

#include "host/host.h"

namespace symbolize_tool {
namespace {

using symbolhost::document::Document;
using symbolhost::document::Feature;
using symbolhost::document::Geometry;

// Points of one part in drawing units: mapped through the view for world layers.
std::vector<Pictor::PointD> Placed(const std::vector<Pictor::PointD>& part, const Pictor::Matrix* view) {
    std::vector<Pictor::PointD> points = part;
    if (view != nullptr) view->TransformPoints(points.data(), static_cast<int>(points.size()));
    return points;
}

void DrawFeature(IGIS_Symbolize& service, const Document& document, const Feature& feature,
                 const SymbolizeInfo& info, const Pictor::Matrix* view) {
    const auto& entry = document.symbols.Entries()[feature.symbol];
    IGIS_Symbol* symbol = entry.symbol.get();
    if (feature.geometry == Geometry::Text) {
        symbolhost::SymbolPtr<> withText;
        if (entry.kind->withText) withText = entry.kind->withText(*symbol, feature.text);
        const TextBox box{feature.box.x1, feature.box.x2, feature.box.y1, feature.box.y2};
        service.SymbolizeText(withText ? withText.get() : symbol, &info, &box);
        return;
    }
    for (const auto& part : feature.parts) {
        if (feature.geometry == Geometry::Point) {
            // A multipoint's points are markers of their own.
            for (const Pictor::PointD& p : Placed(part, view)) {
                const int32_t one = 1;
                service.Symbolize(symbol, &info, &p, &one);
            }
            continue;
        }
        // Lines, and polygon rings each on their own: holes are drawn as rings of their own.
        const std::vector<Pictor::PointD> points = Placed(part, view);
        const int32_t count = static_cast<int32_t>(points.size());
        service.Symbolize(symbol, &info, points.data(), &count);
    }
}

}  // namespace

SymbolizeInfo MakeInfo(const Document& document, Pictor::Graphics& graphics, bool yUp) {
    SymbolizeInfo info;
    info.graphics = &graphics;
    info.scale = symbolhost::document::ResolvedScale(document, yUp);
    info.colorTable = document.colorTable.get();
    info.overrideColor = document.context.overrideColor;
    info.color = document.context.color;
    info.sizeRatio = document.context.sizeRatio;
    info.yUp = yUp;
    info.rotation = document.context.rotation;
    return info;
}

DocumentServices::DocumentServices(Document& document) {
    // Only a document with pictures replaces the host's stores.
    images_ = document.images.Size() > 0;
    fillImages_ = document.fillImages.Size() > 0;
    if (images_) symbolhost::SetImageResourceBase(&document.images);
    if (fillImages_) symbolhost::SetFillImageResourceBase(&document.fillImages);

    symbolhost::PropertyStore& properties = symbolhost::DefaultProperties();
    // The document's choice, else the host's own setting, else no thinning: the library would
    // otherwise report the missing setting for every feature.
    if (document.settings.simplifyAnchorPoints) {
        Set(kPropertySimplifyAnchorPoints, *document.settings.simplifyAnchorPoints ? "true" : "false");
    } else if (properties.GetProperty(kPropertySimplifyAnchorPoints) == nullptr) {
        Set(kPropertySimplifyAnchorPoints, "false");
    }
    if (!document.settings.configDir.empty()) Set(kPropertyConfigDir, document.settings.configDir);
}

DocumentServices::~DocumentServices() {
    if (images_) symbolhost::SetImageResourceBase(nullptr);
    if (fillImages_) symbolhost::SetFillImageResourceBase(nullptr);
    symbolhost::PropertyStore& properties = symbolhost::DefaultProperties();
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            properties.Set(it->first, *it->second);
        } else {
            properties.Remove(it->first);
        }
    }
}

void DocumentServices::Set(const char* name, const std::string& value) {
    symbolhost::PropertyStore& properties = symbolhost::DefaultProperties();
    const IGIS_Property* old = properties.GetProperty(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old->GetStringValue()) : std::nullopt);
    properties.Set(name, value);
}

bool DrawMap(const Document& document, Pictor::Graphics& graphics, const Progress& progress) {
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return false;
    const Pictor::Matrix canvas = symbolhost::document::CanvasTransform(document);
    graphics.SetTransform(&canvas);
    const SymbolizeInfo info = MakeInfo(document, graphics, document.canvas.yUp);
    const Pictor::Matrix view = symbolhost::document::ViewTransform(document);
    const size_t total = document.FeatureCount();
    size_t done = 0;
    for (const auto& layer : document.layers) {
        for (const Feature& feature : layer.features) {
            DrawFeature(*service, document, feature, info, layer.world ? &view : nullptr);
            if (progress && !progress(++done, total)) return false;
        }
    }
    return true;
}

}  // namespace symbolize_tool
