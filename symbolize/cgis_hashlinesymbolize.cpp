#include "symbolize/cgis_hashlinesymbolize.h"

#include <cmath>
#include <new>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/line.h"
#include "symbolize/cgis_cartographiclinesymbolize.h"
#include "symbolize/line_geometry.h"
#include "symbolize/symbolize_log.h"

namespace {

using Pictor::PointD;
using symbolize::kLineTolerance;

constexpr const char* kFunction = "CGIS_HashLineSymbolize::Symbolize";

// Most strokes one line may have: two path points each, so the path stays near 40 MB and is
// stroked in about two seconds. A line that densely hashed reads as a solid band anyway; past the
// cap nothing is drawn (and the reason is logged) rather than a line cut off part-way.
constexpr double kMaxStrokes = 1'000'000.0;

template <typename T>
T ValueOr(const T* value, T fallback) {
    return value ? *value : fallback;
}

}  // namespace

void CGIS_HashLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                       const Pictor::PointD* points, const int32_t* count) noexcept {
    if (info == nullptr || symbol == nullptr || points == nullptr || count == nullptr || *count < 2) return;
    const IGIS_HashLineSymbol* hash = symbol->GetHashLineSymbol();
    if (hash == nullptr || info->graphics == nullptr) return;
    const double k = info->sizeRatio * info->scale;
    // Stroke counts come from lengths: they must be finite numbers.
    if (!std::isfinite(symbolize::PolylineLength(points, static_cast<size_t>(*count))) || !std::isfinite(k)) {
        return;
    }
    try {
        std::vector<PointD> work(points, points + *count);
        const double start = ValueOr(hash->GetStartOffset(), 0.0);
        if (!(std::abs(start) < kLineTolerance)) {
            if (!(start > kLineTolerance)) return;  // a negative start names no place to begin
            if (!CGIS_CartographicLineSymbolize::TrimLineStart(info, start, &work)) return;
        }

        Strokes strokes;
        const double width = hash->GetWidth() * k;
        // The stroke length is the hash length: the width is the strokes' thickness, as a
        // cartographer sets the two apart (a rail tie is long and thin). A symbol that gives no
        // length gets square strokes, as long as they are thick.
        const double* length = hash->GetHashLength();
        strokes.length = length ? *length * k : width;
        strokes.offset = ValueOr(hash->GetOffset(), 0.0) * k * (info->yUp ? -1.0 : 1.0);
        strokes.interval = ValueOr(hash->GetHashInterval(), 0.0) * k;
        if (!(strokes.interval > kLineTolerance)) {
            SYMBOLIZE_LOG(LogLevelError, kFunction, "Unusable hash interval %g mm",
                          ValueOr(hash->GetHashInterval(), 0.0));
            return;
        }
        // At most one stroke per interval, plus one at the start of each segment.
        const double estimate = symbolize::PolylineLength(work.data(), work.size()) / strokes.interval +
                                static_cast<double>(work.size());
        if (!(estimate <= kMaxStrokes)) {
            SYMBOLIZE_LOG(LogLevelError, kFunction,
                          "Hash interval too small for the line: about %.0f strokes", estimate);
            return;
        }
        if (!(strokes.length > 0.0) || !std::isfinite(strokes.offset)) return;  // no stroke to see

        Pictor::GraphicsPath path;
        // Room for every stroke at once: the path then grows once, not stroke by stroke.
        path.Reserve(2 * static_cast<size_t>(estimate));
        double carry = 0.0;
        for (size_t i = 0; i + 1 < work.size(); ++i) {
            AddSegmentStrokes(work[i], work[i + 1], strokes, &carry, &path);
        }

        Pictor::Pen pen(Pictor::Color(CGIS_CartographicLineSymbolize::LineColour(info, hash->GetColor(),
                                                                                 hash->GetTransparency())),
                        width);
        const int32_t cap = ValueOr<int32_t>(hash->GetLineCap(), -1);
        if (cap == Pictor::LineCapFlat || cap == Pictor::LineCapSquare || cap == Pictor::LineCapRound) {
            pen.SetLineCap(cap);
        }
        info->graphics->DrawPath(&pen, &path, 0);
    } catch (const std::bad_alloc&) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Out Of Memory");
    }
}

void CGIS_HashLineSymbolize::AddSegmentStrokes(Pictor::PointD p, const Pictor::PointD& q,
                                               const Strokes& strokes, double* carry,
                                               Pictor::GraphicsPath* path) const {
    const double theta = symbolize::Direction(p, q);
    if (*carry > 0.0) {
        const double length = symbolize::Distance(p, q);
        if (length <= *carry) {  // no stroke falls on this segment
            *carry -= length;
            return;
        }
        p = symbolize::Advance(p, theta, *carry);
        *carry = 0.0;
    }
    // A repeated vertex ends only this segment's strokes; the next segment carries on.
    if (p == q) return;

    // Across the line: n points to the left of travel as seen on a y-down output.
    const PointD n(std::sin(theta), -std::cos(theta));
    const double near = strokes.offset - strokes.length / 2.0;
    const double far = strokes.offset + strokes.length / 2.0;
    // Bounded by the estimate checked before walking.
    const double count = std::trunc(symbolize::Distance(p, q) / strokes.interval) + 1.0;
    PointD c = p;
    for (double j = 0; j < count; ++j) {
        c = symbolize::Advance(p, theta, j * strokes.interval);
        const PointD a(c.x + near * n.x, c.y + near * n.y);
        const PointD b(c.x + far * n.x, c.y + far * n.y);
        if (strokes.offset < kLineTolerance) {
            path->AddLine(b, a);
        } else {
            path->AddLine(a, b);
        }
        path->StartFigure();  // strokes are never joined
    }
    *carry = symbolize::NearlyEqual(c, q, symbolize::kOnVertexTolerance)
                 ? 0.0  // the next segment starts with a stroke on its first point
                 : strokes.interval - symbolize::Distance(c, q);
}
