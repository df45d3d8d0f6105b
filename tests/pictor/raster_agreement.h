// Whether two raster pictures of the same drawing agree: at most a small share of pixels may differ
// noticeably, and only near an edge of either picture, where rasterizers round coverage apart.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "contracts/pictor/pictor.h"
#include "pictor/pixel_canvas.h"

namespace Pictor::test {

// A pixel differs when a channel is off by more than this many levels.
inline constexpr int kAgreementLevels = 16;
// At most this share of the pixels may differ.
inline constexpr double kAgreementShare = 0.005;

struct Agreement {
    size_t pixels = 0;
    size_t differing = 0;     // by more than kAgreementLevels
    size_t offEdge = 0;       // of those, where neither picture has an edge
    int worst = 0;            // largest channel difference
    double Share() const { return pixels ? double(differing) / double(pixels) : 0.0; }
};

inline int ChannelDistance(const Color& a, const Color& b) {
    return std::max({std::abs(a.GetA() - b.GetA()), std::abs(a.GetR() - b.GetR()), std::abs(a.GetG() - b.GetG()),
                     std::abs(a.GetB() - b.GetB())});
}

// An edge passes through a pixel when one of its eight neighbours differs from it.
inline bool OnEdge(const PixelCanvas& c, int x, int y) {
    const Color centre = c.GetPixel(x, y);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = std::clamp(x + dx, 0, c.GetWidth() - 1);
            const int ny = std::clamp(y + dy, 0, c.GetHeight() - 1);
            if (ChannelDistance(c.GetPixel(nx, ny), centre) > kAgreementLevels) return true;
        }
    }
    return false;
}

inline Agreement Compare(const PixelCanvas& a, const PixelCanvas& b) {
    Agreement result;
    for (int y = 0; y < a.GetHeight(); ++y) {
        for (int x = 0; x < a.GetWidth(); ++x) {
            ++result.pixels;
            const int d = ChannelDistance(a.GetPixel(x, y), b.GetPixel(x, y));
            result.worst = std::max(result.worst, d);
            if (d <= kAgreementLevels) continue;
            ++result.differing;
            if (!OnEdge(a, x, y) && !OnEdge(b, x, y)) ++result.offEdge;
        }
    }
    return result;
}

inline ::testing::AssertionResult Agree(const PixelCanvas& a, const PixelCanvas& b, const std::string& what) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return ::testing::AssertionFailure() << what << ": the pictures differ in size";
    const Agreement r = Compare(a, b);
    if (r.Share() <= kAgreementShare && r.offEdge == 0) return ::testing::AssertionSuccess();
    const std::string stem = ::testing::TempDir() + "agreement-" + std::to_string(std::hash<std::string>{}(what));
    a.WritePng(stem + "-a.png");
    b.WritePng(stem + "-b.png");
    return ::testing::AssertionFailure()
           << what << ": " << r.differing << " of " << r.pixels << " pixels (" << 100.0 * r.Share()
           << " %) differ by more than " << kAgreementLevels << " levels, " << r.offEdge
           << " of them away from every edge; the worst by " << r.worst << ". Pictures: " << stem << "-a.png, -b.png";
}

}  // namespace Pictor::test
