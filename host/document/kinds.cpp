// The table of kinds, and the helpers that turn typed accessors into table rows.
#include <cmath>
#include <utility>

#include "host/document/kind.h"

namespace symbolhost::document {

const std::vector<const Kind*>& Kinds() {
    // One entry per kind file, in the order the reference lists them.
    static const std::vector<const Kind*> kinds = {
        &SimpleLineKind(),
        &CartographicLineKind(),
        &HashLineKind(),
        &LayeredSimpleLineKind(),
        &CompoundLineKind(),
        &MarkerLineKind(),
        &SimpleFillKind(),
        &MarkerFillKind(),
        &LineFillKind(),
        &GradientFillKind(),
        &PictureFillKind(),
        &CompoundFillKind(),
        &CharMarkerKind(),
        &LibMarkerKind(),
        &CompoundMarkerKind(),
        &PictureMarkerKind(),
        &TextKind(),
        &TextBoxKind(),
    };
    return kinds;
}

const Kind* FindKind(std::string_view name) {
    for (const Kind* kind : Kinds()) {
        if (kind->name == name) return kind;
    }
    return nullptr;
}

const Kind* FindKindOfType(int32_t type) {
    for (const Kind* kind : Kinds()) {
        if (kind->type == type) return kind;
    }
    return nullptr;
}

std::string_view ShapeName(Shape shape) {
    switch (shape) {
        case Shape::Marker:
            return "marker";
        case Shape::Line:
            return "line";
        case Shape::Fill:
            return "fill";
        case Shape::Text:
            return "text";
    }
    return "symbol";
}

namespace {

Property Row(std::string_view key, ValueType type, Value fallback, std::string_view meaning) {
    Property p;
    p.key = key;
    p.type = type;
    p.fallback = std::move(fallback);
    p.meaning = meaning;
    return p;
}

void SetRange(Property& p, const Range& range) {
    p.min = range.min;
    p.max = range.max;
    p.unit = range.unit;
}

// The setter's value must hold T: the reader only hands over what the property's type reads.
template <typename T, typename S>
Setter Unwrap(TypedSet<S> set) {
    return [set = std::move(set)](IGIS_Symbol& s, const Value& v) { set(s, std::get<T>(v)); };
}

template <typename T>
Getter Wrap(TypedGet<T> get) {
    return [get = std::move(get)](IGIS_Symbol& s) -> Value { return get(s); };
}

}  // namespace

Property NumberProperty(std::string_view key, double fallback, Range range, std::string_view meaning,
                        TypedGet<double> get, TypedSet<double> set) {
    Property p = Row(key, ValueType::Number, fallback, meaning);
    SetRange(p, range);
    p.get = Wrap(std::move(get));
    p.set = Unwrap<double>(std::move(set));
    return p;
}

Property IntegerProperty(std::string_view key, int32_t fallback, Range range, std::string_view meaning,
                         TypedGet<int32_t> get, TypedSet<int32_t> set) {
    Property p = Row(key, ValueType::Integer, fallback, meaning);
    SetRange(p, range);
    p.get = Wrap(std::move(get));
    p.set = Unwrap<int32_t>(std::move(set));
    return p;
}

Property BooleanProperty(std::string_view key, bool fallback, std::string_view meaning, TypedGet<bool> get,
                         TypedSet<bool> set) {
    Property p = Row(key, ValueType::Boolean, fallback, meaning);
    p.get = Wrap(std::move(get));
    p.set = Unwrap<bool>(std::move(set));
    return p;
}

Property ColourProperty(std::string_view key, uint32_t fallback, std::string_view meaning,
                        TypedGet<uint32_t> get, TypedSet<uint32_t> set) {
    constexpr uint32_t kRgb = 0xFFFFFFu;  // symbol colours ignore their top byte
    Property p = Row(key, ValueType::Colour, Colour{fallback & kRgb}, meaning);
    p.get = [get = std::move(get)](IGIS_Symbol& s) -> Value { return Colour{get(s) & kRgb}; };
    p.set = [set = std::move(set)](IGIS_Symbol& s, const Value& v) { set(s, std::get<Colour>(v).rgb); };
    return p;
}

Property ChoiceProperty(std::string_view key, int32_t fallback, std::vector<Choice> choices,
                        std::string_view meaning, TypedGet<int32_t> get, TypedSet<int32_t> set) {
    Property p = Row(key, ValueType::Choice, fallback, meaning);
    p.choices = std::move(choices);
    p.get = Wrap(std::move(get));
    p.set = Unwrap<int32_t>(std::move(set));
    return p;
}

Property NumbersProperty(std::string_view key, Range range, size_t maxCount, std::string_view meaning,
                         TypedGet<std::vector<double>> get, TypedSet<const std::vector<double>&> set) {
    Property p = Row(key, ValueType::Numbers, std::vector<double>{}, meaning);
    SetRange(p, range);
    p.maxCount = maxCount;
    p.get = Wrap(std::move(get));
    p.set = Unwrap<std::vector<double>>(std::move(set));
    return p;
}

Property TextProperty(std::string_view key, std::string fallback, std::string_view meaning,
                      TypedGet<std::string> get, TypedSet<const std::string&> set) {
    Property p = Row(key, ValueType::Text, std::move(fallback), meaning);
    p.get = Wrap(std::move(get));
    p.set = Unwrap<std::string>(std::move(set));
    return p;
}

Property HaloProperty(std::string_view key, std::string_view meaning, TypedGet<SymbolHalo> get,
                      TypedSet<const SymbolHalo&> set) {
    Property p = Row(key, ValueType::Halo, SymbolHalo{}, meaning);
    p.get = Wrap(std::move(get));
    p.set = Unwrap<SymbolHalo>(std::move(set));
    return p;
}

Property SymbolProperty(std::string_view key, std::optional<Shape> shape, std::string_view meaning,
                        TypedGet<IGIS_Symbol*> get, TypedSet<IGIS_Symbol*> set) {
    Property p = Row(key, ValueType::Symbol, static_cast<IGIS_Symbol*>(nullptr), meaning);
    p.memberShape = shape;
    p.get = Wrap(std::move(get));
    p.set = Unwrap<IGIS_Symbol*>(std::move(set));
    return p;
}

std::vector<Property> MemberStackProperties(std::string_view membersKey, std::string_view hiddenKey,
                                            Shape shape, std::string_view membersMeaning, MemberStack stack) {
    constexpr Range kIndex{0.0, static_cast<double>(kMaxStackMembers - 1), ""};
    auto members = [stack](IGIS_Symbol& s) {
        MemberList list;
        const int32_t count = stack.count(s);
        for (int32_t i = 0; i < count; ++i) list.push_back(stack.member(s, i));
        return list;
    };
    // Each member is shared, not copied: a symbol named by many compounds is built once. A new
    // symbol has no members, so members join in document order.
    auto setMembers = [stack](IGIS_Symbol& s, const MemberList& list) {
        for (IGIS_Symbol* member : list) {
            if (member != nullptr) stack.add(s, Share(member));
        }
    };
    auto hidden = [stack](IGIS_Symbol& s) {
        std::vector<double> indices;
        const int32_t count = stack.count(s);
        for (int32_t i = 0; i < count; ++i) {
            if (!stack.shown(s, i)) indices.push_back(i);
        }
        return indices;
    };
    // Runs after the members, which the indices must name.
    auto setHidden = [stack](IGIS_Symbol& s, const std::vector<double>& indices) {
        const int32_t count = stack.count(s);
        for (double index : indices) {
            const auto i = static_cast<int32_t>(index);
            if (i >= 0 && i < count) stack.hide(s, i);
        }
    };
    Property hiddenRow = NumbersProperty(hiddenKey, kIndex, kMaxStackMembers, "indices of members kept but not drawn",
                                         hidden, setHidden);
    hiddenRow.accepts = [stack](IGIS_Symbol& s, const Value& v) -> std::optional<std::string> {
        const int32_t count = stack.count(s);
        for (const double index : std::get<std::vector<double>>(v)) {
            if (index != std::floor(index) || index >= count) {
                return "whole-number indices of the " + std::to_string(count) + " members, from 0";
            }
        }
        return std::nullopt;
    };
    return {
        SymbolsProperty(membersKey, shape, kMaxStackMembers, membersMeaning, members, setMembers),
        std::move(hiddenRow),
    };
}

Property BoxTextsProperty(std::string_view key, size_t maxCount, std::string_view meaning,
                          TypedGet<std::vector<BoxText>> get, TypedSet<const std::vector<BoxText>&> set) {
    Property p = Row(key, ValueType::BoxTexts, std::vector<BoxText>{}, meaning);
    p.maxCount = maxCount;
    p.get = Wrap(std::move(get));
    p.set = Unwrap<std::vector<BoxText>>(std::move(set));
    return p;
}

Property SymbolsProperty(std::string_view key, std::optional<Shape> shape, size_t maxCount,
                         std::string_view meaning, TypedGet<MemberList> get,
                         TypedSet<const MemberList&> set) {
    Property p = Row(key, ValueType::Symbols, MemberList{}, meaning);
    p.memberShape = shape;
    p.maxCount = maxCount;
    p.get = Wrap(std::move(get));
    p.set = Unwrap<MemberList>(std::move(set));
    return p;
}

}  // namespace symbolhost::document
