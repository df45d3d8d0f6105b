// Text symbols through SymbolizeText and text boxes through Symbolize, against raw Pango-Cairo
// drawing the same glyph outlines at the same places on the same surface size.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <random>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "contracts/pictor/pictor.h"
#include "host/host.h"
#include "host/text_symbols.h"
#include "pictor/cairo_canvas.h"
#include "symbolize/symbolize.h"

using namespace Pictor;

namespace {

constexpr int kTexts = 1000;
using bench::kScale;  // drawing units per millimetre
using bench::SetSource;
constexpr double kFontMm = 3.0;  // 12 units, as the layer's label benchmark
constexpr const char* kFamily = "DejaVu Sans";
constexpr uint32_t kInk = 0x202020;
// Text boxes: 30 x 6 mm inside 1 mm margins, two lines 1 mm apart.
constexpr double kBoxW = 30.0;
constexpr double kBoxH = 6.0;
constexpr double kMargin = 1.0;
constexpr double kGap = 1.0;
constexpr uint32_t kBoxFill = 0xFFF8DC;
constexpr uint32_t kFrame = 0x5A4A2A;
constexpr double kFrameMm = 0.25;

struct Item {
    std::string text;  // 10 to 20 ASCII characters
    PointD at;         // a text's layout box corner, or a text box's anchor
};

const std::vector<Item>& Items() {
    static const std::vector<Item> items = [] {
        std::mt19937 rng(5);
        std::uniform_int_distribution<int> length(10, 20);
        std::uniform_int_distribution<int> letter(0, 25);
        std::uniform_real_distribution<double> at(10.0, bench::kSurfaceSize - 200.0);
        std::vector<Item> out(kTexts);
        for (Item& item : out) {
            const int n = length(rng);
            for (int i = 0; i < n; ++i) item.text += static_cast<char>((i == 0 ? 'A' : 'a') + letter(rng));
            item.text[n / 2] = ' ';
            item.at = {at(rng), at(rng)};
        }
        return out;
    }();
    return items;
}

// The layout box of a text: wide enough for one line.
TextBox BoxOf(const Item& item) { return {item.at.x, item.at.x + 180.0, item.at.y, item.at.y + 30.0}; }

// Pango set up as the layer sets it up: outlines unhinted, the em size in drawing units.
struct RawText {
    bench::RawSurface raw;
    cairo_font_options_t* options = cairo_font_options_create();
    PangoLayout* layout = pango_cairo_create_layout(raw.cr);
    PangoFontDescription* desc = pango_font_description_from_string(kFamily);
    explicit RawText(double em) {
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
        pango_font_description_set_absolute_size(desc, em * PANGO_SCALE);
        pango_layout_set_font_description(layout, desc);
    }
    RawText(const RawText&) = delete;
    RawText& operator=(const RawText&) = delete;
    ~RawText() {
        pango_font_description_free(desc);
        g_object_unref(layout);
        cairo_font_options_destroy(options);
    }
    // The ink box of `text` laid out at the origin.
    PangoRectangle Ink(const std::string& text) {
        pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
        PangoRectangle ink;
        pango_layout_get_extents(layout, &ink, nullptr);
        return ink;
    }
};

void Texts_layer(benchmark::State& state) {
    bench::LayerSurface layer;
    std::vector<symbolhost::TextSymbol> symbols(kTexts);
    for (size_t i = 0; i < symbols.size(); ++i) {
        symbols[i].SetText(Items()[i].text);
        symbols[i].SetFontName(kFamily);
        symbols[i].SetFontSize(kFontMm);
        symbols[i].SetColor(kInk);
    }
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    for (auto _ : state) {
        for (size_t i = 0; i < symbols.size(); ++i) {
            const TextBox box = BoxOf(Items()[i]);
            service->SymbolizeText(&symbols[i], &layer.info, &box);
        }
    }
}

void Texts_raw(benchmark::State& state) {
    RawText t(kFontMm * kScale);
    cairo_t* cr = t.raw.cr;
    for (auto _ : state) {
        for (const Item& item : Items()) {
            // Ink centred on the box's centre line, its top on the box's top.
            const TextBox box = BoxOf(item);
            const PangoRectangle ink = t.Ink(item.text);
            const double x = (box.x1 + box.x2) / 2.0 - (ink.x + ink.width / 2.0) / PANGO_SCALE;
            const double y = box.y1 - double(ink.y) / PANGO_SCALE;
            cairo_new_path(cr);
            cairo_move_to(cr, x, y);
            pango_cairo_layout_path(cr, t.layout);
            SetSource(cr, kInk);
            cairo_fill(cr);
        }
    }
}

void TextBoxes_layer(benchmark::State& state) {
    bench::LayerSurface layer;
    std::vector<symbolhost::TextBoxSymbol> symbols(kTexts);
    for (size_t i = 0; i < symbols.size(); ++i) {
        const std::string& text = Items()[i].text;
        symbols[i].SetText(text.substr(0, text.size() / 2) + "\r\n" + text.substr(text.size() / 2 + 1));
        symbols[i].SetFontName(kFamily);
        symbols[i].SetFontSize(kFontMm);
        symbols[i].SetBoxSize(kBoxW, kBoxH);
        symbols[i].SetMargins({kMargin, kMargin, kMargin, kMargin});
        symbols[i].SetLineGap(kGap);
        symbols[i].SetFillColor(kBoxFill);
        symbols[i].SetFrameColor(kFrame);
        symbols[i].SetFrameWidth(kFrameMm);
        symbols[i].SetColor(kInk);
    }
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t one = 1;
    for (auto _ : state) {
        for (size_t i = 0; i < symbols.size(); ++i)
            service->Symbolize(&symbols[i], &layer.info, &Items()[i].at, &one);
    }
}

void TextBoxes_raw(benchmark::State& state) {
    // Shaped at 20 times the font size as the layer shapes it, then scaled to fit.
    RawText t(kFontMm * 20.0);
    cairo_t* cr = t.raw.cr;
    const double k = kScale;
    for (auto _ : state) {
        for (const Item& item : Items()) {
            const PointD p = item.at;
            cairo_identity_matrix(cr);
            cairo_rectangle(cr, p.x, p.y, (kBoxW + 2 * kMargin) * k, (kBoxH + 2 * kMargin) * k);
            SetSource(cr, kBoxFill);
            cairo_fill_preserve(cr);
            cairo_set_line_width(cr, kFrameMm * k);
            SetSource(cr, kFrame);
            cairo_stroke(cr);

            const std::string lines[2] = {item.text.substr(0, item.text.size() / 2),
                                          item.text.substr(item.text.size() / 2 + 1)};
            PangoRectangle ink[2];
            double heights = 0.0;
            double widest = 0.0;
            for (int i = 0; i < 2; ++i) {
                ink[i] = t.Ink(lines[i]);
                heights += double(ink[i].height) / PANGO_SCALE;
                widest = std::max(widest, double(ink[i].width) / PANGO_SCALE);
            }
            const double sy = (kBoxH * 20.0 - kGap * 20.0) / heights;
            const double sx = kBoxW * 20.0 / widest;
            cairo_new_path(cr);
            cairo_translate(cr, p.x + kMargin * k, p.y + kMargin * k);
            cairo_scale(cr, sx * k * 0.05, sy * k * 0.05);
            double y = 0.0;
            for (int i = 0; i < 2; ++i) {
                pango_layout_set_text(t.layout, lines[i].c_str(), static_cast<int>(lines[i].size()));
                cairo_move_to(cr, -double(ink[i].x) / PANGO_SCALE, y - double(ink[i].y) / PANGO_SCALE);
                pango_cairo_layout_path(cr, t.layout);
                y += double(ink[i].height) / PANGO_SCALE + kGap * 20.0 / sy;
            }
            cairo_identity_matrix(cr);
            SetSource(cr, kInk);
            cairo_fill(cr);
        }
    }
}

}  // namespace

BENCHMARK(Texts_layer)->Name("text_symbols/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(Texts_raw)->Name("text_symbols/raw")->Unit(benchmark::kMillisecond);
BENCHMARK(TextBoxes_layer)->Name("text_boxes/layer")->Unit(benchmark::kMillisecond);
BENCHMARK(TextBoxes_raw)->Name("text_boxes/raw")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv); }
