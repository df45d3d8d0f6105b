// Reading GeoJSON geometry. Internal to host/document.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/document/document.h"
#include "host/document/json_reader.h"

namespace symbolhost::document {

// How much geometry one document may hold, shared by all its layers. A million features and five
// million points (80 MB of coordinates) is a city map at building level; more is a data set to
// tile, not a document to render in one go.
struct GeometryBudget {
    static constexpr size_t kMaxFeatures = 1000000;
    static constexpr size_t kMaxPoints = 5000000;
    size_t features = 0;
    size_t points = 0;
};

struct GeoFeature {
    Geometry geometry = Geometry::Point;
    std::vector<std::vector<Pictor::PointD>> parts;
    std::vector<size_t> rings;       // Polygon: parts per polygon, outer ring first (Feature::rings)
    std::optional<Node> properties;  // the feature's "properties" object, when it has one
    Node at;                         // the geometry, for messages
    std::string typeName;            // "LineString", ... for messages
};

// Reads a FeatureCollection, a Feature or a bare geometry and hands each feature that has a
// geometry to `emit` (features whose geometry is null are skipped). Point, LineString, Polygon
// and their Multi forms; lines need 2 positions, polygon rings 3. False after reporting a fault.
bool ReadGeoJson(const Node& root, Reader& reader, GeometryBudget& budget,
                 const std::function<void(GeoFeature&&)>& emit);

}  // namespace symbolhost::document
