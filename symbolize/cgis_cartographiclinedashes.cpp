// The cartographic line's separate-dash mode: every dash of the template is stroked on its own,
// measured along the centre line and, with an offset, moved onto the offset line and clipped to
// it segment by segment.
#include <cmath>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/line.h"
#include "symbolize/cgis_cartographiclinesymbolize.h"
#include "symbolize/line_geometry.h"
#include "symbolize/symbolize_support.h"

namespace {

using Pictor::PointD;

// Each dash is a stroke of its own, 2 to 7 microseconds apiece on a raster canvas: at this many
// a line takes one to four seconds, and a line that densely dashed reads as solid anyway, so it
// is drawn solid (as the pen draws a pattern past the graphics layer's own dash cap).
constexpr double kMaxSeparateDashes = 500'000.0;

// Strokes each piece as it is found with its own line, so every dash gets the pen's caps.
class DashStroker final : public symbolize::PieceSink {
public:
    DashStroker(Pictor::Graphics* graphics, const Pictor::Pen* pen) : graphics_(graphics), pen_(pen) {}
    void Piece(const PointD& from, const PointD& to) override { graphics_->DrawLine(pen_, from, to, 0); }

private:
    Pictor::Graphics* graphics_;
    const Pictor::Pen* pen_;
};

}  // namespace

void CGIS_CartographicLineSymbolize::DrawSeparateDashes(const IGIS_CartographicLineSymbol* line,
                                                        const SymbolizeInfo* info,
                                                        const std::vector<Pictor::PointD>& work,
                                                        const DashTemplate& dashes) const {
    const int32_t pairs = dashes.count / 2;  // an odd last entry lengthens the period only
    if (pairs == 0) return;
    double period = 0.0;
    for (int32_t i = 0; i < dashes.count; ++i) period += dashes.values[i];
    const double k = symbolize::SizeScale(info);
    const double estimate = pairs * symbolize::PolylineLength(work.data(), work.size()) / (period * k);
    if (!(estimate <= kMaxSeparateDashes)) {
        DrawSolid(line, info, work, false);
        return;
    }

    const Pictor::Pen pen = MakePen(line, info);
    const double offset = symbolize::ValueOr(line->GetOffset(), 0.0);
    const bool onCentre = std::abs(offset) < kZeroOffset;
    // Here the distance is negated on a y-up output: with the sides chosen below, a positive
    // offset again lies to the left of travel as seen.
    const double distance = info->yUp ? -std::abs(offset) * k : std::abs(offset) * k;
    const int side = offset > kDashedLeftOffset ? 1 : 0;

    std::vector<PointD> copy, plus, minus;
    DashStroker stroker(info->graphics, &pen);
    double start = 0.0;  // millimetres along the line where the pair's first dash begins
    for (int32_t j = 0; j < pairs; ++j) {
        copy = work;
        // A pair starting beyond the line's end ends the drawing; the pairs before stay drawn.
        if (!symbolize::TrimLineStart(start * k, &copy)) return;
        const double dash = dashes.values[2 * j];
        start += dash + dashes.values[2 * j + 1];

        // One dash per template period: the gap is the rest of the period.
        symbolize::DashWalker walker(dash * info->sizeRatio * info->scale,
                                     (period * info->sizeRatio - dash * info->sizeRatio) * info->scale, &stroker);
        if (onCentre) {
            for (size_t i = 0; i + 1 < copy.size(); ++i) walker.CentreSegment(copy[i], copy[i + 1]);
        } else {
            symbolize::BuildOffsetLines(copy, distance, &plus, &minus);
            const std::vector<PointD>& onto = side == 1 ? minus : plus;
            for (size_t i = 0; i + 1 < copy.size(); ++i) {
                walker.OffsetSegment(copy[i], copy[i + 1], onto[i], onto[i + 1], distance, side);
            }
        }
    }
}
