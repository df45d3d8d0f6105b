#include "symbolize/cgis_cartographiclinesymbolize.h"

#include <cmath>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/limits.h"
#include "contracts/symbol/line.h"
#include "symbolize/line_geometry.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

using Pictor::PointD;
using symbolize::kLineTolerance;
using symbolize::SizeScale;
using symbolize::ValueOr;

constexpr const char* kFunction = "CGIS_CartographicLineSymbolize::Symbolize";

// A template longer than the pen can dash is refused in both modes, so that a symbol draws the
// same whichever mode it picks.
constexpr int32_t kMaxDashTemplate = SymbolLimits::kMaxDashEntries;

}  // namespace

void CGIS_CartographicLineSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                               const Pictor::PointD* points, const int32_t* count,
                                               const bool* closed) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr || count == nullptr || *count < 2) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Input Error");
        return;
    }
    const IGIS_CartographicLineSymbol* line = symbol->GetCartographicLineSymbol();
    if (line == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "p_cartoline == NULL");
        return;
    }
    if (info->graphics == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "pGraphics==NULL");
        return;
    }
    // Every walk below counts periods and steps from lengths: they must be finite numbers.
    if (!std::isfinite(symbolize::PolylineLength(points, static_cast<size_t>(*count))) ||
        !std::isfinite(SizeScale(info))) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Input Error");
        return;
    }
    symbolize::GuardMemory(kFunction, [&] {
        std::vector<PointD> work(points, points + *count);

        const double excursion = ValueOr(line->GetExcursion(), 0.0);
        if (!(std::abs(excursion) < kLineTolerance)) {
            // A negative (or unreadable) excursion names no place to start: nothing is drawn.
            if (!(excursion > kLineTolerance)) return;
            if (!symbolize::TrimLineStart(excursion * SizeScale(info), &work)) {
                SYMBOLIZE_LOG(LogLevelError, kFunction, "Total length shorter than excursion.");
                return;
            }
        }

        DashTemplate dashes;
        if (!line->GetDashArray(&dashes.values, &dashes.count)) {
            SYMBOLIZE_LOG(LogLevelError, kFunction, "DashArray Error");
            return;
        }
        const bool isClosed = ValueOr(closed, false);
        if (dashes.values == nullptr || dashes.count <= 0) {
            DrawSolid(line, info, work, isClosed);
        } else if (!IsReadableTemplate(dashes)) {
            SYMBOLIZE_LOG(LogLevelError, kFunction, "DashArray Error");
        } else if (!ValueOr(line->GetDrawDashesSeparately(), false)) {
            // A template of zeros reaches the pen, which draws it solid.
            DrawPattern(line, info, work, dashes, isClosed);
        } else if (!(TemplatePeriod(info, dashes) > kLineTolerance)) {
            // Separate dashes walk period by period: a period of nothing would never move on.
            SYMBOLIZE_LOG(LogLevelError, kFunction, "DashArray Error");
        } else {
            DrawSeparateDashes(line, info, work, dashes);
        }
    });
}

bool CGIS_CartographicLineSymbolize::IsReadableTemplate(const DashTemplate& dashes) {
    if (dashes.count > kMaxDashTemplate) return false;
    for (int32_t i = 0; i < dashes.count; ++i) {
        const double v = dashes.values[i];
        if (!std::isfinite(v) || v < 0.0) return false;
    }
    return true;
}

double CGIS_CartographicLineSymbolize::TemplatePeriod(const SymbolizeInfo* info, const DashTemplate& dashes) {
    double period = 0.0;
    for (int32_t i = 0; i < dashes.count; ++i) period += dashes.values[i];
    return period * SizeScale(info);
}

Pictor::Pen CGIS_CartographicLineSymbolize::MakePen(const IGIS_CartographicLineSymbol* line,
                                                    const SymbolizeInfo* info) {
    Pictor::Pen pen(Pictor::Color(symbolize::LineColour(info, line->GetColor(), line->GetTransparency())),
                    line->GetWidth() * SizeScale(info));
    switch (ValueOr<int32_t>(line->GetLineJoin(), -1)) {
        case CartographicJoinMiter:
            pen.SetLineJoin(Pictor::LineJoinMiter);
            break;
        case CartographicJoinRound:
            pen.SetLineJoin(Pictor::LineJoinRound);
            break;
        default:  // codes from the symbol that name no join keep the pen's default
            break;
    }
    const int32_t cap = ValueOr<int32_t>(line->GetLineCap(), -1);
    if (cap == Pictor::LineCapFlat || cap == Pictor::LineCapSquare || cap == Pictor::LineCapRound) {
        pen.SetLineCap(cap);
    }
    return pen;
}

void CGIS_CartographicLineSymbolize::AddDrawnLine(const SymbolizeInfo* info,
                                                  const std::vector<Pictor::PointD>& work, double offset,
                                                  double plusSideAbove, bool closed,
                                                  Pictor::GraphicsPath* path) {
    std::vector<PointD> plus, minus;
    const std::vector<PointD>* drawn = &work;
    if (!(std::abs(offset) < kZeroOffset)) {
        // Negated on a y-down output, so that a positive offset lies to the left of travel as seen.
        const double distance = std::abs(offset) * SizeScale(info);
        symbolize::BuildOffsetLines(work, info->yUp ? distance : -distance, &plus, &minus);
        drawn = offset > plusSideAbove ? &plus : &minus;
    }
    const int n = static_cast<int>(drawn->size());
    if (closed) {
        path->AddPolygon(drawn->data(), n);
    } else {
        path->AddLines(drawn->data(), n);
    }
}

void CGIS_CartographicLineSymbolize::DrawSolid(const IGIS_CartographicLineSymbol* line,
                                               const SymbolizeInfo* info,
                                               const std::vector<Pictor::PointD>& work, bool closed) const {
    Pictor::GraphicsPath path;
    AddDrawnLine(info, work, ValueOr(line->GetOffset(), 0.0), kLineTolerance, closed, &path);
    const Pictor::Pen pen = MakePen(line, info);
    info->graphics->DrawPath(&pen, &path, 0);
}

void CGIS_CartographicLineSymbolize::DrawPattern(const IGIS_CartographicLineSymbol* line,
                                                 const SymbolizeInfo* info,
                                                 const std::vector<Pictor::PointD>& work,
                                                 const DashTemplate& dashes, bool closed) const {
    Pictor::GraphicsPath path;
    AddDrawnLine(info, work, ValueOr(line->GetOffset(), 0.0), kDashedLeftOffset, closed, &path);

    // The pen dashes in multiples of its width. A pen of width zero is a hairline one device
    // pixel wide, so its template is given in drawing units instead.
    Pictor::Pen pen = MakePen(line, info);
    const double width = pen.GetWidth();
    std::vector<double> pattern(static_cast<size_t>(dashes.count));
    for (int32_t i = 0; i < dashes.count; ++i) {
        pattern[i] = width != 0.0 ? dashes.values[i] * info->sizeRatio / width * info->scale
                                  : dashes.values[i] * SizeScale(info);
    }
    pen.SetDashStyle(Pictor::DashStyleCustom);
    // An entry the pen refuses (a zero-length dash or gap) leaves the line solid.
    pen.SetDashPattern(pattern.data(), dashes.count);
    info->graphics->DrawPath(&pen, &path, 0);
}
