// Hostile documents (tests/data/hostile/, and a few too large to keep as files): each is refused
// with its fault named, or drawn within bounds that are counted, not timed: the points the
// recording canvas takes, the messages logged, and the heap the read and the drawing hold at once.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "host/document/document.h"
#include "host/host.h"
#include "pictor/recording_canvas.h"
#include "tests/tools/heap_counter.h"
#include "tools/symbolize/render.h"

namespace {

namespace fs = std::filesystem;
using symbolhost::document::ReadDocumentText;
using symbolhost::document::ReadResult;

const fs::path kHostile = fs::path(SOURCE_DIR) / "tests/data/hostile";

// What each document must come to: refused with these words among its faults, or drawn, with
// these words in the log when they are given, else with nothing logged.
struct Expected {
    bool drawn;
    std::string words;
};
Expected Refused(std::string words) { return {false, std::move(words)}; }
Expected Drawn(std::string logged = "") { return {true, std::move(logged)}; }

const std::map<std::string, Expected> kExpected = {
    {"absolute-path.json",
     Refused("$.context.colorTable: expected a path relative to the document's directory")},
    {"deep-nesting.json", Refused("expected objects and arrays nested at most 64 deep")},
    {"dense-dashes-long-line.json", Drawn()},
    {"dense-hash-line.json", Drawn("Work Budget: feature 0 of layer 0 drew its")},
    {"dense-line-fill.json", Drawn("no hatch drawn")},
    {"dense-marker-fill.json", Drawn()},
    {"device-as-colour-table.json", Refused("/dev/zero: is not a regular file")},
    {"duplicate-keys.json", Refused("$.canvas: expected each key once, found \"width\" twice")},
    {"empty.json", Refused("1:1: $: syntax error")},
    {"folder-as-data.json", Refused("$.layers[0].geojson: cannot read \"folder\": expected a regular file")},
    {"huge-coordinates.json",
     Refused("$.layers[0].features[0].line[1]: expected a position [x, y] of numbers within")},
    {"huge-numbers.json", Refused("$.symbols.a.width: expected a number from 0 to 1000 mm, found 1e+300")},
    {"huge-text.json", Drawn("Work Budget: feature 0 of layer 0 drew its")},
    {"invalid-utf8.json",
     Refused("$.symbols.t.font: syntax error while parsing value - invalid string: ill-formed UTF-8")},
    {"long-string.json", Refused("$.layers[0].features[0].text: expected a string of at most 4096 bytes")},
    {"many-faults.json", Refused("... and 275 more faults")},
    {"nan-literal.json", Refused("$.symbols.a.width: syntax error while parsing value - invalid literal")},
    {"nul-in-path.json", Refused("$.images[\"1\"]: expected the path of a PNG file without a NUL character")},
    {"one-file-many-layers.json", Drawn()},
    {"overflowing-number.json", Refused("$.symbols.a.width: number overflow parsing '1e999'")},
    {"path-traversal.json", Refused("$.images[\"1\"]: expected a path inside the document's directory")},
    {"picture-under-many-ids.json", Drawn()},
    {"pipe-as-picture.json", Refused("$.images[\"1\"]: expected a regular file, found \"pipe\"")},
    {"self-reference.json",
     Refused("$.symbols.a.lines[0]: expected references without a cycle, found a -> a")},
    {"too-many-dashes.json", Refused("$.symbols.a.dashes: expected an array of at most 64 numbers")},
    {"top-level-array.json", Refused("$: expected a document object, found an array")},
    {"wide-nested-compounds-drawn.json", Drawn("Work Budget: feature 0 of layer 0 drew its")},
    {"wrong-member-types.json",
     Refused("$.symbols.b.lines: expected an array of at most 64 line symbols, found an object")},
    {"wrong-types.json",
     Refused("$.canvas.width: expected a whole number from 1 to 32767 pixels, found \"800\"")},
    // Read, and held in little memory: 64^5 members are shared, not copied.
    {"wide-nested-compounds-undrawn.json", Drawn()},
};

// What one drawing may record: far more than any of these documents needs on a canvas, and far
// less than an unbounded one would take.
constexpr size_t kPointBudget = size_t{1} << 18;
// A drawing says what went wrong once or a few times per feature, not once per dash or marker.
constexpr size_t kMaxLogEntries = 1000;
// The read and the drawing hold the document's tree, its symbols and features, and the recording,
// which takes about 150 bytes a point: the largest case here holds 16 MB at once. A recording
// past its budget, or symbols or data files copied per use, take many times as much.
constexpr size_t kMaxHeapBytes = size_t{32} << 20;

struct Outcome {
    std::string faults;  // empty when the document was read and drawn
    size_t points = 0;
    size_t logEntries = 0;
    std::string log;       // the first few messages, one a line
    size_t heapBytes = 0;  // most held at once above what was held before
};

// The files the documents name, beside them: a pipe no one writes to, a folder, a picture and a
// data file.
class HostileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "hostile_test_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
        fs::create_directory(dir_ / "folder");
        fs::copy_file(fs::path(SOURCE_DIR) / "examples/images/flag.png", dir_ / "flag.png");
        fs::copy_file(fs::path(SOURCE_DIR) / "examples/map/roads.geojson", dir_ / "roads.geojson");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    Outcome ReadAndDraw(const std::string& text) const {
        Outcome outcome;
        const size_t before = heapcount::Live();
        heapcount::ResetPeak();
        {
            ReadResult read = ReadDocumentText(text, "doc.json", dir_.string());
            if (!read.document) {
                outcome.faults = read.diagnostics.Text();
                EXPECT_FALSE(outcome.faults.empty());
            } else {
                const symbolize_tool::DocumentServices services(*read.document);
                symbolhost::ScopedCaptureLog capture;
                Pictor::RecordingCanvas canvas(read.document->canvas.width, read.document->canvas.height);
                canvas.SetPointBudget(kPointBudget);
                Pictor::Graphics graphics(&canvas);
                symbolize_tool::DrawMap(*read.document, graphics, nullptr);
                for (const Pictor::RecordedOp& op : canvas.Operations())
                    outcome.points += static_cast<size_t>(op.device.GetPointCount());
                const auto& entries = capture.log().Entries();
                outcome.logEntries = entries.size();
                for (size_t i = 0; i < std::min<size_t>(entries.size(), 5); ++i)
                    outcome.log += entries[i].message + "\n";
            }
        }
        outcome.heapBytes = heapcount::Peak() - before;
        return outcome;
    }

    static void ExpectBounded(const Outcome& outcome) {
        EXPECT_LE(outcome.points, kPointBudget);
        EXPECT_LE(outcome.logEntries, kMaxLogEntries);
        EXPECT_LE(outcome.heapBytes, kMaxHeapBytes);
    }

    fs::path dir_;
};

TEST_F(HostileTest, EachDocumentIsRefusedForItsFaultOrDrawnWithinTheBounds) {
    size_t seen = 0;
    for (const auto& entry : fs::directory_iterator(kHostile)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const auto expected = kExpected.find(name);
        ASSERT_NE(expected, kExpected.end()) << "a hostile document without an expected outcome";
        ++seen;
        std::ifstream in(entry.path(), std::ios::binary);
        const Outcome outcome =
            ReadAndDraw(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
        const Expected& expect = expected->second;
        if (expect.drawn) {
            EXPECT_EQ(outcome.faults, "");
            EXPECT_EQ(outcome.log.empty(), expect.words.empty()) << outcome.log;
            EXPECT_NE(outcome.log.find(expect.words), std::string::npos) << outcome.log;
        } else {
            EXPECT_NE(outcome.faults.find("doc.json"), std::string::npos) << outcome.faults;
            EXPECT_NE(outcome.faults.find(expect.words), std::string::npos) << outcome.faults;
        }
        ExpectBounded(outcome);
    }
    EXPECT_EQ(seen, kExpected.size());
}

// Too large to keep as files: a long array of objects, a feature with many points, many features.
TEST_F(HostileTest, LargeArraysAreReadAndDrawnInMemoryOfTheirOwnSize) {
    std::string objects = R"({"layers": [{"features": [)";
    for (int i = 0; i < 100000; ++i) objects += i ? ",{}" : "{}";
    const Outcome empties = ReadAndDraw(objects + "]}]}");
    EXPECT_NE(empties.faults.find("$.layers[0].features[0]: expected"), std::string::npos) << empties.faults;
    ExpectBounded(empties);

    std::string line = R"({"symbols": {"r": {"kind": "simpleLine", "style": "dot"}},
                          "layers": [{"symbol": "r", "features": [{"line": [[0, 0])";
    for (int i = 1; i < 100000; ++i)
        line += ",[" + std::to_string(i % 800) + "," + std::to_string(i % 600) + "]";
    const Outcome long_line = ReadAndDraw(line + "]}]}]}");
    EXPECT_EQ(long_line.faults, "");
    ExpectBounded(long_line);

    std::string points = R"({"symbols": {"m": {"kind": "charMarker", "code": 65}},
                            "layers": [{"symbol": "m", "features": [)";
    for (int i = 0; i < 10000; ++i)
        points += (i ? ",{\"point\": [" : "{\"point\": [") + std::to_string(i % 800) + ",1]}";
    const Outcome many = ReadAndDraw(points + "]}]}");
    EXPECT_EQ(many.faults, "");
    ExpectBounded(many);
}

// Tiny values cost a tree node each where they are kept: a GeoJSON file is read as a stream that
// keeps only the features' points, so its empty polygons, foreign members and unasked properties
// take a few bytes each; a document, which is kept as a tree, is refused when its tree would
// outgrow its text many times over, and a wide object is read in time linear in its keys.
TEST_F(HostileTest, TinyValuesTakeAFewBytesEachOrAreRefused) {
    std::string data = R"({"features": [)";
    for (int i = 0; i < 3; ++i) {
        data += i ? "," : "";
        data += R"({"type": "Feature", "bulk": [)";
        for (int j = 0; j < 100000; ++j) data += j ? ",[[]]" : "[[]]";
        data += R"(], "properties": {)";
        for (int j = 0; j < 20000; ++j) data += "\"p" + std::to_string(j) + "\": [[]], ";
        data += R"("kind": "big"}, "geometry": {"type": "MultiPolygon", "coordinates": [)";
        for (int j = 0; j < 200000; ++j) data += "[],";
        data += R"([[[0, 0], [9, 0], [9, 9]]]]}})";
    }
    // The type may come last: the features read before it wait for it.
    data += R"(], "type": "FeatureCollection"})";
    std::ofstream(dir_ / "tiny.geojson") << data;
    const Outcome read = ReadAndDraw(R"({"symbols": {"lot": {"kind": "simpleFill"}},
        "layers": [{"geojson": "tiny.geojson", "symbolBy": {"property": "kind", "values": {"big": "lot"}}}]})");
    EXPECT_EQ(read.faults, "");
    EXPECT_EQ(read.log, "");
    EXPECT_LE(read.heapBytes, 6 * data.size()) << data.size();

    std::string doc = R"({"layers": [{"features": [)";
    for (int i = 0; i < 2000000; ++i) doc += i ? ",[]" : "[]";
    const Outcome refused = ReadAndDraw(doc + "]}]}");
    EXPECT_NE(refused.faults.find("doc.json: $: expected a document that takes at most 20 times its size once read"),
              std::string::npos)
        << refused.faults;
    EXPECT_LE(refused.heapBytes, 4 * doc.size()) << doc.size();

    // One object of many keys: each is appended, not searched for among the others first (which
    // took minutes for this one).
    std::string wide = R"({"symbols": {}, "x": {)";
    for (int i = 0; i < 300000; ++i) wide += (i ? ",\"k" : "\"k") + std::to_string(i) + "\": 0";
    EXPECT_NE(ReadAndDraw(wide + "}}").faults.find("$.x: unknown key in a document"), std::string::npos);
}

}  // namespace
