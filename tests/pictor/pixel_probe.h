// Pixel probes for render tests: one colour, or every pixel of a canvas, against expectations.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "contracts/pictor/pictor.h"
#include "pictor/cairo_canvas.h"

namespace Pictor::test {

inline constexpr Color kClear(0u);
inline constexpr Color kRed(255, 255, 0, 0);
inline constexpr Color kGreen(255, 0, 255, 0);
inline constexpr Color kBlue(255, 0, 0, 255);
inline constexpr Color kWhite(255, 255, 255, 255);

inline std::string Hex(const Color& c) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", c.GetValue());
    return text;
}

inline bool Near(const Color& a, const Color& b, int tolerance) {
    auto close = [tolerance](int x, int y) { return std::abs(x - y) <= tolerance; };
    return close(a.GetA(), b.GetA()) && close(a.GetR(), b.GetR()) && close(a.GetG(), b.GetG()) &&
           close(a.GetB(), b.GetB());
}

// The canvas pixel at (x, y) is `expected`, each channel within `tolerance`.
inline ::testing::AssertionResult PixelIs(const RasterCanvas& canvas, int x, int y, const Color& expected,
                                          int tolerance = 0) {
    const Color actual = canvas.GetPixel(x, y);
    if (Near(actual, expected, tolerance)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << Hex(actual)
                                         << ", expected " << Hex(expected) << " within " << tolerance;
}

// Every pixel matches expected(x, y) within the tolerance; reports the first few that do not.
inline ::testing::AssertionResult EveryPixel(const RasterCanvas& canvas,
                                             const std::function<Color(int, int)>& expected,
                                             int tolerance = 0) {
    constexpr int kReported = 5;  // enough to see a pattern without flooding the log
    int bad = 0;
    std::string report;
    for (int y = 0; y < canvas.GetHeight(); ++y) {
        for (int x = 0; x < canvas.GetWidth(); ++x) {
            const Color want = expected(x, y);
            const Color got = canvas.GetPixel(x, y);
            if (Near(got, want, tolerance)) continue;
            if (bad++ < kReported) {
                report += " (" + std::to_string(x) + ", " + std::to_string(y) + ") " + Hex(got) + " not " +
                          Hex(want);
            }
        }
    }
    if (bad == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " pixels differ:" << report;
}

inline ::testing::AssertionResult IsBlank(const RasterCanvas& canvas, const Color& background = kClear) {
    return EveryPixel(canvas, [&](int, int) { return background; });
}

}  // namespace Pictor::test
