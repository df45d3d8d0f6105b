// Plain value types of the graphics layer: status codes, points, rectangles and colours.
#pragma once

#include <cstdint>

namespace Pictor {

// Result of most graphics operations. Everything but Ok means nothing was drawn or changed.
enum Status : int {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,  // null argument, NaN or infinite number, value out of range
    OutOfMemory = 3,
    WrongState = 4,        // the object is unusable (failed construction, finished surface)
    FileNotFound = 5,
    UnknownImageFormat = 6,
    FontFamilyNotFound = 7,  // the family is not installed and not mapped by our font configuration
    ValueOverflow = 8,       // a size above a documented cap
    SurfaceError = 9,        // the drawing backend reported a failure
};

template <typename T>
struct point_base {
    T x{};
    T y{};
    constexpr point_base() = default;
    constexpr point_base(T px, T py) : x(px), y(py) {}
    friend constexpr bool operator==(const point_base&, const point_base&) = default;
};

template <typename T>
struct rect_base {
    T x{};
    T y{};
    T width{};
    T height{};
    constexpr rect_base() = default;
    constexpr rect_base(T px, T py, T w, T h) : x(px), y(py), width(w), height(h) {}
    constexpr T GetLeft() const { return x; }
    constexpr T GetTop() const { return y; }
    constexpr T GetRight() const { return x + width; }
    constexpr T GetBottom() const { return y + height; }
    friend constexpr bool operator==(const rect_base&, const rect_base&) = default;
};

using PointD = point_base<double>;
using RectD = rect_base<double>;

// A colour packed as 0xAARRGGBB (straight, not premultiplied alpha).
class Color {
public:
    constexpr Color() = default;  // opaque black
    constexpr Color(uint32_t argb) : argb_(argb) {}  // NOLINT: packed colours convert implicitly
    constexpr Color(const Color&) = default;
    constexpr Color(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
        : argb_((uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | uint32_t{b}) {}
    constexpr Color& operator=(const Color&) = default;

    constexpr uint8_t GetA() const { return static_cast<uint8_t>(argb_ >> 24); }
    constexpr uint8_t GetR() const { return static_cast<uint8_t>(argb_ >> 16); }
    constexpr uint8_t GetG() const { return static_cast<uint8_t>(argb_ >> 8); }
    constexpr uint8_t GetB() const { return static_cast<uint8_t>(argb_); }
    constexpr uint32_t GetValue() const { return argb_; }
    friend constexpr bool operator==(const Color&, const Color&) = default;

private:
    uint32_t argb_ = 0xFF000000u;
};

// Codes the callers pass as bare integers.
enum DashStyle : int { DashStyleSolid = 0, DashStyleDash = 1, DashStyleDot = 2, DashStyleDashDot = 3,
                       DashStyleDashDotDot = 4, DashStyleCustom = 5 };
enum LineCap : int { LineCapFlat = 0, LineCapSquare = 1, LineCapRound = 2, LineCapTriangle = 3 };
enum LineJoin : int { LineJoinMiter = 0, LineJoinBevel = 1, LineJoinRound = 2, LineJoinMiterClipped = 3 };
enum FillMode : int { FillModeAlternate = 0, FillModeWinding = 1 };  // 2 is accepted as winding too
enum MatrixOrder : int { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };
enum HatchStyle : int { HatchStyleHorizontal = 0, HatchStyleVertical = 1, HatchStyleForwardDiagonal = 2,
                        HatchStyleBackwardDiagonal = 3, HatchStyleCross = 4, HatchStyleDiagonalCross = 5 };
enum LinearGradientMode : int { LinearGradientModeHorizontal = 0, LinearGradientModeVertical = 1,
                                LinearGradientModeForwardDiagonal = 2, LinearGradientModeBackwardDiagonal = 3,
                                LinearGradientModeHorizontalAlt = 4 };
enum WrapMode : int { WrapModeTile = 0, WrapModeClamp = 4 };
enum StringAlignment : int { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
enum FontStyle : int { FontStyleRegular = 0, FontStyleBold = 1, FontStyleItalic = 2, FontStyleUnderline = 4,
                       FontStyleStrikeout = 8 };
enum Unit : int { UnitWorld = 2 };  // the em size is given in drawing units
// 0, 2 and 4 antialias; 1 and 3 do not.
enum SmoothingMode : int { SmoothingDefault = 0, SmoothingFast = 1, SmoothingQuality = 2, SmoothingOff = 3,
                           SmoothingAntialias = 4 };

}  // namespace Pictor
