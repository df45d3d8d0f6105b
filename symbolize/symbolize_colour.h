// Colour rules shared by the line, marker and fill symbolizers.
#pragma once

#include <cmath>
#include <cstdint>

#include "contracts/host.h"
#include "symbolize/symbolize.h"

namespace symbolize {

// Colour tables answer with red and blue the other way round; this puts them back and clears
// the top byte.
constexpr uint32_t SwapRedBlue(uint32_t c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }

// The symbol colour as drawn: mapped through the call's colour table when there is one.
inline uint32_t MapSymbolColour(const IGIS_SymbolColorTable* table, uint32_t c) {
    return table ? SwapRedBlue(table->MapColor(c)) : c;
}

// Alpha byte of a transparency percentage, truncated toward zero. Values outside 0..100 are
// not clamped: the low byte of the truncated value is used.
inline uint32_t TruncatedAlpha(int32_t transparency) {
    const double v = std::trunc((100.0 - transparency) * 0.01 * 255.0);
    return static_cast<uint32_t>(static_cast<int64_t>(v) & 0xFF);
}

// Alpha byte rounded half away from zero, as text and text boxes use it.
inline uint32_t RoundedAlpha(int32_t transparency) {
    const double v = (100.0 - transparency) * 0.01 * 255.0;
    const double r = v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
    return static_cast<uint32_t>(static_cast<int64_t>(r) & 0xFF);
}

// A packed colour with `alpha` in the top byte.
constexpr uint32_t WithAlpha(uint32_t alpha, uint32_t c) { return (alpha << 24) | (c & 0xFFFFFFu); }

// The stroke colour of the cartographic and hash lines: the override colour (opaque) or the
// symbol's colour with the alpha of its transparency, through the call's colour table.
inline uint32_t LineColour(const SymbolizeInfo* info, uint32_t colour, int32_t transparency) {
    constexpr uint32_t kOpaque = 255;
    // The override colour is drawn opaque; the symbol's transparency is not read for it.
    if (info->overrideColor) return WithAlpha(kOpaque, MapSymbolColour(info->colorTable, info->color));
    return WithAlpha(TruncatedAlpha(transparency), MapSymbolColour(info->colorTable, colour));
}

}  // namespace symbolize
