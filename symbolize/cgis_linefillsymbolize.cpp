#include "symbolize/cgis_linefillsymbolize.h"

#include <cmath>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/fill.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/fill_clip.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

constexpr int32_t kMinPolygonPoints = 3;
// A rotated layout wider than tall is made square, so the lines still cover the polygon when
// turned back; differences below this are rounding.
constexpr double kSquareTolerance = 0.0001;

// Grows `r` by `d` on every side.
void Grow(Pictor::RectD* r, double d) {
    r->x -= d;
    r->y -= d;
    r->width += 2.0 * d;
    r->height += 2.0 * d;
}

}  // namespace

std::vector<CGIS_LineFillSymbolize::HatchLine> CGIS_LineFillSymbolize::LayOutLines(
    const Pictor::GraphicsPath& polygon, double separation, double angle, bool grow) const {
    std::vector<HatchLine> lines;
    // No spacing (0, negative, not a number) lays out no lines rather than infinitely many.
    if (!(separation > 0.0) || !std::isfinite(separation) || !std::isfinite(angle)) return lines;

    Pictor::RectD b0;
    if (polygon.GetBounds(&b0) != Pictor::Ok || b0.width < 0.0) return lines;
    const double c0x = b0.x + b0.width * 0.5;
    const double c0y = b0.y + b0.height * 0.5;

    CGIS_SymbolMatrix toLayout;
    toLayout.RotateAt(-angle, c0x, c0y, true);
    Pictor::Matrix matrix;
    if (!toLayout.ToPictor(&matrix)) return lines;
    Pictor::GraphicsPath rotated(polygon);
    rotated.Transform(&matrix);
    Pictor::RectD r;
    if (rotated.GetBounds(&r) != Pictor::Ok) return lines;

    if (r.width - r.height > kSquareTolerance) r.height = r.width;
    Grow(&r, separation);
    if (grow) Grow(&r, r.height - r.width > kSquareTolerance ? r.height : r.width);
    const double c1x = r.x + r.width * 0.5;
    const double c1y = r.y + r.height * 0.5;

    const double quotient = r.height / separation;
    if (!(quotient <= kMaxHatchLines)) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_LineFillSymbolize::LayOutLines",
                      "Separation %g gives more than %d hatch lines over %g units: no hatch drawn",
                      separation, kMaxHatchLines, r.height);
        return lines;
    }
    const auto n = static_cast<int32_t>(quotient);

    CGIS_SymbolMatrix back;
    back.RotateAt(angle, c1x, c1y, true);
    lines.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const double y = r.y + i * separation;
        HatchLine line;
        back.TransformPoint(r.x, y, &line.start.x, &line.start.y);
        back.TransformPoint(r.x + r.width, y, &line.end.x, &line.end.y);
        lines.push_back(line);
    }
    return lines;
}

void CGIS_LineFillSymbolize::DrawHatch(IGIS_LineFillSymbol* fill, const SymbolizeInfo* info,
                                       const Pictor::GraphicsPath& clip, bool grow) const {
    IGIS_LineSymbol* hatch = fill->GetHatchLineSymbol();
    const symbolize::SymbolCopy line(hatch ? hatch->Clone() : nullptr);
    if (!line) return;
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return;

    const double separation = symbolize::ValueOr(fill->GetSeparation(), 0.0) * symbolize::SizeScale(info);
    const std::vector<HatchLine> lines =
        LayOutLines(clip, separation, symbolize::ValueOr(fill->GetAngle(), 0.0), grow);
    if (lines.empty()) return;

    const symbolize::FillClip clipped(info->graphics, &clip);
    if (!clipped.IsSet()) return;
    const bool reverse = symbolize::ValueOr(fill->GetReverseLines(), false);
    for (const HatchLine& l : lines) {
        const Pictor::PointD ends[2] = {reverse ? l.end : l.start, reverse ? l.start : l.end};
        const int32_t two = 2;
        service->Symbolize(line.get(), info, ends, &two);
    }
}

void CGIS_LineFillSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                       const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || points == nullptr) return;
    IGIS_LineFillSymbol* fill = symbol->GetLineFillSymbol();
    if (fill == nullptr || count == nullptr || *count < kMinPolygonPoints) return;
    const bool drawn = symbolize::GuardMemory("CGIS_LineFillSymbolize::Symbolize", [&] {
        Pictor::GraphicsPath polygon;
        polygon.AddPolygon(points, *count);
        DrawHatch(fill, info, polygon, true);
    });
    if (!drawn) return;
    const bool clockwise = fill->IsOutlineClockwise();
    outline_.DrawOutline(symbol, info, points, count, &clockwise);
}

void CGIS_LineFillSymbolize::SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                           const Pictor::GraphicsPath* path) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || path == nullptr) return;
    IGIS_LineFillSymbol* fill = symbol->GetLineFillSymbol();
    if (fill == nullptr) return;
    if (!symbolize::GuardMemory("CGIS_LineFillSymbolize::SymbolizePath",
                                [&] { DrawHatch(fill, info, *path, false); })) {
        return;
    }
    outline_.DrawOutlinePath(symbol, info, path);
}
