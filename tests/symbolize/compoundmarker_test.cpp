// The compound marker as a host draws it: a stack of member markers through the service, each
// member handed back to the service where it lands.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "host/resources.h"
#include "host/stores.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::PointD;
using symbolhost::CompoundMarkerSymbol;
using symbolhost::LibMarkerSymbol;

constexpr double kNear = 1e-5;
const PointD kAnchor{50, 50};

void ExpectNear(const PointD& actual, const PointD& expected) {
    EXPECT_NEAR(actual.x, expected.x, kNear);
    EXPECT_NEAR(actual.y, expected.y, kNear);
}

// A stack that holds itself as its only members, as a corrupt document could make one.
class SelfContainingStack final : public symbolhost::MarkerBase<IGIS_CompoundMarkerSymbol> {
public:
    explicit SelfContainingStack(int32_t members) : MarkerBase(10), members_(members) {}
    IGIS_Symbol* Clone() const noexcept override { return new (std::nothrow) SelfContainingStack(*this); }
    int32_t GetType() const noexcept override { return SymbolTypeCompoundMarker; }
    IGIS_CompoundMarkerSymbol* GetCompoundMarkerSymbol() noexcept override { return this; }
    int32_t GetMarkerCount() const noexcept override { return members_; }
    IGIS_MarkerSymbol* GetMarker(const int32_t*) noexcept override { return this; }
    bool IsMarkerVisible(const int32_t*) const noexcept override { return true; }
    void GetAnchorPoint(double* x, double* y) const noexcept override { *x = *y = 0; }
    void GetExtent(double* extent) const noexcept override {
        const double box[4] = {-5, 5, -5, 5};
        for (int i = 0; i < 4; ++i) extent[i] = box[i];
    }

private:
    int32_t members_;
};

class CompoundMarkerTest : public symbolize_test::RecordingTest {
protected:
    // Members are library markers drawing a 1 mm stroke from their anchor along +x (its first
    // point is where the member landed, its direction the member's turn and mirroring).
    static constexpr uint32_t kTick = 1;

    void SetUp() override {
        RecordingTest::SetUp();
        symbolhost::SetVectorResourceBase(&store_);
        auto tick = std::make_shared<symbolhost::VectorResource>();
        tick->extentX2 = 1;
        tick->extentY2 = 1;
        LineElement* line = tick->Add<LineElement>();
        line->points = {{0, 0}, {1, 0}};
        store_.Add(kTick, tick);
    }
    void TearDown() override {
        symbolhost::SetVectorResourceBase(nullptr);
        RecordingTest::TearDown();
    }

    // Adds a tick member at an offset in millimetres.
    LibMarkerSymbol* AddTick(double x, double y, bool visible = true) {
        auto* member = new LibMarkerSymbol;
        member->SetResourceCode(kTick);
        member->SetOffset(x, y);
        stack_.AddMarker(member, visible);
        return member;
    }
    void DrawStack() { Draw(&stack_, {kAnchor}); }
    // Where member draw `i` started, and where its tick ended.
    PointD Start(size_t i) { return Ops().at(i).device.Points().at(0); }
    PointD End(size_t i) { return Ops().at(i).device.Points().at(1); }
    size_t Logged(const std::string& message) { return capture_.log().Count(message); }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::VectorResourceStore store_;
    CompoundMarkerSymbol stack_;  // 10 mm over a 10 mm box about the anchor (0, 0)
};

TEST_F(CompoundMarkerTest, LastMemberLandsOnTheFeaturePointAndTheOthersAroundIt) {
    info_.scale = 1;
    AddTick(0, 0);
    AddTick(2, 0);
    DrawStack();
    ASSERT_EQ(Ops().size(), 2u);
    ExpectNear(Start(0), {kAnchor.x - 2, kAnchor.y});
    ExpectNear(Start(1), kAnchor);
}

TEST_F(CompoundMarkerTest, OffsetsAreMillimetresUpwardsScaledWithTheStack) {
    AddTick(0, 1);  // up on the screen
    AddTick(0, 0);
    stack_.SetSize(20, 20);  // twice the design box
    info_.sizeRatio = 1.5;
    DrawStack();
    ExpectNear(Start(0), {kAnchor.x, kAnchor.y - 1 * 2 * 1.5 * kScale});
    // Members grow with the stack: a tick 1 mm wide becomes 2 mm.
    AddTick(0, 0)->SetWidth(1);
    canvas_.Clear();
    DrawStack();
    EXPECT_NEAR(End(2).x - Start(2).x, 1 * 2 * 1.5 * kScale, kNear);
}

TEST_F(CompoundMarkerTest, ReferenceOffsetComesFromTheLastMemberEvenWhenHidden) {
    AddTick(0, 0);
    AddTick(3, -1, false);
    DrawStack();
    ASSERT_EQ(Ops().size(), 1u);
    ExpectNear(Start(0), {kAnchor.x - 3 * kScale, kAnchor.y - 1 * kScale});
}

TEST_F(CompoundMarkerTest, StackOffsetUsesTheScaleOnly) {
    AddTick(0, 0);
    stack_.SetOffset(2, 1);
    info_.sizeRatio = 3;
    DrawStack();
    ExpectNear(Start(0), {kAnchor.x + 2 * kScale, kAnchor.y - 1 * kScale});
}

TEST_F(CompoundMarkerTest, MirroringTheStackMirrorsPlacesAndTogglesMemberFlips) {
    AddTick(2, 0)->SetFlipX(true);  // drawn leftwards on its own
    AddTick(0, 0);
    stack_.SetFlipX(true);
    DrawStack();
    ExpectNear(Start(0), {kAnchor.x - 2 * kScale, kAnchor.y});
    EXPECT_GT(End(0).x, Start(0).x);  // two mirrors: rightwards again
    EXPECT_LT(End(1).x, Start(1).x);  // one mirror: leftwards
}

TEST_F(CompoundMarkerTest, TurningTheStackTurnsPlacesAndMembersWithTheCallsRotationOnce) {
    AddTick(2, 0);
    AddTick(0, 0);
    stack_.SetAngle(60);
    info_.rotation = 30;
    DrawStack();
    // A quarter turn in all: +x goes to +y on the screen, for places and for members alike.
    ExpectNear(Start(0), {kAnchor.x, kAnchor.y + 2 * kScale});
    ExpectNear(End(1), {kAnchor.x, kAnchor.y + 1 * kScale});
}

TEST_F(CompoundMarkerTest, YUpTargetsSeeTheStackMirroredLikeItsMembers) {
    AddTick(2, 1);
    AddTick(0, 0);
    stack_.SetAngle(30);
    DrawStack();
    const PointD downPlace = Start(0);
    const PointD downEnd = End(0);

    canvas_.Clear();
    info_.yUp = true;
    DrawStack();
    ExpectNear(Start(0), {downPlace.x, 2 * kAnchor.y - downPlace.y});
    ExpectNear(End(0), {downEnd.x, 2 * kAnchor.y - downEnd.y});
}

TEST_F(CompoundMarkerTest, EmptyStackDrawsNothingAndSaysNothing) {
    DrawStack();
    EXPECT_TRUE(Ops().empty());
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(CompoundMarkerTest, MembersAreDrawnInOrderWhateverTheirKind) {
    auto* character = new symbolhost::CharMarkerSymbol;
    stack_.AddMarker(character);
    AddTick(0, 0);
    DrawStack();
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].kind, Pictor::OpKind::FillPath);
    EXPECT_EQ(Ops()[1].kind, Pictor::OpKind::DrawPath);
}

TEST_F(CompoundMarkerTest, StackThatContainsItselfEndsWithOneReport) {
    for (const int32_t members : {1, 2, 1000}) {
        capture_.log().Clear();
        SelfContainingStack stack(members);
        Draw(&stack, {kAnchor});
        EXPECT_EQ(Logged("CompoundMarkerSymbol nested deeper than 32: not drawn"), 1u) << members;
        EXPECT_EQ(capture_.log().Entries().size(), 1u) << members;
    }
    // The next stack draws as usual.
    AddTick(0, 0);
    DrawStack();
    EXPECT_EQ(Ops().size(), 1u);
}

TEST_F(CompoundMarkerTest, RejectedInputIsReported) {
    AddTick(0, 0);
    Draw(&stack_, {kAnchor, kAnchor});
    EXPECT_EQ(Logged("Input Error"), 1u);
    EXPECT_TRUE(Ops().empty());
}

TEST_F(CompoundMarkerTest, CopiesShareMembersAndKeepTheirOwnPlacement) {
    AddTick(2, 0);
    AddTick(0, 0);  // the last member lands on the point
    symbolhost::SymbolPtr<> copy(stack_.Clone());
    ASSERT_NE(copy, nullptr);
    const int32_t first = 0;
    IGIS_CompoundMarkerSymbol* shared = copy->GetCompoundMarkerSymbol();
    EXPECT_EQ(shared->GetMarker(&first), stack_.GetMarker(&first));
    stack_.SetXOffset(7);  // the original's own setting, not the copy's
    Draw(copy.get(), {kAnchor});
    ExpectNear(Start(0), {kAnchor.x + 2 * kScale, kAnchor.y});
}

}  // namespace
