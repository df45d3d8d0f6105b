// The program's commands as a user meets them: exit codes, messages and the files left behind.
#include "tools/symbolize/commands.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/document/document.h"
#include "host/host.h"
#include "tools/symbolize/output.h"

namespace {

namespace fs = std::filesystem;
using namespace symbolize_tool;

constexpr const char* kGoodDocument = R"({
  "canvas": {"width": 120, "height": 80},
  "symbols": {"road": {"kind": "simpleLine", "width": 1, "halo": {"size": 0.3}},
              "lot": {"kind": "simpleFill", "style": "cross", "outline": "road"}},
  "layers": [{"features": [{"polygon": [[[10, 10], [100, 12], [90, 70]]], "symbol": "lot"},
                           {"line": [[0, 40], [120, 40]], "symbol": "road"}]}]})";

constexpr const char* kBadDocument = R"({"symbols": {"road": {"kind": "simpleLine", "width": -1}}})";

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() {
        std::string pattern = (fs::temp_directory_path() / "commands_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
    }
    ~CommandsTest() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return (dir_ / name).string();
    }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    std::string Head(const std::string& name, size_t bytes) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::string head(bytes, '\0');
        in.read(head.data(), static_cast<std::streamsize>(bytes));
        return head.substr(0, static_cast<size_t>(in.gcount()));
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    int Symbolize(std::vector<std::string> args) {
        args.insert(args.begin(), "symbolize");
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        out_.str("");
        err_.str("");
        return symbolize_tool::Run(static_cast<int>(argv.size()), argv.data(), out_, err_);
    }

    fs::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(CommandsTest, ValidateSaysOkOrListsTheFaults) {
    EXPECT_EQ(Symbolize({"validate", Write("good.json", kGoodDocument)}), 0);
    EXPECT_EQ(out_.str(), "OK\n");
    EXPECT_EQ(err_.str(), "");

    const std::string bad = Write("bad.json", kBadDocument);
    EXPECT_EQ(Symbolize({"validate", bad}), kExitRefused);
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(err_.str(), bad + ": $.symbols.road.width: expected a number from 0 to 1000 mm, found -1\n");
}

TEST_F(CommandsTest, RenderWritesEachFormatThroughATemporaryFile) {
    const std::string doc = Write("doc.json", kGoodDocument);
    EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf("map.png")}), 0) << err_.str();
    EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf("map.SVG")}), 0) << err_.str();
    EXPECT_EQ(Symbolize({"render", doc, "--output", PathOf("map.pdf")}), 0) << err_.str();
    EXPECT_EQ(err_.str(), "");
    EXPECT_EQ(Head("map.png", 4), "\x89PNG");
    EXPECT_NE(Head("map.SVG", 200).find("<svg"), std::string::npos);
    EXPECT_EQ(Head("map.pdf", 5), "%PDF-");
    EXPECT_EQ(Files(), (std::vector<std::string>{"doc.json", "map.SVG", "map.pdf", "map.png"}));
}

TEST_F(CommandsTest, ARefusedDocumentLeavesThePreviousPictureAlone) {
    const std::string picture = Write("map.png", "the previous picture");
    const std::string bad = Write("bad.json", kBadDocument);
    for (const char* command : {"render", "gallery"}) {
        EXPECT_EQ(Symbolize({command, bad, "-o", picture}), kExitRefused);
        EXPECT_NE(err_.str().find(bad + ": $.symbols.road.width: expected"), std::string::npos) << err_.str();
        EXPECT_EQ(Head("map.png", 100), "the previous picture");
    }
    EXPECT_EQ(Symbolize({"render", bad, "-o", PathOf("new.png")}), kExitRefused);
    EXPECT_EQ(Files(), (std::vector<std::string>{"bad.json", "map.png"}));
}

TEST_F(CommandsTest, AnOutputThatTheDocumentReadsIsRefusedBeforeDrawing) {
    const std::string doc = Write("doc.json", kGoodDocument);
    // The document itself (as a dump), and a picture it reads, named another way.
    EXPECT_EQ(Symbolize({"render", doc, "-o", doc}), kExitUsage);
    EXPECT_EQ(err_.str(), "symbolize: " + doc + ": is read by " + doc + "; choose another output file\n");
    EXPECT_EQ(Head("doc.json", 10), std::string(kGoodDocument).substr(0, 10));

    fs::copy_file(std::string(SOURCE_DIR) + "/tests/data/gallery.png", dir_ / "tree.png");
    const std::string withPicture =
        Write("pictures.json", R"({"images": {"1": "tree.png"}, "canvas": {"width": 10, "height": 10}})");
    for (const char* command : {"render", "gallery"}) {
        EXPECT_EQ(Symbolize({command, withPicture, "-o", (dir_ / "." / "tree.png").string()}), kExitUsage)
            << command;
    }
    EXPECT_EQ(Head("tree.png", 4), "\x89PNG");
    EXPECT_EQ(Files(), (std::vector<std::string>{"doc.json", "pictures.json", "tree.png"}));
}

TEST_F(CommandsTest, TheOutputPlaceIsCheckedBeforeDrawingAndAnyLegalNameIsWritten) {
    const std::string doc = Write("doc.json", kGoodDocument);
    fs::create_directory(dir_ / "pictures.png");
    const struct {
        std::string output;
        std::string message;
    } cases[] = {
        {PathOf("pictures.png"), ": is a folder, expected a file name"},
        {PathOf("none/map.png"), ": its folder " + PathOf("none") + " does not exist"},
        {PathOf("doc.json/map.svg"), ": " + doc + " is not a folder"},
        {PathOf(std::string(256, 'm') + ".png"), ": the name is longer than 255 bytes, the most its folder allows"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Symbolize({"render", doc, "-o", c.output}), kExitRefused) << c.output;
        EXPECT_EQ(err_.str(), "symbolize: " + c.output + c.message + "\n");
    }
    // The longest legal name: the temporary file beside it is named on its own.
    const std::string longest = std::string(251, 'm') + ".png";
    for (const std::string& name : {longest, std::string(250, 'd') + ".json"}) {
        EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf(name)}), 0) << err_.str();
    }
    EXPECT_EQ(Head(longest, 4), "\x89PNG");
    EXPECT_EQ(Files().size(), 4u);  // the document, the folder and the two outputs: nothing else
}

// Every symbol at the document's limits validates and then draws without one message from the
// library: the reader and the library read their limits from one place.
TEST_F(CommandsTest, WhatValidatesAtTheLimitsDrawsWithoutALibraryMessage) {
    const auto repeat = [](int n, const std::string& item) {
        std::string list;
        for (int i = 0; i < n; ++i) list += (i ? ", " : "") + item;
        return list;
    };
    std::string lines;  // 32 levels: compound lines around a simple line, innermost written first
    for (int i = 1; i < 32; ++i) {
        lines += ", \"c" + std::to_string(i) + R"(": {"kind": "compoundLine", "lines": ["c)" +
                 std::to_string(i - 1) + "\"]}";
    }
    std::string text;  // a text box of 1024 lines
    for (int i = 0; i < 1024; ++i) text += "x\\n";
    // Stacks whose members the library counts at every level: 15 + 15 x (64 + 64 x 64) = 62415 of
    // the 65536 it looks at, with all but one member of the innermost stack hidden.
    std::string hidden;
    for (int i = 1; i < 64; ++i) hidden += (i > 1 ? ", " : "") + std::to_string(i);
    const std::string document = R"({"canvas": {"width": 200, "height": 100},
      "resources": {"1": {"elements": [{"type": "line", "points": [[0, 0], [10, 10]], "dashPattern": [1, 1]}]}},
      "symbols": {
        "dashes": {"kind": "simpleLine", "style": "custom", "dashPattern": [)" + repeat(64, "1") + R"(]},
        "template": {"kind": "cartographicLine", "dashes": [)" + repeat(64, "1") + R"(]},
        "separate": {"kind": "cartographicLine", "separateDashes": true, "dashes": [)" + repeat(32, "0, 1") + R"(]},
        "arrows": {"kind": "markerLine", "resource": 1},
        "c0": {"kind": "simpleLine"})" + lines + R"(,
        "box": {"kind": "textBox", "text": ")" + text + R"(", "height": 50},
        "m": {"kind": "charMarker", "code": 149},
        "s1": {"kind": "compoundMarker", "hidden": [)" + hidden + R"(], "markers": [)" + repeat(64, "\"m\"") + R"(]},
        "s2": {"kind": "compoundMarker", "markers": [)" + repeat(64, "\"s1\"") + R"(]},
        "s3": {"kind": "compoundMarker", "markers": [)" + repeat(15, "\"s2\"") + R"(]}},
      "layers": [{"features": [
        {"line": [[0, 10], [200, 10]], "symbol": "dashes"}, {"line": [[0, 20], [200, 20]], "symbol": "template"},
        {"line": [[0, 30], [200, 30]], "symbol": "separate"}, {"line": [[0, 40], [200, 40]], "symbol": "arrows"},
        {"line": [[0, 50], [200, 50]], "symbol": "c31"}, {"point": [10, 60], "symbol": "box"},
        {"point": [150, 70], "symbol": "s3"}]}]})";
    const std::string doc = Write("limits.json", document);
    EXPECT_EQ(Symbolize({"validate", doc}), 0) << err_.str();
    EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf("limits.png")}), 0);
    EXPECT_EQ(err_.str(), "");
}

// A GeoJSON file beside a document named without a folder is looked for there, and reported missing.
TEST_F(CommandsTest, AMissingFileBesideADocumentNamedWithoutAFolderIsReportedMissing) {
    Write("doc.json", R"({"symbols": {"l": {"kind": "simpleLine"}}, "layers": [{"symbol": "l", "geojson": "gone.geojson"}]})");
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const int code = Symbolize({"validate", "doc.json"});
    fs::current_path(before);
    EXPECT_EQ(code, kExitRefused);
    EXPECT_EQ(err_.str(), "doc.json: $.layers[0].geojson: cannot read \"gone.geojson\": no such file\n");
}

TEST_F(CommandsTest, StoppedDrawingWritesNoPicture) {
    for (const char* name : {"a.png", "a.svg", "a.pdf"}) {
        std::string error;
        const auto format = FormatOf(name);
        ASSERT_TRUE(format.has_value());
        EXPECT_EQ(WritePicture(
                      PathOf(name), *format, 10, 10, 0xFFFFFFFF, 96.0,
                      [](Pictor::Graphics&) { return false; }, &error),
                  WriteResult::Stopped);
    }
    EXPECT_TRUE(Files().empty());
}

TEST_F(CommandsTest, GalleryDrawsALegendSheetSizedToTheSymbols) {
    EXPECT_EQ(Symbolize({"gallery", Write("doc.json", kGoodDocument), "-o", PathOf("sheet.png")}), 0)
        << err_.str();
    Pictor::Status status = Pictor::Ok;
    const auto sheet = Pictor::Image::FromFile(PathOf("sheet.png"), &status);
    ASSERT_NE(sheet, nullptr) << status;
    // Two symbols: one row of two 200 x 150 cells inside a 16-pixel margin.
    EXPECT_EQ(sheet->GetWidth(), 2 * 16 + 2 * 200);
    EXPECT_EQ(sheet->GetHeight(), 2 * 16 + 150);
}

TEST_F(CommandsTest, CommandLineMistakesExitWithTheUsageCode) {
    const std::string doc = Write("doc.json", kGoodDocument);
    EXPECT_EQ(Symbolize({}), kExitUsage);
    EXPECT_EQ(Symbolize({"paint", doc}), kExitUsage);
    EXPECT_EQ(Symbolize({"render", doc}), kExitUsage);  // no output
    EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf("map.jpg")}), kExitUsage);
    EXPECT_NE(err_.str().find("expected a picture file ending in .png, .svg or .pdf"), std::string::npos);
    EXPECT_EQ(Files(), std::vector<std::string>{"doc.json"});

    EXPECT_EQ(Symbolize({"--version"}), 0);
    EXPECT_EQ(out_.str(), "symbolize 0.1.0\n");
    EXPECT_EQ(Symbolize({"--help"}), 0);
    EXPECT_NE(out_.str().find("gallery"), std::string::npos);
}

// Both rasterizers write the PNG; the host's setting holds unless the command line names one, and
// a rasterizer named for a vector or dump output is refused rather than ignored.
TEST_F(CommandsTest, TheRasterizerIsChosenForPngOutputOnly) {
    const std::string doc = Write("doc.json", kGoodDocument);
    symbolhost::PropertyStore& properties = symbolhost::DefaultProperties();
    properties.Set(symbolhost::kPropertyRaster, "Cairo");
    EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf("host.png")}), 0) << err_.str();
    properties.Remove(symbolhost::kPropertyRaster);
    EXPECT_EQ(Symbolize({"render", doc, "--raster", "cairo", "-o", PathOf("cairo.png")}), 0) << err_.str();
    EXPECT_EQ(Symbolize({"gallery", doc, "--raster", "AGG", "-o", PathOf("agg.png")}), 0) << err_.str();
    for (const char* name : {"host.png", "cairo.png", "agg.png"}) EXPECT_EQ(Head(name, 4), "\x89PNG") << name;

    EXPECT_EQ(Symbolize({"render", doc, "--raster", "skia", "-o", PathOf("map.png")}), kExitUsage);
    for (const char* vector : {"map.svg", "map.pdf", "map.json"}) {
        EXPECT_EQ(Symbolize({"render", doc, "--raster", "agg", "-o", PathOf(vector)}), kExitUsage) << vector;
        EXPECT_NE(err_.str().find("--raster chooses the rasterizer of PNG output"), std::string::npos);
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"agg.png", "cairo.png", "doc.json", "host.png"}));
}

// ---- resolution and true size ------------------------------------------------------------------

// A 10 mm line, 0.5 mm wide, on a page of 400 x 200 pixels at 96 ppi: 300 x 150 points.
constexpr const char* kTenMillimetres = R"({
  "canvas": {"width": 400, "height": 200},
  "symbols": {"ten": {"kind": "simpleLine", "width": 0.5}},
  "layers": [{"features": [{"line": [[20, 100], [57.79527559055118, 100]], "symbol": "ten"}]}]})";

// The numbers in group 1 of the first match of `pattern`.
std::vector<double> NumbersOf(const std::string& text, const std::string& pattern) {
    std::smatch m;
    std::vector<double> numbers;
    if (!std::regex_search(text, m, std::regex(pattern))) return numbers;
    std::istringstream in(std::regex_replace(m[1].str(), std::regex("[^-0-9.]+"), " "));
    for (double v; in >> v;) numbers.push_back(v);
    return numbers;
}

// The page's width, the line's length and the pen's width in millimetres, as an SVG or PDF file
// states them in points. Cairo compresses a PDF's drawing: it is read from the inflated streams.
std::vector<double> MeasuredMillimetres(const std::string& file, bool svg) {
    std::string drawing = file;
    double scale = 1.0;
    if (svg) {
        scale = NumbersOf(file, R"re(transform="matrix\(([0-9.]+),)re").at(0);
    } else {
        drawing.clear();
        for (size_t at = 0; (at = file.find("stream\n", at)) != std::string::npos; at += 7) {
            std::vector<Bytef> out(1 << 16);
            uLongf size = out.size();
            const auto* in = reinterpret_cast<const Bytef*>(file.data() + at + 7);
            if (uncompress(out.data(), &size, in, file.find("endstream", at) - at - 7) == Z_OK)
                drawing.append(out.begin(), out.begin() + static_cast<long>(size));
        }
    }
    const double page = svg ? NumbersOf(file, R"re(<svg[^>]* width="([0-9.]+)pt")re").at(0)
                            : NumbersOf(file, R"(/MediaBox \[([^\]]*)\])").at(2);
    const std::vector<double> line =
        NumbersOf(drawing, svg ? R"re( d="([^"]*)")re" : R"(\n([0-9. ]+ m [0-9. ]+) l)");
    const double pen = NumbersOf(drawing, svg ? "stroke-width:([0-9.]+)" : "([0-9.]+) w\n").at(0);
    constexpr double kPointsPerMillimetre = 72.0 / 25.4;
    return {page / kPointsPerMillimetre,
            std::hypot(line.at(2) - line.at(0), line.at(3) - line.at(1)) * scale / kPointsPerMillimetre,
            pen * scale / kPointsPerMillimetre};
}

TEST_F(CommandsTest, SvgAndPdfMeasureTrueSizeAtAnyResolution) {
    const std::string doc = Write("ten.json", kTenMillimetres);
    for (const char* ppi : {"96", "300"}) {
        for (const char* name : {"ten.svg", "ten.pdf"}) {
            SCOPED_TRACE(std::string(name) + " at " + ppi + " ppi");
            ASSERT_EQ(Symbolize({"render", doc, "-o", PathOf(name), "--ppi", ppi}), 0) << err_.str();
            const std::vector<double> mm =
                MeasuredMillimetres(Head(name, 1 << 20), std::string(name).ends_with("svg"));
            EXPECT_NEAR(mm[0], 400 / 96.0 * 25.4, 1e-4);  // the page keeps its size on paper
            EXPECT_NEAR(mm[1], 10.0, 0.01);
            EXPECT_NEAR(mm[2], 0.5, 0.001);
        }
    }
}

std::unique_ptr<Pictor::Image> ReadPng(const std::string& path) {
    Pictor::Status status = Pictor::Ok;
    return Pictor::Image::FromFile(path, &status);
}

TEST_F(CommandsTest, APpiDrawsTheSamePageWithMorePixelsAndTheSameLook) {
    const std::string doc = Write("doc.json", kGoodDocument);
    ASSERT_EQ(Symbolize({"render", doc, "-o", PathOf("screen.png")}), 0) << err_.str();
    ASSERT_EQ(Symbolize({"render", doc, "-o", PathOf("print.png"), "--ppi", "288"}), 0) << err_.str();
    const auto screen = ReadPng(PathOf("screen.png"));
    const auto print = ReadPng(PathOf("print.png"));
    ASSERT_TRUE(screen && print);
    ASSERT_EQ(print->GetWidth(), 3 * screen->GetWidth());
    ASSERT_EQ(print->GetHeight(), 3 * screen->GetHeight());
    // The print says its resolution: 288 ppi is 11339 pixels a metre (0x2C4B), both ways.
    EXPECT_NE(Head("print.png", 64).find(std::string("pHYs\0\0\x2C\x4B\0\0\x2C\x4B\x01", 13)),
              std::string::npos);
    // Each screen pixel against the mean of the 3 x 3 print pixels over it: only antialiased edges
    // may differ. A hatch at screen density or a pen that kept its pixel width changes whole areas.
    int differing = 0;
    double inkScreen = 0, inkPrint = 0;
    for (int y = 0; y < screen->GetHeight(); ++y) {
        for (int x = 0; x < screen->GetWidth(); ++x) {
            int mean = 0;
            for (int i = 0; i < 9; ++i) mean += print->GetPixel(3 * x + i % 3, 3 * y + i / 3).GetG();
            const int own = screen->GetPixel(x, y).GetG();
            inkScreen += 255 - own;
            inkPrint += 255 - mean / 9.0;
            if (std::abs(own - mean / 9) > 64) ++differing;
        }
    }
    EXPECT_LE(differing, screen->GetWidth() * screen->GetHeight() / 100);
    EXPECT_NEAR(inkPrint / inkScreen, 1.0, 0.02);
}

TEST_F(CommandsTest, PpiAndBackgroundOverridesAreCheckedAndTransparentIsClear) {
    const std::string doc = Write("doc.json", kGoodDocument);
    ASSERT_EQ(Symbolize({"render", doc, "-o", PathOf("clear.png"), "--background", "transparent"}), 0);
    ASSERT_EQ(
        Symbolize({"gallery", doc, "-o", PathOf("sheet.png"), "--ppi", "192", "--background", "#80FF0000"}),
        0);
    EXPECT_EQ(ReadPng(PathOf("clear.png"))->GetPixel(2, 2).GetA(), 0);
    const auto sheet = ReadPng(PathOf("sheet.png"));
    EXPECT_EQ(sheet->GetPixel(2, 2).GetValue(), 0x80FF0000u);
    EXPECT_EQ(sheet->GetWidth(), 2 * (2 * 16 + 2 * 200));  // the legend sheet at twice the pixels

    // A page that would outgrow a picture at the resolution, and a colour that is none.
    EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf("bad.png"), "--ppi", "10000"}), kExitUsage);
    EXPECT_NE(err_.str().find("--ppi: at 10000 pixels per inch the page would be a canvas of 12500 x 8333"),
              std::string::npos);
    EXPECT_EQ(Symbolize({"render", doc, "-o", PathOf("bad.png"), "--background", "red"}), kExitUsage);
    EXPECT_FALSE(fs::exists(PathOf("bad.png")));

    // Fill pictures tile a pixel per drawing unit: at twice the ppi they are twice the size.
    fs::copy_file(std::string(SOURCE_DIR) + "/tests/data/markers/flag_4x2.png", dir_ / "flag.png");
    auto read = symbolhost::document::ReadDocument(Write("fill.json", R"({"fillImages": {"1": "flag.png"}})"));
    std::string error;
    ASSERT_TRUE(read.document && symbolhost::document::SetResolution(*read.document, 192, &error)) << error;
    EXPECT_EQ(read.document->fillImages.GetImage(1)->GetWidth(), 8);
}

TEST_F(CommandsTest, AMapScaleSizesTheCanvasAndPlacesTheWorldExactly) {
    // 1 km by 500 m at 1:10 000 is 100 x 50 mm: at 254 ppi (10 pixels a millimetre) 1000 x 500
    // pixels, and 10 more on each side for the margin.
    auto read = symbolhost::document::ReadDocumentText(
        R"({"canvas": {"ppi": 254}, "view": {"box": [5000, 2000, 6000, 2500], "scale": 10000, "margin": 10}})",
        "map.json", ".");
    ASSERT_TRUE(read.document) << read.diagnostics.Text();
    symbolhost::document::Document& doc = *read.document;
    EXPECT_EQ(doc.canvas.width, 1020);
    EXPECT_EQ(doc.canvas.height, 520);
    const auto place = [&](double x, double y) {
        return symbolhost::document::ViewTransform(doc).TransformPoint({x, y});
    };
    EXPECT_EQ(place(5000, 2500), (Pictor::PointD{10, 10}));
    EXPECT_EQ(place(5100, 2000), (Pictor::PointD{110, 510}));  // 100 m is 10 mm, 100 pixels
    std::string error;
    ASSERT_TRUE(symbolhost::document::SetResolution(doc, 508, &error)) << error;
    EXPECT_EQ(doc.canvas.width, 2040);  // the same page with twice the pixels
    EXPECT_EQ(place(5100, 2000), (Pictor::PointD{220, 1020}));

    const auto both = symbolhost::document::ReadDocumentText(
        R"({"canvas": {"width": 100}, "view": {"box": [0, 0, 10, 10], "scale": 100}})", "map.json", ".");
    EXPECT_EQ(both.diagnostics.Text(),
              "map.json: $.view.scale: expected either a canvas width and height or a map scale, found both: "
              "the canvas follows the view box at the scale\n");
}

TEST_F(CommandsTest, KindsPrintsTheReference) {
    EXPECT_EQ(Symbolize({"kinds"}), 0);
    EXPECT_NE(out_.str().find("### `simpleLine`"), std::string::npos);
    EXPECT_NE(out_.str().find("| `width` | number, 0 to 1000 mm | `0.26` |"), std::string::npos)
        << out_.str();
}

}  // namespace
