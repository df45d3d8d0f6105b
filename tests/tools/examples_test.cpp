// The example documents, drawn as the program draws them, and the legend sheet of the gallery
// against its reference picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "contracts/pictor/pictor.h"
#include "host/document/document.h"
#include "pictor/pixel_canvas.h"
#include "pictor/recording_canvas.h"
#include "tools/symbolize/legend.h"
#include "tools/symbolize/render.h"

namespace {

using symbolhost::document::Document;
namespace fs = std::filesystem;

std::vector<std::string> ExampleDocuments() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(std::string(SOURCE_DIR) + "/examples")) {
        if (entry.path().extension() == ".json") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::unique_ptr<Document> Load(const std::string& path) {
    symbolhost::document::ReadResult r = symbolhost::document::ReadDocument(path);
    for (const std::string& line : r.diagnostics.Lines()) ADD_FAILURE() << line;
    return std::move(r.document);
}

TEST(ExamplesTest, EveryExampleLoadsAndDrawsEveryFeatureWithoutAComplaint) {
    const std::vector<std::string> examples = ExampleDocuments();
    ASSERT_GE(examples.size(), 2u);  // the gallery and the GeoJSON map at least
    for (const std::string& path : examples) {
        SCOPED_TRACE(path);
        const auto doc = Load(path);
        ASSERT_NE(doc, nullptr);
        const symbolize_tool::DocumentServices services(*doc);
        symbolhost::ScopedCaptureLog capture;

        Pictor::RecordingCanvas map(doc->canvas.width, doc->canvas.height);
        Pictor::Graphics mapGraphics(&map);
        EXPECT_TRUE(symbolize_tool::DrawMap(*doc, mapGraphics, nullptr));
        EXPECT_GE(map.Operations().size(), doc->FeatureCount());

        Pictor::RecordingCanvas sheet;
        Pictor::Graphics sheetGraphics(&sheet);
        EXPECT_TRUE(symbolize_tool::DrawLegend(*doc, sheetGraphics, nullptr));
        EXPECT_GE(sheet.Operations().size(), doc->symbols.Entries().size());

        for (const auto& e : capture.log().Entries()) ADD_FAILURE() << e.function << ": " << e.message;
    }
}

TEST(ExamplesTest, TheMapExampleShowsItsDataInsideTheCanvas) {
    const auto doc = Load(std::string(SOURCE_DIR) + "/examples/map/map.json");
    ASSERT_NE(doc, nullptr);
    const symbolize_tool::DocumentServices services(*doc);
    Pictor::RecordingCanvas canvas(doc->canvas.width, doc->canvas.height);
    Pictor::Graphics graphics(&canvas);
    ASSERT_TRUE(symbolize_tool::DrawMap(*doc, graphics, nullptr));
    // Every stroke and fill lies on the canvas, give or take the widest pen (the view has a margin);
    // of a clipped one, only what its clip lets through.
    constexpr double kSlack = 8.0;
    for (const auto& op : canvas.Operations()) {
        Pictor::RectD bounds;
        op.device.GetBounds(&bounds, nullptr, nullptr);
        if (op.clip) {
            Pictor::RectD clip;
            op.clip->GetBounds(&clip, nullptr, nullptr);
            const double right = std::min(bounds.x + bounds.width, clip.x + clip.width);
            const double bottom = std::min(bounds.y + bounds.height, clip.y + clip.height);
            bounds.x = std::max(bounds.x, clip.x);
            bounds.y = std::max(bounds.y, clip.y);
            bounds.width = right - bounds.x;
            bounds.height = bottom - bounds.y;
        }
        EXPECT_GE(bounds.x, -kSlack);
        EXPECT_GE(bounds.y, -kSlack);
        EXPECT_LE(bounds.x + bounds.width, doc->canvas.width + kSlack);
        EXPECT_LE(bounds.y + bounds.height, doc->canvas.height + kSlack);
    }
}

TEST(RenderTest, DocumentServicesLastForTheDrawingOnly) {
    symbolhost::document::ReadResult r = symbolhost::document::ReadDocumentText(
        R"({"settings": {"simplifyAnchorPoints": true}})", "doc.json", ".");
    ASSERT_NE(r.document, nullptr);
    symbolhost::PropertyStore& properties = symbolhost::DefaultProperties();
    properties.Remove(kPropertySimplifyAnchorPoints);
    {
        const symbolize_tool::DocumentServices services(*r.document);
        ASSERT_NE(properties.GetProperty(kPropertySimplifyAnchorPoints), nullptr);
        EXPECT_TRUE(properties.GetProperty(kPropertySimplifyAnchorPoints)->GetBoolValue());
    }
    EXPECT_EQ(properties.GetProperty(kPropertySimplifyAnchorPoints), nullptr);

    // Without a choice in the document, the host's own setting stands.
    r.document->settings.simplifyAnchorPoints.reset();
    properties.Set(kPropertySimplifyAnchorPoints, "on");
    {
        const symbolize_tool::DocumentServices services(*r.document);
        EXPECT_STREQ(properties.GetProperty(kPropertySimplifyAnchorPoints)->GetStringValue(), "on");
    }
    properties.Remove(kPropertySimplifyAnchorPoints);
}

TEST(RenderTest, AYUpDocumentDrawsInHundredthsOfAMillimetreFromTheBottom) {
    symbolhost::document::ReadResult r = symbolhost::document::ReadDocumentText(
        R"({"canvas": {"width": 254, "height": 100, "ppi": 254, "yUp": true},
            "symbols": {"l": {"kind": "simpleLine", "width": 1}},
            "layers": [{"symbol": "l", "features": [{"line": [[0, 0], [1000, 500]]}]}]})",
        "doc.json", ".");
    ASSERT_NE(r.document, nullptr);
    const symbolize_tool::DocumentServices services(*r.document);
    Pictor::RecordingCanvas canvas(254, 100);
    Pictor::Graphics graphics(&canvas);
    ASSERT_TRUE(symbolize_tool::DrawMap(*r.document, graphics, nullptr));
    ASSERT_EQ(canvas.Operations().size(), 1u);
    const Pictor::RecordedOp& op = canvas.Operations()[0];
    // 254 ppi is 10 pixels a millimetre: 1000 units (10 mm) are 100 pixels, up from the bottom.
    Pictor::RectD bounds;
    op.device.GetBounds(&bounds, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(bounds.x + bounds.width, 100.0);
    EXPECT_DOUBLE_EQ(bounds.y, 50.0);
    EXPECT_DOUBLE_EQ(bounds.y + bounds.height, 100.0);
    // A 1 mm line is 100 units wide: 10 pixels.
    ASSERT_TRUE(op.pen.has_value());
    EXPECT_DOUBLE_EQ(op.pen->GetWidth() * op.world.M11(), 10.0);
}

// The legend sheet of examples/gallery.json against tests/data/gallery.png, which
// scripts/update-references.sh renders with `symbolize gallery`. Symbol samples and captions
// are held to different tolerances: the samples are what the library draws, the captions are
// glyphs whose edges move a little between versions of the font rasteriser.
class GalleryPictureTest : public ::testing::Test {
protected:
    struct Tolerance {
        int channel;      // a pixel differs when a channel is off by more than this
        size_t maxCount;  // at most this many pixels may differ
    };
    // Antialiasing of the same stroke on the same Cairo gives the same bytes; a level or two of
    // slack absorbs rounding in other builds, and a few pixels a stray edge. A symbol drawn a
    // tenth of a millimetre wider already changes hundreds of pixels by tens of levels.
    static constexpr Tolerance kSamples{4, 40};
    // Glyph edges move by a few levels between builds of the font rasteriser; a missing or
    // different word of several letters changes far more pixels than this, by up to 255.
    static constexpr Tolerance kCaptions{32, 600};

    static bool InCaption(int x, int y) {
        using namespace symbolize_tool;
        if (x < kLegendMargin || y < kLegendMargin) return false;
        const double inCell = std::fmod(y - kLegendMargin, kLegendCellHeight);
        return inCell >= kLegendSampleHeight;
    }
};

TEST_F(GalleryPictureTest, MatchesTheReferencePicture) {
    const std::string referencePath = std::string(SOURCE_DIR) + "/tests/data/gallery.png";
    Pictor::Status status = Pictor::Ok;
    const auto reference = Pictor::Image::FromFile(referencePath, &status);
    ASSERT_NE(reference, nullptr) << referencePath << " is missing (status " << status
                                  << "); render it with `bash scripts/update-references.sh`";

    const auto doc = Load(std::string(SOURCE_DIR) + "/examples/gallery.json");
    ASSERT_NE(doc, nullptr);
    std::string error;
    const auto size = symbolize_tool::LegendSize(*doc, &error);
    ASSERT_TRUE(size.has_value()) << error;
    Pictor::PixelCanvas canvas(size->width, size->height, Pictor::Color(doc->canvas.background));
    {
        const symbolize_tool::DocumentServices services(*doc);
        Pictor::Graphics graphics(&canvas);
        ASSERT_TRUE(symbolize_tool::DrawLegend(*doc, graphics, nullptr));
    }
    ASSERT_EQ(reference->GetWidth(), size->width);
    ASSERT_EQ(reference->GetHeight(), size->height);

    size_t differing[2] = {0, 0};  // samples, captions
    int worst[2] = {0, 0};
    for (int y = 0; y < size->height; ++y) {
        for (int x = 0; x < size->width; ++x) {
            const Pictor::Color a = canvas.GetPixel(x, y);
            const Pictor::Color b = reference->GetPixel(x, y);
            const int d = std::max({std::abs(a.GetA() - b.GetA()), std::abs(a.GetR() - b.GetR()),
                                    std::abs(a.GetG() - b.GetG()), std::abs(a.GetB() - b.GetB())});
            const int area = InCaption(x, y) ? 1 : 0;
            const Tolerance& t = area ? kCaptions : kSamples;
            worst[area] = std::max(worst[area], d);
            if (d > t.channel) ++differing[area];
        }
    }
    if (differing[0] > kSamples.maxCount || differing[1] > kCaptions.maxCount) {
        const std::string actual = (fs::current_path() / "gallery-actual.png").string();
        canvas.WritePng(actual);
        FAIL() << "symbol samples: " << differing[0] << " pixels differ by more than " << kSamples.channel
               << " (at most " << kSamples.maxCount << " may; the worst by " << worst[0]
               << "); captions: " << differing[1] << " by more than " << kCaptions.channel << " (at most "
               << kCaptions.maxCount << "). This render is " << actual
               << ". If the change is intended, run `bash scripts/update-references.sh`.";
    }
}

}  // namespace
