// The reference host's symbol factory, vector resource store and picture stores. The stores
// start empty: a program or a test registers the resources and pictures it draws.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "contracts/host.h"
#include "contracts/pictor/image.h"
#include "contracts/symbol/resource.h"
#include "host/host.h"

namespace symbolhost {

// Answers for the host's own library markers (LibMarkerSymbol): the resource a symbol embeds,
// and attaching one it does not own. Other symbols have none, and attaching to them is ignored.
class SYMBOLHOST_API ResourceResolver final : public IGIS_SymbolResourceResolver {
public:
    VectorSymbolResource* GetEmbeddedResource(IGIS_Symbol* symbol) noexcept override;
    void AttachResource(IGIS_Symbol* symbol, VectorSymbolResource* resource) noexcept override;
};

// Gives its resolver for code 1 and a new LibMarkerSymbol for code 2.
class SYMBOLHOST_API SymbolFactory final : public IGIS_Symbol2Factory {
public:
    IGIS_Symbol* CreateSymbol(const Symbol2FactoryId* id) noexcept override;
    IGIS_SymbolResourceResolver* QueryResolver(const Symbol2FactoryId* id) noexcept override;

private:
    ResourceResolver resolver_;
};

// Resources by code. GetColorTableName answers for any VectorResource (host/resources.h), stored
// here or not; GetResourceBounds gives the stored resource's own extent.
class SYMBOLHOST_API VectorResourceStore final : public IGIS_VectorResourceBase {
public:
    VectorSymbolResource* GetResource(const uint32_t* code) noexcept override;
    bool GetColorTableName(const VectorSymbolResource* resource, char* name) noexcept override;
    bool GetResourceBounds(double* box, const uint32_t* code, double* place0, double* place1, double* place2,
                           double* width, double* height, bool* flag0, bool* flag1, bool* flag2,
                           bool* flag3) noexcept override;

    // Stores `resource` under `code`, replacing what was there.
    void Add(uint32_t code, std::shared_ptr<VectorSymbolResource> resource);
    void Remove(uint32_t code) { resources_.erase(code); }
    void Clear() { resources_.clear(); }

private:
    std::map<uint32_t, std::shared_ptr<VectorSymbolResource>> resources_;
};

// Pictures by id, registered by the caller.
class SYMBOLHOST_API ImageStore final : public IGIS_ImageResourceBase {
public:
    const Pictor::Image* GetImage(uint32_t id) noexcept override;

    // Stores `image` under `id`, replacing what was there.
    void Add(uint32_t id, std::unique_ptr<Pictor::Image> image);
    // Loads the PNG file at `path` under `id`; false, with the reason in *error, when it cannot
    // be read (the id then keeps what it had).
    bool Register(uint32_t id, const std::string& path, std::string* error);
    void Remove(uint32_t id) { images_.erase(id); }
    void Clear() { images_.clear(); }

private:
    std::map<uint32_t, std::unique_ptr<Pictor::Image>> images_;
};

// What the getters give while nothing is installed with the Set* calls of host.h.
SYMBOLHOST_API SymbolFactory& DefaultSymbolFactory() noexcept;
SYMBOLHOST_API VectorResourceStore& DefaultVectorResourceStore() noexcept;
SYMBOLHOST_API ImageStore& DefaultImageStore() noexcept;
SYMBOLHOST_API ImageStore& DefaultFillImageStore() noexcept;

}  // namespace symbolhost
