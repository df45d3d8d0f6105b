#include "host/stores.h"

namespace symbolhost {

VectorSymbolResource* ResourceResolver::GetEmbeddedResource(IGIS_Symbol*) noexcept { return nullptr; }

void ResourceResolver::AttachResource(IGIS_Symbol*, VectorSymbolResource*) noexcept {}

IGIS_Symbol* SymbolFactory::CreateSymbol(const Symbol2FactoryId*) noexcept {
    // No library marker exists yet; the caller treats null as "cannot be made".
    return nullptr;
}

IGIS_SymbolResourceResolver* SymbolFactory::QueryResolver(const Symbol2FactoryId* id) noexcept {
    if (id == nullptr || id->code != Symbol2FactoryResolver) return nullptr;
    return &resolver_;
}

VectorSymbolResource* VectorResourceStore::GetResource(const uint32_t*) noexcept { return nullptr; }

bool VectorResourceStore::GetColorTableName(const VectorSymbolResource*, char* name) noexcept {
    // No resource belongs to this store, so no name can be read for one.
    if (name != nullptr) name[0] = '\0';
    return false;
}

bool VectorResourceStore::GetResourceBounds(double*, const uint32_t*, double*, double*, double*, double*,
                                            double*, bool*, bool*, bool*, bool*) noexcept {
    return false;
}

const Pictor::Image* ImageStore::GetImage(uint32_t) noexcept { return nullptr; }

SymbolFactory& DefaultSymbolFactory() noexcept {
    static SymbolFactory factory;
    return factory;
}

VectorResourceStore& DefaultVectorResourceStore() noexcept {
    static VectorResourceStore store;
    return store;
}

ImageStore& DefaultImageStore() noexcept {
    static ImageStore store;
    return store;
}

ImageStore& DefaultFillImageStore() noexcept {
    static ImageStore store;
    return store;
}

}  // namespace symbolhost
