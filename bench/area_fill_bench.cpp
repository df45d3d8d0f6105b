// Line, gradient and picture fills through the library's public entry against raw Cairo doing
// the same drawing on the same surface size: a line fill (each hatch line a call through the
// service, clipped to the polygon), a gradient fill and a tiled picture fill.
//
// The raw side replays what the library asked the graphics layer to draw (recorded once on a
// recording canvas), clipping once per polygon, so the ratio is the library's own work plus the
// graphics layer on top of Cairo.
#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/bench_common.h"
#include "bench/bench_replay.h"
#include "contracts/pictor/pictor.h"
#include "host/fill_symbols.h"
#include "host/host.h"
#include "host/stores.h"
#include "host/symbols.h"
#include "pictor/cairo_canvas.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"

using namespace Pictor;

namespace {

// A square of 1000 units hatched every 10 units (2.5 mm): 100 lines cross it.
constexpr double kSquareSide = 1000.0;
constexpr double kHatchSeparationMm = 2.5;
constexpr int kPolygons = 2000;
constexpr uint32_t kPictureId = 1;
constexpr int kTile = 16;

const std::vector<std::vector<PointD>>& Square() {
    static const std::vector<std::vector<PointD>> square = {
        {{12, 12}, {12 + kSquareSide, 12}, {12 + kSquareSide, 12 + kSquareSide}, {12, 12 + kSquareSide}}};
    return square;
}

const std::vector<std::vector<PointD>>& Polygons() {
    static const auto hexagons = bench::Hexagons(kPolygons);
    return hexagons;
}

symbolhost::SimpleLineSymbol* Line(uint32_t colour) {
    auto* line = new symbolhost::SimpleLineSymbol;
    line->SetColor(colour);
    line->SetWidth(0.25);
    return line;
}

std::unique_ptr<IGIS_Symbol, symbolhost::SymbolReleaser> Hatch() {
    auto* fill = new symbolhost::LineFillSymbol;
    fill->SetHatchLine(Line(0x6C3483));
    fill->SetOutline(Line(0x5E5E5E));
    fill->SetSeparation(kHatchSeparationMm);
    fill->SetAngle(0.0);
    return std::unique_ptr<IGIS_Symbol, symbolhost::SymbolReleaser>(fill);
}

std::unique_ptr<IGIS_Symbol, symbolhost::SymbolReleaser> Gradient() {
    auto* fill = new symbolhost::GradientFillSymbol;
    fill->SetStartColor(0xFDF2E9);
    fill->SetEndColor(0xB9770E);
    fill->SetAngle(30.0);
    fill->SetBlend({0.0, 0.6, 1.0}, {0.0, 0.3, 1.0});
    return std::unique_ptr<IGIS_Symbol, symbolhost::SymbolReleaser>(fill);
}

// Bricks of a 16-pixel tile, the same pixels for both sides.
const std::vector<uint32_t>& TilePixels() {
    static const std::vector<uint32_t> pixels = [] {
        std::vector<uint32_t> p(kTile * kTile);
        for (int y = 0; y < kTile; ++y) {
            for (int x = 0; x < kTile; ++x) {
                const bool mortar = y % 8 == 7 || (x + (y < 8 ? 0 : 8)) % 16 == 15;
                p[y * kTile + x] = mortar ? 0xFFE5D8C3u : 0xFFB04A32u;
            }
        }
        return p;
    }();
    return pixels;
}

std::unique_ptr<IGIS_Symbol, symbolhost::SymbolReleaser> Bricks() {
    symbolhost::DefaultFillImageStore().Add(kPictureId, Image::FromArgb(kTile, kTile, TilePixels().data()));
    auto* fill = new symbolhost::PictureFillSymbol;
    fill->SetPicture(kPictureId);
    return std::unique_ptr<IGIS_Symbol, symbolhost::SymbolReleaser>(fill);
}

void DrawPolygons(IGIS_Symbol* symbol, Graphics* g, const std::vector<std::vector<PointD>>& polygons) {
    const SymbolizeInfo info = bench::Context(*g);
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    for (const auto& polygon : polygons) {
        const int32_t count = static_cast<int32_t>(polygon.size());
        service->Symbolize(symbol, &info, polygon.data(), &count);
    }
}

std::vector<RecordedOp> Record(IGIS_Symbol* symbol, const std::vector<std::vector<PointD>>& polygons) {
    bench::QuietProperties();
    RecordingCanvas canvas(bench::kSurfaceSize, bench::kSurfaceSize);
    Graphics g(&canvas);
    DrawPolygons(symbol, &g, polygons);
    return canvas.Operations();
}

void RunLayer(benchmark::State& state, IGIS_Symbol* symbol,
              const std::vector<std::vector<PointD>>& polygons) {
    bench::LayerSurface layer;
    for (auto _ : state) DrawPolygons(symbol, &layer.graphics, polygons);
}

void RunRaw(benchmark::State& state, IGIS_Symbol* symbol, const std::vector<std::vector<PointD>>& polygons) {
    const std::vector<RecordedOp> ops = Record(symbol, polygons);
    bench::RawSurface raw;
    // The tile as a plain Cairo program would hold it: one repeating pattern for every fill.
    cairo_surface_t* tile = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(TilePixels().data())), CAIRO_FORMAT_ARGB32,
        kTile, kTile, kTile * 4);
    cairo_pattern_t* texture = cairo_pattern_create_for_surface(tile);
    cairo_pattern_set_extend(texture, CAIRO_EXTEND_REPEAT);
    for (auto _ : state) bench::Replay(raw.cr, ops, texture);
    cairo_pattern_destroy(texture);
    cairo_surface_destroy(tile);
}

void LineFill_layer(benchmark::State& state) { RunLayer(state, Hatch().get(), Square()); }
void LineFill_raw(benchmark::State& state) { RunRaw(state, Hatch().get(), Square()); }
void Gradient_layer(benchmark::State& state) { RunLayer(state, Gradient().get(), Polygons()); }
void Gradient_raw(benchmark::State& state) { RunRaw(state, Gradient().get(), Polygons()); }
void Picture_layer(benchmark::State& state) { RunLayer(state, Bricks().get(), Polygons()); }
void Picture_raw(benchmark::State& state) { RunRaw(state, Bricks().get(), Polygons()); }

}  // namespace

BENCHMARK(LineFill_layer)->Name("line_fill_square/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(LineFill_raw)->Name("line_fill_square/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Gradient_layer)->Name("gradient_fill_hexagons/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Gradient_raw)->Name("gradient_fill_hexagons/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Picture_layer)->Name("tiled_picture_hexagons/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Picture_raw)->Name("tiled_picture_hexagons/raw")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv); }
