// "compoundLine": member symbols drawn one after another along the same points, e.g. a road
// casing under its centre.
#include "host/document/kind.h"
#include "host/line_symbols.h"

namespace symbolhost::document {
namespace {

// A stack of more lines than this is no longer one map symbol.
constexpr size_t kMaxMembers = 64;
constexpr Range kMemberIndex{0.0, static_cast<double>(kMaxMembers - 1), ""};

IGIS_CompoundLineSymbol& View(IGIS_Symbol& s) { return *s.GetCompoundLineSymbol(); }
// Setters only reach symbols this kind's `make` created.
CompoundLineSymbol& Edit(IGIS_Symbol& s) { return static_cast<CompoundLineSymbol&>(s); }

MemberList Members(IGIS_Symbol& s) {
    MemberList members;
    const int32_t count = View(s).GetLineCount();
    for (int32_t i = 0; i < count; ++i) members.push_back(View(s).GetLine(&i));
    return members;
}

// Each member is copied; a new symbol has none, so members join in document order.
void SetMembers(IGIS_Symbol& s, const MemberList& members) {
    for (IGIS_Symbol* member : members) {
        if (member != nullptr) Edit(s).AddLine(member->Clone());
    }
}

std::vector<double> Disabled(IGIS_Symbol& s) {
    std::vector<double> disabled;
    const int32_t count = View(s).GetLineCount();
    for (int32_t i = 0; i < count; ++i) {
        if (!View(s).IsLineEnabled(&i)) disabled.push_back(i);
    }
    return disabled;
}

// Runs after "lines"; indices past the last member are ignored.
void SetDisabled(IGIS_Symbol& s, const std::vector<double>& disabled) {
    const int32_t count = View(s).GetLineCount();
    for (double index : disabled) {
        const auto i = static_cast<int32_t>(index);
        if (i >= 0 && i < count) Edit(s).SetLineEnabled(i, false);
    }
}

Kind Make() {
    Kind kind;
    kind.name = "compoundLine";
    kind.type = SymbolTypeCompoundLine;
    kind.shape = Shape::Line;
    kind.summary = "line symbols of any kind drawn one over another along the same points";
    kind.make = [] { return SymbolPtr<>(new CompoundLineSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetCompoundLineSymbol() != nullptr; };
    kind.properties = {
        SymbolsProperty("lines", Shape::Line, kMaxMembers,
                        "the members, names or inline lines, each drawn over the ones before", Members,
                        SetMembers),
        NumbersProperty("disabled", kMemberIndex, kMaxMembers, "indices of members kept but not drawn",
                        Disabled, SetDisabled),
    };
    return kind;
}

}  // namespace

const Kind& CompoundLineKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
