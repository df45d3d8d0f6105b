// The library marker's label and box texts, drawn through the service onto a recording canvas.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

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
using Pictor::RectD;
using symbolhost::LibMarkerSymbol;
using symbolhost::VectorResource;

constexpr uint32_t kCode = 9;
constexpr double kNear = 1e-4;
const PointD kAnchor{50, 50};

using symbolize_test::Bounds;
using symbolize_test::BrushColour;

template <size_t N>
void Copy(char (&to)[N], const char* from) {
    std::strncpy(to, from, N - 1);
}

class MarkerTextTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        symbolhost::SetVectorResourceBase(&store_);
        // A 20 x 10 drawing anchored at (10, 5): 80 x 40 units at scale 4.
        resource_ = std::make_shared<VectorResource>();
        resource_->extentX2 = 20;
        resource_->extentY2 = 10;
        resource_->anchorX = 10;
        resource_->anchorY = 5;
        store_.Add(kCode, resource_);
        marker_.SetResourceCode(kCode);
        // Background rectangle (30, 30) to (70, 70).
        marker_.SetExtent(-5, 5, 5, -5);
    }
    void TearDown() override {
        symbolhost::SetVectorResourceBase(nullptr);
        RecordingTest::TearDown();
    }
    void ShowLabel(int32_t position, const char* text = "Mill") {
        MarkerLabel label;
        Copy(label.text, text);
        Copy(label.fontName, "DejaVu Sans");
        label.size = 3;  // 12 units
        label.gap = 1;   // 4 units
        label.position = position;
        label.color = 0x102030;
        label.shown = true;
        marker_.SetLabel(label);
    }
    RectD LabelInk() {
        canvas_.Clear();
        Draw(&marker_, {kAnchor});
        EXPECT_EQ(Ops().size(), 1u);
        return Ops().empty() ? RectD() : Bounds(Ops().back().device);
    }
    RectElement* AddTextBox(double x, double y, double width, double height, const char* text) {
        RectElement* rect = resource_->Add<RectElement>();
        rect->x = x;
        rect->y = y;
        rect->width = width;
        rect->height = height;
        rect->textIndex = 0;
        BoxText boxText;
        Copy(boxText.text, text);
        Copy(boxText.fontName, "DejaVu Sans");
        boxText.color = 0x0000FF;
        boxText.shown = true;
        marker_.SetTexts({boxText});
        return rect;
    }

    symbolhost::VectorResourceStore store_;
    std::shared_ptr<VectorResource> resource_;
    LibMarkerSymbol marker_;
};

TEST_F(MarkerTextTest, LabelIsExactlyItsSizeHighAndAGapAwayOnItsSide) {
    ShowLabel(0);
    RectD ink = LabelInk();
    EXPECT_NEAR(ink.height, 12, kNear);  // whatever the font's ascent and descent
    EXPECT_NEAR(ink.y + ink.height, 30 - 4, kNear);
    EXPECT_NEAR(ink.x + ink.width / 2, 50, kNear);
    EXPECT_EQ(Ops().back().kind, OpKind::FillPath);
    EXPECT_EQ(BrushColour(Ops().back()), 0xFF102030u);

    ShowLabel(1);
    EXPECT_NEAR(LabelInk().y, 70 + 4, kNear);
    ShowLabel(2);
    ink = LabelInk();
    EXPECT_NEAR(ink.x + ink.width, 30 - 4, kNear);
    EXPECT_NEAR(ink.y + ink.height / 2, 50, kNear);
    ShowLabel(7);  // any other code: right
    EXPECT_NEAR(LabelInk().x, 70 + 4, kNear);
}

TEST_F(MarkerTextTest, LabelStaysUprightAndSitsOnItsOwnBox) {
    ShowLabel(0);
    const RectD flat = LabelInk();
    marker_.SetAngle(90);
    info_.rotation = 30;
    const RectD turned = LabelInk();
    EXPECT_NEAR(turned.x, flat.x, kNear);
    EXPECT_NEAR(turned.width, flat.width, kNear);

    MarkerLabel label = *marker_.GetLabel();
    label.boxShown = true;
    label.boxColor = 0x0000FF;
    label.boxTransparency = 50;
    marker_.SetLabel(label);
    symbolize_test::FixedColourTable table(0x0000FF);  // tables answer red in the low byte
    info_.colorTable = &table;
    canvas_.Clear();
    Draw(&marker_, {kAnchor});
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].kind, OpKind::FillRectangle);
    EXPECT_EQ(BrushColour(Ops()[0]), 0x64FF0000u);  // alpha 2 x (100 - 50), red and blue exchanged
    const RectD box = Ops()[0].rect;
    const RectD text = Bounds(Ops()[1].device);
    EXPECT_NEAR(box.x, text.x, kNear);
    EXPECT_NEAR(box.height, text.height, kNear);
    EXPECT_EQ(BrushColour(Ops()[1]), 0xFFFF0000u);
}

TEST_F(MarkerTextTest, LabelWithoutInkDrawsNothing) {
    ShowLabel(0, "   ");
    Draw(&marker_, {kAnchor});
    EXPECT_TRUE(Ops().empty());
}

TEST_F(MarkerTextTest, BoxTextFillsItsBoxHeightAndIsCondensedOnlyWhenTooLong) {
    AddTextBox(2, 4, 16, 2, "Inn");  // 2 high, 16 wide: the text fits
    Draw(&marker_, {kAnchor});
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].tag, 3);
    EXPECT_EQ(BrushColour(Ops()[0]), 0xFF0000FFu);
    RectD ink = Bounds(Ops()[0].device);
    // Resource (2, 4) is 8 units left of the anchor and 1 above it.
    EXPECT_NEAR(ink.height, 2 * kScale, kNear);
    EXPECT_NEAR(ink.y, kAnchor.y - 1 * kScale, kNear);
    EXPECT_LT(ink.width, 16 * kScale);
    EXPECT_NEAR(ink.x + ink.width / 2, kAnchor.x, kNear);

    canvas_.Clear();
    resource_->elements.clear();
    AddTextBox(9.5, 4, 1, 2, "Inn");  // 1 wide: squeezed to it
    Draw(&marker_, {kAnchor});
    ink = Bounds(Ops().back().device);
    EXPECT_NEAR(ink.width, 1 * kScale, kNear);
    EXPECT_NEAR(ink.height, 2 * kScale, kNear);
}

TEST_F(MarkerTextTest, MirroredMarkerMovesItsBoxTextButKeepsItReadable) {
    AddTextBox(0, 0, 10, 10, "Ab");  // left half of the drawing
    Draw(&marker_, {kAnchor});
    const Pictor::GraphicsPath plain = Ops().back().device;
    canvas_.Clear();
    marker_.SetFlipX(true);
    Draw(&marker_, {kAnchor});
    const Pictor::GraphicsPath mirrored = Ops().back().device;
    // The same outline, moved by the box's width (40 units) to the right half.
    ASSERT_EQ(plain.GetPointCount(), mirrored.GetPointCount());
    for (int i = 0; i < plain.GetPointCount(); ++i) {
        EXPECT_NEAR(mirrored.Points()[i].x, plain.Points()[i].x + 40, kNear);
        EXPECT_NEAR(mirrored.Points()[i].y, plain.Points()[i].y, kNear);
    }

    canvas_.Clear();
    marker_.SetFlipX(false);
    marker_.SetTexts({});
    Draw(&marker_, {kAnchor});
    EXPECT_TRUE(Ops().empty());  // the box itself is never drawn
}

}  // namespace
