// Small pieces the marker symbolizers share: reading the symbol model's optional values, and the
// caps that keep what a resource asks for bounded.
#pragma once

#include <cstddef>

namespace symbolize {

// A value the symbol gives through a pointer that may be null ("not set").
template <typename T>
T ValueOr(const T* value, T fallback) {
    return value ? *value : fallback;
}

// Elements drawn per library marker. Hand-made map symbols have a few dozen; a resource with more
// than this is corrupt, and only its first elements are drawn.
inline constexpr size_t kMaxResourceElements = 4096;
// Points in one element's figure (a polyline, or the sum of a path's sub-paths): far beyond any
// drawn symbol, small enough that a corrupt count cannot exhaust memory.
inline constexpr size_t kMaxElementPoints = 65536;
// Sub-paths of one path element.
inline constexpr size_t kMaxElementSubPaths = 4096;
// Coordinates and sizes in resource units are at most this large in magnitude. Resources are
// drawn on grids of a few hundred units; anything beyond is corrupt, and such an element is
// skipped before its numbers reach the drawing surface.
inline constexpr double kMaxResourceCoordinate = 1.0e6;

}  // namespace symbolize
