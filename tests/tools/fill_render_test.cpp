// Fills as the program draws them onto a raster canvas: no fill kind paints the hole of a
// polygon, every ring is outlined, and the gradient runs the way its angle says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "contracts/pictor/pictor.h"
#include "host/document/document.h"
#include "pictor/pixel_canvas.h"
#include "tools/symbolize/render.h"

namespace {

using symbolhost::document::Document;

constexpr int kSize = 100;
const Pictor::Color kBackground(255, 255, 255, 255);

// The document with one polygon of `symbol` (JSON), drawn onto a fresh raster canvas.
std::unique_ptr<Pictor::PixelCanvas> Render(const std::string& symbol, const std::string& polygon) {
    const std::string text = R"({"canvas": {"width": 100, "height": 100, "background": "#FFFFFF"},
        "settings": {"allowPathsOutside": true},
        "fillImages": {"1": ")" +
                             std::string(SOURCE_DIR) + R"(/examples/images/bricks.png"},
        "symbols": {"fill": )" +
                             symbol + R"(},
        "layers": [{"symbol": "fill", "features": [{"polygon": )" +
                             polygon + "}]}]}";
    symbolhost::document::ReadResult r = symbolhost::document::ReadDocumentText(text, "doc.json", ".");
    for (const std::string& line : r.diagnostics.Lines()) ADD_FAILURE() << line;
    if (!r.document) return nullptr;
    auto canvas = std::make_unique<Pictor::PixelCanvas>(kSize, kSize, kBackground);
    const symbolize_tool::DocumentServices services(*r.document);
    Pictor::Graphics graphics(canvas.get());
    EXPECT_TRUE(symbolize_tool::DrawMap(*r.document, graphics, nullptr));
    return canvas;
}

int Grey(const Pictor::PixelCanvas& canvas, int x, int y) { return canvas.GetPixel(x, y).GetR(); }

TEST(HoleRenderTest, NoFillKindPaintsTheHoleAndEveryRingIsOutlined) {
    // A 1 mm red outline, about 4 pixels wide: of a cartographic line, which only the points
    // entry can draw.
    const std::string outline = R"("outline": {"kind": "cartographicLine", "color": "#FF0000", "width": 1})";
    const std::string hatch =
        R"("line": {"kind": "simpleLine", "color": "#000080", "width": 0.3}, "separation": 1)";
    const std::string fills[] = {
        R"({"kind": "simpleFill", "color": "#0000FF", )" + outline + "}",
        R"({"kind": "lineFill", )" + hatch + ", " + outline + "}",
        // A gradient's outline follows the filled path, which only a simple line can.
        R"({"kind": "gradientFill", "startColor": "#0000FF", "endColor": "#00FF00", "outline": {"kind":
            "simpleLine", "color": "#FF0000", "width": 1}})",
        R"({"kind": "pictureFill", "image": 1, )" + outline + "}",
        R"({"kind": "compoundFill", "fills": [{"kind": "simpleFill", "color": "#0000FF"}, {"kind": "lineFill", )" +
            hatch + ", " + outline + "}]}",
    };
    const std::string lakeWithIsland =
        "[[[10, 10], [90, 10], [90, 90], [10, 90]], [[40, 40], [60, 40], [60, 60], [40, 60]]]";
    for (const std::string& fill : fills) {
        SCOPED_TRACE(fill);
        const auto canvas = Render(fill, lakeWithIsland);
        ASSERT_NE(canvas, nullptr);
        // Inside the island, clear of its outline: the map shows through.
        for (int y = 44; y <= 56; ++y) {
            for (int x = 44; x <= 56; ++x) ASSERT_EQ(canvas->GetPixel(x, y), kBackground) << x << ", " << y;
        }
        // Something fills the water between the shores.
        int painted = 0;
        for (int x = 16; x < 36; ++x) painted += canvas->GetPixel(x, 50) != kBackground;
        EXPECT_GT(painted, 5);
        // The outer shore and the island's shore are both drawn, whole.
        for (const auto& [x, y] : {std::pair{50, 10}, std::pair{50, 40}, std::pair{50, 38}, std::pair{50, 41},
                                   std::pair{10, 50}, std::pair{60, 50}}) {
            const Pictor::Color c = canvas->GetPixel(x, y);
            EXPECT_TRUE(c.GetR() > 200 && c.GetG() < 60 && c.GetB() < 60)
                << x << ", " << y << ": " << std::hex << c.GetValue();
        }
    }
}

TEST(GradientRenderTest, ColoursRunAlongTheAngle) {
    const std::string square = "[[[0, 0], [100, 0], [100, 100], [0, 100]]]";
    const auto gradient = [](int angle) {
        return R"({"kind": "gradientFill", "startColor": "#000000", "endColor": "#FFFFFF", "angle": )" +
               std::to_string(angle) + "}";
    };
    {
        const auto c = Render(gradient(0), square);
        ASSERT_NE(c, nullptr);
        EXPECT_LT(Grey(*c, 2, 50), 16);
        EXPECT_GT(Grey(*c, 97, 50), 239);
        EXPECT_NEAR(Grey(*c, 50, 50), 127, 4);
        EXPECT_EQ(Grey(*c, 30, 5), Grey(*c, 30, 95));  // bands run down the page
    }
    {
        const auto c = Render(gradient(90), square);
        ASSERT_NE(c, nullptr);
        EXPECT_LT(Grey(*c, 50, 2), 16);
        EXPECT_GT(Grey(*c, 50, 97), 239);
        EXPECT_EQ(Grey(*c, 5, 30), Grey(*c, 95, 30));  // bands run across
    }
    {
        const auto c = Render(gradient(45), square);
        ASSERT_NE(c, nullptr);
        // The brush is turned about the centre and then stretched along x by k = cos + sin, so
        // the grey at a pixel is its x position after stretching back and turning back.
        const double k = 2.0 * std::cos(M_PI / 4);
        for (const auto& [x, y] : {std::pair{30, 30}, std::pair{70, 70}, std::pair{30, 70}, std::pair{70, 30},
                                   std::pair{50, 50}}) {
            const double dx = (x + 0.5 - 50.0) / k;
            const double dy = y + 0.5 - 50.0;
            const double along = 50.0 + std::cos(M_PI / 4) * (dx + dy);
            EXPECT_NEAR(Grey(*c, x, y), along / 100.0 * 255.0, 3) << x << ", " << y;
        }
        EXPECT_LT(Grey(*c, 30, 30) + 60, Grey(*c, 70, 70));
    }
}

}  // namespace
