#include "symbolize/cgis_gradientfillsymbolize.h"

#include <cmath>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/fill.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

constexpr int32_t kMinPolygonPoints = 3;
// The graphics layer's gradient mode whose colours run along the rectangle's x axis.
constexpr int kGradientAlongX = 4;
constexpr int32_t kInvisible = 100;

// The gradient's alpha: its percentage factors are single-precision constants while the products
// are taken in double, so transparency 0 gives 254 and 20 gives 203.
uint32_t GradientAlpha(int32_t transparency) {
    const double v = (100.0 - transparency) * static_cast<double>(0.01f) * static_cast<double>(255.0f);
    return static_cast<uint32_t>(static_cast<int64_t>(std::trunc(v)) & 0xFF);
}

Pictor::PointD Centre(const Pictor::RectD& r) { return {r.x + r.width * 0.5, r.y + r.height * 0.5}; }

}  // namespace

void CGIS_GradientFillSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                           const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || points == nullptr) return;
    const IGIS_GradientFillSymbol* fill = symbol->GetGradientFillSymbol();
    if (fill == nullptr || count == nullptr || *count < kMinPolygonPoints) return;
    symbolize::GuardMemory("CGIS_GradientFillSymbolize::Symbolize", [&] {
        Pictor::GraphicsPath path;
        path.AddPolygon(points, *count);
        FillGradient(fill, info, path);
        // Along the path as it is, whether or not the gradient could be made: only a simple line
        // can follow a path, so the outline of a gradient is a simple line or nothing.
        outline_.DrawOutlinePath(symbol, info, &path);
    });
}

bool CGIS_GradientFillSymbolize::FillGradient(const IGIS_GradientFillSymbol* fill, const SymbolizeInfo* info,
                                              const Pictor::GraphicsPath& path) const {
    const std::unique_ptr<Pictor::LinearGradientBrush> brush = CreateGradientBrush(fill, path);
    if (!brush) return false;
    const double angle = symbolize::ValueOr(fill->GetAngle(), 0.0);
    Pictor::RectD bounds;
    if (path.GetBounds(&bounds) != Pictor::Ok) return false;
    const double k = GetGradientScale(angle, bounds);
    // Bounds without width cannot be stretched across (k infinite or undefined): no gradient.
    if (!std::isfinite(k) || !std::isfinite(angle)) return false;
    const Pictor::PointD c = Centre(bounds);
    // Prepended: a point of the brush is moved to the centre, turned, stretched and moved back.
    brush->TranslateTransform(c.x, c.y, Pictor::MatrixOrderPrepend);
    brush->ScaleTransform(k, 1.0, Pictor::MatrixOrderPrepend);
    brush->RotateTransform(angle, Pictor::MatrixOrderPrepend);
    brush->TranslateTransform(-c.x, -c.y, Pictor::MatrixOrderPrepend);
    return info->graphics->FillPath(brush.get(), &path, 0) == Pictor::Ok;
}

std::unique_ptr<Pictor::LinearGradientBrush> CGIS_GradientFillSymbolize::CreateGradientBrush(
    const IGIS_GradientFillSymbol* fill, const Pictor::GraphicsPath& path) const {
    const int32_t transparency = fill->GetTransparency();
    if (transparency == kInvisible) return nullptr;
    const uint32_t alpha = GradientAlpha(transparency) << 24;
    // The colours are drawn as the symbol gives them: no colour table, no override colour.
    const Pictor::Color first(alpha | symbolize::ValueOr(fill->GetStartColor(), 0u));
    const Pictor::Color second(alpha | symbolize::ValueOr(fill->GetEndColor(), 0u));
    Pictor::RectD bounds;
    if (path.GetBounds(&bounds) != Pictor::Ok) return nullptr;

    const int32_t count = symbolize::ValueOr(fill->GetBlendCount(), 0);
    const double* factors = nullptr;
    const double* positions = nullptr;
    if (!fill->GetBlendFactors(&factors) || !fill->GetBlendPositions(&positions)) return nullptr;
    auto brush = std::make_unique<Pictor::LinearGradientBrush>(bounds, first, second, kGradientAlongX);
    if (brush->SetBlend(factors, positions, count) != Pictor::Ok) {
        SYMBOLIZE_LOG(
            LogLevelError, "CGIS_GradientFillSymbolize::CreateGradientBrush",
            "Blend table of %d entries refused (positions must rise from 0 to 1, factors lie in 0..1)",
            count);
        return nullptr;
    }
    return brush;
}

double CGIS_GradientFillSymbolize::GetGradientScale(double angle, const Pictor::RectD& bounds) const {
    // Both branches turn the rectangle to the same width; the fold keeps the turn within a
    // quarter either way.
    const bool direct = (angle >= 0.0 && angle <= 90.0) || (angle >= 180.0 && angle <= 270.0);
    const double folded = direct ? -angle : 180.0 - angle;
    const float cx = static_cast<float>(bounds.x + bounds.width * 0.5);
    const float cy = static_cast<float>(bounds.y + bounds.height * 0.5);
    Pictor::GraphicsPath box;
    box.AddRectangle(bounds);
    Pictor::Matrix turn;
    turn.Translate(cx, cy, Pictor::MatrixOrderPrepend);
    turn.Rotate(folded, Pictor::MatrixOrderPrepend);
    turn.Translate(-cx, -cy, Pictor::MatrixOrderPrepend);
    box.Transform(&turn);
    Pictor::RectD turned;
    box.GetBounds(&turned);
    return turned.width / bounds.width;
}
