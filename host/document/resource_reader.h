// The "resources" section: vector drawings for library markers, by code.
#pragma once

#include <cstddef>

#include "host/document/json_reader.h"
#include "host/stores.h"

namespace symbolhost::document {

// Reads every resource of `at` into `store`; faults go to `reader`. Answers how many were kept.
size_t ReadResources(const Node& at, Reader& reader, VectorResourceStore& store);

}  // namespace symbolhost::document
