#include "host/document/property_json.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace symbolhost::document {
namespace {

std::string ColourText(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFFu));
    return text;
}

std::string ChoiceNames(const Property& p) {
    std::string names;
    for (const Choice& c : p.choices) names += (names.empty() ? "\"" : ", \"") + std::string(c.name) + "\"";
    return names;
}

std::string RangeText(const Property& p) {
    std::string text = FormatNumber(p.min) + " to " + FormatNumber(p.max);
    if (!p.unit.empty()) text += " " + std::string(p.unit);
    return text;
}

std::string MemberText(const Property& p) {
    return p.memberShape ? std::string(ShapeName(*p.memberShape)) + " symbol" : std::string("symbol");
}

std::optional<int32_t> ReadChoice(const Property& p, const Node& at, Reader& reader) {
    const Json& v = at.Value();
    if (v.is_string()) {
        for (const Choice& c : p.choices) {
            if (c.name == v.get_ref<const std::string&>()) return c.code;
        }
    } else if (v.is_number_integer()) {
        // A code without a name; a huge unsigned value must not wrap into range.
        const bool fits = v.is_number_unsigned()
                              ? v.get<uint64_t>() <= uint64_t{std::numeric_limits<int32_t>::max()}
                              : v.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                                    v.get<int64_t>() <= std::numeric_limits<int32_t>::max();
        if (fits) return static_cast<int32_t>(v.get<int64_t>());
    }
    reader.Expected(at, "one of " + ChoiceNames(p) + " (or a whole-number code)");
    return std::nullopt;
}

std::optional<std::vector<double>> ReadNumbers(const Property& p, const Node& at, Reader& reader) {
    if (!reader.Array(at, "an array of at most " + std::to_string(p.maxCount) + " numbers", 0, p.maxCount)) {
        return std::nullopt;
    }
    std::vector<double> numbers;
    bool ok = true;
    for (size_t i = 0; i < at.Value().size(); ++i) {
        const auto n = reader.Number(at.At(i), p.min, p.max, p.unit);
        ok = ok && n.has_value();
        if (n) numbers.push_back(*n);
    }
    if (!ok) return std::nullopt;
    return numbers;
}

std::optional<SymbolHalo> ReadHalo(const Node& at, Reader& reader) {
    if (at.Value().is_null()) return SymbolHalo{};
    if (!reader.Object(at, "a halo object {\"size\", \"color\", \"enabled\"} or null",
                       {"enabled", "size", "color"})) {
        return std::nullopt;
    }
    SymbolHalo halo = kHaloDefaults;
    // Every field is read, so that each fault is reported.
    const bool enabled = reader.Member(at, "enabled", halo.enabled, &Reader::Boolean);
    const bool size = reader.Member(at, "size", halo.size, &Reader::Number, 0.0, kMaxHaloSizeMm, "mm");
    const bool colour = reader.Member(at, "color", halo.color, &Reader::Colour, false);
    if (!enabled || !size || !colour) return std::nullopt;
    return halo;
}

std::optional<MemberList> ReadMembers(const Property& p, const Node& at, Reader& reader,
                                      const MemberReader& members) {
    if (!reader.Array(at, "an array of at most " + std::to_string(p.maxCount) + " " + MemberText(p) + "s", 0,
                      p.maxCount)) {
        return std::nullopt;
    }
    MemberList list;
    bool ok = true;
    for (size_t i = 0; i < at.Value().size(); ++i) {
        IGIS_Symbol* member = members(at.At(i), p.memberShape);
        // A member of another type would be left out of the drawing.
        if (member != nullptr && p.memberType && member->GetType() != *p.memberType) {
            const Kind* wanted = FindKindOfType(*p.memberType);
            const Kind* found = FindKindOfType(member->GetType());
            reader.Fail(at.At(i), "expected a " + std::string(wanted ? wanted->name : "other") + " symbol, found a " +
                                      std::string(found ? found->name : "unknown") + " symbol");
            member = nullptr;
        }
        ok = ok && member != nullptr;
        list.push_back(member);
    }
    if (!ok) return std::nullopt;
    return list;
}

// A string that fits a box text's buffer with its terminator.
std::optional<std::string> ReadBoxTextString(const Node& at, Reader& reader) {
    constexpr size_t kLongest = kMarkerTextCapacity - 1;
    if (at.Value().is_string() && at.Value().get_ref<const std::string&>().size() <= kLongest) {
        return at.Value().get<std::string>();
    }
    reader.Expected(at, "a string of at most " + std::to_string(kLongest) + " bytes");
    return std::nullopt;
}

void CopyInto(char (&to)[kMarkerTextCapacity], const std::string& from) {
    const size_t n = std::min(from.size(), static_cast<size_t>(kMarkerTextCapacity - 1));
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

std::optional<std::vector<BoxText>> ReadBoxTexts(const Property& p, const Node& at, Reader& reader) {
    const std::string what = "an array of at most " + std::to_string(p.maxCount) +
                             " box texts {\"text\", \"font\", \"color\", \"shown\"}";
    if (!reader.Array(at, what, 0, p.maxCount)) return std::nullopt;
    std::vector<BoxText> texts(at.Value().size());
    bool ok = true;
    for (size_t i = 0; i < texts.size(); ++i) {
        const Node item = at.At(i);
        if (!reader.Object(item, "a box text {\"text\", \"font\", \"color\", \"shown\"}",
                           {"text", "font", "color", "shown"})) {
            ok = false;
            continue;
        }
        BoxText& t = texts[i];
        CopyInto(t.fontName, kBoxTextFont);
        t.shown = true;
        if (const auto n = item.Find("text")) {
            const auto v = ReadBoxTextString(*n, reader);
            ok = ok && v.has_value();
            if (v) CopyInto(t.text, *v);
        }
        if (const auto n = item.Find("font")) {
            const auto v = ReadBoxTextString(*n, reader);
            ok = ok && v.has_value();
            if (v) CopyInto(t.fontName, *v);
        }
        if (const auto n = item.Find("color")) {
            const auto v = reader.Colour(*n, false);
            ok = ok && v.has_value();
            t.color = v.value_or(0);
        }
        if (const auto n = item.Find("shown")) {
            const auto v = reader.Boolean(*n);
            ok = ok && v.has_value();
            t.shown = v.value_or(true);
        }
    }
    if (!ok) return std::nullopt;
    return texts;
}

bool SameBoxTexts(const std::vector<BoxText>& a, const std::vector<BoxText>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::strcmp(a[i].text, b[i].text) != 0 || std::strcmp(a[i].fontName, b[i].fontName) != 0 ||
            (a[i].color & 0xFFFFFFu) != (b[i].color & 0xFFFFFFu) || a[i].shown != b[i].shown) {
            return false;
        }
    }
    return true;
}

template <typename T>
bool Equal(const Value& a, const Value& b) {
    return std::get<T>(a) == std::get<T>(b);
}

}  // namespace

std::optional<Value> ReadValue(const Property& p, const Node& at, Reader& reader,
                               const MemberReader& members) {
    const auto wrap = [](auto optional) -> std::optional<Value> {
        if (!optional) return std::nullopt;
        return Value(std::move(*optional));
    };
    switch (p.type) {
        case ValueType::Number:
            return wrap(reader.Number(at, p.min, p.max, p.unit));
        case ValueType::Integer:
            return wrap(reader.Integer(at, static_cast<int32_t>(p.min), static_cast<int32_t>(p.max), p.unit));
        case ValueType::Boolean:
            return wrap(reader.Boolean(at));
        case ValueType::Colour: {
            const auto rgb = reader.Colour(at, false);
            if (!rgb) return std::nullopt;
            return Value(Colour{*rgb});
        }
        case ValueType::Choice:
            return wrap(ReadChoice(p, at, reader));
        case ValueType::Numbers:
            return wrap(ReadNumbers(p, at, reader));
        case ValueType::Text:
            if (at.Value().is_string() &&
                at.Value().get_ref<const std::string&>().size() <= kMaxStringLength) {
                return Value(at.Value().get<std::string>());
            }
            reader.Expected(at, "a string of at most " + std::to_string(kMaxStringLength) + " bytes");
            return std::nullopt;
        case ValueType::Halo:
            return wrap(ReadHalo(at, reader));
        case ValueType::Symbol: {
            if (at.Value().is_null()) return Value(static_cast<IGIS_Symbol*>(nullptr));
            IGIS_Symbol* member = members(at, p.memberShape);
            if (member == nullptr) return std::nullopt;
            return Value(member);
        }
        case ValueType::Symbols:
            return wrap(ReadMembers(p, at, reader, members));
        case ValueType::BoxTexts:
            return wrap(ReadBoxTexts(p, at, reader));
    }
    return std::nullopt;
}

Json WriteValue(const Property& p, const Value& value, const MemberWriter& members) {
    switch (p.type) {
        case ValueType::Number:
            return std::get<double>(value);
        case ValueType::Integer:
            return std::get<int32_t>(value);
        case ValueType::Boolean:
            return std::get<bool>(value);
        case ValueType::Colour:
            return ColourText(std::get<Colour>(value).rgb);
        case ValueType::Choice: {
            const int32_t code = std::get<int32_t>(value);
            for (const Choice& c : p.choices) {
                if (c.code == code) return std::string(c.name);
            }
            return code;
        }
        case ValueType::Numbers:
            return std::get<std::vector<double>>(value);
        case ValueType::Text:
            return std::get<std::string>(value);
        case ValueType::Halo: {
            const auto& halo = std::get<SymbolHalo>(value);
            Json out = Json::object();
            out["enabled"] = halo.enabled;
            out["size"] = halo.size;
            out["color"] = ColourText(halo.color);
            return out;
        }
        case ValueType::Symbol: {
            IGIS_Symbol* member = std::get<IGIS_Symbol*>(value);
            return member ? members(*member) : Json(nullptr);
        }
        case ValueType::Symbols: {
            Json out = Json::array();
            for (IGIS_Symbol* member : std::get<MemberList>(value)) {
                out.push_back(member ? members(*member) : Json(nullptr));
            }
            return out;
        }
        case ValueType::BoxTexts: {
            Json out = Json::array();
            for (const BoxText& t : std::get<std::vector<BoxText>>(value)) {
                Json item = Json::object();
                item["text"] = t.text;
                item["font"] = t.fontName;
                item["color"] = ColourText(t.color);
                item["shown"] = t.shown;
                out.push_back(std::move(item));
            }
            return out;
        }
    }
    return nullptr;
}

bool SameValue(const Property& p, const Value& a, const Value& b, const MemberComparer& members) {
    if (a.index() != b.index()) return false;
    switch (p.type) {
        case ValueType::Halo: {
            const auto& x = std::get<SymbolHalo>(a);
            const auto& y = std::get<SymbolHalo>(b);
            return x.enabled == y.enabled && x.size == y.size &&
                   (x.color & 0xFFFFFFu) == (y.color & 0xFFFFFFu);
        }
        case ValueType::Symbol:
            return members(std::get<IGIS_Symbol*>(a), std::get<IGIS_Symbol*>(b));
        case ValueType::Symbols: {
            const auto& x = std::get<MemberList>(a);
            const auto& y = std::get<MemberList>(b);
            if (x.size() != y.size()) return false;
            for (size_t i = 0; i < x.size(); ++i) {
                if (!members(x[i], y[i])) return false;
            }
            return true;
        }
        case ValueType::Number:
            return Equal<double>(a, b);
        case ValueType::Integer:
        case ValueType::Choice:
            return Equal<int32_t>(a, b);
        case ValueType::Boolean:
            return Equal<bool>(a, b);
        case ValueType::Colour:
            return Equal<Colour>(a, b);
        case ValueType::Numbers:
            return Equal<std::vector<double>>(a, b);
        case ValueType::Text:
            return Equal<std::string>(a, b);
        case ValueType::BoxTexts:
            return SameBoxTexts(std::get<std::vector<BoxText>>(a), std::get<std::vector<BoxText>>(b));
    }
    return false;
}

std::string DescribeValueType(const Property& p) {
    switch (p.type) {
        case ValueType::Number:
            return "number, " + RangeText(p);
        case ValueType::Integer:
            return "whole number, " + RangeText(p);
        case ValueType::Boolean:
            return "true or false";
        case ValueType::Colour:
            return "colour \"#RRGGBB\"";
        case ValueType::Choice:
            return ChoiceNames(p);
        case ValueType::Numbers:
            return "array of at most " + std::to_string(p.maxCount) + " numbers, each " + RangeText(p);
        case ValueType::Text:
            return "string";
        case ValueType::Halo:
            return "halo object or null";
        case ValueType::Symbol:
            return MemberText(p) + ": a name, an inline symbol, or null";
        case ValueType::Symbols:
            return "array of at most " + std::to_string(p.maxCount) + " " + MemberText(p) +
                   "s: names or inline symbols";
        case ValueType::BoxTexts:
            return "array of at most " + std::to_string(p.maxCount) +
                   " objects {\"text\", \"font\" (\"" + kBoxTextFont + "\"), \"color\" (\"#000000\"), "
                   "\"shown\" (true)}";
    }
    return {};
}

std::string DescribeDefault(const Property& p) {
    switch (p.type) {
        case ValueType::Halo:
            return "none";
        case ValueType::Symbol:
            return "null";
        case ValueType::Number:
        case ValueType::Integer:
        case ValueType::Boolean:
        case ValueType::Colour:
        case ValueType::Choice:
        case ValueType::Numbers:
        case ValueType::Text:
        case ValueType::Symbols:
        case ValueType::BoxTexts:
            break;
    }
    return WriteValue(p, p.fallback, [](IGIS_Symbol&) { return Json(nullptr); }).dump();
}

}  // namespace symbolhost::document
