#include "host/stores.h"

#include <cstring>
#include <new>
#include <typeinfo>

#include "host/line_symbols.h"
#include "host/marker_symbols.h"
#include "host/resources.h"

namespace symbolhost {
namespace {

// The host's own library marker behind a symbol, or null for any other symbol.
LibMarkerSymbol* HostLibMarker(IGIS_Symbol* symbol) {
    IGIS_LibMarkerSymbol* view = symbol ? symbol->GetLibMarkerSymbol() : nullptr;
    return dynamic_cast<LibMarkerSymbol*>(view);
}

}  // namespace

VectorSymbolResource* ResourceResolver::GetEmbeddedResource(IGIS_Symbol* symbol) noexcept {
    if (const LibMarkerSymbol* marker = HostLibMarker(symbol)) return marker->EmbeddedResource();
    // A marker line's markers draw the resource it carries.
    IGIS_MarkerLineSymbol* view = symbol ? symbol->GetMarkerLineSymbol() : nullptr;
    const auto* line = dynamic_cast<const MarkerLineSymbol*>(view);
    return line ? line->EmbeddedResource() : nullptr;
}

void ResourceResolver::AttachResource(IGIS_Symbol* symbol, VectorSymbolResource* resource) noexcept {
    if (LibMarkerSymbol* marker = HostLibMarker(symbol)) marker->AttachResource(resource);
}

IGIS_Symbol* SymbolFactory::CreateSymbol(const Symbol2FactoryId* id) noexcept {
    if (id == nullptr || id->code != Symbol2FactoryLibMarker) return nullptr;
    // Null when memory runs out; the caller treats that as "cannot be made".
    return new (std::nothrow) LibMarkerSymbol();
}

IGIS_SymbolResourceResolver* SymbolFactory::QueryResolver(const Symbol2FactoryId* id) noexcept {
    if (id == nullptr || id->code != Symbol2FactoryResolver) return nullptr;
    return &resolver_;
}

VectorSymbolResource* VectorResourceStore::GetResource(const uint32_t* code) noexcept {
    if (code == nullptr) return nullptr;
    const auto it = resources_.find(*code);
    return it == resources_.end() ? nullptr : it->second.get();
}

bool VectorResourceStore::GetColorTableName(const VectorSymbolResource* resource, char* name) noexcept {
    if (name == nullptr) return false;
    name[0] = '\0';
    // Only the host's own resources carry a table name. The class is final, so its exact type is
    // enough, and cheaper to compare than a cast searches: this is asked once per colour drawn.
    if (resource == nullptr || typeid(*resource) != typeid(VectorResource)) return false;
    const auto* own = static_cast<const VectorResource*>(resource);
    const std::string& table = own->ColorTableName();
    // A name that does not fit is refused rather than cut into the name of another table.
    if (table.size() >= kColorTableNameCapacity) return false;
    std::memcpy(name, table.c_str(), table.size() + 1);
    return true;
}

bool VectorResourceStore::GetResourceBounds(double* box, const uint32_t* code, double*, double*, double*,
                                            double*, double*, bool*, bool*, bool*, bool*) noexcept {
    // The placement hints are not needed: the bounds are the resource's own extent.
    const VectorSymbolResource* resource = GetResource(code);
    if (box == nullptr || resource == nullptr) return false;
    box[0] = resource->extentX1;
    box[1] = resource->extentX2;
    box[2] = resource->extentY1;
    box[3] = resource->extentY2;
    return true;
}

void VectorResourceStore::Add(uint32_t code, std::shared_ptr<VectorSymbolResource> resource) {
    resources_[code] = std::move(resource);
}

const Pictor::Image* ImageStore::GetImage(uint32_t id) noexcept {
    const auto it = images_.find(id);
    return it == images_.end() ? nullptr : it->second.get();
}

void ImageStore::Add(uint32_t id, std::unique_ptr<Pictor::Image> image) { images_[id] = std::move(image); }

bool ImageStore::Register(uint32_t id, const std::string& path, std::string* error) {
    Pictor::Status status = Pictor::Ok;
    std::unique_ptr<Pictor::Image> image = Pictor::Image::FromFile(path, &status);
    if (!image) {
        if (error != nullptr) {
            *error = path + (status == Pictor::FileNotFound         ? ": no such file"
                             : status == Pictor::UnknownImageFormat ? ": not a PNG image"
                             : status == Pictor::ValueOverflow      ? ": image larger than the size cap"
                                                                    : ": cannot be read");
        }
        return false;
    }
    Add(id, std::move(image));
    return true;
}

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
