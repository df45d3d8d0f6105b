// The simple line as a host draws it: through the service, onto a recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

class SimpleLineTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        line_.SetColor(0x123456);
        line_.SetWidth(0.5);
    }

    using RecordingTest::Draw;
    void Draw(const std::vector<PointD>& points) { Draw(&line_, points); }
    // The pen of the only stroke drawn.
    const Pictor::Pen& OnlyPen() const {
        EXPECT_EQ(Ops().size(), 1u);
        return *Ops().back().pen;
    }

    const std::vector<PointD> polyline_{{0, 0}, {40, 0}, {40, 40}};
    symbolhost::SimpleLineSymbol line_;
};

TEST_F(SimpleLineTest, AlphaIsTheTruncatedOpacityOfTheTransparency) {
    const struct {
        int32_t transparency;
        uint32_t alpha;
    } cases[] = {{0, 255}, {50, 127}, {100, 0}};
    for (const auto& c : cases) {
        canvas_.Clear();
        line_.SetTransparency(c.transparency);
        Draw(polyline_);
        EXPECT_EQ(OnlyPen().GetColor().GetValue(), (c.alpha << 24) | 0x123456u) << c.transparency;
    }
}

TEST_F(SimpleLineTest, StrokesThePointsAsAnOpenLineScaledBySizeRatio) {
    info_.sizeRatio = 2.0;
    Draw(polyline_);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].kind, OpKind::DrawPath);
    EXPECT_DOUBLE_EQ(OnlyPen().GetWidth(), 4.0);  // 0.5 mm x 2 x 4 units per mm
    EXPECT_EQ(Ops()[0].device.Points(), polyline_);
    for (uint8_t type : Ops()[0].device.Types()) EXPECT_FALSE(type & Pictor::PathPointClose);
}

TEST_F(SimpleLineTest, HaloIsDrawnFirstWiderByItsSizeOnEachSide) {
    line_.SetHalo({1.0, 0x00FF00, true});
    Draw(polyline_);
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_DOUBLE_EQ(Ops()[0].pen->GetWidth(), 10.0);  // (2 x 1 + 0.5) mm x 4
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFF00FF00u);
    EXPECT_DOUBLE_EQ(Ops()[1].pen->GetWidth(), 2.0);
}

TEST_F(SimpleLineTest, ZeroWidthDrawsOnlyTheHalo) {
    line_.SetWidth(0.0);
    line_.SetHalo({1.0, 0x00FF00, true});
    Draw(polyline_);
    EXPECT_DOUBLE_EQ(OnlyPen().GetWidth(), 8.0);

    canvas_.Clear();
    line_.SetHalo({1.0, 0x00FF00, false});
    Draw(polyline_);
    EXPECT_TRUE(Ops().empty());
}

TEST_F(SimpleLineTest, HaloIsOpaqueAndKeepsItsColourUnderOverride) {
    line_.SetColor(0xFF0000);
    line_.SetTransparency(50);
    line_.SetHalo({0.5, 0x0000FF, true});
    info_.overrideColor = true;
    info_.color = 0xAB00FF00;  // the top byte is not the line's alpha
    Draw(polyline_);
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFF0000FFu);
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0x7F00FF00u);
}

TEST_F(SimpleLineTest, ColourTableMapsLineAndHaloWithRedAndBlueExchanged) {
    FixedColourTable table(0x00CCBBAA);
    info_.colorTable = &table;
    line_.SetHalo({0.5, 0x0000FF, true});
    Draw(polyline_);
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFFAABBCCu);
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0xFFAABBCCu);
    EXPECT_EQ(table.Asked(), (std::vector<uint32_t>{0x0000FF, 0x123456}));

    // The override colour is what the table is asked to map.
    canvas_.Clear();
    info_.overrideColor = true;
    info_.color = 0x00FF00;
    Draw(polyline_);
    EXPECT_EQ(table.Asked().back(), 0x00FF00u);
}

TEST_F(SimpleLineTest, DashStylesAndCustomPatternInLineWidths) {
    for (int32_t style = 1; style <= 4; ++style) {
        canvas_.Clear();
        line_.SetLineStyle(style);
        Draw(polyline_);
        EXPECT_EQ(OnlyPen().GetDashStyle(), style);
    }

    canvas_.Clear();
    line_.SetWidth(2.0);
    line_.SetLineStyle(SimpleLineStyleCustom);
    line_.SetDashPattern({4.0, 2.0});
    Draw(polyline_);
    EXPECT_EQ(OnlyPen().GetDashStyle(), Pictor::DashStyleCustom);
    EXPECT_EQ(OnlyPen().GetDashPattern(), (std::vector<double>{2.0, 1.0}));
}

TEST_F(SimpleLineTest, UnusableDashesLeaveTheLineSolid) {
    const std::vector<std::vector<double>> patterns = {
        {},                            // the symbol gives no array at all
        {4.0, 0.0},                    // a gap of nothing
        std::vector<double>(65, 1.0),  // longer than a pen keeps
    };
    line_.SetLineStyle(SimpleLineStyleCustom);
    for (const auto& pattern : patterns) {
        canvas_.Clear();
        line_.SetDashPattern(pattern);
        Draw(polyline_);
        EXPECT_EQ(OnlyPen().GetDashStyle(), Pictor::DashStyleSolid) << pattern.size();
    }

    canvas_.Clear();
    line_.SetLineStyle(42);  // unknown style codes draw solid
    Draw(polyline_);
    EXPECT_EQ(OnlyPen().GetDashStyle(), Pictor::DashStyleSolid);
}

TEST_F(SimpleLineTest, StyleNoneDrawsNeitherHaloNorLine) {
    line_.SetHalo({1.0, 0x00FF00, true});
    line_.SetLineStyle(SimpleLineStyleNone);
    Draw(polyline_);
    EXPECT_TRUE(Ops().empty());
}

TEST_F(SimpleLineTest, JoinAndCapCodesReachThePenOthersKeepItsDefaults) {
    for (int32_t code = 0; code <= 2; ++code) {
        canvas_.Clear();
        line_.SetLineJoin(code);
        line_.SetLineCap(2 - code);
        Draw(polyline_);
        EXPECT_EQ(OnlyPen().GetLineJoin(), code);
        EXPECT_EQ(OnlyPen().GetLineCap(), 2 - code);
    }
    const Pictor::Pen defaults(Pictor::Color(0u), 1.0);
    for (int32_t code : {-1, 3, 1000}) {
        canvas_.Clear();
        line_.SetLineJoin(code);
        line_.SetLineCap(code);
        Draw(polyline_);
        EXPECT_EQ(OnlyPen().GetLineJoin(), defaults.GetLineJoin()) << code;
        EXPECT_EQ(OnlyPen().GetLineCap(), defaults.GetLineCap()) << code;
    }
}

TEST_F(SimpleLineTest, SmoothingSamplesFivePointsPerSegment) {
    line_.SetSmooth(true);
    const std::vector<PointD> four = {{0, 0}, {30, 10.4}, {60, -10}, {90.25, 0.75}};
    Draw(four);
    ASSERT_EQ(Ops().size(), 1u);
    const auto& drawn = Ops()[0].device.Points();
    ASSERT_EQ(drawn.size(), 19u);  // 3 segments x 6 + the last point
    for (size_t i = 0; i + 1 < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].x, std::round(drawn[i].x)) << i;
        EXPECT_EQ(drawn[i].y, std::round(drawn[i].y)) << i;
    }
    EXPECT_EQ(drawn[6], PointD(30, 10));   // input points start their segments, rounded
    EXPECT_EQ(drawn.back(), four.back());  // the last one is kept exactly

    canvas_.Clear();
    const std::vector<PointD> three = {{0.5, 0.25}, {30, 10.4}, {60, -10}};
    Draw(three);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].device.Points(), three);
}

TEST_F(SimpleLineTest, ALineTheSplineRefusesIsDrawnThroughItsOwnPoints) {
    // Far more points than the smoothing samples in one call.
    constexpr int kPoints = 1'000'000;
    std::vector<PointD> zigzag(kPoints);
    for (int i = 0; i < kPoints; ++i) zigzag[i] = PointD(i, i % 2);
    line_.SetSmooth(true);
    symbolhost::ScopedCaptureLog capture;
    Draw(zigzag);
    ASSERT_EQ(capture.log().Entries().size(), 1u);
    EXPECT_EQ(capture.log().Entries()[0].function, "CGIS_Symbolization::BSpline");
    EXPECT_EQ(capture.log().Entries()[0].level, LogLevelNotice);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].device.Points(), zigzag);
}

TEST_F(SimpleLineTest, UnusableWidthsDrawNothing) {
    for (double width :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1.0, 0.00005}) {
        canvas_.Clear();
        line_.SetWidth(width);
        Draw(polyline_);
        EXPECT_TRUE(Ops().empty()) << width;
    }
}

TEST_F(SimpleLineTest, PathEntryStrokesTheGivenPath) {
    const int32_t id = InterfaceIdSymbolizePath;
    auto* paths = static_cast<IGIS_SymbolizePath*>(GIS_GetSymbolizeObject()->QueryInterface(&id));
    ASSERT_NE(paths, nullptr);
    Pictor::GraphicsPath path;
    path.AddEllipse(0, 0, 20, 10);
    line_.SetHalo({1.0, 0x00FF00, true});
    paths->SymbolizePath(&line_, &info_, &path);
    ASSERT_EQ(Ops().size(), 2u);
    for (const auto& op : Ops()) {
        EXPECT_EQ(op.device.Points(), path.Points());
        EXPECT_EQ(op.device.Types(), path.Types());
    }
    EXPECT_DOUBLE_EQ(Ops()[1].pen->GetWidth(), 2.0);
}

}  // namespace
