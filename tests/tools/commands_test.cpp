// The program's commands as a user meets them: exit codes, messages and the files left behind.
#include "tools/symbolize/commands.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

TEST_F(CommandsTest, StoppedDrawingWritesNoPicture) {
    for (const char* name : {"a.png", "a.svg", "a.pdf"}) {
        std::string error;
        const auto format = FormatOf(name);
        ASSERT_TRUE(format.has_value());
        EXPECT_EQ(
            WritePicture(
                PathOf(name), *format, 10, 10, 0xFFFFFFFF, [](Pictor::Graphics&) { return false; }, &error),
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

TEST_F(CommandsTest, KindsPrintsTheReference) {
    EXPECT_EQ(Symbolize({"kinds"}), 0);
    EXPECT_NE(out_.str().find("### `simpleLine`"), std::string::npos);
    EXPECT_NE(out_.str().find("| `width` | number, 0 to 1000 mm | `0.26` |"), std::string::npos)
        << out_.str();
}

}  // namespace
