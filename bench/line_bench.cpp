// Line symbols through the library's public entry against raw Cairo doing the same drawing on
// the same surface size: an offset cartographic line dashed by the pen, the same line with every
// dash stroked on its own, and a marker line.
//
// The raw side replays what the library asked the graphics layer to draw (recorded once on a
// recording canvas), so both sides stroke identical geometry; the ratio is what the library's
// own work (offsets, dash walking, marker placement) and the graphics layer add to Cairo.
#include <cairo.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench/bench_common.h"
#include "bench/bench_replay.h"
#include "contracts/pictor/pictor.h"
#include "contracts/symbol/resource.h"
#include "host/line_symbols.h"
#include "host/resources.h"
#include "host/stores.h"
#include "pictor/cairo_canvas.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"

using namespace Pictor;

namespace {

constexpr int kCartographicLines = 10000;
constexpr int kMarkerLines = 1000;
constexpr int kVertices = 20;

// A boundary: 0.5 mm wide, 1 mm to the left of travel, dashes of 3 mm with 1.5 mm gaps.
constexpr double kLineMm = 0.5;
constexpr double kOffsetMm = 1.0;
constexpr uint32_t kLineColour = 0x7D3C98;
// River arrows: a 2 mm drawing every 5 mm (2 mm wide plus a 3 mm gap).
constexpr uint32_t kArrowCode = 1;
constexpr double kArrowGapMm = 3.0;
constexpr uint32_t kArrowColour = 0x2471A3;

const auto& Walks() {
    static const auto walks = bench::RandomWalks(kCartographicLines, kVertices);
    return walks;
}

symbolhost::CartographicLineSymbol Boundary(bool separate) {
    symbolhost::CartographicLineSymbol line;
    line.SetColor(kLineColour);
    line.SetWidth(kLineMm);
    line.SetOffset(kOffsetMm);
    line.SetDashArray({3.0, 1.5});
    line.SetLineJoin(CartographicJoinRound);
    line.SetLineCap(LineCapRound);
    line.SetDrawDashesSeparately(separate);
    return line;
}

// An arrowhead 2 mm long: a shaft and a filled head, anchored at its tip's base.
std::shared_ptr<symbolhost::VectorResource> Arrow() {
    auto arrow = std::make_shared<symbolhost::VectorResource>();
    arrow->extentX1 = 0;
    arrow->extentX2 = 2;
    arrow->extentY1 = -0.6;
    arrow->extentY2 = 0.6;
    LineElement* shaft = arrow->Add<LineElement>();
    shaft->points = {{0, 0}, {1.2, 0}};
    shaft->lineWidth = 0.2;
    LineElement* head = arrow->Add<LineElement>();
    head->points = {{1.2, -0.6}, {2, 0}, {1.2, 0.6}};
    head->closed = true;
    head->filled = true;
    head->lineWidth = 0.1;
    return arrow;
}

symbolhost::MarkerLineSymbol River() {
    symbolhost::DefaultVectorResourceStore().Add(kArrowCode, Arrow());
    symbolhost::MarkerLineSymbol line;
    line.SetMarkerResourceCode(kArrowCode);
    line.SetColor(kArrowColour);
    line.SetMarkerGap(kArrowGapMm);
    return line;
}

// Draws `count` lines of `walks` with `symbol` through the service.
void DrawLines(IGIS_Symbol* symbol, Graphics* g, int count) {
    const SymbolizeInfo info = bench::Context(*g);
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t vertices = kVertices;
    for (int i = 0; i < count; ++i) service->Symbolize(symbol, &info, Walks()[i].data(), &vertices);
}

// What the library draws for the lines, recorded once.
std::vector<RecordedOp> Record(IGIS_Symbol* symbol, int count) {
    bench::QuietProperties();
    RecordingCanvas canvas(bench::kSurfaceSize, bench::kSurfaceSize);
    Graphics g(&canvas);
    DrawLines(symbol, &g, count);
    return canvas.Operations();
}

// The library's side of a case: `symbol` drawn on `count` lines, `units` (dashes or markers)
// counted from a recording to report the cost of each.
void RunLayer(benchmark::State& state, IGIS_Symbol* symbol, int count, size_t units) {
    bench::LayerSurface layer;
    for (auto _ : state) DrawLines(symbol, &layer.graphics, count);
    state.counters["units"] = static_cast<double>(units);
    state.counters["ns_per_unit"] =
        benchmark::Counter(static_cast<double>(units) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RunRaw(benchmark::State& state, const std::vector<RecordedOp>& ops) {
    bench::RawSurface raw;
    for (auto _ : state) bench::Replay(raw.cr, ops);
}

size_t CountKind(const std::vector<RecordedOp>& ops, OpKind kind) {
    size_t n = 0;
    for (const RecordedOp& op : ops) n += op.kind == kind;
    return n;
}

// ---- cartographic line, pattern mode --------------------------------------------------------

void Pattern_layer(benchmark::State& state) {
    auto line = Boundary(false);
    RunLayer(state, &line, kCartographicLines, kCartographicLines);
}

void Pattern_raw(benchmark::State& state) {
    auto line = Boundary(false);
    RunRaw(state, Record(&line, kCartographicLines));
}

// ---- cartographic line, separate dashes -----------------------------------------------------

void Separate_layer(benchmark::State& state) {
    auto line = Boundary(true);
    const size_t dashes = CountKind(Record(&line, kCartographicLines), OpKind::DrawLine);
    RunLayer(state, &line, kCartographicLines, dashes);
}

void Separate_raw(benchmark::State& state) {
    auto line = Boundary(true);
    RunRaw(state, Record(&line, kCartographicLines));
}

// ---- marker line ------------------------------------------------------------------------------

void Markers_layer(benchmark::State& state) {
    auto line = River();
    // Each arrow fills its head once.
    const size_t markers = CountKind(Record(&line, kMarkerLines), OpKind::FillPath);
    RunLayer(state, &line, kMarkerLines, markers);
}

void Markers_raw(benchmark::State& state) {
    auto line = River();
    RunRaw(state, Record(&line, kMarkerLines));
}

}  // namespace

BENCHMARK(Pattern_layer)->Name("offset_pattern_dashes/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Pattern_raw)->Name("offset_pattern_dashes/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Separate_layer)->Name("offset_separate_dashes/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Separate_raw)->Name("offset_separate_dashes/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Markers_layer)->Name("marker_line_5mm/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Markers_raw)->Name("marker_line_5mm/raw")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv); }
