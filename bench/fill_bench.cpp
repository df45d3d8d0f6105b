// Marker fills through the library's public entry against raw Cairo drawing the same circles
// straight into the polygon: a 1000 x 1000-unit square covered by a grid of 10 x 10-unit cells,
// in tile mode (screen targets: one tile, one texture fill) and in direct mode (every marker).
#include <cairo.h>

#include <memory>
#include <vector>

#include "bench/bench_common.h"
#include "contracts/pictor/pictor.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "host/resources.h"
#include "host/stores.h"
#include "host/symbols.h"
#include "pictor/cairo_canvas.h"
#include "symbolize/symbolize.h"

using namespace Pictor;

namespace {

constexpr double kScale = 4.0;         // drawing units per millimetre, fixed so no screen setting matters
constexpr double kMarkerMm = 2.0;      // an 8-unit circle...
constexpr double kSeparationMm = 0.5;  // ...in a 10-unit cell
constexpr double kCell = (kMarkerMm + kSeparationMm) * kScale;
constexpr double kSide = 1000.0;
constexpr double kOrigin = 12.0;  // the square's corner on the surface
constexpr uint32_t kResourceCode = 1;
constexpr double kExtent = 10.0;  // the resource: one filled circle of radius 5 in a 10-unit box
constexpr uint32_t kColour = 0x1E8449;

std::shared_ptr<symbolhost::VectorResource> Dot() {
    auto dot = std::make_shared<symbolhost::VectorResource>();
    dot->extentX2 = kExtent;
    dot->extentY2 = kExtent;
    dot->anchorX = kExtent / 2;
    dot->anchorY = kExtent / 2;
    EllipseElement* circle = dot->Add<EllipseElement>();
    circle->stroked = false;
    circle->filled = true;
    circle->fillColor = kColour;
    circle->centerX = circle->centerY = kExtent / 2;
    circle->radiusX = circle->radiusY = kExtent / 2;
    return dot;
}

std::vector<PointD> Square() {
    return {{kOrigin, kOrigin},
            {kOrigin + kSide, kOrigin},
            {kOrigin + kSide, kOrigin + kSide},
            {kOrigin, kOrigin + kSide}};
}

void Fill(benchmark::State& state, bool yUp) {
    symbolhost::DefaultProperties().Set(kPropertySimplifyAnchorPoints, "false");
    symbolhost::DefaultVectorResourceStore().Add(kResourceCode, Dot());
    RasterCanvas canvas(bench::kSurfaceSize, bench::kSurfaceSize);
    Graphics g(&canvas);
    auto* marker = new symbolhost::LibMarkerSymbol;
    marker->SetResourceCode(kResourceCode);
    marker->SetSize(kMarkerMm, kMarkerMm);
    marker->SetExtent(-kMarkerMm / 2, kMarkerMm / 2, kMarkerMm / 2, -kMarkerMm / 2);
    symbolhost::MarkerFillSymbol fill;
    fill.SetMarker(marker);
    fill.SetFillType(MarkerFillGrid);
    fill.SetSeparation(kSeparationMm, kSeparationMm);
    SymbolizeInfo info;
    info.graphics = &g;
    info.scale = kScale;
    info.yUp = yUp;
    const std::vector<PointD> square = Square();
    const int32_t count = static_cast<int32_t>(square.size());
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    for (auto _ : state) service->Symbolize(&fill, &info, square.data(), &count);
    symbolhost::DefaultVectorResourceStore().Remove(kResourceCode);
}

void Tiled_layer(benchmark::State& state) { Fill(state, false); }
void Direct_layer(benchmark::State& state) { Fill(state, true); }

// The same circles at the same cell centres (the grid starts a cell before the square's bounds),
// clipped to the square, each traced and filled.
void Circles_raw(benchmark::State& state) {
    bench::RawSurface raw;
    cairo_t* cr = raw.cr;
    cairo_set_source_rgb(cr, ((kColour >> 16) & 0xFF) / 255.0, ((kColour >> 8) & 0xFF) / 255.0,
                         (kColour & 0xFF) / 255.0);
    const double radius = kMarkerMm * kScale / 2;
    for (auto _ : state) {
        cairo_save(cr);
        cairo_rectangle(cr, kOrigin, kOrigin, kSide, kSide);
        cairo_clip(cr);
        for (double y = kOrigin - kCell / 2; y < kOrigin + kSide + kCell; y += kCell) {
            for (double x = kOrigin - kCell / 2; x < kOrigin + kSide + kCell; x += kCell) {
                cairo_new_sub_path(cr);
                cairo_arc(cr, x, y, radius, 0, 2 * 3.14159265358979323846);
                cairo_fill(cr);
            }
        }
        cairo_restore(cr);
    }
}

}  // namespace

BENCHMARK(Tiled_layer)->Name("marker_fill_tiled/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Circles_raw)->Name("marker_fill_tiled/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(Direct_layer)->Name("marker_fill_direct/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Circles_raw)->Name("marker_fill_direct/raw")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv); }
