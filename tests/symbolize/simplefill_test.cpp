// The simple fill and its outline as a host draws them: through the service, onto a recording
// canvas.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/symbols.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;

using symbolize_test::FixedColourTable;

// A line symbol of a kind that can only be drawn from points.
class CartographicLineStandIn final : public symbolhost::SymbolBase<IGIS_LineSymbol> {
public:
    IGIS_Symbol* Clone() const noexcept override { return new (std::nothrow) CartographicLineStandIn; }
    int32_t GetType() const noexcept override { return SymbolTypeCartographicLine; }
    IGIS_LineSymbol* GetLineSymbol() noexcept override { return this; }
};

class SimpleFillTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        fill_.SetColor(0x112233);
        fill_.SetBackgroundColor(0x445566);
        fill_.SetBackgroundTransparency(50);
    }

    // Gives the fill a 0.25 mm simple-line outline (1 drawing unit at scale 4).
    void AddOutline() {
        auto* outline = new symbolhost::SimpleLineSymbol;
        outline->SetWidth(0.25);
        fill_.SetOutline(outline);
    }
    void Draw(const std::vector<PointD>& points) { RecordingTest::Draw(&fill_, points); }
    void DrawPath(const Pictor::GraphicsPath* path) { RecordingTest::DrawPath(&fill_, path); }
    // The points the outline was stroked through.
    std::vector<PointD> OutlineRing() const {
        for (const auto& op : Ops()) {
            if (op.kind == OpKind::DrawPath) return op.device.Points();
        }
        return {};
    }

    const std::vector<PointD> square_{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    symbolhost::SimpleFillSymbol fill_;
};

TEST_F(SimpleFillTest, SolidFillAlphaIsTheTruncatedOpacity) {
    const struct {
        int32_t transparency;
        uint32_t alpha;
    } cases[] = {{0, 255}, {50, 127}, {100, 0}};  // a fully transparent fill is still filled
    for (const auto& c : cases) {
        canvas_.Clear();
        fill_.SetTransparency(c.transparency);
        Draw(square_);
        ASSERT_EQ(Kinds(), std::vector<OpKind>{OpKind::FillPath}) << c.transparency;
        const auto* brush = dynamic_cast<const Pictor::SolidBrush*>(Ops()[0].brush.get());
        ASSERT_NE(brush, nullptr);
        EXPECT_EQ(brush->GetColor().GetValue(), (c.alpha << 24) | 0x112233u);
        EXPECT_EQ(Ops()[0].device.Points(), square_);
    }
}

TEST_F(SimpleFillTest, HatchStylesFollowTheFillStyle) {
    for (int32_t style = SimpleFillStyleHorizontal; style <= SimpleFillStyleDiagonalCross; ++style) {
        canvas_.Clear();
        fill_.SetStyle(style);
        Draw(square_);
        ASSERT_EQ(Ops().size(), 1u) << style;
        const auto* brush = dynamic_cast<const Pictor::HatchBrush*>(Ops()[0].brush.get());
        ASSERT_NE(brush, nullptr) << style;
        EXPECT_EQ(brush->GetHatchStyle(), style - 2);
        EXPECT_EQ(brush->GetForegroundColor().GetValue(), 0xFF112233u);
        EXPECT_EQ(brush->GetBackgroundColor().GetValue(), 0x7F445566u);  // its own transparency
    }
}

TEST_F(SimpleFillTest, HollowAndUnknownStylesDrawOnlyTheOutline) {
    AddOutline();
    for (int32_t style : {int32_t{SimpleFillStyleHollow}, 9, -3}) {
        canvas_.Clear();
        fill_.SetStyle(style);
        Draw(square_);
        EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath}) << style;
    }
}

TEST_F(SimpleFillTest, FewerThanThreePointsDrawNothing) {
    AddOutline();
    Draw({{0, 0}, {10, 10}});
    EXPECT_TRUE(Ops().empty());
}

TEST_F(SimpleFillTest, ColourTableMapsBothColoursAndOverrideIsIgnored) {
    FixedColourTable table(0x00CCBBAA);
    info_.colorTable = &table;
    info_.overrideColor = true;
    info_.color = 0x00FF00;
    fill_.SetStyle(SimpleFillStyleCross);
    Draw(square_);
    ASSERT_EQ(Ops().size(), 1u);
    const auto* brush = dynamic_cast<const Pictor::HatchBrush*>(Ops()[0].brush.get());
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->GetForegroundColor().GetValue(), 0xFFAABBCCu);
    EXPECT_EQ(brush->GetBackgroundColor().GetValue(), 0x7FAABBCCu);
}

// The outline ring starts and ends in the middle of the closing edge and runs in the winding the
// symbol asks for, as seen on the output.
class FillOutlineRingTest : public SimpleFillTest {};

TEST_F(FillOutlineRingTest, ClockwiseOnAYDownSurfaceKeepsAPositiveRing) {
    AddOutline();
    Draw(square_);
    EXPECT_EQ(OutlineRing(), (std::vector<PointD>{{0, 5}, {0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5}}));
}

TEST_F(FillOutlineRingTest, ClockwiseOnAYUpSurfaceReversesIt) {
    AddOutline();
    info_.yUp = true;
    Draw(square_);
    EXPECT_EQ(OutlineRing(), (std::vector<PointD>{{0, 5}, {0, 10}, {10, 10}, {10, 0}, {0, 0}, {0, 5}}));
}

TEST_F(FillOutlineRingTest, ANegativeRingIsTurnedToRunClockwise) {
    AddOutline();
    Draw({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    EXPECT_EQ(OutlineRing(), (std::vector<PointD>{{5, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {5, 0}}));

    canvas_.Clear();
    fill_.SetOutlineClockwise(false);
    Draw(square_);
    EXPECT_EQ(OutlineRing(), (std::vector<PointD>{{0, 5}, {0, 10}, {10, 10}, {10, 0}, {0, 0}, {0, 5}}));
}

TEST_F(FillOutlineRingTest, ARingWithoutAreaIsOutlinedThroughItsOwnPoints) {
    AddOutline();
    Draw({{0, 0}, {5, 0}, {10, 0}});
    EXPECT_EQ(OutlineRing(), (std::vector<PointD>{{5, 0}, {0, 0}, {5, 0}, {10, 0}, {5, 0}}));
}

class SimpleFillPathTest : public SimpleFillTest {
protected:
    void SetUp() override {
        SimpleFillTest::SetUp();
        path_.AddEllipse(0, 0, 20, 10);
    }
    Pictor::GraphicsPath path_;
};

TEST_F(SimpleFillPathTest, FillsThePathAndStrokesASimpleLineOutlineAlongIt) {
    AddOutline();
    fill_.SetStyle(SimpleFillStyleVertical);
    DrawPath(&path_);
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::FillPath, OpKind::DrawPath}));
    EXPECT_NE(dynamic_cast<const Pictor::HatchBrush*>(Ops()[0].brush.get()), nullptr);
    for (const auto& op : Ops()) {
        EXPECT_EQ(op.device.Points(), path_.Points());
        EXPECT_EQ(op.device.Types(), path_.Types());
    }
}

TEST_F(SimpleFillPathTest, OutlinesOfOtherLineKindsAreNotDrawnAlongPaths) {
    fill_.SetOutline(new CartographicLineStandIn);
    DrawPath(&path_);
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::FillPath});
}

TEST_F(SimpleFillPathTest, NullPathDrawsNothing) {
    AddOutline();
    DrawPath(nullptr);
    EXPECT_TRUE(Ops().empty());
}

}  // namespace
