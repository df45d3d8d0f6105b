// The document reader on any text. A document is read or refused with a reason, never half of
// either; a library that was read is written back and read again into equal symbols.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "host/document/document.h"
#include "tests/fuzz/fuzz_check.h"

using namespace symbolhost::document;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ReadResult read = ReadDocumentText(fuzz::Text(data, size), "fuzz.json", fuzz::DataDirectory());
    FUZZ_CHECK((read.document == nullptr) != read.diagnostics.Empty());
    if (!read.document) return 0;
    const SymbolLibrary& library = read.document->symbols;
    FUZZ_CHECK(library.Entries().size() <= SymbolLibrary::kMaxSymbols);
    const std::string written = WriteSymbols(library);
    // The written symbols name resources and pictures by code; they are read back in place of
    // the document's own, so that what they name is there.
    nlohmann::json document = nlohmann::json::parse(fuzz::Text(data, size));
    document["symbols"] = nlohmann::json::parse(written)["symbols"];
    const ReadResult back = ReadDocumentText(document.dump(), "written.json", fuzz::DataDirectory());
    if (!back.document) std::fprintf(stderr, "%s%s\n", back.diagnostics.Text().c_str(), written.c_str());
    FUZZ_CHECK(back.document != nullptr);
    FUZZ_CHECK(back.document->symbols.Entries().size() == library.Entries().size());
    for (const SymbolLibrary::Entry& e : library.Entries()) {
        const SymbolLibrary::Entry* again = back.document->symbols.Find(e.name);
        FUZZ_CHECK(again != nullptr && SameSymbol(*again->symbol, *e.symbol));
    }
    return 0;
}
