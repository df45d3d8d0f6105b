// The library's lifetime: the service is made when the library is loaded and deleted when it is
// unloaded; GIS_GetSymbolizeObject hands it out.
#include <new>

#include "symbolize/cgis_symbolize.h"

namespace {

// The one service of the process. Null before the library is loaded, after it is unloaded, and
// whenever making the service failed; the next GIS_GetSymbolizeObject then tries again.
CGIS_Symbolize* g_service = nullptr;

void CreateService() noexcept { g_service = new (std::nothrow) CGIS_Symbolize(); }

__attribute__((constructor)) void OnLibraryLoad() { CreateService(); }

__attribute__((destructor)) void OnLibraryUnload() {
    delete g_service;
    g_service = nullptr;
}

}  // namespace

extern "C" IGIS_Symbolize* GIS_GetSymbolizeObject() noexcept {
    if (g_service == nullptr) CreateService();
    return g_service;
}
