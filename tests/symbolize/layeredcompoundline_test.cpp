// Lines made of other lines: the layered simple line's halo and layers, and the compound line's
// members drawn through the service, on a recording canvas.
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/line_symbols.h"
#include "host/symbols.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using symbolhost::CompoundLineSymbol;
using symbolhost::LayeredSimpleLineSymbol;
using symbolhost::LineLayer;
using symbolhost::SimpleLineSymbol;
using symbolize_test::FixedColourTable;

const std::vector<PointD> kPolyline = {{0, 0}, {40, 0}, {40, 40}};

LineLayer Layer(double width, uint32_t colour) {
    LineLayer layer;
    layer.width = width;
    layer.color = colour;
    return layer;
}

SimpleLineSymbol* NewSimpleLine(double width, uint32_t colour) {
    auto* line = new SimpleLineSymbol();
    line->SetWidth(width);
    line->SetColor(colour);
    return line;
}

// ---- layered simple line ------------------------------------------------------------------

class LayeredLineTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        info_.scale = 1.0;
        line_.SetWidth(2.0);
    }
    using RecordingTest::Draw;
    void Draw() { Draw(&line_, kPolyline); }

    symbolhost::ScopedCaptureLog capture_;
    LayeredSimpleLineSymbol line_;
};

TEST_F(LayeredLineTest, HaloFirstThenLayersBottomUpAlongOnePath) {
    line_.SetHalo({1.0, 0x00FF00, true});
    line_.SetLayers({Layer(2.0, 0x111111), Layer(1.0, 0x222222)});
    Draw();
    ASSERT_EQ(Ops().size(), 3u);
    EXPECT_DOUBLE_EQ(Ops()[0].pen->GetWidth(), 4.0);  // the whole line plus 1 mm on each side
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFF00FF00u);
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0xFF111111u);
    EXPECT_EQ(Ops()[2].pen->GetColor().GetValue(), 0xFF222222u);
    EXPECT_DOUBLE_EQ(Ops()[2].pen->GetWidth(), 1.0);
    for (const auto& op : Ops()) {
        EXPECT_EQ(op.kind, OpKind::DrawPath);
        EXPECT_EQ(op.device.Points(), kPolyline);
    }
}

TEST_F(LayeredLineTest, LayersThatCannotBeSeenAreSkippedAndTheRestDrawn) {
    LineLayer hidden = Layer(1.0, 0x111111);
    hidden.style = SimpleLineStyleNone;
    line_.SetHalo({0.5, 0x00FF00, true});
    line_.SetLayers({hidden, Layer(0.0, 0x222222), Layer(1.0, 0x333333)});
    Draw();
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFF00FF00u);  // the halo stays
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0xFF333333u);

    // No layers: only the halo.
    canvas_.Clear();
    line_.SetLayers({});
    Draw();
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_DOUBLE_EQ(Ops()[0].pen->GetWidth(), 3.0);
}

TEST_F(LayeredLineTest, DashesAreInLayerWidthsAndCodesPassStraightThrough) {
    LineLayer dashed = Layer(0.5, 0x111111);
    dashed.style = SimpleLineStyleCustom;
    dashed.pattern = {2, 1};
    dashed.join = 1;
    dashed.cap = 0;
    LineLayer dotted = Layer(0.5, 0x111111);
    dotted.style = SimpleLineStyleDot;
    LineLayer tooLong = dashed;
    tooLong.pattern.assign(65, 1.0);
    line_.SetLayers({dashed, dotted, tooLong});
    Draw();
    ASSERT_EQ(Ops().size(), 3u);
    EXPECT_EQ(Ops()[0].pen->GetDashPattern(), (std::vector<double>{4, 2}));
    EXPECT_EQ(Ops()[0].pen->GetLineJoin(), Pictor::LineJoinBevel);  // not mapped as the cartographic line's
    EXPECT_EQ(Ops()[0].pen->GetLineCap(), Pictor::LineCapFlat);
    EXPECT_EQ(Ops()[1].pen->GetDashStyle(), Pictor::DashStyleDot);
    EXPECT_EQ(Ops()[2].pen->GetEffectiveDashPattern(), std::vector<double>{});
}

TEST_F(LayeredLineTest, OverrideColourKeepsTheLayersTransparencyButNotTheHalosColour) {
    LineLayer half = Layer(1.0, 0xFF0000);
    half.transparency = 50;
    line_.SetLayers({half});
    line_.SetHalo({0.5, 0x0000FF, true});
    info_.overrideColor = true;
    info_.color = 0x00FF00;
    Draw();
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFF0000FFu);
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0x7F00FF00u);

    canvas_.Clear();
    FixedColourTable table(0x00CCBBAA);
    info_.colorTable = &table;
    Draw();
    EXPECT_EQ(Ops().at(0).pen->GetColor().GetValue(), 0xFFAABBCCu);
    EXPECT_EQ(Ops().at(1).pen->GetColor().GetValue(), 0x7FAABBCCu);
}

TEST_F(LayeredLineTest, CloneCopiesTheLayersAndTheirPatterns) {
    LineLayer dashed = Layer(0.5, 0x111111);
    dashed.style = SimpleLineStyleCustom;
    dashed.pattern = {2, 1};
    line_.SetLayers({dashed});
    symbolhost::SymbolPtr<> copy(line_.Clone());
    line_.SetLayers({});  // the copy's records must not point into these
    Draw(copy.get(), kPolyline);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].pen->GetDashPattern(), (std::vector<double>{4, 2}));
}

// ---- compound line ------------------------------------------------------------------------

// A compound line that holds itself, as a faulty symbol model could hand out.
class SelfContainingLine final : public symbolhost::SymbolBase<IGIS_CompoundLineSymbol> {
public:
    explicit SelfContainingLine(int32_t selfCopies) : selfCopies_(selfCopies) {}
    IGIS_Symbol* Clone() const noexcept override { return new (std::nothrow) SelfContainingLine(*this); }
    int32_t GetType() const noexcept override { return SymbolTypeCompoundLine; }
    IGIS_CompoundLineSymbol* GetCompoundLineSymbol() noexcept override { return this; }
    int32_t GetLineCount() const noexcept override { return 1 + selfCopies_; }
    IGIS_Symbol* GetLine(const int32_t* index) noexcept override {
        return *index == 0 ? static_cast<IGIS_Symbol*>(&member_) : this;
    }
    bool IsLineEnabled(const int32_t*) const noexcept override { return true; }

private:
    int32_t selfCopies_;
    SimpleLineSymbol member_;
};

class CompoundLineTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        info_.scale = 1.0;
    }
    symbolhost::ScopedCaptureLog capture_;
};

TEST_F(CompoundLineTest, EnabledMembersAreDrawnInOrderOnTheSamePoints) {
    CompoundLineSymbol road;
    road.AddLine(NewSimpleLine(3.0, 0x333333));         // casing
    road.AddLine(NewSimpleLine(9.0, 0x999999), false);  // switched off
    road.AddLine(NewSimpleLine(2.0, 0xFFCC00));         // fill on top
    Draw(&road, kPolyline);
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFF333333u);
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0xFFFFCC00u);
    for (const auto& op : Ops()) EXPECT_EQ(op.device.Points(), kPolyline);
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(CompoundLineTest, MembersMayBeCompoundOrAnyOtherKind) {
    auto* inner = new CompoundLineSymbol();
    inner->AddLine(NewSimpleLine(1.0, 0x000001));
    auto* cartographic = new symbolhost::CartographicLineSymbol();
    cartographic->SetColor(0x000003);
    CompoundLineSymbol outer;
    outer.AddLine(inner);
    outer.AddLine(cartographic);
    outer.AddLine(NewSimpleLine(1.0, 0x000002));
    symbolhost::SymbolPtr<> copy(outer.Clone());  // the members are copied with it
    Draw(copy.get(), kPolyline);
    ASSERT_EQ(Ops().size(), 3u);
    EXPECT_EQ(Ops()[0].pen->GetColor().GetValue(), 0xFF000001u);
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0xFF000003u);
    EXPECT_EQ(Ops()[2].pen->GetColor().GetValue(), 0xFF000002u);
}

TEST_F(CompoundLineTest, NoMembersDrawsNothingQuietly) {
    CompoundLineSymbol empty;
    Draw(&empty, kPolyline);
    EXPECT_TRUE(Ops().empty());
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(CompoundLineTest, ALineThatContainsItselfStopsAtTheNestingCapWithOneMessage) {
    for (int32_t selfCopies : {1, 3}) {  // three copies would take 3^32 calls without the stop
        canvas_.Clear();
        capture_.log().Clear();
        SelfContainingLine loop(selfCopies);
        Draw(&loop, kPolyline);
        // The member before the self-reference is drawn once per level.
        EXPECT_EQ(Ops().size(), 32u) << selfCopies;
        ASSERT_EQ(capture_.log().Entries().size(), 1u);
        EXPECT_EQ(capture_.log().Entries()[0].level, LogLevelError);
        EXPECT_EQ(capture_.log().Entries()[0].function, "CGIS_CompoundLineSymbolize::Symbolize");
    }
    // The stop does not outlive the call.
    canvas_.Clear();
    CompoundLineSymbol plain;
    plain.AddLine(NewSimpleLine(1.0, 0x000001));
    Draw(&plain, kPolyline);
    EXPECT_EQ(Ops().size(), 1u);
}

}  // namespace
