// Paths named in documents. Internal to host/document.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/document/document.h"
#include "host/document/json_reader.h"

namespace symbolhost::document {

// `text` resolved against the document's `directory`. Unless `allowOutside`, an absolute path
// and a path that leaves the directory (with "..", or through a symbolic link) are refused, and
// *error says so and how to allow it.
std::optional<std::string> ResolvePath(const std::string& directory, const std::string& text,
                                       bool allowOutside, std::string* error);

// The path written at `at` (a string; `what` names it in a message), resolved for `document` by
// the rule above; a refusal is reported at `at`.
// The path is added to the document's `inputs`.
std::optional<std::string> ReadPath(const Node& at, std::string_view what, Document& document, Reader& reader);

}  // namespace symbolhost::document
