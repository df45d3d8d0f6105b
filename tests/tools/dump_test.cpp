// The drawing dump: every field of every operation kind, the log, and exact numbers, each read
// back from the dump's text as a user of the file would.
#include "tools/symbolize/dump.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "contracts/pictor/pictor.h"
#include "host/host.h"
#include "host/symbols.h"
#include "pictor/recording_canvas.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using nlohmann::json;
using Pictor::Color;
using Pictor::PointD;

// The dump as a reader of the file sees it: written to text and parsed again.
json ReadBack(const std::optional<dump::Json>& dump) {
    EXPECT_TRUE(dump.has_value());
    if (!dump) return json();
    const std::optional<std::string> text = dump::ToText(*dump);
    EXPECT_TRUE(text.has_value());
    return text ? json::parse(*text) : json();
}

json Dump(const Pictor::RecordingCanvas& canvas, const std::vector<symbolhost::LogEntry>& log = {}) {
    std::string error;
    std::optional<dump::Json> dump = dump::DumpRecording(canvas, log, &error);
    EXPECT_EQ(error, "");
    return ReadBack(dump);
}

// Same double, bit for bit (so -0.0 differs from 0.0).
void ExpectSameDouble(const json& value, double expected, const std::string& where) {
    ASSERT_TRUE(value.is_number()) << where << ": " << value.dump();
    EXPECT_EQ(std::bit_cast<uint64_t>(value.get<double>()), std::bit_cast<uint64_t>(expected))
        << where << ": " << value.dump() << " read back, " << expected << " drawn";
}

// The figures hold exactly the path's points, in order, and each segment's kind agrees with the
// point types.
void ExpectFigures(const json& figures, const Pictor::GraphicsPath& path) {
    const std::vector<PointD>& points = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    size_t i = 0;
    for (const json& figure : figures) {
        ASSERT_LT(i, points.size());
        const json& pts = figure.at("points");
        size_t p = 0;
        for (const json& segment : figure.at("segments")) {
            p += segment == "curve" ? 3 : 1;
            ASSERT_LT(i + p, types.size());
            EXPECT_EQ(types[i + p] & Pictor::PathPointTypeMask,
                      segment == "curve" ? Pictor::PathPointBezier : Pictor::PathPointLine);
        }
        ASSERT_EQ(pts.size(), p + 1);
        EXPECT_EQ(figure.at("closed").get<bool>(), (types[i + p] & Pictor::PathPointClose) != 0);
        for (const json& pt : pts) {
            ExpectSameDouble(pt[0], points[i].x, "x of point " + std::to_string(i));
            ExpectSameDouble(pt[1], points[i].y, "y of point " + std::to_string(i));
            ++i;
        }
    }
    EXPECT_EQ(i, points.size());
}

void ExpectMatrix(const json& value, const Pictor::Matrix& m) {
    double e[6];
    m.GetElements(e);
    ASSERT_EQ(value.size(), 6u);
    for (size_t k = 0; k < 6; ++k) ExpectSameDouble(value[k], e[k], "matrix element " + std::to_string(k));
}

// What every operation of a recording must show, checked against the recorded call itself.
void ExpectRecorded(const json& op, const Pictor::RecordedOp& recorded) {
    EXPECT_EQ(op.at("kind"), std::string(Pictor::OpKindName(recorded.kind)));
    EXPECT_EQ(op.at("tag"), recorded.tag);
    ExpectMatrix(op.at("world"), recorded.world);
    ExpectFigures(op.at("figures"), recorded.device);
    EXPECT_EQ(op.at("clip").is_null(), !recorded.clip.has_value());
    EXPECT_EQ(op.contains("pen"), recorded.pen.has_value());
    EXPECT_EQ(op.contains("brush"), recorded.brush != nullptr);
}

class DumpTest : public ::testing::Test {
protected:
    // A closed figure of a line and a curve, then an open one-line figure.
    static Pictor::GraphicsPath LineAndCurve() {
        Pictor::GraphicsPath path;
        path.AddLine(0, 0, 10, 0);
        const PointD curve[] = {{10, 0}, {12, 2}, {14, 4}, {16, 0}};
        path.AddBeziers(curve, 4);
        path.CloseFigure();
        path.StartFigure();
        path.AddLine(20, 20, 30, 30);
        return path;
    }

    Pictor::RecordingCanvas canvas_{200, 100};
    Pictor::Graphics graphics_{&canvas_};
};

TEST_F(DumpTest, EveryOperationAndBrushKindShowsItsFields) {
    const Pictor::Matrix world(2, 0, 0, 2, 10, 5);
    ASSERT_EQ(graphics_.SetTransform(&world), Pictor::Ok);
    ASSERT_EQ(graphics_.SetSmoothingMode(Pictor::SmoothingOff), Pictor::Ok);
    Pictor::GraphicsPath clip;
    clip.AddRectangle(0, 0, 50, 40);
    ASSERT_EQ(graphics_.SetClip(&clip), Pictor::Ok);

    Pictor::Pen pen(Color(0x80112233), 1.5);
    const double dashes[] = {2, 0.5};
    pen.SetDashPattern(dashes, 2);
    pen.SetLineJoin(Pictor::LineJoinRound);
    pen.SetLineCap(Pictor::LineCapTriangle);
    pen.SetMiterLimit(4);
    const Pictor::GraphicsPath path = LineAndCurve();
    graphics_.DrawPath(&pen, &path, 1);

    const Pictor::HatchBrush hatch(Pictor::HatchStyleDiagonalCross, Color(0xFF0000FF), Color(0x00FFFFFF));
    Pictor::GraphicsPath winding(Pictor::FillModeWinding);
    winding.AddEllipse(0, 0, 8, 6);
    graphics_.FillPath(&hatch, &winding, 3);

    graphics_.DrawLine(&pen, PointD(1, 2), PointD(3, 4), 6);

    Pictor::LinearGradientBrush gradient(Pictor::RectD(0, 0, 10, 5), Color(0xFFFF0000), Color(0xFF00FF00),
                                         Pictor::LinearGradientModeVertical);
    const double factors[] = {0, 0.25, 1};
    const double positions[] = {0, 0.5, 1};
    ASSERT_EQ(gradient.SetBlend(factors, positions, 3), Pictor::Ok);
    gradient.RotateTransform(30);
    graphics_.FillRectangle(&gradient, Pictor::RectD(1, 1, 10, 5));

    const uint32_t pixels[6] = {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000};
    const std::unique_ptr<Pictor::Image> image = Pictor::Image::FromArgb(3, 2, pixels);
    const Pictor::TextureBrush texture(image.get(), Pictor::WrapModeClamp);
    graphics_.FillEllipse(&texture, 2, 3, 8, 4);

    graphics_.ResetClip();
    graphics_.DrawImage(image.get(), 1, 2, 6, 4);
    const Pictor::SolidBrush solid(Color(0x40ABCDEF));
    graphics_.FillPath(&solid, &path);

    const json d = Dump(canvas_);
    EXPECT_EQ(d.at("version"), dump::kFormatVersion);
    EXPECT_EQ(d.at("canvas"), json({{"width", 200}, {"height", 100}}));
    EXPECT_EQ(d.at("nonFiniteNumbers"), 0);
    const json& ops = d.at("operations");
    ASSERT_EQ(ops.size(), canvas_.Operations().size());
    ASSERT_EQ(ops.size(), 7u);
    for (size_t i = 0; i < ops.size(); ++i) {
        SCOPED_TRACE("operation " + std::to_string(i));
        ExpectRecorded(ops[i], canvas_.Operations()[i]);
    }

    const json& stroke = ops[0];
    EXPECT_EQ(stroke.at("smoothing"), "Off");
    EXPECT_EQ(stroke.at("pen"), json({{"color", "#80112233"},
                                      {"width", 1.5},
                                      {"dashStyle", "Custom"},
                                      {"dashPattern", {2.0, 0.5}},
                                      {"lineJoin", "Round"},
                                      {"lineCap", "Triangle"},
                                      {"miterLimit", 4.0}}));
    ASSERT_EQ(stroke.at("figures").size(), 2u);
    EXPECT_EQ(stroke.at("figures")[0].at("segments"), json({"line", "curve"}));
    EXPECT_TRUE(stroke.at("figures")[0].at("closed").get<bool>());
    EXPECT_FALSE(stroke.at("figures")[1].at("closed").get<bool>());
    EXPECT_EQ(stroke.at("clip").at("fillMode"), "Alternate");
    ExpectFigures(stroke.at("clip").at("figures"), *canvas_.Operations()[0].clip);

    EXPECT_EQ(ops[1].at("fillMode"), "Winding");
    EXPECT_EQ(ops[1].at("brush"), json({{"kind", "Hatch"},
                                        {"hatchStyle", "DiagonalCross"},
                                        {"foreColor", "#FF0000FF"},
                                        {"backColor", "#00FFFFFF"}}));
    EXPECT_EQ(ops[2].at("from"), json({1.0, 2.0}));
    EXPECT_EQ(ops[2].at("to"), json({3.0, 4.0}));

    const json& grad = ops[3].at("brush");
    EXPECT_EQ(grad.at("kind"), "LinearGradient");
    EXPECT_EQ(grad.at("rect"), json({0.0, 0.0, 10.0, 5.0}));
    EXPECT_EQ(grad.at("color1"), "#FFFF0000");
    EXPECT_EQ(grad.at("color2"), "#FF00FF00");
    EXPECT_EQ(grad.at("mode"), "Vertical");
    EXPECT_EQ(grad.at("blend"), json({{"factors", {0.0, 0.25, 1.0}}, {"positions", {0.0, 0.5, 1.0}}}));
    ExpectMatrix(grad.at("transform"), gradient.GetTransform());
    EXPECT_EQ(ops[3].at("rect"), json({1.0, 1.0, 10.0, 5.0}));

    EXPECT_EQ(ops[4].at("brush"),
              json({{"kind", "Texture"}, {"imageWidth", 3}, {"imageHeight", 2}, {"wrapMode", "Clamp"}}));
    EXPECT_EQ(ops[5].at("image"), json({{"width", 3}, {"height", 2}}));
    EXPECT_EQ(ops[5].at("rect"), json({1.0, 2.0, 6.0, 4.0}));
    EXPECT_EQ(ops[6].at("brush"), json({{"kind", "Solid"}, {"color", "#40ABCDEF"}}));
}

TEST_F(DumpTest, NumbersSurviveTheRoundTripExactly) {
    const double values[] = {0.1, 1.0 / 3.0, 1e-300, 3.779527559055118, 5e-324, 1.7976931348623157e308};
    Pictor::GraphicsPath path;
    std::vector<PointD> points;
    for (double v : values) points.push_back({v, -v});
    path.AddLines(points.data(), static_cast<int>(points.size()));
    const Pictor::Pen pen(Color(0xFF000000), 1.0 / 3.0);
    graphics_.DrawPath(&pen, &path);
    // The call's own rectangle is kept as given, where mapping by the world would turn -0 into 0.
    const Pictor::RectD rect(-0.0, 1.0 / 3.0, 0.1, 1e-300);
    const Pictor::SolidBrush brush(Color(0xFF000000));
    graphics_.FillRectangle(&brush, rect);

    const json d = Dump(canvas_);
    EXPECT_EQ(d.at("nonFiniteNumbers"), 0);
    const json& ops = d.at("operations");
    ASSERT_EQ(ops.size(), 2u);
    ExpectFigures(ops[0].at("figures"), canvas_.Operations()[0].device);
    ExpectSameDouble(ops[0].at("pen").at("width"), 1.0 / 3.0, "pen width");
    const double given[] = {rect.x, rect.y, rect.width, rect.height};
    for (size_t k = 0; k < 4; ++k)
        ExpectSameDouble(ops[1].at("rect")[k], given[k], "rect " + std::to_string(k));
}

TEST_F(DumpTest, NumbersBeyondDoubleAreNullAndCounted) {
    // Finite in drawing units, beyond the range of doubles once mapped to the device.
    const Pictor::Matrix huge(1e300, 0, 0, 1, 0, 0);
    graphics_.SetTransform(&huge);
    const Pictor::Pen pen(Color(0xFF000000));
    ASSERT_EQ(graphics_.DrawLine(&pen, PointD(0, 0), PointD(1e300, 1)), Pictor::Ok);

    const json d = Dump(canvas_);
    EXPECT_EQ(d.at("nonFiniteNumbers"), 1);
    EXPECT_EQ(d.at("operations").at(0).at("figures").at(0).at("points").at(1), json({nullptr, 1.0}));
}

TEST_F(DumpTest, HandedBackPathsSitBetweenTheCanvasOperationsAroundThem) {
    dump::DumpBuilder builder(canvas_);
    const Pictor::Pen pen(Color(0xFF000000));
    graphics_.DrawLine(&pen, PointD(0, 0), PointD(1, 1));
    const Pictor::Matrix shift(1, 0, 0, 1, 100, 0);
    const Pictor::GraphicsPath outline = LineAndCurve();
    ASSERT_TRUE(builder.AddPath(outline, shift));
    const Pictor::SolidBrush brush(Color(0xFF000000));
    graphics_.FillRectangle(&brush, Pictor::RectD(0, 0, 1, 1));

    const json d = ReadBack(builder.Finish({}));
    const json& ops = d.at("operations");
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].at("kind"), "DrawLine");
    EXPECT_EQ(ops[1].at("kind"), "Path");
    EXPECT_EQ(ops[2].at("kind"), "FillRectangle");
    Pictor::GraphicsPath device = outline;
    device.Transform(&shift);
    ExpectFigures(ops[1].at("figures"), device);
    ExpectMatrix(ops[1].at("world"), shift);
}

TEST_F(DumpTest, RefusesRendersBeyondItsCaps) {
    const Pictor::Pen pen(Color(0xFF000000));
    graphics_.DrawLine(&pen, PointD(0, 0), PointD(1, 1));
    graphics_.DrawLine(&pen, PointD(0, 0), PointD(1, 1));
    dump::DumpBuilder small(canvas_, 3);
    EXPECT_FALSE(small.Finish({}).has_value());
    EXPECT_NE(small.Error().find("more than 3 points"), std::string::npos) << small.Error();
    EXPECT_FALSE(small.AddPath(LineAndCurve()));  // stays failed

    // The recording itself stops at its budget, within one feature's drawing.
    Pictor::RecordingCanvas bounded(200, 100);
    bounded.SetPointBudget(5);
    Pictor::Graphics g(&bounded);
    for (int i = 0; i < 100; ++i) g.DrawLine(&pen, PointD(0, i), PointD(1, i));
    EXPECT_EQ(bounded.Operations().size(), 2u);
    EXPECT_TRUE(bounded.OverBudget());
    dump::DumpBuilder builder(bounded, 5);
    EXPECT_FALSE(builder.TakeOperations());
    EXPECT_NE(builder.Error().find("more than 5 points"), std::string::npos) << builder.Error();

    const std::vector<symbolhost::LogEntry> chatty(dump::kMaxDumpLogEntries + 1);
    std::string error;
    EXPECT_FALSE(dump::DumpRecording(canvas_, chatty, &error).has_value());
    EXPECT_NE(error.find("messages"), std::string::npos) << error;
}

TEST_F(DumpTest, WritesTextThatIsUtf8EvenWhenAMessageIsNot) {
    const std::vector<symbolhost::LogEntry> log = {{2, "CGIS_Test::Run", "bad \xC3 byte", "test.cpp", 7}};
    const json d = Dump(canvas_, log);
    ASSERT_EQ(d.at("log").size(), 1u);
    EXPECT_EQ(d.at("log")[0],
              json({{"level", 2}, {"function", "CGIS_Test::Run"}, {"message", "bad \uFFFD byte"}}));

    const std::string dir = ::testing::TempDir() + "dump_test_out";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/render.json";
    std::string error;
    ASSERT_TRUE(dump::WriteFile(*dump::DumpRecording(canvas_, log, &error), file, &error)) << error;
    std::ifstream in(file);
    EXPECT_EQ(json::parse(in), d);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              1)
        << "the temporary file was left behind";
    EXPECT_FALSE(dump::WriteFile(d, dir + "/missing/render.json", &error));
    EXPECT_NE(error.find("missing/render.json"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

// Through the public entry, as the `symbolize` program draws a document.
class DumpEntryTest : public symbolize_test::RecordingTest {};

TEST_F(DumpEntryTest, LineAndFillDumpTheOperationsTheirSymbolizersMake) {
    symbolhost::SimpleLineSymbol line;
    line.SetColor(0x123456);
    line.SetWidth(0.5);
    Draw(&line, {{0, 0}, {40, 0}, {40, 40}});
    symbolhost::SimpleFillSymbol fill;
    fill.SetColor(0x112233);
    auto* outline = new symbolhost::SimpleLineSymbol;
    outline->SetWidth(0.25);
    fill.SetOutline(outline);
    Draw(&fill, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});

    const json d = Dump(canvas_);
    const json& ops = d.at("operations");
    ASSERT_EQ(Kinds(), (std::vector<Pictor::OpKind>{Pictor::OpKind::DrawPath, Pictor::OpKind::FillPath,
                                                    Pictor::OpKind::DrawPath}));
    ASSERT_EQ(ops.size(), Ops().size());
    for (size_t i = 0; i < ops.size(); ++i) {
        SCOPED_TRACE("operation " + std::to_string(i));
        ExpectRecorded(ops[i], Ops()[i]);
    }
    EXPECT_EQ(ops[0].at("pen").at("color"), "#FF123456");
    EXPECT_EQ(ops[1].at("brush"), json({{"kind", "Solid"}, {"color", "#FF112233"}}));
}

TEST_F(DumpEntryTest, LogHoldsTheMessagesOfABadFeature) {
    symbolhost::ScopedCaptureLog capture;
    symbolhost::SimpleLineSymbol line;
    const int32_t none = 0;
    const PointD point(1, 1);
    GIS_GetSymbolizeObject()->Symbolize(&line, &info_, &point, &none);

    const json d = Dump(canvas_, capture.log().Entries());
    EXPECT_TRUE(d.at("operations").empty());
    ASSERT_EQ(d.at("log").size(), 1u);
    EXPECT_EQ(d.at("log")[0],
              json({{"level", 2}, {"function", "CGIS_Symbolize::Symbolize"}, {"message", "Input Error"}}));
}

}  // namespace
