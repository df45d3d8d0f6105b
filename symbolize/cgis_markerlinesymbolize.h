// Draws the marker line (type 16): copies of one library marker along the line, turned to follow
// it, at an interval, at a distance or at a percentage of the length. Each copy is drawn through
// the service by a library marker made for the call.
#pragma once

#include <cstdint>
#include <vector>

#include "contracts/pictor/types.h"
#include "symbolize/symbolize.h"

class IGIS_LibMarkerSymbol;
class IGIS_MarkerLineSymbol;
class VectorSymbolResource;

class CGIS_MarkerLineSymbolize {
public:
    CGIS_MarkerLineSymbolize() = default;
    virtual ~CGIS_MarkerLineSymbolize() = default;

    // `closed` is accepted for the dispatch's sake; markers follow the points as they are.
    void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                   const int32_t* count, const bool* closed) noexcept;

private:
    // The marker made for the call and how its copies are drawn.
    struct Stamp {
        IGIS_Symbolize* service = nullptr;
        IGIS_Symbol* marker = nullptr;
        IGIS_LibMarkerSymbol* view = nullptr;
        const SymbolizeInfo* info = nullptr;
        double baseAngle = 0.0;  // degrees: the marker line's own angle
    };

    // Gives the marker the symbol's drawing (embedded, else by resource code) and properties;
    // false when the drawing cannot be used. *resource is the embedded drawing, or null.
    bool SetUpMarker(IGIS_Symbol* symbol, const IGIS_MarkerLineSymbol* line, IGIS_Symbol* marker,
                     IGIS_LibMarkerSymbol* view, VectorSymbolResource** resource) const;
    // Width the marker is drawn at, in millimetres: its own, or for an unset width (-1) the
    // natural width of its drawing.
    double MarkerWidth(const IGIS_LibMarkerSymbol* view, const VectorSymbolResource* embedded) const;

    // Markers every marker width plus gap from the start of `line`, moved to the side by the
    // marker offset; nothing (and a message) when that step is not a usable distance.
    void PlaceAtInterval(const Stamp& stamp, const IGIS_MarkerLineSymbol* symbol,
                         const std::vector<Pictor::PointD>& line, const VectorSymbolResource* embedded) const;
    // One marker `distance` millimetres along `points`, shifted along and across the line.
    void PlaceOnce(const Stamp& stamp, const IGIS_MarkerLineSymbol* line, const Pictor::PointD* points,
                   int32_t count, double distance) const;
    void DrawAt(const Stamp& stamp, const Pictor::PointD& at, double angle) const;
};
