#include "symbolize/cgis_compoundfillsymbolize.h"

#include "contracts/symbol/fill.h"
#include "contracts/symbol/limits.h"
#include "symbolize/nesting_level.h"
#include "symbolize/symbolize_log.h"

namespace {

// Most members drawn; the count comes from the symbol.
constexpr int32_t kMaxMembers = SymbolLimits::kMaxCompoundMembers;

using NestingLevel =
    symbolize::NestingLevel<CGIS_CompoundFillSymbolize, CGIS_CompoundFillSymbolize::kMaxNesting>;

// The compound view after the two checks both entries make, or null (reported).
IGIS_CompoundFillSymbol* CompoundView(IGIS_Symbol* symbol, const SymbolizeInfo* info, const void* geometry,
                                      const char* function) {
    if (symbol == nullptr || info == nullptr || geometry == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, function, "Input Error");
        return nullptr;
    }
    IGIS_CompoundFillSymbol* compound = symbol->GetCompoundFillSymbol();
    if (compound == nullptr)
        SYMBOLIZE_LOG(LogLevelError, function, "IGIS_CompoundMarkerSymbol Pointer Is NuLL");
    return compound;
}

// Calls `draw(member)` for each visible member in index order, unless this level is nested too
// deep.
template <typename Draw>
void DrawMembers(IGIS_CompoundFillSymbol* compound, const char* function, Draw&& draw) {
    const NestingLevel level;
    bool firstStop = false;
    if (level.TooDeep(&firstStop)) {
        if (firstStop) {
            SYMBOLIZE_LOG(LogLevelError, function,
                          "Compound fill nested deeper than %d levels (does it contain itself?)",
                          CGIS_CompoundFillSymbolize::kMaxNesting);
        }
        return;
    }
    const int32_t members = compound->GetLayerCount();
    for (int32_t i = 0; i < members && i < kMaxMembers && !NestingLevel::Stopped(); ++i) {
        // Hidden members stay hidden in both entries.
        if (compound->IsLayerVisible(&i)) draw(compound->GetLayer(&i));
    }
}

}  // namespace

void CGIS_CompoundFillSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                           const Pictor::PointD* points, const int32_t* count) noexcept {
    constexpr const char* kFunction = "CGIS_CompoundFillSymbolize::Symbolize";
    IGIS_CompoundFillSymbol* compound = CompoundView(symbol, info, points, kFunction);
    if (compound == nullptr) return;
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return;
    // A member the service refuses is reported there; the others are still drawn.
    DrawMembers(compound, kFunction,
                [&](IGIS_Symbol* member) { service->Symbolize(member, info, points, count); });
}

void CGIS_CompoundFillSymbolize::SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                               const Pictor::GraphicsPath* path) noexcept {
    constexpr const char* kFunction = "CGIS_CompoundFillSymbolize::SymbolizePath";
    IGIS_CompoundFillSymbol* compound = CompoundView(symbol, info, path, kFunction);
    if (compound == nullptr) return;
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const int32_t id = InterfaceIdSymbolizePath;
    auto* paths = service ? static_cast<IGIS_SymbolizePath*>(service->QueryInterface(&id)) : nullptr;
    if (paths == nullptr) return;
    // A member that is not a fill has no path form; the service ignores its null.
    DrawMembers(compound, kFunction, [&](IGIS_Symbol* member) {
        paths->SymbolizePath(member ? member->GetFillSymbol() : nullptr, info, path);
    });
}
