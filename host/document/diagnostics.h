// What the document reader reports when it refuses a document: each fault with the file it is
// in, where in that file, and what was expected there.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace symbolhost::document {

struct Diagnostic {
    std::string file;  // as the reader was given it
    int line = 0;      // 1-based; 0 when the fault has a JSON path instead
    int column = 0;
    std::string path;  // "$.symbols.road.width"; empty for faults of the file as a whole
    std::string message;

    // "file: $.path: message", or "file:line:column: $.path: message" for syntax errors.
    std::string ToString() const;
};

// Collects faults up to a cap, so a broken document yields a readable list rather than one line
// per feature of a large data file.
class Diagnostics {
public:
    // A document with this many faults is better fixed from the top; the rest are only counted.
    static constexpr size_t kMaxReported = 25;

    void Add(Diagnostic diagnostic);
    // Adds another list's faults after these, counting its dropped ones.
    void Append(const Diagnostics& other);
    bool Empty() const { return list_.empty() && dropped_ == 0; }
    const std::vector<Diagnostic>& List() const { return list_; }
    // Faults found beyond kMaxReported.
    size_t Dropped() const { return dropped_; }
    // Every fault as a line, with a closing line for the dropped ones.
    std::vector<std::string> Lines() const;
    // The same lines as one text, each ending in a newline.
    std::string Text() const;

private:
    std::vector<Diagnostic> list_;
    size_t dropped_ = 0;
};

}  // namespace symbolhost::document
