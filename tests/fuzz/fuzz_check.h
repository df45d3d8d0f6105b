// What the fuzz targets share: where fuzzed documents find their files, and a check that stops the
// run with a message, so that libFuzzer (or the replay driver) keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

// Paths in a fuzzed document are relative to the examples, so that seeds may name their pictures
// and GeoJSON files.
inline const char* DataDirectory() { return FUZZ_DATA_DIR; }

inline std::string_view Text(const unsigned char* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::fuzz::Fail(#condition, __FILE__, __LINE__))
