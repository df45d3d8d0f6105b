#include "symbolize/cgis_filloutline.h"

#include <vector>

#include "contracts/pictor/path.h"
#include "contracts/symbol/fill.h"
#include "symbolize/cgis_simplelinesymbolize.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

// The ring adds two points to the polygon, and the line symbolizer puts it into one path, so
// polygons beyond what a path holds cannot be outlined.
constexpr int32_t kMaxOutlinePoints = Pictor::kMaxPathPoints - 2;

enum RingOrientation : int32_t {
    RingPositiveArea = 0,  // clockwise when y points down
    RingNegativeArea = 1,
    RingNoArea = -1,
};

}  // namespace

void CGIS_FillOutline::DrawOutline(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                   const Pictor::PointD* points, const int32_t* count,
                                   const bool* clockwise) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || points == nullptr ||
        count == nullptr || clockwise == nullptr) {
        return;
    }
    const int32_t n = *count;
    if (n <= 2 || n > kMaxOutlinePoints) return;
    IGIS_FillSymbol* fill = symbol->GetFillSymbol();
    IGIS_LineSymbol* outline = fill ? fill->GetOutlineSymbol() : nullptr;
    if (outline == nullptr) return;

    symbolize::GuardMemory("CGIS_FillOutline::DrawOutline", [&] {
        std::vector<Pictor::PointD> oriented(static_cast<size_t>(n));
        OrientRing(points, oriented.data(), n, *clockwise, info->yUp);

        // Start and end in the middle of the closing edge, so that every corner of the polygon
        // is drawn as a join of the open line.
        const Pictor::PointD middle((oriented[n - 1].x + oriented[0].x) / 2.0,
                                    (oriented[n - 1].y + oriented[0].y) / 2.0);
        std::vector<Pictor::PointD> ring;
        ring.reserve(static_cast<size_t>(n) + 2);
        ring.push_back(middle);
        ring.insert(ring.end(), oriented.begin(), oriented.end());
        ring.push_back(middle);

        IGIS_Symbolize* service = GIS_GetSymbolizeObject();
        if (service == nullptr) return;
        const int32_t ringCount = n + 2;
        service->Symbolize(outline, info, ring.data(), &ringCount);
    });
}

void CGIS_FillOutline::DrawOutlinePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                       const Pictor::GraphicsPath* path) noexcept {
    if (symbol == nullptr) return;
    IGIS_FillSymbol* fill = symbol->GetFillSymbol();
    IGIS_LineSymbol* outline = fill ? fill->GetOutlineSymbol() : nullptr;
    // Only a simple line can follow a path as it is; other line kinds need the points.
    if (outline == nullptr || outline->GetType() != SymbolTypeSimpleLine) return;
    CGIS_SimpleLineSymbolize line;
    line.Symbolize(outline, info, path);
}

void CGIS_FillOutline::OrientRing(const Pictor::PointD* source, Pictor::PointD* target, int32_t count,
                                  bool clockwise, bool yUp) const noexcept {
    if (source == nullptr || target == nullptr || count <= 0) return;
    // A positive area runs clockwise as seen when y points down, anticlockwise when it points up.
    const bool wantPositiveArea = clockwise != yUp;
    bool reverse = false;
    switch (GetOrientation(source, count)) {
        case RingPositiveArea:
            reverse = !wantPositiveArea;
            break;
        case RingNegativeArea:
            reverse = wantPositiveArea;
            break;
        default:  // no area (collinear points): there is no winding to fix, keep the points as given
            break;
    }
    for (int32_t i = 0; i < count; ++i) target[i] = reverse ? source[count - 1 - i] : source[i];
}

int32_t CGIS_FillOutline::GetOrientation(const Pictor::PointD* points, int32_t count) const noexcept {
    if (points == nullptr || count <= 2) return RingNoArea;
    // Twice the signed area, by the shoelace sum over cyclic neighbours.
    double area = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const Pictor::PointD& previous = points[i == 0 ? count - 1 : i - 1];
        const Pictor::PointD& next = points[i == count - 1 ? 0 : i + 1];
        area += points[i].x * (next.y - previous.y);
    }
    if (area > 0.0) return RingPositiveArea;
    if (area < 0.0) return RingNegativeArea;
    return RingNoArea;  // zero, or not a number
}
