// Line-by-line reading of the host's small text files (properties, colour tables) with bounded
// memory, and error messages worded "file:line: what was expected".
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace symbolhost::textfile {

// Longest line accepted, end of line excluded. Values are at most a directory path (PATH_MAX is
// 4096 on Linux) and a colour-table line is 13 characters, so anything longer is not a line of
// ours; the cap also bounds what one read allocates.
inline constexpr size_t kMaxLineLength = 4096;

// Longest piece of input quoted back in a message.
inline constexpr size_t kMaxQuotedLength = 60;

// `text` in single quotes, cut to kMaxQuotedLength characters.
inline std::string Quoted(std::string_view text) {
    std::string out = "'";
    out += text.substr(0, kMaxQuotedLength);
    out += text.size() > kMaxQuotedLength ? "...'" : "'";
    return out;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

inline std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

class Reader {
public:
    enum class Result { Line, End, Error };

    // At most `maxLines` lines are read; a longer file is refused.
    Reader(std::string path, size_t maxLines) : path_(std::move(path)), maxLines_(maxLines) {}

    // False with *error set when the file is missing, a directory or unreadable.
    bool Open(std::string* error) {
        std::error_code ec;
        const auto status = std::filesystem::status(path_, ec);
        if (status.type() == std::filesystem::file_type::not_found) {
            *error = path_ + ": no such file";
            return false;
        }
        if (status.type() == std::filesystem::file_type::directory) {
            *error = path_ + ": is a directory, expected a text file";
            return false;
        }
        // A pipe or a device would block the read or never end: only regular files are read.
        if (status.type() != std::filesystem::file_type::regular) {
            *error = path_ + ": is not a regular file, expected a text file";
            return false;
        }
        in_.open(path_, std::ios::binary);
        if (!in_) {
            *error = path_ + ": cannot be opened for reading";
            return false;
        }
        return true;
    }

    // The next line with its '#' comment removed and blanks trimmed at both ends (empty for a
    // blank or comment line). Result::Error sets *error.
    Result Next(std::string* content, std::string* error) {
        std::streambuf* buffer = in_.rdbuf();
        if (buffer->sgetc() == std::char_traits<char>::eof()) return Result::End;
        ++lineNumber_;
        if (lineNumber_ > maxLines_) {
            *error = At("expected at most " + std::to_string(maxLines_) + " lines");
            return Result::Error;
        }
        std::string line;
        for (;;) {  // ends at the end of the line or the file; kMaxLineLength caps the length
            const int c = buffer->sbumpc();
            if (c == std::char_traits<char>::eof() || c == '\n') break;
            if (c == '\0') {
                *error = At("expected text, found a NUL byte");
                return Result::Error;
            }
            if (line.size() == kMaxLineLength) {
                *error = At("expected a line of at most " + std::to_string(kMaxLineLength) + " characters");
                return Result::Error;
            }
            line.push_back(static_cast<char>(c));
        }
        std::string_view text = line;
        text = text.substr(0, text.find('#'));
        *content = Trimmed(text);
        return Result::Line;
    }

    size_t LineNumber() const { return lineNumber_; }

    // "file:line: what", for the line read last.
    std::string At(const std::string& what) const {
        return path_ + ":" + std::to_string(lineNumber_) + ": " + what;
    }

private:
    std::string path_;
    size_t maxLines_;
    std::ifstream in_;
    size_t lineNumber_ = 0;
};

}  // namespace symbolhost::textfile
