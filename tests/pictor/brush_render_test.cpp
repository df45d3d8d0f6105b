// Brushes on the raster canvas: hatch cells, gradient colours, texture tiling and stretching.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "tests/pictor/pixel_probe.h"

namespace Pictor::test {
namespace {

// A 4 x 4 image whose pixels all differ.
std::unique_ptr<Image> DistinctImage() {
    std::vector<uint32_t> argb(16);
    for (uint32_t i = 0; i < 16; ++i) argb[i] = 0xFF000000u | (i * 16) << 16 | (255 - i * 16) << 8 | i * 5;
    return Image::FromArgb(4, 4, argb.data());
}

int Mod(int a, int n) { return ((a % n) + n) % n; }

TEST(HatchRender, EveryStyleDrawsItsCellFromTheDeviceOrigin) {
    const Color back(128, 0, 0, 255);  // translucent, so premultiplication shows if it goes wrong
    for (int style = HatchStyleHorizontal; style <= HatchStyleDiagonalCross; ++style) {
        SCOPED_TRACE("hatch style " + std::to_string(style));
        HatchBrush brush(style, kRed, back);
        auto cell = [&](int x, int y) { return HatchBrush::IsForePixel(style, x, y) ? kRed : back; };

        RasterCanvas plain(16, 16);
        Graphics g(&plain);
        ASSERT_EQ(g.FillRectangle(&brush, 0, 0, 16, 16), Ok);
        EXPECT_TRUE(EveryPixel(plain, cell, 1));

        // Moving the shape does not move the cells.
        RasterCanvas moved(24, 24);
        Graphics h(&moved);
        Matrix shift(1, 0, 0, 1, 3, 5);
        ASSERT_EQ(h.SetTransform(&shift), Ok);
        ASSERT_EQ(h.FillRectangle(&brush, 0, 0, 16, 16), Ok);
        EXPECT_TRUE(EveryPixel(
            moved, [&](int x, int y) { return x >= 3 && x < 19 && y >= 5 && y < 21 ? cell(x, y) : kClear; },
            1));
    }
}

TEST(HatchRender, CellsFollowTheDeviceScaleOnTheCanvasAndInBitmapsMadeForIt) {
    for (int style = HatchStyleHorizontal; style <= HatchStyleDiagonalCross; ++style) {
        SCOPED_TRACE("hatch style " + std::to_string(style));
        const HatchBrush brush(style, kRed, kBlue);
        // At 288 ppi every pixel of the 8 x 8 cell is 3 x 3 device pixels.
        const auto cell = [&](int x, int y) {
            return HatchBrush::IsForePixel(style, x / 3, y / 3) ? kRed : kBlue;
        };
        RasterCanvas print(48, 48, kClear, 288);
        Graphics g(&print);
        ASSERT_EQ(g.FillRectangle(&brush, 0, 0, 48, 48), Ok);
        EXPECT_TRUE(EveryPixel(print, cell, 0));
        const std::unique_ptr<Bitmap> tile = g.CreateCompatibleBitmap(48, 48);
        Graphics t(tile.get());
        ASSERT_EQ(t.FillRectangle(&brush, 0, 0, 48, 48), Ok);
        EXPECT_TRUE(EveryPixel(RasterCanvas(tile.get()), cell, 0));
    }
}

class GradientRender : public ::testing::Test {
protected:
    GradientRender() : brush_(RectD{0, 0, 100, 10}, kC1, kC2, LinearGradientModeHorizontal) {
        const double factors[] = {0, 1, 0.5};
        const double positions[] = {0, 0.5, 1};
        EXPECT_EQ(brush_.SetBlend(factors, positions, 3), Ok);
    }

    // The colour at relative position p across the brush rectangle.
    Color Expected(double p) const {
        const double f = brush_.FactorAt(p - std::floor(p));
        auto mix = [f](int a, int b) { return static_cast<uint8_t>(std::lround(a + f * (b - a))); };
        return Color(255, mix(kC1.GetR(), kC2.GetR()), mix(kC1.GetG(), kC2.GetG()),
                     mix(kC1.GetB(), kC2.GetB()));
    }

    static constexpr Color kC1{255, 0, 0, 0};
    static constexpr Color kC2{255, 200, 100, 40};
    // Gradients are computed per pixel in 8 bits; one or two steps of rounding either way.
    static constexpr int kTolerance = 2;
    LinearGradientBrush brush_;
};

TEST_F(GradientRender, ColoursFollowTheBlendTableAndRepeat) {
    RasterCanvas canvas(200, 4);
    Graphics g(&canvas);
    ASSERT_EQ(g.FillRectangle(&brush_, 0, 0, 200, 4), Ok);
    EXPECT_TRUE(EveryPixel(
        canvas, [&](int x, int) { return Expected((x + 0.5) / 100); }, kTolerance));
}

TEST_F(GradientRender, TheBrushTransformTurnsTheAxis) {
    ASSERT_EQ(brush_.RotateTransform(90), Ok);  // the x axis now runs down
    RasterCanvas canvas(4, 100);
    Graphics g(&canvas);
    ASSERT_EQ(g.FillRectangle(&brush_, 0, 0, 4, 100), Ok);
    EXPECT_TRUE(EveryPixel(
        canvas, [&](int, int y) { return Expected((y + 0.5) / 100); }, kTolerance));
}

TEST(TextureRender, TilesStartAtTheWorldOrigin) {
    const auto image = DistinctImage();
    TextureBrush brush(image.get(), WrapModeTile);
    RasterCanvas canvas(20, 20);
    Graphics g(&canvas);
    Matrix shift(1, 0, 0, 1, 1, 2);
    ASSERT_EQ(g.SetTransform(&shift), Ok);
    ASSERT_EQ(g.FillRectangle(&brush, 0, 0, 10, 18), Ok);
    ASSERT_EQ(g.FillRectangle(&brush, 10, 0, 9, 18), Ok);
    EXPECT_TRUE(EveryPixel(canvas, [&](int x, int y) {
        return x >= 1 && y >= 2 ? image->GetPixel(Mod(x - 1, 4), Mod(y - 2, 4)) : kClear;
    }));
}

TEST(TextureRender, NeighbouringShapesJoinWithoutSeamsWhenScaled) {
    const auto image = DistinctImage();
    TextureBrush brush(image.get(), WrapModeTile);
    Matrix world(2.5, 0, 0, 2.5, 0.3, 0.7);
    RasterCanvas whole(40, 40);
    RasterCanvas halves(40, 40);
    Graphics g1(&whole);
    Graphics g2(&halves);
    for (Graphics* g : {&g1, &g2}) {
        ASSERT_EQ(g->SetTransform(&world), Ok);
        ASSERT_EQ(g->SetSmoothingMode(SmoothingOff), Ok);  // edges by pixel centres: no shared edge pixels
    }
    ASSERT_EQ(g1.FillRectangle(&brush, RectD{0, 0, 15, 15}), Ok);
    ASSERT_EQ(g2.FillRectangle(&brush, RectD{0, 0, 6.1, 15}), Ok);
    ASSERT_EQ(g2.FillRectangle(&brush, RectD{6.1, 0, 8.9, 15}), Ok);
    EXPECT_TRUE(EveryPixel(halves, [&](int x, int y) { return whole.GetPixel(x, y); }));
}

TEST(TextureRender, ClampStretchesTheImageOverWhatIsFilled) {
    const uint32_t quadrants[] = {kRed.GetValue(), kGreen.GetValue(), kBlue.GetValue(), kWhite.GetValue()};
    const auto image = Image::FromArgb(2, 2, quadrants);
    TextureBrush brush(image.get(), WrapModeClamp);

    RasterCanvas canvas(16, 16);
    Graphics g(&canvas);
    ASSERT_EQ(g.FillRectangle(&brush, 4, 4, 8, 8), Ok);
    EXPECT_TRUE(PixelIs(canvas, 4, 4, kRed, 1));
    EXPECT_TRUE(PixelIs(canvas, 11, 4, kGreen, 1));
    EXPECT_TRUE(PixelIs(canvas, 4, 11, kBlue, 1));
    EXPECT_TRUE(PixelIs(canvas, 11, 11, kWhite, 1));
    EXPECT_TRUE(PixelIs(canvas, 3, 3, kClear));
    EXPECT_TRUE(PixelIs(canvas, 12, 12, kClear));

    // A path is filled over its own bounds: a triangle with the same box shows the same corners.
    RasterCanvas triangle(16, 16);
    Graphics h(&triangle);
    const PointD corners[] = {{4, 4}, {12, 4}, {4, 12}};
    GraphicsPath path;
    ASSERT_EQ(path.AddPolygon(corners, 3), Ok);
    ASSERT_EQ(h.FillPath(&brush, &path), Ok);
    EXPECT_TRUE(PixelIs(triangle, 4, 4, kRed, 1));
    EXPECT_TRUE(PixelIs(triangle, 10, 4, kGreen, 1));
    EXPECT_TRUE(PixelIs(triangle, 4, 10, kBlue, 1));
    EXPECT_TRUE(PixelIs(triangle, 11, 11, kClear));
}

}  // namespace
}  // namespace Pictor::test
