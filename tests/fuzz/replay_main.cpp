// Replays inputs through a fuzz target without fuzzing: each argument is a file or a folder whose
// files (not those starting with '.') are fed to LLVMFuzzerTestOneInput one by one, in name
// order. A missing folder counts as empty, so that a target may have no crash inputs yet. A fault
// aborts the run, as it would under libFuzzer; the input last named on stderr is the culprit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> Inputs(const fs::path& place) {
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_regular_file(place, ec)) return {place};
    if (!fs::is_directory(place, ec)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(place, ec)) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : Inputs(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
                return 1;
            }
            std::fprintf(stderr, "replaying %s\n", file.c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
    // A replay that finds nothing is a mistake in the test's arguments, not a pass.
    return replayed > 0 ? 0 : 1;
}
