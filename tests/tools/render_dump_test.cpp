// `symbolize render` into a drawing dump: each feature's operations against the library drawing
// the same symbol directly, the log of a bad feature, exact numbers, and what a feature sets for
// itself (its drawing context, the path entry).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "host/document/document.h"
#include "host/host.h"
#include "pictor/recording_canvas.h"
#include "tools/symbolize/commands.h"
#include "tools/symbolize/dump.h"
#include "tools/symbolize/render.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using symbolhost::document::Document;

constexpr const char* kSymbols = R"(
  "symbols": {"road": {"kind": "simpleLine", "color": "#E89B3C", "width": 1.6, "style": "dash",
                       "halo": {"size": 0.35, "color": "#8A4B12"}},
              "lot": {"kind": "simpleFill", "style": "cross", "color": "#616161", "outline": "road"},
              "scrub": {"kind": "markerFill", "placement": "jittered", "separationX": 1, "separationY": 1,
                        "marker": {"kind": "charMarker", "code": 149, "width": 2, "height": 2},
                        "outline": "road"}})";

class RenderDumpTest : public ::testing::Test {
protected:
    std::unique_ptr<Document> Read(const std::string& layers, const std::string& extra = "") {
        symbolhost::document::ReadResult r =
            symbolhost::document::ReadDocumentText(R"({"canvas": {"width": 200, "height": 100}, )" + extra +
                                                       kSymbols + R"(, "layers": [)" + layers + "]}",
                                                   "doc.json", ".");
        for (const std::string& line : r.diagnostics.Lines()) ADD_FAILURE() << line;
        return std::move(r.document);
    }

    // The document's dump as a reader of the file sees it.
    json Dump(const Document& document) {
        const symbolize_tool::DocumentServices services(const_cast<Document&>(document));
        symbolhost::ScopedCaptureLog capture;
        std::string error;
        const std::optional<dump::Json> dump =
            symbolize_tool::DumpMap(document, capture.log(), nullptr, &error);
        EXPECT_TRUE(dump.has_value()) << error;
        return dump ? json::parse(*dump::ToText(*dump)) : json();
    }

    // The operations the library makes when handed the symbol and the context directly.
    json Direct(const Document& document, const std::string& symbol,
                const std::function<void(IGIS_Symbolize&, IGIS_Symbol*, SymbolizeInfo&)>& draw,
                const std::function<void(SymbolizeInfo&)>& adjust = nullptr) {
        const symbolize_tool::DocumentServices services(const_cast<Document&>(document));
        Pictor::RecordingCanvas canvas(document.canvas.width, document.canvas.height);
        Pictor::Graphics graphics(&canvas);
        SymbolizeInfo info = symbolize_tool::MakeInfo(document, graphics, false);
        if (adjust) adjust(info);
        draw(*GIS_GetSymbolizeObject(), document.symbols.Find(symbol)->symbol.get(), info);
        std::string error;
        const std::optional<dump::Json> dump = dump::DumpRecording(canvas, {}, &error);
        EXPECT_TRUE(dump.has_value()) << error;
        return dump ? json::parse(*dump::ToText(*dump)).at("operations") : json();
    }

    static std::function<void(IGIS_Symbolize&, IGIS_Symbol*, SymbolizeInfo&)> Points(
        std::vector<Pictor::PointD> points) {
        return [points](IGIS_Symbolize& service, IGIS_Symbol* symbol, SymbolizeInfo& info) {
            const int32_t count = static_cast<int32_t>(points.size());
            service.Symbolize(symbol, &info, points.data(), &count);
        };
    }
};

// Each operation of `all` from `first` on, `count` of them.
json Slice(const json& all, size_t first, size_t count) {
    json out = json::array();
    for (size_t i = first; i < first + count && i < all.size(); ++i) out.push_back(all[i]);
    return out;
}

TEST_F(RenderDumpTest, EachFeatureGivesTheOperationsItsSymbolizerMakes) {
    const auto doc = Read(R"({"features": [{"symbol": "lot", "polygon": [[[10, 10], [150, 12], [90, 80]]]},
                                           {"symbol": "road", "line": [[0, 40], [120, 45], [200, 30]]}]})");
    ASSERT_NE(doc, nullptr);
    const json dump = Dump(*doc);
    const json fill = Direct(*doc, "lot", Points({{10, 10}, {150, 12}, {90, 80}}));
    const json line = Direct(*doc, "road", Points({{0, 40}, {120, 45}, {200, 30}}));
    ASSERT_GE(fill.size(), 2u);  // the hatch, then the outline's halo and stroke
    ASSERT_GE(line.size(), 2u);  // the halo, then the stroke
    const json& ops = dump.at("operations");
    ASSERT_EQ(ops.size(), fill.size() + line.size());
    EXPECT_EQ(Slice(ops, 0, fill.size()), fill);
    EXPECT_EQ(Slice(ops, fill.size(), line.size()), line);
    EXPECT_EQ(dump.at("canvas"), json({{"width", 200}, {"height", 100}}));
    EXPECT_EQ(dump.at("log"), json::array());
}

TEST_F(RenderDumpTest, TheLogHoldsTheMessagesOfABadFeature) {
    auto doc = Read(R"({"features": [{"symbol": "road", "line": [[0, 40], [120, 45]]},
                                     {"symbol": "road", "line": [[0, 60], [120, 65]]}]})");
    ASSERT_NE(doc, nullptr);
    // A feature without points is what no document can hold but a broken data source can.
    doc->layers[0].features[0].parts[0].clear();
    const json dump = Dump(*doc);
    ASSERT_EQ(dump.at("log").size(), 1u);
    EXPECT_EQ(dump.at("log")[0],
              json({{"level", 2}, {"function", "CGIS_Symbolize::Symbolize"}, {"message", "Input Error"}}));
    // The good feature is still drawn: its halo and stroke.
    EXPECT_EQ(dump.at("operations").size(), 2u);
}

TEST_F(RenderDumpTest, AFeatureBeyondItsWorkBudgetIsCutOffWithOneMessageAndTheNextIsDrawn) {
    // 64 x 64 hash lines of long, dense strokes: thousands of times what one feature may draw.
    std::string text = R"({"canvas": {"width": 200, "height": 100}, "symbols": {
        "hash": {"kind": "hashLine", "length": 20, "interval": 0.05}, "road": {"kind": "simpleLine"})";
    for (const auto& [name, member] : {std::pair{"wide", "hash"}, std::pair{"wider", "wide"}}) {
        text += std::string(", \"") + name + R"(": {"kind": "compoundLine", "lines": [)";
        for (int i = 0; i < 64; ++i) text += std::string(i ? ", \"" : "\"") + member + "\"";
        text += "]}";
    }
    text += R"(}, "layers": [{"symbol": "wider", "features": [{"line": [[0, 50], [200, 50]]},
        {"line": [[0, 60], [200, 60]]}, {"symbol": "road", "line": [[0, 10], [200, 10]]}]}]})";
    symbolhost::document::ReadResult r = symbolhost::document::ReadDocumentText(text, "doc.json", ".");
    ASSERT_NE(r.document, nullptr) << r.diagnostics.Text();

    const json dump = Dump(*r.document);
    ASSERT_EQ(dump.at("log").size(), 1u) << dump.at("log");  // the second cut is not reported again
    EXPECT_NE(dump.at("log")[0].at("message").get<std::string>().find("Work Budget: feature 0 of layer 0"),
              std::string::npos);
    const json& ops = dump.at("operations");
    const json road = Direct(*r.document, "road", Points({{0, 10}, {200, 10}}));
    ASSERT_FALSE(road.empty());
    EXPECT_LT(ops.size(), 2 * 64 * 64 / 8);  // each wide feature drew a small part of its members
    EXPECT_EQ(Slice(ops, ops.size() - road.size(), road.size()), road);
}

TEST_F(RenderDumpTest, NumbersSurviveTheCommandExactly) {
    std::string pattern = (fs::temp_directory_path() / "render_dump_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    // Written with every digit a double needs; inline points reach the library as written.
    const std::vector<Pictor::PointD> points = {
        {0.1, 1.0 / 3.0}, {-5e-324, 1e-300}, {123456.789012345, 2.0 / 3.0}};
    std::ofstream(dir / "doc.json") << R"({"canvas": {"width": 200, "height": 100}, "symbols": {"thin":
        {"kind": "simpleLine", "width": 0.1}}, "layers": [{"symbol": "thin", "features": [{"line":
        [[0.1, 0.3333333333333333], [-5e-324, 1e-300], [123456.789012345, 0.6666666666666666]]}]}]})";
    const std::string in = (dir / "doc.json").string();
    const std::string outPath = (dir / "out.json").string();
    const char* argv[] = {"symbolize", "render", in.c_str(), "-o", outPath.c_str()};
    std::ostringstream out, err;
    ASSERT_EQ(symbolize_tool::Run(5, argv, out, err), 0) << err.str();
    std::ifstream file(outPath);
    const json dump = json::parse(file);
    fs::remove_all(dir);

    ASSERT_EQ(dump.at("operations").size(), 1u);
    const json& figure = dump.at("operations")[0].at("figures").at(0);
    ASSERT_EQ(figure.at("points").size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(std::bit_cast<uint64_t>(figure["points"][i][0].get<double>()),
                  std::bit_cast<uint64_t>(points[i].x));
        EXPECT_EQ(std::bit_cast<uint64_t>(figure["points"][i][1].get<double>()),
                  std::bit_cast<uint64_t>(points[i].y));
    }
}

TEST_F(RenderDumpTest, AFeaturesOwnContextTakesEffectForItAlone) {
    const auto doc = Read(R"({"symbol": "road", "features": [
        {"line": [[0, 40], [120, 45]], "context": {"scale": 10, "sizeRatio": 2, "rotation": 30, "yUp": true,
                                                   "overrideColor": true, "color": "#80FF0000"}},
        {"line": [[0, 60], [120, 65]]}]})");
    ASSERT_NE(doc, nullptr);
    const json ops = Dump(*doc).at("operations");
    const json own = Direct(*doc, "road", Points({{0, 40}, {120, 45}}), [](SymbolizeInfo& info) {
        info.scale = 10;
        info.sizeRatio = 2;
        info.rotation = 30;
        info.yUp = true;
        info.overrideColor = true;
        info.color = 0x80FF0000u;
    });
    const json plain = Direct(*doc, "road", Points({{0, 60}, {120, 65}}));
    ASSERT_EQ(ops.size(), own.size() + plain.size());
    EXPECT_EQ(Slice(ops, 0, own.size()), own);
    EXPECT_EQ(Slice(ops, own.size(), plain.size()), plain);
    // The stroke: 1.6 mm at 10 units a millimetre, twice as large.
    EXPECT_EQ(own.back().at("pen").at("width"), 1.6 * 10 * 2);
}

TEST_F(RenderDumpTest, ThePathEntryDrawsAPolygonWithItsHoles) {
    const auto doc = Read(R"({"symbol": "lot", "features": [{"entry": "path", "polygon": [
        [[10, 10], [190, 10], [190, 90], [10, 90]], [[50, 30], [150, 30], [100, 70]]]}]})");
    ASSERT_NE(doc, nullptr);
    const json ops = Dump(*doc).at("operations");
    const json direct =
        Direct(*doc, "lot", [](IGIS_Symbolize& service, IGIS_Symbol* symbol, SymbolizeInfo& info) {
            const Pictor::PointD outer[] = {{10, 10}, {190, 10}, {190, 90}, {10, 90}};
            const Pictor::PointD hole[] = {{50, 30}, {150, 30}, {100, 70}};
            Pictor::GraphicsPath path;
            path.AddPolygon(outer, 4);
            path.AddPolygon(hole, 3);
            const int32_t id = InterfaceIdSymbolizePath;
            static_cast<IGIS_SymbolizePath*>(service.QueryInterface(&id))
                ->SymbolizePath(symbol, &info, &path);
        });
    ASSERT_FALSE(direct.empty());
    EXPECT_EQ(ops, direct);
    // One fill covers both rings, so the hole is cut out.
    EXPECT_EQ(ops[0].at("kind"), "FillPath");
    EXPECT_EQ(ops[0].at("figures").size(), 2u);
}

// A marker fill in each of its modes: a tile on the screen, every marker on an upward target, and
// stamps along the path entry; with the document's seed the jitter comes out the same each time.
TEST_F(RenderDumpTest, MarkerFillsDrawTheirModeAndRepeatTheirSeededJitter) {
    const auto doc = Read(R"({"symbol": "scrub", "features": [
        {"polygon": [[[10, 10], [90, 10], [90, 90], [10, 90]]]},
        {"polygon": [[[100, 10], [190, 10], [190, 90], [100, 90]]], "context": {"yUp": true, "scale": 4}},
        {"polygon": [[[10, 10], [90, 10], [90, 90], [10, 90]]], "entry": "path"}]})",
                          R"("settings": {"jitterSeed": 3}, )");
    ASSERT_NE(doc, nullptr);
    const json ops = Dump(*doc).at("operations");
    EXPECT_EQ(Dump(*doc).at("operations"), ops);
    std::map<std::string, int> kinds;
    for (const json& op : ops) ++kinds[op.at("kind").get<std::string>()];
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops[0].at("brush").at("kind"), "Texture");  // the tile fills the first polygon at once
    EXPECT_GT(kinds["FillPath"], 20);                     // the glyphs of every marker on the second
    EXPECT_GT(kinds["DrawImage"], 20);                    // one stamp per marker on the third
    EXPECT_EQ(Dump(*doc).at("log"), json::array());
}

TEST_F(RenderDumpTest, ThePointsEntryFillsAroundHolesAndOutlinesEveryRing) {
    const auto doc = Read(R"({"symbol": "lot", "features": [{"polygon": [
        [[10, 10], [190, 10], [190, 90], [10, 90]], [[50, 30], [150, 30], [100, 70]]]}]})");
    ASSERT_NE(doc, nullptr);
    const json ops = Dump(*doc).at("operations");
    // The fill and the outer ring's outline (halo, then line) inside the container that cuts the
    // hole out; then the hole's outline, outside it.
    ASSERT_EQ(ops.size(), 5u);
    for (size_t i = 0; i < 3; ++i) {
        const json& clips = ops[i].at("containerClips");
        ASSERT_EQ(clips.size(), 1u);
        EXPECT_EQ(clips[0].at("fillMode"), "Alternate");
        ASSERT_EQ(clips[0].at("figures").size(), 2u);
        EXPECT_EQ(clips[0].at("figures")[1].at("points"), json::parse("[[50, 30], [150, 30], [100, 70]]"));
    }
    EXPECT_EQ(ops[0].at("kind"), "FillPath");
    EXPECT_EQ(ops[0].at("figures").size(), 1u);
    for (size_t i = 3; i < 5; ++i) {
        EXPECT_FALSE(ops[i].contains("containerClips"));
        EXPECT_EQ(ops[i].at("clip"), nullptr);
        // Clockwise from the middle of the closing edge, back to it.
        EXPECT_EQ(ops[i].at("figures")[0].at("points"),
                  json::parse("[[75, 50], [50, 30], [150, 30], [100, 70], [75, 50]]"));
    }
}

TEST_F(RenderDumpTest, TheGetPathEntryShowsAMarkersOutlineInTheDrawingOrder) {
    symbolhost::document::ReadResult r = symbolhost::document::ReadDocumentText(
        R"({"resources": {"5": {"extent": [0, 10, 0, 10], "anchor": [5, 5], "elements": [
                {"type": "line", "points": [[0, 5], [10, 5]], "usage": 7},
                {"type": "rect", "x": 2, "y": 2, "width": 6, "height": 6, "usage": 4}]}},
            "symbols": {"arrow": {"kind": "libMarker", "resource": 5},
                        "road": {"kind": "simpleLine"}},
            "layers": [{"features": [{"symbol": "arrow", "point": [40, 40], "entry": "getPath"},
                                     {"symbol": "road", "line": [[0, 60], [120, 65]]}]}]})",
        "doc.json", ".");
    ASSERT_NE(r.document, nullptr) << r.diagnostics.Lines().front();
    const json ops = Dump(*r.document).at("operations");
    ASSERT_EQ(ops.size(), 2u);
    // The arrow as a plain line and the hidden rectangle, placed on the point.
    EXPECT_EQ(ops[0].at("kind"), "Path");
    ASSERT_EQ(ops[0].at("figures").size(), 2u);
    const json& line = ops[0].at("figures")[0].at("points");
    EXPECT_EQ(line[0][1], 40.0);
    EXPECT_EQ(line[1][0].get<double>() - line[0][0].get<double>(), 10 * 96 / 25.4);
    EXPECT_EQ(ops[0].at("figures")[1].at("points").size(), 4u);
    EXPECT_EQ(ops[1].at("kind"), "DrawPath");
}

TEST_F(RenderDumpTest, EntriesAndContextsAreCheckedWhenTheDocumentIsRead) {
    const auto refused = [](const std::string& text) {
        const auto r = symbolhost::document::ReadDocumentText(text, "doc.json", ".");
        EXPECT_EQ(r.document, nullptr) << text;
        const auto lines = r.diagnostics.Lines();
        return lines.empty() ? std::string() : lines[0];
    };
    const std::string symbols = R"({"symbols": {"road": {"kind": "simpleLine"}}, "layers": [{"symbol": "road",
        "features": [)";
    EXPECT_EQ(refused(symbols + R"({"line": [[0, 0], [1, 1]], "entry": "getPath"}]}]})"),
              "doc.json: $.layers[0].features[0].entry: expected \"getPath\" only on a point feature");
    EXPECT_EQ(refused(symbols + R"({"line": [[0, 0], [1, 1]], "entry": "curves"}]}]})"),
              "doc.json: $.layers[0].features[0].entry: expected \"points\", \"path\" or \"getPath\", found "
              "\"curves\"");
    EXPECT_EQ(
        refused(symbols + R"({"line": [[0, 0], [1, 1]], "context": {"sizeRatio": -1}}]}]})"),
        "doc.json: $.layers[0].features[0].context.sizeRatio: expected a number from 0 to 1000, found -1");
    // The path entry draws a fill's outline only when it is a simple line, and no other line kind.
    EXPECT_EQ(refused(R"({"symbols": {"lot": {"kind": "compoundFill", "fills": [{"kind": "simpleFill",
        "outline": {"kind": "hashLine"}}]}}, "layers": [{"symbol": "lot", "features": [
        {"polygon": [[[0, 0], [9, 0], [9, 9]]], "entry": "path"}]}]})"),
              "doc.json: $.layers[0].features[0].polygon: expected a simpleLine, or a simpleFill, markerFill, lineFill or "
              "compoundFill of them with simple-line outlines, for \"entry\": \"path\", found the compoundFill "
              "symbol \"lot\"");
    // yUp belongs to the canvas in the document's own context.
    EXPECT_NE(refused(R"({"context": {"yUp": true}})").find("$.context"), std::string::npos);
}

}  // namespace
