// Writes libFuzzer's dictionary of document words: every kind's name, property keys and choice
// names from the kind tables, and the keys and words of the rest of a document. With a file
// argument it checks that the file holds exactly this, as the tests do for the checked-in
// tests/fuzz/documents.dict.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/document/kind.h"

namespace {

using symbolhost::document::Kinds;

// Words of a document outside the symbols: the canvas, context, settings, view, resources,
// layers and their features, GeoJSON, and the values those take by name.
// clang-format off
constexpr std::string_view kDocumentWords[] = {
    "canvas", "width", "height", "background", "ppi", "yUp", "context", "scale", "sizeRatio", "rotation",
    "overrideColor", "color", "colorTable", "settings", "simplifyAnchorPoints", "configDir", "codePage",
    "allowPathsOutside", "jitterSeed", "1252", "GBK", "view", "box", "margin", "images", "fillImages",
    "resources", "anchor", "extent", "referenceElement", "elements", "type", "line", "rect", "ellipse",
    "path", "points", "x", "y", "center", "radius", "subPaths", "closed", "beziers", "lines", "id",
    "lineWidth", "lineColor", "lineCap", "lineJoin", "dashPattern", "filled", "fillColor", "stroked",
    "usage", "styleElementId", "keepOwnLineColor", "fillFollowsSymbol", "textIndex", "symbols", "kind",
    "layers", "name", "visible", "symbol", "symbolBy", "property", "values", "default", "features",
    "geojson", "point", "polygon", "text", "entry", "getPath", "FeatureCollection", "Feature",
    "geometry", "properties", "coordinates", "Point", "MultiPoint", "LineString", "MultiLineString",
    "Polygon", "MultiPolygon", "null", "true", "false", "1e308", "-0", "NaN",
};
// clang-format on

std::string Dictionary() {
    std::vector<std::string> words;
    std::set<std::string> seen;
    const auto add = [&](std::string_view word) {
        if (seen.insert(std::string(word)).second) words.emplace_back(word);
    };
    for (const auto* kind : Kinds()) {
        add(kind->name);
        for (const auto& property : kind->properties) {
            add(property.key);
            for (const auto& choice : property.choices) add(choice.name);
        }
    }
    for (std::string_view word : kDocumentWords) add(word);
    std::ostringstream out;
    out << "# Words of symbol documents for libFuzzer, written by tests/fuzz/make_dictionary.cpp.\n";
    for (const std::string& word : words) out << "\"" << word << "\"\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dictionary = Dictionary();
    if (argc < 2) {
        std::fputs(dictionary.c_str(), stdout);
        return 0;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string held((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (held == dictionary) return 0;
    std::fprintf(stderr, "%s is out of date: write it again with the output of make_dictionary\n", argv[1]);
    return 1;
}
