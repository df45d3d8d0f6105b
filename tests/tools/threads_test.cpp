// Several threads draw at once through the public entry, one service and one host, each on a
// surface of its own: the example map and the legend sheet of every gallery symbol. Each thread's
// pictures must equal the ones drawn first on the main thread, pixel for pixel.
//
// thread_test [THREADS [ROUNDS]]   (default 8 threads, 2 rounds each)
// Exit 0 when every picture matched; scripts/tsan.sh runs it under ThreadSanitizer.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/document/document.h"
#include "pictor/cairo_canvas.h"
#include "tools/symbolize/legend.h"
#include "tools/symbolize/render.h"

namespace {

using symbolhost::document::Document;

// More threads than any machine running the suite has cores, and enough rounds that draws of
// different threads overlap; both bounded so that a typo cannot start a million threads.
constexpr int kMaxThreads = 64;
constexpr int kMaxRounds = 100;

// One picture: how to draw it, and its size.
struct Picture {
    int width = 0;
    int height = 0;
    std::function<bool(Pictor::Graphics&)> draw;
};

// The canvas's pixels, row by row.
std::vector<uint32_t> Draw(const Picture& picture) {
    Pictor::RasterCanvas canvas(picture.width, picture.height, Pictor::Color(0xFFFFFFFFu));
    {
        Pictor::Graphics graphics(&canvas);
        picture.draw(graphics);
    }
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) pixels.push_back(canvas.GetPixel(x, y).GetValue());
    }
    return pixels;
}

std::unique_ptr<Document> Read(const std::string& path) {
    symbolhost::document::ReadResult read = symbolhost::document::ReadDocument(path);
    if (!read.document) std::fprintf(stderr, "thread_test: %s was refused\n", path.c_str());
    return std::move(read.document);
}

int Count(const char* text, int fallback, int max) {
    if (text == nullptr) return fallback;
    const int n = std::atoi(text);
    return n >= 1 && n <= max ? n : fallback;
}

// Draws every picture `rounds` times on each of `threads` threads at once and answers how many
// came out unlike the main thread's.
int DrawTogether(const std::vector<Picture>& pictures, int threads, int rounds) {
    std::vector<std::vector<uint32_t>> expected;
    for (const Picture& picture : pictures) expected.push_back(Draw(picture));

    std::vector<int> wrong(static_cast<size_t>(threads), 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int round = 0; round < rounds; ++round) {
                // Threads start on different pictures, so that unlike drawings overlap too.
                for (size_t i = 0; i < pictures.size(); ++i) {
                    const size_t k = (i + static_cast<size_t>(t)) % pictures.size();
                    if (Draw(pictures[k]) != expected[k]) ++wrong[static_cast<size_t>(t)];
                }
            }
        });
    }
    for (std::thread& worker : workers) worker.join();

    int failures = 0;
    for (int t = 0; t < threads; ++t) {
        if (wrong[static_cast<size_t>(t)] > 0) {
            std::fprintf(stderr, "thread_test: thread %d drew %d pictures unlike the main thread's\n", t,
                         wrong[static_cast<size_t>(t)]);
        }
        failures += wrong[static_cast<size_t>(t)];
    }
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    const int threads = Count(argc > 1 ? argv[1] : nullptr, 8, kMaxThreads);
    const int rounds = Count(argc > 2 ? argv[2] : nullptr, 2, kMaxRounds);
    const std::string examples = std::string(SOURCE_DIR) + "/examples/";
    const auto always = [](size_t, size_t) { return true; };

    const std::unique_ptr<Document> gallery = Read(examples + "gallery.json");
    const std::unique_ptr<Document> map = Read(examples + "map/map.json");
    if (!gallery || !map) return 2;
    std::string error;
    const std::optional<symbolize_tool::SheetSize> sheet = symbolize_tool::LegendSize(*gallery, &error);
    if (!sheet) {
        std::fprintf(stderr, "thread_test: %s\n", error.c_str());
        return 2;
    }

    // Every symbol kind with the gallery's pictures, resources and settings; then the map with its own.
    int failures = 0;
    int drawn = 0;
    {
        const symbolize_tool::DocumentServices services(*gallery);
        const std::vector<Picture> pictures = {
            {sheet->width, sheet->height,
             [&](Pictor::Graphics& g) { return symbolize_tool::DrawLegend(*gallery, g, always); }},
            {gallery->canvas.width, gallery->canvas.height,
             [&](Pictor::Graphics& g) { return symbolize_tool::DrawMap(*gallery, g, always); }},
        };
        failures += DrawTogether(pictures, threads, rounds);
        drawn += static_cast<int>(pictures.size());
    }
    {
        const symbolize_tool::DocumentServices services(*map);
        const std::vector<Picture> pictures = {
            {map->canvas.width, map->canvas.height,
             [&](Pictor::Graphics& g) { return symbolize_tool::DrawMap(*map, g, always); }},
        };
        failures += DrawTogether(pictures, threads, rounds);
        drawn += static_cast<int>(pictures.size());
    }
    std::printf("thread_test: %d threads x %d rounds x %d pictures, %d unlike the main thread's\n", threads,
                rounds, drawn, failures);
    return failures == 0 ? 0 : 1;
}
