// The library's public entry against raw Cairo doing the same drawing on the same surface size.
#include <cairo.h>

#include "bench/bench_common.h"
#include "contracts/pictor/pictor.h"
#include "host/symbols.h"
#include "pictor/cairo_canvas.h"
#include "symbolize/symbolize.h"

using namespace Pictor;

namespace {

constexpr int kPolylines = 10000;
constexpr int kVertices = 20;
constexpr int kPolygons = 10000;

// Dashed road with a halo: 0.5 mm line, 0.3 mm halo on each side.
constexpr double kLineMm = 0.5;
constexpr double kHaloMm = 0.3;
constexpr uint32_t kLineColour = 0xC0392B;
constexpr uint32_t kHaloColour = 0xFFFFFF;
// Hatched parcel with a 0.25 mm outline.
constexpr uint32_t kHatchColour = 0x1E8449;
constexpr uint32_t kHatchBack = 0xE9F7EF;
constexpr double kOutlineMm = 0.25;

const auto& Walks() {
    static const auto walks = bench::RandomWalks(kPolylines, kVertices);
    return walks;
}
const auto& Polygons() {
    static const auto polygons = bench::Hexagons(kPolygons);
    return polygons;
}

template <Pictor::RasterEngine engine>
void Lines_layer(benchmark::State& state) {
    bench::LayerSurface layer(engine, false);  // each iteration repeats the scene: no stamps
    symbolhost::SimpleLineSymbol line;
    line.SetColor(kLineColour);
    line.SetWidth(kLineMm);
    line.SetLineStyle(SimpleLineStyleDash);
    line.SetLineJoin(2);
    line.SetLineCap(0);
    line.SetHalo({kHaloMm, kHaloColour, true});
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t count = kVertices;
    for (auto _ : state) {
        for (const auto& walk : Walks()) service->Symbolize(&line, &layer.info, walk.data(), &count);
    }
}

void Lines_raw(benchmark::State& state) {
    bench::RawSurface raw;
    const double width = kLineMm * bench::kScale;
    const double dashes[] = {3 * width, 1 * width};
    for (auto _ : state) {
        for (const auto& walk : Walks()) {
            auto trace = [&] {
                cairo_move_to(raw.cr, walk[0].x, walk[0].y);
                for (int i = 1; i < kVertices; ++i) cairo_line_to(raw.cr, walk[i].x, walk[i].y);
            };
            trace();
            bench::SetSource(raw.cr, kHaloColour);
            cairo_set_line_width(raw.cr, (2 * kHaloMm + kLineMm) * bench::kScale);
            cairo_set_dash(raw.cr, nullptr, 0, 0);
            cairo_set_line_join(raw.cr, CAIRO_LINE_JOIN_MITER);
            cairo_set_miter_limit(raw.cr, 10);
            cairo_set_line_cap(raw.cr, CAIRO_LINE_CAP_BUTT);
            cairo_stroke(raw.cr);
            trace();
            bench::SetSource(raw.cr, kLineColour);
            cairo_set_line_width(raw.cr, width);
            cairo_set_dash(raw.cr, dashes, 2, 0);
            cairo_set_line_join(raw.cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke(raw.cr);
        }
    }
}

template <Pictor::RasterEngine engine>
void Parcels_layer(benchmark::State& state) {
    bench::LayerSurface layer(engine, false);  // each iteration repeats the scene: no stamps
    symbolhost::SimpleFillSymbol fill;
    fill.SetStyle(SimpleFillStyleForwardDiagonal);
    fill.SetColor(kHatchColour);
    fill.SetBackgroundColor(kHatchBack);
    fill.SetBackgroundTransparency(0);
    auto* outline = new symbolhost::SimpleLineSymbol;
    outline->SetColor(kHatchColour);
    outline->SetWidth(kOutlineMm);
    outline->SetLineJoin(0);
    outline->SetLineCap(0);
    fill.SetOutline(outline);
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t count = 6;
    for (auto _ : state) {
        for (const auto& polygon : Polygons()) service->Symbolize(&fill, &layer.info, polygon.data(), &count);
    }
}

void Parcels_raw(benchmark::State& state) {
    bench::RawSurface raw;
    // The 8 x 8 hatch cell, made once as a raw program would.
    cairo_surface_t* cell = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_t* cc = cairo_create(cell);
    bench::SetSource(cc, kHatchBack);
    cairo_paint(cc);
    bench::SetSource(cc, kHatchColour);
    for (int i = 0; i < 8; ++i) cairo_rectangle(cc, i, i, 1, 1);
    cairo_fill(cc);
    cairo_destroy(cc);
    cairo_pattern_t* hatch = cairo_pattern_create_for_surface(cell);
    cairo_pattern_set_extend(hatch, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(hatch, CAIRO_FILTER_NEAREST);
    for (auto _ : state) {
        for (const auto& polygon : Polygons()) {
            cairo_move_to(raw.cr, polygon[0].x, polygon[0].y);
            for (int i = 1; i < 6; ++i) cairo_line_to(raw.cr, polygon[i].x, polygon[i].y);
            cairo_close_path(raw.cr);
            cairo_set_fill_rule(raw.cr, CAIRO_FILL_RULE_EVEN_ODD);
            cairo_set_source(raw.cr, hatch);
            cairo_fill(raw.cr);
            // The outline starts and ends mid-edge so every corner is a join.
            const PointD mid{(polygon[5].x + polygon[0].x) / 2, (polygon[5].y + polygon[0].y) / 2};
            cairo_move_to(raw.cr, mid.x, mid.y);
            for (int i = 0; i < 6; ++i) cairo_line_to(raw.cr, polygon[i].x, polygon[i].y);
            cairo_line_to(raw.cr, mid.x, mid.y);
            bench::SetSource(raw.cr, kHatchColour);
            cairo_set_line_width(raw.cr, kOutlineMm * bench::kScale);
            cairo_set_dash(raw.cr, nullptr, 0, 0);
            cairo_set_line_join(raw.cr, CAIRO_LINE_JOIN_MITER);
            cairo_set_line_cap(raw.cr, CAIRO_LINE_CAP_BUTT);
            cairo_stroke(raw.cr);
        }
    }
    cairo_pattern_destroy(hatch);
    cairo_surface_destroy(cell);
}

}  // namespace

BENCHMARK(Lines_layer<Pictor::RasterEngine::Cairo>)->Name("dashed_halo_lines/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Lines_layer<Pictor::RasterEngine::Agg>)->Name("dashed_halo_lines/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(Lines_raw)->Name("dashed_halo_lines/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Parcels_layer<Pictor::RasterEngine::Cairo>)->Name("hatched_parcels/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Parcels_layer<Pictor::RasterEngine::Agg>)->Name("hatched_parcels/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(Parcels_raw)->Name("hatched_parcels/raw")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv); }
