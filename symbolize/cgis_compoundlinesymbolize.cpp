#include "symbolize/cgis_compoundlinesymbolize.h"

#include "contracts/symbol/limits.h"
#include "contracts/symbol/line.h"
#include "symbolize/nesting_level.h"
#include "symbolize/symbolize_log.h"

namespace {

constexpr const char* kFunction = "CGIS_CompoundLineSymbolize::Symbolize";

// Most members drawn; the count comes from the symbol.
constexpr int32_t kMaxMembers = SymbolLimits::kMaxCompoundMembers;

using NestingLevel =
    symbolize::NestingLevel<CGIS_CompoundLineSymbolize, CGIS_CompoundLineSymbolize::kMaxNesting>;

}  // namespace

void CGIS_CompoundLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                           const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Input Error");
        return;
    }
    IGIS_CompoundLineSymbol* compound = symbol->GetCompoundLineSymbol();
    if (compound == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "IGIS_CompoundMarkerSymbol Pointer Is NuLL");
        return;
    }
    const NestingLevel level;
    bool firstStop = false;
    if (level.TooDeep(&firstStop)) {
        if (firstStop) {
            SYMBOLIZE_LOG(LogLevelError, kFunction,
                          "Compound line nested deeper than %d levels (does it contain itself?)",
                          kMaxNesting);
        }
        return;
    }
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return;
    const int32_t members = compound->GetLineCount();
    for (int32_t i = 0; i < members && i < kMaxMembers && !NestingLevel::Stopped(); ++i) {
        // A member the service refuses is reported there; the others are still drawn.
        if (compound->IsLineEnabled(&i)) service->Symbolize(compound->GetLine(&i), info, points, count);
    }
}
