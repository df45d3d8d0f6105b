// Reading the "symbols" object of a document. Internal to host/document.
#pragma once

#include "host/document/document.h"
#include "host/document/json_reader.h"

namespace symbolhost::document {

// Member references nest at most this deep (a compound of compounds of ... a line). Real styles
// nest two or three levels; the cap bounds the recursion a document can cause.
inline constexpr int kMaxReferenceDepth = 32;

// Builds every entry of `symbols` (an object of name -> symbol) into `library`, in the file's
// order. Members are named symbols of the same object or inline symbols; a reference to an
// unknown name, to a symbol of the wrong shape, or one that closes a cycle is refused. Faults go
// to the reader; entries that fail are left out.
void ReadSymbols(const Node& symbols, Reader& reader, SymbolLibrary& library);

}  // namespace symbolhost::document
