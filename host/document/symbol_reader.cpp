#include "host/document/symbol_reader.h"

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
    SymbolReader(const Node& symbols, Reader& reader) : symbols_(symbols), reader_(reader) {}

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
        for (const auto& [name, value] : all.items()) Named(name, symbols_, 0);
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
    };

    // The symbol called `name`, built on first use; `at` is where it is referred to from.
    IGIS_Symbol* Named(const std::string& name, const Node& at, int depth) {
        const auto it = slots_.find(name);
        if (it == slots_.end()) {
            reader_.Fail(at,
                         "expected the name of a symbol in " + symbols_.Path() + ", found " + Quoted(name));
            return nullptr;
        }
        Slot& slot = it->second;
        switch (slot.state) {
            case State::Built:
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
        slot.symbol = Build(slot.node, depth);
        chain_.pop_back();
        slot.state = slot.symbol ? State::Built : State::Failed;
        return slot.symbol.get();
    }

    SymbolPtr<> Build(const Node& node, int depth) {
        if (depth > kMaxReferenceDepth) {
            reader_.Fail(node, "expected member symbols nested at most " +
                                   std::to_string(kMaxReferenceDepth) + " deep");
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
        const MemberReader members = [this, depth](const Node& at, std::optional<Shape> shape) {
            return Member(at, shape, depth + 1);
        };
        for (const Property& p : kind->properties) {
            const std::optional<Node> given = node.Find(p.key);
            if (!given) {
                p.set(*symbol, p.fallback);
                continue;
            }
            const std::optional<Value> value = ReadValue(p, *given, reader_, members);
            if (value) {
                p.set(*symbol, *value);
            } else {
                ok = false;
            }
        }
        if (ok && kind->check) {
            const std::string expected = kind->check(*symbol);
            if (!expected.empty()) {
                reader_.Fail(node, "expected " + expected);
                ok = false;
            }
        }
        return ok ? std::move(symbol) : nullptr;
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
    IGIS_Symbol* Member(const Node& at, std::optional<Shape> shape, int depth) {
        const std::string wanted = shape ? std::string(ShapeName(*shape)) + " symbol" : std::string("symbol");
        IGIS_Symbol* member = nullptr;
        if (at.Value().is_string()) {
            member = Named(at.Value().get<std::string>(), at, depth);
        } else if (at.Value().is_object()) {
            SymbolPtr<> built = Build(at, depth);
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
    std::map<std::string, Slot, std::less<>> slots_;
    std::vector<std::string> chain_;   // names being built, outermost first
    std::vector<SymbolPtr<>> inline_;  // inline members, kept until their owners hold them
};

}  // namespace

void ReadSymbols(const Node& symbols, Reader& reader, SymbolLibrary& library) {
    SymbolReader(symbols, reader).ReadInto(library);
}

}  // namespace symbolhost::document
