#include <cctype>
#include <new>
#include <optional>
#include <string_view>

#include "host/host.h"
#include "host/text_file.h"

namespace symbolhost {
namespace {

// A palette maps at most a few thousand colours; a hundred thousand lines bounds a stray file's
// table to a few megabytes.
constexpr size_t kMaxColorTableLines = 100000;

constexpr uint32_t kColorMask = 0xFFFFFFu;

// Red and blue exchanged, top byte cleared: the order MapColor answers in.
constexpr uint32_t ExchangeRedBlue(uint32_t c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Six hexadecimal digits, RRGGBB.
std::optional<uint32_t> ParseColour(std::string_view text) {
    constexpr size_t kDigits = 6;
    if (text.size() != kDigits) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

// The next blank-separated word of *text, removed from it.
std::string_view NextWord(std::string_view* text) {
    std::string_view rest = textfile::Trimmed(*text);
    size_t end = 0;
    while (end < rest.size() && !textfile::IsBlank(rest[end])) ++end;
    *text = rest.substr(end);
    return rest.substr(0, end);
}

}  // namespace

std::unique_ptr<ColorTable> ColorTable::Load(const std::string& path, std::string* error) {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    try {
        textfile::Reader reader(path, kMaxColorTableLines);
        if (!reader.Open(&message)) return nullptr;
        auto table = std::make_unique<ColorTable>();
        std::map<uint32_t, size_t> lineOf;  // where each colour was mapped, for duplicate reports
        std::string content;
        for (;;) {  // bounded by the reader's kMaxColorTableLines
            const auto result = reader.Next(&content, &message);
            if (result == textfile::Reader::Result::Error) return nullptr;
            if (result == textfile::Reader::Result::End) break;
            if (content.empty()) continue;
            std::string_view rest = content;
            const std::string_view fromText = NextWord(&rest);
            const std::string_view toText = NextWord(&rest);
            if (toText.empty() || !textfile::Trimmed(rest).empty()) {
                message = reader.At("expected two colours RRGGBB RRGGBB, found " + textfile::Quoted(content));
                return nullptr;
            }
            const auto from = ParseColour(fromText);
            const auto to = ParseColour(toText);
            if (!from || !to) {
                message = reader.At("expected a colour of six hexadecimal digits RRGGBB, found " +
                                    textfile::Quoted(from ? toText : fromText));
                return nullptr;
            }
            if (const auto it = lineOf.find(*from); it != lineOf.end()) {
                message = reader.At("colour " + std::string(fromText) + " is already mapped on line " +
                                    std::to_string(it->second) + ", expected each colour once");
                return nullptr;
            }
            lineOf.emplace(*from, reader.LineNumber());
            table->Set(*from, *to);
        }
        return table;
    } catch (const std::exception&) {
        message = path + ": out of memory while reading";
        return nullptr;
    }
}

void ColorTable::Set(uint32_t from, uint32_t to) { map_[from & kColorMask] = to & kColorMask; }

uint32_t ColorTable::MapColor(uint32_t color) const noexcept {
    const uint32_t key = color & kColorMask;
    const auto it = map_.find(key);
    return ExchangeRedBlue(it == map_.end() ? key : it->second);
}

void ColorTable::Release() noexcept {
    if (releasedByCaller_) delete this;
}

}  // namespace symbolhost

extern "C" IGIS_SymbolColorTable* GIS_CreateSymbolColorTablePtr(const char* path) noexcept {
    constexpr const char* kFunction = "GIS_CreateSymbolColorTablePtr";
    IGIS_Log* log = GIS_GetLogPtr();
    if (path == nullptr) {
        log->Log(LogLevelError, kFunction, "expected the path of a colour table, found none", "colortable",
                 __LINE__, "");
        return nullptr;
    }
    try {
        std::string error;
        std::unique_ptr<symbolhost::ColorTable> table = symbolhost::ColorTable::Load(path, &error);
        if (!table) {
            log->Log(LogLevelError, kFunction, error.c_str(), "colortable", __LINE__, "");
            return nullptr;
        }
        table->releasedByCaller_ = true;
        return table.release();
    } catch (...) {
        log->Log(LogLevelError, kFunction, "out of memory", "colortable", __LINE__, "");
        return nullptr;
    }
}
