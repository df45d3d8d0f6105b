#include "symbolize/cgis_cartographiclinesymbolize.h"

#include <cmath>
#include <new>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/line.h"
#include "symbolize/line_geometry.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"

namespace {

using Pictor::PointD;
using symbolize::kLineTolerance;

constexpr const char* kFunction = "CGIS_CartographicLineSymbolize::Symbolize";

// A corner whose half-turn has a cosine this small turns the line back on itself: its mitre
// would be endless.
constexpr double kReversalCosine = 0.0001;

// A template longer than the pen can dash is refused in both modes, so that a symbol draws the
// same whichever mode it picks.
constexpr int32_t kMaxDashTemplate = Pictor::kMaxDashPatternLength;

constexpr uint32_t kOpaque = 255;

template <typename T>
T ValueOr(const T* value, T fallback) {
    return value ? *value : fallback;
}

double SizeFactor(const SymbolizeInfo* info) { return info->sizeRatio * info->scale; }

// Unit normal: direction a turned by +90 degrees.
PointD Normal(double a) { return PointD(-std::sin(a), std::cos(a)); }

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
        !std::isfinite(SizeFactor(info))) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Input Error");
        return;
    }
    try {
        std::vector<PointD> work(points, points + *count);

        const double excursion = ValueOr(line->GetExcursion(), 0.0);
        if (!(std::abs(excursion) < kLineTolerance)) {
            // A negative (or unreadable) excursion names no place to start: nothing is drawn.
            if (!(excursion > kLineTolerance)) return;
            if (!TrimLineStart(info, excursion, &work)) {
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
        } else if (!IsUsableTemplate(info, dashes)) {
            SYMBOLIZE_LOG(LogLevelError, kFunction, "DashArray Error");
        } else if (ValueOr(line->GetDrawDashesSeparately(), false)) {
            DrawSeparateDashes(line, info, work, dashes);
        } else {
            DrawPattern(line, info, work, dashes, isClosed);
        }
    } catch (const std::bad_alloc&) {
        SYMBOLIZE_LOG(LogLevelError, kFunction, "Out Of Memory");
    }
}

uint32_t CGIS_CartographicLineSymbolize::LineColour(const SymbolizeInfo* info, uint32_t colour,
                                                    int32_t transparency) {
    // The override colour is drawn opaque; the symbol's transparency is not read for it.
    if (info->overrideColor) {
        return symbolize::WithAlpha(kOpaque, symbolize::MapSymbolColour(info->colorTable, info->color));
    }
    return symbolize::WithAlpha(symbolize::TruncatedAlpha(transparency),
                                symbolize::MapSymbolColour(info->colorTable, colour));
}

bool CGIS_CartographicLineSymbolize::TrimLineStart(const SymbolizeInfo* info, double excursion,
                                                   std::vector<Pictor::PointD>* line) {
    const size_t n = line->size();
    if (n < 2) return false;
    std::vector<PointD>& p = *line;
    double rest = excursion * SizeFactor(info);
    // Walks each segment at most once: bounded by the point count.
    size_t j = 0;
    while (rest > kLineTolerance) {
        const double length = symbolize::Distance(p[j], p[j + 1]);
        if (rest < length - kLineTolerance) break;  // the new start lies on segment j
        rest -= length;
        ++j;
        if (j == n - 1) return false;  // every segment is used up
    }
    p[j] = symbolize::Advance(p[j], symbolize::Direction(p[j], p[j + 1]), rest);
    p.erase(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(j));
    return true;
}

void CGIS_CartographicLineSymbolize::BuildOffsetLines(const std::vector<Pictor::PointD>& points, double d,
                                                      std::vector<Pictor::PointD>* plus,
                                                      std::vector<Pictor::PointD>* minus) {
    const size_t n = points.size();
    plus->resize(n);
    minus->resize(n);
    if (n < 2) return;
    auto place = [&](size_t i, const PointD& shift) {
        (*plus)[i] = PointD(points[i].x + shift.x, points[i].y + shift.y);
        (*minus)[i] = PointD(points[i].x - shift.x, points[i].y - shift.y);
    };
    double before = symbolize::Direction(points[0], points[1]);
    const PointD first = Normal(before);
    place(0, PointD(d * first.x, d * first.y));
    for (size_t i = 1; i + 1 < n; ++i) {
        const double after = symbolize::Direction(points[i], points[i + 1]);
        const double c = std::cos((before - after) / 2.0);
        if (std::abs(c) < kReversalCosine) {
            (*plus)[i] = (*plus)[i - 1];
            (*minus)[i] = (*minus)[i - 1];
        } else {
            // The mitre point: on both neighbouring offset segments, d / c from the vertex along
            // the bisecting normal.
            const PointD bisector = Normal((before + after) / 2.0);
            place(i, PointD(d / c * bisector.x, d / c * bisector.y));
        }
        before = after;
    }
    const PointD last = Normal(before);
    place(n - 1, PointD(d * last.x, d * last.y));
}

bool CGIS_CartographicLineSymbolize::IsUsableTemplate(const SymbolizeInfo* info, const DashTemplate& dashes) {
    if (dashes.count > kMaxDashTemplate) return false;
    double period = 0.0;
    for (int32_t i = 0; i < dashes.count; ++i) {
        const double v = dashes.values[i];
        if (!std::isfinite(v) || v < 0.0) return false;
        period += v;
    }
    // A period of nothing would never move along the line.
    return period * SizeFactor(info) > kLineTolerance;
}

Pictor::Pen CGIS_CartographicLineSymbolize::MakePen(const IGIS_CartographicLineSymbol* line,
                                                    const SymbolizeInfo* info) {
    Pictor::Pen pen(Pictor::Color(LineColour(info, line->GetColor(), line->GetTransparency())),
                    line->GetWidth() * SizeFactor(info));
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
        const double distance = std::abs(offset) * SizeFactor(info);
        BuildOffsetLines(work, info->yUp ? distance : -distance, &plus, &minus);
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
                                  : dashes.values[i] * SizeFactor(info);
    }
    pen.SetDashStyle(Pictor::DashStyleCustom);
    // An entry the pen refuses (a zero-length dash or gap) leaves the line solid.
    pen.SetDashPattern(pattern.data(), dashes.count);
    info->graphics->DrawPath(&pen, &path, 0);
}
