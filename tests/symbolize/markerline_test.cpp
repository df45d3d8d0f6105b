// The marker line as a host draws it: copies of a library marker placed along the line by
// interval, distance or percentage, through the service onto a recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/resource.h"
#include "host/host.h"
#include "host/line_symbols.h"
#include "host/resources.h"
#include "host/stores.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using symbolhost::MarkerLineSymbol;
using symbolhost::VectorResource;

constexpr uint32_t kArrowCode = 41;
constexpr double kNear = 1e-6;
// The marker transform turns by an approximate pi, a few millionths of a degree off.
constexpr double kNearDegrees = 1e-4;

// Where a marker landed and which way it points.
struct Placed {
    PointD at;
    double degrees;  // direction of the marker's x axis on the output, y down
};

// A drawing 2 units wide whose only element runs one unit along its x axis from the anchor, so
// each drawn copy shows where the marker sits and which way it faces.
std::shared_ptr<VectorResource> ArrowResource() {
    auto resource = std::make_shared<VectorResource>();
    resource->extentX1 = 0;
    resource->extentX2 = 2;
    resource->extentY1 = -1;
    resource->extentY2 = 1;
    LineElement* shaft = resource->Add<LineElement>();
    shaft->points = {{0, 0}, {1, 0}};
    return resource;
}

class MarkerLineTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        info_.scale = 1.0;
        symbolhost::SetVectorResourceBase(&store_);
        store_.Add(kArrowCode, ArrowResource());
        line_.SetMarkerResourceCode(kArrowCode);
        line_.SetMarkerSize(2.0, 2.0);
        line_.SetMarkerGap(3.0);  // a step of 5
    }
    void TearDown() override {
        symbolhost::SetVectorResourceBase(nullptr);
        RecordingTest::TearDown();
    }
    using RecordingTest::Draw;
    void Draw(const std::vector<PointD>& points) { Draw(&line_, points); }

    // Every marker drawn, in order.
    std::vector<Placed> Markers() const {
        std::vector<Placed> placed;
        for (const auto& op : Ops()) {
            EXPECT_EQ(op.kind, OpKind::DrawPath);
            const auto& points = op.device.Points();
            if (points.size() != 2u) {
                ADD_FAILURE() << "a marker is its one two-point stroke";
                continue;
            }
            const double degrees =
                std::atan2(points[1].y - points[0].y, points[1].x - points[0].x) * 180 / std::numbers::pi;
            placed.push_back({points[0], degrees});
        }
        return placed;
    }
    void ExpectMarkers(const std::vector<Placed>& expected) const {
        const std::vector<Placed> placed = Markers();
        ASSERT_EQ(placed.size(), expected.size());
        for (size_t i = 0; i < placed.size(); ++i) {
            EXPECT_NEAR(placed[i].at.x, expected[i].at.x, kNear) << i;
            EXPECT_NEAR(placed[i].at.y, expected[i].at.y, kNear) << i;
            EXPECT_NEAR(placed[i].degrees, expected[i].degrees, kNearDegrees) << i;
        }
    }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::VectorResourceStore store_;
    MarkerLineSymbol line_;
};

// ---- interval placement -------------------------------------------------------------------

TEST_F(MarkerLineTest, MarkersRepeatAtMarkerWidthPlusGap) {
    Draw({{0, 0}, {12, 0}});
    ExpectMarkers({{{0, 0}, 0}, {{5, 0}, 0}, {{10, 0}, 0}});
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(MarkerLineTest, AnUnsetWidthStepsByTheDrawingsNaturalWidth) {
    line_.SetMarkerSize(-1, -1);  // natural: 2 mm wide
    Draw({{0, 0}, {12, 0}});
    ExpectMarkers({{{0, 0}, 0}, {{5, 0}, 0}, {{10, 0}, 0}});

    // A gap under 1 mm still steps forward.
    canvas_.Clear();
    line_.SetMarkerGap(0.5);
    Draw({{0, 0}, {6, 0}});
    ExpectMarkers({{{0, 0}, 0}, {{2.5, 0}, 0}, {{5, 0}, 0}});
}

TEST_F(MarkerLineTest, TheStepCarriesAcrossVerticesAndMarkersTurnWithTheLine) {
    Draw({{0, 0}, {6, 0}, {6, 6}});
    ExpectMarkers({{{0, 0}, 0}, {{5, 0}, 0}, {{6, 4}, 90}});

    // A segment shorter than the carry only shortens it.
    canvas_.Clear();
    Draw({{0, 0}, {6, 0}, {6, 2}, {6, 10}});
    ExpectMarkers({{{0, 0}, 0}, {{5, 0}, 0}, {{6, 4}, 90}, {{6, 9}, 90}});
}

TEST_F(MarkerLineTest, StartOffsetMovesEveryMarkerOn) {
    line_.SetStartOffset(1.0);
    Draw({{0, 0}, {12, 0}});
    ExpectMarkers({{{1, 0}, 0}, {{6, 0}, 0}, {{11, 0}, 0}});

    canvas_.Clear();
    line_.SetStartOffset(-1.0);
    Draw({{0, 0}, {12, 0}});
    EXPECT_TRUE(Ops().empty());
}

TEST_F(MarkerLineTest, OffsetAndAngleFollowTheSideAsSeen) {
    line_.SetMarkerOffset(1.0);
    line_.SetMarkerAngle(30.0);
    Draw({{0, 10}, {6, 10}});
    ExpectMarkers({{{0, 9}, 30}, {{5, 9}, 30}});  // y down: left of travel is toward smaller y

    canvas_.Clear();
    info_.yUp = true;
    line_.SetMarkerAngle(0.0);
    Draw({{0, 10}, {6, 10}});
    ExpectMarkers({{{0, 11}, 0}, {{5, 11}, 0}});
}

// ---- one marker ---------------------------------------------------------------------------

TEST_F(MarkerLineTest, DistanceModePlacesOneMarkerAndShiftsIt) {
    line_.SetPlacementMode(MarkerLinePlacementDistance);
    line_.SetPosition(7.0);
    Draw({{0, 0}, {5, 0}, {5, 10}});
    ExpectMarkers({{{5, 2}, 90}});

    canvas_.Clear();
    line_.SetAcrossShift(1.0);  // left of travel: toward larger x when heading down the screen
    line_.SetAlongShift(2.0);
    Draw({{0, 0}, {5, 0}, {5, 10}});
    ExpectMarkers({{{6, 4}, 90}});
}

TEST_F(MarkerLineTest, PercentModeMeasuresTheWholeLine) {
    line_.SetPlacementMode(MarkerLinePlacementPercent);
    line_.SetPosition(50.0);
    info_.sizeRatio = 2.0;  // the percentage does not depend on the size
    Draw({{0, 0}, {10, 0}});
    ExpectMarkers({{{5, 0}, 0}});

    canvas_.Clear();
    line_.SetPosition(0.0);
    Draw({{0, 0}, {0, 10}});
    ExpectMarkers({{{0, 0}, 90}});
}

TEST_F(MarkerLineTest, APlaceAtOrPastTheEndTakesTheLastPointFacingAlongTheLastSegment) {
    line_.SetPlacementMode(MarkerLinePlacementPercent);
    for (double percent : {100.0, 150.0}) {
        canvas_.Clear();
        line_.SetPosition(percent);
        Draw({{0, 0}, {10, 0}, {10, 10}});
        ExpectMarkers({{{10, 10}, 90}});
    }
    canvas_.Clear();
    line_.SetPlacementMode(MarkerLinePlacementDistance);
    line_.SetPosition(1000.0);
    Draw({{0, 0}, {10, 0}, {10, 10}});
    ExpectMarkers({{{10, 10}, 90}});
}

// ---- the marker made for the line ---------------------------------------------------------

TEST_F(MarkerLineTest, TheMarkerTakesTheLinesColourAndTransparency) {
    line_.SetColor(0x123456);
    line_.SetTransparency(50);
    Draw({{0, 0}, {4, 0}});
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0x7F123456u);
}

TEST_F(MarkerLineTest, UseFillHandsTheFillColourToTheMarker) {
    auto filled = ArrowResource();
    LineElement* area = filled->Add<LineElement>();
    area->points = {{0, 0}, {1, 1}, {1, -1}};
    area->closed = true;
    area->usage = SymbolUsageSymbolFill;
    line_.SetEmbeddedResource(filled);
    line_.SetFillValue(0x00FF00);
    Draw({{0, 0}, {4, 0}});
    EXPECT_EQ(Ops().size(), 1u);  // without UseFill the area stays empty

    canvas_.Clear();
    line_.SetUseFill(true);
    Draw({{0, 0}, {4, 0}});
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[1].kind, OpKind::FillPath);
    ASSERT_EQ(Ops()[1].brush->GetType(), Pictor::BrushType::Solid);
    EXPECT_EQ(static_cast<const Pictor::SolidBrush&>(*Ops()[1].brush).GetColor().GetValue(), 0xFF00FF00u);
}

TEST_F(MarkerLineTest, AnEmbeddedDrawingWinsOverTheResourceCode) {
    auto wide = ArrowResource();
    wide->extentX2 = 7;  // natural width 7: with the gap of 3, a step of 10
    line_.SetEmbeddedResource(wide);
    line_.SetMarkerSize(-1, -1);
    line_.SetMarkerResourceCode(kArrowCode + 1);  // unknown, and not needed
    Draw({{0, 0}, {12, 0}});
    ExpectMarkers({{{0, 0}, 0}, {{10, 0}, 0}});
}

TEST_F(MarkerLineTest, UnusableDrawingsAndStepsDrawNothingQuietlyButTheMarkerCapSaysSo) {
    line_.SetMarkerResourceCode(kArrowCode + 1);
    Draw({{0, 0}, {12, 0}});
    EXPECT_TRUE(Ops().empty());
    line_.SetMarkerResourceCode(kArrowCode);
    const struct {
        double width, gap;
    } steps[] = {{0, 0}, {1, -2}, {2, std::numeric_limits<double>::quiet_NaN()}};
    for (const auto& step : steps) {
        line_.SetMarkerSize(step.width, 2);
        line_.SetMarkerGap(step.gap);
        Draw({{0, 0}, {12, 0}});
        EXPECT_TRUE(Ops().empty()) << step.width << " " << step.gap;
    }
    for (const auto& entry : capture_.log().Entries()) EXPECT_NE(entry.function, "CGIS_MarkerLineSymbolize::Symbolize");

    // Half a million markers: our own bound, so it is reported.
    capture_.log().Clear();
    line_.SetMarkerSize(0.001, 2);
    line_.SetMarkerGap(0.001);
    Draw({{0, 0}, {1000, 0}});
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Entries().size(), 1u);
}

TEST_F(MarkerLineTest, OnAYUpOutputTheModesTurnTheMarkersAngleOppositeWays) {
    // The marker is given 30 - 90 degrees in interval mode and -(30 + 90) in one-marker modes;
    // the library marker then mirrors it for the y-up output. Both follow the line.
    info_.yUp = true;
    line_.SetMarkerAngle(30.0);
    Draw({{0, 0}, {0, 6}});
    ExpectMarkers({{{0, 0}, 60}, {{0, 5}, 60}});

    canvas_.Clear();
    line_.SetPlacementMode(MarkerLinePlacementDistance);
    line_.SetPosition(1.0);
    Draw({{0, 0}, {0, 6}});
    ExpectMarkers({{{0, 1}, 120}});
}

}  // namespace
