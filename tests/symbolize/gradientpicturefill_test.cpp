// The gradient fill and the picture fill as a host draws them: through the service, onto a
// recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/fill_symbols.h"
#include "host/host.h"
#include "host/line_symbols.h"
#include "host/stores.h"
#include "host/symbols.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;

symbolhost::SimpleLineSymbol* NewOutline() {
    auto* line = new symbolhost::SimpleLineSymbol;
    line->SetColor(0x000002);
    return line;
}

class GradientFillTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        fill_.SetStartColor(0x102030);
        fill_.SetEndColor(0x405060);
        fill_.SetOutline(NewOutline());
    }
    const Pictor::LinearGradientBrush* Brush() const {
        for (const auto& op : Ops()) {
            if (op.kind == OpKind::FillPath)
                return dynamic_cast<const Pictor::LinearGradientBrush*>(op.brush.get());
        }
        return nullptr;
    }
    // The fill's matrix as the brush is turned: about the centre, by `angle`, stretched by k.
    static Pictor::Matrix Turn(PointD c, double k, double angle) {
        Pictor::Matrix m;
        m.Translate(c.x, c.y);
        m.Scale(k, 1.0);
        m.Rotate(angle);
        m.Translate(-c.x, -c.y);
        return m;
    }
    static void ExpectNear(const Pictor::Matrix& a, const Pictor::Matrix& b) {
        double ea[6], eb[6];
        a.GetElements(ea);
        b.GetElements(eb);
        for (int i = 0; i < 6; ++i) EXPECT_NEAR(ea[i], eb[i], 1e-4) << i;
    }

    const std::vector<PointD> wide_{{0, 0}, {200, 0}, {200, 100}, {0, 100}};
    symbolhost::GradientFillSymbol fill_;
    symbolhost::ScopedCaptureLog capture_;
};

TEST_F(GradientFillTest, AlphaUsesSinglePrecisionFactorsAndIgnoresColourTablesAndOverride) {
    const struct {
        int32_t transparency;
        uint32_t alpha;
    } cases[] = {{0, 254}, {20, 203}, {40, 152}, {50, 127}, {60, 101}, {80, 50}, {99, 2}};
    symbolize_test::FixedColourTable table(0x0000FF);
    info_.colorTable = &table;
    info_.overrideColor = true;
    info_.color = 0x00FF00;
    for (const auto& c : cases) {
        canvas_.Clear();
        fill_.SetTransparency(c.transparency);
        Draw(&fill_, wide_);
        ASSERT_NE(Brush(), nullptr) << c.transparency;
        EXPECT_EQ(Brush()->GetColor1().GetValue(), (c.alpha << 24) | 0x102030u) << c.transparency;
        EXPECT_EQ(Brush()->GetColor2().GetValue(), (c.alpha << 24) | 0x405060u) << c.transparency;
        EXPECT_EQ(Brush()->GetMode(), 4);
    }
    // Invisible: no brush, the outline alone.
    canvas_.Clear();
    fill_.SetTransparency(100);
    Draw(&fill_, wide_);
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath});
}

TEST_F(GradientFillTest, TheBrushTurnsAboutTheCentreAndStretchesAcrossTheBounds) {
    const struct {
        double angle;
        double k;  // (width |cos| + height |sin|) / width
    } cases[] = {{0, 1.0},
                 {90, 0.5},
                 {45, 1.5 * std::sqrt(0.5)},
                 {180, 1.0},
                 {-30, (200 * std::cos(M_PI / 6) + 50) / 200},
                 {135, 1.5 * std::sqrt(0.5)}};
    for (const auto& c : cases) {
        canvas_.Clear();
        fill_.SetAngle(c.angle);
        Draw(&fill_, wide_);
        ASSERT_NE(Brush(), nullptr) << c.angle;
        EXPECT_EQ(Brush()->GetRectangle(), (Pictor::RectD{0, 0, 200, 100}));
        SCOPED_TRACE(c.angle);
        ExpectNear(Brush()->GetTransform(), Turn({100, 50}, c.k, c.angle));
    }
}

TEST_F(GradientFillTest, TheBlendTableIsHandedOverOrTheFillIsLeftOut) {
    fill_.SetBlend({0.0, 0.3, 1.0}, {0.0, 0.8, 1.0});
    Draw(&fill_, wide_);
    ASSERT_NE(Brush(), nullptr);
    EXPECT_EQ(Brush()->GetBlendPositions(), (std::vector<double>{0.0, 0.3, 1.0}));
    EXPECT_EQ(Brush()->GetBlendFactors(), (std::vector<double>{0.0, 0.8, 1.0}));
    EXPECT_TRUE(capture_.log().Entries().empty());

    // Unavailable arrays leave the outline alone, quietly; a table the brush refuses is reported.
    for (bool available : {false, true}) {
        canvas_.Clear();
        capture_.log().Clear();
        if (available) {
            fill_.SetBlend({0.0, 0.7, 0.5, 1.0}, {0.0, 0.5, 0.5, 1.0});  // positions fall back
        } else {
            fill_.SetBlend({0.0, 1.0}, {0.0});
        }
        Draw(&fill_, wide_);
        EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath}) << available;
        EXPECT_EQ(capture_.log().Entries().size(), available ? 1u : 0u);
    }
}

TEST_F(GradientFillTest, BoundsWithoutWidthDrawOnlyTheOutline) {
    Draw(&fill_, {{5, 0}, {5, 50}, {5, 100}});
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath});
    for (const PointD& p : Ops()[0].device.Points()) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST_F(GradientFillTest, OnlyASimpleLineOutlinesAlongThePathAndThePathEntryDrawsNothing) {
    Draw(&fill_, wide_);
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::FillPath, OpKind::DrawPath}));
    // Along the polygon as given, from its first point: no turn to the closing edge's middle.
    EXPECT_EQ(Ops()[1].device.Points().front(), (PointD{0, 0}));
    EXPECT_EQ(Ops()[1].device.Points()[1], (PointD{200, 0}));

    canvas_.Clear();
    auto* dashes = new symbolhost::CartographicLineSymbol;
    fill_.SetOutline(dashes);
    Draw(&fill_, wide_);
    EXPECT_EQ(Kinds(), (std::vector<OpKind>{OpKind::FillPath}));

    canvas_.Clear();
    Pictor::GraphicsPath path;
    path.AddPolygon(wide_.data(), 4);
    DrawPath(&fill_, &path);
    EXPECT_TRUE(Ops().empty());
}

class PictureFillTest : public symbolize_test::RecordingTest {
protected:
    static constexpr uint32_t kWide = 7;
    static constexpr uint32_t kTall = 8;
    static constexpr uint32_t kSquare = 9;

    void SetUp() override {
        RecordingTest::SetUp();
        AddPicture(kWide, 200, 100);
        AddPicture(kTall, 100, 200);
        AddPicture(kSquare, 50, 50);
        symbolhost::SetFillImageResourceBase(&pictures_);
        fill_.SetOutline(NewOutline());
        fill_.SetPicture(kWide);
    }
    void TearDown() override {
        symbolhost::SetFillImageResourceBase(nullptr);
        RecordingTest::TearDown();
    }
    void AddPicture(uint32_t id, int width, int height) {
        const std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xFF336699u);
        pictures_.Add(id, Pictor::Image::FromArgb(width, height, pixels.data()));
    }
    const Pictor::TextureBrush* Brush(size_t i = 0) const {
        return dynamic_cast<const Pictor::TextureBrush*>(Ops()[i].brush.get());
    }

    const std::vector<PointD> square_{{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    symbolhost::ImageStore pictures_;
    symbolhost::PictureFillSymbol fill_;
};

TEST_F(PictureFillTest, TilesFillThePathClippedToItWhateverTheAspectFlag) {
    fill_.SetKeepAspectRatio(true);
    Draw(&fill_, square_);
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::FillPath, OpKind::DrawPath}));
    ASSERT_NE(Brush(), nullptr);
    EXPECT_EQ(Brush()->GetWrapMode(), 0);
    EXPECT_EQ(Brush()->GetImage().GetWidth(), 200);
    ASSERT_TRUE(Ops()[0].clip.has_value());
    EXPECT_EQ(Ops()[0].clip->Points(), square_);
    EXPECT_FALSE(Ops()[1].clip.has_value());
}

TEST_F(PictureFillTest, ASinglePictureKeepsItsProportionsCentredOnTheBounds) {
    fill_.SetPictureMode(PictureFillSingle);
    const struct {
        uint32_t picture;
        std::vector<PointD> polygon;
        Pictor::RectD rect;
    } cases[] = {
        {kWide, square_, {-50, 0, 200, 100}},
        {kTall, square_, {0, -50, 100, 200}},
        {kSquare, {{0, 0}, {300, 0}, {300, 100}, {0, 100}}, {100, 0, 100, 100}},
    };
    for (const auto& c : cases) {
        canvas_.Clear();
        fill_.SetPicture(c.picture);
        Draw(&fill_, c.polygon);
        ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::FillRectangle, OpKind::DrawPath})) << c.picture;
        EXPECT_EQ(Ops()[0].rect, c.rect) << c.picture;
        EXPECT_EQ(Brush()->GetWrapMode(), 4);
        EXPECT_EQ(Ops()[0].clip->Points(), c.polygon);
    }
    // Without the flag the picture is stretched over the path's bounds.
    canvas_.Clear();
    fill_.SetKeepAspectRatio(false);
    Draw(&fill_, square_);
    EXPECT_EQ(Kinds(), (std::vector<OpKind>{OpKind::FillPath, OpKind::DrawPath}));
}

TEST_F(PictureFillTest, NoPictureDrawsTheOutlineAndAMissingPictureNothing) {
    fill_.ClearPicture();
    Draw(&fill_, square_);
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath});
    canvas_.Clear();
    fill_.SetPicture(1234);
    Draw(&fill_, square_);
    EXPECT_TRUE(Ops().empty());
}

}  // namespace
