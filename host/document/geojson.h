// Reading GeoJSON geometry. Internal to host/document.
#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <string_view>
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

    // "expected at most 1000000 features in a document", and the same for points.
    static std::string FeaturesOver();
    static std::string PointsOver();
};

struct GeoFeature {
    Geometry geometry = Geometry::Point;
    std::vector<std::vector<Pictor::PointD>> parts;
    std::vector<size_t> rings;  // Polygon: parts per polygon, outer ring first (Feature::rings)
    // The feature's properties that were asked for and hold a string, number or boolean; null
    // when the feature has no properties object.
    Json properties;
    // Which feature of the file it is, for messages: an index into "features", or kWhole when the
    // file is one Feature, or kBare when it is a bare geometry.
    static constexpr size_t kWhole = static_cast<size_t>(-1);
    static constexpr size_t kBare = static_cast<size_t>(-2);
    size_t index = kBare;
    std::string typeName;  // "LineString", ... for messages

    // The path of the geometry: "$.features[3].geometry".
    std::string Path() const;
};

// Reads the text of a FeatureCollection, a Feature or a bare geometry and hands each feature that
// has a geometry to `emit`; features whose geometry is null or empty are counted against the
// budget and skipped. Point, LineString, Polygon and their Multi forms; lines need 2 positions, polygon rings
// 3. Of each feature's properties only those named in `wanted` are kept.
//
// The text is read as a stream, one feature at a time, and nothing of it is kept but the
// features' points and wanted properties: memory stays a small multiple of the text, whatever the
// file holds besides. False after reporting a fault (a syntax error reports only itself, before
// any feature is handed on).
bool ReadGeoJson(std::string_view text, Reader& reader, const std::set<std::string, std::less<>>& wanted,
                 GeometryBudget& budget, const std::function<void(GeoFeature&&)>& emit);

}  // namespace symbolhost::document
