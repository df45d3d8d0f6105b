// Reading back what WriteSymbols wrote. Written symbols name resources and pictures by code, which
// a document must hold, so the text is read with a stand-in under each of the small codes tests use.
#pragma once

#include <string>

#include "host/document/document.h"

namespace symbolhost::document {

inline ReadResult ReadWritten(const std::string& written) {
    std::string resources, images;
    for (int code = 0; code < 16; ++code) {
        const std::string key = (code ? ", \"" : "\"") + std::to_string(code) + "\": ";
        resources += key + "{}";
        images += key + "\"" SOURCE_DIR "/examples/images/flag.png\"";
    }
    const size_t open = written.find('{') + 1;
    return ReadDocumentText(written.substr(0, open) + R"("settings": {"allowPathsOutside": true}, "resources": {)" +
                                resources + "}, \"images\": {" + images + "}, \"fillImages\": {" + images + "}, " +
                                written.substr(open),
                            "written.json", ".");
}

}  // namespace symbolhost::document
