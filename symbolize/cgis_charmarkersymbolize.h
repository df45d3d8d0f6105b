// Draws the character marker (type 3): one character of a font, its outline stretched to the
// marker's width and height, mirrored, rotated, offset, moved to the anchor point and filled.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class IGIS_CharMarkerSymbol;

namespace Pictor {
class Font;
class Matrix;
}  // namespace Pictor

class CGIS_CharMarkerSymbolize {
public:
    CGIS_CharMarkerSymbolize() = default;
    virtual ~CGIS_CharMarkerSymbolize() = default;

    // Draws the marker at points[0]; *count must be 1.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;
    // The transform that stretches a glyph outline with these bounds to the marker's size about the
    // outline's origin and places it at `point`; false when the width or height is unset (or the
    // transform is not finite).
    bool GetMarkerTransform(Pictor::Matrix* matrix, const IGIS_CharMarkerSymbol* marker,
                            const SymbolizeInfo* info, const Pictor::PointD& point,
                            const Pictor::RectD& bounds) const;

private:
    // The code point the marker's byte reaches in `font`, or false when it names no character.
    bool ChooseCodePoint(const Pictor::Font& font, int32_t code, char32_t* codePoint) const;
};
