// The GeoJSON reader on any text: every feature it hands on has the parts its geometry needs, and
// the geometry budget holds.
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <set>
#include <string>

#include "host/document/geojson.h"
#include "host/document/json_reader.h"
#include "tests/fuzz/fuzz_check.h"

using namespace symbolhost::document;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Diagnostics diagnostics;
    Reader reader("fuzz.geojson", diagnostics);
    GeometryBudget budget;
    size_t features = 0;
    const std::set<std::string, std::less<>> wanted = {"kind"};
    const bool read = ReadGeoJson(fuzz::Text(data, size), reader, wanted, budget, [&](GeoFeature&& f) {
        ++features;
        FUZZ_CHECK(!f.parts.empty());
        for (const auto& part : f.parts) {
            if (f.geometry == Geometry::Line) FUZZ_CHECK(part.size() >= 2);
            if (f.geometry == Geometry::Polygon) FUZZ_CHECK(part.size() >= 3);
            if (f.geometry == Geometry::Point) FUZZ_CHECK(part.size() == 1);
        }
        if (f.geometry == Geometry::Polygon) {
            FUZZ_CHECK(std::accumulate(f.rings.begin(), f.rings.end(), size_t{0}) == f.parts.size());
            for (size_t rings : f.rings) FUZZ_CHECK(rings >= 1);
        }
        // Only the asked-for property is kept, and only as a scalar.
        FUZZ_CHECK(f.properties.is_null() || (f.properties.size() == 1 && f.properties.contains("kind") &&
                                              f.properties["kind"].is_primitive() && !f.properties["kind"].is_null()));
    });
    FUZZ_CHECK(read == diagnostics.Empty());
    FUZZ_CHECK(features <= budget.features && budget.features <= GeometryBudget::kMaxFeatures);
    FUZZ_CHECK(budget.points <= GeometryBudget::kMaxPoints);
    return 0;
}
