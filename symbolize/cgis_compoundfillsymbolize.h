// Draws the compound fill (type 12): each visible member over the same polygon, through the
// service, member 0 at the bottom. It draws nothing itself and adds no outline.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "contracts/symbol/limits.h"
#include "symbolize/symbolize.h"

namespace Pictor {
class GraphicsPath;
}  // namespace Pictor

class CGIS_CompoundFillSymbolize {
public:
    // Compound fills nested deeper than this on one thread are not drawn.
    static constexpr int kMaxNesting = SymbolLimits::kMaxNestingDepth;

    CGIS_CompoundFillSymbolize() = default;
    virtual ~CGIS_CompoundFillSymbolize() = default;

    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
    // Hands every visible member's fill view to the service's path entry.
    void SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                       const Pictor::GraphicsPath* path) noexcept;
};
