// The library marker's colour rules: which colour an element's stroke, fill and symbol-fill area
// take, from the call's override, the symbol's colours, the element's own colours and the
// resource's colour table.
#include <cstdio>
#include <memory>
#include <string_view>

#include "contracts/host.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/cgis_libmarkersymbolize.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_colour.h"

namespace {

using symbolize::ValueOr;

constexpr uint32_t kUnsetColour = 0xFFFFFFFFu;
constexpr uint32_t kOpaque = 255;
// Colour of every colour rule that cannot be answered (no table name, no configuration).
constexpr uint32_t kBlack = 0;
// The table name of resources that store plain 0x00RRGGBB colours. Compared exactly: "rgb" is
// the name of a table file.
constexpr std::string_view kPlainColours = "RGB";
// Longest colour-table path looked up; longer ones cannot name a table the host would keep.
constexpr size_t kMaxTablePath = 1024;

bool IsPrimaryUsage(int32_t usage) {
    return usage == SymbolUsageNormal || usage == SymbolUsageArrow || usage == SymbolUsageHalfArrow ||
           usage == SymbolUsageLeaderLine;
}

bool IsSecondaryUsage(int32_t usage) {
    return usage == SymbolUsageSecondary || usage == SymbolUsageArrowSecondary ||
           usage == SymbolUsageHalfArrowSecondary;
}

// The colour-table name the store gives for a resource.
class TableName {
public:
    explicit TableName(const VectorSymbolResource* resource) {
        // Cleared at both ends rather than whole: a name is looked up for every colour drawn.
        name_[0] = '\0';
        name_[kColorTableNameCapacity - 1] = '\0';
        IGIS_VectorResourceBase* store = GIS_GetVectorResourceBaseObject();
        known_ = store != nullptr && store->GetColorTableName(resource, name_);
        name_[kColorTableNameCapacity - 1] = '\0';
    }
    bool Known() const { return known_; }
    bool IsEmpty() const { return name_[0] == '\0'; }
    bool IsPlain() const { return kPlainColours == name_; }
    const char* Get() const { return name_; }

private:
    char name_[kColorTableNameCapacity];
    bool known_ = false;
};

struct ReleaseTable {
    void operator()(IGIS_SymbolColorTable* table) const { table->Release(); }
};

// A table name is the name of a file in the colortable directory, never a path elsewhere.
bool IsPlainFileName(const char* name) {
    const std::string_view view(name);
    return !view.empty() && view != "." && view != ".." &&
           view.find_first_of("/\\") == std::string_view::npos;
}

}  // namespace

uint32_t CGIS_LibMarkerSymbolize::TableColour(const char* name, uint32_t c) const {
    IGIS_GlobalProperties* properties = GIS_GetGlobalProperties();
    const IGIS_Property* dir = properties ? properties->GetProperty(kPropertyConfigDir) : nullptr;
    if (dir == nullptr || !IsPlainFileName(name)) return kBlack;
    // The table is read anew for every colour: nothing is kept between elements or calls.
    char path[kMaxTablePath];
    const int length = std::snprintf(path, sizeof path, "%s/colortable/%s", dir->GetStringValue(), name);
    if (length < 0 || static_cast<size_t>(length) >= sizeof path) return kBlack;
    const std::unique_ptr<IGIS_SymbolColorTable, ReleaseTable> table(GIS_CreateSymbolColorTablePtr(path));
    // A table file that cannot be read gives black, as a missing configuration does.
    if (!table) return kBlack;
    return symbolize::SwapRedBlue(table->MapColor(c));
}

uint32_t CGIS_LibMarkerSymbolize::ResourceColour(const VectorSymbolResource* resource, uint32_t c,
                                                 bool currentTable) const {
    const TableName name(resource);
    if (!name.Known()) return kBlack;
    if (name.IsEmpty() || name.IsPlain()) return c;
    if (currentTable) {
        // Without a current table the named file still knows the colour.
        if (const IGIS_SymbolColorTable* current = GIS_GetCurrentSymbolColorTablePtr()) {
            return symbolize::SwapRedBlue(current->MapColor(c));
        }
    }
    return TableColour(name.Get(), c);
}

uint32_t CGIS_LibMarkerSymbolize::LineColor(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                            const VectorSymbolResource* resource,
                                            const SymbolElement* element) const {
    if (info->overrideColor) return symbolize::MapSymbolColour(info->colorTable, info->color);
    if (IsPrimaryUsage(element->usage)) {
        if (element->keepOwnLineColor) {
            const TableName name(resource);
            if (!name.Known()) return kBlack;
            if (name.IsPlain()) return element->lineColor;
            if (!name.IsEmpty()) return TableColour(name.Get(), element->lineColor);
        }
        const uint32_t own = libMarker->GetColor();
        if (own != kUnsetColour) return symbolize::MapSymbolColour(info->colorTable, own);
        return ResourceColour(resource, element->lineColor, true);
    }
    if (IsSecondaryUsage(element->usage)) {
        const uint32_t secondary = ValueOr(libMarker->GetSecondaryColor(), kUnsetColour);
        if (secondary != kUnsetColour) return symbolize::MapSymbolColour(info->colorTable, secondary);
        return ResourceColour(resource, element->lineColor, false);
    }
    return kUnsetColour;  // drawn white
}

uint32_t CGIS_LibMarkerSymbolize::LineAlpha(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                            const SymbolElement* element) const {
    static_cast<void>(element);
    if (info->overrideColor) return kOpaque;
    return symbolize::TruncatedAlpha(libMarker->GetTransparency());
}

uint32_t CGIS_LibMarkerSymbolize::FillColor(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                            const VectorSymbolResource* resource,
                                            const SymbolElement* element) const {
    if (info->overrideColor) return symbolize::MapSymbolColour(info->colorTable, info->color);
    const uint32_t own = element->usage == SymbolUsageSecondary
                             ? ValueOr(libMarker->GetSecondaryColor(), kUnsetColour)
                             : libMarker->GetColor();
    if (element->fillFollowsSymbol && own != kUnsetColour) {
        return symbolize::MapSymbolColour(info->colorTable, own);
    }
    return ResourceColour(resource, element->fillColor, false);
}

uint32_t CGIS_LibMarkerSymbolize::UseFillColor(const IGIS_LibMarkerSymbol* libMarker,
                                               const SymbolizeInfo* info,
                                               const VectorSymbolResource* resource,
                                               const SymbolElement* element) const {
    // Symbol-fill areas keep their colour under the override.
    const uint32_t fill = ValueOr(libMarker->GetFillColor(), kUnsetColour);
    if (fill != kUnsetColour) return symbolize::MapSymbolColour(info->colorTable, fill);
    const TableName name(resource);
    if (!name.Known()) return kBlack;
    if (name.IsEmpty()) return symbolize::MapSymbolColour(info->colorTable, kUnsetColour);
    // Without a fill colour the area takes the element's line colour.
    if (name.IsPlain()) return element->lineColor;
    return TableColour(name.Get(), element->lineColor);
}
