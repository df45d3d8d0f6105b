// The reference host's symbol factory, vector resource store and picture stores. They hold
// nothing yet: every lookup answers null and the factory makes no symbols, so the library's
// "not found" paths are what a drawing meets until resources are added.
#pragma once

#include <cstdint>

#include "contracts/host.h"
#include "host/host.h"

namespace symbolhost {

// Knows no embedded resources; attaching one is ignored.
class SYMBOLHOST_API ResourceResolver final : public IGIS_SymbolResourceResolver {
public:
    VectorSymbolResource* GetEmbeddedResource(IGIS_Symbol* symbol) noexcept override;
    void AttachResource(IGIS_Symbol* symbol, VectorSymbolResource* resource) noexcept override;
};

// Gives its resolver for code 1; makes no library markers yet, so code 2 answers null.
class SYMBOLHOST_API SymbolFactory final : public IGIS_Symbol2Factory {
public:
    IGIS_Symbol* CreateSymbol(const Symbol2FactoryId* id) noexcept override;
    IGIS_SymbolResourceResolver* QueryResolver(const Symbol2FactoryId* id) noexcept override;

private:
    ResourceResolver resolver_;
};

class SYMBOLHOST_API VectorResourceStore final : public IGIS_VectorResourceBase {
public:
    VectorSymbolResource* GetResource(const uint32_t* code) noexcept override;
    bool GetColorTableName(const VectorSymbolResource* resource, char* name) noexcept override;
    bool GetResourceBounds(double* box, const uint32_t* code, double* place0, double* place1, double* place2,
                           double* width, double* height, bool* flag0, bool* flag1, bool* flag2,
                           bool* flag3) noexcept override;
};

class SYMBOLHOST_API ImageStore final : public IGIS_ImageResourceBase {
public:
    const Pictor::Image* GetImage(uint32_t id) noexcept override;
};

// What the getters give while nothing is installed with the Set* calls of host.h.
SYMBOLHOST_API SymbolFactory& DefaultSymbolFactory() noexcept;
SYMBOLHOST_API VectorResourceStore& DefaultVectorResourceStore() noexcept;
SYMBOLHOST_API ImageStore& DefaultImageStore() noexcept;
SYMBOLHOST_API ImageStore& DefaultFillImageStore() noexcept;

}  // namespace symbolhost
