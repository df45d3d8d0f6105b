// Draws the text box (type 18): a rectangle of fixed size in millimetres growing from the anchor
// point, optionally filled and framed, with a multi-line text scaled so that its widest line
// spans the inner width (or keeps its aspect) and its lines with their gaps the inner height.
// Writes no log messages except for texts beyond the caps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class IGIS_TextBoxSymbol;

namespace Pictor {
class Font;
class GraphicsPath;
}  // namespace Pictor

class CGIS_TextBoxSymbolize {
public:
    CGIS_TextBoxSymbolize() = default;
    virtual ~CGIS_TextBoxSymbolize() = default;

    // Draws the box at points[0]; *count must be 1.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;

    // The lines of a text: broken at each LF, a CR before it dropped, a last line kept only when
    // it is not empty. False when there are more than the cap allows.
    static bool SplitLines(const std::string& text, std::vector<std::string>* lines);

private:
    // The box's figure at the anchor, scaled and turned; filled and framed as the symbol asks.
    void DrawBox(const IGIS_TextBoxSymbol* box, const SymbolizeInfo* info, const Pictor::PointD& p,
                 const double margins[4]) const;
    void DrawText(const IGIS_TextBoxSymbol* box, const SymbolizeInfo* info, const Pictor::PointD& p,
                  const double margins[4], const std::string& utf8) const;
};
