// Arrow lines, leaders and the outline path of library markers, through the service onto a
// recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/resource.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "host/resources.h"
#include "host/stores.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using symbolhost::LibMarkerSymbol;
using symbolhost::VectorResource;

constexpr uint32_t kCode = 7;
constexpr double kNear = 1e-6;
// The barbs are turned by a quarter turn given to eight digits: off by 1.7 x 2.7e-8 units.
constexpr double kBarbNear = 1e-6;
const PointD kAnchor{50, 50};

// An element type no marker knows.
class UnknownElement final : public SymbolElement {
public:
    int32_t GetType() const noexcept override { return 7; }
};

class LibMarkerArrowsTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        symbolhost::SetVectorResourceBase(&store_);
        resource_ = std::make_shared<VectorResource>();
        resource_->extentX2 = 10;
        resource_->extentY2 = 10;
        store_.Add(kCode, resource_);
        marker_.SetResourceCode(kCode);
        marker_.SetLineWidth(-1);  // every element keeps its own width
    }
    void TearDown() override {
        symbolhost::SetVectorResourceBase(nullptr);
        RecordingTest::TearDown();
    }

    LineElement* AddLine(std::vector<PointD> points, int32_t usage, double width = 1.0) {
        LineElement* line = resource_->Add<LineElement>();
        line->points = std::move(points);
        line->usage = usage;
        line->lineWidth = width;
        return line;
    }
    // Resource units (anchor at the origin) to drawing units at the anchor point.
    static PointD Map(const PointD& p) { return {kAnchor.x + p.x * kScale, kAnchor.y + p.y * kScale}; }
    void ExpectFigure(const Pictor::RecordedOp& op, const std::vector<PointD>& resourcePoints,
                      double tolerance = kNear) {
        const std::vector<PointD>& points = op.device.Points();
        ASSERT_EQ(points.size(), resourcePoints.size());
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(points[i].x, Map(resourcePoints[i]).x, tolerance) << i;
            EXPECT_NEAR(points[i].y, Map(resourcePoints[i]).y, tolerance) << i;
        }
    }
    void DrawMarker() { Draw(&marker_, {kAnchor}); }
    bool AllFinite() const {
        for (const auto& op : Ops())
            for (const PointD& p : op.device.Points())
                if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
        return true;
    }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::VectorResourceStore store_;
    std::shared_ptr<VectorResource> resource_;
    LibMarkerSymbol marker_;
};

TEST_F(LibMarkerArrowsTest, ArrowLinesStartInsideTheirHeadWhichIsFullOrHalf) {
    AddLine({{0, 0}, {10, 0}}, SymbolUsageHalfArrow);
    DrawMarker();
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::DrawPath, OpKind::DrawPath, OpKind::FillPath}));
    ExpectFigure(Ops()[0], {{4, 0}, {10, 0}});
    ExpectFigure(Ops()[1], {{0, 0}, {6.5, -1.7}, {5, 0}, {0, 0}}, kBarbNear);
    EXPECT_DOUBLE_EQ(Ops()[1].pen->GetWidth(), kScale);
    EXPECT_EQ(Ops()[2].brush->GetType(), Pictor::BrushType::Solid);

    canvas_.Clear();
    resource_->elements.clear();
    AddLine({{0, 0}, {10, 0}}, SymbolUsageArrow);
    DrawMarker();
    ASSERT_EQ(Ops().size(), 3u);
    ExpectFigure(Ops()[1], {{0, 0}, {6.5, -1.7}, {5, 0}, {6.5, 1.7}, {0, 0}}, kBarbNear);
    EXPECT_DOUBLE_EQ(Ops()[1].pen->GetWidth(), kScale * 0.5);  // a full head is outlined thinner
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(LibMarkerArrowsTest, SecondaryArrowsNeedTheSecondaryElementsAndAnArrowWithoutDirectionHasNoHead) {
    AddLine({{0, 0}, {10, 0}}, SymbolUsageHalfArrowSecondary);
    DrawMarker();
    EXPECT_TRUE(Ops().empty());
    marker_.SetShowSecondary(true);
    DrawMarker();
    EXPECT_EQ(Ops().size(), 3u);

    canvas_.Clear();
    resource_->elements.clear();
    AddLine({{2, 2}, {2, 2}, {8, 2}}, SymbolUsageArrow);
    DrawMarker();
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::DrawPath}));
    ExpectFigure(Ops()[0], {{2, 2}, {2, 2}, {8, 2}});
    EXPECT_TRUE(AllFinite());
}

TEST_F(LibMarkerArrowsTest, LeaderLinesRunFromTheUpperPointToAnEndThatDoesNotTurnWithTheMarker) {
    AddLine({{0, 5}, {3, 1}}, SymbolUsageLeaderLine);
    marker_.SetLeader(2, 3, 0);
    DrawMarker();
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::DrawPath}));
    const std::vector<PointD> plain = Ops()[0].device.Points();
    ASSERT_EQ(plain.size(), 3u);
    // Drawn as if from (0, 1) to (3, 5); the end is the scale times the offset beyond.
    EXPECT_NEAR(plain[0].x, Map({0, 1}).x, kNear);
    EXPECT_NEAR(plain[0].y, Map({0, 1}).y, kNear);
    EXPECT_NEAR(plain[2].x - plain[1].x, 2 * kScale, kNear);
    EXPECT_NEAR(plain[2].y - plain[1].y, 3 * kScale, kNear);

    canvas_.Clear();
    marker_.SetAngle(45);
    DrawMarker();
    const std::vector<PointD> turned = Ops().at(0).device.Points();
    EXPECT_NEAR(turned[2].x - turned[1].x, 2 * kScale, kNear);
    EXPECT_NEAR(turned[2].y - turned[1].y, 3 * kScale, kNear);

    canvas_.Clear();
    marker_.SetLeader(2, 3, 2);  // a style that names no leader
    DrawMarker();
    EXPECT_TRUE(Ops().empty());
}

TEST_F(LibMarkerArrowsTest, ALeaderArrowheadIsATriangleAcrossTheEndAndNeedsADirection) {
    AddLine({{0, 0}, {4, 0}}, SymbolUsageLeaderLine);
    marker_.SetLineWidth(0.5);
    marker_.SetLeader(10, 0, 1);
    DrawMarker();
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::DrawPath, OpKind::FillPath, OpKind::DrawLine}));
    const PointD pb = Map({4, 0});
    const PointD c{pb.x + 10 * kScale, pb.y};
    const PointD d{pb.x + 1 * kScale, pb.y};  // a tenth of the way
    EXPECT_NEAR(Ops()[0].device.Points().back().x, d.x, kNear);
    // Base points half the symbol's line width above and below d, then the tip.
    const std::vector<PointD> head = Ops()[1].device.Points();
    ASSERT_EQ(head.size(), 3u);
    EXPECT_NEAR(head[0].y, d.y - 0.25 * kScale, kNear);
    EXPECT_NEAR(head[1].y, d.y + 0.25 * kScale, kNear);
    EXPECT_NEAR(head[2].x, c.x, kNear);
    EXPECT_EQ(Ops()[2].pen->GetWidth(), 1.0);
    EXPECT_EQ(Ops()[2].pen->GetLineCap(), Pictor::LineCapFlat);

    // A slanted leader solves for its base points; an offset of nothing leaves no direction.
    for (const auto& [dx, dy, ops] : std::vector<std::tuple<double, double, size_t>>{{7, 5, 3}, {0, 0, 1}}) {
        canvas_.Clear();
        marker_.SetLeader(dx, dy, 1);
        DrawMarker();
        EXPECT_EQ(Ops().size(), ops) << dx;
        EXPECT_TRUE(AllFinite());
    }
}

TEST_F(LibMarkerArrowsTest, LeaderEllipsesTakeTheirStrokeFromTheStyleElement) {
    EllipseElement* ellipse = resource_->Add<EllipseElement>();
    ellipse->centerX = 5;
    ellipse->centerY = 5;
    ellipse->radiusX = 1;
    ellipse->radiusY = 1;
    ellipse->usage = SymbolUsageLeaderEllipse;
    ellipse->styleElementId = 3;
    LineElement* style = AddLine({{0, 9}, {1, 9}}, SymbolUsageHidden, 0.5);
    style->id = 3;
    style->lineColor = 0x00FF00;
    marker_.SetLeader(4, 0, 0);
    DrawMarker();
    // The leader and its dot, then the style element drawn as the line it is.
    ASSERT_GE(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].kind, OpKind::DrawPath);
    EXPECT_EQ(Ops()[1].kind, OpKind::FillEllipse);
    EXPECT_DOUBLE_EQ(Ops()[0].pen->GetWidth(), 0.5 * kScale);
    EXPECT_NEAR(Ops()[1].rect.x, Map({5, 5}).x - 0.25 * kScale, 1e-5);

    for (const auto& [dx, style] : std::vector<std::pair<double, int32_t>>{{0, 0}, {4, 2}}) {
        canvas_.Clear();
        marker_.SetLeader(dx, 0, style);  // no length, or a style that names no leader
        DrawMarker();
        EXPECT_EQ(Ops().size(), 1u) << dx;  // the style element alone
    }
    canvas_.Clear();
    ellipse->styleElementId = 99;  // names no element: no leader
    marker_.SetLeader(4, 0, 0);
    DrawMarker();
    EXPECT_EQ(Ops().size(), 1u);
}

class LibMarkerOutlineTest : public LibMarkerArrowsTest {
protected:
    bool GetPath(Pictor::GraphicsPath* path) {
        const int32_t id = InterfaceIdSymbolizePath;
        auto* paths = static_cast<IGIS_SymbolizePath*>(GIS_GetSymbolizeObject()->QueryInterface(&id));
        return paths->GetPath(&marker_, &info_, &kAnchor, path);
    }
};

TEST_F(LibMarkerOutlineTest, TheOutlineMapsTheCallersFiguresWithTheMarkersOwn) {
    AddLine({{0, 0}, {10, 0}}, SymbolUsageArrow);
    RectElement* hidden = resource_->Add<RectElement>();
    hidden->width = 2;
    hidden->height = 3;
    hidden->usage = SymbolUsageHidden;  // not drawn, but part of the outline
    AddLine({{0, 0}, {0, 4}}, SymbolUsageLeaderLine);  // not part of it
    Pictor::GraphicsPath path;
    path.AddLine(PointD(1, 1), PointD(2, 1));
    info_.scale = -1;
    ASSERT_TRUE(GetPath(&path));
    EXPECT_GT(info_.scale, 0.0);  // the caller's record now holds the default scale
    const double s = info_.scale;
    const std::vector<PointD> points = path.Points();
    ASSERT_EQ(points.size(), 2u + 2u + 4u);
    EXPECT_NEAR(points[0].x, kAnchor.x + 1 * s, kNear);  // the caller's own figure, mapped too
    EXPECT_NEAR(points[3].x, kAnchor.x + 10 * s, kNear);
    EXPECT_NEAR(points[6].y, kAnchor.y + 3 * s, kNear);
}

TEST_F(LibMarkerOutlineTest, AnUnknownElementStopsTheOutlineUnmappedAndADegenerateDrawingAddsNothing) {
    AddLine({{0, 0}, {10, 0}}, SymbolUsageNormal);
    resource_->Add<UnknownElement>();
    AddLine({{0, 0}, {0, 10}}, SymbolUsageNormal);
    Pictor::GraphicsPath path;
    EXPECT_FALSE(GetPath(&path));
    EXPECT_EQ(path.Points(), (std::vector<PointD>{{0, 0}, {10, 0}}));

    resource_->extentX2 = 0;
    resource_->extentY2 = 0;
    Pictor::GraphicsPath caller;
    caller.AddLine(PointD(1, 1), PointD(2, 1));
    EXPECT_TRUE(GetPath(&caller));
    EXPECT_EQ(caller.Points(), (std::vector<PointD>{{1, 1}, {2, 1}}));

    marker_.SetResourceCode(kCode + 1);
    EXPECT_FALSE(GetPath(&caller));
    EXPECT_EQ(capture_.log().Count("p_symbolres == NULL, ui_resourcecode = 8"), 1u);
}

}  // namespace
