// The getters the library imports, and the Set* calls that replace what they give. A null
// installed object means "use the host's default".
#include "host/host.h"

#include "host/stores.h"

namespace {

// Installed by the caller; none of them is owned here.
constinit IGIS_Log* gLog = nullptr;
constinit IGIS_GlobalProperties* gProperties = nullptr;
constinit IGIS_SymbolColorTable* gCurrentColorTable = nullptr;
constinit IGIS_Symbol2Factory* gFactory = nullptr;
constinit IGIS_VectorResourceBase* gVectorResources = nullptr;
constinit IGIS_ImageResourceBase* gImages = nullptr;
constinit IGIS_ImageResourceBase* gFillImages = nullptr;

}  // namespace

namespace symbolhost {

void SetLogger(IGIS_Log* log) { gLog = log; }
void SetGlobalProperties(IGIS_GlobalProperties* properties) { gProperties = properties; }
void SetCurrentColorTable(IGIS_SymbolColorTable* table) { gCurrentColorTable = table; }
void SetSymbolFactory(IGIS_Symbol2Factory* factory) { gFactory = factory; }
void SetVectorResourceBase(IGIS_VectorResourceBase* store) { gVectorResources = store; }
void SetImageResourceBase(IGIS_ImageResourceBase* store) { gImages = store; }
void SetFillImageResourceBase(IGIS_ImageResourceBase* store) { gFillImages = store; }

}  // namespace symbolhost

extern "C" {

IGIS_Symbol2Factory* GIS_GetSymbol2FactoryObject() noexcept {
    return gFactory ? gFactory : &symbolhost::DefaultSymbolFactory();
}

IGIS_VectorResourceBase* GIS_GetVectorResourceBaseObject() noexcept {
    return gVectorResources ? gVectorResources : &symbolhost::DefaultVectorResourceStore();
}

IGIS_ImageResourceBase* GIS_GetImageResourceBaseObject() noexcept {
    return gImages ? gImages : &symbolhost::DefaultImageStore();
}

IGIS_ImageResourceBase* GIS_GetFillImageResourceBaseObject() noexcept {
    return gFillImages ? gFillImages : &symbolhost::DefaultFillImageStore();
}

IGIS_GlobalProperties* GIS_GetGlobalProperties() noexcept {
    if (gProperties) return gProperties;
    try {
        return &symbolhost::DefaultProperties();
    } catch (...) {
        // Building the default store ran out of memory; the next call tries again.
        return nullptr;
    }
}

IGIS_SymbolColorTable* GIS_GetCurrentSymbolColorTablePtr() noexcept { return gCurrentColorTable; }

IGIS_Log* GIS_GetLogPtr() noexcept { return gLog ? gLog : &symbolhost::DefaultLogger(); }

}  // extern "C"
