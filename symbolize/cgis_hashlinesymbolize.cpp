#include "symbolize/cgis_hashlinesymbolize.h"

#include <cmath>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/line.h"
#include "symbolize/line_geometry.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

using Pictor::PointD;
using symbolize::kLineTolerance;
using symbolize::ValueOr;

constexpr const char* kFunction = "CGIS_HashLineSymbolize::Symbolize";

// Most strokes one line may have: two path points each, so the path stays near 40 MB and is
// stroked in about two seconds. A line that densely hashed reads as a solid band anyway; past the
// cap nothing is drawn (and the reason is logged) rather than a line cut off part-way.
constexpr double kMaxStrokes = 1'000'000.0;

}  // namespace

void CGIS_HashLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                       const Pictor::PointD* points, const int32_t* count) noexcept {
    if (info == nullptr || symbol == nullptr || points == nullptr || count == nullptr || *count < 2) return;
    const IGIS_HashLineSymbol* hash = symbol->GetHashLineSymbol();
    if (hash == nullptr || info->graphics == nullptr) return;
    const double k = symbolize::SizeScale(info);
    // Stroke counts come from lengths: they must be finite numbers.
    if (!std::isfinite(symbolize::PolylineLength(points, static_cast<size_t>(*count))) || !std::isfinite(k)) {
        return;
    }
    symbolize::GuardMemory(kFunction, [&] {
        std::vector<PointD> work(points, points + *count);
        const double start = ValueOr(hash->GetStartOffset(), 0.0);
        if (!(std::abs(start) < kLineTolerance)) {
            if (!(start > kLineTolerance)) return;  // a negative start names no place to begin
            if (!symbolize::TrimLineStart(start * k, &work)) return;
        }

        const double width = hash->GetWidth() * k;
        // The stroke length is the hash length: the width is the strokes' thickness, as a
        // cartographer sets the two apart (a rail tie is long and thin). A symbol that gives no
        // length gets square strokes, as long as they are thick. A length of zero still lays its
        // strokes: round or square caps show them as dots.
        const double* hashLength = hash->GetHashLength();
        const double length = hashLength ? *hashLength * k : width;
        const double offset = ValueOr(hash->GetOffset(), 0.0) * k * (info->yUp ? -1.0 : 1.0);
        const double interval = ValueOr(hash->GetHashInterval(), 0.0) * k;
        // No interval to step by: nothing to lay.
        if (!(interval > kLineTolerance) || !std::isfinite(length) || !std::isfinite(offset)) return;
        // At most one stroke per interval, plus one at the start of each segment.
        const double estimate =
            symbolize::PolylineLength(work.data(), work.size()) / interval + static_cast<double>(work.size());
        if (!(estimate <= kMaxStrokes)) {
            SYMBOLIZE_LOG(LogLevelError, kFunction, "Hash interval too small for the line: about %.0f strokes",
                          estimate);
            return;
        }

        Pictor::GraphicsPath path;
        // Room for every stroke at once: the path then grows once, not stroke by stroke.
        path.Reserve(2 * static_cast<size_t>(estimate));
        symbolize::PlaceAtInterval(work, interval, [&](const PointD& c, double theta) {
            const symbolize::LinePiece stroke = symbolize::HashStroke(c, theta, offset, length);
            path.AddLine(stroke.from, stroke.to);
            path.StartFigure();  // strokes are never joined
        });

        Pictor::Pen pen(Pictor::Color(symbolize::LineColour(info, hash->GetColor(), hash->GetTransparency())),
                        width);
        const int32_t cap = ValueOr<int32_t>(hash->GetLineCap(), -1);
        if (cap == Pictor::LineCapFlat || cap == Pictor::LineCapSquare || cap == Pictor::LineCapRound) {
            pen.SetLineCap(cap);
        }
        info->graphics->DrawPath(&pen, &path, 0);
    });
}
