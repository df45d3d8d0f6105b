// Reading back what WriteSymbols wrote. Written symbols name resources and pictures by code, which
// a document must hold, so the text is read with a stand-in under every small code.
#pragma once

#include <string>

#include "host/document/document.h"

namespace symbolhost::document {

// Codes 0 to this (exclusive) have a stand-in; the tests use small ones.
inline constexpr int kStandInCodes = 16;

inline ReadResult ReadWritten(const std::string& written) {
    const std::string picture = "\"" SOURCE_DIR "/examples/images/flag.png\"";
    std::string resources, images;
    for (int code = 0; code < kStandInCodes; ++code) {
        const std::string key = (code ? ", \"" : "\"") + std::to_string(code) + "\": ";
        resources += key + "{}";
        images += key + picture;
    }
    const std::string sections = "\"settings\": {\"allowPathsOutside\": true}, \"resources\": {" + resources +
                                 "}, \"images\": {" + images + "}, \"fillImages\": {" + images + "}, ";
    const size_t open = written.find('{');
    return ReadDocumentText(written.substr(0, open + 1) + sections + written.substr(open + 1), "written.json",
                            ".");
}

}  // namespace symbolhost::document
