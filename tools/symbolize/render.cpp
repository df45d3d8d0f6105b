#include "tools/symbolize/render.h"

#include <vector>

#include "contracts/symbol/marker.h"
#include "host/host.h"
#include "pictor/recording_canvas.h"

namespace symbolize_tool {
namespace {

using symbolhost::document::Document;
using symbolhost::document::Entry;
using symbolhost::document::Feature;
using symbolhost::document::Geometry;

// Points of one part in drawing units: mapped through the view for world layers.
std::vector<Pictor::PointD> Placed(const std::vector<Pictor::PointD>& part, const Pictor::Matrix* view) {
    std::vector<Pictor::PointD> points = part;
    if (view != nullptr) view->TransformPoints(points.data(), static_cast<int>(points.size()));
    return points;
}

// A line's parts as open figures, or a polygon's rings as closed figures of one path, so that
// holes are cut out of the fill.
Pictor::GraphicsPath FeaturePath(const Feature& feature, const Pictor::Matrix* view) {
    Pictor::GraphicsPath path;
    for (const auto& part : feature.parts) {
        const std::vector<Pictor::PointD> points = Placed(part, view);
        const int count = static_cast<int>(points.size());
        if (feature.geometry == Geometry::Polygon) {
            path.AddPolygon(points.data(), count);
        } else {
            path.StartFigure();
            path.AddLines(points.data(), count);
        }
    }
    return path;
}

// False when `outlines` stopped the drawing.
bool DrawFeature(IGIS_Symbolize& service, const Document& document, const Feature& feature,
                 const SymbolizeInfo& info, const Pictor::Matrix* view, const OutlineSink& outlines) {
    const auto& entry = document.symbols.Entries()[feature.symbol];
    IGIS_Symbol* symbol = entry.symbol.get();
    if (feature.geometry == Geometry::Text) {
        symbolhost::SymbolPtr<> withText;
        if (entry.kind->withText) withText = entry.kind->withText(*symbol, feature.text);
        const TextBox box{feature.box.x1, feature.box.x2, feature.box.y1, feature.box.y2};
        service.SymbolizeText(withText ? withText.get() : symbol, &info, &box);
        return true;
    }
    if (feature.entry != Entry::Points) {
        const int32_t id = InterfaceIdSymbolizePath;
        auto* pathService = static_cast<IGIS_SymbolizePath*>(service.QueryInterface(&id));
        if (pathService == nullptr) return true;
        if (feature.entry == Entry::Path) {
            const Pictor::GraphicsPath path = FeaturePath(feature, view);
            pathService->SymbolizePath(symbol, &info, &path);
            return true;
        }
        IGIS_LibMarkerSymbol* marker = symbol->GetLibMarkerSymbol();
        for (const auto& part : feature.parts) {
            for (const Pictor::PointD& p : Placed(part, view)) {
                // GetPath writes its scale back into the context it is given: a copy each time.
                SymbolizeInfo own = info;
                Pictor::GraphicsPath outline;
                if (!pathService->GetPath(marker, &own, &p, &outline) || !outlines) continue;
                Pictor::Matrix world;
                info.graphics->GetTransform(&world);
                if (!outlines(outline, world)) return false;
            }
        }
        return true;
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
    return true;
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

SymbolizeInfo FeatureInfo(const Document& document, const SymbolizeInfo& base,
                          const symbolhost::document::ContextOverrides& own) {
    SymbolizeInfo info = base;
    info.yUp = own.yUp.value_or(base.yUp);
    // An open scale is resolved for the feature's own y direction.
    info.scale =
        symbolhost::document::ResolvedScale(document, own.scale.value_or(document.context.scale), info.yUp);
    if (own.colorTable) info.colorTable = own.colorTable.get();
    info.overrideColor = own.overrideColor.value_or(base.overrideColor);
    info.color = own.color.value_or(base.color);
    info.sizeRatio = own.sizeRatio.value_or(base.sizeRatio);
    info.rotation = own.rotation.value_or(base.rotation);
    return info;
}

DocumentServices::DocumentServices(Document& document) {
    // Only a document with pictures replaces the host's stores.
    images_ = document.images.Size() > 0;
    fillImages_ = document.fillImages.Size() > 0;
    if (images_) symbolhost::SetImageResourceBase(&document.images);
    if (fillImages_) symbolhost::SetFillImageResourceBase(&document.fillImages);
    resources_ = document.resourceCount > 0;
    if (resources_) symbolhost::SetVectorResourceBase(&document.resources);

    symbolhost::PropertyStore& properties = symbolhost::DefaultProperties();
    // The document's choice, else the host's own setting, else no thinning: the library would
    // otherwise report the missing setting for every feature.
    if (document.settings.simplifyAnchorPoints) {
        Set(kPropertySimplifyAnchorPoints, *document.settings.simplifyAnchorPoints ? "true" : "false");
    } else if (properties.GetProperty(kPropertySimplifyAnchorPoints) == nullptr) {
        Set(kPropertySimplifyAnchorPoints, "false");
    }
    if (!document.settings.configDir.empty()) Set(kPropertyConfigDir, document.settings.configDir);
    if (document.settings.jitterSeed) Set(kPropertyJitterSeed, std::to_string(*document.settings.jitterSeed));
}

DocumentServices::~DocumentServices() {
    if (images_) symbolhost::SetImageResourceBase(nullptr);
    if (fillImages_) symbolhost::SetFillImageResourceBase(nullptr);
    if (resources_) symbolhost::SetVectorResourceBase(nullptr);
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

bool DrawMap(const Document& document, Pictor::Graphics& graphics, const Progress& progress,
             const OutlineSink& outlines) {
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
            const SymbolizeInfo own = FeatureInfo(document, info, feature.context);
            if (!DrawFeature(*service, document, feature, own, layer.world ? &view : nullptr, outlines)) {
                return false;
            }
            if (progress && !progress(++done, total)) return false;
        }
    }
    return true;
}

std::optional<dump::Json> DumpMap(const Document& document, const symbolhost::CaptureLog& log,
                                  const Progress& progress, std::string* error) {
    Pictor::RecordingCanvas canvas(document.canvas.width, document.canvas.height);
    dump::DumpBuilder builder(canvas);
    bool drawn = false;
    {
        Pictor::Graphics graphics(&canvas);
        // Taking the operations after every feature stops a render that outgrows the dump before
        // the recording grows any further.
        const Progress taking = [&](size_t done, size_t total) {
            return (!progress || progress(done, total)) && builder.TakeOperations();
        };
        drawn = DrawMap(document, graphics, taking,
                        [&](const Pictor::GraphicsPath& outline, const Pictor::Matrix& world) {
                            return builder.AddPath(outline, world);
                        });
    }
    std::optional<dump::Json> result;
    if (drawn) result = builder.Finish(log.Entries());
    if (!result) {
        *error = !builder.Error().empty() ? builder.Error()
                 : drawn                  ? "the dump could not be made"
                                          : "the drawing stopped before it was complete";
    }
    return result;
}

}  // namespace symbolize_tool
