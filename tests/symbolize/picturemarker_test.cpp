// The picture marker as a host draws it: a picture from the image store through the service,
// onto a recording canvas.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "host/stores.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::Matrix;
using Pictor::OpKind;
using Pictor::PointD;
using Pictor::RectD;

constexpr uint32_t kImageId = 42;
constexpr double kNear = 1e-6;
const PointD kAnchor{100, 100};

void ExpectNear(const PointD& actual, const PointD& expected) {
    EXPECT_NEAR(actual.x, expected.x, kNear);
    EXPECT_NEAR(actual.y, expected.y, kNear);
}

class PictureMarkerTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        symbolhost::SetImageResourceBase(&images_);
        std::string error;
        ASSERT_TRUE(images_.Register(kImageId, std::string(TEST_DATA_DIR) + "/markers/flag_4x2.png", &error))
            << error;
        marker_.SetImageId(kImageId);
        marker_.SetSize(10, 5);
    }
    void TearDown() override {
        symbolhost::SetImageResourceBase(nullptr);
        RecordingTest::TearDown();
    }

    void DrawAt(const PointD& anchor) { Draw(&marker_, {anchor}); }
    const Pictor::RecordedOp& OnlyImage() {
        EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawImage});
        return Ops().back();
    }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::ImageStore images_;
    symbolhost::PictureMarkerSymbol marker_;
};

TEST_F(PictureMarkerTest, PictureFillsAWholeUnitBoxCentredOnTheAnchor) {
    info_.scale = 3.7795;
    DrawAt(kAnchor);
    const Pictor::RecordedOp& op = OnlyImage();
    EXPECT_EQ(op.rect, RectD(81, 90, 37, 18));
    EXPECT_EQ(op.imageWidth, 4);
    EXPECT_EQ(op.imageHeight, 2);
    EXPECT_TRUE(op.world.IsIdentity());
}

TEST_F(PictureMarkerTest, BoxIsTruncatedTowardZero) {
    marker_.SetSize(0.25, 0.25);  // one unit at scale 4
    DrawAt({-10, -10});
    EXPECT_EQ(OnlyImage().rect, RectD(-10, -10, 1, 1));  // -10.5 becomes -10, not -11
}

TEST_F(PictureMarkerTest, TurnsAboutTheAnchorAndOffsetsAfterTheTurn) {
    marker_.SetAngle(60);
    info_.rotation = 30;
    marker_.SetOffset(2, 1);
    DrawAt(kAnchor);
    const Matrix& world = OnlyImage().world;
    // The anchor moves by the offsets only: 8 units right and 4 up, whatever the angle.
    ExpectNear(world.TransformPoint(kAnchor), {kAnchor.x + 8, kAnchor.y - 4});
    ExpectNear(world.TransformPoint({kAnchor.x + 1, kAnchor.y}), {kAnchor.x + 8, kAnchor.y - 4 + 1});

    canvas_.Clear();
    info_.yUp = true;  // the turn is reversed; the offsets are not
    DrawAt(kAnchor);
    const Matrix& up = OnlyImage().world;
    ExpectNear(up.TransformPoint(kAnchor), {kAnchor.x + 8, kAnchor.y - 4});
    ExpectNear(up.TransformPoint({kAnchor.x + 1, kAnchor.y}), {kAnchor.x + 8, kAnchor.y - 4 - 1});
}

TEST_F(PictureMarkerTest, MirrorsAboutTheAnchorLines) {
    marker_.SetFlipX(true);
    marker_.SetFlipY(true);
    DrawAt(kAnchor);
    const Matrix& world = OnlyImage().world;
    ExpectNear(world.TransformPoint({kAnchor.x + 3, kAnchor.y + 2}), {kAnchor.x - 3, kAnchor.y - 2});
}

TEST_F(PictureMarkerTest, CallersTransformIsInForceAgainAfterwards) {
    Matrix callers(2, 0, 0, 2, 5, 7);
    graphics_.SetTransform(&callers);
    marker_.SetAngle(45);
    DrawAt(kAnchor);
    EXPECT_FALSE(OnlyImage().world == callers);  // the marker's own transform, not composed with it
    Matrix after;
    graphics_.GetTransform(&after);
    EXPECT_EQ(after, callers);
}

TEST_F(PictureMarkerTest, MissingPictureOrEmptyBoxDrawsNothingSilently) {
    marker_.SetImageId(kImageId + 1);
    DrawAt(kAnchor);
    EXPECT_TRUE(Ops().empty());

    marker_.SetImageId(kImageId);
    marker_.SetSize(0.1, 5);  // narrower than one unit
    DrawAt(kAnchor);
    marker_.SetSize(1e300, 5);  // no integer box can hold it
    DrawAt(kAnchor);
    EXPECT_TRUE(Ops().empty());
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(PictureMarkerTest, RejectedInputIsReported) {
    Draw(&marker_, {kAnchor, kAnchor});
    EXPECT_EQ(capture_.log().Count("Input Error"), 1u);
    EXPECT_TRUE(Ops().empty());
}

TEST(ImageStoreTest, RegisterSaysWhyAFileCannotBeUsed) {
    symbolhost::ImageStore store;
    std::string error;
    EXPECT_FALSE(store.Register(1, std::string(TEST_DATA_DIR) + "/markers/no_such.png", &error));
    EXPECT_NE(error.find("no such file"), std::string::npos) << error;
    EXPECT_FALSE(store.Register(1, std::string(TEST_DATA_DIR) + "/markers/make_symbol_font.py", &error));
    EXPECT_NE(error.find("not a PNG image"), std::string::npos) << error;
    EXPECT_EQ(store.GetImage(1), nullptr);
}

}  // namespace
