#include "symbolize/cgis_compoundmarkersymbolize.h"

#include <cmath>
#include <memory>

#include "contracts/symbol/marker.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/marker_natural_size.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_log.h"

namespace {

constexpr const char* kSymbolize = "CGIS_CompoundMarkerSymbolize::Symbolize";

// Sizes and extents compare with this margin; -1 is an unset size.
constexpr double kTolerance = 0.0001;
constexpr double kUnsetSize = -1.0;

using symbolize::ValueOr;

// The drawing of the outermost compound marker on this thread: how deep the stacks being drawn
// are nested, how many members may still be drawn, and whether a limit ended it.
struct StackDrawing {
    int depth = 0;
    int membersLeft = 0;
    bool ended = false;
};
thread_local StackDrawing tDrawing;

class NestingLevel {
public:
    NestingLevel() {
        if (tDrawing.depth++ == 0) {
            tDrawing.membersLeft = CGIS_CompoundMarkerSymbolize::kMaxMembersPerStack;
            tDrawing.ended = false;
        }
    }
    ~NestingLevel() { --tDrawing.depth; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
};

// Factor from the design box to the stack's size in one direction. An unset size, or a box empty
// in that direction, keeps the members' own size.
double StackFactor(double size, double extent) {
    if (std::abs(kUnsetSize - size) < kTolerance || std::abs(extent) < kTolerance) return 1.0;
    return size / extent;
}

struct StackFactors {
    double width;
    double height;
};

StackFactors Factors(const IGIS_CompoundMarkerSymbol* marker) {
    double extent[4] = {0.0, 0.0, 0.0, 0.0};
    marker->GetExtent(extent);
    return {StackFactor(ValueOr(marker->GetWidth(), kUnsetSize), std::abs(extent[0] - extent[1])),
            StackFactor(ValueOr(marker->GetHeight(), kUnsetSize), std::abs(extent[2] - extent[3]))};
}

// The size a member draws at when its own size is unset (-1): a library marker's drawing, a
// stack's design box; none for the other kinds.
symbolize::NaturalSize MemberNaturalSize(IGIS_Symbol* member) {
    if (const IGIS_LibMarkerSymbol* lib = member->GetLibMarkerSymbol()) {
        const VectorSymbolResource* resource = symbolize::FindLibMarkerResource(member, lib);
        return resource ? symbolize::NaturalMarkerSize(lib, *resource) : symbolize::NaturalSize{};
    }
    if (const IGIS_CompoundMarkerSymbol* stack = member->GetCompoundMarkerSymbol()) {
        double extent[4] = {0.0, 0.0, 0.0, 0.0};
        stack->GetExtent(extent);
        return {std::abs(extent[0] - extent[1]), std::abs(extent[2] - extent[3])};
    }
    return {};
}

// Member sizes are scaled with the stack. An unset one takes the member's natural size, so that
// it stretches like its siblings; without a natural size it stays unset rather than turning
// negative.
double ScaledSize(const double* size, double natural, double factor) {
    const double value = ValueOr(size, kUnsetSize);
    if (std::abs(kUnsetSize - value) >= kTolerance) return value * factor;
    return natural >= kTolerance ? natural * factor : value;
}

}  // namespace

void CGIS_CompoundMarkerSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                             const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr || count == nullptr || *count != 1) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "Input Error");
        return;
    }
    IGIS_CompoundMarkerSymbol* marker = symbol->GetCompoundMarkerSymbol();
    if (marker == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "IGIS_CompoundMarkerSymbol Pointer Is NuLL");
        return;
    }
    // Inside a stack whose drawing a limit has ended, nothing more is drawn.
    if (tDrawing.depth > 0 && tDrawing.ended) return;
    if (tDrawing.depth >= kMaxNestingDepth) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "CompoundMarkerSymbol nested deeper than %d: not drawn",
                      kMaxNestingDepth);
        tDrawing.ended = true;
        return;
    }
    const NestingLevel level;
    DrawMembers(marker, info, points[0]);
}

void CGIS_CompoundMarkerSymbolize::DrawMembers(IGIS_CompoundMarkerSymbol* marker, const SymbolizeInfo* info,
                                               const Pictor::PointD& point) const {
    const int32_t n = marker->GetMarkerCount();
    if (n <= 0) return;
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return;

    CGIS_SymbolMatrix m;
    GetCompoundTransform(marker, info, &m, point);
    double ax = 0.0;
    double ay = 0.0;
    marker->GetAnchorPoint(&ax, &ay);
    const StackFactors factors = Factors(marker);
    const bool flipY = ValueOr(marker->GetFlipY(), false);
    const bool flipX = ValueOr(marker->GetFlipX(), false);
    const double stackAngle = ValueOr(marker->GetAngle(), 0.0) + info->rotation;

    // The last member is the reference: its offset lands on the anchor, whether it is shown or not.
    // Design space has y growing downwards, like the screen, whatever the target's axis.
    const int32_t last = n - 1;
    const IGIS_MarkerSymbol* reference = marker->GetMarker(&last);
    const double rx = reference ? ValueOr(reference->GetXOffset(), 0.0) : 0.0;
    const double ry = reference ? -ValueOr(reference->GetYOffset(), 0.0) : 0.0;

    // The members' symbolizers add the call's rotation to their own angle; it is already in the
    // stack's angle, so they draw without it.
    SymbolizeInfo memberInfo = *info;
    memberInfo.rotation = 0.0;

    // The count is the host's; GetMarker answers null past the real members, and the budget bounds
    // the loop.
    for (int32_t i = 0; i < n && !tDrawing.ended; ++i) {
        if (tDrawing.membersLeft-- <= 0) {
            SYMBOLIZE_LOG(LogLevelError, kSymbolize, "CompoundMarkerSymbol has more than %d members: stopped",
                          kMaxMembersPerStack);
            tDrawing.ended = true;
            break;
        }
        if (!marker->IsMarkerVisible(&i)) continue;
        const IGIS_MarkerSymbol* member = marker->GetMarker(&i);
        if (member == nullptr) continue;
        const symbolize::SymbolCopy copy(member->Clone());
        IGIS_MarkerSymbol* placed = AsMarkerSymbol(copy.get());
        if (placed == nullptr) continue;

        const double mx = ValueOr(placed->GetXOffset(), 0.0);
        const double my = -ValueOr(placed->GetYOffset(), 0.0);
        Pictor::PointD position;
        m.TransformPoint(mx - rx + ax, my - ry + ay, &position.x, &position.y);

        placed->SetXOffset(0.0);
        placed->SetYOffset(0.0);
        // The natural size is looked up (a resource search) only for a member that asks for it.
        const bool unsetWidth = std::abs(kUnsetSize - ValueOr(placed->GetWidth(), kUnsetSize)) < kTolerance;
        const bool unsetHeight = std::abs(kUnsetSize - ValueOr(placed->GetHeight(), kUnsetSize)) < kTolerance;
        const symbolize::NaturalSize natural =
            unsetWidth || unsetHeight ? MemberNaturalSize(copy.get()) : symbolize::NaturalSize{};
        placed->SetWidth(ScaledSize(placed->GetWidth(), natural.width, factors.width));
        placed->SetHeight(ScaledSize(placed->GetHeight(), natural.height, factors.height));
        if (flipY) placed->SetFlipY(!ValueOr(placed->GetFlipY(), false));
        if (flipX) placed->SetFlipX(!ValueOr(placed->GetFlipX(), false));
        placed->SetAngle(ValueOr(placed->GetAngle(), 0.0) + stackAngle);

        const int32_t one = 1;
        service->Symbolize(placed, &memberInfo, &position, &one);
    }
}

void CGIS_CompoundMarkerSymbolize::GetCompoundTransform(const IGIS_CompoundMarkerSymbol* marker,
                                                        const SymbolizeInfo* info, CGIS_SymbolMatrix* matrix,
                                                        const Pictor::PointD& point) const {
    double ax = 0.0;
    double ay = 0.0;
    marker->GetAnchorPoint(&ax, &ay);
    const StackFactors factors = Factors(marker);
    const double k = symbolize::SizeScale(info);
    const double s = info->scale;

    CGIS_SymbolMatrix& m = *matrix;
    m.Reset();
    m.ScaleAt(factors.width * k, factors.height * k, ax, ay, true);
    if (ValueOr(marker->GetFlipY(), false)) m.FlipYAt(ay);
    if (ValueOr(marker->GetFlipX(), false)) m.FlipX(ax);
    m.RotateAt(ValueOr(marker->GetAngle(), 0.0) + info->rotation, ax, ay, true);
    const double offsetX = s * ValueOr(marker->GetXOffset(), 0.0);
    const double offsetY = s * ValueOr(marker->GetYOffset(), 0.0);
    if (info->yUp) {
        // Design space is mirrored onto the y-up target as a library marker's drawing is: the turn
        // above then shows the same way round, and the anchor lands where the offsets put it.
        m.FlipY();
        m.Translate(point.x - ax + offsetX, point.y + ay - offsetY, true);
    } else {
        m.Translate(point.x - ax + offsetX, point.y - ay - offsetY, true);
    }
}
