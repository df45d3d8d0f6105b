#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "host/host.h"
#include "host/text_file.h"

extern char** environ;

namespace symbolhost {
namespace {

// A properties file holds a handful of settings; a thousand lines is far beyond any real one and
// bounds what a stray file can make the store hold (with kMaxLineLength, 4 MB).
constexpr size_t kMaxPropertyLines = 1000;

// Environment entries looked at; the kernel limits the environment to a few MB, so this only
// guards against a corrupt block without an end.
constexpr size_t kMaxEnvironmentEntries = 100000;

constexpr std::string_view kEnvironmentPrefix = "SYMBOL2_";

// Screen resolutions the library accepts, pixels per inch.
constexpr double kMinScreenPpi = 1.0;
constexpr double kMaxScreenPpi = 10000.0;
// Jitter seeds are 32-bit.
constexpr uint64_t kMaxJitterSeed = 0xFFFFFFFFu;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

constexpr std::array<std::string_view, 4> kTrueWords = {"1", "true", "yes", "on"};
constexpr std::array<std::string_view, 4> kFalseWords = {"0", "false", "no", "off"};

bool IsOneOf(std::string_view value, const std::array<std::string_view, 4>& words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view w) { return EqualsIgnoringCase(value, w); });
}

bool IsValidName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

bool IsNumberInRange(std::string_view value, double low, double high) {
    double v = 0.0;
    const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), v);
    return error == std::errc() && stop == value.data() + value.size() && std::isfinite(v) && v >= low &&
           v <= high;
}

bool IsWholeNumberInRange(std::string_view value, uint64_t high) {
    uint64_t v = 0;
    const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), v);
    return error == std::errc() && stop == value.data() + value.size() && v <= high;
}

// What a property the library reads must look like: nullopt when `value` is acceptable for
// `name`, otherwise the words for what was expected. Properties nobody reads take any value.
std::optional<std::string> ExpectedValue(std::string_view name, std::string_view value) {
    if (name == kPropertySimplifyAnchorPoints && !IsOneOf(value, kTrueWords) &&
        !IsOneOf(value, kFalseWords)) {
        return "a boolean (1, 0, true, false, yes, no, on or off)";
    }
    if (name == kPropertyScreenPpi && !IsNumberInRange(value, kMinScreenPpi, kMaxScreenPpi)) {
        return "a number of pixels per inch from 1 to 10000";
    }
    if (name == kPropertyConfigDir && value.empty()) return "a directory";
    if (name == kPropertyRaster && !EqualsIgnoringCase(value, "agg") && !EqualsIgnoringCase(value, "cairo")) {
        return "agg or cairo";
    }
    if (name == kPropertyJitterSeed && !IsWholeNumberInRange(value, kMaxJitterSeed)) {
        return "a whole number from 0 to 4294967295";
    }
    return std::nullopt;
}

struct ParsedLine {
    std::string name;
    std::string value;
};

// Splits "NAME = value"; on failure sets *what to what was expected.
std::optional<ParsedLine> ParseLine(std::string_view content, std::string* what) {
    const size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        *what = "expected NAME = value, found " + textfile::Quoted(content);
        return std::nullopt;
    }
    const std::string_view name = textfile::Trimmed(content.substr(0, equals));
    const std::string_view value = textfile::Trimmed(content.substr(equals + 1));
    if (!IsValidName(name)) {
        *what = "expected a property name of letters, digits and '_', found " + textfile::Quoted(name);
        return std::nullopt;
    }
    if (auto expected = ExpectedValue(name, value)) {
        *what = std::string(name) + " expects " + *expected + ", found " + textfile::Quoted(value);
        return std::nullopt;
    }
    return ParsedLine{std::string(name), std::string(value)};
}

}  // namespace

class PropertyStore::Value final : public IGIS_Property {
public:
    explicit Value(std::string text) : text_(std::move(text)) {}
    bool GetBoolValue() const noexcept override { return IsOneOf(text_, kTrueWords); }
    const char* GetStringValue() const noexcept override { return text_.c_str(); }
    void Assign(std::string text) noexcept { text_ = std::move(text); }

private:
    std::string text_;
};

PropertyStore::PropertyStore() = default;
PropertyStore::~PropertyStore() = default;

const IGIS_Property* PropertyStore::GetProperty(const char* name) noexcept {
    if (name == nullptr) return nullptr;
    const auto it = values_.find(std::string_view(name));
    return it == values_.end() ? nullptr : it->second.get();
}

void PropertyStore::Set(const std::string& name, const std::string& value) {
    // Kept in place when it exists, so a property handed out earlier stays a valid object.
    if (auto it = values_.find(name); it != values_.end()) {
        it->second->Assign(value);
        return;
    }
    values_.emplace(name, std::make_unique<Value>(value));
}

void PropertyStore::Remove(const std::string& name) {
    if (auto it = values_.find(name); it != values_.end()) values_.erase(it);
}

bool PropertyStore::LoadFile(const std::string& path, std::string* error) {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    try {
        textfile::Reader reader(path, kMaxPropertyLines);
        if (!reader.Open(&message)) return false;
        // Everything is read and checked before the store changes, so a bad line applies nothing.
        std::map<std::string, std::pair<std::string, size_t>, std::less<>> read;  // name -> value, line
        std::string content;
        for (;;) {  // bounded by the reader's kMaxPropertyLines
            const auto result = reader.Next(&content, &message);
            if (result == textfile::Reader::Result::Error) return false;
            if (result == textfile::Reader::Result::End) break;
            if (content.empty()) continue;
            std::string what;
            auto parsed = ParseLine(content, &what);
            if (!parsed) {
                message = reader.At(what);
                return false;
            }
            if (auto it = read.find(parsed->name); it != read.end()) {
                message = reader.At(parsed->name + " is already set on line " +
                                    std::to_string(it->second.second) + ", expected each property once");
                return false;
            }
            read.emplace(std::move(parsed->name),
                         std::make_pair(std::move(parsed->value), reader.LineNumber()));
        }
        // Everything that allocates happens before the first change to the store.
        std::map<std::string, std::unique_ptr<Value>, std::less<>> added;
        std::vector<std::pair<Value*, std::string>> replaced;
        for (auto& [name, entry] : read) {
            if (auto it = values_.find(name); it != values_.end()) {
                replaced.emplace_back(it->second.get(), std::move(entry.first));
            } else {
                added.emplace(name, std::make_unique<Value>(std::move(entry.first)));
            }
        }
        for (auto& [value, text] : replaced) value->Assign(std::move(text));
        values_.merge(added);  // moves the nodes, allocates nothing
        return true;
    } catch (const std::exception&) {
        message = path + ": out of memory while reading";
        return false;
    }
}

void PropertyStore::LoadEnvironment() {
    if (environ == nullptr) return;
    for (size_t i = 0; i < kMaxEnvironmentEntries && environ[i] != nullptr; ++i) {
        const std::string_view entry(environ[i]);
        if (!entry.starts_with(kEnvironmentPrefix)) continue;
        const size_t equals = entry.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = entry.substr(0, equals);
        const std::string_view value = entry.substr(equals + 1);
        std::string problem;
        if (!IsValidName(name)) {
            problem = "expected a name of letters, digits and '_'";
        } else if (value.size() > textfile::kMaxLineLength) {
            problem =
                "expected a value of at most " + std::to_string(textfile::kMaxLineLength) + " characters";
        } else if (auto expected = ExpectedValue(name, value)) {
            problem = "expected " + *expected + ", found " + textfile::Quoted(value);
        }
        if (!problem.empty()) {
            const std::string message =
                "environment variable " + std::string(name) + ": " + problem + "; ignored";
            GIS_GetLogPtr()->Log(LogLevelError, "PropertyStore::LoadEnvironment", message.c_str(),
                                 "properties", __LINE__, "");
            continue;
        }
        Set(std::string(name), std::string(value));
    }
}

namespace {

// The file named by SYMBOLIZE_PROPERTIES, then the SYMBOL2_* environment, which wins.
void LoadDefaults(PropertyStore& store) {
    if (const char* path = std::getenv("SYMBOLIZE_PROPERTIES"); path != nullptr && *path != '\0') {
        std::string error;
        if (!store.LoadFile(path, &error)) {
            const std::string message = "SYMBOLIZE_PROPERTIES: " + error;
            GIS_GetLogPtr()->Log(LogLevelError, "DefaultProperties", message.c_str(), "properties", __LINE__,
                                 "");
        }
    }
    store.LoadEnvironment();
}

}  // namespace

PropertyStore& DefaultProperties() {
    static PropertyStore store;
    // Should loading run out of memory, the next call loads again; the values are the same.
    static const bool loaded = (LoadDefaults(store), true);
    (void)loaded;
    return store;
}

}  // namespace symbolhost
