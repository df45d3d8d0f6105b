#include "host/document/document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "contracts/pictor/image.h"
#include "contracts/symbol/fill.h"
#include "host/document/property_json.h"
#include "host/line_symbols.h"
#include "pictor/cairo_canvas.h"
#include "tests/host/written_symbols.h"

namespace {

using namespace symbolhost;
using namespace symbolhost::document;
namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards, holding the document and the files it names.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "document_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    std::string Write(const std::string& name, const std::string& text) const {
        const fs::path file = path_ / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }
    std::string Path() const { return path_.string(); }

private:
    fs::path path_;
};

class DocumentTest : public ::testing::Test {
protected:
    // Reads `text` as the file doc.json in the test's directory.
    ReadResult Read(const std::string& text) { return ReadDocument(dir_.Write("doc.json", text)); }

    // Reads a document that must be accepted.
    std::unique_ptr<Document> Accepted(const std::string& text) {
        ReadResult r = Read(text);
        EXPECT_NE(r.document, nullptr) << r.diagnostics.Text();
        return std::move(r.document);
    }

    // The faults of a document that must be refused, one per line.
    std::string Refused(const std::string& text) {
        ReadResult r = Read(text);
        EXPECT_EQ(r.document, nullptr);
        EXPECT_FALSE(r.diagnostics.Empty());
        return r.diagnostics.Text();
    }

    std::string Doc() const { return dir_.Path() + "/doc.json"; }

    TempDir dir_;
};

// ---- reading ---------------------------------------------------------------------------------

TEST_F(DocumentTest, EmptyDocumentTakesEveryDefault) {
    const auto doc = Accepted("{}");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->canvas.width, 800);
    EXPECT_EQ(doc->canvas.height, 600);
    EXPECT_EQ(doc->canvas.background, 0xFFFFFFFFu);
    EXPECT_EQ(doc->canvas.ppi, 96.0);
    EXPECT_FALSE(doc->canvas.yUp);
    EXPECT_EQ(doc->context.scale, -1.0);
    EXPECT_EQ(doc->context.sizeRatio, 1.0);
    EXPECT_EQ(doc->context.color, 0xFF000000u);
    EXPECT_FALSE(doc->settings.simplifyAnchorPoints.has_value());
    EXPECT_EQ(doc->colorTable, nullptr);
    EXPECT_FALSE(doc->view.has_value());
    EXPECT_TRUE(doc->symbols.Entries().empty());
    EXPECT_EQ(doc->FeatureCount(), 0u);
}

TEST_F(DocumentTest, ReadsCanvasContextSettingsAndColourTable) {
    dir_.Write("night.txt", "FF0000 00FF00\n");
    fs::create_directories(dir_.Path() + "/config/colortable");
    const auto doc = Accepted(R"({
        "canvas": {"width": 300, "height": 200, "background": "#80102030", "ppi": 300, "yUp": true},
        "context": {"scale": 12.5, "sizeRatio": 2, "rotation": -30, "overrideColor": true, "color": "#123456",
                    "colorTable": "night.txt"},
        "settings": {"simplifyAnchorPoints": true, "configDir": "config"}})");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->canvas.width, 300);
    EXPECT_EQ(doc->canvas.background, 0x80102030u);
    EXPECT_EQ(doc->canvas.ppi, 300.0);
    EXPECT_TRUE(doc->canvas.yUp);
    EXPECT_EQ(doc->context.scale, 12.5);
    EXPECT_EQ(doc->context.rotation, -30.0);
    EXPECT_TRUE(doc->context.overrideColor);
    EXPECT_EQ(doc->context.color, 0xFF123456u);  // "#RRGGBB" is opaque
    ASSERT_NE(doc->colorTable, nullptr);
    EXPECT_EQ(doc->colorTable->MapColor(0xFF0000), 0x00FF00u);
    EXPECT_EQ(doc->settings.simplifyAnchorPoints, true);
    EXPECT_EQ(fs::path(doc->settings.configDir), fs::path(dir_.Path()) / "config");
}

TEST_F(DocumentTest, OmittedPropertiesTakeTheDocumentedDefaultsWhichAreTheHostDefaults) {
    for (const Kind* kind : Kinds()) {
        // Resource codes and picture ids default to 0, which the stand-ins provide.
        ReadResult r = ReadWritten(R"({"symbols": {"s": {"kind": ")" + std::string(kind->name) + R"("}}})");
        const std::unique_ptr<Document>& doc = r.document;
        ASSERT_NE(doc, nullptr) << r.diagnostics.Text();
        IGIS_Symbol& read = *doc->symbols.Find("s")->symbol;
        SymbolPtr<> fresh = kind->make();
        EXPECT_TRUE(SameSymbol(read, *fresh)) << kind->name;
        const MemberComparer bothNull = [](IGIS_Symbol* a, IGIS_Symbol* b) {
            return a == nullptr && b == nullptr;
        };
        for (const Property& p : kind->properties) {
            EXPECT_TRUE(SameValue(p, p.get(read), p.fallback, bothNull)) << kind->name << "." << p.key;
        }
    }
}

TEST_F(DocumentTest, InlineFeaturesPickTheLayerSymbolTheirOwnOrOneByProperty) {
    const auto doc = Accepted(R"({
        "symbols": {"road": {"kind": "simpleLine"}, "path": {"kind": "simpleLine"}, "lot": {"kind": "simpleFill"}},
        "layers": [
          {"symbol": "road", "features": [
             {"line": [[0, 0], [10, 5]]},
             {"line": [[0, 0], [1, 1], [2, 0]], "symbol": "path"},
             {"polygon": [[[0, 0], [4, 0], [4, 4]], [[1, 1], [2, 1], [2, 2]]], "symbol": "lot"}]},
          {"symbolBy": {"property": "class", "values": {"2": "path", "true": "lot"}, "default": "road"},
           "features": [
             {"line": [[0, 0], [1, 0]], "properties": {"class": 2}},
             {"polygon": [[[0, 0], [1, 0], [1, 1]]], "properties": {"class": true}},
             {"line": [[0, 0], [1, 0]], "properties": {"class": "other"}},
             {"line": [[0, 0], [1, 0]]}]},
          {"visible": false, "symbol": "road", "features": [{"line": [[0, 0], [1, 0]]}]}]})");
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->layers.size(), 2u);  // the hidden layer is checked but not kept
    const auto name = [&](const Feature& f) { return doc->symbols.Entries()[f.symbol].name; };
    const auto& first = doc->layers[0].features;
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(name(first[0]), "road");
    EXPECT_EQ(name(first[1]), "path");
    EXPECT_EQ(name(first[2]), "lot");
    ASSERT_EQ(first[2].parts.size(), 2u);  // the hole is a ring of its own
    EXPECT_EQ(first[2].parts[1][2].x, 2.0);
    EXPECT_FALSE(doc->layers[0].world);
    const auto& second = doc->layers[1].features;
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(name(second[0]), "path");
    EXPECT_EQ(name(second[1]), "lot");
    EXPECT_EQ(name(second[2]), "road");
    EXPECT_EQ(name(second[3]), "road");
}

TEST_F(DocumentTest, GeoJsonGivesEveryGeometryTypeAndFitsTheDataIntoTheCanvas) {
    dir_.Write("data/all.geojson", R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {"k": "p"}, "geometry": {"type": "Point", "coordinates": [0, 0, 7]}},
        {"type": "Feature", "properties": {"k": "p"}, "geometry": {"type": "MultiPoint", "coordinates": [[1, 1], [2, 2]]}},
        {"type": "Feature", "properties": {"k": "l"}, "geometry": {"type": "LineString", "coordinates": [[0, 0], [200, 100]]}},
        {"type": "Feature", "properties": {"k": "l"}, "geometry": {"type": "MultiLineString",
            "coordinates": [[[0, 0], [1, 1]], [[2, 2], [3, 3]]]}},
        {"type": "Feature", "properties": {"k": "a"}, "geometry": {"type": "Polygon",
            "coordinates": [[[0, 0], [9, 0], [9, 9], [0, 0]], [[1, 1], [2, 1], [2, 2], [1, 1]]]}},
        {"type": "Feature", "properties": {"k": "a"}, "geometry": {"type": "MultiPolygon",
            "coordinates": [[[[0, 0], [1, 0], [1, 1]]], [[[5, 5], [6, 5], [6, 6]], [[5, 5], [5.5, 5], [5.5, 5.5]]]]}},
        {"type": "Feature", "properties": {"k": "a"}, "geometry": null},
        {"type": "Feature", "properties": null, "geometry": {"type": "Point", "coordinates": [3, 3]}}]})");
    const auto doc = Accepted(R"({
        "canvas": {"width": 400, "height": 400},
        "symbols": {"line": {"kind": "simpleLine"}, "fill": {"kind": "simpleFill"}},
        "layers": [{"geojson": "data/all.geojson",
                    "symbolBy": {"property": "k", "values": {"l": "line", "a": "fill"}}}]})");
    ASSERT_NE(doc, nullptr);
    const Layer& layer = doc->layers.at(0);
    EXPECT_TRUE(layer.world);
    // Points have no symbol here and are left out; the null geometry is skipped.
    ASSERT_EQ(layer.features.size(), 4u);
    EXPECT_EQ(layer.features[0].geometry, Geometry::Line);
    EXPECT_EQ(layer.features[1].parts.size(), 2u);
    EXPECT_EQ(layer.features[2].geometry, Geometry::Polygon);
    EXPECT_EQ(layer.features[2].parts.size(), 2u);
    EXPECT_EQ(layer.features[3].parts.size(), 3u);  // two polygons, the second with a hole

    // The bounds (0, 0)-(200, 100) fill the width; y up in the world points down on the canvas.
    ASSERT_TRUE(doc->view.has_value());
    const Pictor::Matrix view = ViewTransform(*doc);
    EXPECT_DOUBLE_EQ(view.TransformPoint({0, 0}).x, 0.0);
    EXPECT_DOUBLE_EQ(view.TransformPoint({0, 0}).y, 300.0);
    EXPECT_DOUBLE_EQ(view.TransformPoint({200, 100}).x, 400.0);
    EXPECT_DOUBLE_EQ(view.TransformPoint({200, 100}).y, 100.0);
}

TEST_F(DocumentTest, GeoJsonIsReadWhateverTheOrderOfItsMembers) {
    // "type" after "features" and "coordinates" before "type"; a property that is not a plain value
    // chooses nothing; empty geometries are read and drawn no more than null ones.
    dir_.Write("late.geojson", R"({"features": [
        {"geometry": {"coordinates": [[0, 0], [5, 5]], "type": "LineString"}, "properties": {"k": "a"},
         "type": "Feature"},
        {"type": "Feature", "properties": {"k": {"nested": "a"}}, "geometry": {"type": "Point", "coordinates": [1, 1]}},
        {"type": "Feature", "properties": {"k": "a"}, "geometry": {"type": "MultiPolygon", "coordinates": [[], []]}},
        {"type": "Feature", "properties": {"k": "a"}, "geometry": {"type": "Polygon", "coordinates": []}}],
        "type": "FeatureCollection"})");
    const auto doc = Accepted(R"({"symbols": {"line": {"kind": "simpleLine"}, "dot": {"kind": "charMarker"}},
        "layers": [{"geojson": "late.geojson", "symbolBy": {"property": "k", "values": {"a": "line"}, "default": "dot"}}]})");
    ASSERT_NE(doc, nullptr);
    const auto& features = doc->layers.at(0).features;
    ASSERT_EQ(features.size(), 2u);
    EXPECT_EQ(features[0].geometry, Geometry::Line);
    EXPECT_EQ(features[1].geometry, Geometry::Point);
    EXPECT_EQ(features[1].symbol, doc->symbols.IndexOf("dot"));

    // A GeoJSON layer with no way to choose a symbol is told so once, not once per feature.
    EXPECT_EQ(Refused(R"({"symbols": {"line": {"kind": "simpleLine"}}, "layers": [{"geojson": "late.geojson"}]})"),
              Doc() + ": $.layers[0].geojson: expected a symbol: give the layer a \"symbol\" or \"symbolBy\"\n");
}

TEST_F(DocumentTest, LayersSharingAGeoJsonFileEachGetItsFeatures) {
    dir_.Write("roads.geojson", R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": [[0, 0], [9, 9]]}},
        {"type": "Feature", "properties": {}, "geometry": null}]})");
    // Read once for all three layers, under any spelling; a hidden layer still uses it up.
    const auto doc = Accepted(R"({"symbols": {"casing": {"kind": "simpleLine", "width": 2},
                                              "core": {"kind": "simpleLine"}},
        "layers": [{"symbol": "casing", "geojson": "roads.geojson"},
                   {"symbol": "core", "geojson": "roads.geojson", "visible": false},
                   {"symbol": "core", "geojson": "./roads.geojson"}]})");
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->layers.size(), 2u);
    EXPECT_EQ(doc->layers[0].features.size(), 1u);
    EXPECT_EQ(doc->layers[1].features.size(), 1u);
    EXPECT_EQ(doc->layers[1].features[0].parts, doc->layers[0].features[0].parts);
}

TEST_F(DocumentTest, ViewBoxAndMarginPlaceTheWorldAndYUpKeepsItsDirection) {
    dir_.Write("p.geojson", R"({"type": "LineString", "coordinates": [[0, 0], [1, 1]]})");
    const std::string layers = R"("symbols": {"l": {"kind": "simpleLine"}},
        "layers": [{"geojson": "p.geojson", "symbol": "l"}])";
    const auto down = Accepted(R"({"canvas": {"width": 120, "height": 100},
        "view": {"box": [10, 20, 30, 40], "margin": 10}, )" +
                               layers + "}");
    ASSERT_NE(down, nullptr);
    const Pictor::Matrix v = ViewTransform(*down);
    EXPECT_DOUBLE_EQ(v.TransformPoint({10, 20}).x, 20.0);  // 80 pixels for 20 units, centred
    EXPECT_DOUBLE_EQ(v.TransformPoint({10, 20}).y, 90.0);
    EXPECT_DOUBLE_EQ(v.TransformPoint({30, 40}).y, 10.0);

    const auto up = Accepted(R"({"canvas": {"width": 254, "height": 254, "ppi": 254, "yUp": true},
        "view": {"box": [0, 0, 1, 1]}, )" +
                             layers + "}");
    ASSERT_NE(up, nullptr);
    // A 254-pixel canvas at 254 ppi is 25.4 mm: 2540 drawing units of 0.01 mm, y up.
    const Pictor::Matrix w = ViewTransform(*up);
    EXPECT_DOUBLE_EQ(w.TransformPoint({0, 0}).y, 0.0);
    EXPECT_DOUBLE_EQ(w.TransformPoint({1, 1}).y, 2540.0);
    const Pictor::Matrix canvas = CanvasTransform(*up);
    EXPECT_DOUBLE_EQ(canvas.TransformPoint({0, 0}).y, 254.0);
    EXPECT_DOUBLE_EQ(canvas.TransformPoint({2540, 2540}).y, 0.0);
    EXPECT_DOUBLE_EQ(ResolvedScale(*up, true), 100.0);
    EXPECT_DOUBLE_EQ(ResolvedScale(*down, false), 96.0 / 25.4);
}

TEST_F(DocumentTest, PicturesAreLoadedByIdForTheStores) {
    Pictor::RasterCanvas picture(3, 2, Pictor::Color(0xFF00FF00));
    ASSERT_EQ(picture.WritePng(dir_.Path() + "/tree.png"), Pictor::Ok);
    const auto doc = Accepted(
        R"({"images": {"7": "tree.png", "9": "./tree.png"}, "fillImages": {"4294967295": "tree.png"}})");
    ASSERT_NE(doc, nullptr);
    const Pictor::Image* tree = doc->images.GetImage(7);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->GetWidth(), 3);
    EXPECT_EQ(tree->GetPixel(1, 1).GetValue(), 0xFF00FF00u);
    EXPECT_EQ(doc->images.GetImage(8), nullptr);
    // One file is one decoded picture, whatever ids and tables name it.
    EXPECT_EQ(doc->images.GetImage(9), tree);
    EXPECT_EQ(doc->fillImages.GetImage(4294967295u), tree);

    EXPECT_EQ(
        Refused(R"({"images": {"tree": "tree.png"}})"),
        Doc() + ": $.images.tree: expected a picture id from 0 to 4294967295 as the key, found \"tree\"\n");
    EXPECT_EQ(
        Refused(R"({"images": {"1": "doc.json"}})"),
        Doc() + ": $.images[\"1\"]: expected a readable PNG file, found \"doc.json\" (not a PNG picture)\n");
    EXPECT_EQ(Refused(R"({"images": {"1": "none.png"}})"),
              Doc() + ": $.images[\"1\"]: expected a readable PNG file, found \"none.png\" (no such file)\n");
}

// ---- refusals ----------------------------------------------------------------------------------

TEST_F(DocumentTest, TypicalMistakesNameTheFileThePathAndWhatWasExpected) {
    struct Case {
        const char* text;
        const char* message;  // after "<file>"
    };
    const Case cases[] = {
        {"{\n  \"canvas\": {\"width\": 10,}\n}",
         ":2:26: $.canvas.width: syntax error while parsing object key - unexpected '}'; expected string "
         "literal"},
        {R"({"symbols": {"road": {"kind": "simpleLine", "width": "wide"}}})",
         ": $.symbols.road.width: expected a number from 0 to 1000 mm, found \"wide\""},
        {R"({"symbols": {"road": {"kind": "simpleLine", "color": "red"}}})",
         ": $.symbols.road.color: expected a colour \"#RRGGBB\", found \"red\""},
        {R"({"symbols": {"road": {"kind": "simpleLine", "style": "wavy"}}})",
         ": $.symbols.road.style: expected one of \"solid\", \"dash\", \"dot\", \"dashDot\", \"dashDotDot\", "
         "\"custom\", \"none\" (or a whole-number code), found \"wavy\""},
        {R"({"symbols": {"road": {"kind": "simpleLine", "colour": "#000000"}}})",
         ": $.symbols.road.colour: unknown key in a simpleLine symbol; expected one of: kind, color, "
         "transparency, width, style, dashPattern, join, cap, smooth, halo"},
        {R"({"symbols": {"lake": {"kind": "simpleFill", "outline": "shore"}}})",
         ": $.symbols.lake.outline: expected the name of a symbol in $.symbols, found \"shore\""},
        {R"({"symbols": {"a": {"kind": "simpleFill"}, "b": {"kind": "simpleFill", "outline": "a"}}})",
         ": $.symbols.b.outline: expected a line symbol, found \"a\", a simpleFill symbol"},
        {R"({"symbols": {"lake": {"kind": "simpleFill", "outline": "lake"}}})",
         ": $.symbols.lake.outline: expected references without a cycle, found lake -> lake"},
        {R"({"symbols": {"a": {"kind": "simpleFill", "outline": "b"}, "b": {"kind": "simpleFill", "outline": "a"}}})",
         ": $.symbols.b.outline: expected references without a cycle, found a -> b -> a"},
        {R"({"layers": [{"symbol": "road", "features": []}]})",
         ": $.layers[0].symbol: expected the name of a symbol in $.symbols, found \"road\""},
        {R"({"symbols": {"lot": {"kind": "simpleFill"}}, "layers": [{"symbol": "lot", "features": [{"line": [[0, 0], [1, 1]]}]}]})",
         ": $.layers[0].features[0].line: expected a polygon feature for the simpleFill symbol \"lot\", "
         "found a line"},
        {R"({"layers": [{"features": [{"line": [[0, 0]]}]}]})",
         ": $.layers[0].features[0].line: expected an array of at least 2 positions [x, y], found an array "
         "of 1 value"},
        {R"({"canvas": {"width": 0}})",
         ": $.canvas.width: expected a whole number from 1 to 32767 pixels, found 0"},
        {R"({"canvas": {"background": "#12345"}})",
         ": $.canvas.background: expected a colour \"#RRGGBB\" or \"#AARRGGBB\", found \"#12345\""},
        {R"({"layers": [{"geojson": "missing.geojson", "symbol": "x"}], "symbols": {"x": {"kind": "simpleLine"}}})",
         ": $.layers[0].geojson: cannot read \"missing.geojson\": no such file"},
        {"[1, 2]", ": $: expected a document object, found an array of 2 values"},
        {R"({"symbols": {"road": {"kind": "simpleLine", "width": 1, "width": 2}}})",
         ": $.symbols.road: expected each key once, found \"width\" twice"},
        {R"({"context": {"colorTable": "table.txt\u0000.png"}})",
         ": $.context.colorTable: expected the path of a colour table file without a NUL character"},
        {R"({"symbols": {"g": {"kind": "gradientFill", "blendPositions": [0, 1], "blendFactors": [0, 0.5, 1]}}})",
         ": $.symbols.g.blendFactors: expected \"blendPositions\" and \"blendFactors\" of the same length, at least "
         "2"},
        {R"({"symbols": {"g": {"kind": "gradientFill", "outline": {"kind": "hashLine"}}}})",
         ": $.symbols.g.outline: expected an \"outline\" that is a simpleLine: a gradient's outline follows the filled "
         "path"},
    };
    for (const Case& c : cases) EXPECT_EQ(Refused(c.text), Doc() + c.message + "\n") << c.text;

    // Every field of an object is read, so that one pass reports each fault.
    EXPECT_EQ(
        Refused(R"({"symbols": {"road": {"kind": "simpleLine", "halo": {"size": -1, "color": "#fff"}}}})"),
        Doc() + ": $.symbols.road.halo.size: expected a number from 0 to 1000 mm, found -1\n" + Doc() +
            ": $.symbols.road.halo.color: expected a colour \"#RRGGBB\", found \"#fff\"\n");

    const std::string unknownKind = Refused(R"({"symbols": {"tree": {"kind": "pictureTree"}}})");
    EXPECT_EQ(
        unknownKind.rfind(Doc() + ": $.symbols.tree.kind: expected one of the kinds \"simpleLine\", ", 0), 0u)
        << unknownKind;
    EXPECT_NE(unknownKind.find(", found \"pictureTree\"\n"), std::string::npos) << unknownKind;
}

// What the library would refuse or cut short while drawing is refused when read, at the value.
// (CommandsTest.WhatValidatesAtTheLimitsDrawsWithoutALibraryMessage draws the largest accepted.)
TEST_F(DocumentTest, WhatTheLibraryWouldNotDrawIsRefusedWithItsPath) {
    const auto list = [](int n, const std::string& item) {
        std::string text;
        for (int i = 0; i < n; ++i) text += (i ? ", " : "") + item;
        return "[" + text + "]";
    };
    const auto symbol = [](const std::string& body) { return R"({"symbols": {"s": {"kind": )" + body + "}}}"; };
    // Named compound lines written innermost first, each built at the top before "s" takes it in.
    std::string chain = R"({"symbols": {"c0": {"kind": "simpleLine"})";
    for (int i = 1; i < 32; ++i) {
        chain += ", \"c" + std::to_string(i) + R"(": {"kind": "compoundLine", "lines": ["c)" + std::to_string(i - 1) + "\"]}";
    }
    std::string lines;
    for (int i = 0; i < 1025; ++i) lines += "x\\n";
    struct Case {
        std::string text;
        const char* message;  // after "<file>: $.symbols.s"
    };
    const Case cases[] = {
        // The pen keeps 64 dash entries and no zero-length dash or gap; either would draw solid.
        {symbol(R"("simpleLine", "style": "custom", "dashPattern": )" + list(65, "1")),
         ".dashPattern: expected an array of at most 64 numbers, found an array of 65 values"},
        {symbol(R"("simpleLine", "style": "custom", "dashPattern": [2, 0])"),
         ".dashPattern: expected dash and gap lengths above 0 mm"},
        {symbol(R"("simpleLine", "style": "custom")"), ": expected a \"dashPattern\" for style \"custom\""},
        {symbol(R"("simpleLine", "style": "dash", "dashPattern": [2, 1])"),
         ".dashPattern: expected a \"dashPattern\" only with style \"custom\", which draws it"},
        {symbol(R"("cartographicLine", "dashes": )" + list(65, "1")),
         ".dashes: expected an array of at most 64 numbers, found an array of 65 values"},
        {symbol(R"("cartographicLine", "dashes": [0, 2])"),
         ".dashes: expected dash and gap lengths above 0 mm (zero-length dashes need separateDashes)"},
        {symbol(R"("cartographicLine", "dashes": [0, 0], "separateDashes": true)"),
         ".dashes: expected dashes whose lengths add up to more than 0 mm"},
        // Codes and ids must name an entry of the document.
        {symbol(R"("libMarker", "resource": 9)"), ".resource: expected the code of a drawing under \"resources\", found 9"},
        {symbol(R"("libMarker")"), ": expected the code of a drawing under \"resources\", found 0"},
        {symbol(R"("markerLine", "resource": 9)"), ".resource: expected the code of a drawing under \"resources\", found 9"},
        {symbol(R"("pictureMarker", "image": 3)"), ".image: expected the id of a picture under \"images\", found 3"},
        {symbol(R"("pictureFill", "image": 3)"),
         ".image: expected the id of a picture under \"fillImages\" (or -1 for none), found 3"},
        {symbol(R"("charMarker", "font": "No Such Family")"),
         ".font: expected an installed font family, found \"No Such Family\", which is not"},
        // Members: a layer is drawn as a simple line, hidden indices name members, levels and the
        // members of nested stacks add up.
        {symbol(R"("layeredSimpleLine", "layers": [{"kind": "cartographicLine"}])"),
         ".layers[0]: expected a simpleLine symbol, found a cartographicLine symbol"},
        {symbol(R"("compoundLine", "lines": [{"kind": "simpleLine"}], "disabled": [1])"),
         ".disabled: expected whole-number indices of the 1 members, from 0"},
        {symbol(R"("compoundMarker", "markers": [{"kind": "charMarker"}], "hidden": [0.5])"),
         ".hidden: expected whole-number indices of the 1 members, from 0"},
        {chain + R"(, "s": {"kind": "compoundLine", "lines": ["c31"]}}})",
         ".lines[0]: expected symbols nested at most 32 levels deep, the outermost included, found 33"},
        {R"({"symbols": {"m": {"kind": "charMarker"}, "s1": {"kind": "compoundMarker", "markers": )" +
             list(64, "\"m\"") + R"(}, "s2": {"kind": "compoundMarker", "markers": )" + list(64, "\"s1\"") +
             R"(}, "s": {"kind": "compoundMarker", "markers": )" + list(16, "\"s2\"") + "}}}",
         ".markers: expected at most 65536 members in all, counting the members of the stacks inside it"},
        {symbol(R"("textBox", "text": ")" + lines + "\""), ".text: expected a text of at most 1024 lines"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Refused(c.text), Doc() + ": $.symbols.s" + c.message + "\n") << c.text.substr(0, 200);
    }
}

TEST_F(DocumentTest, FaultsInsideAGeoJsonFileNameThatFile) {
    const std::string data = dir_.Write("roads.geojson", R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": [[0, 0], [1, "x"]]}},
        {"type": "Feature", "properties": {}, "geometry": {"type": "GeometryCollection", "geometries": []}},
        {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [0, 0]}}]})");
    const std::string faults = Refused(R"({"symbols": {"road": {"kind": "simpleLine"}},
        "layers": [{"geojson": "roads.geojson", "symbol": "road"}]})");
    EXPECT_EQ(faults,
              data +
                  ": $.features[0].geometry.coordinates[1]: expected a position [x, y] of numbers within "
                  "+-1e+15, found an array of 2 values\n" +
                  data +
                  ": $.features[1].geometry: expected a geometry type \"Point\", \"LineString\", "
                  "\"Polygon\", \"MultiPoint\", \"MultiLineString\" or \"MultiPolygon\" with "
                  "\"coordinates\", found an object\n" +
                  data +
                  ": $.features[2].geometry: expected a line or polygon feature for the simpleLine "
                  "symbol \"road\", found a Point\n");
}

TEST_F(DocumentTest, ADamagedPictureIsNamedAsNotAPngRatherThanOutOfMemory) {
    // A sound header with damaged picture data, which the decoder reports as out of memory.
    std::ifstream good(std::string(SOURCE_DIR) + "/tests/data/gallery.png", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(good)), std::istreambuf_iterator<char>());
    for (size_t i = 200; i < 400; ++i) bytes[i] = static_cast<char>(~bytes[i]);
    dir_.Write("broken.png", bytes);
    EXPECT_EQ(Refused(R"({"images": {"1": "broken.png"}})"),
              Doc() + ": $.images[\"1\"]: expected a readable PNG file, found \"broken.png\" (not a PNG picture)\n");
}

TEST_F(DocumentTest, PipesAreNotReadAsPicturesColourTablesOrData) {
    // Nothing writes to the pipe: reading it would wait for ever.
    const std::string pipe = dir_.Path() + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string pictures = Refused(R"({"images": {"1": "pipe"}})");
    EXPECT_NE(pictures.find("$.images[\"1\"]: expected a regular file"), std::string::npos) << pictures;
    const std::string table = Refused(R"({"context": {"colorTable": "pipe"}})");
    EXPECT_NE(table.find("is not a regular file"), std::string::npos) << table;
    const std::string data = Refused(R"({"symbols": {"r": {"kind": "simpleLine"}},
                                         "layers": [{"symbol": "r", "geojson": "pipe"}]})");
    EXPECT_NE(data.find("expected a regular file"), std::string::npos) << data;
    Pictor::Status status = Pictor::Ok;
    EXPECT_EQ(Pictor::Image::FromFile(pipe, &status), nullptr);
    EXPECT_EQ(status, Pictor::UnknownImageFormat);
}

TEST_F(DocumentTest, PathsMayNotLeaveTheDocumentsDirectoryUnlessAllowed) {
    const TempDir outside;
    const std::string table = outside.Write("t.txt", "000000 FFFFFF\n");
    fs::create_symlink(outside.Path(), dir_.Path() + "/link");
    const std::string relative = fs::relative(table, dir_.Path()).string();
    for (const std::string& path : {table, relative, std::string("link/t.txt")}) {
        const std::string faults = Refused(R"({"context": {"colorTable": ")" + path + R"("}})");
        EXPECT_NE(faults.find(Doc() + ": $.context.colorTable: expected a path "), std::string::npos)
            << faults;
        EXPECT_NE(faults.find("set \"allowPathsOutside\": true in \"settings\" to allow it"),
                  std::string::npos);
        const auto allowed = Accepted(R"({"settings": {"allowPathsOutside": true},
                                          "context": {"colorTable": ")" +
                                      path + R"("}})");
        ASSERT_NE(allowed, nullptr);
        EXPECT_NE(allowed->colorTable, nullptr);
    }
}

TEST_F(DocumentTest, HostileInputIsRefusedWithinItsCaps) {
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "[";
    EXPECT_NE(Refused(deep).find("expected objects and arrays nested at most 64 deep"), std::string::npos);

    EXPECT_NE(
        Refused(R"({"canvas": {"width": 32767, "height": 32767}})").find("expected at most 67108864 pixels"),
        std::string::npos);
    EXPECT_NE(Refused(R"({"symbols": {"l": {"kind": "simpleLine", "width": 1e999}}})").find("$.symbols.l"),
              std::string::npos);
    EXPECT_NE(Refused(R"({"layers": [{"symbol": "x", "features": [{"point": [1e300, 0]}]}]})")
                  .find("within +-1e+15"),
              std::string::npos);

    // Many faults: the first ones are listed and the rest counted.
    std::string many = R"({"symbols": {)";
    for (int i = 0; i < 40; ++i) {
        many += (i ? "," : "") + std::string(R"("s)") + std::to_string(i) + R"(": {"kind": 1})";
    }
    const ReadResult r = Read(many + "}}");
    EXPECT_EQ(r.diagnostics.List().size(), Diagnostics::kMaxReported);
    EXPECT_EQ(r.diagnostics.Dropped(), 40 - Diagnostics::kMaxReported);
    EXPECT_EQ(r.diagnostics.Lines().back(), "... and 15 more faults");
}

TEST_F(DocumentTest, WideNestedCompoundsShareTheirMembersInsteadOfCopyingThem) {
    // Five levels of 64 references each: copied, the top would hold 64^5 leaves.
    std::string text = R"({"symbols": {"c0": {"kind": "simpleLine"})";
    for (int level = 1; level <= 5; ++level) {
        text += R"(, "c)" + std::to_string(level) + R"(": {"kind": "compoundLine", "lines": [)";
        for (int i = 0; i < 64; ++i) text += (i ? ", \"c" : "\"c") + std::to_string(level - 1) + "\"";
        text += "]}";
    }
    const auto doc = Accepted(text + "}}");
    ASSERT_NE(doc, nullptr);
    auto named = [&](int level) { return doc->symbols.Find("c" + std::to_string(level))->symbol.get(); };
    for (int level = 1; level <= 5; ++level) {
        IGIS_CompoundLineSymbol* stack = named(level)->GetCompoundLineSymbol();
        ASSERT_EQ(stack->GetLineCount(), 64);
        for (int32_t i : {0, 63}) EXPECT_EQ(stack->GetLine(&i), named(level - 1)) << "level " << level;
    }
}

TEST_F(DocumentTest, AMissingDocumentIsRefused) {
    const ReadResult r = ReadDocument(dir_.Path() + "/none.json");
    EXPECT_EQ(r.document, nullptr);
    EXPECT_EQ(r.diagnostics.Text(), dir_.Path() + "/none.json: no such file\n");
}

// ---- writing back ------------------------------------------------------------------------------

class SymbolRoundTripTest : public ::testing::Test {
protected:
    // Writes the library and reads it back.
    SymbolLibrary RoundTrip(const SymbolLibrary& library) {
        text_ = WriteSymbols(library);
        ReadResult r = ReadWritten(text_);
        EXPECT_NE(r.document, nullptr) << r.diagnostics.Text() << text_;
        return r.document ? std::move(r.document->symbols) : SymbolLibrary();
    }

    static SymbolPtr<SimpleLineSymbol> UnusualLine() {
        SymbolPtr<SimpleLineSymbol> line(new SimpleLineSymbol);
        line->SetColor(0x123456);
        line->SetTransparency(37);
        line->SetWidth(0.1 + 0.2);  // not exactly representable: must come back bit for bit
        line->SetLineStyle(SimpleLineStyleCustom);
        line->SetDashPattern({1.5, 0.25, 1.0 / 3.0});
        line->SetLineJoin(1);
        line->SetLineCap(0);
        line->SetSmooth(true);
        line->SetHalo({0.7, 0xABCDEF, false});
        return line;
    }

    std::string text_;
};

TEST_F(SymbolRoundTripTest, EveryPropertyOfASimpleLineComesBack) {
    SymbolLibrary library;
    ASSERT_TRUE(library.Add("l", SymbolPtr<>(UnusualLine().release())));
    const SymbolLibrary back = RoundTrip(library);
    ASSERT_NE(back.Find("l"), nullptr) << text_;
    const IGIS_SimpleLineSymbol* a = library.Find("l")->symbol->GetSimpleLineSymbol();
    const IGIS_SimpleLineSymbol* b = back.Find("l")->symbol->GetSimpleLineSymbol();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetColor(), a->GetColor());
    EXPECT_EQ(b->GetTransparency(), a->GetTransparency());
    EXPECT_EQ(b->GetWidth(), a->GetWidth());
    EXPECT_EQ(*b->GetLineStyle(), *a->GetLineStyle());
    EXPECT_EQ(*b->GetLineJoin(), *a->GetLineJoin());
    EXPECT_EQ(*b->GetLineCap(), *a->GetLineCap());
    EXPECT_EQ(*b->IsSmooth(), *a->IsSmooth());
    EXPECT_EQ(b->GetHalo()->size, a->GetHalo()->size);
    EXPECT_EQ(b->GetHalo()->color, a->GetHalo()->color);
    EXPECT_EQ(b->GetHalo()->enabled, a->GetHalo()->enabled);
    double* da = nullptr;
    double* db = nullptr;
    int32_t na = 0;
    int32_t nb = 0;
    a->GetDashPattern(&da, &na);
    b->GetDashPattern(&db, &nb);
    ASSERT_EQ(nb, na);
    for (int32_t i = 0; i < na; ++i) EXPECT_EQ(db[i], da[i]);
    delete[] da;
    delete[] db;
}

TEST_F(SymbolRoundTripTest, EveryPropertyOfASimpleFillComesBackWithItsOutline) {
    SymbolPtr<SimpleFillSymbol> fill(new SimpleFillSymbol);
    fill->SetColor(0x010203);
    fill->SetBackgroundColor(0xFEFDFC);
    fill->SetTransparency(12);
    fill->SetBackgroundTransparency(0);
    fill->SetStyle(9);  // a code without a name: outline only
    fill->SetOutlineClockwise(false);
    fill->SetOutline(UnusualLine().release());
    SymbolLibrary library;
    ASSERT_TRUE(library.Add("f", SymbolPtr<>(fill.release())));
    const SymbolLibrary back = RoundTrip(library);
    ASSERT_NE(back.Find("f"), nullptr) << text_;
    IGIS_SimpleFillSymbol* a = library.Find("f")->symbol->GetSimpleFillSymbol();
    IGIS_SimpleFillSymbol* b = back.Find("f")->symbol->GetSimpleFillSymbol();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(*b->GetColor(), *a->GetColor());
    EXPECT_EQ(*b->GetBackgroundColor(), *a->GetBackgroundColor());
    EXPECT_EQ(*b->GetTransparency(), *a->GetTransparency());
    EXPECT_EQ(*b->GetBackgroundTransparency(), *a->GetBackgroundTransparency());
    EXPECT_EQ(*b->GetStyle(), 9);
    EXPECT_EQ(b->IsOutlineClockwise(), a->IsOutlineClockwise());
    ASSERT_NE(b->GetOutlineSymbol(), nullptr);
    EXPECT_TRUE(SameSymbol(*b->GetOutlineSymbol(), *a->GetOutlineSymbol()));
    EXPECT_NE(text_.find("\"style\": 9"), std::string::npos) << text_;
}

TEST_F(SymbolRoundTripTest, MembersEqualToALibrarySymbolAreWrittenByName) {
    const auto doc = ReadDocumentText(R"({"symbols": {
        "shore": {"kind": "simpleLine", "color": "#2E86C1"},
        "lake": {"kind": "simpleFill", "outline": "shore"},
        "pond": {"kind": "simpleFill", "outline": {"kind": "simpleLine", "width": 2}},
        "hollow": {"kind": "simpleFill", "outline": null}}})",
                                      "doc.json", ".");
    ASSERT_NE(doc.document, nullptr) << doc.diagnostics.Text();
    const SymbolLibrary back = RoundTrip(doc.document->symbols);
    EXPECT_NE(text_.find("\"outline\": \"shore\""), std::string::npos) << text_;
    EXPECT_NE(text_.find("\"outline\": null"), std::string::npos) << text_;
    ASSERT_EQ(back.Entries().size(), 4u);
    for (const auto& e : doc.document->symbols.Entries()) {
        ASSERT_NE(back.Find(e.name), nullptr) << e.name;
        EXPECT_TRUE(SameSymbol(*back.Find(e.name)->symbol, *e.symbol)) << e.name;
    }
    EXPECT_FALSE(SameSymbol(*back.Find("lake")->symbol, *back.Find("pond")->symbol));
}

// Every property of the line kinds, each set away from its default, comes back equal.
class LineKindRoundTripTest : public SymbolRoundTripTest {
protected:
    void ExpectBack(const char* kindName, SymbolPtr<> symbol) {
        const Kind* kind = FindKind(kindName);
        ASSERT_NE(kind, nullptr) << kindName;
        SymbolLibrary library;
        ASSERT_TRUE(library.Add("s", std::move(symbol)));
        const SymbolLibrary back = RoundTrip(library);
        ASSERT_NE(back.Find("s"), nullptr) << text_;
        IGIS_Symbol& b = *back.Find("s")->symbol;
        ASSERT_TRUE(kind->hasView(b)) << text_;
        EXPECT_TRUE(SameSymbol(b, *library.Find("s")->symbol)) << text_;
        const auto same = [](IGIS_Symbol* x, IGIS_Symbol* y) { return x && y && SameSymbol(*x, *y); };
        for (const Property& p : kind->properties) {
            EXPECT_FALSE(SameValue(p, p.get(b), p.fallback, same)) << kindName << "." << p.key << "\n"
                                                                   << text_;
        }
    }
};

TEST_F(LineKindRoundTripTest, CartographicAndHashLines) {
    SymbolPtr<CartographicLineSymbol> c(new CartographicLineSymbol);
    c->SetColor(0x123456);
    c->SetTransparency(20);
    c->SetWidth(0.1 + 0.2);
    c->SetOffset(-1.5);
    c->SetDashArray({2.0, 1.0 / 3.0});
    c->SetDrawDashesSeparately(true);
    c->SetLineJoin(CartographicJoinMiter);
    c->SetLineCap(2);
    c->SetExcursion(4.0);
    ExpectBack("cartographicLine", SymbolPtr<>(c.release()));

    SymbolPtr<HashLineSymbol> h(new HashLineSymbol);
    h->SetColor(0x654321);
    h->SetTransparency(5);
    h->SetWidth(0.4);
    h->SetHashLength(3.5);
    h->SetHashInterval(1.25);
    h->SetStartOffset(0.75);
    h->SetOffset(1.0);
    h->SetLineCap(1);
    ExpectBack("hashLine", SymbolPtr<>(h.release()));
}

TEST_F(LineKindRoundTripTest, LayeredAndCompoundLinesKeepTheirLayersAndMembers) {
    SymbolPtr<LayeredSimpleLineSymbol> l(new LayeredSimpleLineSymbol);
    l->SetWidth(2.5);
    l->SetHalo({0.3, 0x00FF00, true});
    LineLayer dashed;
    dashed.width = 0.5;
    dashed.style = SimpleLineStyleCustom;
    dashed.pattern = {1.0, 0.5};
    dashed.join = 0;
    dashed.cap = 1;
    dashed.color = 0xFF0000;
    dashed.transparency = 10;
    l->SetLayers({LineLayer{}, dashed});
    ExpectBack("layeredSimpleLine", SymbolPtr<>(l.release()));

    SymbolPtr<CompoundLineSymbol> c(new CompoundLineSymbol);
    c->AddLine(UnusualLine().release());
    c->AddLine(new HashLineSymbol, false);
    ExpectBack("compoundLine", SymbolPtr<>(c.release()));
}

TEST_F(LineKindRoundTripTest, MarkerLine) {
    SymbolPtr<MarkerLineSymbol> m(new MarkerLineSymbol);
    m->SetMarkerResourceCode(7);
    m->SetColor(0x112233);
    m->SetFillValue(0x445566);
    m->SetUseFill(true);
    m->SetTransparency(15);
    m->SetMarkerSize(3.0, 2.0);
    m->SetMarkerOption(1);
    m->SetPlacementMode(MarkerLinePlacementPercent);
    m->SetMarkerGap(5.0);
    m->SetStartOffset(1.0);
    m->SetMarkerOffset(-0.5);
    m->SetPosition(50.0);
    m->SetAlongShift(0.25);
    m->SetAcrossShift(-0.25);
    m->SetMarkerAngle(90.0);
    ExpectBack("markerLine", SymbolPtr<>(m.release()));
}

TEST_F(SymbolRoundTripTest, TheLibraryRefusesWhatADocumentCouldNotHold) {
    SymbolLibrary library;
    EXPECT_TRUE(library.Add("a", SymbolPtr<>(new SimpleLineSymbol)));
    EXPECT_FALSE(library.Add("a", SymbolPtr<>(new SimpleLineSymbol)));  // the name is taken
    EXPECT_FALSE(library.Add("", SymbolPtr<>(new SimpleLineSymbol)));
    EXPECT_FALSE(library.Add("b", nullptr));
    EXPECT_EQ(library.Entries().size(), 1u);
}

// ---- the reference -----------------------------------------------------------------------------

TEST(KindsReferenceTest, TheFormatDocumentShowsTheTablesTheReaderUses) {
    std::ifstream in(std::string(SOURCE_DIR) + "/docs/document-format.md");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(KindsReference()), std::string::npos)
        << "docs/document-format.md must hold the output of `symbolize kinds`:\n"
        << KindsReference();
}

}  // namespace
