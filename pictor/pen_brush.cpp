// Pens and brushes: parameter checking and the colour rules shared by every canvas.
#include <algorithm>
#include <cmath>

#include "contracts/pictor/brush.h"
#include "contracts/pictor/pen.h"

namespace Pictor {
namespace {

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

Pen::Pen(const Color& color, double width) : color_(color) {
    if (SetWidth(width) != Ok) {
        width_ = 0.0;
        valid_ = false;
    }
}

Status Pen::SetWidth(double width) {
    if (!Finite(width) || width < 0.0) return InvalidParameter;
    width_ = width;
    valid_ = true;
    return Ok;
}

Status Pen::SetDashStyle(int style) {
    if (style < DashStyleSolid || style > DashStyleCustom) return InvalidParameter;
    dashStyle_ = style;
    return Ok;
}

Status Pen::SetDashPattern(const double* lengths, int count) {
    if (lengths == nullptr || count < 1 || count > kMaxDashPatternLength) return InvalidParameter;
    for (int i = 0; i < count; ++i) {
        if (!Finite(lengths[i]) || lengths[i] <= 0.0) return InvalidParameter;
    }
    dashPattern_.assign(lengths, lengths + count);
    dashStyle_ = DashStyleCustom;
    return Ok;
}

std::vector<double> Pen::GetEffectiveDashPattern() const {
    switch (dashStyle_) {
        case DashStyleSolid:
            return {};
        case DashStyleDash:
            return {3, 1};
        case DashStyleDot:
            return {1, 1};
        case DashStyleDashDot:
            return {3, 1, 1, 1};
        case DashStyleDashDotDot:
            return {3, 1, 1, 1, 1, 1};
        case DashStyleCustom:
            return dashPattern_;
    }
    return {};
}

Status Pen::SetLineJoin(int join) {
    if (join < LineJoinMiter || join > LineJoinMiterClipped) return InvalidParameter;
    lineJoin_ = join;
    return Ok;
}

Status Pen::SetLineCap(int cap) {
    if (cap < LineCapFlat || cap > LineCapTriangle) return InvalidParameter;
    lineCap_ = cap;
    return Ok;
}

Status Pen::SetMiterLimit(double limit) {
    if (!Finite(limit) || limit < 1.0) return InvalidParameter;
    miterLimit_ = limit;
    return Ok;
}

HatchBrush::HatchBrush(int style, const Color& fore, const Color& back) : style_(style), fore_(fore), back_(back) {
    if (style < HatchStyleHorizontal || style > HatchStyleDiagonalCross) status_ = InvalidParameter;
}

bool HatchBrush::IsForePixel(int style, int x, int y) {
    x &= 7;
    y &= 7;
    switch (style) {
        case HatchStyleHorizontal:
            return y == 0;
        case HatchStyleVertical:
            return x == 0;
        case HatchStyleForwardDiagonal:
            return x == y;
        case HatchStyleBackwardDiagonal:
            return x + y == 7;
        case HatchStyleCross:
            return x == 0 || y == 0;
        case HatchStyleDiagonalCross:
            return x == y || x + y == 7;
        default:  // styles come from symbols: an unknown one draws no lines
            return false;
    }
}

LinearGradientBrush::LinearGradientBrush(const RectD& rect, const Color& c1, const Color& c2, int mode)
    : rect_(rect), c1_(c1), c2_(c2), mode_(mode) {
    const bool finite = Finite(rect.x) && Finite(rect.y) && Finite(rect.width) && Finite(rect.height);
    const bool alongX = mode == LinearGradientModeHorizontal || mode == LinearGradientModeHorizontalAlt;
    const bool alongY = mode == LinearGradientModeVertical;
    const bool diagonal = mode == LinearGradientModeForwardDiagonal || mode == LinearGradientModeBackwardDiagonal;
    // The axis needs a length: a zero-width rectangle has no direction for the colours to run.
    const bool hasLength = (alongX && rect.width > 0) || (alongY && rect.height > 0) ||
                           (diagonal && rect.width > 0 && rect.height > 0);
    if (!finite || !hasLength) status_ = InvalidParameter;
}

void LinearGradientBrush::GetAxis(PointD* start, PointD* end) const {
    const double x = rect_.x, y = rect_.y, w = rect_.width, h = rect_.height;
    switch (mode_) {
        case LinearGradientModeVertical:
            *start = {x, y};
            *end = {x, y + h};
            return;
        case LinearGradientModeForwardDiagonal:
        case LinearGradientModeBackwardDiagonal: {
            // The axis is chosen so that the two other corners share the middle colour.
            const double t = 2.0 * w * h / (w * w + h * h);
            if (mode_ == LinearGradientModeForwardDiagonal) {
                *start = {x, y};
                *end = {x + h * t, y + w * t};
            } else {
                *start = {x + w, y};
                *end = {x + w - h * t, y + w * t};
            }
            return;
        }
        default:
            *start = {x, y};
            *end = {x + w, y};
            return;
    }
}

Status LinearGradientBrush::SetBlend(const double* factors, const double* positions, int count) {
    if (factors == nullptr || positions == nullptr || count < 2 || count > kMaxBlendCount) return InvalidParameter;
    // End positions must sit at the rectangle's edges; this much slack absorbs rounding in tables
    // written as decimals.
    constexpr double kEndTolerance = 1e-4;
    if (std::fabs(positions[0]) > kEndTolerance || std::fabs(positions[count - 1] - 1.0) > kEndTolerance) {
        return InvalidParameter;
    }
    for (int i = 0; i < count; ++i) {
        if (!Finite(factors[i]) || !Finite(positions[i]) || factors[i] < 0.0 || factors[i] > 1.0) return InvalidParameter;
        if (i > 0 && positions[i] < positions[i - 1]) return InvalidParameter;
    }
    factors_.assign(factors, factors + count);
    positions_.assign(positions, positions + count);
    positions_.front() = 0.0;
    positions_.back() = 1.0;
    return Ok;
}

double LinearGradientBrush::FactorAt(double p) const {
    p = std::clamp(p, 0.0, 1.0);
    for (size_t i = 1; i < positions_.size(); ++i) {
        if (p <= positions_[i]) {
            const double span = positions_[i] - positions_[i - 1];
            if (span <= 0.0) return factors_[i];
            const double t = (p - positions_[i - 1]) / span;
            return factors_[i - 1] + t * (factors_[i] - factors_[i - 1]);
        }
    }
    return factors_.back();
}

Status LinearGradientBrush::TranslateTransform(double dx, double dy, int order) {
    return transform_.Translate(dx, dy, order);
}

Status LinearGradientBrush::ScaleTransform(double sx, double sy, int order) {
    if (sx == 0.0 || sy == 0.0) return InvalidParameter;  // a flattened gradient has no colours to show
    return transform_.Scale(sx, sy, order);
}

Status LinearGradientBrush::RotateTransform(double degrees, int order) { return transform_.Rotate(degrees, order); }

Status LinearGradientBrush::SetTransform(const Matrix* matrix) {
    if (matrix == nullptr || !matrix->IsInvertible()) return InvalidParameter;
    transform_ = *matrix;
    return Ok;
}

TextureBrush::TextureBrush(const Image* image, int wrapMode) : wrap_(wrapMode) {
    if (image != nullptr) image_ = *image;
    if (image == nullptr || image->GetWidth() < 1 || image->GetHeight() < 1 ||
        (wrapMode != WrapModeTile && wrapMode != WrapModeClamp)) {
        status_ = InvalidParameter;
    }
}

}  // namespace Pictor
