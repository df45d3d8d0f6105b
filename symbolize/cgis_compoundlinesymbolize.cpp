#include "symbolize/cgis_compoundlinesymbolize.h"

#include "contracts/symbol/line.h"
#include "symbolize/symbolize_log.h"

namespace {

constexpr const char* kFunction = "CGIS_CompoundLineSymbolize::Symbolize";

// Most members drawn: a real compound line has a handful, and the count comes from the symbol.
constexpr int32_t kMaxMembers = 1024;

// How many compound lines are being drawn on this thread, one inside the other, and whether the
// innermost went past the cap. Once it has, every level stops drawing members, so a compound
// line that holds itself twice or more ends after kMaxNesting levels rather than after
// 2^kMaxNesting calls.
thread_local int tNesting = 0;
thread_local bool tTooDeep = false;

// Counts one level for as long as it lives; leaving the outermost level clears the stop.
class NestingLevel {
public:
    NestingLevel() { ++tNesting; }
    ~NestingLevel() {
        if (--tNesting == 0) tTooDeep = false;
    }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
    bool TooDeep() const { return tNesting > CGIS_CompoundLineSymbolize::kMaxNesting; }
};

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
    if (level.TooDeep()) {
        if (!tTooDeep) {
            SYMBOLIZE_LOG(LogLevelError, kFunction,
                          "Compound line nested deeper than %d levels (does it contain itself?)",
                          kMaxNesting);
        }
        tTooDeep = true;
        return;
    }
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return;
    const int32_t members = compound->GetLineCount();
    for (int32_t i = 0; i < members && i < kMaxMembers && !tTooDeep; ++i) {
        // A member the service refuses is reported there; the others are still drawn.
        if (compound->IsLineEnabled(&i)) service->Symbolize(compound->GetLine(&i), info, points, count);
    }
}
