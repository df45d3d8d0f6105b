// The built-in example gallery: map-like uses of every symbol kind the library draws so far.
#pragma once

#include "contracts/pictor/graphics.h"

namespace gallery {

inline constexpr int kWidth = 960;
inline constexpr int kHeight = 640;

// Draws the whole sheet through the library's public entry.
void Draw(Pictor::Graphics& graphics);

}  // namespace gallery
