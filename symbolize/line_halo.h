// The halo under a simple or layered line: one opaque stroke wider than the line by the halo's
// size on each side, in the halo's own colour.
#pragma once

#include "symbolize/symbolize.h"

struct SymbolHalo;
namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

namespace symbolize {

// Strokes `path` with the halo of a line `lineWidth` millimetres wide. A null halo is reported
// under `function` ("pHalo == NULL"); a disabled one draws nothing. Neither the override colour
// nor the line's transparency applies to a halo.
void StrokeHalo(const SymbolizeInfo* info, const Pictor::GraphicsPath* path, const SymbolHalo* halo, double lineWidth,
                const char* function) noexcept;

}  // namespace symbolize
