#include "host/document/geojson.h"

#include <string_view>

namespace symbolhost::document {
namespace {

constexpr const char* kGeometryTypes =
    "a geometry type \"Point\", \"LineString\", \"Polygon\", \"MultiPoint\", \"MultiLineString\" or "
    "\"MultiPolygon\"";

// Fewest positions that draw something: a line needs two, a ring three.
constexpr size_t kMinLinePositions = 2;
constexpr size_t kMinRingPositions = 3;

class GeoReader {
public:
    GeoReader(Reader& reader, GeometryBudget& budget, const std::function<void(GeoFeature&&)>& emit)
        : reader_(reader), budget_(budget), emit_(emit) {}

    bool Root(const Node& root) {
        const std::string type = TypeOf(root);
        if (type == "FeatureCollection") {
            const std::optional<Node> features = root.Find("features");
            if (!features || !features->Value().is_array()) {
                reader_.Expected(features.value_or(root), "a \"features\" array");
                return false;
            }
            bool ok = true;
            for (size_t i = 0; i < features->Value().size() && !over_; ++i) {
                ok = Feature(features->At(i)) && ok;
            }
            return ok && !over_;
        }
        if (type == "Feature") return Feature(root);
        if (type.empty()) {
            reader_.Expected(root, "a GeoJSON object with a \"type\"");
            return false;
        }
        return Geometry(root, std::nullopt);
    }

private:
    static std::string TypeOf(const Node& node) {
        const std::optional<Node> type = node.Find("type");
        return type && type->Value().is_string() ? type->Value().get<std::string>() : std::string();
    }

    bool Feature(const Node& feature) {
        if (TypeOf(feature) != "Feature") {
            reader_.Expected(feature, "a GeoJSON Feature");
            return false;
        }
        std::optional<Node> properties = feature.Find("properties");
        if (properties && !properties->Value().is_object() && !properties->Value().is_null()) {
            reader_.Expected(*properties, "an object or null");
            return false;
        }
        if (properties && properties->Value().is_null()) properties.reset();
        const std::optional<Node> geometry = feature.Find("geometry");
        if (!geometry) {
            reader_.Expected(feature, "a Feature with a \"geometry\" (null when it has none)");
            return false;
        }
        // A feature without a place is not drawn, but it is read: it counts like any other.
        if (geometry->Value().is_null()) return CountFeature(feature);
        return Geometry(*geometry, properties);
    }

    bool CountFeature(const Node& at) {
        if (++budget_.features <= GeometryBudget::kMaxFeatures) return true;
        OverBudget(at, "features", GeometryBudget::kMaxFeatures);
        return false;
    }

    bool Geometry(const Node& geometry, const std::optional<Node>& properties) {
        const std::string type = TypeOf(geometry);
        const std::optional<Node> coordinates = geometry.Find("coordinates");
        if (!geometry.Value().is_object() || !coordinates) {
            reader_.Expected(geometry, std::string(kGeometryTypes) + " with \"coordinates\"");
            return false;
        }
        if (!CountFeature(geometry)) return false;
        GeoFeature out{Geometry::Point, {}, {}, properties, geometry, type};
        bool ok = false;
        if (type == "Point") {
            out.parts.emplace_back();
            ok = Position(*coordinates, out.parts.back());
        } else if (type == "MultiPoint") {
            ok = Each(*coordinates, "an array of positions", [&](const Node& p) {
                out.parts.emplace_back();
                return Position(p, out.parts.back());
            });
        } else if (type == "LineString") {
            out.geometry = Geometry::Line;
            out.parts.emplace_back();
            ok = Positions(*coordinates, kMinLinePositions, out.parts.back());
        } else if (type == "MultiLineString") {
            out.geometry = Geometry::Line;
            ok = Each(*coordinates, "an array of lines", [&](const Node& line) {
                out.parts.emplace_back();
                return Positions(line, kMinLinePositions, out.parts.back());
            });
        } else if (type == "Polygon") {
            out.geometry = Geometry::Polygon;
            ok = Rings(*coordinates, out);
        } else if (type == "MultiPolygon") {
            out.geometry = Geometry::Polygon;
            ok = Each(*coordinates, "an array of polygons",
                      [&](const Node& polygon) { return Rings(polygon, out); });
        } else {
            reader_.Expected(geometry.Find("type").value_or(geometry), kGeometryTypes);
            return false;
        }
        if (ok) emit_(std::move(out));
        return ok;
    }

    template <typename Step>
    bool Each(const Node& array, std::string_view what, const Step& step) {
        if (!array.Value().is_array()) {
            reader_.Expected(array, what);
            return false;
        }
        bool ok = true;
        for (size_t i = 0; i < array.Value().size() && ok; ++i) ok = step(array.At(i));
        return ok;
    }

    // One polygon: its outer ring, then its holes.
    bool Rings(const Node& polygon, GeoFeature& out) {
        const size_t before = out.parts.size();
        const bool ok = Each(polygon, "an array of rings", [&](const Node& ring) {
            out.parts.emplace_back();
            return Positions(ring, kMinRingPositions, out.parts.back());
        });
        out.rings.push_back(out.parts.size() - before);
        return ok;
    }

    bool Position(const Node& at, std::vector<Pictor::PointD>& out) {
        if (!Spend(at, 1)) return false;
        const auto p = reader_.Position(at);
        if (p) out.push_back(*p);
        return p.has_value();
    }

    bool Positions(const Node& at, size_t min, std::vector<Pictor::PointD>& out) {
        if (!at.Value().is_array() || at.Value().size() < min) {
            reader_.Expected(at, "an array of at least " + std::to_string(min) + " positions");
            return false;
        }
        return Spend(at, at.Value().size()) && reader_.Positions(at, out);
    }

    bool Spend(const Node& at, size_t points) {
        budget_.points += points;
        if (budget_.points <= GeometryBudget::kMaxPoints) return true;
        OverBudget(at, "points", GeometryBudget::kMaxPoints);
        return false;
    }

    void OverBudget(const Node& at, const char* what, size_t cap) {
        if (!over_) {
            reader_.Fail(at, "expected at most " + std::to_string(cap) + " " + what + " in a document");
        }
        over_ = true;
    }

    Reader& reader_;
    GeometryBudget& budget_;
    const std::function<void(GeoFeature&&)>& emit_;
    bool over_ = false;
};

}  // namespace

bool ReadGeoJson(const Node& root, Reader& reader, GeometryBudget& budget,
                 const std::function<void(GeoFeature&&)>& emit) {
    return GeoReader(reader, budget, emit).Root(root);
}

}  // namespace symbolhost::document
