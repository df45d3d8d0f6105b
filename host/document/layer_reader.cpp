// Reading layers: inline features in drawing units, GeoJSON files in world coordinates, and the
// symbol each feature is drawn with.
#include "host/document/layer_reader.h"

#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <set>

#include "host/document/paths.h"

namespace symbolhost::document {
namespace {

// Layers of a document; a map has tens of them.
constexpr size_t kMaxLayers = 1000;
// GeoJSON parses to roughly ten times its size in memory; 64 MB of it is about the budget of
// GeometryBudget::kMaxPoints.
constexpr size_t kMaxGeoJsonBytes = size_t{64} << 20;

bool Fits(Shape shape, Geometry geometry) {
    switch (shape) {
        case Shape::Marker:
            return geometry == Geometry::Point;
        case Shape::Line:
            return geometry == Geometry::Line || geometry == Geometry::Polygon;
        case Shape::Fill:
            return geometry == Geometry::Polygon;
        case Shape::Text:
            return geometry == Geometry::Text;
    }
    return false;
}

std::string_view FeaturesFor(Shape shape) {
    switch (shape) {
        case Shape::Marker:
            return "a point feature";
        case Shape::Line:
            return "a line or polygon feature";
        case Shape::Fill:
            return "a polygon feature";
        case Shape::Text:
            return "a text feature";
    }
    return "a feature";
}

// How a layer picks each feature's symbol.
// Whether the path entry draws all of `symbol`: it draws simple lines and simple, marker, line
// and compound fills, and of a fill's outline only a simple line. Shared members are looked at once.
bool DrawsOnPaths(IGIS_Symbol& symbol, std::set<IGIS_Symbol*>& seen) {
    if (!seen.insert(&symbol).second) return true;
    switch (symbol.GetType()) {
        case SymbolTypeSimpleLine:
            return true;
        case SymbolTypeSimpleFill:
        case SymbolTypeMarkerFill:
        case SymbolTypeLineFill: {
            const IGIS_LineSymbol* outline = symbol.GetFillSymbol()->GetOutlineSymbol();
            return outline == nullptr || outline->GetType() == SymbolTypeSimpleLine;
        }
        case SymbolTypeCompoundFill: {
            IGIS_CompoundFillSymbol& compound = *symbol.GetCompoundFillSymbol();
            for (int32_t i = 0; i < compound.GetLayerCount(); ++i) {
                IGIS_Symbol* member = compound.GetLayer(&i);
                if (member != nullptr && compound.IsLayerVisible(&i) && !DrawsOnPaths(*member, seen)) return false;
            }
            return true;
        }
        default:
            return false;
    }
}

struct SymbolChoice {
    std::optional<size_t> fixed;  // "symbol"
    std::string property;         // "symbolBy": the property whose value picks the symbol
    std::map<std::string, size_t, std::less<>> byValue;
    std::optional<size_t> fallback;
    bool failed = false;  // already reported: pick nothing and say nothing more
};

// A property value as the key of "symbolBy.values": strings as they are, numbers and booleans
// as JSON writes them.
std::optional<std::string> ValueKey(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number() || value.is_boolean()) return value.dump();
    return std::nullopt;
}

class LayerReader {
public:
    LayerReader(Document& document, Reader& reader, GeometryBudget& budget,
                const std::set<std::string, std::less<>>& declared, ColorTableCache& colorTables)
        : doc_(document), reader_(reader), budget_(budget), declared_(declared), colorTables_(colorTables) {}

    void ReadLayers(const Node& at) {
        if (!reader_.Array(at, "an array of at most " + std::to_string(kMaxLayers) + " layers", 0,
                           kMaxLayers)) {
            return;
        }
        // A GeoJSON file named by several layers is read and parsed once and kept until its last
        // layer has been read.
        for (size_t i = 0; i < at.Value().size(); ++i) {
            const Json& layer = at.Value()[i];
            if (!layer.is_object() || !layer.contains("geojson") || !layer["geojson"].is_string()) continue;
            std::string ignored;
            const auto path = ResolvePath(doc_.directory, layer["geojson"].get<std::string>(),
                                          doc_.settings.allowPathsOutside, &ignored);
            if (!path) continue;
            const std::string key = FileKey(*path);
            ++uses_[key];
            // Of each feature's properties only those a layer chooses its symbols by are kept.
            const auto by = layer.find("symbolBy");
            if (by != layer.end() && by->is_object() && by->contains("property") && (*by)["property"].is_string()) {
                wanted_[key].insert((*by)["property"].get<std::string>());
            }
        }
        for (size_t i = 0; i < at.Value().size(); ++i) ReadLayer(at.At(i));
    }

    void ReadLayer(const Node& at) {
        if (!reader_.Object(at, "a layer object",
                            {"name", "visible", "symbol", "symbolBy", "features", "geojson"})) {
            return;
        }
        Layer layer;
        reader_.Member(at, "name", layer.name, &Reader::String, "a name");
        bool visible = true;
        reader_.Member(at, "visible", visible, &Reader::Boolean);
        const SymbolChoice choice = ReadChoice(at);
        const auto features = at.Find("features");
        const auto geojson = at.Find("geojson");
        if (features.has_value() == geojson.has_value()) {
            reader_.Fail(
                at, "expected exactly one of \"features\" (drawn in drawing units) or \"geojson\" (a file)");
            return;
        }
        if (features) {
            ReadInlineFeatures(*features, choice, layer);
        } else {
            layer.world = true;
            ReadGeoJsonLayer(*geojson, choice, layer);
        }
        if (visible) doc_.layers.push_back(std::move(layer));
    }

    SymbolChoice ReadChoice(const Node& layer) {
        SymbolChoice choice;
        const auto symbol = layer.Find("symbol");
        const auto by = layer.Find("symbolBy");
        if (symbol && by) {
            reader_.Fail(layer, "expected \"symbol\" or \"symbolBy\", not both");
            choice.failed = true;
            return choice;
        }
        if (symbol) {
            choice.fixed = SymbolIndex(*symbol);
            choice.failed = !choice.fixed;
        }
        if (!by) return choice;
        choice.failed = true;
        if (!reader_.Object(*by, "a symbolBy object {\"property\", \"values\", \"default\"}",
                            {"property", "values", "default"})) {
            return choice;
        }
        const auto property = by->Find("property");
        const auto values = by->Find("values");
        if (!property || !values) {
            reader_.Fail(*by, "expected a \"property\" and its \"values\"");
            return choice;
        }
        bool ok = true;
        if (const auto name = reader_.String(*property, "the name of a feature property")) {
            choice.property = *name;
        } else {
            ok = false;
        }
        if (values->Value().is_object()) {
            for (const auto& [key, value] : values->Value().items()) {
                const auto index = SymbolIndex(Node(value, ChildPath(values->Path(), key)));
                ok = ok && index.has_value();
                if (index) choice.byValue.emplace(key, *index);
            }
        } else {
            reader_.Expected(*values, "an object of property value -> symbol name");
            ok = false;
        }
        if (const auto n = by->Find("default")) {
            choice.fallback = SymbolIndex(*n);
            ok = ok && choice.fallback.has_value();
        }
        choice.failed = !ok;
        return choice;
    }

    // The symbol of one feature: its own "symbol", or the layer's choice. Nullopt draws nothing. A
    // missing choice is reported at the feature's path in `file`, the file that holds it.
    std::optional<size_t> Pick(const SymbolChoice& choice, const std::optional<Node>& properties,
                               const std::optional<Node>& own, const std::string& feature, Reader& file) {
        if (own) return SymbolIndex(*own);
        if (choice.failed) return std::nullopt;
        if (choice.fixed) return choice.fixed;
        if (choice.property.empty()) {
            file.Fail(feature,
                         "expected a symbol: give the layer a \"symbol\" or \"symbolBy\", or the feature a "
                         "\"symbol\"");
            return std::nullopt;
        }
        if (properties) {
            const auto value = properties->Find(choice.property);
            const auto key = value ? ValueKey(value->Value()) : std::nullopt;
            if (key) {
                const auto it = choice.byValue.find(*key);
                if (it != choice.byValue.end()) return it->second;
            }
        }
        return choice.fallback;
    }

    // Adds the feature to the layer when its symbol draws on its geometry; reports it otherwise.
    void Place(Feature&& feature, std::optional<size_t> symbol, const Node& at, std::string_view found,
               Layer& layer) {
        if (!symbol) return;
        const SymbolLibrary::Entry& entry = doc_.symbols.Entries()[*symbol];
        if (!Fits(entry.kind->shape, feature.geometry)) {
            reader_.Fail(at, "expected " + std::string(FeaturesFor(entry.kind->shape)) + " for the " +
                                 std::string(entry.kind->name) + " symbol \"" + entry.name + "\", found " +
                                 std::string(found));
            return;
        }
        if (feature.entry == Entry::Outline && entry.kind->type != SymbolTypeLibMarker) {
            reader_.Fail(at, "expected a library marker symbol for \"entry\": \"getPath\", found the " +
                                 std::string(entry.kind->name) + " symbol \"" + entry.name + "\"");
            return;
        }
        std::set<IGIS_Symbol*> seen;
        if (feature.entry == Entry::Path && !DrawsOnPaths(*entry.symbol, seen)) {
            reader_.Fail(at, "expected a simpleLine, or a simpleFill, markerFill, lineFill or compoundFill of them "
                             "with simple-line outlines, for \"entry\": \"path\", found the " +
                                 std::string(entry.kind->name) + " symbol \"" + entry.name + "\"");
            return;
        }
        feature.symbol = *symbol;
        layer.features.push_back(std::move(feature));
    }

    // ---- inline features ----

    // "entry": which of the library's entries draws the feature; it must suit the geometry.
    bool ReadEntry(const Node& at, Feature& feature) {
        const auto name = reader_.String(at, "\"points\", \"path\" or \"getPath\"");
        if (!name) return false;
        if (*name == "points") {
            feature.entry = Entry::Points;
        } else if (*name == "path" &&
                   (feature.geometry == Geometry::Line || feature.geometry == Geometry::Polygon)) {
            feature.entry = Entry::Path;
        } else if (*name == "getPath" && feature.geometry == Geometry::Point) {
            feature.entry = Entry::Outline;
        } else if (*name == "path" || *name == "getPath") {
            reader_.Fail(at, "expected \"" + *name + "\" only on " +
                                 (*name == "path" ? "a line or polygon feature" : "a point feature"));
            return false;
        } else {
            reader_.Expected(at, "\"points\", \"path\" or \"getPath\"");
            return false;
        }
        return true;
    }

    void ReadInlineFeatures(const Node& at, const SymbolChoice& choice, Layer& layer) {
        if (!at.Value().is_array()) {
            reader_.Expected(at, "an array of features");
            return;
        }
        for (size_t i = 0; i < at.Value().size(); ++i) {
            const Node f = at.At(i);
            if (++budget_.features > GeometryBudget::kMaxFeatures) {
                reader_.Fail(f, GeometryBudget::FeaturesOver());
                return;
            }
            ReadInlineFeature(f, choice, layer);
        }
    }

    void ReadInlineFeature(const Node& at, const SymbolChoice& choice, Layer& layer) {
        if (!reader_.Object(
                at, "a feature object",
                {"point", "line", "polygon", "text", "box", "symbol", "properties", "context", "entry"})) {
            return;
        }
        static constexpr std::string_view kGeometryKeys[] = {"point", "line", "polygon", "text"};
        std::optional<Node> geometry;
        std::string_view key;
        int given = 0;
        for (std::string_view k : kGeometryKeys) {
            if (auto n = at.Find(k)) {
                geometry = n;
                key = k;
                ++given;
            }
        }
        if (given != 1) {
            reader_.Fail(at, "expected exactly one of \"point\", \"line\", \"polygon\" or \"text\"");
            return;
        }
        const auto properties = at.Find("properties");
        if (properties && !properties->Value().is_object()) {
            reader_.Expected(*properties, "an object of feature properties");
            return;
        }
        Feature feature;
        bool ok = true;
        if (key == "point") {
            feature.geometry = Geometry::Point;
            const auto p = reader_.Position(*geometry);
            ok = p.has_value() && Spend(*geometry, 1);
            if (ok) feature.parts.push_back({*p});
        } else if (key == "line") {
            feature.geometry = Geometry::Line;
            feature.parts.emplace_back();
            ok = Positions(*geometry, 2, feature.parts.back());
        } else if (key == "polygon") {
            feature.geometry = Geometry::Polygon;
            ok = Rings(*geometry, feature.parts);
            feature.rings.push_back(feature.parts.size());
        } else {
            feature.geometry = Geometry::Text;
            ok = ReadText(at, *geometry, feature);
        }
        if (!ok) return;
        if (feature.geometry != Geometry::Text && at.Find("box")) {
            reader_.Fail(*at.Find("box"), "expected a \"box\" only on a text feature");
            return;
        }
        if (const auto n = at.Find("entry"); n && !ReadEntry(*n, feature)) return;
        // A fault here refuses the document, so the feature is placed all the same.
        if (const auto n = at.Find("context")) {
            ReadContextObject(*n, ContextOwner::Feature, doc_, reader_, colorTables_, feature.context);
        }
        Place(std::move(feature), Pick(choice, properties, at.Find("symbol"), at.Path(), reader_), *geometry,
              "a " + std::string(key), layer);
    }

    bool ReadText(const Node& feature, const Node& text, Feature& out) {
        if (!text.Value().is_string() ||
            text.Value().get_ref<const std::string&>().size() > kMaxStringLength) {
            reader_.Expected(text, "a string of at most " + std::to_string(kMaxStringLength) + " bytes");
            return false;
        }
        out.text = text.Value().get<std::string>();
        const auto box = feature.Find("box");
        if (!box || !reader_.Array(*box, "a layout box [x1, y1, x2, y2]", 4, 4)) {
            if (!box) reader_.Fail(feature, "expected a \"box\" [x1, y1, x2, y2] for the text");
            return false;
        }
        double v[4];
        for (size_t i = 0; i < 4; ++i) {
            const auto x = reader_.Number(box->At(i), -kMaxCoordinate, kMaxCoordinate);
            if (!x) return false;
            v[i] = *x;
        }
        out.box = TextLayout{v[0], v[1], v[2], v[3]};
        return true;
    }

    bool Rings(const Node& at, std::vector<std::vector<Pictor::PointD>>& parts) {
        if (!reader_.Array(at, "an array of rings, each an array of at least 3 positions", 1,
                           std::numeric_limits<size_t>::max())) {
            return false;
        }
        for (size_t i = 0; i < at.Value().size(); ++i) {
            parts.emplace_back();
            if (!Positions(at.At(i), 3, parts.back())) return false;
        }
        return true;
    }

    bool Positions(const Node& at, size_t min, std::vector<Pictor::PointD>& out) {
        if (!reader_.Array(at, "an array of at least " + std::to_string(min) + " positions [x, y]", min,
                           std::numeric_limits<size_t>::max())) {
            return false;
        }
        return Spend(at, at.Value().size()) && reader_.Positions(at, out);
    }

    bool Spend(const Node& at, size_t points) {
        budget_.points += points;
        if (budget_.points <= GeometryBudget::kMaxPoints) return true;
        reader_.Fail(at, GeometryBudget::PointsOver());
        return false;
    }

    // ---- GeoJSON layers ----

    void ReadGeoJsonLayer(const Node& at, const SymbolChoice& choice, Layer& layer) {
        const auto path = ReadPath(at, "the path of a GeoJSON file", doc_, reader_);
        if (!path) return;
        const std::string key = FileKey(*path);
        if (!choice.failed && !choice.fixed && choice.property.empty()) {
            // Said once for the layer rather than once for each of its features.
            if (--uses_[key] <= 0) parsed_.erase(key);
            reader_.Fail(at, "expected a symbol: give the layer a \"symbol\" or \"symbolBy\"");
            return;
        }
        Reader file(*path, reader_.Faults());
        std::shared_ptr<GeoFile> data;
        if (const auto known = parsed_.find(key); known != parsed_.end()) {
            data = known->second;
            if (!ChargeAgain(*data, file)) return;
        } else {
            std::string error;
            const auto text = ReadFile(*path, kMaxGeoJsonBytes, &error);
            if (!text) {
                reader_.Fail(at, "cannot read " + Describe(at.Value()) + ": " + error);
                return;
            }
            data = std::make_shared<GeoFile>();
            const size_t featuresBefore = budget_.features;
            ReadGeoJson(*text, file, wanted_[key], budget_, [&](GeoFeature&& g) {
                data->points += PointCount(g);
                data->features.push_back(std::move(g));
            });
            data->unplaced = budget_.features - featuresBefore - data->features.size();
            if (uses_[key] > 1) parsed_.emplace(key, data);
        }
        // The last layer to read a file takes its features; earlier ones copy them.
        const bool last = --uses_[key] <= 0;
        if (last) parsed_.erase(key);
        for (GeoFeature& g : data->features) {
            Feature feature;
            feature.geometry = g.geometry;
            feature.parts = last ? std::move(g.parts) : g.parts;
            feature.rings = last ? std::move(g.rings) : g.rings;
            // The properties' own path is never named: only their values choose a symbol.
            std::optional<Node> properties;
            if (g.properties.is_object()) properties.emplace(g.properties, std::string());
            // A symbol's misfit is reported in the GeoJSON file, where the feature is.
            std::optional<size_t> symbol = Pick(choice, properties, std::nullopt, g.Path(), file);
            if (!symbol) continue;
            const SymbolLibrary::Entry& entry = doc_.symbols.Entries()[*symbol];
            if (!Fits(entry.kind->shape, feature.geometry)) {
                file.Fail(g.Path(), "expected " + std::string(FeaturesFor(entry.kind->shape)) + " for the " +
                                      std::string(entry.kind->name) + " symbol \"" + entry.name + "\", found a " +
                                      g.typeName);
                continue;
            }
            feature.symbol = *symbol;
            layer.features.push_back(std::move(feature));
        }
    }

    // What one GeoJSON file held, kept while more layers are to read it.
    struct GeoFile {
        std::vector<GeoFeature> features;
        size_t unplaced = 0;  // features read without a geometry
        size_t points = 0;
    };

    static size_t PointCount(const GeoFeature& g) {
        size_t n = 0;
        for (const auto& part : g.parts) n += part.size();
        return n;
    }

    // A file read again by another layer is drawn again: it counts against the budget again.
    bool ChargeAgain(const GeoFile& data, Reader& file) {
        budget_.features += data.unplaced + data.features.size();
        budget_.points += data.points;
        if (budget_.features > GeometryBudget::kMaxFeatures) {
            file.Fail(std::string("$"), GeometryBudget::FeaturesOver());
            return false;
        }
        if (budget_.points > GeometryBudget::kMaxPoints) {
            file.Fail(std::string("$"), GeometryBudget::PointsOver());
            return false;
        }
        return true;
    }

    std::optional<size_t> SymbolIndex(const Node& at) {
        const Json& v = at.Value();
        if (v.is_string()) {
            const size_t i = doc_.symbols.IndexOf(v.get_ref<const std::string&>());
            if (i != std::string::npos) return i;
            // A symbol that was given but refused has been reported already.
            if (declared_.count(v.get<std::string>()) != 0) return std::nullopt;
        }
        reader_.Expected(at, "the name of a symbol in $.symbols");
        return std::nullopt;
    }

    // The same file under any spelling.
    static std::string FileKey(const std::string& path) {
        std::error_code ec;
        const std::string canonical = std::filesystem::weakly_canonical(path, ec).string();
        return ec ? path : canonical;
    }

    std::map<std::string, int> uses_;                         // layers still to read each file
    std::map<std::string, std::shared_ptr<GeoFile>> parsed_;  // files named by more layers
    std::map<std::string, std::set<std::string, std::less<>>> wanted_;  // properties layers choose by

    Document& doc_;
    Reader& reader_;
    GeometryBudget& budget_;
    const std::set<std::string, std::less<>>& declared_;
    ColorTableCache& colorTables_;
};

}  // namespace

void ReadLayers(const Node& layers, Document& document, Reader& reader, GeometryBudget& budget,
                const std::set<std::string, std::less<>>& declared, ColorTableCache& colorTables) {
    LayerReader(document, reader, budget, declared, colorTables).ReadLayers(layers);
}

}  // namespace symbolhost::document
