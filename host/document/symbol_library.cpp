// The symbol library: keeping named symbols, comparing symbols and writing them back as JSON.
#include <cstdio>
#include <set>
#include <string>
#include <utility>

#include "host/document/document.h"
#include "host/document/property_json.h"

namespace symbolhost::document {
namespace {

// Members nest at most this deep when compared or written. The reader refuses deeper documents
// (kMaxSymbolLevels), so only a symbol built in code can reach it; the cap keeps a corrupt one
// from recursing without end.
constexpr int kMaxMemberDepth = 64;

// Pairs of symbols one comparison has found equal. Compounds share their members, so two equal
// symbols built apart reach the same pair along many paths (64 members five deep: 64^5 paths);
// each pair is compared once. A difference ends the whole comparison, so only equal pairs recur.
using EqualPairs = std::set<std::pair<const IGIS_Symbol*, const IGIS_Symbol*>>;

bool Same(IGIS_Symbol& a, IGIS_Symbol& b, int depth, EqualPairs& equal) {
    if (&a == &b || equal.count({&a, &b}) != 0) return true;
    if (depth > kMaxMemberDepth || a.GetType() != b.GetType()) return false;
    const Kind* kind = FindKindOfType(a.GetType());
    if (kind == nullptr || !kind->hasView(a) || !kind->hasView(b)) return false;
    const MemberComparer members = [depth, &equal](IGIS_Symbol* x, IGIS_Symbol* y) {
        if (x == nullptr || y == nullptr) return x == y;
        return Same(*x, *y, depth + 1, equal);
    };
    for (const Property& p : kind->properties) {
        if (!SameValue(p, p.get(a), p.get(b), members)) return false;
    }
    equal.insert({&a, &b});
    return true;
}

class Writer {
public:
    explicit Writer(const SymbolLibrary& library) : library_(library) {}

    Json Symbol(IGIS_Symbol& symbol, const Kind& kind, int depth) const {
        Json out = Json::object();
        out["kind"] = std::string(kind.name);
        const MemberWriter members = [this, &symbol, depth](IGIS_Symbol& member) {
            return Member(member, symbol, depth + 1);
        };
        for (const Property& p : kind.properties) {
            out[std::string(p.key)] = WriteValue(p, p.get(symbol), members);
        }
        return out;
    }

private:
    // By name when the library holds an equal symbol (other than the owner), otherwise inline.
    Json Member(IGIS_Symbol& member, IGIS_Symbol& owner, int depth) const {
        for (const SymbolLibrary::Entry& e : library_.Entries()) {
            if (e.symbol.get() != &owner && SameSymbol(*e.symbol, member)) return e.name;
        }
        const Kind* kind = FindKindOfType(member.GetType());
        if (kind == nullptr || !kind->hasView(member) || depth > kMaxMemberDepth) return nullptr;
        return Symbol(member, *kind, depth);
    }

    const SymbolLibrary& library_;
};

std::string_view DrawnOn(Shape shape) {
    switch (shape) {
        case Shape::Marker:
            return "points";
        case Shape::Line:
            return "lines and polygon rings";
        case Shape::Fill:
            return "polygons";
        case Shape::Text:
            return "text features";
    }
    return "features";
}

std::string Cell(std::string text) {
    std::string out;
    for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}

}  // namespace

bool SymbolLibrary::Add(std::string name, SymbolPtr<> symbol) {
    if (name.empty() || !symbol || entries_.size() >= kMaxSymbols || index_.count(name) != 0) return false;
    const Kind* kind = FindKindOfType(symbol->GetType());
    if (kind == nullptr || !kind->hasView(*symbol)) return false;
    index_.emplace(name, entries_.size());
    entries_.push_back(Entry{std::move(name), kind, std::move(symbol)});
    return true;
}

const SymbolLibrary::Entry* SymbolLibrary::Find(std::string_view name) const {
    const size_t i = IndexOf(name);
    return i == std::string::npos ? nullptr : &entries_[i];
}

size_t SymbolLibrary::IndexOf(std::string_view name) const {
    const auto it = index_.find(name);
    return it == index_.end() ? std::string::npos : it->second;
}

bool SameSymbol(IGIS_Symbol& a, IGIS_Symbol& b) {
    EqualPairs equal;
    return Same(a, b, 0, equal);
}

std::string WriteSymbols(const SymbolLibrary& library) {
    const Writer writer(library);
    Json symbols = Json::object();
    for (const SymbolLibrary::Entry& e : library.Entries()) {
        symbols[e.name] = writer.Symbol(*e.symbol, *e.kind, 0);
    }
    Json document = Json::object();
    document["symbols"] = std::move(symbols);
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string KindsReference() {
    std::string out;
    for (const Kind* kind : Kinds()) {
        out += "### `" + std::string(kind->name) + "`\n\n";
        out += "Symbol type " + std::to_string(kind->type) + ", drawn on " +
               std::string(DrawnOn(kind->shape)) + ": " + std::string(kind->summary) + ".\n\n";
        out += "| key | value | default | meaning |\n|---|---|---|---|\n";
        for (const Property& p : kind->properties) {
            out += "| `" + std::string(p.key) + "` | " + Cell(DescribeValueType(p)) + " | `" +
                   Cell(DescribeDefault(p)) + "` | " + Cell(std::string(p.meaning)) + " |\n";
        }
        out += "\n";
    }
    out += "### halo object\n\n| key | value | default | meaning |\n|---|---|---|---|\n";
    out += "| `enabled` | true or false | `" + std::string(kHaloDefaults.enabled ? "true" : "false") +
           "` | draw the halo |\n";
    out += "| `size` | number, 0 to " + FormatNumber(kMaxHaloSizeMm) + " mm | `" +
           FormatNumber(kHaloDefaults.size) + "` | added to the line's width on each side |\n";
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06X", static_cast<unsigned>(kHaloDefaults.color));
    out += "| `color` | colour \"#RRGGBB\" | `\"" + std::string(colour) + "\"` | drawn opaque |\n";
    return out;
}

}  // namespace symbolhost::document
