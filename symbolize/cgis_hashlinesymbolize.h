// Draws the hash line (type 14): short strokes across the line at a fixed interval, optionally
// moved to one side, all stroked at once as separate figures of one path.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class CGIS_HashLineSymbolize {
public:
    CGIS_HashLineSymbolize() = default;
    virtual ~CGIS_HashLineSymbolize() = default;

    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
};
