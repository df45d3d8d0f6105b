// Vector marker resources: the small drawings a library marker places at its anchor point. A
// resource is a list of elements (polylines, rectangles, ellipses, paths of straight and Bezier
// segments), each with its own stroke, fill and colours, all in the resource's own units.
//
// Resources belong to the resource store or to the symbol that embeds them; the library only
// reads them. Fields are plain data so that a host can build them from any source.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "contracts/pictor/types.h"

// What GetType of an element answers.
enum SymbolElementType : int32_t {
    SymbolElementLine = 0,
    SymbolElementRect = 1,
    SymbolElementEllipse = 2,
    SymbolElementPath = 3,
};

// Element `usage` codes. Any code not listed draws like SymbolUsageNormal, except that its stroke
// colour is white.
enum SymbolElementUsage : int32_t {
    SymbolUsageNormal = 0,      // primary colour group
    SymbolUsageSecondary = 1,   // drawn only when the symbol shows its secondary elements
    SymbolUsageHidden = 4,      // rectangles: never drawn
    SymbolUsageSymbolFill = 6,  // an area in the symbol's fill colour, never stroked
    SymbolUsageArrow = 7,       // lines: arrow with a full head
    SymbolUsageArrowSecondary = 8,
    SymbolUsageHalfArrow = 9,  // lines: arrow with a half head
    SymbolUsageHalfArrowSecondary = 10,
    SymbolUsageLeaderLine = 100,     // lines: leader to the symbol's leader offset
    SymbolUsageLeaderEllipse = 101,  // ellipses: leader from the centre
};

// `lineCap` codes of an element; they are not the graphics layer's numbers.
enum SymbolElementCap : int32_t {
    SymbolCapFlat = 0,
    SymbolCapRound = 1,
    SymbolCapTriangle = 2,
};

class SymbolElement {
public:
    virtual ~SymbolElement() = default;
    virtual int32_t GetType() const noexcept = 0;  // a SymbolElementType

    int32_t id = 0;  // matched against the resource's referenceElementId
    // Dash and gap lengths in multiples of the stroke width, for the custom dash style.
    std::vector<double> dashPattern;
    int32_t lineJoin = 0;  // the graphics layer's join codes 0..3
    int32_t lineCap = SymbolCapFlat;
    uint32_t lineColor = 0;
    int32_t usage = SymbolUsageNormal;
    bool stroked = true;
    bool filled = false;
    uint32_t fillColor = 0;
    bool fillFollowsSymbol = false;  // fill in the symbol's colour when it has one
    bool keepOwnLineColor = false;   // stroke in lineColor even when the symbol has a colour
    double lineWidth = 1.0;          // resource units, scaled by the stroke width rule
    int32_t styleElementId = 0;      // leader ellipses: the element whose stroke they take

protected:
    SymbolElement() = default;
    SymbolElement(const SymbolElement&) = default;
    SymbolElement& operator=(const SymbolElement&) = default;
};

class LineElement final : public SymbolElement {
public:
    int32_t GetType() const noexcept override { return SymbolElementLine; }
    std::vector<Pictor::PointD> points;
    bool closed = false;
};

class RectElement final : public SymbolElement {
public:
    int32_t GetType() const noexcept override { return SymbolElementRect; }
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    int32_t textIndex = -1;  // >= 0: the box of the symbol's text of that index
};

class EllipseElement final : public SymbolElement {
public:
    int32_t GetType() const noexcept override { return SymbolElementEllipse; }
    double centerX = 0.0;
    double centerY = 0.0;
    double radiusX = 0.0;
    double radiusY = 0.0;
};

// segmentKind codes of a sub-path.
enum PathSegmentKind : int32_t {
    PathSegmentLines = 1,
    PathSegmentBeziers = 2,  // 1 + 3n points: start, then two controls and an end per segment
};

struct PathSubPath {
    int32_t segmentKind = PathSegmentLines;  // other values add no points
    std::vector<Pictor::PointD> points;
    bool closed = false;
};

// Sub-paths continue one another's figure unless a closed one ends it.
class PathElement final : public SymbolElement {
public:
    int32_t GetType() const noexcept override { return SymbolElementPath; }
    std::vector<PathSubPath> subPaths;
};

// What GetKind of a resource answers.
enum VectorResourceKind : int32_t {
    VectorResourceMarker = 0,
    VectorResourceLine = 1,
};

class VectorSymbolResource {
public:
    virtual ~VectorSymbolResource() = default;
    virtual int32_t GetKind() const noexcept = 0;  // a VectorResourceKind

    double anchorX = 0.0;  // the point of the drawing put on the feature point
    double anchorY = 0.0;
    double extentX1 = 0.0;  // horizontal extent, in either order
    double extentX2 = 0.0;
    double extentY1 = 0.0;  // vertical extent, in either order
    double extentY2 = 0.0;
    std::vector<std::unique_ptr<SymbolElement>> elements;  // drawn in this order
    int32_t referenceElementId = 0;  // the element whose stroke width the symbol's line width sets

protected:
    VectorSymbolResource() = default;
    VectorSymbolResource(const VectorSymbolResource&) = delete;
    VectorSymbolResource& operator=(const VectorSymbolResource&) = delete;
};
