// Text outlines and fonts. Tests pin "DejaVu Sans" (fonts-dejavu-core) and "WenQuanYi Zen Hei"
// (fonts-wqy-zenhei); the distances they check are fractions of the em, not exact metrics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "contracts/pictor/font.h"
#include "contracts/pictor/path.h"

namespace Pictor {
namespace {

constexpr char kLatin[] = "DejaVu Sans";
constexpr char kCjkText[] = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
constexpr double kSize = 40.0;
// Ink of a glyph stays this close to its line box edge (side bearings are under 0.15 em in
// DejaVu Sans); used where the exact bearing is the font's business.
constexpr double kBearing = 0.15 * kSize;
// Outlines are scaled from one layout, so sizes and offsets agree to rounding.
constexpr double kExact = 1e-9;
// Two ways of placing the same glyph (from cached outlines, or by Pango's renderer for decorated
// lines and missing glyphs) agree to Cairo's fixed-point step, far below this.
constexpr double kSamePlace = 1e-3 * kSize;

RectD Bounds(const GraphicsPath& path) {
    RectD r;
    EXPECT_EQ(path.GetBounds(&r), Ok);
    return r;
}

// Bounds of each figure, in order.
std::vector<RectD> FigureBounds(const GraphicsPath& path) {
    std::vector<RectD> figures;
    GraphicsPath figure;
    for (size_t i = 0; i < path.Points().size(); ++i) {
        if ((path.Types()[i] & PathPointTypeMask) == PathPointStart && !figure.IsEmpty()) {
            figures.push_back(Bounds(figure));
            figure.Reset();
        }
        figure.AppendRaw(path.Points()[i], path.Types()[i]);
    }
    if (!figure.IsEmpty()) figures.push_back(Bounds(figure));
    return figures;
}

// `path` begins with the points of `expected`, within kSamePlace.
void ExpectSameStart(const GraphicsPath& path, const GraphicsPath& expected) {
    ASSERT_GE(path.Points().size(), expected.Points().size());
    for (size_t i = 0; i < expected.Points().size(); ++i) {
        EXPECT_NEAR(path.Points()[i].x, expected.Points()[i].x, kSamePlace) << "point " << i;
        EXPECT_NEAR(path.Points()[i].y, expected.Points()[i].y, kSamePlace) << "point " << i;
        EXPECT_EQ(path.Types()[i], expected.Types()[i]) << "point " << i;
    }
}

GraphicsPath TextAt(std::string_view text, const Font& font, PointD origin = {}, bool atTop = true) {
    GraphicsPath path;
    EXPECT_EQ(path.AddStringFont(text, &font, &origin, atTop), Ok);
    return path;
}

GraphicsPath TextIn(std::string_view text, const Font& font, const RectD& rect, int alignment) {
    GraphicsPath path;
    const StringFormat format(alignment);
    EXPECT_EQ(path.AddStringFont(text, &font, rect, &format), Ok);
    return path;
}

class TextLayoutTest : public ::testing::Test {
protected:
    Font font_{kLatin, kSize};
    RectD rect_{10.0, 20.0, 600.0, 200.0};
};

TEST_F(TextLayoutTest, AlignmentPutsInkAgainstTheChosenEdge) {
    const RectD near = Bounds(TextIn("Hello", font_, rect_, StringAlignmentNear));
    EXPECT_GE(near.x, rect_.x);
    EXPECT_LT(near.x, rect_.x + kBearing);
    // First line box at the top: ink starts below it, within the space above the capitals.
    EXPECT_GT(near.y, rect_.y);
    EXPECT_LT(near.y, rect_.y + 0.4 * kSize);

    const RectD far = Bounds(TextIn("Hello", font_, rect_, StringAlignmentFar));
    EXPECT_LE(far.GetRight(), rect_.GetRight());
    EXPECT_GT(far.GetRight(), rect_.GetRight() - kBearing);

    const RectD centre = Bounds(TextIn("Hello", font_, rect_, StringAlignmentCenter));
    EXPECT_NEAR(centre.x + centre.width / 2, rect_.x + rect_.width / 2, kBearing / 2);
    EXPECT_NEAR(centre.width, near.width, kExact);
}

TEST_F(TextLayoutTest, ZeroWidthHangsTheTextFromTheLeftEdge) {
    const RectD point{100.0, 50.0, 0.0, 0.0};
    const RectD near = Bounds(TextIn("Hello world", font_, point, StringAlignmentNear));
    const RectD centre = Bounds(TextIn("Hello world", font_, point, StringAlignmentCenter));
    const RectD far = Bounds(TextIn("Hello world", font_, point, StringAlignmentFar));
    EXPECT_NEAR(near.x, point.x, kBearing);
    EXPECT_NEAR(centre.x + centre.width / 2, point.x, kBearing / 2);
    EXPECT_NEAR(far.GetRight(), point.x, kBearing);
    // One line, as in a rectangle wide enough for it.
    EXPECT_NEAR(near.height, Bounds(TextIn("Hello world", font_, {0, 0, 1e6, 0}, StringAlignmentNear)).height,
                kExact);
}

TEST_F(TextLayoutTest, WrapsAtWordBoundariesToTheWidth) {
    const std::string text = "one two three four five six";
    const RectD single = Bounds(TextIn(text, font_, rect_, StringAlignmentNear));
    const RectD narrow{rect_.x, rect_.y, 5.0 * kSize, rect_.height};
    const RectD wrapped = Bounds(TextIn(text, font_, narrow, StringAlignmentNear));
    EXPECT_LE(wrapped.width, narrow.width);
    EXPECT_GT(wrapped.height, 2.5 * single.height);  // at least three lines
    // Every word is still there: the same glyph figures, only placed differently.
    EXPECT_EQ(TextIn(text, font_, narrow, 0).GetPointCount(), TextIn(text, font_, rect_, 0).GetPointCount());
}

TEST_F(TextLayoutTest, LineBreaksAreLfOrCrLf) {
    const GraphicsPath lf = TextIn("AB\nCD", font_, rect_, StringAlignmentNear);
    EXPECT_EQ(TextIn("AB\r\nCD", font_, rect_, StringAlignmentNear), lf);
    EXPECT_GT(Bounds(lf).height, 1.5 * Bounds(TextIn("AB", font_, rect_, 0)).height);
}

TEST_F(TextLayoutTest, LineSpacingFactorScalesTheLinePitch) {
    // "H" sits on the baseline, so two lines of it are one pitch plus one capital high.
    const double capital = Bounds(TextAt("H", font_)).height;
    const double pitch = Bounds(TextAt("H\nH", font_)).height - capital;
    Font doubled(kLatin, kSize);
    ASSERT_EQ(doubled.SetLineSpacing(2.0), Ok);
    EXPECT_NEAR(Bounds(TextAt("H\nH", doubled)).height - capital, 2.0 * pitch, 1e-6);
    EXPECT_GT(pitch, kSize);  // a line is taller than the em

    EXPECT_EQ(doubled.SetLineSpacing(0.0), InvalidParameter);
    EXPECT_EQ(doubled.SetLineSpacing(std::nan("")), InvalidParameter);
    EXPECT_EQ(doubled.GetLineSpacing(), 2.0);
}

TEST_F(TextLayoutTest, UnderlineAndStrikeOutAddBars) {
    // Baseline at y = 0, y grows downwards.
    const size_t plain = FigureBounds(TextAt("x", font_, {}, false)).size();
    const Font underlined(kLatin, kSize, FontStyleUnderline);
    const std::vector<RectD> under = FigureBounds(TextAt("x", underlined, {}, false));
    ASSERT_EQ(under.size(), plain + 1);
    EXPECT_GT(under.back().y, 0.0);
    EXPECT_LT(under.back().GetBottom(), 0.25 * kSize);

    const Font struck(kLatin, kSize, FontStyleStrikeout);
    const std::vector<RectD> strike = FigureBounds(TextAt("x", struck, {}, false));
    ASSERT_EQ(strike.size(), plain + 1);
    const double xHeight = -Bounds(TextAt("x", font_, {}, false)).y;
    EXPECT_LT(strike.back().GetBottom(), 0.0);
    EXPECT_GT(strike.back().y, -xHeight);

    // Decorated lines are drawn by Pango's renderer; their glyphs sit where plain glyphs do.
    const GraphicsPath undecorated = TextAt("Hxg", font_, {3, 4}, false);
    ExpectSameStart(TextAt("Hxg", underlined, {3, 4}, false), undecorated);
}

TEST_F(TextLayoutTest, GlyphsNoFontHasShowAsBoxes) {
    // U+10FFFD is a private-use code point that no installed font covers.
    const GraphicsPath boxed = TextAt("A\xF4\x8F\xBF\xBD", font_);
    const std::vector<RectD> letter = FigureBounds(TextAt("A", font_));
    const std::vector<RectD> figures = FigureBounds(boxed);
    EXPECT_GT(figures.size(), letter.size() + 1);
    EXPECT_GT(Bounds(boxed).width, Bounds(TextAt("A", font_)).width + 0.3 * kSize);
    // Such lines are drawn by Pango's renderer; the letter still sits where it would alone.
    for (const RectD& expected : letter) {
        const bool found = std::any_of(figures.begin(), figures.end(), [&](const RectD& r) {
            return std::fabs(r.x - expected.x) < kSamePlace && std::fabs(r.y - expected.y) < kSamePlace &&
                   std::fabs(r.width - expected.width) < kSamePlace;
        });
        EXPECT_TRUE(found);
    }
}

TEST_F(TextLayoutTest, StyleBitsSelectBoldAndItalicFaces) {
    const double regular = Bounds(TextAt("Hello", font_)).width;
    EXPECT_GT(Bounds(TextAt("Hello", Font(kLatin, kSize, FontStyleBold))).width, regular * 1.05);
    EXPECT_NE(TextAt("l", Font(kLatin, kSize, FontStyleItalic)), TextAt("l", font_));
}

TEST_F(TextLayoutTest, OutlinesScaleWithTheSize) {
    const GraphicsPath small = TextAt("Hg", Font(kLatin, 10.0));
    const GraphicsPath large = TextAt("Hg", Font(kLatin, 20.0));
    ASSERT_EQ(small.GetPointCount(), large.GetPointCount());
    ASSERT_GT(small.GetPointCount(), 0);
    for (size_t i = 0; i < small.Points().size(); ++i) {
        EXPECT_NEAR(large.Points()[i].x, 2.0 * small.Points()[i].x, kExact);
        EXPECT_NEAR(large.Points()[i].y, 2.0 * small.Points()[i].y, kExact);
    }
    EXPECT_EQ(large.Types(), small.Types());
}

TEST_F(TextLayoutTest, EveryFigureIsClosedAndCurvesStayCurves) {
    GraphicsPath path(FillModeWinding);
    const PointD origin{5, 5};
    ASSERT_EQ(path.AddCharacterFont(U'g', &font_, origin), Ok);
    const StringFormat format;
    ASSERT_EQ(path.AddStringFont(std::string("Og") + kCjkText, &font_, rect_, &format), Ok);
    EXPECT_EQ(path.GetFillMode(), FillModeWinding);  // the caller's fill mode stays
    int beziers = 0;
    const auto& types = path.Types();
    ASSERT_EQ(types.front(), PathPointStart);
    for (size_t i = 0; i < types.size(); ++i) {
        const bool last = i + 1 == types.size() || (types[i + 1] & PathPointTypeMask) == PathPointStart;
        EXPECT_EQ((types[i] & PathPointClose) != 0, last) << "point " << i;
        beziers += (types[i] & PathPointTypeMask) == PathPointBezier;
    }
    EXPECT_EQ(beziers % 3, 0);
    EXPECT_GT(beziers, 0);
}

TEST_F(TextLayoutTest, RepeatedCharactersLayOutAsTheFirstTimeAtAnySize) {
    // A character laid out before is taken from this thread's cache: the same outline, at any size.
    for (const double size : {kSize, 0.5 * kSize, kSize}) {
        const Font font(kLatin, size);
        for (const PointD origin : {PointD{0, 0}, PointD{7.25, -3}}) {
            GraphicsPath path;
            ASSERT_EQ(path.AddCharacterFont(U'Q', &font, origin), Ok);
            EXPECT_EQ(path, TextAt("Q", font, origin, true)) << size;
        }
    }
}

TEST_F(TextLayoutTest, HasGlyphAnswersForTheFamilyItselfOnly) {
    EXPECT_TRUE(font_.HasGlyph(U'A'));
    EXPECT_FALSE(font_.HasGlyph(0xF041));  // a symbol font's private-use code
    EXPECT_FALSE(Font("No Such Family Anywhere", kSize).HasGlyph(U'A'));
}

class TextOriginTest : public TextLayoutTest {};

TEST_F(TextOriginTest, TopAndBaselineOriginsDifferByTheAscent) {
    const RectD top = Bounds(TextAt("H", font_, {0, 0}, true));
    const RectD base = Bounds(TextAt("H", font_, {0, 0}, false));
    EXPECT_NEAR(base.GetBottom(), 0.0, 1e-3 * kSize);  // "H" stands on the baseline
    const double ascent = top.y - base.y;
    EXPECT_GT(ascent, 0.7 * kSize);
    EXPECT_LT(ascent, 1.2 * kSize);
    EXPECT_NEAR(top.x, base.x, kExact);
}

TEST_F(TextOriginTest, OriginAdvancesSoCallsContinueALine) {
    GraphicsPath pieces;
    PointD origin{3, 4};
    ASSERT_EQ(pieces.AddStringFont("Hel", &font_, &origin, true), Ok);
    const double afterFirst = origin.x;
    ASSERT_EQ(pieces.AddStringFont("lo", &font_, &origin, true), Ok);
    EXPECT_GT(afterFirst, 3.0 + Bounds(TextAt("Hel", font_)).width * 0.9);

    const GraphicsPath whole = TextAt("Hello", font_, {3, 4});
    const RectD a = Bounds(pieces), b = Bounds(whole);
    EXPECT_NEAR(a.x, b.x, 1e-6);
    EXPECT_NEAR(a.GetRight(), b.GetRight(), 1e-6);

    // With several lines the advance is the last line's width.
    GraphicsPath scratch;
    PointD twoLines{0, 0}, lastOnly{0, 0};
    ASSERT_EQ(scratch.AddStringFont("a much longer line\nab", &font_, &twoLines, true), Ok);
    ASSERT_EQ(scratch.AddStringFont("ab", &font_, &lastOnly, true), Ok);
    EXPECT_NEAR(twoLines.x, lastOnly.x, kExact);
}

TEST_F(TextOriginTest, CharacterCodeAddsOneGlyph) {
    GraphicsPath path;
    ASSERT_EQ(path.AddCharacterFont(U'A', &font_, {2, 3}), Ok);
    EXPECT_EQ(path, TextAt("A", font_, {2, 3}, true));
    GraphicsPath cjk;
    ASSERT_EQ(cjk.AddCharacterFont(U'\u4E2D', &font_, {0, 0}), Ok);
    EXPECT_GT(Bounds(cjk).width, 0.5 * kSize);

    GraphicsPath rejected;
    EXPECT_EQ(rejected.AddCharacterFont(0xD800, &font_, {0, 0}), InvalidParameter);
    EXPECT_EQ(rejected.AddCharacterFont(0xDFFF, &font_, {0, 0}), InvalidParameter);
    EXPECT_EQ(rejected.AddCharacterFont(0x110000, &font_, {0, 0}), InvalidParameter);
    EXPECT_EQ(rejected.AddCharacterFont(U'A', nullptr, {0, 0}), InvalidParameter);
    EXPECT_TRUE(rejected.IsEmpty());
}

class FontFamilyTest : public ::testing::Test {};

TEST_F(FontFamilyTest, UnknownFamilyIsNotSilentlySubstituted) {
    EXPECT_TRUE(Font::IsFamilyAvailable(kLatin));
    EXPECT_TRUE(Font::IsFamilyAvailable("dejavu sans"));
    EXPECT_TRUE(Font::IsFamilyAvailable("sans-serif"));
    EXPECT_FALSE(Font::IsFamilyAvailable("No Such Family Xq"));
    EXPECT_FALSE(Font::IsFamilyAvailable(""));

    const Font missing("No Such Family Xq", kSize);
    EXPECT_EQ(missing.GetLastStatus(), FontFamilyNotFound);
    GraphicsPath path;
    PointD origin{0, 0};
    EXPECT_EQ(path.AddStringFont("valid", &missing, &origin, true), FontFamilyNotFound);
    EXPECT_EQ(origin.x, 0.0);
    const StringFormat format;
    EXPECT_EQ(path.AddStringFont("valid", &missing, RectD(0, 0, 100, 100), &format), FontFamilyNotFound);
    const RectD bounds = Bounds(path);
    EXPECT_EQ(bounds.width, -1.0);
    EXPECT_EQ(bounds.height, -1.0);
}

TEST_F(FontFamilyTest, SongTiNamesMapToTheInstalledCjkFamily) {
    const Font zenHei("WenQuanYi Zen Hei", kSize);
    for (const char* name : {"\xE5\xAE\x8B\xE4\xBD\x93" /* 宋体 */, "SimSun", "NSimSun"}) {
        const Font mapped(name, kSize);
        ASSERT_EQ(mapped.GetLastStatus(), Ok) << name;
        const GraphicsPath path = TextAt(kCjkText, mapped);
        EXPECT_GT(Bounds(path).width, 1.5 * kSize) << name;
        EXPECT_EQ(path, TextAt(kCjkText, zenHei)) << name;
    }
}

TEST_F(FontFamilyTest, MissingGlyphsComeFromFallbackFonts) {
    const Font latin(kLatin, kSize);
    const RectD ink = Bounds(TextAt(kCjkText, latin));
    EXPECT_GT(ink.width, 1.5 * kSize);
    EXPECT_GT(ink.height, 0.5 * kSize);
}

TEST_F(FontFamilyTest, ThreadsGetTheSameOutlines) {
    const Font font(kLatin, kSize);
    const GraphicsPath expected = TextAt("Thread text", font);
    std::vector<GraphicsPath> results(2);
    std::vector<std::thread> threads;
    for (GraphicsPath& result : results) {
        threads.emplace_back([&font, &result] {
            PointD origin{0, 0};
            result.AddStringFont("Thread text", &font, &origin, true);
        });
    }
    for (std::thread& t : threads) t.join();
    for (const GraphicsPath& result : results) EXPECT_EQ(result, expected);
}

class TextInputTest : public ::testing::Test {
protected:
    Font font_{kLatin, kSize};
    StringFormat format_;
    GraphicsPath path_;
    PointD origin_{0, 0};
};

TEST_F(TextInputTest, BadFontsAreRejected) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double size : {nan, inf, 0.0, -5.0}) {
        const Font bad(kLatin, size);
        EXPECT_EQ(bad.GetLastStatus(), InvalidParameter) << size;
        EXPECT_EQ(path_.AddStringFont("A", &bad, &origin_, true), InvalidParameter);
    }
    EXPECT_EQ(Font(kLatin, kSize, FontStyleRegular, 3).GetLastStatus(), InvalidParameter);
    EXPECT_TRUE(path_.IsEmpty());
}

TEST_F(TextInputTest, BadArgumentsAddNothing) {
    EXPECT_EQ(path_.AddStringFont("A", nullptr, &origin_, true), InvalidParameter);
    EXPECT_EQ(path_.AddStringFont("A", &font_, nullptr, true), InvalidParameter);
    EXPECT_EQ(path_.AddStringFont("A", &font_, RectD(0, 0, 10, 10), nullptr), InvalidParameter);
    EXPECT_EQ(path_.AddStringFont("A", &font_, RectD(std::nan(""), 0, 10, 10), &format_), InvalidParameter);
    PointD nanOrigin{0, std::nan("")};
    EXPECT_EQ(path_.AddStringFont("A", &font_, &nanOrigin, true), InvalidParameter);
    EXPECT_EQ(path_.AddStringFont(std::string(kMaxTextBytes + 1, 'a'), &font_, &origin_, true),
              ValueOverflow);
    EXPECT_EQ(path_.AddStringFont("", &font_, &origin_, true), Ok);
    EXPECT_EQ(path_.AddStringFont("   ", &font_, RectD(0, 0, 10, 10), &format_), Ok);
    EXPECT_TRUE(path_.IsEmpty());
}

TEST_F(TextInputTest, InvalidUtf8IsRepairedNotRejected) {
    const std::string broken = "A\xFF\xC3";
    ASSERT_EQ(path_.AddStringFont(broken, &font_, &origin_, true), Ok);
    // Each bad byte shows as a replacement character rather than vanishing.
    EXPECT_GT(Bounds(path_).width, Bounds(TextAt("A", font_)).width + kSize);
    GraphicsPath withNul;
    PointD origin{0, 0};
    EXPECT_EQ(withNul.AddStringFont(std::string_view("A\0B", 3), &font_, &origin, true), Ok);
}

TEST_F(TextInputTest, LongestTextIsOutlinedWhole) {
    // A full-size single line: every glyph must come through, however far from the origin, both
    // when glyphs are placed from the cache and when Pango's renderer draws the (underlined) line.
    const std::string text(kMaxTextBytes, 'W');
    for (int style : {FontStyleRegular, FontStyleUnderline}) {
        const Font font(kLatin, kSize, style);
        GraphicsPath path;
        PointD origin{0, 0};
        ASSERT_EQ(path.AddStringFont(text, &font, &origin, true), Ok);
        const size_t bars = style == FontStyleUnderline ? 1 : 0;
        EXPECT_EQ(FigureBounds(path).size(), text.size() + bars) << style;
        EXPECT_NEAR(Bounds(path).GetRight(), origin.x, kBearing) << style;
    }
}

}  // namespace
}  // namespace Pictor
