// The graphics layer against raw Cairo and Pango doing the same drawing on the same surface size.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "bench/bench_common.h"
#include "contracts/pictor/pictor.h"
#include "pictor/pixel_canvas.h"

using namespace Pictor;

namespace {

constexpr int kPolylines = 10000;
constexpr int kVertices = 20;
constexpr int kHexagons = 10000;
constexpr int kLabels = 2000;
constexpr double kStrokeWidth = 2.0;
const double kDashes[] = {4.0, 2.0};  // in pen widths
constexpr double kFontSize = 12.0;

const auto& Walks() {
    static const auto walks = bench::RandomWalks(kPolylines, kVertices);
    return walks;
}
const auto& Hexes() {
    static const auto hexes = bench::Hexagons(kHexagons);
    return hexes;
}
std::string Label(int i) { return "Label " + std::to_string(i); }
PointD LabelOrigin(int i) { return {double((i * 97) % 960), double((i * 61) % 1000)}; }

// The AGG side draws without the stamp cache: every iteration repeats the same scene, which the
// cache would replay rather than draw.
template <RasterEngine engine>
void Strokes_layer(benchmark::State& state) {
    PixelCanvas canvas(bench::kSurfaceSize, bench::kSurfaceSize, Color(0u), engine);
    canvas.SetStampCache(false);
    Graphics g(&canvas);
    Pen pen(Color(0xFF2060A0), kStrokeWidth);
    pen.SetDashPattern(kDashes, 2);
    for (auto _ : state) {
        for (const auto& line : Walks()) {
            GraphicsPath path;
            path.AddLines(line.data(), kVertices);
            g.DrawPath(&pen, &path);
        }
    }
}

void Strokes_raw(benchmark::State& state) {
    bench::RawSurface raw;
    const double dashes[] = {kDashes[0] * kStrokeWidth, kDashes[1] * kStrokeWidth};
    for (auto _ : state) {
        for (const auto& line : Walks()) {
            cairo_set_source_rgba(raw.cr, 0x20 / 255.0, 0x60 / 255.0, 0xA0 / 255.0, 1.0);
            cairo_set_line_width(raw.cr, kStrokeWidth);
            cairo_set_dash(raw.cr, dashes, 2, 0);
            cairo_set_line_join(raw.cr, CAIRO_LINE_JOIN_MITER);
            cairo_set_miter_limit(raw.cr, 10.0);
            cairo_set_line_cap(raw.cr, CAIRO_LINE_CAP_BUTT);
            cairo_move_to(raw.cr, line[0].x, line[0].y);
            for (int i = 1; i < kVertices; ++i) cairo_line_to(raw.cr, line[i].x, line[i].y);
            cairo_stroke(raw.cr);
        }
    }
}

template <RasterEngine engine>
void Hexagons_layer(benchmark::State& state) {
    PixelCanvas canvas(bench::kSurfaceSize, bench::kSurfaceSize, Color(0u), engine);
    canvas.SetStampCache(false);
    Graphics g(&canvas);
    SolidBrush brush(Color(0xFFE0C080));
    Pen pen(Color(0xFF604020), 1.0);
    for (auto _ : state) {
        for (const auto& hex : Hexes()) {
            GraphicsPath path;
            path.AddPolygon(hex.data(), 6);
            g.FillPath(&brush, &path);
            g.DrawPath(&pen, &path);
        }
    }
}

void Hexagons_raw(benchmark::State& state) {
    bench::RawSurface raw;
    for (auto _ : state) {
        for (const auto& hex : Hexes()) {
            cairo_new_path(raw.cr);
            cairo_move_to(raw.cr, hex[0].x, hex[0].y);
            for (int i = 1; i < 6; ++i) cairo_line_to(raw.cr, hex[i].x, hex[i].y);
            cairo_close_path(raw.cr);
            cairo_set_fill_rule(raw.cr, CAIRO_FILL_RULE_EVEN_ODD);
            cairo_set_source_rgba(raw.cr, 0xE0 / 255.0, 0xC0 / 255.0, 0x80 / 255.0, 1.0);
            cairo_fill_preserve(raw.cr);
            cairo_set_source_rgba(raw.cr, 0x60 / 255.0, 0x40 / 255.0, 0x20 / 255.0, 1.0);
            cairo_set_line_width(raw.cr, 1.0);
            cairo_set_dash(raw.cr, nullptr, 0, 0);
            cairo_set_line_join(raw.cr, CAIRO_LINE_JOIN_MITER);
            cairo_set_line_cap(raw.cr, CAIRO_LINE_CAP_BUTT);
            cairo_stroke(raw.cr);
        }
    }
}

template <RasterEngine engine>
void Labels_layer(benchmark::State& state) {
    PixelCanvas canvas(bench::kSurfaceSize, bench::kSurfaceSize, Color(0u), engine);
    canvas.SetStampCache(false);
    Graphics g(&canvas);
    Font font("DejaVu Sans", kFontSize);
    SolidBrush brush(Color(0xFF202020));
    for (auto _ : state) {
        for (int i = 0; i < kLabels; ++i) {
            GraphicsPath path(FillModeWinding);
            PointD origin = LabelOrigin(i);
            path.AddStringFont(Label(i), &font, &origin, true);
            g.FillPath(&brush, &path);
        }
    }
}

void Labels_raw(benchmark::State& state) {
    bench::RawSurface raw;
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    PangoLayout* layout = pango_cairo_create_layout(raw.cr);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    PangoFontDescription* desc = pango_font_description_from_string("DejaVu Sans");
    pango_font_description_set_absolute_size(desc, kFontSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc);
    for (auto _ : state) {
        for (int i = 0; i < kLabels; ++i) {
            const std::string text = Label(i);
            const PointD origin = LabelOrigin(i);
            pango_layout_set_text(layout, text.c_str(), int(text.size()));
            cairo_new_path(raw.cr);
            cairo_move_to(raw.cr, origin.x, origin.y);
            pango_cairo_layout_path(raw.cr, layout);
            cairo_set_fill_rule(raw.cr, CAIRO_FILL_RULE_WINDING);
            cairo_set_source_rgba(raw.cr, 0x20 / 255.0, 0x20 / 255.0, 0x20 / 255.0, 1.0);
            cairo_fill(raw.cr);
        }
    }
    pango_font_description_free(desc);
    g_object_unref(layout);
    cairo_font_options_destroy(options);
}

}  // namespace

BENCHMARK(Strokes_layer<RasterEngine::Cairo>)->Name("strokes/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Strokes_layer<RasterEngine::Agg>)->Name("strokes/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(Strokes_raw)->Name("strokes/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Hexagons_layer<RasterEngine::Cairo>)->Name("hexagons/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Hexagons_layer<RasterEngine::Agg>)->Name("hexagons/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(Hexagons_raw)->Name("hexagons/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Labels_layer<RasterEngine::Cairo>)->Name("labels/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Labels_layer<RasterEngine::Agg>)->Name("labels/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(Labels_raw)->Name("labels/raw")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv); }
