#include "host/document/json_reader.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <system_error>

#include "host/document/document.h"

namespace symbolhost::document {
namespace {

// Longest piece of a string value quoted back in a message.
constexpr size_t kMaxQuoted = 40;

bool IsPlainKey(std::string_view key) {
    if (key.empty() || std::isdigit(static_cast<unsigned char>(key.front()))) return false;
    for (char c : key) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

std::string RangeText(double min, double max, std::string_view unit) {
    std::string text = "from " + FormatNumber(min) + " to " + FormatNumber(max);
    if (!unit.empty()) text += " " + std::string(unit);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A first pass over the text that builds nothing: it checks the nesting depth and that no object
// gives a key twice, and knows where it stands, so that a syntax error can say which value it was
// reading. The tree is then parsed without a callback, in time linear in the text.
class StructureCheck final : public nlohmann::json_sax<Json> {
public:
    enum class Fault { None, TooDeep, DuplicateKey, Syntax };

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override { return Open(false); }
    bool start_array(std::size_t) override { return Open(true); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool key(string_t& key) override {
        Frame& f = frames_.back();
        if (!f.keys.insert(key).second) {
            fault_ = Fault::DuplicateKey;
            duplicate_ = key;
            return false;
        }
        f.key = key;
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override {
        fault_ = Fault::Syntax;
        errorByte_ = position;
        errorText_ = e.what();
        return false;
    }

    Fault fault() const { return fault_; }
    const std::string& duplicate() const { return duplicate_; }
    size_t errorByte() const { return errorByte_; }
    const std::string& errorText() const { return errorText_; }

    // The value being read (for a duplicate key, the object that holds it).
    std::string Path() const {
        std::string path = "$";
        const size_t shown = fault_ == Fault::DuplicateKey ? frames_.size() - 1 : frames_.size();
        for (size_t i = 0; i < shown; ++i) {
            const Frame& f = frames_[i];
            if (f.array && f.index >= 0) path += "[" + std::to_string(f.index) + "]";
            if (!f.array && !f.key.empty()) path = ChildPath(path, f.key);
        }
        return path;
    }

private:
    struct Frame {
        bool array;
        std::string key;
        long index = -1;
        std::set<std::string> keys;  // of an object, to find one given twice
    };
    bool Value() {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
        return true;
    }
    bool Open(bool array) {
        Value();
        if (frames_.size() >= static_cast<size_t>(kMaxJsonDepth)) {
            fault_ = Fault::TooDeep;
            return false;
        }
        frames_.push_back(Frame{array, {}, -1, {}});
        return true;
    }
    bool Close() {
        frames_.pop_back();
        return true;
    }

    std::vector<Frame> frames_;
    Fault fault_ = Fault::None;
    std::string duplicate_;
    size_t errorByte_ = 0;
    std::string errorText_;
};

// "syntax error while parsing object - unexpected '}'; expected string literal" out of the
// library's "[json.exception.parse_error.101] parse error at line 3, column 5: ...".
std::string SyntaxMessage(const std::string& what) {
    const size_t column = what.find("column ");
    const size_t colon = column == std::string::npos ? std::string::npos : what.find(": ", column);
    if (colon != std::string::npos) return what.substr(colon + 2);
    const size_t bracket = what.find("] ");
    return bracket == std::string::npos ? what : what.substr(bracket + 2);
}

void LineAndColumn(std::string_view text, size_t byte, int* line, int* column) {
    *line = 1;
    *column = 1;
    const size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++*line;
            *column = 1;
        } else {
            ++*column;
        }
    }
}

}  // namespace

std::string Diagnostic::ToString() const {
    std::string text = file;
    if (line > 0) text += ":" + std::to_string(line) + ":" + std::to_string(column);
    text += ": ";
    if (!path.empty()) text += path + ": ";
    return text + message;
}

void Diagnostics::Add(Diagnostic diagnostic) {
    if (list_.size() < kMaxReported) {
        list_.push_back(std::move(diagnostic));
    } else {
        ++dropped_;
    }
}

std::vector<std::string> Diagnostics::Lines() const {
    std::vector<std::string> lines;
    for (const Diagnostic& d : list_) lines.push_back(d.ToString());
    if (dropped_ > 0) lines.push_back("... and " + std::to_string(dropped_) + " more faults");
    return lines;
}

std::string Diagnostics::Text() const {
    std::string text;
    for (const std::string& line : Lines()) text += line + "\n";
    return text;
}

std::optional<Node> Node::Find(std::string_view key) const {
    if (!value_->is_object()) return std::nullopt;
    const auto it = value_->find(key);
    if (it == value_->end()) return std::nullopt;
    return Node(*it, ChildPath(path_, key));
}

Node Node::At(size_t i) const { return Node((*value_)[i], path_ + "[" + std::to_string(i) + "]"); }

std::string ChildPath(const std::string& parent, std::string_view key) {
    if (IsPlainKey(key)) return parent + "." + std::string(key);
    return parent + "[" + Json(std::string(key)).dump(-1, ' ', false, Json::error_handler_t::replace) + "]";
}

std::string Describe(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return value.get<bool>() ? "true" : "false";
        case Json::value_t::string: {
            const auto& s = value.get_ref<const std::string&>();
            Json shown = s.size() > kMaxQuoted ? s.substr(0, kMaxQuoted) + "..." : s;
            return shown.dump(-1, ' ', false, Json::error_handler_t::replace);
        }
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float:
            return value.dump();
        case Json::value_t::object:
            return value.empty() ? "an empty object" : "an object";
        case Json::value_t::array:
            if (value.empty()) return "an empty array";
            return value.size() == 1 ? "an array of 1 value"
                                     : "an array of " + std::to_string(value.size()) + " values";
        case Json::value_t::binary:
        case Json::value_t::discarded:
            break;
    }
    return "an unreadable value";
}

std::string FormatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

void Reader::Fail(const Node& at, std::string message) {
    diagnostics_->Add(Diagnostic{file_, 0, 0, at.Path(), std::move(message)});
}

void Reader::FailFile(std::string message) {
    diagnostics_->Add(Diagnostic{file_, 0, 0, {}, std::move(message)});
}

void Reader::Expected(const Node& at, std::string_view what) {
    Fail(at, "expected " + std::string(what) + ", found " + Describe(at.Value()));
}

bool Reader::Object(const Node& node, std::string_view what, const std::vector<std::string_view>& allowed) {
    if (!node.Value().is_object()) {
        Expected(node, what);
        return false;
    }
    bool ok = true;
    for (const auto& [key, value] : node.Value().items()) {
        bool known = false;
        for (std::string_view a : allowed) known = known || a == key;
        if (known) continue;
        std::string list;
        for (std::string_view a : allowed) list += (list.empty() ? "" : ", ") + std::string(a);
        Fail(Node(value, ChildPath(node.Path(), key)),
             "unknown key in " + std::string(what) + "; expected one of: " + list);
        ok = false;
    }
    return ok;
}

bool Reader::Array(const Node& node, std::string_view what, size_t min, size_t max) {
    const Json& v = node.Value();
    if (v.is_array() && v.size() >= min && v.size() <= max) return true;
    Expected(node, what);
    return false;
}

std::optional<double> Reader::Number(const Node& node, double min, double max, std::string_view unit) {
    const Json& v = node.Value();
    if (v.is_number()) {
        const double d = v.get<double>();
        if (std::isfinite(d) && d >= min && d <= max) return d;
    }
    Expected(node, "a number " + RangeText(min, max, unit));
    return std::nullopt;
}

std::optional<int32_t> Reader::Integer(const Node& node, int32_t min, int32_t max, std::string_view unit) {
    const Json& v = node.Value();
    if (v.is_number()) {
        const double d = v.get<double>();
        if (std::isfinite(d) && d == std::floor(d) && d >= min && d <= max) return static_cast<int32_t>(d);
    }
    Expected(node, "a whole number " + RangeText(min, max, unit));
    return std::nullopt;
}

std::optional<bool> Reader::Boolean(const Node& node) {
    if (node.Value().is_boolean()) return node.Value().get<bool>();
    Expected(node, "true or false");
    return std::nullopt;
}

std::optional<std::string> Reader::String(const Node& node, std::string_view what) {
    const Json& v = node.Value();
    if (v.is_string() && !v.get_ref<const std::string&>().empty() &&
        v.get_ref<const std::string&>().size() <= kMaxStringLength) {
        return v.get<std::string>();
    }
    Expected(node, what);
    return std::nullopt;
}

std::optional<uint32_t> ParseColour(std::string_view s, bool withAlpha) {
    if ((s.size() != 7 && (!withAlpha || s.size() != 9)) || s[0] != '#') return std::nullopt;
    uint32_t value = 0;
    for (size_t i = 1; i < s.size(); ++i) {
        const int d = HexDigit(s[i]);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return s.size() == 7 && withAlpha ? (0xFF000000u | value) : value;
}

std::optional<uint32_t> Reader::Colour(const Node& node, bool withAlpha) {
    const Json& v = node.Value();
    if (v.is_string()) {
        if (const auto colour = ParseColour(v.get_ref<const std::string&>(), withAlpha)) return colour;
    }
    Expected(node, withAlpha ? "a colour \"#RRGGBB\" or \"#AARRGGBB\"" : "a colour \"#RRGGBB\"");
    return std::nullopt;
}

std::optional<Pictor::PointD> Reader::Position(const Node& node) {
    const Json& v = node.Value();
    if (v.is_array() && v.size() >= 2 && v[0].is_number() && v[1].is_number()) {
        const double x = v[0].get<double>();
        const double y = v[1].get<double>();
        if (std::isfinite(x) && std::isfinite(y) && std::abs(x) <= kMaxCoordinate &&
            std::abs(y) <= kMaxCoordinate) {
            return Pictor::PointD{x, y};
        }
    }
    Expected(node, "a position [x, y] of numbers within +-" + FormatNumber(kMaxCoordinate));
    return std::nullopt;
}

std::optional<uint32_t> KeyNumber(std::string_view key) {
    constexpr size_t kMaxDigits = 10;  // 4294967295
    if (key.empty() || key.size() > kMaxDigits) return std::nullopt;
    uint64_t number = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    return static_cast<uint32_t>(number);
}

bool Reader::Positions(const Node& array, std::vector<Pictor::PointD>& out) {
    out.reserve(out.size() + array.Value().size());
    for (size_t i = 0; i < array.Value().size(); ++i) {
        const auto p = Position(array.At(i));
        if (!p) return false;
        out.push_back(*p);
    }
    return true;
}

std::optional<Json> Parse(std::string_view text, Reader& reader) {
    StructureCheck check;
    const auto fail = [&](int line, int column, std::string message) {
        reader.Faults().Add(Diagnostic{reader.File(), line, column, check.Path(), std::move(message)});
    };
    try {
        if (!Json::sax_parse(text.begin(), text.end(), &check)) {
            switch (check.fault()) {
                case StructureCheck::Fault::TooDeep:
                    fail(0, 0, "expected objects and arrays nested at most " + std::to_string(kMaxJsonDepth) + " deep");
                    break;
                case StructureCheck::Fault::DuplicateKey:
                    fail(0, 0, "expected each key once, found " + Describe(Json(check.duplicate())) + " twice");
                    break;
                case StructureCheck::Fault::Syntax:
                case StructureCheck::Fault::None: {
                    int line = 0;
                    int column = 0;
                    LineAndColumn(text, check.errorByte(), &line, &column);
                    fail(line, column, SyntaxMessage(check.errorText()));
                    break;
                }
            }
            return std::nullopt;
        }
        return Json::parse(text.begin(), text.end());
    } catch (const Json::exception& e) {
        fail(0, 0, SyntaxMessage(e.what()));
    } catch (const std::bad_alloc&) {
        fail(0, 0, "out of memory while parsing");
    }
    return std::nullopt;
}

std::optional<std::string> ReadFile(const std::string& path, size_t maxBytes, std::string* error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        *error = "no such file";
        return std::nullopt;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        *error = "expected a regular file";
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        *error = "cannot read its size: " + ec.message();
        return std::nullopt;
    }
    if (size > maxBytes) {
        *error = "expected a file of at most " + std::to_string(maxBytes / (1024 * 1024)) + " MB, found " +
                 std::to_string(size / (1024 * 1024)) + " MB";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot be opened for reading";
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    if (static_cast<size_t>(in.gcount()) != size) {
        *error = "cannot be read";
        return std::nullopt;
    }
    return text;
}

}  // namespace symbolhost::document
