// Draws the compound line (type 15): each enabled member symbol in turn, through the service, so
// a member may be any kind of symbol.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "contracts/symbol/limits.h"
#include "symbolize/symbolize.h"

class CGIS_CompoundLineSymbolize {
public:
    // Compound lines nested deeper than this on one thread are not drawn.
    static constexpr int kMaxNesting = SymbolLimits::kMaxNestingDepth;

    CGIS_CompoundLineSymbolize() = default;
    virtual ~CGIS_CompoundLineSymbolize() = default;

    // Hands the same points and count to every enabled member, in order (later ones on top).
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
};
