// Reading a drawing context: the document's "context" object and a feature's own. Internal to
// host/document.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "host/document/document.h"
#include "host/document/json_reader.h"

namespace symbolhost::document {

// Colour tables features have named, by resolved path, so that the many features naming one file
// share one table and the file is read once.
struct ColorTableCache {
    // Distinct colour tables the features of one document may name; a style uses a handful.
    static constexpr size_t kMaxTables = 100;
    std::map<std::string, std::shared_ptr<ColorTable>> tables;
};

// Which keys a context object may have: a feature's may also set yUp, which the document takes
// from its canvas.
enum class ContextOwner { Document, Feature };

// Reads the context object at `at` into `out`: each key given sets its field, the others stay
// unset. Faults are reported through `reader`; the fields they concern stay unset.
void ReadContextObject(const Node& at, ContextOwner owner, Document& document, Reader& reader,
                       ColorTableCache& cache, ContextOverrides& out);

}  // namespace symbolhost::document
