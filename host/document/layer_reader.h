// Reading the "layers" array of a document. Internal to host/document.
#pragma once

#include <set>
#include <string>

#include "host/document/context_reader.h"
#include "host/document/document.h"
#include "host/document/geojson.h"
#include "host/document/json_reader.h"

namespace symbolhost::document {

// Reads every layer of `layers` into document.layers, with the GeoJSON files they name, and
// picks each feature's symbol. `declared` holds every name under "symbols", built or not, so that
// a reference to a symbol already refused is not reported again.
// Features' own colour tables are loaded through `colorTables`.
void ReadLayers(const Node& layers, Document& document, Reader& reader, GeometryBudget& budget,
                const std::set<std::string, std::less<>>& declared, ColorTableCache& colorTables);

}  // namespace symbolhost::document
