// Point markers through the library's public entry against raw Cairo drawing the same outlines on
// the same surface size: library markers of a five-element resource, library markers of an arrow
// and a leader with their heads, and character markers.
#include <cairo.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "bench/bench_common.h"
#include "contracts/pictor/pictor.h"
#include "host/marker_symbols.h"
#include "host/resources.h"
#include "host/stores.h"
#include "pictor/cairo_canvas.h"
#include "symbolize/symbolize.h"

using namespace Pictor;

namespace {

constexpr int kMarkers = 10000;
constexpr double kMarkerMm = 6.0;  // both marker kinds are 6 mm square: 24 units
constexpr uint32_t kResourceCode = 1;

// The resource: a 10 x 10 unit church-like drawing, anchored in its middle.
constexpr double kExtent = 10.0;
constexpr double kElementWidth = 0.5;  // resource units; a 6 mm marker strokes 1.2 units wide
constexpr uint32_t kWall = 0xF4E9D8;
constexpr uint32_t kInk = 0x3B2F2F;
constexpr uint32_t kRoof = 0xA93226;
// The character marker.
constexpr int32_t kCharacter = 'A';
constexpr const char* kFamily = "DejaVu Sans";
constexpr uint32_t kGlyphColour = 0x1F618D;

const std::vector<PointD>& Anchors() {
    static const std::vector<PointD> anchors = [] {
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> at(20.0, bench::kSurfaceSize - 20.0);
        std::vector<PointD> out(kMarkers);
        for (PointD& p : out) p = {at(rng), at(rng)};
        return out;
    }();
    return anchors;
}

// Five elements: a filled and stroked wall, a filled roof path with a curved eave, a round window,
// and the two strokes of a cross.
std::shared_ptr<symbolhost::VectorResource> Church() {
    auto church = std::make_shared<symbolhost::VectorResource>();
    church->extentX2 = kExtent;
    church->extentY2 = kExtent;
    church->anchorX = kExtent / 2;
    church->anchorY = kExtent / 2;
    auto style = [](SymbolElement* e, bool filled, uint32_t fill) {
        e->lineWidth = kElementWidth;
        e->lineColor = kInk;
        e->filled = filled;
        e->fillColor = fill;
        e->lineJoin = 0;
    };
    RectElement* wall = church->Add<RectElement>();
    style(wall, true, kWall);
    wall->x = 2;
    wall->y = 5;
    wall->width = 6;
    wall->height = 5;
    PathElement* roof = church->Add<PathElement>();
    style(roof, true, kRoof);
    roof->subPaths.push_back({PathSegmentLines, {{1, 5}, {5, 2}}, false});
    roof->subPaths.push_back({PathSegmentBeziers, {{5, 2}, {6.5, 3}, {8, 4}, {9, 5}}, true});
    EllipseElement* window = church->Add<EllipseElement>();
    style(window, false, 0);
    window->centerX = 5;
    window->centerY = 7;
    window->radiusX = 1;
    window->radiusY = 1;
    LineElement* post = church->Add<LineElement>();
    style(post, false, 0);
    post->points = {{5, 0}, {5, 2}};
    LineElement* beam = church->Add<LineElement>();
    style(beam, false, 0);
    beam->points = {{4, 0.7}, {6, 0.7}};
    return church;
}

// The stamp cache is what repeated markers are for; the other AGG variants draw without it, as
// it would also replay the earlier iterations.
template <Pictor::RasterEngine engine, bool stamps = false>
void LibMarkers_layer(benchmark::State& state) {
    bench::LayerSurface layer(engine, stamps);
    symbolhost::DefaultVectorResourceStore().Add(kResourceCode, Church());
    symbolhost::LibMarkerSymbol marker;
    marker.SetResourceCode(kResourceCode);
    marker.SetSize(kMarkerMm, kMarkerMm);
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t one = 1;
    for (auto _ : state) {
        for (const PointD& p : Anchors()) service->Symbolize(&marker, &layer.info, &p, &one);
    }
    symbolhost::DefaultVectorResourceStore().Remove(kResourceCode);
}

void LibMarkers_raw(benchmark::State& state) {
    bench::RawSurface raw;
    cairo_t* cr = raw.cr;
    const double k = kMarkerMm / kExtent * bench::kScale;  // resource units to drawing units
    const double width = kElementWidth * k;
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10);
    // Each figure is traced in resource units under the marker's transform, then filled and
    // stroked in device units, as the layer does.
    auto place = [&](const PointD& p) {
        cairo_identity_matrix(cr);
        cairo_translate(cr, p.x, p.y);
        cairo_scale(cr, k, k);
        cairo_translate(cr, -kExtent / 2, -kExtent / 2);
    };
    auto paint = [&](bool filled, uint32_t fill) {
        cairo_identity_matrix(cr);
        if (filled) {
            bench::SetSource(cr, fill);
            cairo_fill_preserve(cr);
        }
        bench::SetSource(cr, kInk);
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    };
    for (auto _ : state) {
        for (const PointD& p : Anchors()) {
            place(p);
            cairo_rectangle(cr, 2, 5, 6, 5);
            paint(true, kWall);
            place(p);
            cairo_move_to(cr, 1, 5);
            cairo_line_to(cr, 5, 2);
            cairo_curve_to(cr, 6.5, 3, 8, 4, 9, 5);
            cairo_close_path(cr);
            paint(true, kRoof);
            place(p);
            cairo_new_sub_path(cr);
            cairo_arc(cr, 5, 7, 1, 0, 2 * 3.14159265358979323846);
            paint(false, 0);
            place(p);
            cairo_move_to(cr, 5, 0);
            cairo_line_to(cr, 5, 2);
            paint(false, 0);
            place(p);
            cairo_move_to(cr, 4, 0.7);
            cairo_line_to(cr, 6, 0.7);
            paint(false, 0);
        }
    }
}

template <Pictor::RasterEngine engine>
void CharMarkers_layer(benchmark::State& state) {
    bench::LayerSurface layer(engine, false);
    symbolhost::CharMarkerSymbol marker;
    marker.SetFontName(kFamily);
    marker.SetCharacterCode(kCharacter);
    marker.SetFontSize(kMarkerMm);
    marker.SetSize(kMarkerMm, kMarkerMm);
    marker.SetColor(kGlyphColour);
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t one = 1;
    for (auto _ : state) {
        for (const PointD& p : Anchors()) service->Symbolize(&marker, &layer.info, &p, &one);
    }
}

void CharMarkers_raw(benchmark::State& state) {
    bench::RawSurface raw;
    cairo_t* cr = raw.cr;
    const double em = kMarkerMm * bench::kScale;
    cairo_select_font_face(cr, kFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, em);
    const char text[2] = {static_cast<char>(kCharacter), '\0'};
    // The glyph's ink box, stretched to the marker's square as the layer stretches it.
    cairo_text_path(cr, text);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_path_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    const double sx = em / (x2 - x1);
    const double sy = em / (y2 - y1);
    bench::SetSource(cr, kGlyphColour);
    for (auto _ : state) {
        for (const PointD& p : Anchors()) {
            cairo_identity_matrix(cr);
            cairo_translate(cr, p.x, p.y);
            cairo_scale(cr, sx, sy);
            cairo_move_to(cr, 0, 0);
            cairo_text_path(cr, text);
            cairo_identity_matrix(cr);
            cairo_fill(cr);
        }
    }
}

// An arrow across the drawing with a full head, and a leader from its middle down to a point
// 4 mm right and below, ending in an arrowhead.
constexpr double kArrowWidth = 0.5;  // resource units and the marker's line width, mm
constexpr double kLeaderDx = 4.0;
constexpr double kLeaderDy = 4.0;

std::shared_ptr<symbolhost::VectorResource> Pointer() {
    auto pointer = std::make_shared<symbolhost::VectorResource>();
    pointer->extentX2 = kExtent;
    pointer->extentY2 = kExtent;
    pointer->anchorX = kExtent / 2;
    pointer->anchorY = kExtent / 2;
    LineElement* arrow = pointer->Add<LineElement>();
    arrow->points = {{0, 5}, {10, 5}};
    arrow->usage = SymbolUsageArrow;
    LineElement* leader = pointer->Add<LineElement>();
    leader->points = {{5, 5}, {5, 10}};
    leader->usage = SymbolUsageLeaderLine;
    for (SymbolElement* e : {static_cast<SymbolElement*>(arrow), static_cast<SymbolElement*>(leader)}) {
        e->lineWidth = kArrowWidth;
        e->lineColor = kInk;
    }
    return pointer;
}

template <Pictor::RasterEngine engine>
void ArrowMarkers_layer(benchmark::State& state) {
    bench::LayerSurface layer(engine, false);
    symbolhost::DefaultVectorResourceStore().Add(kResourceCode, Pointer());
    symbolhost::LibMarkerSymbol marker;
    marker.SetResourceCode(kResourceCode);
    marker.SetSize(kMarkerMm, kMarkerMm);
    marker.SetLineWidth(kArrowWidth);
    marker.SetLeader(kLeaderDx, kLeaderDy, LibMarkerLeaderArrow);
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t one = 1;
    for (auto _ : state) {
        for (const PointD& p : Anchors()) service->Symbolize(&marker, &layer.info, &p, &one);
    }
    symbolhost::DefaultVectorResourceStore().Remove(kResourceCode);
}

void ArrowMarkers_raw(benchmark::State& state) {
    bench::RawSurface raw;
    cairo_t* cr = raw.cr;
    const double k = kMarkerMm / kExtent * bench::kScale;  // resource units to drawing units
    const double width = kArrowWidth * bench::kScale;
    const double w = kArrowWidth;                           // head sizes in resource units
    bench::SetSource(cr, kInk);
    auto place = [&](const PointD& p) {
        cairo_identity_matrix(cr);
        cairo_translate(cr, p.x, p.y);
        cairo_scale(cr, k, k);
        cairo_translate(cr, -kExtent / 2, -kExtent / 2);
    };
    // The leader's arrowhead: base points across the leader a tenth of the way along.
    const double len = std::hypot(kLeaderDx, kLeaderDy) * bench::kScale;
    const PointD along(kLeaderDx * bench::kScale / len, kLeaderDy * bench::kScale / len);
    const double h = width / 2;
    for (auto _ : state) {
        for (const PointD& p : Anchors()) {
            place(p);
            cairo_move_to(cr, 4 * w, 5);
            cairo_line_to(cr, 10, 5);
            cairo_identity_matrix(cr);
            cairo_set_line_width(cr, width);
            cairo_stroke(cr);
            place(p);
            cairo_move_to(cr, 0, 5);
            cairo_line_to(cr, 6.5 * w, 5 - 1.7 * w);
            cairo_line_to(cr, 5 * w, 5);
            cairo_line_to(cr, 6.5 * w, 5 + 1.7 * w);
            cairo_close_path(cr);
            cairo_identity_matrix(cr);
            cairo_set_line_width(cr, width / 2);
            cairo_stroke_preserve(cr);
            cairo_fill(cr);
            const PointD pb(p.x, p.y + 5 * k);
            const PointD c(pb.x + kLeaderDx * bench::kScale, pb.y + kLeaderDy * bench::kScale);
            const PointD d(pb.x + 0.1 * (c.x - pb.x), pb.y + 0.1 * (c.y - pb.y));
            cairo_move_to(cr, p.x, p.y);
            cairo_line_to(cr, pb.x, pb.y);
            cairo_line_to(cr, d.x, d.y);
            cairo_set_line_width(cr, width);
            cairo_stroke(cr);
            const PointD b1(d.x - h * along.y, d.y + h * along.x);
            const PointD b2(d.x + h * along.y, d.y - h * along.x);
            cairo_move_to(cr, b1.x, b1.y);
            cairo_line_to(cr, b2.x, b2.y);
            cairo_line_to(cr, c.x, c.y);
            cairo_fill(cr);
            cairo_move_to(cr, b1.x, b1.y);
            cairo_line_to(cr, b2.x, b2.y);
            cairo_set_line_width(cr, 1.0);
            cairo_stroke(cr);
        }
    }
}

}  // namespace

BENCHMARK(LibMarkers_layer<Pictor::RasterEngine::Cairo>)->Name("library_markers/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(LibMarkers_layer<Pictor::RasterEngine::Agg>)->Name("library_markers/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(LibMarkers_layer<Pictor::RasterEngine::Agg, true>)
    ->Name("library_markers/layer_agg_stamps")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LibMarkers_raw)->Name("library_markers/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(CharMarkers_layer<Pictor::RasterEngine::Cairo>)->Name("character_markers/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(CharMarkers_layer<Pictor::RasterEngine::Agg>)->Name("character_markers/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(CharMarkers_raw)->Name("character_markers/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(ArrowMarkers_layer<Pictor::RasterEngine::Cairo>)->Name("arrow_markers/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(ArrowMarkers_layer<Pictor::RasterEngine::Agg>)->Name("arrow_markers/layer_agg")->Unit(benchmark::kMillisecond);
BENCHMARK(ArrowMarkers_raw)->Name("arrow_markers/raw")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv); }
