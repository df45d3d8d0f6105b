// Every symbol of examples/gallery.json alone on its legend sample, at 96 and at 192 ppi, against
// its own picture in tests/data/symbols, so that a change which spoils one symbol names it.
// scripts/update-symbol-references.sh renders the pictures again (SYMBOLIZE_UPDATE_REFERENCES).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/document/document.h"
#include "pictor/pixel_canvas.h"
#include "tools/symbolize/legend.h"
#include "tools/symbolize/render.h"

namespace {

namespace fs = std::filesystem;

// A pixel differs when a channel is off by more than kChannel; at most kShare of a sample's pixels
// may. Cairo gives the same bytes for the same drawing and glyph edges move by a few levels between
// font rasterisers; a pen a tenth of a millimetre wider changes several percent of a line sample.
constexpr int kChannel = 16;
constexpr double kShare = 0.005;

class SymbolReferenceTest : public ::testing::TestWithParam<int> {};

TEST_P(SymbolReferenceTest, EverySymbolMatchesItsReference) {
    const int ppi = GetParam();
    auto read = symbolhost::document::ReadDocument(std::string(SOURCE_DIR) + "/examples/gallery.json");
    ASSERT_TRUE(read.document) << read.diagnostics.Text();
    symbolhost::document::Document& doc = *read.document;
    const double zoom = ppi / doc.canvas.ppi;
    std::string error;
    ASSERT_TRUE(symbolhost::document::SetResolution(doc, ppi, &error)) << error;
    const symbolize_tool::DocumentServices services(doc);
    const int width = static_cast<int>(std::lround(symbolize_tool::kLegendCellWidth * zoom));
    const int height = static_cast<int>(std::lround(symbolize_tool::kLegendSampleHeight * zoom));

    for (size_t i = 0; i < doc.symbols.Entries().size(); ++i) {
        std::string file = doc.symbols.Entries()[i].name + "@" + std::to_string(ppi) + ".png";
        std::replace_if(
            file.begin(), file.end(), [](char c) { return c == ' ' || c == '/'; }, '-');
        const std::string reference = std::string(SOURCE_DIR) + "/tests/data/symbols/" + file;
        Pictor::PixelCanvas canvas(width, height, Pictor::Color(doc.canvas.background), Pictor::RasterEngine::Agg,
                                   ppi);
        {
            Pictor::Graphics graphics(&canvas);
            symbolize_tool::DrawLegendSample(doc, i, graphics, zoom);
        }
        if (std::getenv("SYMBOLIZE_UPDATE_REFERENCES") != nullptr) {
            EXPECT_EQ(canvas.WritePng(reference), Pictor::Ok) << reference;
            continue;
        }
        Pictor::Status status = Pictor::Ok;
        const auto expected = Pictor::Image::FromFile(reference, &status);
        int differing = width * height;
        for (int y = 0; expected && expected->GetWidth() == width && y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Pictor::Color a = canvas.GetPixel(x, y);
                const Pictor::Color b = expected->GetPixel(x, y);
                if (std::max({std::abs(a.GetA() - b.GetA()), std::abs(a.GetR() - b.GetR()),
                              std::abs(a.GetG() - b.GetG()), std::abs(a.GetB() - b.GetB())}) <= kChannel)
                    --differing;
            }
        }
        if (differing > kShare * width * height) {
            const std::string actual = (fs::current_path() / ("actual-" + file)).string();
            canvas.WritePng(actual);
            ADD_FAILURE() << file << ": " << differing << " pixels differ from the reference by more than "
                          << kChannel << " (at most " << static_cast<int>(kShare * width * height)
                          << " may; a missing reference differs everywhere). This render is " << actual
                          << "; if the change is intended, run `bash scripts/update-symbol-references.sh`.";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Resolutions, SymbolReferenceTest, ::testing::Values(96, 192),
                         [](const auto& info) { return std::to_string(info.param) + "ppi"; });

}  // namespace
