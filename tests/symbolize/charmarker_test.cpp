// The character marker as a host draws it: a font character through the service, onto a
// recording canvas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contracts/pictor/font.h"
#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using Pictor::RectD;
using symbolize_test::FixedColourTable;

constexpr double kNear = 1e-6;
const PointD kAnchor{50, 50};
// The symbol-encoded test font of tests/data/markers, known to the tests run through ctest.
constexpr const char* kSymbolFont = "Marker Test Symbol";

class CharMarkerTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        marker_.SetFontName("DejaVu Sans");
        marker_.SetCharacterCode('H');
        marker_.SetFontSize(3);
        marker_.SetSize(5, 5);
        marker_.SetColor(0x336699);
    }

    void DrawMarker() { Draw(&marker_, {kAnchor}); }
    size_t Logged(const std::string& message) { return capture_.log().Count(message); }
    RectD DrawnBounds() {
        EXPECT_EQ(Ops().size(), 1u);
        RectD bounds;
        if (!Ops().empty()) Ops().back().device.GetBounds(&bounds);
        return bounds;
    }
    // The glyph outline of the marker's character at the origin, as the marker takes it.
    RectD GlyphBounds(char32_t code, const std::string& family = "DejaVu Sans") {
        const Pictor::Font font(family, 3 * kScale);
        Pictor::GraphicsPath path;
        path.AddCharacterFont(code, &font, {0, 0});
        RectD bounds;
        path.GetBounds(&bounds);
        return bounds;
    }
    uint32_t FillColour() {
        return dynamic_cast<const Pictor::SolidBrush&>(*Ops().back().brush).GetColor().GetValue();
    }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::CharMarkerSymbol marker_;
};

// ---- placement ----

TEST_F(CharMarkerTest, GlyphIsStretchedToTheMarkerSizeWhateverTheFontSize) {
    info_.sizeRatio = 2;
    DrawMarker();
    const RectD drawn = DrawnBounds();
    EXPECT_NEAR(drawn.width, 5 * kScale * 2, kNear);  // 40 units: 5 mm at scale 4, ratio 2
    EXPECT_NEAR(drawn.height, 5 * kScale * 2, kNear);

    canvas_.Clear();
    marker_.SetFontSize(9);
    DrawMarker();
    EXPECT_NEAR(DrawnBounds().width, 40, kNear);
}

TEST_F(CharMarkerTest, GlyphIsStretchedAboutTheOutlineOriginNotItsCentre) {
    const RectD glyph = GlyphBounds('H');
    const double sx = 5 * kScale / glyph.width;
    const double sy = 5 * kScale / glyph.height;
    DrawMarker();
    const RectD drawn = DrawnBounds();
    EXPECT_NEAR(drawn.x, kAnchor.x + glyph.x * sx, kNear);
    EXPECT_NEAR(drawn.y, kAnchor.y + glyph.y * sy, kNear);
}

TEST_F(CharMarkerTest, MirrorsAboutTheAnchor) {
    const RectD glyph = GlyphBounds('H');
    const double sx = 5 * kScale / glyph.width;
    const double sy = 5 * kScale / glyph.height;
    marker_.SetFlipX(true);
    marker_.SetFlipY(true);
    DrawMarker();
    const RectD drawn = DrawnBounds();
    EXPECT_NEAR(drawn.x + drawn.width, kAnchor.x - glyph.x * sx, kNear);
    EXPECT_NEAR(drawn.y + drawn.height, kAnchor.y - glyph.y * sy, kNear);
}

TEST_F(CharMarkerTest, YUpMirrorsThenTurnsTheOtherWay) {
    // 'L' has its foot to the right: after 30 + 15 degrees the foot's end shows where a y-down
    // drawing of the same marker, mirrored top to bottom, would show it.
    marker_.SetCharacterCode('L');
    marker_.SetAngle(30);
    info_.rotation = 15;
    DrawMarker();
    const std::vector<PointD> down = Ops().back().device.Points();

    canvas_.Clear();
    info_.yUp = true;
    DrawMarker();
    const std::vector<PointD> up = Ops().back().device.Points();
    ASSERT_EQ(up.size(), down.size());
    for (size_t i = 0; i < up.size(); ++i) {
        EXPECT_NEAR(up[i].x, down[i].x, kNear);
        EXPECT_NEAR(up[i].y - kAnchor.y, -(down[i].y - kAnchor.y), kNear);
    }
}

TEST_F(CharMarkerTest, OffsetsUseTheScaleButNotTheSizeRatio) {
    DrawMarker();
    const RectD plain = DrawnBounds();
    canvas_.Clear();
    marker_.SetOffset(2, 1);
    info_.sizeRatio = 1;
    DrawMarker();
    const RectD moved = DrawnBounds();
    EXPECT_NEAR(moved.x - plain.x, 2 * kScale, kNear);
    EXPECT_NEAR(moved.y - plain.y, -1 * kScale, kNear);
}

TEST_F(CharMarkerTest, UnsetSizeDrawsNothingSilently) {
    marker_.SetWidth(-1);
    DrawMarker();
    EXPECT_TRUE(Ops().empty());
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(CharMarkerTest, GlyphWithoutInkDrawsNothing) {
    marker_.SetCharacterCode(0xA0);  // no-break space: an outline of zero size
    DrawMarker();
    EXPECT_TRUE(Ops().empty());
}

// ---- colour ----

TEST_F(CharMarkerTest, FillKeepsItsOwnColourUnderTheOverrideButFollowsTheTable) {
    marker_.SetTransparency(50);
    info_.overrideColor = true;
    info_.color = 0xFF0000;
    DrawMarker();
    EXPECT_EQ(FillColour(), 0x7F336699u);

    canvas_.Clear();
    FixedColourTable table(0x112233);
    info_.colorTable = &table;
    DrawMarker();
    EXPECT_EQ(FillColour(), 0x7F332211u);
    EXPECT_EQ(table.Asked(), std::vector<uint32_t>{0x336699u});
}

// ---- input ----

TEST_F(CharMarkerTest, RejectedInputIsReportedAndDrawsNothing) {
    Draw(&marker_, {kAnchor, kAnchor});
    EXPECT_EQ(Logged("Input Error"), 1u);

    marker_.SetCharacterCode(32);
    DrawMarker();
    marker_.SetCharacterCode(256);
    DrawMarker();
    EXPECT_EQ(Logged("sz_char[0]<33 || sz_char[0]>255"), 2u);

    marker_.SetCharacterCode('H');
    marker_.SetFontSize(0.00005);
    DrawMarker();
    EXPECT_EQ(Logged("d_fontsize==0"), 1u);

    marker_.SetFontSize(3);
    marker_.SetFontName("");
    DrawMarker();
    EXPECT_EQ(Logged("sz_font== "), 1u);

    marker_.SetFontName("No Such Family Anywhere");
    DrawMarker();
    EXPECT_EQ(Logged("font [No Such Family Anywhere] is not installed"), 1u);
    EXPECT_TRUE(Ops().empty());

    marker_.SetFontName("DejaVu Sans");
    marker_.SetCharacterCode(33);
    DrawMarker();
    EXPECT_EQ(Ops().size(), 1u);
}

// ---- code pages and symbol fonts ----

class CharMarkerCodePageTest : public CharMarkerTest {
protected:
    // The glyph the marker draws is the glyph of `code` in the font, scaled: compare shapes by
    // their number of outline points.
    size_t DrawnPoints() { return Ops().empty() ? 0 : Ops().back().device.Points().size(); }
    size_t GlyphPoints(char32_t code, const std::string& family = "DejaVu Sans") {
        const Pictor::Font font(family, 3 * kScale);
        Pictor::GraphicsPath path;
        path.AddCharacterFont(code, &font, {0, 0});
        return path.Points().size();
    }
};

// Needs the test's own symbol font, which only the environment ctest sets up provides. The skip
// sits in SetUp, where it ends the test; inside a helper it would only end the helper.
class CharMarkerSymbolFontTest : public CharMarkerCodePageTest {
protected:
    void SetUp() override {
        CharMarkerCodePageTest::SetUp();
        if (!Pictor::Font::IsFamilyAvailable(kSymbolFont)) {
            GTEST_SKIP() << "the test font is known only to tests run through ctest";
        }
    }
};

TEST_F(CharMarkerCodePageTest, Windows1252IsTheDefault) {
    marker_.SetCharacterCode(0x80);  // the euro sign in Windows-1252
    DrawMarker();
    EXPECT_EQ(DrawnPoints(), GlyphPoints(U'€'));

    canvas_.Clear();
    properties_.Set("SYMBOL2_CODEPAGE", "cp1252");
    marker_.SetCharacterCode(0xE9);
    DrawMarker();
    EXPECT_EQ(DrawnPoints(), GlyphPoints(U'é'));
}

TEST_F(CharMarkerCodePageTest, GbkBytesAboveTheEuroAreNoCharactersInATextFont) {
    properties_.Set("SYMBOL2_CODEPAGE", "GBK");
    marker_.SetCharacterCode(0x80);
    DrawMarker();
    EXPECT_EQ(DrawnPoints(), GlyphPoints(U'€'));

    canvas_.Clear();
    marker_.SetCharacterCode(0xB0);  // a lead byte of a two-byte character
    DrawMarker();
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Entries().size(), 1u);
}

TEST_F(CharMarkerCodePageTest, UnknownCodePageIsReportedAndReadAs1252) {
    properties_.Set("SYMBOL2_CODEPAGE", "ebcdic");
    marker_.SetCharacterCode(0xE9);
    DrawMarker();
    EXPECT_EQ(DrawnPoints(), GlyphPoints(U'é'));
    EXPECT_EQ(Logged("unknown code page [ebcdic] in SYMBOL2_CODEPAGE, read as 1252"), 1u);
}

TEST_F(CharMarkerSymbolFontTest, SymbolFontsReachTheirPrivateUseGlyphs) {
    marker_.SetFontName(kSymbolFont);
    const struct {
        int32_t code;
        const char* codePage;
        char32_t glyph;
    } cases[] = {
        {0x41, "1252", 0xF041},  // a character the font answers for through its symbol map
        {0x80, "1252", 0xF080},  // the euro sign, which the font has not: its symbol code
        {0xB0, "GBK", 0xF0B0},   // no character on its own in GBK: the symbol code
    };
    for (const auto& c : cases) {
        canvas_.Clear();
        properties_.Set("SYMBOL2_CODEPAGE", c.codePage);
        marker_.SetCharacterCode(c.code);
        DrawMarker();
        EXPECT_EQ(DrawnPoints(), GlyphPoints(c.glyph, kSymbolFont)) << c.code;
        EXPECT_GT(DrawnPoints(), 0u);
    }
    // The three test glyphs differ in their number of corners.
    EXPECT_NE(GlyphPoints(0xF041, kSymbolFont), GlyphPoints(0xF080, kSymbolFont));
    EXPECT_TRUE(capture_.log().Entries().empty());
}

}  // namespace
