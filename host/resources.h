// The reference host's vector marker resources and the picture stores' contents: what a program
// or a test builds and registers before it draws library and picture markers.
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

// Colour-table name of a resource whose element colours are plain 0x00RRGGBB values.
inline constexpr const char* kPlainColourTable = "RGB";

// A vector resource with the name of the colour table its element colours refer to: "RGB" for
// plain colours, empty for none, any other name for the file of that name in the "colortable"
// directory under the property SYMBOL2_CFG_DIR.
class SYMBOLHOST_API VectorResource final : public VectorSymbolResource {
public:
    explicit VectorResource(int32_t kind = VectorResourceMarker) : kind_(kind) {}
    int32_t GetKind() const noexcept override { return kind_; }
    void SetKind(int32_t kind) { kind_ = kind; }

    const std::string& ColorTableName() const { return colorTableName_; }
    void SetColorTableName(std::string name) { colorTableName_ = std::move(name); }

    // Appends an element (drawn after those already there) and returns it for filling in.
    template <typename Element>
    Element* Add() {
        auto element = std::make_unique<Element>();
        Element* raw = element.get();
        elements.push_back(std::move(element));
        return raw;
    }

    // A deep copy; throws std::bad_alloc. Elements of kinds other than the four of
    // contracts/symbol/resource.h are not copied.
    std::unique_ptr<VectorResource> Copy() const;

private:
    int32_t kind_;
    std::string colorTableName_ = kPlainColourTable;
};

}  // namespace symbolhost
