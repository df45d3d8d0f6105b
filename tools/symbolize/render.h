// Drawing a document through the library's public entry, as a host does: one call per feature
// part, with the document's drawing context.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "contracts/pictor/graphics.h"
#include "host/document/document.h"
#include "symbolize/symbolize.h"

namespace symbolize_tool {

// Told after each feature how many of `total` are drawn; answering false stops the drawing.
using Progress = std::function<bool(size_t done, size_t total)>;

// The document's drawing context on `graphics`, with the scale resolved for y up or down.
SymbolizeInfo MakeInfo(const symbolhost::document::Document& document, Pictor::Graphics& graphics, bool yUp);

// While it lives, the host serves the document's pictures and settings (SYMBOL2_* properties of
// the host's default store); the previous ones come back when it goes.
class DocumentServices {
public:
    explicit DocumentServices(symbolhost::document::Document& document);
    ~DocumentServices();
    DocumentServices(const DocumentServices&) = delete;
    DocumentServices& operator=(const DocumentServices&) = delete;

private:
    void Set(const char* name, const std::string& value);

    bool images_ = false;
    bool fillImages_ = false;
    // Each property changed, with the value it had (nullopt: it was not set).
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Draws every layer in order. False when `progress` stopped it.
bool DrawMap(const symbolhost::document::Document& document, Pictor::Graphics& graphics,
             const Progress& progress);

}  // namespace symbolize_tool
