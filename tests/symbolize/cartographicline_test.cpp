// The cartographic line as a host draws it: excursion, offsets, pen dashes and separate dashes,
// through the service onto a recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
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
using symbolhost::CartographicLineSymbol;
using symbolize_test::FixedColourTable;

// Coordinates computed through sines and cosines agree with hand values to this much.
constexpr double kNear = 1e-9;

struct Piece {
    PointD from, to;
};

void ExpectPoint(const PointD& actual, const PointD& expected, const char* what, size_t i) {
    EXPECT_NEAR(actual.x, expected.x, kNear) << what << " " << i;
    EXPECT_NEAR(actual.y, expected.y, kNear) << what << " " << i;
}

// Hands out a template it cannot read, as a corrupt symbol would.
class UnreadableDashes final : public symbolhost::SymbolBase<IGIS_CartographicLineSymbol> {
public:
    IGIS_Symbol* Clone() const noexcept override { return new (std::nothrow) UnreadableDashes(*this); }
    int32_t GetType() const noexcept override { return SymbolTypeCartographicLine; }
    IGIS_CartographicLineSymbol* GetCartographicLineSymbol() noexcept override { return this; }
    uint32_t GetColor() const noexcept override { return 0; }
    int32_t GetTransparency() const noexcept override { return 0; }
    double GetWidth() const noexcept override { return 1.0; }
    const double* GetOffset() const noexcept override { return nullptr; }
    bool GetDashArray(const double** values, int32_t* count) const noexcept override {
        *values = nullptr;
        *count = 0;
        return false;
    }
    const int32_t* GetLineJoin() const noexcept override { return nullptr; }
    const int32_t* GetLineCap() const noexcept override { return nullptr; }
    const double* GetExcursion() const noexcept override { return nullptr; }
    const bool* GetDrawDashesSeparately() const noexcept override { return nullptr; }
};

class CartographicLineTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        info_.scale = 1.0;  // one drawing unit per millimetre keeps the geometry readable
        line_.SetColor(0x123456);
        line_.SetWidth(0.5);
    }

    using RecordingTest::Draw;
    void Draw(const std::vector<PointD>& points) { Draw(&line_, points); }

    // The points of the only path drawn.
    std::vector<PointD> OnlyPath() const {
        EXPECT_EQ(Ops().size(), 1u);
        if (Ops().size() != 1u) return {};
        EXPECT_EQ(Ops()[0].kind, OpKind::DrawPath);
        return Ops()[0].device.Points();
    }
    void ExpectPath(const std::vector<PointD>& expected) const {
        const std::vector<PointD> path = OnlyPath();
        ASSERT_EQ(path.size(), expected.size());
        for (size_t i = 0; i < path.size(); ++i) ExpectPoint(path[i], expected[i], "point", i);
    }
    // The separate dashes drawn, in order.
    void ExpectPieces(const std::vector<Piece>& expected) const {
        ASSERT_EQ(Ops().size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(Ops()[i].kind, OpKind::DrawLine) << i;
            ExpectPoint(Ops()[i].from, expected[i].from, "from", i);
            ExpectPoint(Ops()[i].to, expected[i].to, "to", i);
        }
    }

    symbolhost::ScopedCaptureLog capture_;
    CartographicLineSymbol line_;
};

// ---- solid line, excursion and pen --------------------------------------------------------

TEST_F(CartographicLineTest, TwoPointsWithoutOffsetAreOneOpenStroke) {
    info_.scale = 4.0;
    info_.sizeRatio = 2.0;
    line_.SetTransparency(50);
    Draw({{0, 0}, {10, 0}});
    EXPECT_EQ(OnlyPath(), (std::vector<PointD>{{0, 0}, {10, 0}}));
    const Pictor::Pen& pen = *Ops()[0].pen;
    EXPECT_DOUBLE_EQ(pen.GetWidth(), 4.0);  // 0.5 mm x 2 x 4
    EXPECT_EQ(pen.GetColor().GetValue(), 0x7F123456u);
    EXPECT_EQ(pen.GetDashStyle(), Pictor::DashStyleSolid);
    for (uint8_t type : Ops()[0].device.Types()) EXPECT_FALSE(type & Pictor::PathPointClose);
}

TEST_F(CartographicLineTest, ExcursionTrimsAcrossVerticesInMillimetres) {
    info_.scale = 0.5;
    line_.SetExcursion(6.0);  // 3 units: the 2-unit segment and 1 unit of the next
    Draw({{0, 0}, {2, 0}, {2, 5}, {6, 5}});
    ExpectPath({{2, 1}, {2, 5}, {6, 5}});
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(CartographicLineTest, ExcursionNotShorterThanTheLineOrNegativeDrawsNothing) {
    const std::vector<PointD> bent = {{0, 0}, {2, 0}, {2, 5}};
    line_.SetExcursion(7.0 - 0.00005);  // the whole line, within the tolerance
    Draw(bent);
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Count("Total length shorter than excursion."), 1u);

    capture_.log().Clear();
    for (double excursion : {-1.0, std::numeric_limits<double>::quiet_NaN()}) {
        line_.SetExcursion(excursion);
        Draw(bent);
        EXPECT_TRUE(Ops().empty()) << excursion;
    }
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(CartographicLineTest, JoinCodeOneIsRoundAndCapCodesPassThrough) {
    const struct {
        int32_t join, cap, penJoin, penCap;
    } cases[] = {{0, 0, Pictor::LineJoinMiter, Pictor::LineCapFlat},
                 {1, 1, Pictor::LineJoinRound, Pictor::LineCapSquare},
                 {2, 2, Pictor::LineJoinMiter, Pictor::LineCapRound},  // join 2 names nothing: default
                 {-1, 7, Pictor::LineJoinMiter, Pictor::LineCapFlat}};
    for (const auto& c : cases) {
        canvas_.Clear();
        line_.SetLineJoin(c.join);
        line_.SetLineCap(c.cap);
        Draw({{0, 0}, {10, 0}, {10, 10}});
        ASSERT_EQ(Ops().size(), 1u);
        EXPECT_EQ(Ops()[0].pen->GetLineJoin(), c.penJoin) << c.join;
        EXPECT_EQ(Ops()[0].pen->GetLineCap(), c.penCap) << c.cap;
    }
}

TEST_F(CartographicLineTest, OverrideColourIsOpaqueAndTablesSwapRedAndBlue) {
    line_.SetTransparency(50);
    info_.overrideColor = true;
    info_.color = 0xAB00FF00;
    Draw({{0, 0}, {10, 0}});
    EXPECT_EQ(Ops().at(0).pen->GetColor().GetValue(), 0xFF00FF00u);

    canvas_.Clear();
    FixedColourTable table(0x00CCBBAA);
    info_.colorTable = &table;
    info_.overrideColor = false;
    Draw({{0, 0}, {10, 0}});
    EXPECT_EQ(Ops().at(0).pen->GetColor().GetValue(), 0x7FAABBCCu);
    EXPECT_EQ(table.Asked(), (std::vector<uint32_t>{0x123456}));
}

TEST_F(CartographicLineTest, BadInputIsReported) {
    Draw({{0, 0}});
    EXPECT_EQ(capture_.log().Count("Input Error"), 1u);
    Draw({{0, 0}, {std::numeric_limits<double>::infinity(), 0}});
    EXPECT_EQ(capture_.log().Count("Input Error"), 2u);

    symbolize_test::RecordingTest::Draw(nullptr, {{0, 0}, {1, 1}});  // refused by the service itself
    info_.graphics = nullptr;
    Draw({{0, 0}, {10, 0}});
    EXPECT_EQ(capture_.log().Count("pGraphics==NULL"), 1u);
    EXPECT_TRUE(Ops().empty());
}

// ---- offsets ------------------------------------------------------------------------------

TEST_F(CartographicLineTest, PositiveOffsetLiesLeftOfTravelAsSeenForBothAxisDirections) {
    info_.scale = 3.0;
    line_.SetOffset(2.0);
    Draw({{0, 10}, {20, 10}});
    ExpectPath({{0, 4}, {20, 4}});  // y down: left of travel is toward smaller y

    canvas_.Clear();
    info_.yUp = true;
    Draw({{0, 10}, {20, 10}});
    ExpectPath({{0, 16}, {20, 16}});

    canvas_.Clear();
    line_.SetOffset(-2.0);
    Draw({{0, 10}, {20, 10}});
    ExpectPath({{0, 4}, {20, 4}});
}

TEST_F(CartographicLineTest, OffsetsInsideTheZeroBandLeaveTheLineWhereItIs) {
    line_.SetOffset(0.005);
    Draw({{0, 10}, {20, 10}});
    ExpectPath({{0, 10}, {20, 10}});

    canvas_.Clear();
    line_.SetOffset(0.0099);  // the band ends here
    Draw({{0, 10}, {20, 10}});
    ExpectPath({{0, 10 - 0.0099}, {20, 10 - 0.0099}});
}

TEST_F(CartographicLineTest, PatternModeTakesThePlusSideOnlyAboveTheBandsUpperEdge) {
    line_.SetDashArray({2, 1});
    line_.SetOffset(0.01);  // solid mode would move this left; pattern mode moves it right
    Draw({{0, 10}, {20, 10}});
    ExpectPath({{0, 10.01}, {20, 10.01}});

    canvas_.Clear();
    line_.SetOffset(0.0102);
    Draw({{0, 10}, {20, 10}});
    ExpectPath({{0, 10 - 0.0102}, {20, 10 - 0.0102}});
}


// ---- pattern mode -------------------------------------------------------------------------

TEST_F(CartographicLineTest, PatternIsGivenInMultiplesOfThePenWidth) {
    info_.scale = 4.0;
    info_.sizeRatio = 2.0;
    line_.SetWidth(2.0);
    line_.SetDashArray({4, 2, 1, 2});
    Draw({{0, 0}, {100, 0}});
    ASSERT_EQ(Ops().size(), 1u);
    const Pictor::Pen& pen = *Ops()[0].pen;
    EXPECT_DOUBLE_EQ(pen.GetWidth(), 16.0);
    EXPECT_EQ(pen.GetDashStyle(), Pictor::DashStyleCustom);
    EXPECT_EQ(pen.GetDashPattern(), (std::vector<double>{2, 1, 0.5, 1}));

    // A hairline (width 0) dashes in drawing units.
    canvas_.Clear();
    line_.SetWidth(0.0);
    Draw({{0, 0}, {100, 0}});
    EXPECT_EQ(Ops().at(0).pen->GetDashPattern(), (std::vector<double>{32, 16, 8, 16}));
}

TEST_F(CartographicLineTest, DashArrayStatesSolidOrRefusal) {
    line_.SetDashArray({});
    Draw({{0, 0}, {10, 0}});
    EXPECT_EQ(Ops().at(0).pen->GetDashStyle(), Pictor::DashStyleSolid);

    canvas_.Clear();
    UnreadableDashes unreadable;
    symbolize_test::RecordingTest::Draw(&unreadable, {{0, 0}, {10, 0}});
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Count("DashArray Error"), 1u);
}

TEST_F(CartographicLineTest, UnreadableTemplatesAreRefusedAndZerosOnlyBySeparateDashes) {
    const std::vector<std::vector<double>> unreadable = {
        {2, -1}, {std::numeric_limits<double>::quiet_NaN(), 1}, std::vector<double>(65, 1.0)};
    for (bool separate : {false, true}) {
        line_.SetDrawDashesSeparately(separate);
        for (const auto& dashes : unreadable) {
            capture_.log().Clear();
            line_.SetDashArray(dashes);
            Draw({{0, 0}, {10, 0}});
            EXPECT_TRUE(Ops().empty()) << separate << " " << dashes.size();
            EXPECT_EQ(capture_.log().Count("DashArray Error"), 1u);
        }
    }
    // A template of zeros: the pen takes it and draws solid; separate dashes cannot walk it.
    capture_.log().Clear();
    line_.SetDashArray({0, 0});
    line_.SetDrawDashesSeparately(false);
    Draw({{0, 0}, {10, 0}});
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].kind, OpKind::DrawPath);
    EXPECT_TRUE(capture_.log().Entries().empty());
    canvas_.Clear();
    line_.SetDrawDashesSeparately(true);
    Draw({{0, 0}, {10, 0}});
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Count("DashArray Error"), 1u);
}

// ---- separate dashes ----------------------------------------------------------------------

class SeparateDashesTest : public CartographicLineTest {
protected:
    void SetUp() override {
        CartographicLineTest::SetUp();
        line_.SetDrawDashesSeparately(true);
        line_.SetLineCap(Pictor::LineCapRound);
    }
};

TEST_F(SeparateDashesTest, EachDashIsItsOwnStrokeWithThePensCaps) {
    line_.SetDashArray({2, 1});
    Draw({{0, 0}, {10, 0}});
    ExpectPieces({{{0, 0}, {2, 0}}, {{3, 0}, {5, 0}}, {{6, 0}, {8, 0}}, {{9, 0}, {10, 0}}});
    for (const auto& op : Ops()) {
        EXPECT_EQ(op.pen->GetDashStyle(), Pictor::DashStyleSolid);
        EXPECT_EQ(op.pen->GetLineCap(), Pictor::LineCapRound);
    }
}


TEST_F(SeparateDashesTest, TwoPairsEachDrawOneDashPerPeriodFromTheirOwnStart) {
    line_.SetDashArray({2, 1, 1, 1});  // period 5
    Draw({{0, 0}, {15, 0}});
    ExpectPieces({{{0, 0}, {2, 0}},
                  {{5, 0}, {7, 0}},
                  {{10, 0}, {12, 0}},
                  {{3, 0}, {4, 0}},
                  {{8, 0}, {9, 0}},
                  {{13, 0}, {14, 0}}});
}

TEST_F(SeparateDashesTest, AnOddLastEntryLengthensThePeriodOnly) {
    line_.SetDashArray({2, 1, 3});  // one pair, period 6
    Draw({{0, 0}, {15, 0}});
    ExpectPieces({{{0, 0}, {2, 0}}, {{6, 0}, {8, 0}}, {{12, 0}, {14, 0}}});
}

TEST_F(SeparateDashesTest, APairStartingBeyondTheEndStopsTheDrawing) {
    line_.SetDashArray({2, 20, 1, 1});  // the second pair starts 22 units in
    Draw({{0, 0}, {10, 0}});
    ExpectPieces({{{0, 0}, {2, 0}}});
    EXPECT_TRUE(capture_.log().Entries().empty());
}




TEST_F(SeparateDashesTest, YUpMirrorsTheSideInCoordinates) {
    info_.yUp = true;
    line_.SetDashArray({2, 1});
    line_.SetOffset(1.0);
    Draw({{0, 0}, {10, 0}});
    ASSERT_EQ(Ops().size(), 4u);
    for (const auto& op : Ops()) {
        EXPECT_NEAR(op.from.y, 1.0, kNear);  // y up: left of travel is toward larger y
        EXPECT_NEAR(op.to.y, 1.0, kNear);
    }
}

TEST_F(SeparateDashesTest, ADashPeriodTinyAgainstTheLineIsDrawnSolid) {
    line_.SetDashArray({0.001, 0.001});
    Draw({{0, 0}, {2000, 0}});  // a million periods
    ExpectPath({{0, 0}, {2000, 0}});
    EXPECT_EQ(Ops()[0].pen->GetDashStyle(), Pictor::DashStyleSolid);
}

}  // namespace
