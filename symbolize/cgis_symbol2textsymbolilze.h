// Draws a text symbol (type 17) in the layout box the host gives: the text's ink, not its line
// box, is placed against the box edge its alignment names, turned about the box centre and
// filled with the text colour. Reached through the service's SymbolizeText.
#pragma once

#include <memory>

#include "symbolize/symbolize.h"

class IGIS_TextSymbol;

namespace Pictor {
class Font;
}

class CGIS_Symbol2TextSymbolize {
public:
    CGIS_Symbol2TextSymbolize() = default;
    virtual ~CGIS_Symbol2TextSymbolize() = default;

    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const TextBox* box) noexcept;

    // The symbol's font at its size in drawing units; a family the graphics layer cannot load is
    // replaced by "宋体" at the same size. Null when it cannot be made.
    std::unique_ptr<Pictor::Font> CreateTextFont(const IGIS_TextSymbol* text,
                                                 const SymbolizeInfo* info) const;

private:
    void Draw(const IGIS_TextSymbol* text, const SymbolizeInfo* info, const TextBox* box,
              const std::string& utf8) const;
};
