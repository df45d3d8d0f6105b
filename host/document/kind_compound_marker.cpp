// "compoundMarker": member markers stacked in a design box of their own, the box stretched to the
// marker's size and its anchor put on the point.
#include <algorithm>
#include <cstdint>

#include "contracts/symbol/limits.h"
#include "contracts/symbol/marker.h"
#include "host/document/kind.h"
#include "host/marker_symbols.h"

namespace symbolhost::document {
namespace {

// What a new compound marker has: a 10 mm stack over a 10 mm box centred on the anchor.
constexpr double kStackSize = 10.0;
constexpr double kHalfBox = kStackSize / 2.0;
constexpr Range kDesign{-1000.0, 1000.0, "mm"};

IGIS_CompoundMarkerSymbol& View(IGIS_Symbol& s) { return *s.GetCompoundMarkerSymbol(); }
CompoundMarkerSymbol& Edit(IGIS_Symbol& s) { return static_cast<CompoundMarkerSymbol&>(s); }

MemberStack Markers() {
    return {
        [](IGIS_Symbol& s) { return View(s).GetMarkerCount(); },
        [](IGIS_Symbol& s, int32_t i) -> IGIS_Symbol* { return View(s).GetMarker(&i); },
        [](IGIS_Symbol& s, int32_t i) { return View(s).IsMarkerVisible(&i); },
        [](IGIS_Symbol& s, IGIS_Symbol* copy) { Edit(s).AddMarker(copy); },
        [](IGIS_Symbol& s, int32_t i) { Edit(s).SetMarkerVisible(i, false); },
    };
}

std::vector<double> Anchor(IGIS_Symbol& s) {
    double x = 0.0;
    double y = 0.0;
    View(s).GetAnchorPoint(&x, &y);
    return {x, y};
}

// Fewer numbers than needed keep the defaults for the rest.
void SetAnchor(IGIS_Symbol& s, const std::vector<double>& v) {
    Edit(s).SetAnchorPoint(!v.empty() ? v[0] : 0.0, v.size() > 1 ? v[1] : 0.0);
}

std::vector<double> Extent(IGIS_Symbol& s) {
    std::vector<double> e(4);
    View(s).GetExtent(e.data());
    return e;
}

void SetExtent(IGIS_Symbol& s, const std::vector<double>& v) {
    const double d[4] = {-kHalfBox, kHalfBox, -kHalfBox, kHalfBox};
    auto at = [&](size_t i) { return i < v.size() ? v[i] : d[i]; };
    Edit(s).SetExtent(at(0), at(1), at(2), at(3));
}

// Members the library looks at when it draws the stack: every member of it, and those of the
// shown stacks inside it at every level. Counting stops once past the limit, so a wide stack
// nested in itself is not walked member by member.
int64_t MembersLookedAt(IGIS_CompoundMarkerSymbol& stack, int64_t counted) {
    const int32_t n = stack.GetMarkerCount();
    counted += std::max(n, 0);
    for (int32_t i = 0; i < n && counted <= SymbolLimits::kMaxMarkerStackMembers; ++i) {
        IGIS_MarkerSymbol* member = stack.IsMarkerVisible(&i) ? stack.GetMarker(&i) : nullptr;
        if (IGIS_CompoundMarkerSymbol* inner = member ? member->GetCompoundMarkerSymbol() : nullptr) {
            counted = MembersLookedAt(*inner, counted);
        }
    }
    return counted;
}

std::optional<Fault> CheckMembers(IGIS_Symbol& s) {
    if (MembersLookedAt(View(s), 0) <= SymbolLimits::kMaxMarkerStackMembers) return std::nullopt;
    return Fault{"markers", "at most " + std::to_string(SymbolLimits::kMaxMarkerStackMembers) +
                                " members in all, counting the members of the stacks inside it"};
}

Kind Make() {
    Kind kind;
    kind.name = "compoundMarker";
    kind.type = SymbolTypeCompoundMarker;
    kind.shape = Shape::Marker;
    kind.summary = "a stack of markers of any kind, drawn in order, moved and resized as one";
    kind.make = [] { return SymbolPtr<>(new CompoundMarkerSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetCompoundMarkerSymbol() != nullptr; };
    Property anchor =
        NumbersProperty("anchor", kDesign, 2, "[x, y]: the point of the design box put on the feature point",
                        Anchor, SetAnchor);
    anchor.fallback = std::vector<double>{0.0, 0.0};
    Property extent = NumbersProperty(
        "extent", kDesign, 4,
        "[x1, x2, y1, y2]: the design box members are placed in, stretched to width and height", Extent,
        SetExtent);
    extent.fallback = std::vector<double>{-kHalfBox, kHalfBox, -kHalfBox, kHalfBox};
    kind.properties = MemberStackProperties(
        "markers", "hidden", Shape::Marker,
        "the members, names or inline markers, each drawn over the ones before", Markers());
    kind.properties.push_back(std::move(anchor));
    kind.properties.push_back(std::move(extent));
    for (Property& p : MarkerPlacementProperties(kStackSize, 0.0)) kind.properties.push_back(std::move(p));
    kind.check = CheckMembers;
    return kind;
}

}  // namespace

const Kind& CompoundMarkerKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
