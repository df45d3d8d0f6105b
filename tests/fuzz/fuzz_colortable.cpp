// The colour-table reader on any bytes, written to a file of the process's own since the reader
// reads files: a table is read or refused with a reason that names the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "host/host.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const std::string& TablePath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz_colortable_" + std::to_string(getpid()) + ".txt"))
            .string();
    static const int removed = std::atexit([] { std::remove(path.c_str()); });
    (void)removed;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = TablePath();
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        FUZZ_CHECK(file != nullptr);
        FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
        FUZZ_CHECK(std::fclose(file) == 0);
    }
    std::string error;
    const std::unique_ptr<symbolhost::ColorTable> table = symbolhost::ColorTable::Load(path, &error);
    FUZZ_CHECK((table == nullptr) == !error.empty());
    FUZZ_CHECK(table != nullptr || error.rfind(path, 0) == 0);
    // Colours not listed map to themselves, red and blue exchanged; none gains an alpha byte.
    if (table) FUZZ_CHECK((table->MapColor(0x123456u) & 0xFF000000u) == 0);
    return 0;
}
