// The AGG and Cairo engines of the PNG canvas draw the same pictures and refuse the same input.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "contracts/pictor/pictor.h"
#include "pictor/pixel_canvas.h"
#include "tests/pictor/raster_agreement.h"

namespace Pictor::test {
namespace {

using Scene = std::function<void(Graphics&)>;

constexpr int kSide = 120;
constexpr Color kPaper(255, 250, 248, 240);

// Draws the scene on both engines and checks that they agree.
::testing::AssertionResult BothEnginesAgree(const std::string& what, const Scene& scene,
                                            const Color& paper = kPaper) {
    PixelCanvas agg(kSide, kSide, paper, RasterEngine::Agg);
    PixelCanvas cairo(kSide, kSide, paper, RasterEngine::Cairo);
    for (PixelCanvas* canvas : {&agg, &cairo}) {
        Graphics graphics(canvas);
        scene(graphics);
    }
    return Agree(agg, cairo, what);
}

GraphicsPath Zigzag(double top) {
    GraphicsPath path;
    const PointD points[] = {{10, top + 20}, {40, top}, {55, top + 25}, {80, top + 2}, {110, top + 22}};
    path.AddLines(points, 5);
    return path;
}

GraphicsPath Star() {
    GraphicsPath path;
    std::vector<PointD> points;
    for (int i = 0; i < 5; ++i) {
        const double a = i * 4 * M_PI / 5 - M_PI / 2;
        points.push_back({60 + 50 * std::cos(a), 60 + 50 * std::sin(a)});
    }
    path.AddPolygon(points.data(), 5);
    path.AddEllipse(40, 40, 40, 40);
    return path;
}

TEST(PixelCanvasTest, StrokesAgreeForEveryCapJoinAndDash) {
    for (int cap = LineCapFlat; cap <= LineCapTriangle; ++cap) {
        for (int join = LineJoinMiter; join <= LineJoinMiterClipped; ++join) {
            const std::string what = "cap " + std::to_string(cap) + ", join " + std::to_string(join);
            EXPECT_TRUE(BothEnginesAgree(what, [&](Graphics& g) {
                Pen pen(Color(255, 20, 60, 160), 7);
                pen.SetLineCap(cap);
                pen.SetLineJoin(join);
                pen.SetMiterLimit(2.5);
                const GraphicsPath zigzag = Zigzag(5);
                g.DrawPath(&pen, &zigzag);
                Pen translucent(Color(128, 200, 30, 30), 9);
                translucent.SetLineCap(cap);
                translucent.SetLineJoin(join);
                GraphicsPath closed;
                closed.AddRectangle(20, 50, 80, 40);
                g.DrawPath(&translucent, &closed);
            }));
        }
    }
    for (int style = DashStyleDash; style <= DashStyleCustom; ++style) {
        EXPECT_TRUE(BothEnginesAgree("dash style " + std::to_string(style), [&](Graphics& g) {
            Pen pen(Color(255, 0, 0, 0), 3);
            pen.SetDashStyle(style);
            if (style == DashStyleCustom) {
                const double odd[] = {4, 1.5, 2};  // an odd pattern alternates on and off
                pen.SetDashPattern(odd, 3);
            }
            pen.SetLineCap(LineCapRound);
            const GraphicsPath zigzag = Zigzag(10);
            g.DrawPath(&pen, &zigzag);
            GraphicsPath ring;
            ring.AddEllipse(20, 50, 80, 60);
            g.DrawPath(&pen, &ring);
        }));
    }
}

TEST(PixelCanvasTest, TransformedAndHairlineStrokesAgree) {
    EXPECT_TRUE(BothEnginesAgree("rotated, squeezed", [](Graphics& g) {
        Matrix m;
        m.Translate(60, 60);
        m.Rotate(30);
        m.Scale(1.6, 0.5);
        m.Translate(-60, -60);
        g.SetTransform(&m);
        Pen pen(Color(255, 90, 20, 120), 6);
        pen.SetLineJoin(LineJoinRound);
        const GraphicsPath upper = Zigzag(40);
        g.DrawPath(&pen, &upper);
        Pen hairline(Color(255, 0, 0, 0), 0);  // one device pixel whatever the transform
        hairline.SetDashStyle(DashStyleDashDot);
        const GraphicsPath lower = Zigzag(70);
        g.DrawPath(&hairline, &lower);
        g.DrawLine(&hairline, PointD{0, 100}, PointD{120, 110});
        // A line of no length shows its caps: a dot, a square.
        for (int cap : {LineCapRound, LineCapSquare}) {
            Pen dot(Color(255, 0, 120, 0), 8);
            dot.SetLineCap(cap);
            g.DrawLine(&dot, PointD{30.0 + 30 * cap, 20}, PointD{30.0 + 30 * cap, 20});
        }
    }));
}

TEST(PixelCanvasTest, FillsAgreeInBothModesWithEveryBrush) {
    for (int mode : {FillModeAlternate, FillModeWinding}) {
        EXPECT_TRUE(BothEnginesAgree("fill mode " + std::to_string(mode), [&](Graphics& g) {
            GraphicsPath star = Star();
            star.SetFillMode(mode);
            SolidBrush brush(Color(160, 0, 120, 40));
            g.FillPath(&brush, &star);
        }));
    }
    for (int style = HatchStyleHorizontal; style <= HatchStyleDiagonalCross; ++style) {
        EXPECT_TRUE(BothEnginesAgree("hatch " + std::to_string(style), [&](Graphics& g) {
            HatchBrush hatch(style, Color(255, 0, 0, 0), Color(90, 0, 200, 255));
            GraphicsPath star = Star();
            g.FillPath(&hatch, &star);
            g.FillEllipse(&hatch, 5.5f, 5.5f, 30.f, 20.f);
        }));
    }
    EXPECT_TRUE(BothEnginesAgree("gradient, texture, image", [](Graphics& g) {
        LinearGradientBrush gradient(RectD{0, 0, 60, 60}, Color(255, 255, 0, 0), Color(255, 0, 0, 255), 0);
        const double factors[] = {0, 1, 0.3};
        const double positions[] = {0, 0.4, 1};
        gradient.SetBlend(factors, positions, 3);
        gradient.RotateTransform(30);
        g.FillRectangle(&gradient, RectD{0, 0, 120, 40});
        const uint32_t argb[] = {0xFFFF0000, 0x8000FF00, 0xFF0000FF, 0x00000000};
        auto image = Image::FromArgb(2, 2, argb);
        TextureBrush tiles(image.get(), WrapModeTile);
        g.FillEllipse(&tiles, 0.f, 40.f, 60.f, 40.f);
        TextureBrush once(image.get(), WrapModeClamp);
        g.FillEllipse(&once, 60.f, 40.f, 60.f, 40.f);
        Matrix m(1, 0.2, -0.3, 1, 0, 0);
        g.SetTransform(&m);
        g.DrawImage(image.get(), 40, 80, 40, 30);
    }));
}

TEST(PixelCanvasTest, ClipsAndTheirResetsAgree) {
    EXPECT_TRUE(BothEnginesAgree("clips", [](Graphics& g) {
        GraphicsPath outer;
        outer.AddEllipse(5, 5, 110, 110);
        g.SetClip(&outer);
        g.BeginContainer();
        GraphicsPath inner(FillModeAlternate);
        inner.AddRectangle(20, 0, 30, 120);
        inner.AddRectangle(35, 0, 60, 120);  // even-odd: the overlap is outside the clip
        g.SetClip(&inner);
        SolidBrush red(Color(200, 220, 0, 0));
        g.FillRectangle(&red, RectD{0, 0, 120, 120});
        g.ResetClip();  // back to the container's ellipse
        Pen pen(Color(255, 0, 0, 0), 4);
        const GraphicsPath zigzag = Zigzag(60);
        g.DrawPath(&pen, &zigzag);
        g.EndContainer();
        g.ResetClip();
        HatchBrush hatch(HatchStyleCross, Color(255, 0, 90, 0), Color(0, 0, 0, 0));
        g.FillRectangle(&hatch, RectD{0, 100, 120, 20});
        // A clip reaching far beyond the device range is flattened and clipped to the canvas.
        GraphicsPath far;
        far.AddRectangle(-1e9, 90, 2e9, 1e9);
        g.SetClip(&far);
        SolidBrush blue(Color(255, 0, 0, 200));
        g.FillEllipse(&blue, 80.f, 80.f, 40.f, 40.f);
    }));
}

TEST(PixelCanvasTest, AliasedDrawingAndTextAgree) {
    for (int smoothing : {SmoothingFast, SmoothingOff, SmoothingQuality}) {
        EXPECT_TRUE(BothEnginesAgree("smoothing " + std::to_string(smoothing), [&](Graphics& g) {
            g.SetSmoothingMode(smoothing);
            GraphicsPath clip;
            clip.AddEllipse(10, 10, 100, 100);
            g.SetClip(&clip);
            SolidBrush brush(Color(255, 30, 30, 160));
            GraphicsPath star = Star();
            g.FillPath(&brush, &star);
            Pen pen(Color(255, 200, 100, 0), 3);
            const GraphicsPath zigzag = Zigzag(80);
            g.DrawPath(&pen, &zigzag);
        }));
    }
    EXPECT_TRUE(BothEnginesAgree("text", [](Graphics& g) {
        Font font("DejaVu Sans", 22);
        StringFormat format(StringAlignmentCenter);
        GraphicsPath text;
        text.AddStringFont("Agg & Cairo", &font, RectD{0, 10, 120, 100}, &format);
        SolidBrush brush(Color(255, 0, 0, 0));
        g.FillPath(&brush, &text);
    }));
}

// A shape with more pixel crossings than AGG keeps cells for is still drawn whole, as on Cairo.
TEST(PixelCanvasTest, AShapeTooLongForAggIsDrawnWhole) {
    EXPECT_TRUE(BothEnginesAgree("long zigzag", [](Graphics& g) {
        std::vector<PointD> zigzag;
        for (int i = 0; i < 40000; ++i) zigzag.push_back({i % 2 ? 119.0 : 1.0, 1.0 + (i % 7919) * 118.0 / 7919});
        GraphicsPath path(FillModeWinding);
        path.AddPolygon(zigzag.data(), static_cast<int>(zigzag.size()));
        SolidBrush brush(Color(255, 0, 0, 0));
        g.FillPath(&brush, &path);
    }));
}

// A shape drawn again elsewhere is stamped from a cache at the nearest quarter pixel: the picture
// still agrees with Cairo's, hatching stays aligned to the device, and the cache keeps to its cap.
TEST(PixelCanvasTest, RepeatedShapesAreStampedWithoutChangingThePicture) {
    const auto markers = [](Graphics& g) {
        HatchBrush hatch(HatchStyleDiagonalCross, Color(255, 0, 0, 0), Color(255, 255, 220, 0));
        SolidBrush red(Color(200, 220, 0, 0));
        Pen pen(Color(255, 0, 0, 90), 1.5);
        for (int i = 0; i < 36; ++i) {
            const double x = 4 + (i % 6) * 19.13 + i * 0.07;  // every sub-pixel phase
            const double y = 4 + (i / 6) * 19.37;
            GraphicsPath marker;
            marker.AddEllipse(x, y, 12, 12);
            g.FillPath(i % 2 ? &hatch : static_cast<Brush*>(&red), &marker);
            g.DrawPath(&pen, &marker);
        }
    };
    EXPECT_TRUE(BothEnginesAgree("stamped markers", markers));
    PixelCanvas canvas(kSide, kSide, kPaper);
    Graphics graphics(&canvas);
    markers(graphics);
    EXPECT_GT(canvas.StampCacheBytes(), 0u);

    // Distinct shapes of the most points a stamp takes, each drawn twice: their keys alone pass the cap.
    constexpr size_t kCap = size_t{16} << 20;
    constexpr int kPoints = 4000;
    SolidBrush brush(Color(255, 0, 0, 0));
    for (int shape = 0; shape < 600; ++shape) {
        std::vector<PointD> ring;
        for (int k = 0; k < kPoints; ++k) {
            const double a = 2 * M_PI * k / kPoints;
            ring.push_back({50 + (20 + shape % 30) * std::cos(a), 50 + (20 + shape / 30) * std::sin(a)});
        }
        GraphicsPath path;
        path.AddPolygon(ring.data(), kPoints);
        graphics.FillPath(&brush, &path);
        graphics.FillPath(&brush, &path);
        ASSERT_LE(canvas.StampCacheBytes(), kCap);
    }

    // Groups' pictures share the cap: a hundred of 250 × 250 pixels, each drawn twice, would take 25 MB.
    PixelCanvas large(300, 300, kPaper);
    Graphics onLarge(&large);
    for (int group = 0; group < 100; ++group) {
        const SolidBrush shade(Color(255, group, 0, 0));
        for (int twice = 0; twice < 2; ++twice) {
            onLarge.BeginGroup();
            onLarge.FillRectangle(&shade, RectD{10, 10, 250, 250});
            onLarge.EndGroup();
            ASSERT_LE(large.StampCacheBytes(), kCap);
        }
    }
    EXPECT_GT(large.StampCacheBytes(), 0u);
}

// One small figure (an open curve and a self-crossing star), filled and stroked; each variant
// below changes one thing about it.
struct Look {
    double width = 3;
    int cap = LineCapFlat;
    int join = LineJoinMiter;
    std::vector<double> dashes;
    Color ink = Color(255, 20, 60, 160);
    double angle = 0;
    double size = 1;
    double phase = 0;     // device pixels added to the place
    double stretch = 1;   // of the world transform, where `size` scales the points
    int smoothing = SmoothingAntialias;
    bool clipped = false;
    int fillMode = FillModeWinding;
};

void DrawLook(Graphics& g, const Look& look, const PointD& at) {
    Matrix place;
    place.Translate(at.x + look.phase, at.y + look.phase);
    place.Rotate(look.angle);
    place.Scale(look.stretch, look.stretch);
    g.SetTransform(&place);
    g.SetSmoothingMode(look.smoothing);
    GraphicsPath clip;
    clip.AddRectangle(RectD{0, 0, 30, 12});
    if (look.clipped) g.SetClip(&clip);
    const double k = look.size;
    GraphicsPath figure(look.fillMode);
    const PointD curve[] = {{0, 24 * k}, {4 * k, 14 * k}, {10 * k, 30 * k}, {14 * k, 20 * k}};
    figure.AddBeziers(curve, 4);
    figure.StartFigure();
    const PointD star[] = {{16 * k, 0}, {22 * k, 22 * k}, {4 * k, 6 * k}, {28 * k, 6 * k}, {10 * k, 22 * k}};
    figure.AddPolygon(star, 5);
    const Color fill(look.ink.GetA(), 240, 200, 120);
    SolidBrush brush(fill);
    g.FillPath(&brush, &figure);
    Pen pen(look.ink, look.width);
    pen.SetLineCap(look.cap);
    pen.SetLineJoin(look.join);
    if (!look.dashes.empty()) pen.SetDashPattern(look.dashes.data(), static_cast<int>(look.dashes.size()));
    g.DrawPath(&pen, &figure);
    g.ResetClip();
    g.ResetTransform();
}

// A figure drawn again is stamped, its outline reused, or (in a group) painted from a picture;
// a figure that differs in any way that shows must not be taken for it. The same figures drawn
// with the variant first, before anything is cached, give the same picture.
TEST(PixelCanvasTest, FiguresThatDifferNeverShareACachedDrawing) {
    const std::vector<std::pair<std::string, std::function<void(Look&)>>> variants = {
        {"width", [](Look& l) { l.width = 3.5; }},
        {"cap", [](Look& l) { l.cap = LineCapRound; }},
        {"join", [](Look& l) { l.join = LineJoinRound; }},
        {"dashes", [](Look& l) { l.dashes = {4, 2}; }},
        {"colour", [](Look& l) { l.ink = Color(255, 200, 30, 30); }},
        {"transparency", [](Look& l) { l.ink = Color(120, 20, 60, 160); }},
        {"angle", [](Look& l) { l.angle = 7; }},
        {"size", [](Look& l) { l.size = 1.05; }},
        {"sub-pixel phase", [](Look& l) { l.phase = 0.5; }},
        {"transform", [](Look& l) { l.stretch = 1.05; }},
        {"smoothing", [](Look& l) { l.smoothing = SmoothingOff; }},
        {"clip", [](Look& l) { l.clipped = true; }},
        {"fill mode", [](Look& l) { l.fillMode = FillModeAlternate; }},
    };
    const PointD bases[] = {{8, 8}, {48, 8}, {86, 8}};
    const PointD where{30, 70};
    for (const bool grouped : {false, true}) {
        const auto draw = [grouped](Graphics& g, const Look& look, const PointD& at) {
            if (grouped) g.BeginGroup();
            DrawLook(g, look, at);
            if (grouped) g.EndGroup();
        };
        for (const auto& [what, change] : variants) {
            const std::string name = what + (grouped ? " (grouped)" : "");
            Look variant;
            change(variant);
            PixelCanvas cachedFirst(kSide, kSide, kPaper);
            PixelCanvas variantFirst(kSide, kSide, kPaper);
            PixelCanvas cairo(kSide, kSide, kPaper, RasterEngine::Cairo);
            for (PixelCanvas* canvas : {&cachedFirst, &cairo}) {
                Graphics g(canvas);
                for (const PointD& at : bases) draw(g, Look(), at);
                draw(g, variant, where);
            }
            {
                Graphics g(&variantFirst);
                draw(g, variant, where);
                for (const PointD& at : bases) draw(g, Look(), at);
            }
            int worst = 0;
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x)
                    worst = std::max(worst, ChannelDistance(cachedFirst.GetPixel(x, y), variantFirst.GetPixel(x, y)));
            }
            // Kept outlines are moved in single precision, pictures blended over in a second
            // step: a level of rounding at most.
            EXPECT_LE(worst, 1) << name;
            EXPECT_TRUE(Agree(cachedFirst, cairo, name));
        }
    }
}

// A group keeps its calls until it ends; whatever cannot join its picture (a clip, a hatch, a
// gradient Cairo draws, an image, reading the pixels, a Graphics that goes with the group still
// open) draws what was kept first, so the picture is the one drawn without groups.
TEST(PixelCanvasTest, AGroupCutShortDrawsEverythingInOrder) {
    Bitmap tile(4, 4);
    {
        Graphics g(&tile);
        SolidBrush ink(Color(255, 0, 120, 0));
        g.FillRectangle(&ink, RectD{0, 0, 4, 4});
    }
    const std::vector<std::pair<std::string, std::function<void(Graphics&)>>> interruptions = {
        {"clip",
         [](Graphics& g) {
             GraphicsPath clip;
             clip.AddRectangle(RectD{20, 20, 30, 30});
             g.SetClip(&clip);
             SolidBrush brush(Color(255, 0, 0, 200));
             g.FillRectangle(&brush, RectD{10, 10, 60, 60});
             g.ResetClip();
         }},
        {"hatch",
         [](Graphics& g) {
             HatchBrush hatch(HatchStyleCross, Color(255, 0, 0, 0), Color(255, 250, 250, 0));
             g.FillRectangle(&hatch, RectD{20, 20, 30, 30});
         }},
        {"gradient",
         [](Graphics& g) {
             LinearGradientBrush gradient(RectD{20, 20, 30, 30}, Color(255, 0, 0, 0), Color(255, 0, 0, 255), 0);
             g.FillRectangle(&gradient, RectD{20, 20, 30, 30});
         }},
        {"image", [&tile](Graphics& g) { g.DrawImage(&tile, 20, 20, 30, 30); }},
    };
    const auto scene = [](Graphics& g, const std::function<void(Graphics&)>& interrupt, bool grouped) {
        SolidBrush red(Color(255, 220, 0, 0));
        Pen blue(Color(180, 0, 0, 255), 6);
        GraphicsPath ring;
        ring.AddEllipse(30, 30, 50, 50);
        if (grouped) g.BeginGroup();
        g.FillRectangle(&red, RectD{5, 5, 40, 40});
        interrupt(g);
        g.DrawPath(&blue, &ring);
        if (grouped) g.EndGroup();
    };
    for (const auto& [what, interrupt] : interruptions) {
        PixelCanvas grouped(kSide, kSide, kPaper);
        PixelCanvas plain(kSide, kSide, kPaper);
        for (int round = 0; round < 3; ++round) {  // met once, twice, and again
            Graphics a(&grouped);
            Graphics b(&plain);
            scene(a, interrupt, true);
            scene(b, interrupt, false);
        }
        EXPECT_EQ(Compare(grouped, plain).worst, 0) << what;
    }

    // Pixels read inside a group, or left by a Graphics that went with the group open, show the calls.
    PixelCanvas canvas(kSide, kSide, kPaper);
    SolidBrush red(Color(255, 220, 0, 0));
    {
        Graphics g(&canvas);
        g.BeginGroup();
        g.FillRectangle(&red, RectD{5, 5, 10, 10});
        EXPECT_EQ(canvas.GetPixel(10, 10).GetValue(), red.GetColor().GetValue());
        g.FillRectangle(&red, RectD{50, 50, 10, 10});
    }
    EXPECT_EQ(canvas.GetPixel(55, 55).GetValue(), red.GetColor().GetValue());
}

// Groups that never come twice (markers along a line, each turned its own way) are soon only
// keyed and drawn as they come; one that comes again is kept and painted from a picture again.
TEST(PixelCanvasTest, GroupsThatNeverRepeatAreDrawnAsTheyCome) {
    PixelCanvas grouped(kSide, kSide, kPaper);
    PixelCanvas plain(kSide, kSide, kPaper);
    const auto scene = [](Graphics& g, bool group) {
        Look look;
        look.size = 0.5;
        for (int i = 0; i < 60; ++i) {  // turned a degree further each time
            look.angle = i;
            if (group) g.BeginGroup();
            DrawLook(g, look, {10.0 + (i % 10) * 10, 10.0 + (i / 10) * 10});
            if (group) g.EndGroup();
        }
        look.angle = 0;
        for (int i = 0; i < 4; ++i) {
            if (group) g.BeginGroup();
            DrawLook(g, look, {10.0 + i * 25, 85});
            if (group) g.EndGroup();
        }
    };
    {
        Graphics g(&grouped);
        scene(g, true);
    }
    {
        Graphics g(&plain);
        scene(g, false);
    }
    // The same stamps of single shapes on both, and the repeated figure's picture.
    EXPECT_GT(grouped.StampCacheBytes(), plain.StampCacheBytes());
    EXPECT_TRUE(Agree(grouped, plain, "figures turned one by one, then repeated"));
}

// Input that neither engine can draw is refused by both with the same status, and draws nothing.
TEST(PixelCanvasTest, BothEnginesRefuseTheSameInputAndDrawNothing) {
    const double far = 1e9;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        std::string what;
        std::function<Status(Graphics&)> draw;
    };
    const std::vector<Case> cases = {
        {"degenerate transform",
         [](Graphics& g) {
             Matrix flat(1, 2, 2, 4, 0, 0);
             g.SetTransform(&flat);
             Pen pen(Color(255, 0, 0, 0), 3);
             SolidBrush brush(Color(255, 0, 0, 0));
             const GraphicsPath zigzag = Zigzag(10);
             const Status fill = g.FillRectangle(&brush, RectD{0, 0, 50, 50});
             return fill != Ok ? fill : g.DrawPath(&pen, &zigzag);
         }},
        {"non-finite coordinate",
         [&](Graphics& g) {
             Pen pen(Color(255, 0, 0, 0), 3);
             return g.DrawLine(&pen, PointD{0, 0}, PointD{nan, 5});
         }},
        {"pen reaching beyond the device range",
         [&](Graphics& g) {
             Pen pen(Color(255, 0, 0, 0), 2 * far);
             const GraphicsPath zigzag = Zigzag(10);
             return g.DrawPath(&pen, &zigzag);
         }},
        {"image beyond the device range",
         [&](Graphics& g) {
             Bitmap image(4, 4);
             return g.DrawImage(&image, PointD{far, 0});
         }},
    };
    // A canvas of no size or over the bitmap caps is refused as the Cairo canvas refuses it.
    for (RasterEngine engine : {RasterEngine::Agg, RasterEngine::Cairo}) {
        EXPECT_EQ(PixelCanvas(0, 10, kPaper, engine).GetLastStatus(), InvalidParameter);
        PixelCanvas enormous(kMaxBitmapSide, kMaxBitmapSide, kPaper, engine);
        EXPECT_EQ(enormous.GetLastStatus(), ValueOverflow);
        Graphics graphics(&enormous);
        SolidBrush brush(Color(255, 0, 0, 0));
        EXPECT_EQ(graphics.FillRectangle(&brush, RectD{0, 0, 5, 5}), WrongState);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PixelCanvas agg(kSide, kSide, kPaper, RasterEngine::Agg);
        PixelCanvas cairo(kSide, kSide, kPaper, RasterEngine::Cairo);
        Graphics aggGraphics(&agg);
        Graphics cairoGraphics(&cairo);
        EXPECT_EQ(c.draw(aggGraphics), c.draw(cairoGraphics));
        EXPECT_TRUE(Agree(agg, cairo, c.what));
        const Agreement blank = Compare(agg, PixelCanvas(kSide, kSide, kPaper, RasterEngine::Cairo));
        EXPECT_EQ(blank.differing, 0u) << "drawn on although refused";
    }
}

}  // namespace
}  // namespace Pictor::test
