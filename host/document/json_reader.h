// Typed reading of JSON values with the JSON path of every value, so that each refusal names the
// file, the place and what was expected. Used inside host/document only; nothing outside it sees
// JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contracts/pictor/types.h"
#include "host/document/diagnostics.h"

namespace symbolhost::document {

// Keys keep the order of the file: symbols are drawn and written in the order they were given.
using Json = nlohmann::ordered_json;

// Objects and arrays nest at most this deep. A document needs about eight levels (a polygon's
// coordinates inside a feature inside a layer); the cap keeps a hostile file from exhausting the
// stack of anything that walks the tree.
inline constexpr int kMaxJsonDepth = 64;

// Coordinates beyond this are no place on a map or a page (projected coordinates in metres stay
// below 1e8), and mapping them through a view would already lose all precision.
inline constexpr double kMaxCoordinate = 1e15;

// Longest string value accepted: names, paths and texts are short, so a longer one is a mistake.
inline constexpr size_t kMaxStringLength = 4096;

// A value inside a parsed file, with its JSON path ("$.layers[2].symbol").
class Node {
public:
    Node(const Json& value, std::string path) : value_(&value), path_(std::move(path)) {}
    const Json& Value() const { return *value_; }
    const std::string& Path() const { return path_; }
    // The member `key` of an object, or null when it is missing or this is not an object.
    std::optional<Node> Find(std::string_view key) const;
    // Element i of an array; the caller checks the bounds.
    Node At(size_t i) const;

private:
    const Json* value_;
    std::string path_;
};

// "$.a.b" for plain keys, "$.a[\"odd key\"]" for others.
std::string ChildPath(const std::string& parent, std::string_view key);

// A short description of a value as found in the file: "\"wide\"", "an object", "an array of 3
// values", "12.5".
std::string Describe(const Json& value);
// The same for an object or array known only by its number of members or elements.
std::string DescribeContainer(bool array, size_t size);

// Number formatting for messages and for the reference tables: "%g" with enough digits.
std::string FormatNumber(double value);

// An object key that names a code or id: decimal digits only, from 0 to 4294967295.
std::optional<uint32_t> KeyNumber(std::string_view key);

// Reads values out of one file and reports what does not fit into the shared diagnostics.
class Reader {
public:
    Reader(std::string file, Diagnostics& diagnostics) : file_(std::move(file)), diagnostics_(&diagnostics) {}
    const std::string& File() const { return file_; }
    Diagnostics& Faults() { return *diagnostics_; }

    void Fail(const Node& at, std::string message);
    void Fail(const std::string& path, std::string message);  // a value known only by its path
    void FailFile(std::string message);  // a fault of the file as a whole
    // "expected <what>, found <the value>".
    void Expected(const Node& at, std::string_view what);
    void Expected(const std::string& path, std::string_view what, std::string_view found);

    // The value must be an object whose keys are all in `allowed`; each stranger is reported.
    bool Object(const Node& node, std::string_view what, const std::vector<std::string_view>& allowed);
    // The value must be an array of `min` to `max` elements.
    bool Array(const Node& node, std::string_view what, size_t min, size_t max);

    std::optional<double> Number(const Node& node, double min, double max, std::string_view unit = {});
    std::optional<int32_t> Integer(const Node& node, int32_t min, int32_t max, std::string_view unit = {});
    std::optional<bool> Boolean(const Node& node);
    std::optional<std::string> String(const Node& node, std::string_view what);
    // "#RRGGBB", or also "#AARRGGBB" when `withAlpha`; "#RRGGBB" is then opaque (alpha FF).
    std::optional<uint32_t> Colour(const Node& node, bool withAlpha);
    // [x, y], or longer positions whose extra values (a height) are ignored; finite numbers.
    std::optional<Pictor::PointD> Position(const Node& node);
    // Appends each element of the array `array` to `out` as a position; false at the first that
    // is not one. The caller has checked that it is an array and counted its elements.
    bool Positions(const Node& array, std::vector<Pictor::PointD>& out);

    // Reads the member `key` of `object`, when it is given, with one of the readers above (`read`
    // called with `args`) into `field`. A missing member, or one refused and reported, leaves
    // `field` as it was. False only when the member was given and refused.
    template <typename T, typename U, typename... Params, typename... Args>
    bool Member(const Node& object, std::string_view key, T& field,
                std::optional<U> (Reader::*read)(const Node&, Params...), Args&&... args) {
        const std::optional<Node> n = object.Find(key);
        if (!n) return true;
        std::optional<U> value = (this->*read)(*n, std::forward<Args>(args)...);
        if (!value) return false;
        field = std::move(*value);
        return true;
    }

private:
    std::string file_;
    Diagnostics* diagnostics_;
};

// What a position must be, for messages, and x and y as one: nullopt when either is not finite or
// lies beyond kMaxCoordinate.
std::string PositionWanted();
std::optional<Pictor::PointD> CheckedPosition(double x, double y);

// A pass over `text` that reports, as Parse does, a syntax error, nesting beyond kMaxJsonDepth, a
// key given twice or a tree that would take more than `maxTreeBytes`. `inner`, when given, is
// handed every value after it passed the checks, so that a reader that builds its own structure
// reads the text once; it may end the pass early by returning false, which is not a fault. False
// after reporting a fault; `inner` must then drop what it built, since the text was not sound.
bool CheckStructure(std::string_view text, Reader& reader, nlohmann::json_sax<Json>* inner = nullptr,
                    size_t maxTreeBytes = std::numeric_limits<size_t>::max());

// A parsed tree may take this many times its text, or kMinTreeBytes, whichever is more.
inline constexpr size_t kMaxTreeBytesPerByte = 20;
inline constexpr size_t kMinTreeBytes = size_t{16} << 20;

// Parses `text`; a syntax error is reported with its line, column and the JSON path reached, as
// are nesting beyond kMaxJsonDepth and a tree that would outgrow kMaxTreeBytesPerByte. Never
// throws.
std::optional<Json> Parse(std::string_view text, Reader& reader);

// The whole file, or nullopt with *error saying why ("no such file", "larger than ...").
std::optional<std::string> ReadFile(const std::string& path, size_t maxBytes, std::string* error);

}  // namespace symbolhost::document
