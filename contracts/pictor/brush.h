// Brushes: solid, hatch, linear gradient and texture.
#pragma once

#include <memory>
#include <vector>

#include "contracts/pictor/image.h"
#include "contracts/pictor/matrix.h"
#include "contracts/pictor/types.h"

namespace Pictor {

enum class BrushType { Solid, Hatch, LinearGradient, Texture };

class Brush {
public:
    virtual ~Brush() = default;
    virtual BrushType GetType() const = 0;
    virtual std::unique_ptr<Brush> Clone() const = 0;
    // Ok unless construction was given an unusable argument; filling with such a brush fails.
    Status GetLastStatus() const { return status_; }

protected:
    Brush() = default;
    Brush(const Brush&) = default;
    Brush& operator=(const Brush&) = default;
    Status status_ = Ok;
};

class SolidBrush final : public Brush {
public:
    explicit SolidBrush(const Color& color) : color_(color) {}
    BrushType GetType() const override { return BrushType::Solid; }
    std::unique_ptr<Brush> Clone() const override { return std::make_unique<SolidBrush>(*this); }
    Color GetColor() const { return color_; }
    void SetColor(const Color& color) { color_ = color; }

private:
    Color color_;
};

// An 8 x 8 device-pixel cell repeated from the device origin: one-pixel lines in the fore colour
// over the back colour. Styles 0 to 5; any other style makes an unusable brush.
class HatchBrush final : public Brush {
public:
    HatchBrush(int style, const Color& fore, const Color& back);
    BrushType GetType() const override { return BrushType::Hatch; }
    std::unique_ptr<Brush> Clone() const override { return std::make_unique<HatchBrush>(*this); }
    int GetHatchStyle() const { return style_; }
    Color GetForegroundColor() const { return fore_; }
    Color GetBackgroundColor() const { return back_; }
    // Whether the cell pixel (x, y), 0..7 each, is drawn in the fore colour.
    static bool IsForePixel(int style, int x, int y);

private:
    int style_;
    Color fore_;
    Color back_;
};

// Colours run from c1 to c2 across the rectangle (mode 0 and 4 along x, 1 along y, 2 and 3 along
// the diagonals) and repeat outside it. The brush's own transform maps the gradient into drawing
// units before the world transform.
class LinearGradientBrush final : public Brush {
public:
    LinearGradientBrush(const RectD& rect, const Color& c1, const Color& c2, int mode);
    BrushType GetType() const override { return BrushType::LinearGradient; }
    std::unique_ptr<Brush> Clone() const override { return std::make_unique<LinearGradientBrush>(*this); }

    // At relative position p the colour is c1 + f(p) * (c2 - c1), f interpolated from the table.
    // Positions rise from 0 to 1; factors lie in 0..1; 2 <= count <= kMaxBlendCount.
    Status SetBlend(const double* factors, const double* positions, int count);
    Status TranslateTransform(double dx, double dy, int order = MatrixOrderPrepend);
    Status ScaleTransform(double sx, double sy, int order = MatrixOrderPrepend);
    Status RotateTransform(double degrees, int order = MatrixOrderPrepend);
    Status SetTransform(const Matrix* matrix);
    void ResetTransform() { transform_.Reset(); }

    const RectD& GetRectangle() const { return rect_; }
    Color GetColor1() const { return c1_; }
    Color GetColor2() const { return c2_; }
    int GetMode() const { return mode_; }
    const Matrix& GetTransform() const { return transform_; }
    const std::vector<double>& GetBlendFactors() const { return factors_; }
    const std::vector<double>& GetBlendPositions() const { return positions_; }
    // Start and end of the colour axis in brush space (before the brush transform).
    void GetAxis(PointD* start, PointD* end) const;
    // Blend factor at relative position p in 0..1.
    double FactorAt(double p) const;

    static constexpr int kMaxBlendCount = 256;

private:
    RectD rect_;
    Color c1_;
    Color c2_;
    int mode_;
    Matrix transform_;
    std::vector<double> factors_{0.0, 1.0};
    std::vector<double> positions_{0.0, 1.0};
};

// Wrap 0 tiles the image from the world origin; wrap 4 draws it once, scaled to the bounds of
// what is filled. The brush shares the image's pixels.
class TextureBrush final : public Brush {
public:
    TextureBrush(const Image* image, int wrapMode);
    BrushType GetType() const override { return BrushType::Texture; }
    std::unique_ptr<Brush> Clone() const override { return std::make_unique<TextureBrush>(*this); }
    const Image& GetImage() const { return image_; }
    int GetWrapMode() const { return wrap_; }

private:
    Image image_;
    int wrap_;
};

}  // namespace Pictor
