// Conversions between straight colours and the premultiplied pixels that images and canvases keep.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"

namespace Pictor::pixels {

// Rounded c * a / 255.
constexpr uint32_t ScaleChannel(uint32_t c, uint32_t a) { return (c * a + 127) / 255; }

constexpr uint32_t Premultiply(const Color& color) {
    const uint32_t a = color.GetA();
    return (a << 24) | (ScaleChannel(color.GetR(), a) << 16) | (ScaleChannel(color.GetG(), a) << 8) |
           ScaleChannel(color.GetB(), a);
}

constexpr Color Unpremultiply(uint32_t pixel) {
    const uint32_t a = pixel >> 24;
    if (a == 0) return Color(0u);
    auto straight = [a](uint32_t c) {
        const uint32_t v = (c * 255 + a / 2) / a;
        return static_cast<uint8_t>(v > 255 ? 255 : v);
    };
    return Color(static_cast<uint8_t>(a), straight((pixel >> 16) & 0xFF), straight((pixel >> 8) & 0xFF),
                 straight(pixel & 0xFF));
}

}  // namespace Pictor::pixels
