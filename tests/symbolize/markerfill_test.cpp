// The marker fill as a host draws it: picture markers (whose drawn box shows exactly where each
// marker went) placed in the three drawing modes, onto a recording canvas and onto pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "host/stores.h"
#include "pictor/cairo_canvas.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using Pictor::RecordedOp;
using Pictor::RectD;

constexpr uint32_t kImageId = 5;
// The picture: a red top row over a blue bottom row, so an upside-down marker shows.
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

std::vector<PointD> Square(double x, double y, double side) {
    return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
}

class MarkerFillTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        const uint32_t pixels[] = {kRed, kRed, kBlue, kBlue};
        images_.Add(kImageId, Pictor::Image::FromArgb(2, 2, pixels));
        symbolhost::SetImageResourceBase(&images_);
        properties_.Set(kPropertyJitterSeed, "1");
        // A 2.5 mm picture: 10 units square at scale 4, with no gap between cells.
        auto* marker = new symbolhost::PictureMarkerSymbol;
        marker->SetImageId(kImageId);
        marker->SetSize(2.5, 2.5);
        fill_.SetMarker(marker);
        fill_.SetSeparation(0, 0);
        fill_.SetFillType(MarkerFillGrid);
        auto* outline = new symbolhost::SimpleLineSymbol;
        fill_.SetOutline(outline);
    }
    void TearDown() override {
        symbolhost::SetImageResourceBase(nullptr);
        RecordingTest::TearDown();
    }
    symbolhost::PictureMarkerSymbol& Marker() {
        return static_cast<symbolhost::PictureMarkerSymbol&>(*fill_.GetMarkerSymbol());
    }
    std::vector<const RecordedOp*> OpsOf(OpKind kind) const {
        std::vector<const RecordedOp*> found;
        for (const RecordedOp& op : Ops()) {
            if (op.kind == kind) found.push_back(&op);
        }
        return found;
    }
    std::vector<RectD> ImageBoxes() const {
        std::vector<RectD> boxes;
        for (const RecordedOp* op : OpsOf(OpKind::DrawImage)) boxes.push_back(op->rect);
        return boxes;
    }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::ImageStore images_;
    symbolhost::MarkerFillSymbol fill_;
};

TEST_F(MarkerFillTest, UpwardTargetsDrawEveryMarkerClippedToThePolygonAtItsAnchor) {
    info_.yUp = true;
    Marker().SetOffset(3, 2);  // the fill places the anchor itself
    Draw(&fill_, Square(0, 0, 40));
    // A grid over bounds 0..40 starts a cell early: 7 columns of 6 rows, centres at 10 i - 5.
    const std::vector<RectD> boxes = ImageBoxes();
    ASSERT_EQ(boxes.size(), 42u);
    EXPECT_EQ(boxes.front(), RectD(-10, -10, 10, 10));
    EXPECT_EQ(boxes[1], RectD(0, -10, 10, 10));
    EXPECT_EQ(boxes.back(), RectD(50, 40, 10, 10));
    for (const RecordedOp* op : OpsOf(OpKind::DrawImage)) ASSERT_TRUE(op->clip.has_value());
    EXPECT_EQ(Ops().back().kind, OpKind::DrawPath);  // the outline comes last
    EXPECT_FALSE(Ops().back().clip.has_value());
    EXPECT_EQ(*Marker().GetXOffset(), 3.0);  // only the fill's own copy was changed

    // Each placement code puts its own markers.
    const std::vector<std::pair<int32_t, size_t>> expected = {{MarkerFillStaggered, 42},
                                                              {MarkerFillVertices, 5},
                                                              {MarkerFillJittered, 42},
                                                              {MarkerFillInterior, 1},
                                                              {9, 0}};
    for (const auto& [code, count] : expected) {
        canvas_.Clear();
        fill_.SetFillType(code);
        Draw(&fill_, Square(0, 0, 40));
        EXPECT_EQ(ImageBoxes().size(), count) << "placement " << code;
    }
    EXPECT_EQ(ImageBoxes(), std::vector<RectD>{}) << "an unknown code draws the outline only";
    fill_.SetFillType(MarkerFillInterior);
    canvas_.Clear();
    Draw(&fill_, Square(0, 0, 40));
    EXPECT_EQ(ImageBoxes(), std::vector<RectD>{RectD(15, 15, 10, 10)});
}

TEST_F(MarkerFillTest, TheSeedPropertyRepeatsTheJitter) {
    info_.yUp = true;
    fill_.SetFillType(MarkerFillJittered);
    Draw(&fill_, Square(0, 0, 100));
    const std::vector<RectD> first = ImageBoxes();
    canvas_.Clear();
    Draw(&fill_, Square(0, 0, 100));
    EXPECT_EQ(ImageBoxes(), first);
    properties_.Set(kPropertyJitterSeed, "2");
    canvas_.Clear();
    Draw(&fill_, Square(0, 0, 100));
    EXPECT_NE(ImageBoxes(), first);
}

TEST_F(MarkerFillTest, WhatDrawsNoMarkersStillDrawsTheOutline) {
    info_.yUp = true;
    Draw(&fill_, Square(0, 0, 16));  // bounds of 256 square units are too small to fill
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath});

    canvas_.Clear();
    Draw(&fill_, {{0, 0}, {40, 0}});  // two points enclose nothing: not even an outline
    EXPECT_TRUE(Ops().empty());

    // A tiny marker over a huge polygon would be billions of markers: refused once, outline kept.
    Marker().SetSize(0.001, 0.001);
    canvas_.Clear();
    Draw(&fill_, Square(-1e6, -1e6, 2e6));
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath});
    EXPECT_EQ(capture_.log().Entries().size(), 1u);
    EXPECT_EQ(capture_.log().Entries().front().level, LogLevelError);

    // A marker of no extent has no cell, no tile and no stamp.
    Marker().SetSize(0, 0);
    for (const bool yUp : {true, false}) {
        info_.yUp = yUp;
        canvas_.Clear();
        Draw(&fill_, Square(0, 0, 40));
        EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath}) << "yUp " << yUp;
    }

    fill_.SetMarker(nullptr);
    canvas_.Clear();
    Draw(&fill_, Square(0, 0, 40));
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath});
}

TEST_F(MarkerFillTest, ScreenTargetsFillWithOneTileOfSixBySixCellsKeepingItsTransparency) {
    fill_.SetSeparation(2.5, 2.5);  // cells of 20 units, markers 10 units in their middle
    Draw(&fill_, Square(0, 0, 1000));
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::FillPath, OpKind::DrawPath}));
    const RecordedOp& fill = Ops().front();
    ASSERT_TRUE(fill.clip.has_value());
    ASSERT_EQ(fill.brush->GetType(), Pictor::BrushType::Texture);
    const auto& brush = static_cast<const Pictor::TextureBrush&>(*fill.brush);
    EXPECT_EQ(brush.GetWrapMode(), Pictor::WrapModeTile);
    const Pictor::Image& tile = brush.GetImage();
    ASSERT_EQ(tile.GetWidth(), 120);
    ASSERT_EQ(tile.GetHeight(), 120);
    // A marker covers 5..15 in each cell of the tile, upright; the rest stays transparent.
    EXPECT_GT(tile.GetPixel(10, 6).GetR(), 200);
    EXPECT_GT(tile.GetPixel(10, 13).GetB(), 200);
    EXPECT_EQ(tile.GetPixel(110, 110).GetA(), 255);
    EXPECT_EQ(tile.GetPixel(0, 0).GetA(), 0);
    EXPECT_EQ(tile.GetPixel(20, 20).GetA(), 0);
}

TEST_F(MarkerFillTest, PathsAreStampedOnScreensAndDrawnMarkerByMarkerOnUpwardTargets) {
    info_.scale = 10;
    Marker().SetSize(4, 2);  // a stamp of 52 x 26 pixels: 15 % of the marker free on each side
    Pictor::GraphicsPath path;
    path.AddRectangle(RectD(0, 0, 100, 50));
    DrawPath(&fill_, &path);
    // Cells of 40 x 20 over the path's bounds: 6 columns of 5 rows, the stamp's anchor at (26, 13).
    std::vector<const RecordedOp*> stamps = OpsOf(OpKind::DrawImage);
    ASSERT_EQ(stamps.size(), 30u);
    EXPECT_EQ(stamps.front()->rect, RectD(-20 - 26, -10 - 13, 52, 26));
    EXPECT_EQ(stamps.front()->imageWidth, 52);
    EXPECT_TRUE(stamps.front()->clip.has_value());
    EXPECT_EQ(Ops().back().kind, OpKind::DrawPath);

    // The stamp follows the size ratio, as the marker in it does, so the marker is not cut off.
    info_.sizeRatio = 2;
    canvas_.Clear();
    DrawPath(&fill_, &path);
    stamps = OpsOf(OpKind::DrawImage);
    ASSERT_FALSE(stamps.empty());
    EXPECT_EQ(stamps.front()->imageWidth, 104);
    EXPECT_EQ(stamps.front()->imageHeight, 52);

    info_.sizeRatio = 1;
    info_.yUp = true;
    canvas_.Clear();
    DrawPath(&fill_, &path);
    ASSERT_EQ(ImageBoxes().size(), 30u);
    EXPECT_EQ(ImageBoxes().front(), RectD(-40, -20, 40, 20));  // the marker itself, at (-20, -10)
}

// On pixels: a stamp shows the marker as drawing it directly does, and the tile's pattern hangs
// from the surface origin, so two neighbouring polygons join as one.
TEST_F(MarkerFillTest, StampsLookLikeMarkersAndTilesJoinAcrossNeighbours) {
    constexpr int kSize = 120;
    auto render = [&](const std::function<void()>& draw) {
        auto raster = std::make_unique<Pictor::RasterCanvas>(kSize, kSize);
        Pictor::Graphics graphics(raster.get());
        info_.graphics = &graphics;
        draw();
        info_.graphics = &graphics_;
        return raster;
    };
    fill_.SetOutline(nullptr);
    fill_.SetFillType(MarkerFillInterior);
    Pictor::GraphicsPath path;
    path.AddRectangle(RectD(0, 0, 100, 100));
    const auto stamped = render([&] { DrawPath(&fill_, &path); });
    const auto direct = render([&] { Draw(&Marker(), {{50, 50}}); });
    // The stamp lands within a pixel of the marker (its anchor has a fractional part), upright.
    auto inkCorner = [&](const Pictor::RasterCanvas& c) {  // top-left of the mostly opaque pixels
        PointD corner{kSize, kSize};
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (c.GetPixel(x, y).GetA() < 128) continue;
                corner = {std::min(corner.x, double(x)), std::min(corner.y, double(y))};
            }
        }
        return corner;
    };
    EXPECT_NEAR(inkCorner(*stamped).x, inkCorner(*direct).x, 1);
    EXPECT_NEAR(inkCorner(*stamped).y, inkCorner(*direct).y, 1);
    for (const auto* picture : {stamped.get(), direct.get()}) {
        EXPECT_GT(picture->GetPixel(50, 47).GetR(), 200);
        EXPECT_GT(picture->GetPixel(50, 52).GetB(), 200);
    }

    fill_.SetFillType(MarkerFillStaggered);
    fill_.SetSeparation(1, 0.5);
    const auto whole = render([&] { Draw(&fill_, {{0, 0}, {120, 0}, {120, 120}, {0, 120}}); });
    const auto halves = render([&] {
        Draw(&fill_, {{0, 0}, {50, 0}, {50, 120}, {0, 120}});
        Draw(&fill_, {{50, 0}, {120, 0}, {120, 120}, {50, 120}});
    });
    int marked = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            ASSERT_EQ(halves->GetPixel(x, y).GetValue(), whole->GetPixel(x, y).GetValue()) << x << ", " << y;
            marked += whole->GetPixel(x, y).GetA() > 0;
        }
    }
    EXPECT_GT(marked, kSize * kSize / 4);
    EXPECT_LT(marked, kSize * kSize);
}

}  // namespace
