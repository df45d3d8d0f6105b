// Text symbols through SymbolizeText and text boxes through Symbolize, onto a recording canvas.
// Fonts are pinned to DejaVu; CJK comes from the WenQuanYi Zen Hei fallback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contracts/pictor/font.h"
#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/text_symbols.h"
#include "pictor/cairo_canvas.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using Pictor::RectD;

constexpr double kNear = 1e-6;
// Layout box of every text test: 80 x 40 units at (10, 20).
constexpr TextBox kBox{10, 90, 20, 60};
const PointD kAnchor{20, 30};

using symbolize_test::Bounds;
using symbolize_test::BrushColour;

class TextTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        text_.SetText("Hamburg");
        text_.SetFontName("DejaVu Sans");
        text_.SetFontSize(2);  // 8 units at scale 4
        text_.SetColor(0x224466);
    }
    void DrawText(IGIS_Symbol* symbol, const TextBox& box = kBox) {
        GIS_GetSymbolizeObject()->SymbolizeText(symbol, &info_, &box);
    }
    RectD Ink() {
        EXPECT_EQ(Ops().size(), 1u);
        return Ops().empty() ? RectD() : Bounds(Ops().back().device);
    }
    size_t Logged(const std::string& message) { return capture_.log().Count(message); }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::TextSymbol text_;
};

// ---- the text symbol ----

TEST_F(TextTest, InkSitsAgainstTheAlignedEdgeInsideTheMargins) {
    text_.SetMargins({1, 2, 1.5, 0});  // 4, 8 and 6 units
    text_.SetAlignment(TextAlignLeft);
    DrawText(&text_);
    RectD ink = Ink();
    EXPECT_NEAR(ink.x, 10 + 4, 1e-3);
    EXPECT_NEAR(ink.y, 20 + 8, 1e-3);  // the ink's top, not the line box's

    canvas_.Clear();
    text_.SetAlignment(TextAlignRight);
    DrawText(&text_);
    ink = Ink();
    EXPECT_NEAR(ink.x + ink.width, 90 - 6, 1e-3);

    canvas_.Clear();
    text_.SetAlignment(TextAlignCentre);
    DrawText(&text_);
    ink = Ink();
    EXPECT_NEAR(ink.x + ink.width / 2, (14 + 84) / 2.0, 1e-3);
    EXPECT_EQ(Ops().back().kind, OpKind::FillPath);
    EXPECT_EQ(Ops().back().tag, 0);
}

TEST_F(TextTest, ColourTakesRoundedAlphaOrTheWholeOverrideValue) {
    text_.SetTransparency(50);
    symbolize_test::FixedColourTable table(0x0000FF);
    info_.colorTable = &table;  // not applied to text
    DrawText(&text_);
    EXPECT_EQ(BrushColour(Ops().back()), 0x80224466u);
    EXPECT_TRUE(table.Asked().empty());

    canvas_.Clear();
    info_.overrideColor = true;
    info_.color = 0x40AA0000;
    DrawText(&text_);
    EXPECT_EQ(BrushColour(Ops().back()), 0x40AA0000u);
}

TEST_F(TextTest, RefusalsDrawNothingAndOnlyTheNamedOnesLog) {
    symbolhost::TextBoxSymbol notText;
    DrawText(&notText);
    EXPECT_EQ(Logged("pSymbolText->GetType() is 18"), 1u);
    const auto& entry = capture_.log().Entries().front();
    EXPECT_EQ(entry.level, LogLevelError);
    EXPECT_EQ(entry.function, "CGIS_Symbol2TextSymbolize::Symbolize");
    EXPECT_EQ(entry.file, "cgis_symbol2textsymbolilze");

    GIS_GetSymbolizeObject()->SymbolizeText(&text_, &info_, nullptr);
    EXPECT_EQ(Logged("!pSymbolizeInfo || !pPoints || iPointCount != 1"), 1u);

    text_.SetMargins({15, 0, 6, 0});  // 60 + 24 units of an 80-unit box
    DrawText(&text_);
    text_.SetMargins({0, 0, 0, 0});
    text_.SetText("");
    DrawText(&text_);
    text_.SetText("   ");  // no ink
    DrawText(&text_);
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Entries().size(), 2u);

    text_.SetText(std::string(20000, 'x'));
    DrawText(&text_);
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(capture_.log().Entries().size(), 3u);
    EXPECT_EQ(capture_.log().Entries().back().level, LogLevelError);
}

TEST_F(TextTest, UnknownFamilyFallsBackToSimSunAtTheSameSize) {
    text_.SetFontName("No Such Family 42");
    DrawText(&text_);
    const RectD fallback = Ink();
    canvas_.Clear();
    text_.SetFontName("宋体");
    DrawText(&text_);
    const RectD simsun = Ink();
    EXPECT_NEAR(fallback.width, simsun.width, kNear);
    EXPECT_NEAR(fallback.height, simsun.height, kNear);
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(TextTest, StyleAndLineSpacingReachTheLayout) {
    // Font size 4 mm and gap 2 mm: lines 1.5 times apart, as the layer lays them out itself.
    text_.SetText("Ab\nCd");
    text_.SetFontSize(4);
    text_.SetLineGap(2);
    text_.SetFontStyle(TextStyleBold | TextStyleItalic);
    DrawText(&text_);
    Pictor::Font font("DejaVu Sans", 16);
    font.SetBold(true);
    font.SetItalic(true);
    font.SetLineSpacing(1.5);
    Pictor::GraphicsPath expected;
    const Pictor::StringFormat format(Pictor::StringAlignmentCenter);
    expected.AddStringFont("Ab\nCd", &font, RectD(10, 20, 80, 40), &format);
    EXPECT_NEAR(Ink().height, Bounds(expected).height, 1e-4);
    EXPECT_NEAR(Ink().width, Bounds(expected).width, 1e-4);
}

TEST_F(TextTest, TurnsAboutTheBoxCentreAndMirrorsOnUpwardAxes) {
    text_.SetAlignment(TextAlignLeft);
    DrawText(&text_);
    const RectD flat = Ink();
    canvas_.Clear();
    text_.SetAngle(90);
    DrawText(&text_);
    const RectD turned = Ink();
    // A quarter turn about (50, 40) maps (x, y) to (90 - y, x - 10).
    EXPECT_NEAR(turned.x, 90 - (flat.y + flat.height), 1e-3);
    EXPECT_NEAR(turned.y, flat.x - 10, 1e-3);

    canvas_.Clear();
    info_.yUp = true;
    text_.SetAngle(0);
    DrawText(&text_);
    const RectD mirrored = Ink();
    // Mirrored across the layout box's centre line y = 40: the ink now touches its bottom.
    EXPECT_NEAR(mirrored.y + mirrored.height, 60, 1e-3);
    EXPECT_NEAR(mirrored.x, flat.x, 1e-3);
}

TEST_F(TextTest, TextsComeFromTheLibraryCodePage) {
    // Host and library agree on the code page; the library's conversion must give back the text.
    const auto draws = [&](const std::string& utf8) {
        canvas_.Clear();
        text_.SetText(utf8);
        DrawText(&text_);
        const Pictor::Font font("DejaVu Sans", 8);
        Pictor::GraphicsPath expected;
        const Pictor::StringFormat format(Pictor::StringAlignmentCenter);
        expected.AddStringFont(utf8, &font, RectD(10, 20, 80, 40), &format);
        return std::abs(Ink().width - Bounds(expected).width) < 1e-4 && expected.GetPointCount() > 0;
    };
    EXPECT_TRUE(draws("Café €5"));  // Windows-1252 by default
    properties_.Set(kPropertyCodePage, "GBK");
    EXPECT_TRUE(draws("北京 Peking"));  // CJK through the fallback family
    EXPECT_EQ(std::string(text_.GetText()), "\xB1\xB1\xBE\xA9 Peking");
}

// Raster: a Chinese name in a Latin family shows through the CJK fallback, two glyphs of about an
// em each, where the text's code page lacking the characters would show two narrow "?".
TEST_F(TextTest, ChineseInALatinFamilyIsDrawnByTheFallbackFont) {
    const auto inkedColumns = [&](const char* page) {
        properties_.Set(kPropertyCodePage, page);
        Pictor::RasterCanvas raster(200, 60, Pictor::Color(0xFFFFFFFF));
        Pictor::Graphics g(&raster);
        SymbolizeInfo info = info_;
        info.graphics = &g;
        text_.SetText("北京");
        text_.SetFontSize(10);  // 40 units
        const TextBox box{0, 200, 5, 60};
        GIS_GetSymbolizeObject()->SymbolizeText(&text_, &info, &box);
        int columns = 0;
        for (int x = 0; x < 200; ++x) {
            for (int y = 0; y < 60; ++y) {
                if (raster.GetPixel(x, y).GetR() < 128) {
                    ++columns;
                    break;
                }
            }
        }
        return columns;
    };
    EXPECT_GT(inkedColumns("GBK"), 64);  // two glyphs nearly an em wide each
    EXPECT_LT(inkedColumns("1252"), 48);
}

// ---- the text box ----

class TextBoxTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        box_.SetText("Harbour");
        box_.SetBoxSize(20, 5);  // 80 x 20 units inside 1 mm (4 unit) margins
        box_.SetFillColor(0xFFEECC);
        box_.SetFrameColor(0x112233);
        box_.SetColor(0x000080);
    }
    void DrawBox() { Draw(&box_, {kAnchor}); }
    RectD TextInk() {
        EXPECT_EQ(Ops().size(), 3u);  // fill, frame, text
        return Ops().size() == 3 ? Bounds(Ops()[2].device) : RectD();
    }
    symbolhost::TextBoxSymbol box_;
};

TEST_F(TextBoxTest, BoxIsFilledAndFramedWithRoundedAlphasAndDashes) {
    box_.SetFillTransparency(50);
    box_.SetFrameTransparency(50);
    box_.SetFrameWidth(0.5);
    box_.SetFrameDashStyle(3);
    DrawBox();
    ASSERT_EQ(Ops().size(), 3u);
    EXPECT_EQ(Ops()[0].kind, OpKind::FillPath);
    EXPECT_EQ(BrushColour(Ops()[0]), 0x80FFEECCu);
    const RectD box = Bounds(Ops()[0].device);
    EXPECT_NEAR(box.x, 20, kNear);
    EXPECT_NEAR(box.y, 30, kNear);
    EXPECT_NEAR(box.width, 88, kNear);
    EXPECT_NEAR(box.height, 28, kNear);
    EXPECT_EQ(Ops()[1].kind, OpKind::DrawPath);
    EXPECT_EQ(Ops()[1].pen->GetColor().GetValue(), 0x80112233u);
    EXPECT_NEAR(Ops()[1].pen->GetWidth(), 2, kNear);
    EXPECT_EQ(Ops()[1].pen->GetDashStyle(), Pictor::DashStyleDashDot);
    EXPECT_EQ(BrushColour(Ops()[2]), 0xFF000080u);
}

TEST_F(TextBoxTest, OneLineSpansTheInnerAreaExactly) {
    DrawBox();
    RectD ink = TextInk();
    EXPECT_NEAR(ink.x, 24, 1e-6);
    EXPECT_NEAR(ink.y, 34, 1e-6);
    EXPECT_NEAR(ink.width, 80, 1e-6);
    EXPECT_NEAR(ink.height, 20, 1e-6);

    canvas_.Clear();
    box_.SetKeepAspect(true);
    box_.SetStretch(2, 1);  // about the anchor
    DrawBox();
    ink = TextInk();
    EXPECT_NEAR(ink.height, 20, 1e-6);
    EXPECT_NEAR(ink.x, 20 + 2 * 4, 1e-6);
}

TEST_F(TextBoxTest, LinesBreakAtLfKeepingEveryLetterAndBlankLinesKeepTheirPlace) {
    // Bare LF and CR LF alike; the line of blanks holds its height (none) and its gap.
    box_.SetText("AB\n   \r\nAB\r\n");
    box_.SetLineGap(1);
    box_.SetKeepAspect(true);
    DrawBox();
    const RectD both = TextInk();
    EXPECT_NEAR(both.y, 34, 1e-6);
    EXPECT_NEAR(both.y + both.height, 34 + 20, 1e-6);  // no extra line after the last CR LF

    // Two equal lines of 6 units with two gaps of 4 fill the 20 units.
    Pictor::GraphicsPath first;
    const auto& points = Ops()[2].device.Points();
    for (const PointD& p : points) {
        if (p.y < 40.5) first.AppendRaw(p, 1);
    }
    EXPECT_NEAR(Bounds(first).height, 6, 1e-6);

    // A bare LF breaks the same line as CR LF: the first line keeps its B.
    canvas_.Clear();
    box_.SetText("AB\r\nA");
    DrawBox();
    const RectD crlf = TextInk();
    canvas_.Clear();
    box_.SetText("AB\nA");
    DrawBox();
    EXPECT_NEAR(TextInk().width, crlf.width, 1e-6);
    EXPECT_NEAR(TextInk().height, crlf.height, 1e-6);
}

TEST_F(TextBoxTest, TextThatCannotBeFittedLeavesTheBoxEmpty) {
    box_.SetText("A\r\nB\r\nC");
    box_.SetLineGap(3);  // two gaps of 3 mm in a box 5 mm high
    DrawBox();
    EXPECT_EQ(Ops().size(), 2u);

    canvas_.Clear();
    box_.SetText("    ");  // no ink to scale
    DrawBox();
    EXPECT_EQ(Ops().size(), 2u);

    canvas_.Clear();
    box_.SetBoxSize(-1, 5);
    DrawBox();
    Draw(&box_, {kAnchor, kAnchor});
    EXPECT_TRUE(Ops().empty());
}

TEST_F(TextBoxTest, TurnsWithItsBoxAndReadsUprightOnUpwardAxes) {
    box_.SetDrawFill(false);
    box_.SetDrawFrame(false);
    DrawBox();
    const RectD flat = Bounds(Ops().back().device);
    canvas_.Clear();
    info_.yUp = true;
    box_.SetAngle(30);
    DrawBox();
    const Pictor::RecordedOp upTurned = Ops().back();
    canvas_.Clear();
    box_.SetAngle(0);
    DrawBox();
    // Mirrored within the box (centre line y = 30 + 14): first line on top once the axis points up.
    const RectD up = Bounds(Ops().back().device);
    EXPECT_NEAR(up.y, 2 * 44 - (flat.y + flat.height), 1e-6);
    // The text turns by the same (negated) angle as the box: turning it back gives the flat text.
    Pictor::GraphicsPath back = upTurned.device;
    Pictor::Matrix undo;
    undo.RotateAt(30, kAnchor);
    back.Transform(&undo);
    EXPECT_NEAR(Bounds(back).x, up.x, 1e-6);
    EXPECT_NEAR(Bounds(back).y, up.y, 1e-6);
}

}  // namespace
