// Symbol kinds as documents describe them. Each kind lists its properties once: the key in a
// document, the documented default, the accepted values, one line of meaning, and how to get the
// value from a symbol and set it on one. The reader, the writer, symbol comparison and the
// `symbolize kinds` reference all walk these tables, so a property is described in one place.
//
// A new kind is a file host/document/kind_<name>.cpp defining its Kind, declared below and listed
// in the table of kinds.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "contracts/symbol/limits.h"
#include "contracts/symbol/line.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/symbol.h"
#include "host/symbols.h"

namespace symbolhost::document {

// What a kind is drawn on: the sample the gallery gives it, and the features it accepts.
enum class Shape { Marker, Line, Fill, Text };

// How a property's value is written in a document.
enum class ValueType {
    Number,   // a JSON number within [min, max]
    Integer,  // a whole number within [min, max]
    Boolean,
    Colour,   // "#RRGGBB"; symbol colours carry no alpha
    Choice,   // one of `choices` by name, or a bare code for values without a name
    Numbers,  // an array of up to maxCount numbers within [min, max]
    Text,     // a non-empty string
    Halo,     // {"enabled", "size", "color"} with the defaults of kHaloDefaults
    Symbol,   // a member symbol: a name from the document's symbols, an inline symbol, or null
    Symbols,  // an array of member symbols (names or inline symbols)
    // An array of up to maxCount {"text", "font", "color", "shown"} objects.
    BoxTexts,
};

struct Colour {
    uint32_t rgb = 0;  // 0x00RRGGBB
    friend bool operator==(const Colour&, const Colour&) = default;
};

// Member symbols are borrowed: a getter points into its symbol; the reader hands the setter a
// symbol it keeps alive for the call, which the setter clones. Null is "no member".
using MemberList = std::vector<IGIS_Symbol*>;

using Value = std::variant<double, int32_t, bool, Colour, std::vector<double>, std::string, SymbolHalo,
                           IGIS_Symbol*, MemberList, std::vector<BoxText>>;

// What a box-text object leaves out: shown, in black DejaVu Sans.
inline constexpr const char* kBoxTextFont = "DejaVu Sans";

struct Choice {
    std::string_view name;
    int32_t code;
};

// A halo object's fields when it leaves them out.
inline constexpr SymbolHalo kHaloDefaults{0.5, 0xFFFFFF, true};
// A halo is as large as any symbol size may be: a metre is far beyond any map symbol.
inline constexpr double kMaxHaloSizeMm = 1000.0;

using Getter = std::function<Value(IGIS_Symbol&)>;
using Setter = std::function<void(IGIS_Symbol&, const Value&)>;

// The sections of a document a whole-number property can name an entry of.
enum class Section { Resources, Images, FillImages };

// A property that names an entry of a section: a value that names none draws nothing, so it is
// refused, except `none`, which stands for "no entry".
struct Reference {
    Section section = Section::Resources;
    std::optional<int32_t> none;
};

struct Property {
    std::string_view key;
    ValueType type = ValueType::Number;
    Value fallback;            // taken when the key is left out
    std::string_view meaning;  // one line for the reference
    std::string_view unit;     // "mm", "%", "degrees"; empty when the number has none
    double min = 0.0;          // Number, Integer and the elements of Numbers
    double max = 0.0;
    size_t maxCount = 0;  // Numbers and Symbols
    std::vector<Choice> choices;
    std::optional<Shape> memberShape;  // Symbol and Symbols: the shape members must have; unset: any
    std::optional<int32_t> memberType;  // Symbols: the one type members must have; unset: any of the shape
    std::optional<Reference> refersTo;  // Integer: the section the value names an entry of
    // A rule the value must keep with the rows set before it: nothing when it does, else what was
    // expected. Unset for rows without such a rule.
    std::function<std::optional<std::string>(IGIS_Symbol&, const Value&)> accepts;
    Getter get;                        // reads through the kind's typed view
    Setter set;                        // writes to a symbol the kind's `make` created
};

// A symbol the library would not draw as written: the property at fault (reported at its key, or
// at the symbol when the document leaves it out) and what was expected.
struct Fault {
    std::string_view key;
    std::string expected;
};

struct Kind {
    std::string_view name;  // the value of "kind" in a document, e.g. "simpleLine"
    int32_t type = 0;       // what GetType answers
    Shape shape = Shape::Line;
    std::string_view summary;
    std::function<SymbolPtr<>()> make;          // a new symbol of this kind with host defaults
    std::function<bool(IGIS_Symbol&)> hasView;  // the symbol answers this kind's typed view
    std::vector<Property> properties;
    // Text kinds: a copy of the symbol that draws `text`. Unset for kinds that carry no text.
    std::function<SymbolPtr<>(const IGIS_Symbol&, const std::string&)> withText;
    // What a whole symbol must satisfy beyond each property on its own, checked once all are set:
    // nothing when it does, else the fault. Unset for kinds without such a rule.
    std::function<std::optional<Fault>(IGIS_Symbol&)> check;
};

// Every kind documents can hold, in the order the reference lists them.
const std::vector<const Kind*>& Kinds();
const Kind* FindKind(std::string_view name);
const Kind* FindKindOfType(int32_t type);

std::string_view ShapeName(Shape shape);  // "marker", "line", "fill", "text"

// The kinds, one file each.
const Kind& SimpleLineKind();
const Kind& CartographicLineKind();
const Kind& HashLineKind();
const Kind& LayeredSimpleLineKind();
const Kind& CompoundLineKind();
const Kind& MarkerLineKind();
const Kind& SimpleFillKind();
const Kind& MarkerFillKind();
const Kind& LineFillKind();
const Kind& GradientFillKind();
const Kind& PictureFillKind();
const Kind& CompoundFillKind();
const Kind& CharMarkerKind();
const Kind& LibMarkerKind();
const Kind& CompoundMarkerKind();
const Kind& PictureMarkerKind();
const Kind& TextKind();
const Kind& TextBoxKind();

// The placement rows every marker kind ends with; sizes below minSize are refused.
std::vector<Property> MarkerPlacementProperties(double defaultSize, double minSize);

// How a compound kind reaches its stack of members. `count`, `member` and `shown` read any symbol
// of the kind; `add` (which takes over the reference it is handed) and `hide` reach only symbols the kind's
// `make` created.
struct MemberStack {
    std::function<int32_t(IGIS_Symbol&)> count;
    std::function<IGIS_Symbol*(IGIS_Symbol&, int32_t)> member;
    std::function<bool(IGIS_Symbol&, int32_t)> shown;
    std::function<void(IGIS_Symbol&, IGIS_Symbol*)> add;
    std::function<void(IGIS_Symbol&, int32_t)> hide;
};

// A stack of more members than this is no longer one map symbol.
inline constexpr size_t kMaxStackMembers = 64;
static_assert(kMaxStackMembers <= SymbolLimits::kMaxCompoundMembers, "every member read is drawn");

// The two rows of a compound kind: `membersKey`, the members of `shape` in drawing order, and
// `hiddenKey`, the indices of members kept but not drawn.
std::vector<Property> MemberStackProperties(std::string_view membersKey, std::string_view hiddenKey,
                                            Shape shape, std::string_view membersMeaning, MemberStack stack);

// Building blocks for the kind tables: each makes a Property from typed accessors.
template <typename S>
using TypedGet = std::function<S(IGIS_Symbol&)>;
template <typename S>
using TypedSet = std::function<void(IGIS_Symbol&, S)>;

struct Range {
    double min;
    double max;
    std::string_view unit;
};

Property NumberProperty(std::string_view key, double fallback, Range range, std::string_view meaning,
                        TypedGet<double> get, TypedSet<double> set);
Property IntegerProperty(std::string_view key, int32_t fallback, Range range, std::string_view meaning,
                         TypedGet<int32_t> get, TypedSet<int32_t> set);
Property BooleanProperty(std::string_view key, bool fallback, std::string_view meaning, TypedGet<bool> get,
                         TypedSet<bool> set);
Property ColourProperty(std::string_view key, uint32_t fallback, std::string_view meaning,
                        TypedGet<uint32_t> get, TypedSet<uint32_t> set);
Property ChoiceProperty(std::string_view key, int32_t fallback, std::vector<Choice> choices,
                        std::string_view meaning, TypedGet<int32_t> get, TypedSet<int32_t> set);
Property NumbersProperty(std::string_view key, Range range, size_t maxCount, std::string_view meaning,
                         TypedGet<std::vector<double>> get, TypedSet<const std::vector<double>&> set);
Property TextProperty(std::string_view key, std::string fallback, std::string_view meaning,
                      TypedGet<std::string> get, TypedSet<const std::string&> set);
Property HaloProperty(std::string_view key, std::string_view meaning, TypedGet<SymbolHalo> get,
                      TypedSet<const SymbolHalo&> set);
// Default: no member (null).
Property SymbolProperty(std::string_view key, std::optional<Shape> shape, std::string_view meaning,
                        TypedGet<IGIS_Symbol*> get, TypedSet<IGIS_Symbol*> set);
// Default: no texts.
Property BoxTextsProperty(std::string_view key, size_t maxCount, std::string_view meaning,
                          TypedGet<std::vector<BoxText>> get, TypedSet<const std::vector<BoxText>&> set);
// Default: no members.
Property SymbolsProperty(std::string_view key, std::optional<Shape> shape, size_t maxCount,
                         std::string_view meaning, TypedGet<MemberList> get, TypedSet<const MemberList&> set);

// A value the symbol gives directly, or through a pointer that may be null ("not set").
template <typename T>
T ValueOr(T value, T /*fallback*/) {
    return value;
}
template <typename T>
T ValueOr(const T* value, T fallback) {
    return value ? *value : fallback;
}

// The rows that lines, fills and markers share: colour, transparency, stroke width and halo, with
// one key, range and default reading each. `view` gives a kind's typed view of any symbol that has
// it; the setters reach `HostSymbol`, the class the kind's `make` creates. Each kind words the
// meaning for its own drawing.
template <auto view, typename HostSymbol>
struct SharedRows {
    // Widths of a map symbol are a few millimetres; a metre is far beyond any of them.
    static constexpr Range kWidth{0.0, 1000.0, "mm"};
    static constexpr Range kPercent{0.0, 100.0, "%"};

    static Property Colour(uint32_t fallback, std::string_view meaning) {
        return ColourProperty(
            "color", fallback, meaning,
            [fallback](IGIS_Symbol& s) { return ValueOr(view(s).GetColor(), fallback); },
            [](IGIS_Symbol& s, uint32_t v) { Edit(s).SetColor(v); });
    }
    static Property Transparency(std::string_view meaning = "0 opaque, 100 invisible") {
        return IntegerProperty(
            "transparency", 0, kPercent, meaning,
            [](IGIS_Symbol& s) { return ValueOr(view(s).GetTransparency(), int32_t{0}); },
            [](IGIS_Symbol& s, int32_t v) { Edit(s).SetTransparency(v); });
    }
    static Property Width(double fallback, std::string_view meaning) {
        return NumberProperty(
            "width", fallback, kWidth, meaning,
            [fallback](IGIS_Symbol& s) { return ValueOr(view(s).GetWidth(), fallback); },
            [](IGIS_Symbol& s, double v) { Edit(s).SetWidth(v); });
    }
    static Property Halo(std::string_view meaning) {
        return HaloProperty(
            "halo", meaning, [](IGIS_Symbol& s) { return ValueOr(view(s).GetHalo(), SymbolHalo{}); },
            [](IGIS_Symbol& s, const SymbolHalo& v) { Edit(s).SetHalo(v); });
    }

private:
    // Setters only reach symbols the kind's `make` created.
    static HostSymbol& Edit(IGIS_Symbol& s) { return static_cast<HostSymbol&>(s); }
};


// The rows every fill kind ends with: its outline and the outline's direction. `Fill` is the
// host's concrete fill symbol, which keeps its own copy of the outline.
template <typename Fill>
std::vector<Property> FillOutlineProperties() {
    return {
        SymbolProperty(
            "outline", Shape::Line, "the line symbol drawn along the edge; null for none",
            [](IGIS_Symbol& s) -> IGIS_Symbol* { return s.GetFillSymbol()->GetOutlineSymbol(); },
            [](IGIS_Symbol& s, IGIS_Symbol* member) {
                static_cast<Fill&>(s).SetOutline(ShareLine(member));
            }),
        BooleanProperty(
            "outlineClockwise", true, "run the outline clockwise as seen on the picture",
            [](IGIS_Symbol& s) { return static_cast<Fill&>(s).IsOutlineClockwise(); },
            [](IGIS_Symbol& s, bool v) { static_cast<Fill&>(s).SetOutlineClockwise(v); }),
    };
}

}  // namespace symbolhost::document
