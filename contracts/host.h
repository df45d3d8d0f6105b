// Services the library asks of its host: the symbol factory and resource resolver, the vector
// resource store, the image stores, global properties, colour tables and the logger.
//
// The host library exports the getters below with C linkage and the library imports them, so a
// different host can stand in by shipping the same exports. Each getter returns a process-wide
// object the host owns (null when the service is missing); the library never deletes one. All
// of them are used on the caller's thread, and no operation throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "contracts/symbol/symbol.h"

#define SYMBOLHOST_EXPORT __attribute__((visibility("default")))

namespace Pictor {
class Image;
}

// A vector marker resource and its elements: contracts/symbol/resource.h.
class VectorSymbolResource;

// What the factory is asked for. Only `code` is read.
struct Symbol2FactoryId {
    int32_t code = 0;
};
enum Symbol2FactoryCode : int32_t {
    Symbol2FactoryResolver = 1,   // QueryResolver gives the resource resolver
    Symbol2FactoryLibMarker = 2,  // CreateSymbol gives a new library marker
};

// Finds the vector resource a symbol carries inside itself, and gives one to a symbol.
class IGIS_SymbolResourceResolver {
public:
    // The resource embedded in `symbol`, owned by it, or null when it carries none.
    virtual VectorSymbolResource* GetEmbeddedResource(IGIS_Symbol* symbol) noexcept = 0;
    // Makes `symbol` (a library marker) draw `resource`.
    virtual void AttachResource(IGIS_Symbol* symbol, VectorSymbolResource* resource) noexcept = 0;

protected:
    virtual ~IGIS_SymbolResourceResolver() = default;
};

class IGIS_Symbol2Factory {
public:
    // Code 2: a new library marker the caller frees with Release. Any other code: null.
    virtual IGIS_Symbol* CreateSymbol(const Symbol2FactoryId* id) noexcept = 0;
    // Code 1: the resolver, owned by the factory. Any other code: null.
    virtual IGIS_SymbolResourceResolver* QueryResolver(const Symbol2FactoryId* id) noexcept = 0;

protected:
    virtual ~IGIS_Symbol2Factory() = default;
};

// GetColorTableName writes at most this many bytes, terminator included.
inline constexpr size_t kColorTableNameCapacity = 1024;

class IGIS_VectorResourceBase {
public:
    // The resource stored under *code, owned by the store, or null.
    virtual VectorSymbolResource* GetResource(const uint32_t* code) noexcept = 0;
    // The name of the colour table the resource's element colours refer to, zero-terminated in
    // `name` (kColorTableNameCapacity bytes): "RGB" for plain colours, empty for none. False when
    // the name cannot be read.
    virtual bool GetColorTableName(const VectorSymbolResource* resource, char* name) noexcept = 0;
    // Fills box[4] with x1, x2, y1, y2 of the resource stored under *code; false (box untouched)
    // for an unknown code. The library passes 0 in place0..2, -1 in width and height and false in
    // the flags; a store may read them as placement hints or ignore them, and only box is read
    // back.
    virtual bool GetResourceBounds(double* box, const uint32_t* code, double* place0, double* place1,
                                   double* place2, double* width, double* height, bool* flag0, bool* flag1,
                                   bool* flag2, bool* flag3) noexcept = 0;

protected:
    virtual ~IGIS_VectorResourceBase() = default;
};

// Pictures by id: one store for marker pictures, another for fill pictures.
class IGIS_ImageResourceBase {
public:
    // The picture stored under `id`, owned by the store, or null.
    virtual const Pictor::Image* GetImage(uint32_t id) noexcept = 0;

protected:
    virtual ~IGIS_ImageResourceBase() = default;
};

// Property names the library reads.
inline constexpr const char* kPropertySimplifyAnchorPoints = "SYMBOL2_SIMPLIFYANCHORPOINTS";
inline constexpr const char* kPropertyConfigDir = "SYMBOL2_CFG_DIR";
// A whole number 0 to 4294967295 that seeds the jitter of marker fills, so that a map drawn twice
// comes out the same; unset, the jitter is seeded from the clock in seconds.
inline constexpr const char* kPropertyJitterSeed = "SYMBOL2_JITTERSEED";
// The code page of the symbol library's texts and character codes: "1252" (also "cp1252",
// "windows-1252") or "936" (also "cp936", "GBK"), in any case; unset is 1252.
inline constexpr const char* kPropertyCodePage = "SYMBOL2_CODEPAGE";

class IGIS_Property {
public:
    virtual bool GetBoolValue() const noexcept = 0;
    // Zero-terminated, owned by the property; never null.
    virtual const char* GetStringValue() const noexcept = 0;

protected:
    virtual ~IGIS_Property() = default;
};

class IGIS_GlobalProperties {
public:
    // The property called `name`, owned by the store, or null when it is not set.
    virtual const IGIS_Property* GetProperty(const char* name) noexcept = 0;

protected:
    virtual ~IGIS_GlobalProperties() = default;
};

// Maps packed colours. The result has its outer colour bytes the other way round (red in the
// low byte); callers exchange them back.
class IGIS_SymbolColorTable {
public:
    virtual uint32_t MapColor(uint32_t color) const noexcept = 0;
    // Frees a table from GIS_CreateSymbolColorTablePtr; the host's current table is never released.
    virtual void Release() noexcept = 0;

protected:
    virtual ~IGIS_SymbolColorTable() = default;
};

enum LogLevel : int32_t {
    LogLevelNotice = 0,  // a missing property, a smoothing failure
    LogLevelError = 2,   // bad input
};

class IGIS_Log {
public:
    // `function` names the class and method ("CGIS_Symbolize::Symbolize"); `file`, `line` and
    // `timestamp` locate the source. The result says whether the entry was kept; callers need
    // not look at it.
    virtual bool Log(int32_t level, const char* function, const char* message, const char* file, int32_t line,
                     const char* timestamp) noexcept = 0;

protected:
    virtual ~IGIS_Log() = default;
};

extern "C" {
SYMBOLHOST_EXPORT IGIS_Symbol2Factory* GIS_GetSymbol2FactoryObject() noexcept;
SYMBOLHOST_EXPORT IGIS_VectorResourceBase* GIS_GetVectorResourceBaseObject() noexcept;
SYMBOLHOST_EXPORT IGIS_ImageResourceBase* GIS_GetImageResourceBaseObject() noexcept;
SYMBOLHOST_EXPORT IGIS_ImageResourceBase* GIS_GetFillImageResourceBaseObject() noexcept;
SYMBOLHOST_EXPORT IGIS_GlobalProperties* GIS_GetGlobalProperties() noexcept;
// A table read from the file at `path` (UTF-8), freed with Release; null when it cannot be made.
SYMBOLHOST_EXPORT IGIS_SymbolColorTable* GIS_CreateSymbolColorTablePtr(const char* path) noexcept;
SYMBOLHOST_EXPORT IGIS_SymbolColorTable* GIS_GetCurrentSymbolColorTablePtr() noexcept;
SYMBOLHOST_EXPORT IGIS_Log* GIS_GetLogPtr() noexcept;
}
