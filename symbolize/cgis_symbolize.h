// The library's one service object: checks a call, completes its drawing context, thins the
// anchor points of lines and fills when the host asks for it, and hands the call to the
// symbolizer of the symbol's type.
#pragma once

#include <cstdint>
#include <vector>

#include "symbolize/cgis_cartographiclinesymbolize.h"
#include "symbolize/cgis_compoundfillsymbolize.h"
#include "symbolize/cgis_compoundlinesymbolize.h"
#include "symbolize/cgis_gradientfillsymbolize.h"
#include "symbolize/cgis_hashlinesymbolize.h"
#include "symbolize/cgis_layeredsimplelinesymbolize.h"
#include "symbolize/cgis_markerlinesymbolize.h"
#include "symbolize/cgis_charmarkersymbolize.h"
#include "symbolize/cgis_compoundmarkersymbolize.h"
#include "symbolize/cgis_libmarkersymbolize.h"
#include "symbolize/cgis_linefillsymbolize.h"
#include "symbolize/cgis_markerfillsymbolize.h"
#include "symbolize/cgis_picturefillsymbolize.h"
#include "symbolize/cgis_picturemarkersymbolize.h"
#include "symbolize/cgis_simplefillsymbolize.h"
#include "symbolize/cgis_simplelinesymbolize.h"
#include "symbolize/cgis_symbol2textsymbolilze.h"
#include "symbolize/cgis_textboxsymbolize.h"
#include "symbolize/symbolize.h"

class CGIS_Symbolize final : public IGIS_Symbolize, public IGIS_SymbolizePath {
public:
    // Reads the output's pixels per inch from the host once; never throws.
    CGIS_Symbolize() noexcept;
    ~CGIS_Symbolize() override = default;
    CGIS_Symbolize(const CGIS_Symbolize&) = delete;
    CGIS_Symbolize& operator=(const CGIS_Symbolize&) = delete;

    // IGIS_Symbolize
    void SymbolizeText(IGIS_Symbol* symbol, const SymbolizeInfo* info, const TextBox* box) noexcept override;
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept override;
    // Answers for both interfaces: 0 gives the IGIS_Symbolize, 1000 the IGIS_SymbolizePath.
    void* QueryInterface(const int32_t* id) noexcept override;

    // IGIS_SymbolizePath
    void SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                       const Pictor::GraphicsPath* path) noexcept override;
    bool GetPath(IGIS_LibMarkerSymbol* symbol, SymbolizeInfo* info, const Pictor::PointD* points,
                 Pictor::GraphicsPath* path) noexcept override;

private:
    // Replaces a scale the caller left open (below -0.0001) by the default for its axis direction.
    void ApplyDefaultScale(SymbolizeInfo* info) const;
    // The host's SYMBOL2_SIMPLIFYANCHORPOINTS, read on every call; false (and logged) when unset.
    bool IsSimplifyAnchorPoints() const;
    // The Douglas-Peucker thinning of the points with a tolerance of one drawing unit; false when
    // the points are drawn as they are.
    bool SimplifyAnchorPoints(const Pictor::PointD* points, int32_t count,
                              std::vector<Pictor::PointD>* kept) const;
    void Dispatch(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                  const int32_t* count);

    // One symbolizer per drawable type, in the order they are built.
    CGIS_MarkerFillSymbolize markerFill_;
    CGIS_LibMarkerSymbolize libMarker_;
    CGIS_CharMarkerSymbolize charMarker_;
    CGIS_CompoundMarkerSymbolize compoundMarker_;
    CGIS_SimpleLineSymbolize simpleLine_;
    CGIS_CartographicLineSymbolize cartographicLine_;
    CGIS_HashLineSymbolize hashLine_;
    CGIS_MarkerLineSymbolize markerLine_;
    CGIS_CompoundLineSymbolize compoundLine_;
    CGIS_LayeredSimpleLineSymbolize layeredSimpleLine_;
    CGIS_SimpleFillSymbolize simpleFill_;
    CGIS_LineFillSymbolize lineFill_;
    CGIS_GradientFillSymbolize gradientFill_;
    CGIS_PictureFillSymbolize pictureFill_;
    CGIS_PictureMarkerSymbolize pictureMarker_;
    CGIS_CompoundFillSymbolize compoundFill_;
    CGIS_Symbol2TextSymbolize text_;
    CGIS_TextBoxSymbolize textBox_;

    double pixelsPerMillimetre_;
    double logicalUnitsPerMillimetre_;
};
