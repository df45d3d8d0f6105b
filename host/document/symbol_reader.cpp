#include "host/document/symbol_reader.h"

#include <algorithm>
#include <map>

#include "host/document/property_json.h"

namespace symbolhost::document {
namespace {

std::string KindNames() {
    std::string names;
    for (const Kind* kind : Kinds()) {
        names += (names.empty() ? "\"" : ", \"") + std::string(kind->name) + "\"";
    }
    return names;
}

std::string Quoted(const std::string& name) { return Describe(Json(name)); }

class SymbolReader {
public:
    SymbolReader(const Node& symbols, Reader& reader, const KnownEntry& known)
        : symbols_(symbols), reader_(reader), known_(known) {}

    void ReadInto(SymbolLibrary& library) {
        const Json& all = symbols_.Value();
        if (!all.is_object()) {
            reader_.Expected(symbols_, "an object of named symbols");
            return;
        }
        if (all.size() > SymbolLibrary::kMaxSymbols) {
            reader_.Expected(symbols_, "at most " + std::to_string(SymbolLibrary::kMaxSymbols) + " symbols");
            return;
        }
        for (const auto& [name, value] : all.items()) {
            slots_.emplace(name,
                           Slot{Node(value, ChildPath(symbols_.Path(), name)), State::Waiting, nullptr});
        }
        int levels = 0;
        for (const auto& [name, value] : all.items()) Named(name, symbols_, 0, &levels);
        for (const auto& [name, value] : all.items()) {
            Slot& slot = slots_.at(name);
            if (slot.symbol) library.Add(name, std::move(slot.symbol));
        }
    }

private:
    enum class State { Waiting, Building, Built, Failed };
    struct Slot {
        Node node;
        State state = State::Waiting;
        SymbolPtr<> symbol;
        int levels = 0;  // of the built symbol, itself included
    };

    // The symbol called `name`, built on first use, and its levels; `at` is where it is referred to
    // from, `depth` the levels above it there.
    IGIS_Symbol* Named(const std::string& name, const Node& at, int depth, int* levels) {
        const auto it = slots_.find(name);
        if (it == slots_.end()) {
            reader_.Fail(at,
                         "expected the name of a symbol in " + symbols_.Path() + ", found " + Quoted(name));
            return nullptr;
        }
        Slot& slot = it->second;
        switch (slot.state) {
            case State::Built:
                // Built before at a shallower place: it must fit under this one too.
                if (depth + slot.levels > kMaxSymbolLevels) {
                    TooDeep(at, depth + slot.levels);
                    return nullptr;
                }
                *levels = slot.levels;
                return slot.symbol.get();
            case State::Failed:
                return nullptr;  // already reported
            case State::Building: {
                std::string cycle;
                bool inCycle = false;
                for (const std::string& n : chain_) {
                    inCycle = inCycle || n == name;
                    if (inCycle) cycle += n + " -> ";
                }
                reader_.Fail(at, "expected references without a cycle, found " + cycle + name);
                return nullptr;
            }
            case State::Waiting:
                break;
        }
        slot.state = State::Building;
        chain_.push_back(name);
        slot.symbol = Build(slot.node, depth, &slot.levels);
        chain_.pop_back();
        slot.state = slot.symbol ? State::Built : State::Failed;
        *levels = slot.levels;
        return slot.symbol.get();
    }

    void TooDeep(const Node& at, int levels) {
        reader_.Fail(at, "expected symbols nested at most " + std::to_string(kMaxSymbolLevels) +
                             " levels deep, the outermost included, found " + std::to_string(levels));
    }

    // Builds the symbol at `node`, `depth` levels below the outermost, and gives its levels.
    SymbolPtr<> Build(const Node& node, int depth, int* levels) {
        // Even a symbol without members would be a level too many here.
        if (depth >= kMaxSymbolLevels) {
            TooDeep(node, depth + 1);
            return nullptr;
        }
        const Kind* kind = KindOf(node);
        if (kind == nullptr) return nullptr;
        std::vector<std::string_view> keys = {"kind"};
        for (const Property& p : kind->properties) keys.push_back(p.key);
        bool ok = reader_.Object(node, "a " + std::string(kind->name) + " symbol", keys);
        SymbolPtr<> symbol = kind->make();
        if (!symbol) {
            reader_.Fail(node, "out of memory");
            return nullptr;
        }
        int memberLevels = 0;
        const MemberReader members = [this, depth, &memberLevels](const Node& at, std::optional<Shape> shape) {
            int levels = 0;
            IGIS_Symbol* member = Member(at, shape, depth + 1, &levels);
            memberLevels = std::max(memberLevels, levels);
            return member;
        };
        for (const Property& p : kind->properties) {
            const std::optional<Node> given = node.Find(p.key);
            if (!given) {
                p.set(*symbol, p.fallback);
                continue;
            }
            std::optional<Value> value = ReadValue(p, *given, reader_, members);
            if (value && p.accepts) {
                if (const std::optional<std::string> expected = p.accepts(*symbol, *value)) {
                    reader_.Fail(*given, "expected " + *expected);
                    value.reset();
                }
            }
            if (value) {
                p.set(*symbol, *value);
            } else {
                ok = false;
            }
        }
        ok = ok && EntriesKnown(*kind, *symbol, node);
        if (ok && kind->check) {
            if (const std::optional<Fault> fault = kind->check(*symbol)) {
                reader_.Fail(node.Find(fault->key).value_or(node), "expected " + fault->expected);
                ok = false;
            }
        }
        *levels = 1 + memberLevels;
        return ok ? std::move(symbol) : nullptr;
    }

    // Every section entry the symbol names is in the document.
    bool EntriesKnown(const Kind& kind, IGIS_Symbol& symbol, const Node& node) {
        bool ok = true;
        for (const Property& p : kind.properties) {
            if (!p.refersTo) continue;
            const int32_t id = std::get<int32_t>(p.get(symbol));
            if (id == p.refersTo->none || (id >= 0 && known_(p.refersTo->section, static_cast<uint32_t>(id)))) {
                continue;
            }
            reader_.Fail(node.Find(p.key).value_or(node),
                         "expected " + EntryText(*p.refersTo) + ", found " + std::to_string(id));
            ok = false;
        }
        return ok;
    }

    static std::string EntryText(const Reference& r) {
        std::string text;
        switch (r.section) {
            case Section::Resources:
                text = "the code of a drawing under \"resources\"";
                break;
            case Section::Images:
                text = "the id of a picture under \"images\"";
                break;
            case Section::FillImages:
                text = "the id of a picture under \"fillImages\"";
                break;
        }
        if (r.none) text += " (or " + std::to_string(*r.none) + " for none)";
        return text;
    }

    const Kind* KindOf(const Node& node) {
        if (!node.Value().is_object() || !node.Value().contains("kind")) {
            reader_.Expected(node, "a symbol object with a \"kind\"");
            return nullptr;
        }
        const Node kindNode = *node.Find("kind");
        const Kind* kind =
            kindNode.Value().is_string() ? FindKind(kindNode.Value().get_ref<const std::string&>()) : nullptr;
        if (kind == nullptr) reader_.Expected(kindNode, "one of the kinds " + KindNames());
        return kind;
    }

    // A member given by name or inline, checked against the shape its owner needs.
    IGIS_Symbol* Member(const Node& at, std::optional<Shape> shape, int depth, int* levels) {
        const std::string wanted = shape ? std::string(ShapeName(*shape)) + " symbol" : std::string("symbol");
        IGIS_Symbol* member = nullptr;
        if (at.Value().is_string()) {
            member = Named(at.Value().get<std::string>(), at, depth, levels);
        } else if (at.Value().is_object()) {
            SymbolPtr<> built = Build(at, depth, levels);
            member = built.get();
            if (built) inline_.push_back(std::move(built));
        } else {
            reader_.Expected(at, "the name of a " + wanted + " or an inline " + wanted);
            return nullptr;
        }
        if (member == nullptr || !shape) return member;
        const Kind* kind = FindKindOfType(member->GetType());
        if (kind != nullptr && kind->shape == *shape) return member;
        const std::string found = at.Value().is_string() ? Quoted(at.Value().get<std::string>()) + ", " : "";
        reader_.Fail(at, "expected a " + wanted + ", found " + found + "a " +
                             std::string(kind ? kind->name : "unknown") + " symbol");
        return nullptr;
    }

    Node symbols_;
    Reader& reader_;
    const KnownEntry& known_;
    std::map<std::string, Slot, std::less<>> slots_;
    std::vector<std::string> chain_;   // names being built, outermost first
    std::vector<SymbolPtr<>> inline_;  // inline members, kept until their owners hold them
};

}  // namespace

void ReadSymbols(const Node& symbols, Reader& reader, SymbolLibrary& library, const KnownEntry& known) {
    SymbolReader(symbols, reader, known).ReadInto(library);
}

}  // namespace symbolhost::document
