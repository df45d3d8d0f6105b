#include "tools/symbolize/render.h"

#include <algorithm>
#include <new>
#include <vector>

#include "contracts/symbol/fill.h"
#include "contracts/symbol/marker.h"
#include "host/host.h"
#include "pictor/recording_canvas.h"
#include "tools/symbolize/progress.h"

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

// Compound fills whose members' outlines are followed around holes, nested at most this deep:
// the library draws no deeper either, and the members of one are at most this many.
constexpr int kMaxCompoundNesting = 32;
constexpr int32_t kMaxCompoundMembers = 1024;

// The winding a fill asks of its outline: clockwise as seen unless its kind offers the choice.
bool OutlineClockwise(IGIS_Symbol& symbol) {
    if (auto* fill = symbol.GetSimpleFillSymbol()) return fill->IsOutlineClockwise();
    if (auto* fill = symbol.GetLineFillSymbol()) return fill->IsOutlineClockwise();
    if (auto* fill = symbol.GetPictureFillSymbol()) return fill->IsOutlineClockwise();
    if (auto* fill = symbol.GetMarkerFillSymbol()) return fill->IsOutlineClockwise();
    return true;
}

// Outlines a hole as the library outlines a polygon: with the fill's outline symbol (each
// visible member's for a compound fill), in the fill's winding, from the middle of the closing
// edge round to it again so that every corner is a join.
void OutlineHole(IGIS_Symbolize& service, IGIS_Symbol& symbol, const SymbolizeInfo& info,
                 const std::vector<Pictor::PointD>& hole, int depth) {
    if (IGIS_CompoundFillSymbol* compound = symbol.GetCompoundFillSymbol()) {
        if (depth >= kMaxCompoundNesting) return;
        const int32_t members = std::min(compound->GetLayerCount(), kMaxCompoundMembers);
        for (int32_t i = 0; i < members; ++i) {
            IGIS_Symbol* member = compound->GetLayer(&i);
            if (member != nullptr && compound->IsLayerVisible(&i))
                OutlineHole(service, *member, info, hole, depth + 1);
        }
        return;
    }
    IGIS_FillSymbol* fill = symbol.GetFillSymbol();
    IGIS_LineSymbol* outline = fill ? fill->GetOutlineSymbol() : nullptr;
    if (outline == nullptr) return;
    std::vector<Pictor::PointD> ring = hole;
    double area = 0.0;  // twice the signed area; positive runs clockwise as seen when y points down
    for (size_t i = 0; i < ring.size(); ++i) {
        const Pictor::PointD& next = ring[(i + 1) % ring.size()];
        area += ring[i].x * next.y - next.x * ring[i].y;
    }
    const bool wantPositive = OutlineClockwise(symbol) != info.yUp;
    if (area != 0.0 && (area > 0.0) != wantPositive) std::reverse(ring.begin(), ring.end());
    const Pictor::PointD middle((ring.back().x + ring.front().x) / 2.0,
                                (ring.back().y + ring.front().y) / 2.0);
    ring.insert(ring.begin(), middle);
    ring.push_back(middle);
    const int32_t count = static_cast<int32_t>(ring.size());
    service.Symbolize(outline, &info, ring.data(), &count);
}

// What a fill around holes may draw on, in drawing units: the canvas and the polygon, with room
// around the polygon for its outline.
Pictor::RectD DrawableArea(const Pictor::Graphics& graphics, const std::vector<Pictor::PointD>& outer) {
    std::vector<Pictor::PointD> corners = outer;
    Pictor::Matrix toDrawing;
    graphics.GetTransform(&toDrawing);
    if (toDrawing.Invert() == Pictor::Ok) {
        const double w = graphics.GetCanvas()->GetWidth();
        const double h = graphics.GetCanvas()->GetHeight();
        Pictor::PointD canvas[4] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
        toDrawing.TransformPoints(canvas, 4);
        corners.insert(corners.end(), canvas, canvas + 4);
    }
    const auto [minX, maxX] = std::minmax_element(corners.begin(), corners.end(),
                                                  [](const auto& a, const auto& b) { return a.x < b.x; });
    const auto [minY, maxY] = std::minmax_element(corners.begin(), corners.end(),
                                                  [](const auto& a, const auto& b) { return a.y < b.y; });
    const double margin = std::max(maxX->x - minX->x, maxY->y - minY->y);
    return {minX->x - margin, minY->y - margin, maxX->x - minX->x + 2 * margin,
            maxY->y - minY->y + 2 * margin};
}

// A fill of a polygon with holes: the fill is drawn on its outer ring inside a container
// clipped to everything but the holes, so no fill kind paints a hole and the fill's own clips
// only narrow that; then each hole is outlined as the outer ring was.
void FillAroundHoles(IGIS_Symbolize& service, IGIS_Symbol& symbol, const SymbolizeInfo& info,
                     const std::vector<std::vector<Pictor::PointD>>& rings) {
    Pictor::Graphics& graphics = *info.graphics;
    Pictor::GraphicsPath clip;  // alternate filling: the holes are cut out of the area
    clip.AddRectangle(DrawableArea(graphics, rings.front()));
    for (size_t i = 1; i < rings.size(); ++i)
        clip.AddPolygon(rings[i].data(), static_cast<int>(rings[i].size()));
    if (graphics.SetClip(&clip) != Pictor::Ok) return;
    graphics.BeginContainer();
    const int32_t count = static_cast<int32_t>(rings.front().size());
    service.Symbolize(&symbol, &info, rings.front().data(), &count);
    graphics.EndContainer();
    graphics.ResetClip();
    for (size_t i = 1; i < rings.size(); ++i) OutlineHole(service, symbol, info, rings[i], 0);
}

// False when `outlines` stopped the drawing.
bool DrawFeature(IGIS_Symbolize& service, const Document& document, const Feature& feature,
                 const SymbolizeInfo& info, const Pictor::Matrix* view, const OutlineSink& outlines) {
    const auto& entry = document.symbols.Entries()[feature.symbol];
    IGIS_Symbol* symbol = entry.symbol.get();
    if (feature.geometry == Geometry::Text) {
        symbolhost::SymbolPtr<> withText;
        if (entry.kind->withText) {
            withText = entry.kind->withText(*symbol, feature.text);
            if (!withText) throw std::bad_alloc();  // never the stored text in place of the feature's
        }
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
    if (feature.geometry == Geometry::Polygon && symbol->GetFillSymbol() != nullptr) {
        // Without grouping every ring is a polygon of its own.
        const std::vector<size_t> groups =
            feature.rings.empty() ? std::vector<size_t>(feature.parts.size(), 1) : feature.rings;
        size_t first = 0;
        for (const size_t rings : groups) {
            std::vector<std::vector<Pictor::PointD>> placed;
            for (size_t i = first; i < first + rings && i < feature.parts.size(); ++i)
                placed.push_back(Placed(feature.parts[i], view));
            first += rings;
            if (placed.size() > 1) {
                FillAroundHoles(service, *symbol, info, placed);
            } else if (placed.size() == 1) {
                const int32_t count = static_cast<int32_t>(placed[0].size());
                service.Symbolize(symbol, &info, placed[0].data(), &count);
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
        // Lines, and a line symbol on polygon rings: every ring, holes too, is a line of its own.
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
    if (!document.settings.codePage.empty()) Set(kPropertyCodePage, document.settings.codePage);
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

namespace {

// A feature drawn at a higher resolution covers more pixels for the same drawing: its budget
// grows with the device area of a reference pixel, up to this many times (a print at 384 ppi).
// The render's budget stays as it is, so the whole run keeps its bound.
constexpr double kMaxFeatureWorkScale = 16.0;

int64_t FeatureWorkAt(const Pictor::Graphics& graphics, int64_t featureWork) {
    const double scale = graphics.GetCanvas() ? graphics.GetCanvas()->GetDeviceScale() : 1.0;
    return static_cast<int64_t>(static_cast<double>(featureWork) *
                                std::clamp(scale * scale, 1.0, kMaxFeatureWorkScale));
}

}  // namespace

RenderBudget::RenderBudget(Pictor::Graphics& graphics, int64_t featureWork, int64_t renderWork)
    : graphics_(graphics),
      budget_(FeatureWorkAt(graphics, featureWork), &InterruptFlag()),
      featureWork_(FeatureWorkAt(graphics, featureWork)),
      renderWork_(renderWork),
      renderLeft_(renderWork) {
    graphics_.SetWorkBudget(&budget_);
}

RenderBudget::~RenderBudget() { graphics_.SetWorkBudget(nullptr); }

void RenderBudget::BeginFeature() {
    featureStart_ = std::min(featureWork_, std::max<int64_t>(renderLeft_, 0));
    budget_.Reset(featureStart_);
}

void RenderBudget::EndFeature(const std::function<std::string()>& name) {
    renderLeft_ -= featureStart_ - budget_.Left();
    if (!budget_.Spent() || budget_.Stopped()) return;
    const bool render = featureStart_ < featureWork_;
    if (render) renderLeft_ = 0;  // cut short of its own budget: the render's is spent
    if (reported_) return;
    reported_ = true;
    const std::string what = name();
    const std::string message =
        render ? "Work Budget: the render drew its " + std::to_string(renderWork_) + " units; " + what +
                     " and every later feature were cut off"
               : "Work Budget: " + what + " drew its " + std::to_string(featureWork_) +
                     " units and was cut off; later features over it are cut off unreported";
    if (IGIS_Log* log = GIS_GetLogPtr())
        log->Log(LogLevelError, "RenderBudget", message.c_str(), __FILE__, __LINE__, "");
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
    RenderBudget budget(graphics);
    for (size_t l = 0; l < document.layers.size(); ++l) {
        const auto& layer = document.layers[l];
        for (size_t f = 0; f < layer.features.size(); ++f) {
            const Feature& feature = layer.features[f];
            const SymbolizeInfo own = FeatureInfo(document, info, feature.context);
            budget.BeginFeature();
            const bool going = budget.RenderSpent() || DrawFeature(*service, document, feature, own,
                                                                   layer.world ? &view : nullptr, outlines);
            budget.EndFeature(
                [l, f] { return "feature " + std::to_string(f) + " of layer " + std::to_string(l); });
            if (!going) return false;
            if (progress && !progress(++done, total)) return false;
        }
    }
    return true;
}

std::optional<dump::Json> DumpMap(const Document& document, const symbolhost::CaptureLog& log,
                                  const Progress& progress, std::string* error) {
    Pictor::RecordingCanvas canvas(document.canvas.width, document.canvas.height);
    // Bounded while a feature draws, not only between features: one feature alone could record
    // gigabytes before the dump saw it.
    canvas.SetPointBudget(dump::kMaxDumpPoints);
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
