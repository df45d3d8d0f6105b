// The hash line as a host draws it: strokes across the line at an interval, carried from segment
// to segment, through the service onto a recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/line_symbols.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using symbolhost::HashLineSymbol;

constexpr double kNear = 1e-9;

struct Stroke {
    PointD from, to;
};

class HashLineTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        info_.scale = 1.0;
        hash_.SetHashInterval(2.0);
        hash_.SetHashLength(2.0);
        hash_.SetWidth(0.5);
    }
    using RecordingTest::Draw;
    void Draw(const std::vector<PointD>& points) { Draw(&hash_, points); }

    // The strokes of the one path drawn, each a figure of two points.
    std::vector<Stroke> Strokes() const {
        EXPECT_EQ(Ops().size(), 1u);
        if (Ops().size() != 1u) return {};
        EXPECT_EQ(Ops()[0].kind, OpKind::DrawPath);
        const auto& points = Ops()[0].device.Points();
        const auto& types = Ops()[0].device.Types();
        std::vector<Stroke> strokes;
        for (size_t i = 0; i + 1 < points.size(); i += 2) {
            EXPECT_EQ(types[i] & Pictor::PathPointTypeMask, Pictor::PathPointStart) << i;
            strokes.push_back({points[i], points[i + 1]});
        }
        EXPECT_EQ(points.size() % 2, 0u);
        return strokes;
    }
    // Where the strokes cross the line they are laid on.
    std::vector<PointD> Centres() const {
        std::vector<PointD> centres;
        for (const Stroke& s : Strokes())
            centres.push_back({(s.from.x + s.to.x) / 2, (s.from.y + s.to.y) / 2});
        return centres;
    }
    void ExpectCentres(const std::vector<PointD>& expected) const {
        const std::vector<PointD> centres = Centres();
        ASSERT_EQ(centres.size(), expected.size());
        for (size_t i = 0; i < centres.size(); ++i) {
            EXPECT_NEAR(centres[i].x, expected[i].x, kNear) << i;
            EXPECT_NEAR(centres[i].y, expected[i].y, kNear) << i;
        }
    }

    symbolhost::ScopedCaptureLog capture_;
    HashLineSymbol hash_;
};

TEST_F(HashLineTest, StrokesAreHashLengthLongAcrossTheLineAndPenWidthThick) {
    hash_.SetWidth(0.3);
    hash_.SetTransparency(50);
    hash_.SetColor(0x123456);
    hash_.SetLineCap(Pictor::LineCapRound);
    Draw({{0, 10}, {5, 10}});
    const std::vector<Stroke> strokes = Strokes();
    ASSERT_EQ(strokes.size(), 3u);  // at 0, 2 and 4
    for (size_t i = 0; i < strokes.size(); ++i) {
        EXPECT_NEAR(strokes[i].from.x, 2.0 * i, kNear);
        EXPECT_NEAR(strokes[i].to.x, 2.0 * i, kNear);
        EXPECT_NEAR(std::abs(strokes[i].to.y - strokes[i].from.y), 2.0, kNear);
    }
    const Pictor::Pen& pen = *Ops()[0].pen;
    EXPECT_DOUBLE_EQ(pen.GetWidth(), 0.3);
    EXPECT_EQ(pen.GetColor().GetValue(), 0x7F123456u);
    EXPECT_EQ(pen.GetLineCap(), Pictor::LineCapRound);
}

TEST_F(HashLineTest, TheIntervalCarriesAcrossVertices) {
    Draw({{0, 0}, {5, 0}, {5, 6}});
    ExpectCentres({{0, 0}, {2, 0}, {4, 0}, {5, 1}, {5, 3}, {5, 5}});
}




TEST_F(HashLineTest, StartOffsetLeavesTheFirstStretchBare) {
    hash_.SetStartOffset(1.0);
    Draw({{0, 0}, {5, 0}});
    ExpectCentres({{1, 0}, {3, 0}, {5, 0}});

    canvas_.Clear();
    for (double start : {-1.0, 5.0}) {  // negative, or not shorter than the line
        hash_.SetStartOffset(start);
        Draw({{0, 0}, {5, 0}});
        EXPECT_TRUE(Ops().empty()) << start;
    }
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(HashLineTest, PositiveOffsetMovesStrokesLeftOfTravelAsSeen) {
    hash_.SetOffset(1.0);
    Draw({{0, 10}, {3, 10}});
    ExpectCentres({{0, 9}, {2, 9}});  // y down: left is toward smaller y

    canvas_.Clear();
    info_.yUp = true;
    Draw({{0, 10}, {3, 10}});
    ExpectCentres({{0, 11}, {2, 11}});
}

TEST_F(HashLineTest, AnUnusableIntervalDrawsNothingQuietlyButTheStrokeCapSaysSo) {
    for (double interval : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(), 0.00001}) {
        hash_.SetHashInterval(interval);
        Draw({{0, 0}, {10, 0}});
        EXPECT_TRUE(Ops().empty()) << interval;
    }
    EXPECT_TRUE(capture_.log().Entries().empty());

    // Positive, but a million strokes and more on this line: our own bound, so it is reported.
    hash_.SetHashInterval(0.001);
    Draw({{0, 0}, {2000, 0}});
    EXPECT_TRUE(Ops().empty());
    ASSERT_EQ(capture_.log().Entries().size(), 1u);
    EXPECT_EQ(capture_.log().Entries()[0].level, LogLevelError);
}

TEST_F(HashLineTest, StrokesOfNoLengthAreStillLaid) {
    hash_.SetHashLength(0.0);
    hash_.SetLineCap(Pictor::LineCapSquare);
    Draw({{0, 0}, {5, 0}});
    const std::vector<Stroke> strokes = Strokes();
    ASSERT_EQ(strokes.size(), 3u);
    for (const Stroke& s : strokes) EXPECT_EQ(s.from, s.to);
}

}  // namespace
