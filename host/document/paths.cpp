#include "host/document/paths.h"

#include <filesystem>
#include <system_error>

namespace symbolhost::document {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHowToAllow = "; set \"allowPathsOutside\": true in \"settings\" to allow it";

// `path` lies in `directory` or below it; both normalised the same way.
bool IsInside(const fs::path& path, const fs::path& directory) {
    const fs::path relative = path.lexically_relative(directory);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

std::optional<std::string> ResolvePath(const std::string& directory, const std::string& text,
                                       bool allowOutside, std::string* error) {
    const fs::path given(text);
    const fs::path base = fs::path(directory.empty() ? "." : directory).lexically_normal();
    const fs::path resolved =
        given.is_absolute() ? given.lexically_normal() : (base / given).lexically_normal();
    if (allowOutside) return resolved.string();
    const std::string found = ", found \"" + text + "\"";
    if (given.is_absolute()) {
        *error = "expected a path relative to the document's directory" + found + ", an absolute path" +
                 kHowToAllow;
        return std::nullopt;
    }
    if (!IsInside(resolved, base)) {
        *error =
            "expected a path inside the document's directory" + found + ", which leaves it" + kHowToAllow;
        return std::nullopt;
    }
    // A symbolic link inside the directory may still point out of it. Both are made absolute
    // first: a relative name of which nothing exists (a missing file beside the document) would
    // stay relative and seem to lie outside.
    std::error_code ec;
    const fs::path realBase = fs::weakly_canonical(fs::absolute(base, ec), ec);
    const fs::path realPath = ec ? fs::path() : fs::weakly_canonical(fs::absolute(resolved, ec), ec);
    if (!ec && !IsInside(realPath, realBase)) {
        *error = "expected a path inside the document's directory" + found +
                 ", which leaves it through a link" + kHowToAllow;
        return std::nullopt;
    }
    return resolved.string();
}

std::optional<std::string> ReadPath(const Node& at, std::string_view what, Document& document, Reader& reader) {
    const auto text = reader.String(at, what);
    if (!text) return std::nullopt;
    // The file system would end the name at the NUL and open another file than the one written.
    if (text->find('\0') != std::string::npos) {
        reader.Fail(at, "expected " + std::string(what) + " without a NUL character");
        return std::nullopt;
    }
    std::string error;
    auto path = ResolvePath(document.directory, *text, document.settings.allowPathsOutside, &error);
    if (!path) {
        reader.Fail(at, error);
        return path;
    }
    document.inputs.push_back(*path);
    return path;
}

}  // namespace symbolhost::document
