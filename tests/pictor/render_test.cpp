// Graphics and canvases: clipping, images, bitmaps, files, bad input, and the same drawing on the
// raster, SVG and recording canvases.
#include <cairo.h>
#include <gtest/gtest.h>
#include <librsvg/rsvg.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pictor/recording_canvas.h"
#include "tests/pictor/pixel_probe.h"

namespace Pictor::test {
namespace {

namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "pictor-test-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the files in the directory, to see that no temporary was left behind.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    fs::path path_;
};

GraphicsPath Square(double x, double y, double side) {
    GraphicsPath path;
    path.AddRectangle(x, y, side, side);
    return path;
}

// --- Clipping -------------------------------------------------------------------------------------

TEST(ClipRender, ClipIsMappedByTheTransformAtTheCallAndLastsUntilReset) {
    RasterCanvas canvas(30, 30);
    Graphics g(&canvas);
    Matrix shift(1, 0, 0, 1, 10, 10);
    ASSERT_EQ(g.SetTransform(&shift), Ok);
    const GraphicsPath clip = Square(0, 0, 10);
    ASSERT_EQ(g.SetClip(&clip), Ok);
    ASSERT_EQ(g.ResetTransform(), Ok);  // the clip stays where it was mapped
    SolidBrush red(kRed);
    ASSERT_EQ(g.FillRectangle(&red, 0, 0, 30, 30), Ok);
    EXPECT_TRUE(EveryPixel(
        canvas, [](int x, int y) { return x >= 10 && x < 20 && y >= 10 && y < 20 ? kRed : kClear; }));

    ASSERT_EQ(g.ResetClip(), Ok);
    SolidBrush blue(kBlue);
    ASSERT_EQ(g.FillRectangle(&blue, 0, 0, 30, 30), Ok);
    EXPECT_TRUE(EveryPixel(canvas, [](int, int) { return kBlue; }));
}

TEST(ClipRender, ClipUsesItsOwnFillMode) {
    RasterCanvas canvas(30, 30);
    Graphics g(&canvas);
    GraphicsPath ring = Square(0, 0, 30);  // alternate: the inner square is a hole
    ring.AddRectangle(10, 10, 10, 10);
    ASSERT_EQ(g.SetClip(&ring), Ok);
    SolidBrush red(kRed);
    ASSERT_EQ(g.FillRectangle(&red, 0, 0, 30, 30), Ok);
    EXPECT_TRUE(PixelIs(canvas, 5, 5, kRed));
    EXPECT_TRUE(PixelIs(canvas, 15, 15, kClear));
}

TEST(ClipRender, TwoGraphicsOnOneCanvasKeepTheirOwnClips) {
    RasterCanvas canvas(30, 10);
    Graphics left(&canvas);
    Graphics right(&canvas);
    const GraphicsPath leftClip = Square(0, 0, 10);
    const GraphicsPath rightClip = Square(20, 0, 10);
    ASSERT_EQ(left.SetClip(&leftClip), Ok);
    ASSERT_EQ(right.SetClip(&rightClip), Ok);
    SolidBrush red(kRed);
    SolidBrush blue(kBlue);
    ASSERT_EQ(left.FillRectangle(&red, 0, 0, 30, 10), Ok);
    ASSERT_EQ(right.FillRectangle(&blue, 0, 0, 30, 10), Ok);
    ASSERT_EQ(left.FillRectangle(&red, 0, 0, 30, 10), Ok);
    EXPECT_TRUE(PixelIs(canvas, 5, 5, kRed));
    EXPECT_TRUE(PixelIs(canvas, 15, 5, kClear));
    EXPECT_TRUE(PixelIs(canvas, 25, 5, kBlue));
}

// --- Images and bitmaps ---------------------------------------------------------------------------

class ImageRender : public ::testing::Test {
protected:
    ImageRender() {
        const uint32_t argb[] = {kRed.GetValue(), kGreen.GetValue(), kBlue.GetValue(), 0x80FFFFFFu};
        image_ = Image::FromArgb(2, 2, argb);
    }
    std::unique_ptr<Image> image_;
};

TEST_F(ImageRender, PixelsKeepTheirStraightColour) {
    ASSERT_TRUE(image_);
    EXPECT_EQ(image_->GetPixel(1, 0), kGreen);
    EXPECT_EQ(image_->GetPixel(1, 1), Color(0x80FFFFFFu));
    EXPECT_EQ(image_->GetPixel(2, 0), kClear) << "outside the image";
}

TEST_F(ImageRender, AtAPointPixelsAreCopiedOneToOne) {
    RasterCanvas canvas(8, 8);
    Graphics g(&canvas);
    ASSERT_EQ(g.DrawImage(image_.get(), PointD{3, 4}), Ok);
    EXPECT_TRUE(EveryPixel(canvas, [&](int x, int y) { return image_->GetPixel(x - 3, y - 4); }));
}

TEST_F(ImageRender, IntoARectangleTheImageIsScaled) {
    RasterCanvas canvas(10, 10);
    Graphics g(&canvas);
    ASSERT_EQ(g.DrawImage(image_.get(), 1, 1, 8, 8), Ok);
    EXPECT_TRUE(PixelIs(canvas, 1, 1, kRed, 1));
    EXPECT_TRUE(PixelIs(canvas, 8, 1, kGreen, 1));
    EXPECT_TRUE(PixelIs(canvas, 1, 8, kBlue, 1));
    EXPECT_TRUE(PixelIs(canvas, 8, 8, Color(0x80FFFFFFu), 1));
    EXPECT_TRUE(PixelIs(canvas, 0, 0, kClear));
    EXPECT_TRUE(PixelIs(canvas, 9, 9, kClear));

    EXPECT_EQ(g.DrawImage(image_.get(), 0, 0, 0, 5), Ok) << "an empty rectangle draws nothing";
    EXPECT_EQ(g.DrawImage(image_.get(), 0, 0, -4, 5), InvalidParameter);
    EXPECT_TRUE(PixelIs(canvas, 0, 0, kClear));
}

TEST_F(ImageRender, ABitmapKeepsWhatIsDrawnAndItsTransparency) {
    Bitmap bitmap(4, 4);
    ASSERT_EQ(bitmap.GetLastStatus(), Ok);
    EXPECT_EQ(bitmap.GetPixel(0, 0), kClear) << "a new bitmap is transparent";
    {
        Graphics g(&bitmap);
        ASSERT_EQ(g.GetLastStatus(), Ok);
        SolidBrush red(kRed);
        ASSERT_EQ(g.FillRectangle(&red, 0, 0, 2, 4), Ok);
    }
    // Used as a texture, the undrawn half lets the background show.
    RasterCanvas canvas(4, 4, kBlue);
    Graphics g(&canvas);
    TextureBrush texture(&bitmap, WrapModeTile);
    ASSERT_EQ(g.FillRectangle(&texture, 0, 0, 4, 4), Ok);
    EXPECT_TRUE(EveryPixel(canvas, [](int x, int) { return x < 2 ? kRed : kBlue; }));
}

TEST_F(ImageRender, FilesRoundTripThroughPng) {
    TempDir dir;
    RasterCanvas canvas(3, 2, Color(0x40102030u));
    Graphics g(&canvas);
    ASSERT_EQ(g.DrawImage(image_.get(), PointD{0, 0}), Ok);
    const std::string path = (dir / "out.png").string();
    ASSERT_EQ(canvas.WritePng(path), Ok);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.png"}) << "no temporary left behind";

    Status status = GenericError;
    const auto loaded = Image::FromFile(path, &status);
    ASSERT_EQ(status, Ok);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetWidth(), 3);
    const auto snapshot = canvas.Snapshot();
    ASSERT_TRUE(snapshot);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(loaded->Buffer()->pixels[y * 3 + x], snapshot->Buffer()->pixels[y * 3 + x]);
    }

    EXPECT_EQ(canvas.WritePng((dir / "missing" / "out.png").string()), FileNotFound);
}

TEST(ImageFiles, OpaquePngsGetFullAlpha) {
    TempDir dir;
    const std::string path = (dir / "rgb.png").string();
    cairo_surface_t* rgb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 1);
    cairo_t* cr = cairo_create(rgb);
    cairo_set_source_rgb(cr, 0, 0.5, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(rgb, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(rgb);

    Status status = GenericError;
    const auto image = Image::FromFile(path, &status);
    ASSERT_EQ(status, Ok);
    EXPECT_EQ(image->GetPixel(1, 0), Color(255, 0, 128, 255));
}

// --- Work budget ----------------------------------------------------------------------------------

TEST(WorkBudgetTest, CallsPastTheBudgetOrAfterTheStopDrawNothingAndSaySo) {
    RecordingCanvas canvas(100, 100);
    Graphics g(&canvas);
    const Pen pen(kRed, 2);
    // A horizontal line crosses only its pen's rows: 16 + 2 points + 4 rows (its 12 x 4 pixels add
    // less than one) = 22 units.
    const PointD from{10, 50}, to{20, 50};
    WorkBudget budget(44);
    g.SetWorkBudget(&budget);
    EXPECT_EQ(g.DrawLine(&pen, from, to), Ok);
    EXPECT_EQ(g.DrawLine(&pen, from, to), Ok);
    EXPECT_FALSE(g.WorkSpent());
    EXPECT_EQ(g.DrawLine(&pen, from, to), ValueOverflow);
    EXPECT_TRUE(g.WorkSpent());
    EXPECT_EQ(canvas.Operations().size(), 2u);

    // A stroke across the surface costs its rows: one of 100 rows outweighs many short ones.
    budget.Reset(100);
    EXPECT_EQ(g.DrawLine(&pen, PointD{50, 0}, PointD{50, 100}), ValueOverflow);

    std::atomic<bool> stop{false};
    WorkBudget stoppable(WorkBudget::kUnlimited, &stop);
    g.SetWorkBudget(&stoppable);
    EXPECT_EQ(g.DrawLine(&pen, from, to), Ok);
    stop = true;  // as an interrupt handler would
    EXPECT_TRUE(g.WorkSpent());
    EXPECT_EQ(g.DrawLine(&pen, from, to), ValueOverflow);
    g.SetWorkBudget(nullptr);
    EXPECT_EQ(g.DrawLine(&pen, from, to), Ok);
    EXPECT_EQ(canvas.Operations().size(), 4u);
}

// --- Bad input ------------------------------------------------------------------------------------

class BadInput : public ::testing::Test {
protected:
    BadInput() : canvas_(20, 20), g_(&canvas_) {}
    void TearDown() override { EXPECT_TRUE(IsBlank(canvas_)) << "a refused call drew something"; }

    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    static constexpr double kInf = std::numeric_limits<double>::infinity();
    RasterCanvas canvas_;
    Graphics g_;
    Pen pen_{kRed, 2};
    SolidBrush brush_{kRed};
};

TEST_F(BadInput, NullObjectsAreRefused) {
    const GraphicsPath square = Square(0, 0, 10);
    EXPECT_EQ(g_.DrawPath(nullptr, &square), InvalidParameter);
    EXPECT_EQ(g_.DrawPath(&pen_, nullptr), InvalidParameter);
    EXPECT_EQ(g_.FillPath(nullptr, &square), InvalidParameter);
    EXPECT_EQ(g_.FillRectangle(nullptr, 0, 0, 5, 5), InvalidParameter);
    EXPECT_EQ(g_.DrawImage(nullptr, PointD{0, 0}), InvalidParameter);
    EXPECT_EQ(g_.SetTransform(nullptr), InvalidParameter);
    EXPECT_EQ(g_.SetClip(nullptr), InvalidParameter);
    Image empty;
    EXPECT_EQ(g_.DrawImage(&empty, PointD{0, 0}), InvalidParameter);
}

TEST_F(BadInput, NonFiniteNumbersAreRefused) {
    GraphicsPath path;
    const PointD points[] = {{0, 0}, {kNaN, 5}, {10, 10}};
    path.AppendRaw(points[0], PathPointStart);
    path.AppendRaw(points[1], PathPointLine);
    path.AppendRaw(points[2], PathPointLine);
    EXPECT_EQ(g_.DrawPath(&pen_, &path), InvalidParameter);
    EXPECT_EQ(g_.FillPath(&brush_, &path), InvalidParameter);
    EXPECT_EQ(g_.SetClip(&path), InvalidParameter);
    EXPECT_EQ(g_.DrawLine(&pen_, PointD{0, 0}, PointD{kInf, 1}), InvalidParameter);
    EXPECT_EQ(g_.FillRectangle(&brush_, RectD{0, 0, kNaN, 5}), InvalidParameter);
    EXPECT_EQ(g_.FillEllipse(&brush_, 0.f, 0.f, float(kInf), 5.f), InvalidParameter);
    Matrix infinite(1, 0, 0, 1, kInf, 0);
    EXPECT_EQ(g_.SetTransform(&infinite), InvalidParameter);
    EXPECT_FALSE(g_.IsClipped());
}

TEST_F(BadInput, UnusablePensAndBrushesAndSizesAreRefused) {
    Pen negative(kRed, -1);
    EXPECT_EQ(g_.DrawLine(&negative, PointD{0, 0}, PointD{10, 10}), InvalidParameter);
    const double zeroDash[] = {2, 0};
    const double negativeDash[] = {-1, 2};
    EXPECT_EQ(pen_.SetDashPattern(zeroDash, 2), InvalidParameter);
    EXPECT_EQ(pen_.SetDashPattern(negativeDash, 2), InvalidParameter);
    HatchBrush badHatch(9, kRed, kBlue);
    EXPECT_EQ(g_.FillRectangle(&badHatch, 0, 0, 5, 5), InvalidParameter);
    EXPECT_EQ(g_.FillRectangle(&brush_, 0, 0, -5, 5), InvalidParameter);
    EXPECT_EQ(g_.FillEllipse(&brush_, 0.f, 0.f, 5.f, -1.f), InvalidParameter);
    EXPECT_EQ(g_.FillRectangle(&brush_, 0, 0, 0, 5), Ok) << "empty, not wrong";
    const GraphicsPath empty;
    EXPECT_EQ(g_.FillPath(&brush_, &empty), Ok);
}

TEST_F(BadInput, UnreachableGeometryIsRefused) {
    Pen wide(kRed, 1e8);
    EXPECT_EQ(g_.DrawLine(&wide, PointD{0, 0}, PointD{1, 1}), InvalidParameter)
        << "wider than Cairo can reach";
    Bitmap bitmap(2, 2);
    EXPECT_EQ(g_.DrawImage(&bitmap, PointD{1e12, 0}), InvalidParameter) << "images are not clipped";
    Matrix overflow(1e300, 0, 0, 1e-300, 0, 0);
    ASSERT_EQ(g_.SetTransform(&overflow), Ok);
    EXPECT_EQ(g_.FillRectangle(&brush_, RectD{0, 0, 1e300, 1}), InvalidParameter) << "infinite on the device";
    Matrix flat(0, 0, 0, 0, 0, 0);
    ASSERT_EQ(g_.SetTransform(&flat), Ok);
    EXPECT_EQ(g_.FillRectangle(&brush_, 0, 0, 5, 5), Ok) << "a flattening transform shows nothing";
}

// Geometry reaching far beyond the canvas (and beyond Cairo's fixed-point range) is clipped to
// the canvas first, so the part that shows is drawn where it belongs.
class FarGeometry : public ::testing::Test {
protected:
    FarGeometry() : canvas_(100, 30), g_(&canvas_) { g_.SetSmoothingMode(SmoothingOff); }
    RasterCanvas canvas_;
    Graphics g_;
    SolidBrush red_{kRed};
};

TEST_F(FarGeometry, FillsShowTheirNearPart) {
    const PointD band[] = {{-1e9, 10}, {1e12, 10}, {1e12, 20}, {-1e9, 20}};
    GraphicsPath path;
    ASSERT_EQ(path.AddPolygon(band, 4), Ok);
    ASSERT_EQ(g_.FillPath(&red_, &path), Ok);
    EXPECT_TRUE(EveryPixel(canvas_, [](int, int y) { return y >= 10 && y < 20 ? kRed : kClear; }));
}

TEST_F(FarGeometry, ARingAroundTheCanvasKeepsItsHole) {
    GraphicsPath ring;  // alternate fill: the canvas sits in the hole
    ring.AddRectangle(-2e9, -2e9, 4e9, 4e9);
    ring.AddRectangle(-1e9, -1e9, 2e9, 2e9);
    ASSERT_EQ(g_.FillPath(&red_, &ring), Ok);
    EXPECT_TRUE(IsBlank(canvas_));
}

TEST_F(FarGeometry, ClipsShowTheirNearPart) {
    const GraphicsPath left = [] {
        GraphicsPath p;
        p.AddRectangle(-1e9, -1e9, 1e9 + 10, 2e9);
        return p;
    }();
    ASSERT_EQ(g_.SetClip(&left), Ok);
    ASSERT_EQ(g_.FillRectangle(&red_, 0, 0, 100, 30), Ok);
    EXPECT_TRUE(EveryPixel(canvas_, [](int x, int) { return x < 10 ? kRed : kClear; }));
}

TEST_F(FarGeometry, DashedStrokesKeepTheirPhase) {
    Pen pen(kBlue, 20);  // dashes of 60, gaps of 20, from x = -1e7 (a whole number of periods)
    ASSERT_EQ(pen.SetDashStyle(DashStyleDash), Ok);
    ASSERT_EQ(g_.DrawLine(&pen, PointD{-1e7, 5}, PointD{5e6, 5}), Ok);
    EXPECT_TRUE(PixelIs(canvas_, 30, 5, kBlue));
    EXPECT_TRUE(PixelIs(canvas_, 59, 5, kBlue));
    EXPECT_TRUE(PixelIs(canvas_, 70, 5, kClear));
    EXPECT_TRUE(PixelIs(canvas_, 85, 5, kBlue));
    Pen hairline(kRed, 0);
    ASSERT_EQ(g_.DrawLine(&hairline, PointD{-1e12, 25.5}, PointD{1e12, 25.5}), Ok);
    for (int x = 0; x < 100; ++x) EXPECT_TRUE(PixelIs(canvas_, x, 25, kRed));
    EXPECT_TRUE(PixelIs(canvas_, 50, 24, kClear));
}

TEST(BadSizes, UnusableBitmapsAndCanvasesDrawNothing) {
    EXPECT_EQ(Bitmap(0, 5).GetLastStatus(), InvalidParameter);
    EXPECT_EQ(Bitmap(-3, 5).GetLastStatus(), InvalidParameter);
    EXPECT_EQ(Bitmap(kMaxBitmapSide + 1, 1).GetLastStatus(), ValueOverflow);
    EXPECT_EQ(Bitmap(20000, 20000).GetLastStatus(), ValueOverflow) << "over the pixel count";

    Bitmap none(0, 0);
    Graphics onNothing(&none);
    EXPECT_EQ(onNothing.GetLastStatus(), WrongState);
    SolidBrush red(kRed);
    EXPECT_EQ(onNothing.FillRectangle(&red, 0, 0, 5, 5), WrongState);

    RasterCanvas zero(0, 10);
    EXPECT_EQ(zero.GetLastStatus(), InvalidParameter);
    RasterCanvas enormous(kMaxBitmapSide, kMaxBitmapSide);
    EXPECT_EQ(enormous.GetLastStatus(), ValueOverflow);
    Graphics g(&enormous);
    EXPECT_EQ(g.FillRectangle(&red, 0, 0, 5, 5), WrongState);
    EXPECT_EQ(enormous.WritePng("/nonexistent/never.png"), WrongState);
}

TEST(BadFiles, MissingGarbageAndOversizedImagesAreRefused) {
    TempDir dir;
    Status status = Ok;
    EXPECT_FALSE(Image::FromFile((dir / "missing.png").string(), &status));
    EXPECT_EQ(status, FileNotFound);

    const std::string garbage = (dir / "garbage.png").string();
    std::ofstream(garbage) << "this is not a picture, only some words";
    EXPECT_FALSE(Image::FromFile(garbage, &status));
    EXPECT_EQ(status, UnknownImageFormat);

    // A valid signature and header announcing 100000 x 100000 pixels, and nothing after it.
    const std::string oversized = (dir / "huge.png").string();
    const unsigned char header[] = {0x89, 'P', 'N',  'G',  '\r', '\n', 0x1A, '\n', 0,    0,
                                    0,    13,  'I',  'H',  'D',  'R',  0,    1,    0x86, 0xA0,
                                    0,    1,   0x86, 0xA0, 8,    6,    0,    0,    0};
    std::ofstream(oversized, std::ios::binary).write(reinterpret_cast<const char*>(header), sizeof header);
    EXPECT_FALSE(Image::FromFile(oversized, &status));
    EXPECT_EQ(status, ValueOverflow);

    // The header alone, within the caps, is still not a picture.
    const std::string truncated = (dir / "truncated.png").string();
    unsigned char small[sizeof header];
    std::copy(std::begin(header), std::end(header), small);
    const unsigned char fourByFour[] = {0, 0, 0, 4, 0, 0, 0, 4};
    std::copy(std::begin(fourByFour), std::end(fourByFour), small + 16);
    std::ofstream(truncated, std::ios::binary).write(reinterpret_cast<const char*>(small), sizeof small);
    EXPECT_FALSE(Image::FromFile(truncated, &status));
    EXPECT_EQ(status, UnknownImageFormat);
}

// --- One drawing, three canvases ------------------------------------------------------------------

// A filled polygon under a rotation, a dashed round-capped line, an ellipse, a clip, and a dashed
// line with triangle caps and clipped joins.
void DrawScene(Graphics& g) {
    Matrix world;
    world.Translate(40, 30);
    world.Rotate(20);
    g.SetTransform(&world);
    const PointD star[] = {{0, -20}, {6, -6},   {20, -4}, {8, 4},    {12, 18},
                           {0, 10},  {-12, 18}, {-8, 4},  {-20, -4}, {-6, -6}};
    GraphicsPath polygon;
    polygon.AddPolygon(star, 10);
    SolidBrush orange(Color(255, 255, 160, 0));
    g.FillPath(&orange, &polygon, 1);
    g.ResetTransform();

    const GraphicsPath clip = Square(0, 0, 70);
    g.SetClip(&clip);
    Pen pen(Color(255, 20, 40, 200), 3);
    pen.SetDashStyle(DashStyleDash);
    pen.SetLineCap(LineCapRound);
    const PointD line[] = {{5, 55}, {40, 60}, {75, 45}};
    GraphicsPath polyline;
    polyline.AddLines(line, 3);
    g.DrawPath(&pen, &polyline, 3);
    g.ResetClip();
    SolidBrush green(Color(200, 0, 160, 60));
    g.FillEllipse(&green, 50.f, 5.f, 25.f, 15.f, 6);
    Pen arrow(Color(255, 200, 0, 0), 4);  // with the caps and joins drawn by hand
    arrow.SetLineCap(LineCapTriangle);
    arrow.SetLineJoin(LineJoinMiterClipped);
    arrow.SetMiterLimit(1.5);
    arrow.SetDashStyle(DashStyleDashDot);
    const PointD zigzag[] = {{10, 10}, {35, 20}, {10, 30}, {35, 40}};
    GraphicsPath arrowPath;
    arrowPath.AddLines(zigzag, 4);
    g.DrawPath(&arrow, &arrowPath);
}

struct RsvgDeleter {
    void operator()(RsvgHandle* h) const { g_object_unref(h); }
};

// Renders an SVG file with librsvg into a canvas-sized image, or returns null.
std::unique_ptr<Image> RasteriseSvg(const std::string& path, int width, int height) {
    GError* error = nullptr;
    std::unique_ptr<RsvgHandle, RsvgDeleter> handle(rsvg_handle_new_from_file(path.c_str(), &error));
    if (!handle) {
        if (error) g_error_free(error);
        return nullptr;
    }
    Bitmap* bitmap = new Bitmap(width, height);
    std::unique_ptr<Image> result(bitmap);
    PixelBuffer& px = *bitmap->Buffer();
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(px.pixels.data()), CAIRO_FORMAT_ARGB32, width, height, width * 4);
    cairo_t* cr = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, double(width), double(height)};
    const bool ok = rsvg_handle_render_document(handle.get(), cr, &viewport, &error);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    if (error) g_error_free(error);
    return ok ? std::move(result) : nullptr;
}

TEST(CanvasAgreement, SvgShowsWhatTheRasterCanvasShows) {
    constexpr int kWidth = 80, kHeight = 70;
    TempDir dir;
    const std::string path = (dir / "scene.svg").string();
    RasterCanvas raster(kWidth, kHeight, kWhite);
    {
        VectorCanvas svg(VectorFormat::Svg, path, kWidth, kHeight, kWhite);
        ASSERT_EQ(svg.GetLastStatus(), Ok);
        Graphics gs(&svg);
        DrawScene(gs);
        ASSERT_EQ(svg.Finish(), Ok);
    }
    Graphics gr(&raster);
    DrawScene(gr);
    const auto rendered = RasteriseSvg(path, kWidth, kHeight);
    ASSERT_TRUE(rendered) << "librsvg could not read " << path;

    // Both go through Cairo and agree exactly today; another librsvg may round antialiased edges
    // differently. At most 1% of the pixels may differ by more than 2 levels, none by more than 64.
    constexpr int kSmallDifference = 2;
    constexpr int kLargeDifference = 64;
    constexpr double kEdgeShare = 0.01;
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Color a = raster.GetPixel(x, y);
            const Color b = rendered->GetPixel(x, y);
            EXPECT_TRUE(Near(a, b, kLargeDifference))
                << "(" << x << ", " << y << ") " << Hex(a) << " vs " << Hex(b);
            if (!Near(a, b, kSmallDifference)) ++differing;
        }
    }
    EXPECT_LE(differing, kEdgeShare * kWidth * kHeight);
    EXPECT_TRUE(PixelIs(raster, 40, 30, Color(255, 255, 160, 0))) << "the scene is not blank";
}

TEST(CanvasAgreement, TranslucentHandDrawnCapsAreNotDarkerOnSvg) {
    // SVG canvases draw these without a group, from pieces that only touch.
    TempDir dir;
    const std::string path = (dir / "caps.svg").string();
    {
        VectorCanvas svg(VectorFormat::Svg, path, 40, 20);
        Graphics g(&svg);
        Pen pen(Color(128, 255, 0, 0), 8);
        pen.SetLineCap(LineCapTriangle);
        ASSERT_EQ(g.DrawLine(&pen, PointD{10, 10}, PointD{30, 10}), Ok);
        ASSERT_EQ(svg.Finish(), Ok);
    }
    const auto rendered = RasteriseSvg(path, 40, 20);
    ASSERT_TRUE(rendered);
    const Color middle = rendered->GetPixel(20, 9);
    EXPECT_EQ(middle.GetA(), 128);
    EXPECT_EQ(rendered->GetPixel(29, 9), middle) << "where a cap would overlap the line";
    EXPECT_EQ(rendered->GetPixel(31, 9), middle) << "inside the cap";
}

TEST(CanvasAgreement, RecordingKeepsExactDeviceGeometry) {
    RecordingCanvas recording(80, 70);
    Graphics g(&recording);
    DrawScene(g);
    const std::vector<RecordedOp>& ops = recording.Operations();
    ASSERT_EQ(ops.size(), 4u);

    EXPECT_EQ(OpKindName(ops[0].kind), "FillPath");
    EXPECT_EQ(ops[0].tag, 1);
    Matrix world;
    world.Translate(40, 30);
    world.Rotate(20);
    EXPECT_EQ(ops[0].world, world);
    ASSERT_EQ(ops[0].device.GetPointCount(), 10);
    const PointD tip = world.TransformPoint({0, -20});
    EXPECT_EQ(ops[0].device.Points()[0], tip);
    EXPECT_FALSE(ops[0].clip.has_value());
    ASSERT_TRUE(ops[0].brush);
    EXPECT_EQ(ops[0].brush->GetType(), BrushType::Solid);

    EXPECT_EQ(OpKindName(ops[1].kind), "DrawPath");
    EXPECT_EQ(ops[1].tag, 3);
    ASSERT_TRUE(ops[1].pen.has_value());
    EXPECT_EQ(ops[1].pen->GetDashStyle(), DashStyleDash);
    ASSERT_TRUE(ops[1].clip.has_value());
    EXPECT_EQ(*ops[1].clip, Square(0, 0, 70));
    EXPECT_EQ(ops[1].device.Points()[2], (PointD{75, 45}));

    EXPECT_EQ(OpKindName(ops[2].kind), "FillEllipse");
    EXPECT_EQ(ops[2].tag, 6);
    EXPECT_EQ(ops[2].rect, (RectD{50, 5, 25, 15}));
    EXPECT_EQ(ops[2].device.GetPointCount(), 13) << "four Beziers";
    EXPECT_FALSE(ops[2].clip.has_value());
}

TEST(CanvasAgreement, RecordingKeepsLinesRectanglesAndImages) {
    RecordingCanvas recording;
    Graphics g(&recording);
    Matrix scale(2, 0, 0, 3, 1, 1);
    g.SetTransform(&scale);
    Pen pen(kRed, 0);
    SolidBrush brush(kBlue);
    Bitmap bitmap(3, 2);
    ASSERT_EQ(g.DrawLine(&pen, PointD{1, 1}, PointD{2, 2}), Ok);
    ASSERT_EQ(g.FillRectangle(&brush, 0, 0, 1, 1), Ok);
    ASSERT_EQ(g.DrawImage(&bitmap, PointD{1, 0}), Ok);
    const auto& ops = recording.Operations();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].device.Points(), (std::vector<PointD>{{3, 4}, {5, 7}}));
    EXPECT_EQ(ops[0].from, (PointD{1, 1}));
    EXPECT_EQ(ops[1].device.Points(), (std::vector<PointD>{{1, 1}, {3, 1}, {3, 4}, {1, 4}}));
    EXPECT_TRUE(ops[1].device.Types().back() & PathPointClose);
    EXPECT_EQ(ops[2].rect, (RectD{1, 0, 3, 2}));
    EXPECT_EQ(ops[2].device.Points()[2], (PointD{9, 7}));
    EXPECT_EQ(ops[2].imageWidth, 3);
}

TEST(VectorOutput, PdfIsWrittenOnlyWhenFinished) {
    TempDir dir;
    const std::string path = (dir / "scene.pdf").string();
    {
        VectorCanvas pdf(VectorFormat::Pdf, path, 80, 70);
        Graphics g(&pdf);
        DrawScene(g);
        EXPECT_FALSE(fs::exists(path)) << "nothing at the path before Finish";
        ASSERT_EQ(pdf.Finish(), Ok);
        EXPECT_EQ(pdf.Finish(), WrongState);
        SolidBrush red(kRed);
        EXPECT_EQ(g.FillRectangle(&red, 0, 0, 5, 5), WrongState);
    }
    std::ifstream in(path, std::ios::binary);
    std::string magic(5, '\0');
    in.read(magic.data(), 5);
    EXPECT_EQ(magic, "%PDF-");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"scene.pdf"});
}

TEST(VectorOutput, AnUnfinishedDocumentLeavesNothing) {
    TempDir dir;
    for (VectorFormat format : {VectorFormat::Svg, VectorFormat::Pdf}) {
        VectorCanvas canvas(format, (dir / "abandoned").string(), 50, 50);
        Graphics g(&canvas);
        DrawScene(g);
    }
    EXPECT_TRUE(dir.Files().empty());
    VectorCanvas nowhere(VectorFormat::Svg, (dir / "no" / "such.svg").string(), 50, 50);
    EXPECT_EQ(nowhere.GetLastStatus(), FileNotFound);
    EXPECT_EQ(nowhere.Finish(), WrongState);
}

// Off-screen bitmaps drawn once and reused: a tile repeated as a texture, a stamp drawn as an
// image, and a hatch cell. On SVG and PDF they stay vector drawing; on pixels they keep alpha.
void DrawWithOffscreens(Graphics& g) {
    const std::unique_ptr<Bitmap> tile = g.CreateCompatibleBitmap(10, 10);
    {
        Graphics t(tile.get());
        SolidBrush red(kRed);
        t.FillEllipse(&red, 2.f, 2.f, 6.f, 6.f);
    }
    const TextureBrush texture(tile.get(), WrapModeTile);
    const GraphicsPath left = Square(0, 0, 40);
    EXPECT_EQ(g.FillPath(&texture, &left), Ok);
    EXPECT_EQ(g.DrawImage(tile.get(), PointD{50, 10}), Ok);
    const HatchBrush hatch(HatchStyleCross, kBlue, kClear);
    const GraphicsPath right = Square(40, 40, 40);
    EXPECT_EQ(g.FillPath(&hatch, &right), Ok);
}

TEST(VectorOutput, OffscreenBitmapsStayVectorAndLookTheSame) {
    constexpr int kSide = 80;
    TempDir dir;
    for (VectorFormat format : {VectorFormat::Svg, VectorFormat::Pdf}) {
        const std::string path = (dir / (format == VectorFormat::Svg ? "tiles.svg" : "tiles.pdf")).string();
        {
            VectorCanvas canvas(format, path, kSide, kSide);
            Graphics g(&canvas);
            EXPECT_TRUE(g.CreateCompatibleBitmap(4, 4)->Recording());
            DrawWithOffscreens(g);
            ASSERT_EQ(canvas.Finish(), Ok);
        }
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (format == VectorFormat::Svg) {
            EXPECT_EQ(text.find("<image"), std::string::npos);
            EXPECT_NE(text.find("<pattern"), std::string::npos);
        } else {
            EXPECT_EQ(text.find("/Image"), std::string::npos);
            EXPECT_NE(text.find("/Pattern"), std::string::npos);
        }
    }

    RasterCanvas raster(kSide, kSide);
    Graphics g(&raster);
    EXPECT_FALSE(g.CreateCompatibleBitmap(4, 4)->Recording());
    DrawWithOffscreens(g);
    const auto svg = RasteriseSvg((dir / "tiles.svg").string(), kSide, kSide);
    ASSERT_TRUE(svg);
    // Tiles repeat from the origin, with the map showing between their circles.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{5, 5}, {35, 25}, {55, 15}}) {
        EXPECT_TRUE(PixelIs(raster, x, y, kRed)) << x << ", " << y;
        EXPECT_TRUE(Near(svg->GetPixel(x, y), kRed, 2)) << x << ", " << y;
    }
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {20, 10}, {45, 45}}) {
        EXPECT_TRUE(PixelIs(raster, x, y, kClear)) << x << ", " << y;
        EXPECT_TRUE(Near(svg->GetPixel(x, y), kClear, 2)) << x << ", " << y;
    }
    EXPECT_TRUE(PixelIs(raster, 40, 40, kBlue));
    EXPECT_TRUE(Near(svg->GetPixel(40, 40), kBlue, 2));
}

// A caller clips out a hole and opens a container; what is drawn inside may narrow the clip and
// reset it, but never paints the hole. After the container the caller's own state is back.
void DrawInsideContainer(Graphics& g) {
    GraphicsPath aroundHole;  // alternate filling: the hole is cut out
    aroundHole.AddRectangle(0, 0, 40, 20);
    aroundHole.AddRectangle(10, 5, 10, 10);
    ASSERT_EQ(g.SetClip(&aroundHole), Ok);
    ASSERT_EQ(g.BeginContainer(), Ok);
    Matrix shifted;
    shifted.Translate(100, 100);
    g.SetTransform(&shifted);
    g.ResetTransform();
    GraphicsPath left;
    left.AddRectangle(0, 0, 30, 20);
    g.SetClip(&left);
    SolidBrush red(kRed), green(kGreen), blue(kBlue);
    g.FillRectangle(&red, 0, 0, 40, 20);
    g.ResetClip();
    g.FillRectangle(&green, 5, 8, 30, 4);
    ASSERT_EQ(g.EndContainer(), Ok);
    EXPECT_EQ(g.EndContainer(), WrongState);
    EXPECT_TRUE(g.IsClipped());
    g.FillRectangle(&blue, 36, 0, 4, 2);
    g.ResetClip();
    g.FillRectangle(&blue, 12, 6, 2, 2);
}

// Probes of DrawInsideContainer's picture.
void ExpectContainerPicture(const std::function<Color(int, int)>& pixel) {
    const struct {
        int x, y;
        Color colour;
    } probes[] = {{2, 2, kRed},     {25, 2, kRed},    {35, 2, kWhite},  {7, 10, kGreen}, {25, 10, kGreen},
                  {33, 10, kGreen}, {18, 13, kWhite}, {15, 10, kWhite}, {12, 6, kBlue},  {38, 1, kBlue}};
    for (const auto& p : probes) {
        EXPECT_TRUE(Near(pixel(p.x, p.y), p.colour, 2))
            << "(" << p.x << ", " << p.y << ") " << Hex(pixel(p.x, p.y)) << ", expected " << Hex(p.colour);
    }
}

TEST(Containers, KeepTheCallersClipOnRasterAndSvg) {
    constexpr int kWidth = 40, kHeight = 20;
    RasterCanvas raster(kWidth, kHeight, kWhite);
    {
        Graphics g(&raster);
        DrawInsideContainer(g);
    }
    ExpectContainerPicture([&](int x, int y) { return raster.GetPixel(x, y); });

    TempDir dir;
    const std::string path = (dir / "container.svg").string();
    {
        VectorCanvas svg(VectorFormat::Svg, path, kWidth, kHeight, kWhite);
        Graphics g(&svg);
        DrawInsideContainer(g);
        ASSERT_EQ(svg.Finish(), Ok);
    }
    const auto rendered = RasteriseSvg(path, kWidth, kHeight);
    ASSERT_TRUE(rendered) << "librsvg could not read " << path;
    ExpectContainerPicture([&](int x, int y) { return rendered->GetPixel(x, y); });
}

}  // namespace
}  // namespace Pictor::test
