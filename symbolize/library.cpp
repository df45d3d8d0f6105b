// The library's lifetime: the service is made when the library is loaded and deleted when it is
// unloaded; GIS_GetSymbolizeObject hands it out.
#include <atomic>
#include <new>

#include "symbolize/cgis_symbolize.h"

namespace {

// The one service of the process. Null before the library is loaded, after it is unloaded, and
// whenever making the service failed; the next GIS_GetSymbolizeObject then tries again. Drawing
// threads may retry at once, so the pointer is atomic and only the first service made is kept.
std::atomic<CGIS_Symbolize*> g_service{nullptr};

CGIS_Symbolize* CreateService() noexcept {
    CGIS_Symbolize* made = new (std::nothrow) CGIS_Symbolize();
    CGIS_Symbolize* first = nullptr;
    if (made != nullptr && !g_service.compare_exchange_strong(first, made)) {
        delete made;  // another thread's service came first
        return first;
    }
    return made;
}

__attribute__((constructor)) void OnLibraryLoad() { CreateService(); }

__attribute__((destructor)) void OnLibraryUnload() { delete g_service.exchange(nullptr); }

}  // namespace

extern "C" IGIS_Symbolize* GIS_GetSymbolizeObject() noexcept {
    CGIS_Symbolize* service = g_service.load();
    return service != nullptr ? service : CreateService();
}
