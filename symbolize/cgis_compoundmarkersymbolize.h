// Draws the compound marker (type 4): a stack of member markers laid out in a design space of its
// own. Nothing is drawn here: each visible member is copied, resized, mirrored and turned with the
// stack, and handed back to the service at the place it lands.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "contracts/symbol/limits.h"
#include "symbolize/symbolize.h"

class CGIS_SymbolMatrix;
class IGIS_CompoundMarkerSymbol;

class CGIS_CompoundMarkerSymbolize {
public:
    // Compound markers nested deeper than this inside one another (on one thread) are not drawn;
    // reaching it ends the drawing of the outermost stack.
    static constexpr int kMaxNestingDepth = SymbolLimits::kMaxNestingDepth;
    // Members looked at for one outermost stack, nested members included; the drawing ends when
    // they are spent.
    static constexpr int kMaxMembersPerStack = SymbolLimits::kMaxMarkerStackMembers;

    CGIS_CompoundMarkerSymbolize() = default;
    virtual ~CGIS_CompoundMarkerSymbolize() = default;

    // Draws the stack at points[0]; *count must be 1.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
    // The transform from design space to drawing units for a stack placed at `point`.
    void GetCompoundTransform(const IGIS_CompoundMarkerSymbol* marker, const SymbolizeInfo* info,
                              CGIS_SymbolMatrix* matrix, const Pictor::PointD& point) const;

private:
    void DrawMembers(IGIS_CompoundMarkerSymbol* marker, const SymbolizeInfo* info,
                     const Pictor::PointD& point) const;
};
