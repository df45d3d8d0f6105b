// Shared pieces of the benchmarks: deterministic scenes, the quiet host and drawing context the
// library's side draws with, and the ratio report.
#pragma once

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "contracts/host.h"
#include "contracts/pictor/pictor.h"
#include "contracts/pictor/types.h"
#include "host/host.h"
#include "pictor/cairo_canvas.h"
#include "pictor/pixel_canvas.h"
#include "symbolize/symbolize.h"

namespace bench {

inline constexpr int kSurfaceSize = 1024;
// Drawing units per millimetre, fixed so that no screen setting matters.
inline constexpr double kScale = 4.0;

// Thinning off, stated explicitly so that the library does not log a missing setting per call.
inline void QuietProperties() { symbolhost::DefaultProperties().Set(kPropertySimplifyAnchorPoints, "false"); }

// The drawing context of the library's side: `g` at kScale, everything else the defaults.
inline SymbolizeInfo Context(Pictor::Graphics& g) {
    SymbolizeInfo info;
    info.graphics = &g;
    info.scale = kScale;
    return info;
}

// The library's side of a comparison: the quiet host, a PNG canvas of the raw surface's size
// rasterized by `engine`, and the drawing context on it.
struct LayerSurface {
    Pictor::PixelCanvas canvas;
    Pictor::Graphics graphics{&canvas};
    SymbolizeInfo info = Context(graphics);
    explicit LayerSurface(Pictor::RasterEngine engine = Pictor::RasterEngine::Cairo, bool stamps = true)
        : canvas(kSurfaceSize, kSurfaceSize, Pictor::Color(0u), engine) {
        canvas.SetStampCache(stamps);
        QuietProperties();
    }
    LayerSurface(const LayerSurface&) = delete;
    LayerSurface& operator=(const LayerSurface&) = delete;
};

// A symbol colour (0x00RRGGBB) as the raw side's Cairo source.
inline void SetSource(cairo_t* cr, uint32_t rgb, double alpha = 1.0) {
    cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0,
                          alpha);
}

// The raw-Cairo side of a comparison: an image surface of the same size as the layer's canvas.
struct RawSurface {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSurfaceSize, kSurfaceSize);
    cairo_t* cr = cairo_create(surface);
    RawSurface() = default;
    RawSurface(const RawSurface&) = delete;
    RawSurface& operator=(const RawSurface&) = delete;
    ~RawSurface() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
};

// Random-walk polylines that stay on the surface, the same for every run.
inline std::vector<std::vector<Pictor::PointD>> RandomWalks(int count, int vertices, unsigned seed = 42) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> start(50.0, kSurfaceSize - 50.0);
    std::uniform_real_distribution<double> step(-25.0, 25.0);
    std::vector<std::vector<Pictor::PointD>> out(count);
    for (auto& line : out) {
        Pictor::PointD p{start(rng), start(rng)};
        for (int i = 0; i < vertices; ++i) {
            line.push_back(p);
            p.x = std::clamp(p.x + step(rng), 0.0, double(kSurfaceSize));
            p.y = std::clamp(p.y + step(rng), 0.0, double(kSurfaceSize));
        }
    }
    return out;
}

// Regular hexagons of radius 6 to 20 scattered over the surface.
inline std::vector<std::vector<Pictor::PointD>> Hexagons(int count, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> centre(20.0, kSurfaceSize - 20.0);
    std::uniform_real_distribution<double> radius(6.0, 20.0);
    std::vector<std::vector<Pictor::PointD>> out(count);
    for (auto& hex : out) {
        const double cx = centre(rng), cy = centre(rng), r = radius(rng);
        for (int k = 0; k < 6; ++k) {
            const double a = k * 3.14159265358979323846 / 3.0;
            hex.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
    }
    return out;
}

// Collects real times per benchmark and prints layer/raw ratios for the pairs named
// "<case>/layer" (the Cairo engine), "<case>/layer_agg" (the AGG engine) or
// "<case>/layer_agg_stamps" (AGG with its stamp cache) and "<case>/raw".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions the median stands for the case; a single run stands for itself.
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) times_[run.run_name.str()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const {
        std::printf("\nratio layer/raw of CPU time (same drawing, same surface size, this run):\n");
        for (const auto& [name, t] : times_) {
            const auto slash = name.rfind("/layer");
            if (slash == std::string::npos) continue;
            const std::string base = name.substr(0, slash);
            const std::string variant = name.substr(slash + 6);
            const auto raw = times_.find(base + "/raw");
            if (raw == times_.end() || raw->second <= 0) continue;
            std::printf("  %-28s %-11s %.3f\n", base.c_str(), variant.empty() ? "cairo" : variant.c_str() + 1,
                        t / raw->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

inline int RunWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
