#include "host/resources.h"

namespace symbolhost {
namespace {

// Copies `element` when it is of kind Element; null otherwise.
template <typename Element>
std::unique_ptr<SymbolElement> CopyAs(const SymbolElement& element) {
    const auto* typed = dynamic_cast<const Element*>(&element);
    return typed ? std::make_unique<Element>(*typed) : nullptr;
}

std::unique_ptr<SymbolElement> CopyElement(const SymbolElement& element) {
    if (auto copy = CopyAs<LineElement>(element)) return copy;
    if (auto copy = CopyAs<RectElement>(element)) return copy;
    if (auto copy = CopyAs<EllipseElement>(element)) return copy;
    return CopyAs<PathElement>(element);
}

}  // namespace

std::unique_ptr<VectorResource> VectorResource::Copy() const {
    auto copy = std::make_unique<VectorResource>(kind_);
    copy->colorTableName_ = colorTableName_;
    copy->anchorX = anchorX;
    copy->anchorY = anchorY;
    copy->extentX1 = extentX1;
    copy->extentX2 = extentX2;
    copy->extentY1 = extentY1;
    copy->extentY2 = extentY2;
    copy->referenceElementId = referenceElementId;
    copy->elements.reserve(elements.size());
    for (const auto& element : elements) {
        if (!element) continue;
        if (auto copied = CopyElement(*element)) copy->elements.push_back(std::move(copied));
    }
    return copy;
}

}  // namespace symbolhost
