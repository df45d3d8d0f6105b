// Draws the library marker (type 2): a vector resource from the host's store (or embedded in the
// symbol) placed at the anchor point by size, mirroring, rotation and offsets, over an optional
// background rectangle, its elements drawn in their stored order.
//
// The symbol's label and the texts of its text-box rectangles are drawn after the elements.
#pragma once

#include <cstdint>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class CGIS_SymbolMatrix;
class IGIS_LibMarkerSymbol;
class PathElement;
class RectElement;
class SymbolElement;
class VectorSymbolResource;
struct BoxText;
struct SymbolHalo;

namespace Pictor {
class Brush;
class GraphicsPath;
class Matrix;
class Pen;
}  // namespace Pictor

class CGIS_LibMarkerSymbolize {
public:
    CGIS_LibMarkerSymbolize() = default;
    virtual ~CGIS_LibMarkerSymbolize() = default;

    // Draws the marker at points[0]; *count must be 1.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count) noexcept;

    // Appends the figures of the marker placed at points[0] to `path` and maps everything in it
    // by the marker's placement. False when there is no drawing, or when an element of a type the
    // marker does not know is met (the figures appended so far then stay unmapped).
    bool GetPath(IGIS_LibMarkerSymbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                 Pictor::GraphicsPath* path) const noexcept;
    // The figure of one element in resource units, appended to `path`; true also when the element
    // is not part of the outline. False for a missing resource or element.
    bool GetLines(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info, const Pictor::PointD* points,
                  const VectorSymbolResource* resource, const SymbolElement* element,
                  Pictor::GraphicsPath* path) const;
    bool GetRect(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info, const Pictor::PointD* points,
                 const VectorSymbolResource* resource, const SymbolElement* element, Pictor::GraphicsPath* path) const;
    bool GetEllipse(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info, const Pictor::PointD* points,
                    const VectorSymbolResource* resource, const SymbolElement* element,
                    Pictor::GraphicsPath* path) const;
    bool GetPathElement(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                        const Pictor::PointD* points, const VectorSymbolResource* resource,
                        const SymbolElement* element, Pictor::GraphicsPath* path) const;

    // The transform from resource units to drawing units for points[0]; false (matrix unchanged)
    // when it cannot be built from finite numbers.
    bool BuildMarkerTransform(Pictor::Matrix* matrix, const IGIS_LibMarkerSymbol* libMarker,
                              const SymbolizeInfo* info, const Pictor::PointD* points,
                              const VectorSymbolResource* resource) const;
    // The marker transform of a box text of a horizontally mirrored marker: first mirrored about
    // the box's vertical centre line, so the text reads left to right in the mirrored box.
    bool BuildMirroredTextTransform(Pictor::Matrix* matrix, const IGIS_LibMarkerSymbol* libMarker,
                                    const SymbolizeInfo* info, const Pictor::PointD* points,
                                    const VectorSymbolResource* resource, const RectElement* box) const;
    void FillBackGround(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                        const Pictor::PointD* points, const VectorSymbolResource* resource) const;
    // The background rectangle in drawing units: the symbol's extent about points[0], axis-aligned.
    Pictor::RectD ComputeBackgroundRect(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                        const Pictor::PointD* points) const;

    // Element drawers: build the element's figure in resource units, map it through `matrix`,
    // fill and stroke it. `haloEnabled` points to the enabled flag of the symbol's halo (or is null).
    void ProcessLines(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                      const Pictor::PointD* points, const VectorSymbolResource* resource,
                      const SymbolElement* element, const Pictor::Matrix* matrix,
                      const bool* haloEnabled) const;
    void ProcessRect(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                     const Pictor::PointD* points, const VectorSymbolResource* resource,
                     const SymbolElement* element, const Pictor::Matrix* matrix,
                     const bool* haloEnabled) const;
    void ProcessEllipse(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                        const Pictor::PointD* points, const VectorSymbolResource* resource,
                        const SymbolElement* element, const Pictor::Matrix* matrix,
                        const bool* haloEnabled) const;
    void ProcessPath(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                     const Pictor::PointD* points, const VectorSymbolResource* resource,
                     const SymbolElement* element, const Pictor::Matrix* matrix,
                     const bool* haloEnabled) const;

    // Arrow lines (usages 7 to 10), leader lines (100) and leader ellipses (101), handed over by
    // the element drawers (cgis_libmarkerarrows.cpp).
    void DrawArrowLine(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                       const VectorSymbolResource* resource, const SymbolElement* element,
                       const Pictor::Matrix* matrix) const;
    void DrawLeaderLine(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                        const VectorSymbolResource* resource, const SymbolElement* element,
                        const Pictor::Matrix* matrix) const;
    void DrawLeaderEllipse(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                           const VectorSymbolResource* resource, const SymbolElement* element,
                           const Pictor::Matrix* matrix) const;
    // The symbol's label beside the background rectangle: upright, unrotated, optionally on a box.
    void DrawLabel(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const VectorSymbolResource* resource) const;
    // A text fitted into a text-box rectangle, then placed by the marker transform `matrix`.
    void DrawBoxText(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                     const Pictor::PointD* points, const VectorSymbolResource* resource,
                     const RectElement* rectElement, const BoxText* boxText, const Pictor::Matrix* matrix) const;

    // Stroke width in drawing units: the element's own width, or its share of the symbol's line
    // width measured against the resource's reference element.
    double StrokeWidth(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                       const VectorSymbolResource* resource, const SymbolElement* element) const;
    void SetUpPen(Pictor::Pen* pen, const IGIS_LibMarkerSymbol* libMarker,
                  const SymbolElement* element) const;
    // Strokes the halo band under an element's stroke.
    void DrawElementHalo(const SymbolHalo* halo, const SymbolizeInfo* info, const Pictor::GraphicsPath* path,
                         const SymbolElement* element, double strokeWidth) const;

    // Colour rules of the elements (packed 0x00RRGGBB unless a rule says otherwise).
    uint32_t LineColor(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                       const VectorSymbolResource* resource, const SymbolElement* element) const;
    uint32_t LineAlpha(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                       const SymbolElement* element) const;
    uint32_t FillColor(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                       const VectorSymbolResource* resource, const SymbolElement* element) const;
    uint32_t UseFillColor(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                          const VectorSymbolResource* resource, const SymbolElement* element) const;

private:
    // The figure of a path element: its sub-paths of lines and Bezier curves.
    static void AddPathFigure(const PathElement& element, Pictor::GraphicsPath* path);
    // The arrowhead at a leader's far end c: a triangle from two base points across the leader at
    // d (s being where the leader's last stretch starts), filled with `brush`, its base edged with
    // `pen` made one unit wide.
    void DrawLeaderArrowhead(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                             const Pictor::PointD& s, const Pictor::PointD& c, const Pictor::PointD& d,
                             const Pictor::Brush* brush, Pictor::Pen pen, Pictor::GraphicsPath* path) const;

    // Where an element's figure is drawn from, once its usage gates are passed.
    struct ElementDraw {
        int tag = 0;            // drawing tag of the fill and the stroke
        int symbolFillTag = 0;  // drawing tag of a usage-6 fill
        bool textBox = false;   // the figure only frames a text: no fill, no stroke
    };

    // Appends the marker transform's steps to `composed`; false when an argument is missing.
    bool ComposeMarkerTransform(CGIS_SymbolMatrix* composed, const IGIS_LibMarkerSymbol* libMarker,
                                const SymbolizeInfo* info, const Pictor::PointD* points,
                                const VectorSymbolResource* resource) const;
    // The text's outline shaped at em size `em` on one line, and its bounds; false when the text
    // has no ink (blanks only, or glyphs no font has), which leaves nothing to fit.
    bool ShapeText(const char* bytes, const char* fontName, double em, Pictor::GraphicsPath* path,
                   Pictor::RectD* bounds) const;

    // The resource the symbol draws: embedded in it, else the store's under its code.
    VectorSymbolResource* FindResource(IGIS_Symbol* symbol, const IGIS_LibMarkerSymbol* libMarker) const;
    // Fills and strokes a built figure as the element's usage and flags say.
    void DrawElementFigure(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                           const VectorSymbolResource* resource, const SymbolElement* element,
                           Pictor::GraphicsPath* path, const Pictor::Matrix* matrix, const bool* haloEnabled,
                           const ElementDraw& draw) const;
    // The secondary gate of rectangles, ellipses and paths: false when the element is not drawn;
    // sets the drawing tag of one that is.
    bool PassSecondaryGate(const IGIS_LibMarkerSymbol* libMarker, const SymbolElement* element,
                           int* tag) const;

    // Colour of a resource's stored colour `c` by the resource's colour table. `currentTable`
    // maps named tables through the host's current table instead of the named file.
    uint32_t ResourceColour(const VectorSymbolResource* resource, uint32_t c, bool currentTable) const;
    // `c` mapped through the colour-table file `name` in the configuration directory.
    uint32_t TableColour(const char* name, uint32_t c) const;
};
