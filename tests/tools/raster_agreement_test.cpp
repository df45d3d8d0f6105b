// Every example document, as a map and as a legend sheet, drawn by both raster engines: the PNG
// the program writes by default (AGG) shows what the Cairo engine shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "contracts/pictor/pictor.h"
#include "host/document/document.h"
#include "pictor/pixel_canvas.h"
#include "tests/pictor/raster_agreement.h"
#include "tools/symbolize/legend.h"
#include "tools/symbolize/render.h"

namespace {

namespace fs = std::filesystem;
using Pictor::PixelCanvas;
using Pictor::RasterEngine;

TEST(RasterAgreementTest, EveryExampleMapAndLegendLookTheSameOnBothEngines) {
    std::vector<std::string> examples;
    for (const auto& entry : fs::recursive_directory_iterator(std::string(SOURCE_DIR) + "/examples")) {
        if (entry.path().extension() == ".json") examples.push_back(entry.path().string());
    }
    std::sort(examples.begin(), examples.end());
    ASSERT_GE(examples.size(), 2u);
    for (const std::string& path : examples) {
        symbolhost::document::ReadResult r = symbolhost::document::ReadDocument(path);
        ASSERT_NE(r.document, nullptr) << path;
        const symbolhost::document::Document& doc = *r.document;
        const symbolize_tool::DocumentServices services(*r.document);
        std::string error;
        const auto sheet = symbolize_tool::LegendSize(doc, &error);
        ASSERT_TRUE(sheet.has_value()) << error;
        struct Picture {
            std::string what;
            int width, height;
            bool legend;
        };
        const Picture pictures[] = {{path + " (map)", doc.canvas.width, doc.canvas.height, false},
                                    {path + " (legend)", sheet->width, sheet->height, true}};
        for (const Picture& p : pictures) {
            PixelCanvas agg(p.width, p.height, Pictor::Color(doc.canvas.background), RasterEngine::Agg);
            PixelCanvas cairo(p.width, p.height, Pictor::Color(doc.canvas.background), RasterEngine::Cairo);
            for (PixelCanvas* canvas : {&agg, &cairo}) {
                Pictor::Graphics graphics(canvas);
                ASSERT_TRUE(p.legend ? symbolize_tool::DrawLegend(doc, graphics, nullptr)
                                     : symbolize_tool::DrawMap(doc, graphics, nullptr));
            }
            EXPECT_TRUE(Pictor::test::Agree(agg, cairo, p.what));
            const Pictor::test::Agreement a = Pictor::test::Compare(agg, cairo);
            std::printf("%s: %zu of %zu pixels differ by more than %d (%.3f %%), worst %d, off edges %zu\n",
                        p.what.c_str(), a.differing, a.pixels, Pictor::test::kAgreementLevels, 100 * a.Share(),
                        a.worst, a.offEdge);
        }
    }
}

}  // namespace
