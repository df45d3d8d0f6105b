#include "host/document/json_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
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

// The keys of one object, to find one given twice: packed into one buffer with an open-addressing
// table of their offsets, so that an object of millions of short keys costs a few bytes per key
// beyond their text, not a tree node each. Small objects are searched without the table.
class KeySet {
public:
    void Clear() {
        text_.clear();
        slots_.clear();
        count_ = 0;
    }

    // False when `key` is already in the set.
    bool Insert(std::string_view key) {
        if (count_ < kLinearKeys) {
            for (size_t at = 0; at < text_.size(); at = Following(at)) {
                if (KeyAt(at) == key) return false;
            }
        } else {
            if (slots_.empty() || (count_ + 1) * 2 > slots_.size()) Grow();
            const size_t slot = Find(key);
            if (slots_[slot] != 0) return false;
            slots_[slot] = text_.size() + 1;
        }
        const uint32_t length = static_cast<uint32_t>(key.size());
        text_.append(reinterpret_cast<const char*>(&length), sizeof length);
        text_.append(key);
        ++count_;
        return true;
    }

private:
    static constexpr size_t kLinearKeys = 8;

    std::string_view KeyAt(size_t at) const {
        uint32_t length = 0;
        std::memcpy(&length, text_.data() + at, sizeof length);
        return std::string_view(text_).substr(at + sizeof length, length);
    }
    size_t Following(size_t at) const { return at + sizeof(uint32_t) + KeyAt(at).size(); }

    // The slot holding `key`, or the empty slot where it belongs.
    size_t Find(std::string_view key) const {
        const size_t mask = slots_.size() - 1;
        for (size_t slot = std::hash<std::string_view>{}(key) & mask;; slot = (slot + 1) & mask) {
            if (slots_[slot] == 0 || KeyAt(slots_[slot] - 1) == key) return slot;
        }
    }

    void Grow() {
        slots_.assign(std::max<size_t>(64, slots_.size() * 2), 0);
        for (size_t at = 0; at < text_.size(); at = Following(at)) slots_[Find(KeyAt(at))] = at + 1;
    }

    std::string text_;            // each key as its 4-byte length and its bytes
    std::vector<uint64_t> slots_;  // offset + 1 into text_, 0 when empty; at most half full
    size_t count_ = 0;
};

// A first pass over the text that builds nothing: it checks the nesting depth and that no object
// gives a key twice, and knows where it stands, so that a syntax error can say which value it was
// reading. It also counts what the text would take as a tree, and stops at `maxTreeBytes`.
class StructureCheck final : public nlohmann::json_sax<Json> {
public:
    enum class Fault { None, TooDeep, DuplicateKey, TooBig, Syntax };

    // `inner`, when given, sees every value of a sound text too, after it has been checked.
    StructureCheck(nlohmann::json_sax<Json>* inner, size_t maxTreeBytes) : inner_(inner), maxTree_(maxTreeBytes) {}

    bool null() override { return Value() && Pass(!inner_ || inner_->null()); }
    bool boolean(bool b) override { return Value() && Pass(!inner_ || inner_->boolean(b)); }
    bool number_integer(number_integer_t n) override { return Value() && Pass(!inner_ || inner_->number_integer(n)); }
    bool number_unsigned(number_unsigned_t n) override {
        return Value() && Pass(!inner_ || inner_->number_unsigned(n));
    }
    bool number_float(number_float_t d, const string_t& text) override {
        return Value() && Pass(!inner_ || inner_->number_float(d, text));
    }
    bool string(string_t& s) override {
        return Grow(kHeapString + HeapText(s)) && Value() && Pass(!inner_ || inner_->string(s));
    }
    bool binary(binary_t& b) override { return Value() && Pass(!inner_ || inner_->binary(b)); }
    bool start_object(std::size_t n) override { return Open(false) && Pass(!inner_ || inner_->start_object(n)); }
    bool start_array(std::size_t n) override { return Open(true) && Pass(!inner_ || inner_->start_array(n)); }
    bool end_object() override { return Close() && Pass(!inner_ || inner_->end_object()); }
    bool end_array() override { return Close() && Pass(!inner_ || inner_->end_array()); }
    bool key(string_t& key) override {
        Frame& f = frames_[depth_ - 1];
        if (!f.keys.Insert(key)) {
            fault_ = Fault::DuplicateKey;
            duplicate_ = key;
            return false;
        }
        f.key = key;
        return Grow(kMemberBytes + HeapText(key)) && Pass(!inner_ || inner_->key(key));
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override {
        fault_ = Fault::Syntax;
        errorByte_ = position;
        errorText_ = e.what();
        return false;
    }

    Fault fault() const { return fault_; }
    // The inner handler ended the pass: no fault of the text.
    bool Stopped() const { return stopped_; }
    const std::string& duplicate() const { return duplicate_; }
    size_t errorByte() const { return errorByte_; }
    // About what the tree of the text takes in memory once parsed.
    size_t TreeBytes() const { return treeBytes_; }
    const std::string& errorText() const { return errorText_; }

    // The value being read (for a duplicate key, the object that holds it).
    std::string Path() const {
        std::string path = "$";
        const size_t shown = fault_ == Fault::DuplicateKey ? depth_ - 1 : depth_;
        for (size_t i = 0; i < shown; ++i) {
            const Frame& f = frames_[i];
            if (f.array && f.index >= 0) path += "[" + std::to_string(f.index) + "]";
            if (!f.array && !f.key.empty()) path = ChildPath(path, f.key);
        }
        return path;
    }

private:
    struct Frame {
        bool array = false;
        std::string key;
        long index = -1;
        KeySet keys;  // of an object, to find one given twice
    };
    // What each part of a parsed tree costs, heap block headers included: every value's own slot;
    // an object's or array's container and element block and a string's text object, on the
    // heap; an object member's key and its share of the members' block; the characters of a
    // string too long to sit inside its object. Growth slack is left out: this is a floor.
    static constexpr size_t kValueBytes = sizeof(Json);
    static constexpr size_t kContainerBytes = 56;
    static constexpr size_t kHeapString = 48;
    static constexpr size_t kMemberBytes = 48;
    static size_t HeapText(const std::string& s) { return s.size() > 15 ? s.size() + 17 : 0; }

    bool Grow(size_t bytes) {
        treeBytes_ += bytes;
        if (treeBytes_ <= maxTree_) return true;
        fault_ = Fault::TooBig;
        return false;
    }
    bool Value() {
        if (depth_ > 0 && frames_[depth_ - 1].array) ++frames_[depth_ - 1].index;
        return Grow(kValueBytes);
    }
    bool Open(bool array) {
        if (!Value() || !Grow(kContainerBytes)) return false;
        if (depth_ >= static_cast<size_t>(kMaxJsonDepth)) {
            fault_ = Fault::TooDeep;
            return false;
        }
        // Frames are kept for reuse: an object's key buffers serve the next object at its depth.
        if (depth_ == frames_.size()) frames_.emplace_back();
        Frame& f = frames_[depth_++];
        f.array = array;
        f.key.clear();
        f.index = -1;
        f.keys.Clear();
        return true;
    }
    bool Close() {
        --depth_;
        return true;
    }

    bool Pass(bool going) {
        stopped_ = stopped_ || !going;
        return going;
    }

    nlohmann::json_sax<Json>* inner_;
    size_t maxTree_;
    bool stopped_ = false;
    std::vector<Frame> frames_;
    size_t depth_ = 0;
    size_t treeBytes_ = 0;
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

void Diagnostics::Append(const Diagnostics& other) {
    for (const Diagnostic& d : other.list_) Add(d);
    dropped_ += other.dropped_;
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

std::string DescribeContainer(bool array, size_t size) {
    if (!array) return size == 0 ? "an empty object" : "an object";
    if (size == 0) return "an empty array";
    return size == 1 ? "an array of 1 value" : "an array of " + std::to_string(size) + " values";
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
        case Json::value_t::array:
            return DescribeContainer(value.is_array(), value.size());
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

void Reader::Fail(const Node& at, std::string message) { Fail(at.Path(), std::move(message)); }

void Reader::Fail(const std::string& path, std::string message) {
    diagnostics_->Add(Diagnostic{file_, 0, 0, path, std::move(message)});
}

void Reader::FailFile(std::string message) {
    diagnostics_->Add(Diagnostic{file_, 0, 0, {}, std::move(message)});
}

void Reader::Expected(const Node& at, std::string_view what) { Expected(at.Path(), what, Describe(at.Value())); }

void Reader::Expected(const std::string& path, std::string_view what, std::string_view found) {
    Fail(path, "expected " + std::string(what) + ", found " + std::string(found));
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

std::string PositionWanted() {
    return "a position [x, y] of numbers within +-" + FormatNumber(kMaxCoordinate);
}

std::optional<Pictor::PointD> CheckedPosition(double x, double y) {
    if (std::isfinite(x) && std::isfinite(y) && std::abs(x) <= kMaxCoordinate && std::abs(y) <= kMaxCoordinate) {
        return Pictor::PointD{x, y};
    }
    return std::nullopt;
}

std::optional<Pictor::PointD> Reader::Position(const Node& node) {
    const Json& v = node.Value();
    if (v.is_array() && v.size() >= 2 && v[0].is_number() && v[1].is_number()) {
        if (const auto p = CheckedPosition(v[0].get<double>(), v[1].get<double>())) return p;
    }
    Expected(node, PositionWanted());
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

bool CheckStructure(std::string_view text, Reader& reader, nlohmann::json_sax<Json>* inner, size_t maxTreeBytes) {
    StructureCheck check(inner, maxTreeBytes);
    const auto fail = [&](int line, int column, std::string message) {
        reader.Faults().Add(Diagnostic{reader.File(), line, column, check.Path(), std::move(message)});
    };
    try {
        if (Json::sax_parse(text.begin(), text.end(), &check) || check.Stopped()) return true;
        switch (check.fault()) {
            case StructureCheck::Fault::TooDeep:
                fail(0, 0, "expected objects and arrays nested at most " + std::to_string(kMaxJsonDepth) + " deep");
                break;
            case StructureCheck::Fault::DuplicateKey:
                fail(0, 0, "expected each key once, found " + Describe(Json(check.duplicate())) + " twice");
                break;
            case StructureCheck::Fault::TooBig:
                reader.Fail(std::string("$"), "expected a document that takes at most " +
                                                  std::to_string(kMaxTreeBytesPerByte) + " times its size once read, found " +
                                                  std::to_string(text.size() / 1024) + " kB that would take more than " +
                                                  std::to_string(maxTreeBytes >> 20) +
                                                  " MB: put large data in a GeoJSON file");
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
    } catch (const Json::exception& e) {
        fail(0, 0, SyntaxMessage(e.what()));
    } catch (const std::bad_alloc&) {
        fail(0, 0, "out of memory while parsing");
    }
    return false;
}

namespace {

// Builds the tree of a text that the structure check passes value by value. Members are appended
// as they come: the check has already refused a key given twice, and the ordered object's own
// insertion searches its members, which made an object of n keys cost n^2.
class TreeBuilder final : public nlohmann::json_sax<Json> {
public:
    Json Take() { return std::move(root_); }

    bool null() override { return Add(Json()); }
    bool boolean(bool b) override { return Add(Json(b)); }
    bool number_integer(number_integer_t n) override { return Add(Json(n)); }
    bool number_unsigned(number_unsigned_t n) override { return Add(Json(n)); }
    bool number_float(number_float_t d, const string_t&) override { return Add(Json(d)); }
    bool string(string_t& s) override { return Add(Json(std::move(s))); }
    bool binary(binary_t& b) override { return Add(Json::binary(std::move(b))); }
    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool key(string_t& key) override {
        key_ = std::move(key);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    // Where the value goes; a container stays at the end of its parent while it is open, so the
    // pointers to open containers stay valid.
    Json* Place(Json&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            auto& array = parent.get_ref<Json::array_t&>();
            array.push_back(std::move(value));
            return &array.back();
        }
        auto& object = parent.get_ref<Json::object_t&>();
        object.std::vector<Json::object_t::value_type>::emplace_back(std::move(key_), std::move(value));
        return &object.back().second;
    }
    bool Add(Json&& value) {
        Place(std::move(value));
        return true;
    }
    bool Open(Json&& container) {
        open_.push_back(Place(std::move(container)));
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    Json root_;
    std::vector<Json*> open_;
    std::string key_;
};

}  // namespace

std::optional<Json> Parse(std::string_view text, Reader& reader) {
    // A text of tiny values (empty arrays and objects, empty strings) takes over twenty times its
    // size as a tree; documents take three to fifteen, inline features of one-digit coordinates
    // the most.
    // The first pass builds nothing, so a text refused for its tree never takes it.
    if (!CheckStructure(text, reader, nullptr, std::max(kMaxTreeBytesPerByte * text.size(), kMinTreeBytes))) {
        return std::nullopt;
    }
    // The text is known to be sound now: the tree is built without checking it again.
    TreeBuilder builder;
    try {
        if (Json::sax_parse(text.begin(), text.end(), &builder)) return builder.Take();
        reader.Fail(std::string("$"), "expected JSON text");  // unreachable after the check
    } catch (const Json::exception& e) {
        reader.Fail(std::string("$"), SyntaxMessage(e.what()));
    } catch (const std::bad_alloc&) {
        reader.Fail(std::string("$"), "out of memory while parsing");
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
