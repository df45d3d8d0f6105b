// Stroking parameters. Widths are in drawing units; width 0 draws the thinnest visible line.
#pragma once

#include <vector>

#include "contracts/pictor/types.h"

namespace Pictor {

// Entries in a custom dash pattern; real patterns have a handful.
inline constexpr int kMaxDashPatternLength = 64;

class Pen {
public:
    Pen(const Color& color, double width = 1.0);  // NOLINT: a colour alone makes a 1-unit pen

    // A negative, NaN or infinite width leaves the pen unusable: drawing with it fails.
    Status SetWidth(double width);
    double GetWidth() const { return width_; }
    void SetColor(const Color& color) { color_ = color; }
    Color GetColor() const { return color_; }

    Status SetDashStyle(int style);  // 0 solid .. 5 custom
    int GetDashStyle() const { return dashStyle_; }
    // Lengths in multiples of the pen width, each finite and above zero; sets style 5.
    Status SetDashPattern(const double* lengths, int count);
    const std::vector<double>& GetDashPattern() const { return dashPattern_; }
    // The on/off lengths, in pen widths, that the current style draws (empty for solid).
    std::vector<double> GetEffectiveDashPattern() const;

    Status SetLineJoin(int join);  // 0 miter, 1 bevel, 2 round, 3 miter clipped
    int GetLineJoin() const { return lineJoin_; }
    Status SetLineCap(int cap);  // both ends: 0 flat, 1 square, 2 round, 3 triangle
    int GetLineCap() const { return lineCap_; }
    Status SetMiterLimit(double limit);
    double GetMiterLimit() const { return miterLimit_; }

    // Ok unless the width given to the constructor was unusable.
    Status GetLastStatus() const { return valid_ ? Ok : InvalidParameter; }
    bool IsValid() const { return valid_; }

private:
    Color color_;
    double width_ = 1.0;
    int dashStyle_ = DashStyleSolid;
    std::vector<double> dashPattern_;
    int lineJoin_ = LineJoinMiter;
    int lineCap_ = LineCapFlat;
    double miterLimit_ = 10.0;
    bool valid_ = true;
};

}  // namespace Pictor
