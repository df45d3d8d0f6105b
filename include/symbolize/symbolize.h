// The library's public entry: a host gets the symbolization service from GIS_GetSymbolizeObject
// and hands it a symbol, a drawing context and a feature's points, once per feature.
//
// Symbol sizes are millimetres; the service turns them into drawing units with
// SymbolizeInfo::scale x sizeRatio. Nothing is returned and nothing throws: bad input is reported
// through the host's logger and draws nothing.
//
// Threads. The library starts none; every call runs to its end on the caller's thread. Several
// threads may call the one service at the same time, each drawing on its own surface:
// - Shared freely: the service (GIS_GetSymbolizeObject and every method of both interfaces), and
//   symbols, colour tables and point arrays that no thread changes while they are drawn (the
//   library only reads them, and Clone()s and Release()s the copies it makes).
// - One thread at a time: a Pictor::Graphics and the canvas under it, a GraphicsPath handed to
//   GetPath, and the SymbolizeInfo GetPath writes. Give each thread its own.
// - The host's: the logger, global properties, stores and colour-table files the library asks
//   for are called from every drawing thread, so a host that draws from several threads serves
//   them safely (the reference host does with its stderr logger, as long as nothing is installed
//   or changed while drawing).
// Nesting limits and member counts of one call are kept per thread, a work budget with the
// Graphics it is set on; caches of fonts and glyph outlines in the graphics layer are per thread
// or locked.
#pragma once

#include <cstdint>

#include "contracts/host.h"
#include "contracts/pictor/types.h"
#include "contracts/symbol/symbol.h"  // IGIS_Symbol and the SymbolType codes GetType answers

#define SYMBOLIZE_EXPORT __attribute__((visibility("default")))

namespace Pictor {
class Graphics;
class GraphicsPath;
}  // namespace Pictor

// The drawing context of one call. The service works on its own copy.
struct SymbolizeInfo {
    Pictor::Graphics* graphics = nullptr;
    // Drawing units per millimetre of symbol size. Below -0.0001 the service picks it: screen
    // pixels per millimetre, or 100 when yUp.
    double scale = -1.0;
    // When set, every symbol colour except a text's is mapped through it.
    IGIS_SymbolColorTable* colorTable = nullptr;
    bool overrideColor = false;  // draw in `color` where the symbol kind allows it
    uint32_t color = 0;          // packed like symbol colours; only text reads the top byte, as alpha
    double sizeRatio = 1.0;      // multiplies every symbol size
    bool yUp = false;            // the target's y axis points up: markers and texts mirror
    double rotation = 0.0;       // degrees added to marker angles
    uint32_t reserved = 0;       // carried along, never read
};

// The layout box of a text symbol, in drawing units: x1 left, y1 top.
struct TextBox {
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
};

// What QueryInterface is asked for, through a pointer to the 32-bit id. The answer is a void*
// that the caller converts back to exactly the interface the id names.
enum SymbolizeInterfaceId : int32_t {
    InterfaceIdSymbolize = 0,         // IGIS_Symbolize*
    InterfaceIdSymbolizePath = 1000,  // IGIS_SymbolizePath*
};

class IGIS_Symbolize {
public:
    // Draws a text symbol (type 17) in `box`.
    virtual void SymbolizeText(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                               const TextBox* box) noexcept = 0;
    // Draws any other symbol at or along `points` (*count of them). Neither the context, the
    // points nor the count are written.
    virtual void Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                           const int32_t* count) noexcept = 0;
    // The service seen through the interface *id names; null for an unknown id or a null pointer.
    virtual void* QueryInterface(const int32_t* id) noexcept = 0;
    // Only the library deletes the service, when it is unloaded.
    virtual ~IGIS_Symbolize() = default;
};

class IGIS_SymbolizePath {
public:
    // Draws a simple line along `path`, or a simple, marker, line or compound fill inside it.
    // Other kinds and a null symbol draw nothing.
    virtual void SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                               const Pictor::GraphicsPath* path) noexcept = 0;
    virtual void* QueryInterface(const int32_t* id) noexcept = 0;
    // Appends the outline of a library marker placed at points[0] to `path`, then maps everything
    // in `path` through the marker's placement. Writes the default scale into the caller's
    // `info`. False when the marker cannot be built.
    virtual bool GetPath(IGIS_LibMarkerSymbol* symbol, SymbolizeInfo* info, const Pictor::PointD* points,
                         Pictor::GraphicsPath* path) noexcept = 0;

protected:
    virtual ~IGIS_SymbolizePath() = default;
};

// The service, created when the library is loaded; null only when it could not be allocated,
// in which case the next call tries again.
extern "C" SYMBOLIZE_EXPORT IGIS_Symbolize* GIS_GetSymbolizeObject() noexcept;
