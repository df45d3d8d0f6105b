// Reading the "symbols" object of a document. Internal to host/document.
#pragma once

#include <functional>

#include "contracts/symbol/limits.h"
#include "host/document/document.h"
#include "host/document/json_reader.h"

namespace symbolhost::document {

// Levels of symbols inside symbols, the outermost included (a compound of compounds of ... a
// line): what the library draws, whether the members are named or inline.
inline constexpr int kMaxSymbolLevels = SymbolLimits::kMaxNestingDepth;

// Builds every entry of `symbols` (an object of name -> symbol) into `library`, in the file's
// order. Members are named symbols of the same object or inline symbols; a reference to an
// unknown name, to a symbol of the wrong shape, or one that closes a cycle is refused. Faults go
// to the reader; entries that fail are left out.
// `known` answers whether a section holds an entry (a resource code, a picture id): a symbol that
// names a missing one is refused, since it would draw nothing.
using KnownEntry = std::function<bool(Section section, uint32_t id)>;
void ReadSymbols(const Node& symbols, Reader& reader, SymbolLibrary& library, const KnownEntry& known);

}  // namespace symbolhost::document
