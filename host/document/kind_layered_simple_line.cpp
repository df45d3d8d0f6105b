// "layeredSimpleLine": simple-line layers stroked along one path, bottom first, over one halo.
// A document writes each layer as an inline simple line; a layer keeps its width, style, dashes,
// join, cap, colour and transparency (a layer has no halo or smoothing of its own).
#include <array>
#include <cstddef>

#include "contracts/symbol/limits.h"
#include "host/document/kind.h"
#include "host/line_symbols.h"

namespace symbolhost::document {
namespace {

// More layers than this is no longer one map symbol.
constexpr size_t kMaxLayers = 64;
static_assert(kMaxLayers <= SymbolLimits::kMaxCompoundMembers, "every layer read is drawn");
// The layers a getter hands out are simple lines built for the read; they stay alive for this
// many later reads on the same thread. Readers, the writer and comparison hold at most two
// property values at a time.
constexpr size_t kLiveReads = 8;

IGIS_LayeredSimpleLineSymbol& View(IGIS_Symbol& s) { return *s.GetLayeredSimpleLineSymbol(); }
// Setters only reach symbols this kind's `make` created.
LayeredSimpleLineSymbol& Edit(IGIS_Symbol& s) { return static_cast<LayeredSimpleLineSymbol&>(s); }
using Rows = SharedRows<View, LayeredSimpleLineSymbol>;

SymbolPtr<> LayerAsLine(const SimpleLineLayer& layer) {
    auto* line = new SimpleLineSymbol;
    line->SetWidth(layer.width);
    line->SetLineStyle(layer.style);
    if (layer.pattern != nullptr && layer.patternCount > 0) {
        line->SetDashPattern(std::vector<double>(layer.pattern, layer.pattern + layer.patternCount));
    }
    line->SetLineJoin(layer.join);
    line->SetLineCap(layer.cap);
    line->SetColor(layer.color);
    line->SetTransparency(layer.transparency);
    return SymbolPtr<>(line);
}

MemberList Layers(IGIS_Symbol& s) {
    thread_local std::array<std::vector<SymbolPtr<>>, kLiveReads> live;
    thread_local size_t next = 0;
    std::vector<SymbolPtr<>>& lines = live[next];
    next = (next + 1) % kLiveReads;
    lines.clear();
    MemberList members;
    const int32_t count = View(s).GetLayerCount();
    for (int32_t i = 0; i < count; ++i) {
        const SimpleLineLayer* layer = View(s).GetLayer(&i);
        if (layer == nullptr) continue;
        lines.push_back(LayerAsLine(*layer));
        members.push_back(lines.back().get());
    }
    return members;
}

// Members that are not simple lines have no layer to give and are left out.
void SetLayers(IGIS_Symbol& s, const MemberList& members) {
    std::vector<LineLayer> layers;
    for (IGIS_Symbol* member : members) {
        IGIS_SimpleLineSymbol* line = member != nullptr ? member->GetSimpleLineSymbol() : nullptr;
        if (line == nullptr) continue;
        LineLayer layer;
        layer.width = line->GetWidth();
        layer.style = *line->GetLineStyle();
        double* pattern = nullptr;
        int32_t count = 0;
        line->GetDashPattern(&pattern, &count);
        if (pattern != nullptr) layer.pattern.assign(pattern, pattern + count);
        delete[] pattern;
        layer.join = *line->GetLineJoin();
        layer.cap = *line->GetLineCap();
        layer.color = line->GetColor();
        layer.transparency = line->GetTransparency();
        layers.push_back(std::move(layer));
    }
    Edit(s).SetLayers(std::move(layers));
}

Kind Make() {
    Kind kind;
    kind.name = "layeredSimpleLine";
    kind.type = SymbolTypeLayeredSimpleLine;
    kind.shape = Shape::Line;
    kind.summary = "simple-line layers stroked along one path, bottom first, over one halo";
    kind.make = [] { return SymbolPtr<>(new LayeredSimpleLineSymbol); };
    kind.hasView = [](IGIS_Symbol& s) { return s.GetLayeredSimpleLineSymbol() != nullptr; };
    Property layers = SymbolsProperty("layers", Shape::Line, kMaxLayers,
                                      "simple lines, names or inline, bottom first; their halo and smoothing are unused",
                                      Layers, SetLayers);
    layers.memberType = SymbolTypeSimpleLine;
    kind.properties = {
        Rows::Width(1.0, "width of the whole line, which the halo surrounds"),
        Rows::Halo("a glow under all layers, wider than \"width\" by its size on each side"),
        std::move(layers),
    };
    return kind;
}

}  // namespace

const Kind& LayeredSimpleLineKind() {
    static const Kind kind = Make();
    return kind;
}

}  // namespace symbolhost::document
