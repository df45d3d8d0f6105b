// The line fill and the compound fill as a host draws them: through the service, onto a
// recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/fill_symbols.h"
#include "host/host.h"
#include "host/line_symbols.h"
#include "host/symbols.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using symbolhost::CompoundFillSymbol;
using symbolhost::LineFillSymbol;
using symbolhost::SimpleLineSymbol;

SimpleLineSymbol* NewLine(uint32_t colour) {
    auto* line = new SimpleLineSymbol;
    line->SetColor(colour);
    line->SetWidth(0.25);
    return line;
}

// The hatch lines (colour 0x000001) the canvas recorded, as their two ends.
std::vector<std::vector<PointD>> HatchLines(const std::vector<Pictor::RecordedOp>& ops) {
    std::vector<std::vector<PointD>> lines;
    for (const auto& op : ops) {
        if (op.pen && op.pen->GetColor().GetValue() == 0xFF000001u) lines.push_back(op.device.Points());
    }
    return lines;
}

class LineFillTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        fill_.SetHatchLine(NewLine(0x000001));
        fill_.SetOutline(NewLine(0x000002));
        fill_.SetAngle(0.0);
        fill_.SetSeparation(2.5);  // 10 drawing units at scale 4
    }
    void ExpectOutlineLastAndUnclipped() const {
        ASSERT_FALSE(Ops().empty());
        EXPECT_EQ(Ops().back().pen->GetColor().GetValue(), 0xFF000002u);
        EXPECT_FALSE(Ops().back().clip.has_value());
    }

    // 100 x 50 at (0, 0).
    const std::vector<PointD> rectangle_{{0, 0}, {100, 0}, {100, 50}, {0, 50}};
    LineFillSymbol fill_;
    symbolhost::ScopedCaptureLog capture_;
};

TEST_F(LineFillTest, PointsFormLaysLinesOverThreeTimesTheSquaredBounds) {
    Draw(&fill_, rectangle_);
    // Squared to 100 x 100, grown by the separation to 120, then by its width to 360.
    const auto lines = HatchLines(Ops());
    ASSERT_EQ(lines.size(), 36u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const double y = -130.0 + 10.0 * i;
        EXPECT_EQ(lines[i], (std::vector<PointD>{{-130, y}, {230, y}})) << i;
    }
    for (const auto& op : Ops()) {
        if (op.pen->GetColor().GetValue() != 0xFF000001u) continue;
        ASSERT_TRUE(op.clip.has_value());
        EXPECT_EQ(op.clip->Points(), rectangle_);
    }
    ExpectOutlineLastAndUnclipped();
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(LineFillTest, PathFormSkipsTheGrowthAndOutlinesOnlyWithASimpleLine) {
    Pictor::GraphicsPath path;
    path.AddPolygon(rectangle_.data(), 4);
    DrawPath(&fill_, &path);
    const auto lines = HatchLines(Ops());
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines.front(), (std::vector<PointD>{{-10, -10}, {110, -10}}));
    EXPECT_EQ(lines.back(), (std::vector<PointD>{{-10, 100}, {110, 100}}));
    ExpectOutlineLastAndUnclipped();

    canvas_.Clear();
    fill_.SetOutline(new symbolhost::CartographicLineSymbol);
    DrawPath(&fill_, &path);
    EXPECT_EQ(HatchLines(Ops()).size(), Ops().size());
}

TEST_F(LineFillTest, AngleTurnsTheLinesAndReverseHandsThemOverEndFirst) {
    const std::vector<PointD> square{{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    fill_.SetAngle(90.0);
    Pictor::GraphicsPath path;
    path.AddPolygon(square.data(), 4);
    DrawPath(&fill_, &path);
    auto lines = HatchLines(Ops());
    ASSERT_EQ(lines.size(), 12u);
    // Vertical, running down the page (x toward y), the first at the right edge; the rotation's
    // degree conversion is not exact.
    constexpr double kTurnRounding = 1e-5;
    EXPECT_NEAR(lines[0][0].x, 110.0, kTurnRounding);
    EXPECT_NEAR(lines[0][1].x, 110.0, kTurnRounding);
    EXPECT_NEAR(lines[0][0].y, -10.0, kTurnRounding);
    EXPECT_NEAR(lines[0][1].y, 110.0, kTurnRounding);

    canvas_.Clear();
    fill_.SetReverseLines(true);
    DrawPath(&fill_, &path);
    const auto reversed = HatchLines(Ops());
    ASSERT_EQ(reversed.size(), 12u);
    EXPECT_EQ(reversed[0], (std::vector<PointD>{lines[0][1], lines[0][0]}));

    canvas_.Clear();
    fill_.SetReverseLines(false);
    fill_.SetAngle(0.0);
    info_.sizeRatio = 2.0;  // twice the spacing: half as many lines
    DrawPath(&fill_, &path);
    lines = HatchLines(Ops());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1][0].y - lines[0][0].y, 20.0);
}

TEST_F(LineFillTest, AnyLineKindHatchesThroughTheService) {
    auto* dashes = new symbolhost::CartographicLineSymbol;
    dashes->SetColor(0x000001);
    dashes->SetOffset(0.5);  // shifted sideways by 2 units, so drawn by the cartographic line
    fill_.SetHatchLine(dashes);
    Pictor::GraphicsPath path;
    path.AddPolygon(rectangle_.data(), 4);
    DrawPath(&fill_, &path);
    const auto lines = HatchLines(Ops());
    ASSERT_EQ(lines.size(), 12u);
    // Positive offsets shift to the left of travel, which runs along +x: up the page.
    EXPECT_EQ(lines[0].front().y, -12.0);
}

TEST_F(LineFillTest, SeparationsWithoutAUsableCountDrawOnlyTheOutline) {
    const double tiny = 1e-9;
    for (double separation : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(), tiny}) {
        canvas_.Clear();
        capture_.log().Clear();
        fill_.SetSeparation(separation);
        Draw(&fill_, rectangle_);
        ASSERT_EQ(Ops().size(), 1u) << separation;
        ExpectOutlineLastAndUnclipped();
        // Only the tiny separation says why: the others ask for no lines at all.
        const size_t messages = separation == tiny ? 1u : 0u;
        ASSERT_EQ(capture_.log().Entries().size(), messages) << separation;
        if (messages) {
            EXPECT_EQ(capture_.log().Entries()[0].level, LogLevelError);
        }
    }
    EXPECT_FALSE(graphics_.IsClipped());
}

TEST_F(LineFillTest, WithoutAHatchLineOnlyTheOutlineAndWithFewPointsNothing) {
    fill_.SetHatchLine(nullptr);
    Draw(&fill_, rectangle_);
    ASSERT_EQ(Ops().size(), 1u);
    ExpectOutlineLastAndUnclipped();
    canvas_.Clear();
    Draw(&fill_, {{0, 0}, {10, 10}});
    EXPECT_TRUE(Ops().empty());
}

// A compound fill whose last member is itself.
class SelfContainingFill final : public symbolhost::SymbolBase<IGIS_CompoundFillSymbol> {
public:
    IGIS_Symbol* Clone() const noexcept override { return nullptr; }
    int32_t GetType() const noexcept override { return SymbolTypeCompoundFill; }
    IGIS_FillSymbol* GetFillSymbol() noexcept override { return this; }
    IGIS_CompoundFillSymbol* GetCompoundFillSymbol() noexcept override { return this; }
    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return nullptr; }
    int32_t GetLayerCount() const noexcept override { return 3; }
    IGIS_Symbol* GetLayer(const int32_t* index) noexcept override {
        return *index == 0 ? static_cast<IGIS_Symbol*>(&member_) : this;
    }
    bool IsLayerVisible(const int32_t*) const noexcept override { return true; }

private:
    symbolhost::SimpleFillSymbol member_;
};

class CompoundFillTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        auto* solid = new symbolhost::SimpleFillSymbol;
        solid->SetColor(0x00FF00);
        compound_.AddLayer(solid);
        auto* hidden = new symbolhost::SimpleFillSymbol;
        hidden->SetColor(0xFF0000);
        compound_.AddLayer(hidden, false);
        auto* hatch = new LineFillSymbol;
        hatch->SetHatchLine(NewLine(0x000001));
        hatch->SetOutline(NewLine(0x000002));
        compound_.AddLayer(hatch);
    }
    // The solid fill first, then the hatch, then the hatch's outline; never the hidden member.
    void ExpectMembersInOrder() const {
        ASSERT_GT(Ops().size(), 2u);
        EXPECT_EQ(Kinds()[0], OpKind::FillPath);
        EXPECT_EQ(Ops()[0].brush->GetType(), Pictor::BrushType::Solid);
        for (size_t i = 1; i + 1 < Ops().size(); ++i)
            EXPECT_EQ(Ops()[i].pen->GetColor().GetValue(), 0xFF000001u);
        EXPECT_EQ(Ops().back().pen->GetColor().GetValue(), 0xFF000002u);
    }

    const std::vector<PointD> square_{{0, 0}, {20, 0}, {20, 20}, {0, 20}};
    CompoundFillSymbol compound_;
    symbolhost::ScopedCaptureLog capture_;
};

TEST_F(CompoundFillTest, VisibleMembersAreDrawnInOrderInBothEntries) {
    Draw(&compound_, square_);
    ExpectMembersInOrder();
    canvas_.Clear();
    Pictor::GraphicsPath path;
    path.AddPolygon(square_.data(), 4);
    DrawPath(&compound_, &path);
    ExpectMembersInOrder();
    EXPECT_TRUE(capture_.log().Entries().empty());
}

// Says it is a compound fill but has no compound view.
class NotACompound final : public symbolhost::SymbolBase<IGIS_FillSymbol> {
public:
    IGIS_Symbol* Clone() const noexcept override { return nullptr; }
    int32_t GetType() const noexcept override { return SymbolTypeCompoundFill; }
    IGIS_LineSymbol* GetOutlineSymbol() noexcept override { return nullptr; }
};

TEST_F(CompoundFillTest, NoMembersDrawsNothingQuietlyAndNoViewIsReported) {
    CompoundFillSymbol empty;
    Draw(&empty, square_);
    EXPECT_TRUE(Ops().empty());
    EXPECT_TRUE(capture_.log().Entries().empty());

    NotACompound impostor;
    Draw(&impostor, square_);
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Count("IGIS_CompoundMarkerSymbol Pointer Is NuLL"), 1u);
}

TEST_F(CompoundFillTest, AFillThatContainsItselfStopsAtTheNestingCapWithOneMessage) {
    SelfContainingFill loop;  // holds itself twice: 2^32 calls without the stop
    Draw(&loop, square_);
    EXPECT_EQ(Ops().size(), 32u);
    ASSERT_EQ(capture_.log().Entries().size(), 1u);
    EXPECT_EQ(capture_.log().Entries()[0].function, "CGIS_CompoundFillSymbolize::Symbolize");
    // The stop does not outlive the call.
    canvas_.Clear();
    Draw(&compound_, square_);
    ExpectMembersInOrder();
}

}  // namespace
