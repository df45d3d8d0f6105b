// Small pieces every symbolizer shares: reading the symbol model's optional values, the size
// rule, the out-of-memory guard, and the caps that keep what a resource asks for bounded.
#pragma once

#include <cmath>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

#include "contracts/symbol/limits.h"
#include "contracts/symbol/resource.h"
#include "symbolize/symbolize.h"
#include "symbolize/symbolize_log.h"

namespace symbolize {

// A value the symbol gives through a pointer that may be null ("not set").
template <typename T>
T ValueOr(const T* value, T fallback) {
    return value ? *value : fallback;
}

// Drawing units per millimetre of symbol size: the call's size ratio times its scale. Marker
// offsets and some text sizes use the scale alone and do not go through this.
inline double SizeScale(const SymbolizeInfo* info) { return info->sizeRatio * info->scale; }

// Runs one drawing step that may allocate. An allocation failure is logged as "Out Of Memory"
// under `function`, at the caller's source position, and reported as false; no exception leaves.
// The position comes from the builtins behind std::source_location, which the fuzzing build's
// clang 14 lacks over GCC's standard library; both compilers fill them in at the call.
template <typename Step>
bool GuardMemory(const char* function, Step&& step, const char* file = __builtin_FILE(),
                 int line = __builtin_LINE()) noexcept {
    try {
        step();
        return true;
    } catch (const std::bad_alloc&) {
        LogFormatted(LogLevelError, function, file, line, "Out Of Memory");
        return false;
    }
}

// Releases a symbol copy made for the call (a Clone), on every way out.
struct ReleaseSymbol {
    void operator()(IGIS_Symbol* symbol) const noexcept { symbol->Release(); }
};
using SymbolCopy = std::unique_ptr<IGIS_Symbol, ReleaseSymbol>;

// What a resource may ask for; an element beyond it is skipped before its numbers reach the
// drawing surface.
using SymbolLimits::kMaxElementPoints;
using SymbolLimits::kMaxElementSubPaths;
using SymbolLimits::kMaxResourceCoordinate;
using SymbolLimits::kMaxResourceElements;

inline bool UsableNumber(double v) { return std::isfinite(v) && std::abs(v) <= kMaxResourceCoordinate; }

inline bool UsablePoints(const std::vector<Pictor::PointD>& points) {
    if (points.size() > kMaxElementPoints) return false;
    for (const Pictor::PointD& p : points) {
        if (!UsableNumber(p.x) || !UsableNumber(p.y)) return false;
    }
    return true;
}

// The element's own number that every drawer reads; its dashes are checked by the pen.
inline bool UsableCommon(const SymbolElement& element) { return UsableNumber(element.lineWidth); }

inline bool UsablePathElement(const PathElement& element) {
    if (element.subPaths.size() > symbolize::kMaxElementSubPaths) return false;
    size_t total = 0;
    for (const PathSubPath& sub : element.subPaths) {
        total += sub.points.size();
        if (total > symbolize::kMaxElementPoints || !UsablePoints(sub.points)) return false;
    }
    return true;
}

}  // namespace symbolize
