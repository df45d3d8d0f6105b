// The keys of a context object, in one table: the document's context and a feature's own are
// read by the same rows, so both accept the same values with the same messages.
#include "host/document/context_reader.h"

#include <string_view>
#include <vector>

#include "host/document/paths.h"

namespace symbolhost::document {
namespace {

// Scales, size ratios and turns beyond these are typing mistakes, and would overflow sizes.
constexpr double kMaxScale = 100000.0;
constexpr double kMaxSizeRatio = 1000.0;
constexpr double kMaxRotation = 36000.0;

struct ContextRead {
    Document& document;
    Reader& reader;
    ColorTableCache& cache;
    ContextOverrides& out;
};

void ReadColorTable(const Node& n, ContextRead& r) {
    const auto path = ReadPath(n, "the path of a colour table file", r.document, r.reader);
    if (!path) return;
    const auto cached = r.cache.tables.find(*path);
    if (cached != r.cache.tables.end()) {
        r.out.colorTable = cached->second;
        r.out.colorTablePath = *path;
        return;
    }
    if (r.cache.tables.size() >= ColorTableCache::kMaxTables) {
        r.reader.Fail(n, "expected at most " + std::to_string(ColorTableCache::kMaxTables) +
                             " different colour tables in a document");
        return;
    }
    std::string error;
    std::shared_ptr<ColorTable> table = ColorTable::Load(*path, &error);
    if (!table) {
        r.reader.Fail(n, "expected a readable colour table: " + error);
        return;
    }
    r.cache.tables.emplace(*path, table);
    r.out.colorTable = std::move(table);
    r.out.colorTablePath = *path;
}

struct ContextField {
    std::string_view key;
    bool featureOnly;
    void (*read)(const Node&, ContextRead&);
};

const std::vector<ContextField>& Fields() {
    static const std::vector<ContextField> fields = {
        {"scale", false,
         [](const Node& n, ContextRead& r) {
             r.out.scale = r.reader.Number(n, -1.0, kMaxScale, "drawing units per mm (-1: from the canvas)");
         }},
        {"sizeRatio", false,
         [](const Node& n, ContextRead& r) { r.out.sizeRatio = r.reader.Number(n, 0.0, kMaxSizeRatio); }},
        {"rotation", false,
         [](const Node& n, ContextRead& r) {
             r.out.rotation = r.reader.Number(n, -kMaxRotation, kMaxRotation, "degrees");
         }},
        {"yUp", true, [](const Node& n, ContextRead& r) { r.out.yUp = r.reader.Boolean(n); }},
        {"overrideColor", false,
         [](const Node& n, ContextRead& r) { r.out.overrideColor = r.reader.Boolean(n); }},
        {"color", false, [](const Node& n, ContextRead& r) { r.out.color = r.reader.Colour(n, true); }},
        {"colorTable", false, ReadColorTable},
    };
    return fields;
}

}  // namespace

void ReadContextObject(const Node& at, ContextOwner owner, Document& document, Reader& reader,
                       ColorTableCache& cache, ContextOverrides& out) {
    std::vector<std::string_view> keys;
    for (const ContextField& field : Fields()) {
        if (owner == ContextOwner::Feature || !field.featureOnly) keys.push_back(field.key);
    }
    if (!reader.Object(at, "a context object", keys)) return;
    ContextRead read{document, reader, cache, out};
    for (const ContextField& field : Fields()) {
        if (owner == ContextOwner::Document && field.featureOnly) continue;
        if (const auto n = at.Find(field.key)) field.read(*n, read);
    }
}

}  // namespace symbolhost::document
