#!/usr/bin/python3
"""Writes marker_test_symbol.ttf: a tiny font whose only character map is symbol-encoded
(platform 3, encoding 0), as the symbol fonts of marker libraries are. Three glyphs sit at the
private-use codes U+F041 (a square), U+F080 (a triangle) and U+F0B0 (a diamond).

Regenerate with: /usr/bin/python3 tests/data/markers/make_symbol_font.py (needs python3-fonttools).
"""
import os

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

FAMILY = "Marker Test Symbol"
UNITS_PER_EM = 1000


def polygon(points):
    pen = TTGlyphPen(None)
    pen.moveTo(points[0])
    for p in points[1:]:
        pen.lineTo(p)
    pen.closePath()
    return pen.glyph()


def main():
    glyphs = {
        ".notdef": TTGlyphPen(None).glyph(),
        "square": polygon([(100, 0), (100, 600), (700, 600), (700, 0)]),
        "triangle": polygon([(100, 0), (400, 600), (700, 0)]),
        "diamond": polygon([(400, 0), (100, 300), (400, 600), (700, 300)]),
    }
    order = list(glyphs)
    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics({name: (800, 0) for name in order})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    symbol = CmapSubtable.newSubtable(4)
    symbol.platformID = 3
    symbol.platEncID = 0
    symbol.language = 0
    symbol.cmap = {0xF041: "square", 0xF080: "triangle", 0xF0B0: "diamond"}
    builder.setupCharacterMap({})
    builder.font["cmap"].tables = [symbol]
    builder.setupNameTable({"familyName": FAMILY, "styleName": "Regular"})
    builder.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200,
                     ulCodePageRange1=1 << 31)  # the symbol character set
    builder.setupPost()


    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "marker_test_symbol.ttf")
    builder.save(out)


if __name__ == "__main__":
    main()
