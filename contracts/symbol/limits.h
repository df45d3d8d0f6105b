// How much of a symbol the library draws. A symbol beyond one of these limits is refused (or cut
// short) while it is drawn; the reference host's document reader refuses the same symbol when it
// reads it, so that a document that validates also draws. Both read the numbers from here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "contracts/pictor/pen.h"

namespace SymbolLimits {

// Entries of a dash pattern (dash, gap, dash, ...): what the graphics layer's pen keeps. Simple
// and cartographic lines, the layers of a layered line and resource elements share it.
inline constexpr int32_t kMaxDashEntries = Pictor::kMaxDashPatternLength;

// Levels of symbols inside symbols, the outermost one included: a compound holding compounds
// holding ... a line. Real styles use two or three; the cap stops a compound that holds itself.
inline constexpr int kMaxNestingDepth = 32;

// Members drawn of one compound line or compound fill, and layers of one layered line; a real one
// has a handful.
inline constexpr int32_t kMaxCompoundMembers = 1024;

// Members one compound marker may draw, counting the members of the stacks inside it at every
// level: past this, a 64-wide stack nested a few levels deep would draw millions of markers at
// one point.
inline constexpr int32_t kMaxMarkerStackMembers = 65536;

// Elements drawn of one vector resource. Hand-made map symbols have a few dozen; only the first
// elements of a larger (corrupt) resource are drawn.
inline constexpr size_t kMaxResourceElements = 4096;
// Points in one element's figure (a polyline, or all sub-paths of a path together): far beyond any
// drawn symbol, small enough that a corrupt count cannot exhaust memory.
inline constexpr size_t kMaxElementPoints = 65536;
// Sub-paths of one path element.
inline constexpr size_t kMaxElementSubPaths = 4096;
// Coordinates and sizes in resource units are at most this large in magnitude. Resources are drawn
// on grids of a few hundred units; an element beyond it is skipped.
inline constexpr double kMaxResourceCoordinate = 1.0e6;

// Lines of one text box; a label has a few.
inline constexpr size_t kMaxTextLines = 1024;

}  // namespace SymbolLimits
