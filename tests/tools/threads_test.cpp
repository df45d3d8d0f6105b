// Several threads draw at once through the public entry, one service and one host, each on a
// surface of its own of both raster engines: the gallery's legend sheet and scene, then the example map. Every picture
// must equal the one drawn first on the main thread, pixel for pixel.
//
// thread_test [THREADS [ROUNDS]]   (8 threads, 2 rounds); scripts/tsan.sh runs it under ThreadSanitizer.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/document/document.h"
#include "pictor/cairo_canvas.h"
#include "pictor/pixel_canvas.h"
#include "tools/symbolize/legend.h"
#include "tools/symbolize/render.h"

namespace {

using symbolhost::document::Document;

// Bounds on the command line, so that a typo cannot start a million threads.
constexpr int kMaxThreads = 64;
constexpr int kMaxRounds = 100;

struct Picture {
    int width = 0;
    int height = 0;
    std::function<bool(Pictor::Graphics&)> draw;
};

// The picture drawn by both raster engines, the Cairo canvas' pixels and then the AGG canvas'.
std::vector<uint32_t> Pixels(const Picture& picture) {
    Pictor::RasterCanvas cairo(picture.width, picture.height, Pictor::Color(0xFFFFFFFFu));
    Pictor::PixelCanvas agg(picture.width, picture.height, Pictor::Color(0xFFFFFFFFu));
    std::vector<uint32_t> pixels;
    const auto take = [&](Pictor::Canvas& canvas, const auto& pixel) {
        {
            Pictor::Graphics graphics(&canvas);
            picture.draw(graphics);
        }
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) pixels.push_back(pixel(x, y).GetValue());
        }
    };
    take(cairo, [&](int x, int y) { return cairo.GetPixel(x, y); });
    take(agg, [&](int x, int y) { return agg.GetPixel(x, y); });
    return pixels;
}

// Draws every picture `rounds` times on each of `threads` threads at once, each thread starting
// on another picture; answers how many came out unlike the main thread's.
int DrawTogether(const std::vector<Picture>& pictures, int threads, int rounds) {
    std::vector<std::vector<uint32_t>> expected;
    for (const Picture& picture : pictures) expected.push_back(Pixels(picture));
    std::vector<int> wrong(static_cast<size_t>(threads), 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < rounds * static_cast<int>(pictures.size()); ++i) {
                const size_t k = static_cast<size_t>(i + t) % pictures.size();
                if (Pixels(pictures[k]) != expected[k]) ++wrong[static_cast<size_t>(t)];
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    int failures = 0;
    for (const int n : wrong) failures += n;
    return failures;
}

int Count(int argc, char** argv, int index, int fallback, int max) {
    const int n = argc > index ? std::atoi(argv[index]) : fallback;
    return n >= 1 && n <= max ? n : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int threads = Count(argc, argv, 1, 8, kMaxThreads);
    const int rounds = Count(argc, argv, 2, 2, kMaxRounds);
    const std::string examples = std::string(SOURCE_DIR) + "/examples/";
    const std::unique_ptr<Document> gallery = symbolhost::document::ReadDocument(examples + "gallery.json").document;
    const std::unique_ptr<Document> map = symbolhost::document::ReadDocument(examples + "map/map.json").document;
    std::string error;
    const auto sheet = gallery ? symbolize_tool::LegendSize(*gallery, &error) : std::nullopt;
    if (!map || !sheet) {
        std::fprintf(stderr, "thread_test: the examples could not be read %s\n", error.c_str());
        return 2;
    }
    const auto always = [](size_t, size_t) { return true; };
    const auto scene = [&](const Document& doc) {
        return Picture{doc.canvas.width, doc.canvas.height,
                       [&always, d = &doc](Pictor::Graphics& g) { return symbolize_tool::DrawMap(*d, g, always); }};
    };

    // Each document with its own pictures, resources and settings in the host.
    int failures = 0;
    {
        const symbolize_tool::DocumentServices services(*gallery);
        const Picture legend{sheet->width, sheet->height,
                             [&](Pictor::Graphics& g) { return symbolize_tool::DrawLegend(*gallery, g, always); }};
        failures += DrawTogether({legend, scene(*gallery)}, threads, rounds);
    }
    {
        const symbolize_tool::DocumentServices services(*map);
        failures += DrawTogether({scene(*map)}, threads, rounds);
    }
    std::printf("thread_test: %d threads x %d rounds x 3 pictures, %d unlike the main thread's\n", threads, rounds,
                failures);
    return failures == 0 ? 0 : 1;
}
