// The PNG canvas: AGG rasterizes solid and hatched fills and strokes straight into the pixels that
// a Cairo raster canvas also draws into; whatever AGG is not given goes to that Cairo canvas.
#include "pictor/pixel_canvas.h"

#include <agg_alpha_mask_u8.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <agg_conv_curve.h>
#include <agg_conv_dash.h>
#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>
#include <agg_gamma_functions.h>
#include <agg_pixfmt_gray.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_p.h>
#include <agg_scanline_storage_aa.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <type_traits>
#include <vector>

#include "pictor/cairo_canvas.h"
#include "pictor/device_range.h"
#include "pictor/guarded.h"
#include "pictor/pixels.h"
#include "pictor/stroke_geometry.h"

namespace Pictor {
namespace {

// Premultiplied 0xAARRGGBB words, as Cairo keeps them: B, G, R, A in memory on little-endian
// machines, A, R, G, B on big-endian ones.
using PixelOrder = std::conditional_t<std::endian::native == std::endian::little, agg::order_bgra, agg::order_argb>;

// Each byte of x times a / 255, rounded, two channels per multiplication (Cairo's pixel arithmetic).
inline uint32_t MultiplyChannels(uint32_t x, uint32_t a) {
    uint32_t rb = (x & 0x00FF00FFu) * a + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((x >> 8) & 0x00FF00FFu) * a + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

// Premultiplied "over" of `count` pixels onto as many, with MultiplyChannels' rounding; four at
// a time with SSE2, a channel in each 16-bit lane.
inline void OverPixels(uint32_t* below, const uint32_t* paint, int count) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(128);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(paint + i));
        // Four clear pixels leave what is below, four opaque ones replace it.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(s, zero)) == 0xFFFF) continue;
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alpha), alpha)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(below + i), s);
            continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + i));
        // What each pixel keeps of what lies below, 255 - its alpha, in each lane of its channels.
        __m128i keep = _mm_srli_epi32(s, 24);
        keep = _mm_sub_epi16(full, _mm_or_si128(keep, _mm_slli_epi32(keep, 16)));
        __m128i low = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi32(keep, keep)), half);
        __m128i high = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi32(keep, keep)), half);
        low = _mm_srli_epi16(_mm_add_epi16(low, _mm_srli_epi16(low, 8)), 8);
        high = _mm_srli_epi16(_mm_add_epi16(high, _mm_srli_epi16(high, 8)), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(below + i), _mm_add_epi8(s, _mm_packus_epi16(low, high)));
    }
#endif
    for (; i < count; ++i) below[i] = paint[i] + MultiplyChannels(below[i], 255 - (paint[i] >> 24));
}

// Premultiplied "over" on whole pixel words: AGG's own blender multiplies channel by channel, which
// made blending edge pixels a third of the cost of a small filled and outlined shape.
struct WordBlender : agg::conv_rgba_pre<agg::rgba8, PixelOrder> {
    using color_type = agg::rgba8;
    using order_type = PixelOrder;
    using value_type = agg::int8u;
    using calc_type = agg::int32u;

    static void blend_pix(value_type* p, value_type r, value_type g, value_type b, value_type a,
                          agg::cover_type cover) {
        Over(p, MultiplyChannels(Word(r, g, b, a), cover));
    }
    static void blend_pix(value_type* p, value_type r, value_type g, value_type b, value_type a) {
        Over(p, Word(r, g, b, a));
    }

private:
    static uint32_t Word(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        return (a << 24) | (r << 16) | (g << 8) | b;
    }
    static void Over(value_type* p, uint32_t source) {
        uint32_t d;
        std::memcpy(&d, p, sizeof d);
        d = source + MultiplyChannels(d, 255 - (source >> 24));
        std::memcpy(p, &d, sizeof d);
    }
};
using PixelFormat = agg::pixfmt_alpha_blend_rgba<WordBlender, agg::rendering_buffer>;
using RendererBase = agg::renderer_base<PixelFormat>;
// Clipping in doubles before the conversion to fixed point, so a vertex far off the canvas cannot
// wrap around.
using Rasterizer = agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl>;
using ClipMask = agg::alpha_mask_gray8;
using MaskedScanline = agg::scanline_u8_am<ClipMask>;

// AGG's dash generator keeps at most this many lengths (on and off counted apart); a longer
// custom pattern goes to Cairo.
constexpr size_t kMaxAggDashes = 32;
// The hatch cell is this many device pixels square, repeated from the device origin.
constexpr int kHatchCell = 8;
// Curves are cut into chords that stray at most about 0.5 / this many device pixels from them
// (AGG's measure). A quarter pixel is as close to Cairo's curves as antialiasing shows; dashes
// along curves are measured on chords near Cairo's 0.1-pixel tolerance, so that they keep
// Cairo's phase. Cutting undashed curves as finely cost 5 % more on markers of round figures.
constexpr double kCurveFineness = 2.0;
constexpr double kDashedCurveFineness = 4.0;
// Geometry this far inside the canvas' edges needs no clipping: it covers a margin for the
// spread of round joins and caps cut into chords, and for rounding.
constexpr double kClipMargin = 2.0;
// The stamp cache. A shape is stamped at the nearest of this many phases per pixel on each axis;
// its points are compared at AGG's own precision, 1/256 pixel.
constexpr int kStampPhases = 4;
constexpr double kStampSubpixels = 256.0;
// Only shapes of at most this many points and this many device pixels on a side are cached: a
// marker, not a map feature.
constexpr size_t kMaxStampPoints = 4096;
constexpr double kMaxStampSide = 256.0;
// The cache holds at most this many bytes of coverage and keys (with an allowance per entry for
// the map's own nodes); when a new stamp would pass it, the cache is emptied and fills again.
constexpr size_t kMaxStampBytes = size_t{16} << 20;
constexpr size_t kStampOverhead = 96;
// Stroke outlines (the stroker's polygon, relative to the figure's first point in device pixels)
// of strokes drawn more than once are kept up to this many bytes, emptied when full like the
// stamps. Their keys compare points at a finer quantum than AGG's own, so that a reused outline
// lies within 1/2048 pixel of the one the stroker would make.
constexpr size_t kMaxOutlineBytes = size_t{4} << 20;
constexpr double kOutlineSubpixels = 1024.0;
// A group of more calls than this is drawn call by call: a marker has a handful.
constexpr size_t kMaxGroupCalls = 64;
// After this many groups in a row met for the first time (markers along a line, each turned its
// own way), groups are no longer kept, only keyed, until one comes again: keeping and then
// drawing calls that never repeat cost 7 % on such markers.
constexpr size_t kMaxGroupMisses = 32;
// Shapes seen once are remembered by hash in a table of this many slots (8 bytes each, 512 KiB),
// a newer shape taking an older one's slot.
constexpr size_t kSeenSlots = size_t{1} << 16;
// AGG keeps at most 4,194,304 cells (edge crossings of pixels) for one shape and silently drops
// the rest. A shape estimated at more than half that goes to Cairo, which draws it whole.
constexpr double kMaxAggCells = 2.0e6;
constexpr double kCellsPerPoint = 16.0;  // for the joins and curve pieces at each point
// Without smoothing a pixel is covered when at least half of it is inside, which for straight
// edges is the pixel-centre rule that Cairo samples by.
constexpr double kAliasedCoverage = 0.5;

agg::rgba8 AggColor(uint32_t premultiplied) {
    return agg::rgba8(static_cast<uint8_t>(premultiplied >> 16), static_cast<uint8_t>(premultiplied >> 8),
                      static_cast<uint8_t>(premultiplied), static_cast<uint8_t>(premultiplied >> 24));
}

agg::trans_affine AggMatrix(const Matrix& m) {
    return agg::trans_affine(m.M11(), m.M12(), m.M21(), m.M22(), m.OffsetX(), m.OffsetY());
}

bool Antialiased(int smoothing) { return smoothing != SmoothingFast && smoothing != SmoothingOff; }

// A GraphicsPath as an AGG vertex source. Bezier points come in threes; a curve cut short is
// finished with straight lines; a closed figure ends with a close command after its last point.
class PathSource {
public:
    explicit PathSource(const GraphicsPath& path)
        : points_(path.Points()), types_(path.Types()), count_(std::min(points_.size(), types_.size())) {}

    void rewind(unsigned /*pathId*/) {
        next_ = 0;
        curveLeft_ = 0;
        closePending_ = false;
    }

    unsigned vertex(double* x, double* y) {
        if (closePending_) {
            closePending_ = false;
            return static_cast<unsigned>(agg::path_cmd_end_poly) | static_cast<unsigned>(agg::path_flags_close);
        }
        if (next_ >= count_) return agg::path_cmd_stop;
        const size_t i = next_++;
        *x = points_[i].x;
        *y = points_[i].y;
        unsigned command = agg::path_cmd_line_to;
        if (curveLeft_ > 0) {
            --curveLeft_;
            command = agg::path_cmd_curve4;
        } else if ((types_[i] & PathPointTypeMask) == PathPointStart) {
            command = agg::path_cmd_move_to;
        } else if ((types_[i] & PathPointTypeMask) == PathPointBezier && i + 2 < count_) {
            curveLeft_ = 2;
            command = agg::path_cmd_curve4;
        }
        if (curveLeft_ == 0 && (types_[i] & PathPointClose)) closePending_ = true;
        return command;
    }

private:
    const std::vector<PointD>& points_;
    const std::vector<uint8_t>& types_;
    size_t count_;
    size_t next_ = 0;
    int curveLeft_ = 0;
    bool closePending_ = false;
};

// Colours of the 8 x 8 hatch cell, premultiplied, repeated from the device origin.
class HatchSpans {
public:
    explicit HatchSpans(const HatchBrush& brush) {
        const agg::rgba8 fore = AggColor(pixels::Premultiply(brush.GetForegroundColor()));
        const agg::rgba8 back = AggColor(pixels::Premultiply(brush.GetBackgroundColor()));
        for (int y = 0; y < kHatchCell; ++y) {
            for (int x = 0; x < kHatchCell; ++x) {
                cell_[y * kHatchCell + x] = HatchBrush::IsForePixel(brush.GetHatchStyle(), x, y) ? fore : back;
            }
        }
    }
    void prepare() {}
    void generate(agg::rgba8* span, int x, int y, unsigned length) const {
        const agg::rgba8* row = cell_ + (y & (kHatchCell - 1)) * kHatchCell;
        for (unsigned i = 0; i < length; ++i) span[i] = row[(x + static_cast<int>(i)) & (kHatchCell - 1)];
    }

private:
    agg::rgba8 cell_[kHatchCell * kHatchCell];
};

// The device bounds of the path's points (control points bound their curves), or nothing when a
// point lies beyond the device range or the path is too long for AGG's cell store. `sides` is how
// many edges run along each device pixel of the path (2 for a stroke's outline) and `extraCells`
// what a stroke's caps, joins and dashes add.
std::optional<RectD> DeviceBounds(const Matrix& world, const GraphicsPath& path, double sides = 1.0,
                                  double extraCells = 0.0) {
    double left = 0, top = 0, right = -1, bottom = -1;
    double length = 0.0;  // of the control polygon, an upper bound of the path's
    PointD previous{};
    for (const PointD& p : path.Points()) {
        const PointD d = world.TransformPoint(p);
        if (!(std::fabs(d.x) <= device::kMaxCoordinate && std::fabs(d.y) <= device::kMaxCoordinate))
            return std::nullopt;
        if (right < left) {
            left = right = d.x;
            top = bottom = d.y;
            previous = d;
        }
        length += std::fabs(d.x - previous.x) + std::fabs(d.y - previous.y);
        previous = d;
        left = std::min(left, d.x);
        right = std::max(right, d.x);
        top = std::min(top, d.y);
        bottom = std::max(bottom, d.y);
    }
    // An edge leaves a cell per pixel row and column it crosses; a stroke's outline runs on both
    // sides of the centre line. Closing edges are no longer than the rest of a figure together.
    const double cells =
        2.0 * length * sides + kCellsPerPoint * static_cast<double>(path.Points().size()) + extraCells;
    if (!(cells <= kMaxAggCells)) return std::nullopt;
    return RectD{left, top, right - left, bottom - top};
}

// Whether a figure of two or more points has them all in one place. Cairo draws such a figure's
// round or square caps (a dot, a square); AGG's stroker drops it.
bool HasPointFigure(const GraphicsPath& path) {
    const std::vector<PointD>& points = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    const size_t count = std::min(points.size(), types.size());
    size_t start = 0;
    bool same = true;
    for (size_t i = 1; i <= count; ++i) {
        const bool figureEnds = i == count || (types[i] & PathPointTypeMask) == PathPointStart;
        if (figureEnds) {
            if (same && i - start >= 2) return true;
            start = i;
            same = true;
        } else if (points[i] != points[start]) {
            same = false;
        }
    }
    return false;
}

GraphicsPath RectanglePath(const RectD& r) {
    GraphicsPath path;
    path.AppendRaw({r.x, r.y}, PathPointStart);
    path.AppendRaw({r.x + r.width, r.y}, PathPointLine);
    path.AppendRaw({r.x + r.width, r.y + r.height}, PathPointLine);
    path.AppendRaw({r.x, r.y + r.height}, static_cast<uint8_t>(PathPointLine | PathPointClose));
    return path;
}

// The on/off lengths of a dashed pen as AGG takes them: in pairs, an odd pattern repeated once
// (as an odd pattern alternates its first entry between on and off). Empty when AGG cannot hold it.
std::vector<double> AggDashes(const std::vector<double>& dashes) {
    std::vector<double> pairs = dashes;
    if (pairs.size() % 2 == 1) pairs.insert(pairs.end(), dashes.begin(), dashes.end());
    if (pairs.size() > kMaxAggDashes) pairs.clear();
    return pairs;
}

// A vertex of a kept stroke outline, relative to the figure's first point (device pixels).
struct OutlineVertex {
    float x;
    float y;
    unsigned command;
};

// The raw bytes of a value or of a vector's elements, for shape keys.
template <typename T>
std::string_view Bytes(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return {reinterpret_cast<const char*>(&value), sizeof value};
}
template <typename T>
std::string_view Bytes(const std::vector<T>& values) {
    return {reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T)};
}

// A key being built. Unlike a std::string it does not clear the bytes it grows by, as they are
// written at once; its memory is kept from key to key.
class KeyBuffer {
public:
    // Room for `count` more bytes at the end, to be written by the caller.
    char* Grow(size_t count) {
        if (count > capacity_ - size_) {
            const size_t capacity = std::max(size_ + count, 2 * capacity_);
            std::unique_ptr<char[]> data(new char[capacity]);
            if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
            data_ = std::move(data);
            capacity_ = capacity;
        }
        char* at = data_.get() + size_;
        size_ += count;
        return at;
    }
    // Appends the parts one after another, and `room` more bytes for the caller to write after them.
    char* Append(std::initializer_list<std::string_view> parts, size_t room = 0) {
        size_t total = room;
        for (std::string_view part : parts) total += part.size();
        char* at = Grow(total);
        for (std::string_view part : parts) {
            if (!part.empty()) std::memcpy(at, part.data(), part.size());
            at += part.size();
        }
        return at;
    }
    void Assign(std::initializer_list<std::string_view> parts) {
        size_ = 0;
        Append(parts);
    }
    void Clear() { size_ = 0; }
    char* Data() { return data_.get(); }
    size_t Size() const { return size_; }
    std::string_view View() const { return {data_.get(), size_}; }

private:
    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// FNV-1a's offset and prime, applied a word at a time.
constexpr uint64_t kHashSeed = 0xCBF29CE484222325u;
constexpr uint64_t kHashPrime = 0x100000001B3u;

// Shape keys begin with their own hash (PixelCanvasImpl::FinishKey); the caches look keys up as
// they are being built, without copying them.
struct ShapeKeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const {
        uint64_t hash = 0;
        std::memcpy(&hash, key.data(), std::min(key.size(), sizeof hash));
        return static_cast<size_t>(hash);
    }
};
template <typename Value>
using ShapeMap = std::unordered_map<std::string, Value, ShapeKeyHash, std::equal_to<>>;

}  // namespace

class PixelCanvasImpl {
public:
    PixelCanvasImpl(int width, int height, const Color& background, double ppi) : bitmap(width, height) {
        if (bitmap.GetLastStatus() != Ok) return;
        bitmap.SetDeviceScale(ppi / kReferencePpi);  // taken by the Cairo canvas made on it
        std::vector<uint32_t>& px = bitmap.Buffer()->pixels;
        std::fill(px.begin(), px.end(), pixels::Premultiply(background));
        cairo = std::make_unique<RasterCanvas>(&bitmap);
        AttachCanvas();
    }

    // Points the pixel buffer AGG draws into at the canvas.
    void AttachCanvas() {
        std::vector<uint32_t>& px = bitmap.Buffer()->pixels;
        buffer.attach(reinterpret_cast<agg::int8u*>(px.data()), static_cast<unsigned>(bitmap.GetWidth()),
                      static_cast<unsigned>(bitmap.GetHeight()), bitmap.GetWidth() * 4);
    }

    Status GetStatus() const {
        if (bitmap.GetLastStatus() != Ok) return bitmap.GetLastStatus();
        return cairo ? cairo->GetLastStatus() : OutOfMemory;
    }

    // What AGG can draw of a call: nothing when the canvas or the clip calls for Cairo.
    bool Usable(const DrawState& state) {
        if (GetStatus() != Ok) return false;
        return PrepareClip(state);
    }

    // Fills the shape (drawing units) with a solid or hatch brush. False when AGG leaves the
    // shape to Cairo.
    bool Fill(const DrawState& state, const Brush& brush, const GraphicsPath& shape) {
        if (brush.GetType() != BrushType::Solid && brush.GetType() != BrushType::Hatch) return false;
        // AGG's hatch cell is the screen's; Cairo sizes it by the device scale.
        if (brush.GetType() == BrushType::Hatch && bitmap.GetDeviceScale() != 1.0) return false;
        if (brush.GetLastStatus() != Ok || !device::Invertible(state.world)) return false;
        const std::optional<RectD> bounds = DeviceBounds(state.world, shape);
        if (!bounds || !Usable(state)) return false;
        if (shape.IsEmpty()) return true;  // nothing to see
        const char style[] = {'F', static_cast<char>(shape.GetFillMode() == FillModeAlternate)};
        if ((grouping || keying) && Defer(state, nullptr, &brush, shape, *bounds, std::string_view(style, sizeof style)))
            return true;
        Start(state.smoothing, shape.GetFillMode(), *bounds, 0.0);
        DrawOrStamp(state, shape, *bounds, std::string_view(style, sizeof style), brush, false,
                    [&](const Matrix& world) {
                        PathSource source(shape);
                        agg::trans_affine toDevice = AggMatrix(world);
                        agg::conv_transform<PathSource> mapped(source, toDevice);
                        agg::conv_curve<agg::conv_transform<PathSource>> flat(mapped);
                        flat.approximation_scale(kCurveFineness);
                        rasterizer.add_path(flat);
                    });
        return true;
    }

    // Strokes the path. False when AGG leaves the stroke to Cairo: triangle caps, far geometry,
    // a pen Cairo refuses, a dash pattern longer than AGG keeps, the caps of a figure without length.
    bool Stroke(const DrawState& state, const Pen& pen, const GraphicsPath& path) {
        // A world transform that flattens everything is Cairo's to skip.
        if (!pen.IsValid() || pen.GetLineCap() == LineCapTriangle || !device::Invertible(state.world))
            return false;
        if (pen.GetLineCap() != LineCapFlat && HasPointFigure(path)) return false;
        const bool hairline = pen.GetWidth() == 0.0;
        if (hairline && bitmap.GetDeviceScale() != 1.0) return false;  // Cairo sizes it by the device scale
        const double width = hairline ? 1.0 : pen.GetWidth();
        const Matrix strokeToDevice = hairline ? Matrix() : state.world;
        const double reach = device::StrokeReach(pen, width, strokeToDevice);
        if (!(reach <= device::kMaxStrokeReach)) return false;
        std::vector<double> dashes = pen.GetEffectiveDashPattern();
        for (double& d : dashes) d *= width;
        double dashCount = 0.0;
        if (!dashes.empty()) {
            // Too many dashes would take unbounded time and memory: such a line is drawn solid.
            int figures = 0;
            const double length = device::ControlPolygonLength(path, hairline ? state.world : Matrix(), &figures);
            dashCount = stroke::EstimateDashCount(length, dashes, figures);
            if (dashCount > stroke::kMaxDashCount) {
                dashes.clear();
                dashCount = 0.0;
            } else {
                dashes = AggDashes(dashes);
                if (dashes.empty()) return false;
            }
        }
        // The outline runs on both sides of the centre line; a join or cap adds at most the round
        // one's perimeter, about four widths; each dash adds two caps.
        const double capCells = kCellsPerPoint + 4.0 * width * device::MaxStretch(strokeToDevice);
        const std::optional<RectD> bounds =
            DeviceBounds(state.world, path, 2.0,
                         capCells * (static_cast<double>(path.Points().size()) + 2.0 * dashCount));
        if (!bounds) return false;
        if (!Usable(state)) return false;
        if (path.IsEmpty()) return true;

        const double miter = pen.GetMiterLimit();
        const int shape[] = {'S', pen.GetLineCap(), pen.GetLineJoin(), hairline};
        strokeStyle.Assign({Bytes(shape), Bytes(width), Bytes(miter), Bytes(dashes)});
        const std::string_view style = strokeStyle.View();
        if ((grouping || keying) && Defer(state, &pen, nullptr, path, Grown(*bounds, reach), style)) return true;
        Start(state.smoothing, FillModeWinding, *bounds, reach);
        // Curves are flattened, and round joins and caps cut, finely enough for the device.
        const double scale = hairline ? 1.0 : std::max(device::MaxStretch(state.world) / std::sqrt(2.0), 1e-9);
        const double fineness = dashes.empty() ? kCurveFineness : kDashedCurveFineness;
        DrawOrStamp(state, path, Grown(*bounds, reach), style, SolidBrush(pen.GetColor()), true, [&](const Matrix& world) {
            PathSource source(path);
            agg::trans_affine toDevice = AggMatrix(world);
            if (hairline) {
                agg::conv_transform<PathSource> mapped(source, toDevice);
                agg::conv_curve<decltype(mapped)> flat(mapped);
                flat.approximation_scale(fineness);
                AddStroke(flat, pen, width, dashes, fineness);
            } else {
                agg::conv_curve<PathSource> flat(source);
                flat.approximation_scale(scale * fineness);
                AddStroke(flat, pen, width, dashes, scale * fineness, &toDevice);
            }
        });
        return true;
    }

    // Bytes the stamp cache holds now, keys and group pictures included.
    size_t StampBytes() const { return stampBytes; }
    void SetStamping(bool on) {
        FlushGroup();
        keying = false;
        stamping = on;
        if (!on) {
            stamps.clear();
            pictures.clear();
            seen.clear();
            stampBytes = 0;
        }
    }

    // --- Groups: a marker's calls kept until its end, then painted as one picture ---------------
    //
    // The calls of a group are kept (their paths, pens and colours) instead of drawn. At its end
    // the group's key — every call's kind, style, colour, smoothing and transform less its
    // translation, and its points relative to the group's first point at 1/256 pixel — is looked
    // up: a group met before is painted from its picture at the nearest quarter pixel, a group
    // met once before is drawn into a picture first, and a group met for the first time is drawn
    // call by call. A call that cannot join a picture (clipped, hatched, drawn by Cairo, an image)
    // draws the calls kept so far and itself as usual, as does the rest of its group.

    void BeginGroup() {
        if (groupDepth++ > 0 || !stamping) return;
        groupCalls.clear();
        groupKey.Clear();
        groupKey.Grow(sizeof(uint64_t));  // the hash, once the key is complete
        groupPoints = 0;
        groupCallCount = 0;
        grouping = !keyOnly;
        keying = keyOnly;
    }

    void EndGroup() {
        if (groupDepth == 0 || --groupDepth > 0) return;
        if (keying) {  // drawn already: only whether it came before counts
            keying = false;
            if (groupPoints > 0 && SeenBefore(FinishGroupKey())) {
                keyOnly = false;
                groupMisses = 0;
            }
            return;
        }
        if (!grouping) return;
        if (groupCalls.empty()) {
            grouping = false;
            return;
        }
        const RectD& e = groupExtent;
        if (!(e.width <= kMaxStampSide && e.height <= kMaxStampSide)) {
            FlushGroup();
            return;
        }
        if (!SeenBefore(FinishGroupKey())) {
            FlushGroup();
            keyOnly = ++groupMisses >= kMaxGroupMisses;
            return;
        }
        groupMisses = 0;
        grouping = false;
        const double ix = std::floor(groupOrigin.x);
        const double iy = std::floor(groupOrigin.y);
        auto found = pictures.find(groupKey.View());
        if (found == pictures.end()) {
            std::optional<GroupPicture> drawn = DrawPicture(ix, iy);
            if (!drawn) {  // a call the picture could not take after all
                DrawKeptCalls();
                return;
            }
            GroupPicture& picture = *drawn;
            const size_t cost = picture.pixels.size() * sizeof(uint32_t) + picture.rows.size() * sizeof(PictureRow) +
                                groupKey.Size() + kStampOverhead;
            MakeRoom(cost);
            found = pictures.emplace(std::string(groupKey.View()), std::move(picture)).first;
            stampBytes += cost;
        }
        Paint(found->second, static_cast<int>(ix), static_cast<int>(iy));
        groupCalls.clear();
    }

    // Completes the open group's key with the first point's quarter-pixel phase, at which its
    // picture is drawn, and returns its hash.
    uint64_t FinishGroupKey() {
        const double ix = std::floor(groupOrigin.x);
        const double iy = std::floor(groupOrigin.y);
        const int32_t phase[] = {static_cast<int32_t>(std::lround((groupOrigin.x - ix) * kStampPhases)),
                                 static_cast<int32_t>(std::lround((groupOrigin.y - iy) * kStampPhases))};
        groupKey.Append({Bytes(phase)});
        return FinishKey(groupKey);
    }

    // Draws the calls kept so far, call by call; the rest of the group is drawn as it comes.
    void FlushGroup() {
        if (!grouping) return;
        grouping = false;
        DrawKeptCalls();
    }

    // Draws the kept calls where they are, and forgets them.
    void DrawKeptCalls() {
        const std::string style(strokeStyle.View());  // the caller's, which drawing the calls overwrites
        for (const GroupCall& call : groupCalls) DrawKept(call, call.state);
        groupCalls.clear();
        strokeStyle.Assign({style});
    }

    bool Grouping() const { return grouping; }

    Bitmap bitmap;
    std::unique_ptr<RasterCanvas> cairo;

private:
    static RectD Grown(const RectD& r, double by) {
        return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
    }

    // A kept call of a group: a stroke with groupPens[index] or a fill in groupColours[index],
    // of groupPaths[index].
    struct GroupCall {
        bool stroke;
        DrawState state;  // never clipped
        size_t index;
    };
    // A group's picture: premultiplied pixels, row by row from the first to the last one painted,
    // placed `dx`, `dy` pixels from the pixel of the group's first point.
    struct PictureRow {
        int x;       // from the picture's left edge
        int length;  // pixels, 0 for a row with nothing painted
        size_t at;   // first pixel in `pixels`
    };
    struct GroupPicture {
        int dx = 0;
        int dy = 0;
        std::vector<PictureRow> rows;
        std::vector<uint32_t> pixels;
    };

    // Keeps the call in the open group. False when it cannot join a picture: the calls kept so
    // far are drawn, the group is given up, and the caller draws the call itself.
    bool Defer(const DrawState& state, const Pen* pen, const Brush* brush, const GraphicsPath& path,
               const RectD& extent, std::string_view style) {
        const std::vector<PointD>& points = path.Points();
        const bool joins = !masked && (brush == nullptr || brush->GetType() == BrushType::Solid) &&
                           groupCallCount < kMaxGroupCalls && groupPoints + points.size() <= kMaxStampPoints;
        if (!joins) {
            keying = false;
            FlushGroup();
            return false;
        }
        if (groupPoints == 0) {
            groupOrigin = state.world.TransformPoint(points[0]);
            groupExtent = extent;
        } else {
            const double left = std::min(groupExtent.x, extent.x);
            const double top = std::min(groupExtent.y, extent.y);
            const double right = std::max(groupExtent.x + groupExtent.width, extent.x + extent.width);
            const double bottom = std::max(groupExtent.y + groupExtent.height, extent.y + extent.height);
            groupExtent = {left, top, right - left, bottom - top};
        }
        groupPoints += points.size();
        ++groupCallCount;
        AppendToGroupKey(state, pen, brush, path, style);
        if (keying) return false;  // drawn as it comes

        const size_t index = groupCalls.size();
        if (groupPaths.size() <= index) groupPaths.resize(index + 1);
        if (groupPens.size() <= index) groupPens.resize(index + 1, Pen(Color(0u)));
        if (groupColours.size() <= index) groupColours.resize(index + 1);
        groupPaths[index] = path;
        const Color colour = pen ? pen->GetColor() : static_cast<const SolidBrush*>(brush)->GetColor();
        if (pen) groupPens[index] = *pen;
        groupColours[index] = colour;
        DrawState kept;
        kept.world = state.world;
        kept.smoothing = state.smoothing;
        groupCalls.push_back({pen != nullptr, kept, index});
        return true;
    }

    // Appends a call to the open group's key: its style and colour, smoothing, transform less its
    // translation, and its points relative to the group's first point.
    void AppendToGroupKey(const DrawState& state, const Pen* pen, const Brush* brush, const GraphicsPath& path,
                          std::string_view style) {
        const std::vector<PointD>& points = path.Points();
        const Color colour = pen ? pen->GetColor() : static_cast<const SolidBrush*>(brush)->GetColor();
        const uint32_t argb = colour.GetValue();
        const double linear[] = {state.world.M11(), state.world.M12(), state.world.M21(), state.world.M22()};
        const uint32_t sizes[] = {static_cast<uint32_t>(style.size()), static_cast<uint32_t>(path.Types().size())};
        const int32_t modes[] = {Antialiased(state.smoothing), static_cast<int32_t>(argb)};
        char* at = groupKey.Append({Bytes(sizes), style, Bytes(modes), Bytes(linear), Bytes(path.Types())},
                                   points.size() * 2 * sizeof(int32_t));
        WritePoints(at, points, state.world, groupOrigin, kStampSubpixels);
    }

    // Draws a kept call under `state` (the call's own, or moved into a picture).
    void DrawKept(const GroupCall& call, const DrawState& state) {
        const GraphicsPath& path = groupPaths[call.index];
        if (call.stroke) {
            const Pen& pen = groupPens[call.index];
            if (!Stroke(state, pen, path)) cairo->DrawPath(state, pen, path, 0);
        } else {
            const SolidBrush brush(groupColours[call.index]);
            if (!Fill(state, brush, path)) cairo->FillPath(state, brush, path, 0);
        }
    }

    // Draws the kept calls into a picture with the group's first point at its quarter-pixel
    // phase next to pixel (ix, iy); nothing should AGG refuse one of them.
    std::optional<GroupPicture> DrawPicture(double ix, double iy) {
        const int phaseX = static_cast<int>(std::lround((groupOrigin.x - ix) * kStampPhases));
        const int phaseY = static_cast<int>(std::lround((groupOrigin.y - iy) * kStampPhases));
        GroupPicture picture;
        picture.dx = static_cast<int>(std::floor(groupExtent.x - kClipMargin - ix));
        picture.dy = static_cast<int>(std::floor(groupExtent.y - kClipMargin - iy));
        const int width = static_cast<int>(std::ceil(groupExtent.x + groupExtent.width + kClipMargin - ix)) -
                          picture.dx + 1;
        const int height = static_cast<int>(std::ceil(groupExtent.y + groupExtent.height + kClipMargin - iy)) -
                           picture.dy + 1;
        std::vector<uint32_t> scratch(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        // Drawn into the picture's own pixels, and back on the canvas however drawing ends.
        struct Restore {
            PixelCanvasImpl& impl;
            ~Restore() {
                impl.stamping = true;
                impl.AttachCanvas();
            }
        } restore{*this};
        buffer.attach(reinterpret_cast<agg::int8u*>(scratch.data()), static_cast<unsigned>(width),
                      static_cast<unsigned>(height), width * 4);
        stamping = false;
        const double shiftX = phaseX / double(kStampPhases) - groupOrigin.x - picture.dx;
        const double shiftY = phaseY / double(kStampPhases) - groupOrigin.y - picture.dy;
        for (const GroupCall& call : groupCalls) {
            DrawState moved = call.state;
            moved.world.Translate(shiftX, shiftY, MatrixOrderAppend);
            const GraphicsPath& path = groupPaths[call.index];
            const bool drawn = call.stroke ? Stroke(moved, groupPens[call.index], path)
                                           : Fill(moved, SolidBrush(groupColours[call.index]), path);
            if (!drawn) return std::nullopt;
        }
        // Rows keep only their painted stretch.
        picture.rows.reserve(static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) {
            const uint32_t* row = scratch.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
            int first = 0;
            while (first < width && row[first] == 0) ++first;
            int last = width;
            while (last > first && row[last - 1] == 0) --last;
            // Rounded up to whole fours of pixels with clear ones, which Paint blends four at a time.
            const int length = last > first ? (last - first + 3) / 4 * 4 : 0;
            picture.rows.push_back({first, length, picture.pixels.size()});
            picture.pixels.insert(picture.pixels.end(), row + first, row + last);
            picture.pixels.resize(picture.rows.back().at + static_cast<size_t>(length), 0);
        }
        return picture;
    }

    // Paints a picture over the canvas, its place taken from pixel (ix, iy); what falls off the
    // canvas is cut.
    void Paint(const GroupPicture& picture, int ix, int iy) {
        const int width = static_cast<int>(buffer.width());
        const int height = static_cast<int>(buffer.height());
        for (size_t r = 0; r < picture.rows.size(); ++r) {
            const PictureRow& row = picture.rows[r];
            const int y = iy + picture.dy + static_cast<int>(r);
            if (row.length == 0 || y < 0 || y >= height) continue;
            uint32_t* target = reinterpret_cast<uint32_t*>(buffer.row_ptr(y));
            const uint32_t* source = picture.pixels.data() + row.at;
            const int left = ix + picture.dx + row.x;
            const int from = std::max(0, -left);
            const int to = std::min(row.length, width - left);
            // An opaque pixel keeps nothing below it and a clear one keeps all, exactly: the row is
            // blended whole, without a branch per pixel.
            if (to > from) OverPixels(target + left + from, source + from, to - from);
        }
    }

    // Makes room for `cost` more bytes of stamps and pictures: when they would pass the cap, both
    // are emptied and fill again.
    void MakeRoom(size_t cost) {
        if (stampBytes + cost <= kMaxStampBytes) return;
        stamps.clear();
        pictures.clear();
        stampBytes = 0;
    }

    // Draws the geometry that `add` puts into the rasterizer under a world transform. A shape drawn
    // again elsewhere on the canvas (the same geometry, style and transform but for its
    // translation) is rasterized once at the nearest quarter pixel and its coverage stamped.
    // `extent` bounds what the shape covers, in device pixels.
    // `keep` asks for the outline that `add` makes to be kept for the next drawing of the same
    // shape: a stroke's outline costs more to make than to keep. (Keeping flattened fills saved
    // 1 % on markers and cost labels 5 %: their glyph runs never repeat.)
    template <typename AddGeometry>
    void DrawOrStamp(const DrawState& state, const GraphicsPath& path, const RectD& extent, std::string_view style,
                     const Brush& brush, bool keep, AddGeometry add) {
        const bool small = path.Points().size() <= kMaxStampPoints && extent.width <= kMaxStampSide &&
                           extent.height <= kMaxStampSide;
        const bool stampable = stamping && !masked && !clipping && small;
        if (!stampable || !Stamp(state, path, style, brush, add)) {
            if (!keep || !small || !AddKeptOutline(state, path, style, add)) add(state.world);
            Render(brush, rasterizer);
        }
    }

    // Builds a shape's key: its hash, `head`, and the path's points relative to `origin` (device
    // pixels) at 1/`subpixels` pixel. The hash leads, so that the caches need not hash the key
    // again (ShapeKeyHash).
    static void BuildShapeKey(KeyBuffer& key, std::string_view head, const std::vector<PointD>& points,
                              const Matrix& world, const PointD& origin, double subpixels) {
        key.Clear();
        key.Grow(sizeof(uint64_t));
        WritePoints(key.Append({head}, points.size() * 2 * sizeof(int32_t)), points, world, origin, subpixels);
        FinishKey(key);
    }

    // Writes the points relative to `origin` (device pixels) at 1/`subpixels` pixel, two int32_t each.
    static void WritePoints(char* out, const std::vector<PointD>& points, const Matrix& world, const PointD& origin,
                            double subpixels) {
        for (const PointD& p : points) {
            const PointD d = world.TransformPoint(p);
            const int32_t q[] = {agg::iround((d.x - origin.x) * subpixels), agg::iround((d.y - origin.y) * subpixels)};
            std::memcpy(out, q, sizeof q);
            out += sizeof q;
        }
    }

    // Hashes what follows the key's leading hash into it, and returns it.
    static uint64_t FinishKey(KeyBuffer& buffer) {
        const std::string_view key = buffer.View();
        uint64_t hash = kHashSeed;
        size_t i = sizeof(uint64_t);
        for (; i + sizeof(uint64_t) <= key.size(); i += sizeof(uint64_t)) {
            uint64_t word;
            std::memcpy(&word, key.data() + i, sizeof word);
            hash = (hash ^ word) * kHashPrime;
        }
        if (i < key.size()) {
            uint64_t word = 0;
            std::memcpy(&word, key.data() + i, key.size() - i);
            hash = (hash ^ word) * kHashPrime;
        }
        // Multiplying carries bits only upwards: fold the high ones down, as the seen table and
        // the caches' buckets go by the low ones (MurmurHash3's finaliser).
        hash = (hash ^ (hash >> 33)) * 0xFF51AFD7ED558CCDu;
        hash = (hash ^ (hash >> 33)) * 0xC4CEB9FE1A85EC53u;
        hash ^= hash >> 33;
        std::memcpy(buffer.Data(), &hash, sizeof hash);
        return hash;
    }

    static uint64_t KeyHash(const KeyBuffer& key) { return ShapeKeyHash{}(key.View()); }

    // Whether the hash was met before; remembers it when not (a newer shape takes an older one's slot).
    bool SeenBefore(uint64_t hash) {
        if (seen.empty()) seen.assign(kSeenSlots, 0);
        uint64_t& slot = seen[hash & (kSeenSlots - 1)];
        if (slot == hash) return true;
        slot = hash;
        return false;
    }

    // Adds the outline that `add` makes under the state's transform from the outlines kept, keeping
    // it first when the shape was met once before. False when it is neither kept nor met before:
    // the caller adds it itself. The outline does not depend on where the shape lies, so it is
    // kept relative to the first point, exactly, and moved to each new place.
    template <typename AddGeometry>
    bool AddKeptOutline(const DrawState& state, const GraphicsPath& path, std::string_view style, AddGeometry add) {
        const std::vector<PointD>& points = path.Points();
        if (points.empty()) return false;
        const PointD origin = state.world.TransformPoint(points[0]);
        const double linear[] = {state.world.M11(), state.world.M12(), state.world.M21(), state.world.M22()};
        keyHead.Assign({style, Bytes(linear), Bytes(path.Types())});
        KeyBuffer& key = outlineKey;
        BuildShapeKey(key, keyHead.View(), points, state.world, origin, kOutlineSubpixels);
        if (!SeenBefore(KeyHash(key))) return false;
        auto found = outlines.find(key.View());
        if (found == outlines.end()) {
            std::vector<OutlineVertex> outline;
            collecting = &outline;
            collectOrigin = origin;
            add(state.world);
            collecting = nullptr;
            const size_t cost = outline.size() * sizeof(OutlineVertex) + key.Size() + kStampOverhead;
            if (outlineBytes + cost > kMaxOutlineBytes) {  // full: start again rather than grow
                outlines.clear();
                outlineBytes = 0;
            }
            found = outlines.emplace(std::string(key.View()), std::move(outline)).first;
            outlineBytes += cost;
        }
        for (const OutlineVertex& v : found->second) {
            rasterizer.add_vertex(double(v.x) + origin.x, double(v.y) + origin.y, v.command);
        }
        return true;
    }

    // Adds a vertex source to the rasterizer, or to the outline being kept.
    template <typename Source>
    void AddSource(Source& source) {
        if (!collecting) {
            rasterizer.add_path(source);
            return;
        }
        source.rewind(0);
        double x = 0;
        double y = 0;
        unsigned command = 0;
        while (!agg::is_stop(command = source.vertex(&x, &y))) {
            collecting->push_back({static_cast<float>(x - collectOrigin.x), static_cast<float>(y - collectOrigin.y),
                                   command});
        }
    }

    // Stamps the shape from the cache, rasterizing it into the cache first when it was seen once
    // before. False when it was not: it is remembered and drawn as usual.
    template <typename AddGeometry>
    bool Stamp(const DrawState& state, const GraphicsPath& path, std::string_view style, const Brush& brush,
               AddGeometry add) {
        const std::vector<PointD>& points = path.Points();
        if (points.empty()) return false;
        const PointD origin = state.world.TransformPoint(points[0]);
        const double ix = std::floor(origin.x);
        const double iy = std::floor(origin.y);
        const int phaseX = static_cast<int>(std::lround((origin.x - ix) * kStampPhases));
        const int phaseY = static_cast<int>(std::lround((origin.y - iy) * kStampPhases));
        // The key: the style, the smoothing, the phase, the transform less its translation, and the
        // figure relative to its first point in device pixels, at AGG's own 1/256 pixel.
        const double linear[] = {state.world.M11(), state.world.M12(), state.world.M21(), state.world.M22()};
        const int32_t modes[] = {Antialiased(state.smoothing), phaseX, phaseY};
        keyHead.Assign({style, Bytes(linear), Bytes(modes), Bytes(path.Types())});
        const std::string_view head = keyHead.View();
        // A shape met for the first time costs only its key: most shapes of a map are drawn once.
        BuildShapeKey(stampKey, head, points, state.world, origin, kStampSubpixels);
        if (!SeenBefore(KeyHash(stampKey))) return false;
        auto found = stamps.find(stampKey.View());
        if (found == stamps.end()) {
            // Rasterized with the first point at its quarter-pixel phase next to the origin.
            Matrix shifted = state.world;
            shifted.Translate(phaseX / double(kStampPhases) - origin.x, phaseY / double(kStampPhases) - origin.y,
                              MatrixOrderAppend);
            rasterizer.reset();
            add(shifted);
            agg::scanline_storage_aa8 storage;
            agg::render_scanlines(rasterizer, packedScanline, storage);
            std::vector<agg::int8u> coverage(storage.byte_size());
            storage.serialize(coverage.data());
            const size_t cost = coverage.size() + stampKey.Size() + kStampOverhead;
            MakeRoom(cost);
            found = stamps.emplace(std::string(stampKey.View()), std::move(coverage)).first;
            stampBytes += cost;
        }
        agg::serialized_scanlines_adaptor_aa8 stamp(found->second.data(), static_cast<unsigned>(found->second.size()),
                                                   ix, iy);
        Render(brush, stamp);
        return true;
    }

    // Readies the rasterizer for geometry within `reach` of `bounds` (device pixels). Geometry
    // wholly on the canvas is not clipped: clipping every segment cost a sixth of drawing a small
    // marker. Anything else is clipped to the canvas, in doubles, before AGG's fixed point.
    void Start(int smoothing, int fillMode, const RectD& bounds, double reach) {
        rasterizer.reset();
        const double margin = reach + kClipMargin;
        const double width = buffer.width();
        const double height = buffer.height();
        const bool inside = bounds.x - margin >= 0 && bounds.y - margin >= 0 &&
                            bounds.x + bounds.width + margin <= width && bounds.y + bounds.height + margin <= height;
        clipping = !inside;
        if (inside) {
            rasterizer.reset_clipping();
        } else {
            rasterizer.clip_box(0, 0, width, height);
        }
        rasterizer.filling_rule(fillMode == FillModeAlternate ? agg::fill_even_odd : agg::fill_non_zero);
        // The rasterizer builds a table from the gamma function: only when the mode changes.
        const bool aa = Antialiased(smoothing);
        if (aa == antialiased) return;
        antialiased = aa;
        if (aa) {
            rasterizer.gamma(agg::gamma_none());
        } else {
            rasterizer.gamma(agg::gamma_threshold(kAliasedCoverage));
        }
    }

    // Adds the outline of the stroke of `centre` (in the stroke's space) to the rasterizer,
    // mapped to the device by `toDevice` when given; `scale` is how finely round joins and caps
    // are cut (AGG's approximation scale).
    template <typename Source>
    void AddStroke(Source& centre, const Pen& pen, double width, const std::vector<double>& dashes,
                   double scale, agg::trans_affine* toDevice = nullptr) {
        if (dashes.empty()) {
            agg::conv_stroke<Source> outline(centre);
            Configure(outline, pen, width, scale);
            AddMapped(outline, toDevice);
            return;
        }
        agg::conv_dash<Source> dashed(centre);
        for (size_t i = 0; i + 1 < dashes.size(); i += 2) dashed.add_dash(dashes[i], dashes[i + 1]);
        agg::conv_stroke<agg::conv_dash<Source>> outline(dashed);
        Configure(outline, pen, width, scale);
        AddMapped(outline, toDevice);
    }

    template <typename Outline>
    void AddMapped(Outline& outline, agg::trans_affine* toDevice) {
        if (toDevice) {
            agg::conv_transform<Outline> mapped(outline, *toDevice);
            AddSource(mapped);
        } else {
            AddSource(outline);
        }
    }

    template <typename Outline>
    static void Configure(Outline& outline, const Pen& pen, double width, double scale) {
        outline.width(width);
        outline.approximation_scale(scale);
        outline.miter_limit(pen.GetMiterLimit());
        switch (pen.GetLineCap()) {
            case LineCapSquare:
                outline.line_cap(agg::square_cap);
                break;
            case LineCapRound:
                outline.line_cap(agg::round_cap);
                break;
            default:  // flat; triangle caps never come here
                outline.line_cap(agg::butt_cap);
                break;
        }
        switch (pen.GetLineJoin()) {
            case LineJoinBevel:
                outline.line_join(agg::bevel_join);
                break;
            case LineJoinRound:
                outline.line_join(agg::round_join);
                break;
            case LineJoinMiterClipped:  // AGG's own miter cuts the tip off at the limit
                outline.line_join(agg::miter_join);
                break;
            default:  // miter, turning into a bevel beyond the limit
                outline.line_join(agg::miter_join_revert);
                break;
        }
    }

    // Paints the coverage that `source` (the rasterizer or a stamp) sweeps out with the brush.
    template <typename Source>
    void Render(const Brush& brush, Source& source) {
        PixelFormat format(buffer);
        RendererBase base(format);
        if constexpr (std::is_same_v<Source, Rasterizer>) {
            if (masked) {
                MaskedScanline scanline(mask);
                RenderWith(base, source, scanline, brush);
            } else {
                RenderWith(base, source, packedScanline, brush);
            }
        } else {
            typename Source::embedded_scanline scanline;
            RenderWith(base, source, scanline, brush);
        }
    }

    template <typename Source, typename Scanline>
    void RenderWith(RendererBase& base, Source& source, Scanline& scanline, const Brush& brush) {
        if (brush.GetType() == BrushType::Hatch) {
            HatchSpans spans(static_cast<const HatchBrush&>(brush));
            agg::render_scanlines_aa(source, scanline, base, spanAllocator, spans);
            return;
        }
        const Color color = static_cast<const SolidBrush&>(brush).GetColor();
        RenderSolid(source, scanline, pixels::Premultiply(color));
    }

    // Paints the coverage of `source` in one premultiplied colour word, the pixels of each span in
    // a row: AGG's own solid renderer assembled and multiplied the colour again for every pixel.
    // The arithmetic is WordBlender's.
    template <typename Source, typename Scanline>
    void RenderSolid(Source& source, Scanline& scanline, uint32_t colour) {
        if ((colour >> 24) == 0 || !source.rewind_scanlines()) return;
        const bool opaque = (colour >> 24) == 255;
        const int width = static_cast<int>(buffer.width());
        const int height = static_cast<int>(buffer.height());
        // One span of a row: `length` coverages from x, or a run of -length pixels of one.
        const auto paintSpan = [&](uint32_t* row, int x, int length, const agg::int8u* covers) {
            if (length < 0) {
                const int end = std::min(x - length, width);
                x = std::max(x, 0);
                if (x >= end) return;
                if (opaque && *covers == 255) {
                    std::fill(row + x, row + end, colour);
                    return;
                }
                const uint32_t paint = MultiplyChannels(colour, *covers);
                const uint32_t keep = 255 - (paint >> 24);
                for (; x < end; ++x) row[x] = paint + MultiplyChannels(row[x], keep);
                return;
            }
            const int end = std::min(x + length, width);
            if (x < 0) {
                covers -= x;
                x = 0;
            }
            for (; x < end; ++x, ++covers) {
                if (opaque && *covers == 255) {
                    row[x] = colour;
                    continue;
                }
                const uint32_t paint = MultiplyChannels(colour, *covers);
                row[x] = paint + MultiplyChannels(row[x], 255 - (paint >> 24));
            }
        };
        scanline.reset(source.min_x(), source.max_x());
        while (source.sweep_scanline(scanline)) {
            const int y = scanline.y();
            if (y < 0 || y >= height) continue;
            uint32_t* row = reinterpret_cast<uint32_t*>(buffer.row_ptr(y));
            auto span = scanline.begin();
            // A serialized scanline reads the next span on ++: never step past the last one.
            for (unsigned spans = scanline.num_spans();;) {
                paintSpan(row, span->x, span->len, span->covers);
                if (--spans == 0) break;
                ++span;
            }
        }
    }

    // Makes the clip mask for the state's clips, unless it is the one already made. False when a
    // clip reaches beyond the device range, which Cairo flattens and clips itself.
    bool PrepareClip(const DrawState& state) {
        const bool clipped = state.clip || (state.containerClips && !state.containerClips->empty());
        const uint64_t id = clipped ? state.clipId : 0;
        const bool aa = Antialiased(state.smoothing);
        if (id == maskId && (id == 0 || aa == maskAntialiased)) return true;
        maskId = ~uint64_t{0};  // no valid mask while it is being made
        masked = false;
        if (!clipped) {
            maskId = 0;
            return true;
        }
        std::vector<const GraphicsPath*> clips;
        if (state.containerClips) {
            for (const GraphicsPath& clip : *state.containerClips) clips.push_back(&clip);
        }
        if (state.clip) clips.push_back(state.clip);
        for (const GraphicsPath* clip : clips) {
            if (!device::WithinRange(Matrix(), *clip)) return false;
        }
        const size_t size = static_cast<size_t>(bitmap.GetWidth()) * static_cast<size_t>(bitmap.GetHeight());
        maskPixels.assign(size, 0);
        if (clips.size() > 1) layerPixels.resize(size);
        maskBuffer.attach(maskPixels.data(), bitmap.GetWidth(), bitmap.GetHeight(), bitmap.GetWidth());
        layerBuffer.attach(layerPixels.data(), bitmap.GetWidth(), bitmap.GetHeight(), bitmap.GetWidth());
        // Each clip narrows the ones before it: its coverage multiplies the mask.
        for (size_t k = 0; k < clips.size(); ++k) {
            agg::rendering_buffer& target = k == 0 ? maskBuffer : layerBuffer;
            if (k > 0) std::fill(layerPixels.begin(), layerPixels.end(), 0);
            agg::pixfmt_gray8 format(target);
            agg::renderer_base<agg::pixfmt_gray8> base(format);
            Start(state.smoothing, clips[k]->GetFillMode(), RectD{-1, -1, 0, 0}, 0.0);  // always clipped
            PathSource source(*clips[k]);
            agg::conv_curve<PathSource> flat(source);
            flat.approximation_scale(kCurveFineness);
            rasterizer.add_path(flat);
            agg::scanline_u8 scanline;
            agg::render_scanlines_aa_solid(rasterizer, scanline, base, agg::gray8(255));
            if (k > 0) {
                for (size_t i = 0; i < size; ++i)
                    maskPixels[i] = static_cast<uint8_t>(pixels::ScaleChannel(maskPixels[i], layerPixels[i]));
            }
        }
        mask.attach(maskBuffer);
        masked = true;
        maskId = id;
        maskAntialiased = aa;
        return true;
    }

    agg::rendering_buffer buffer;
    Rasterizer rasterizer;
    bool antialiased = true;  // the rasterizer's gamma
    // Kept from call to call, with the memory they grew to. Packed spans let a run of full
    // coverage be filled at once.
    agg::scanline_p8 packedScanline;
    agg::span_allocator<agg::rgba8> spanAllocator;
    bool clipping = false;  // the rasterizer clips to the canvas
    bool stamping = true;
    // The stamp cache: coverage of shapes drawn more than once, by key, and the hashes of keys
    // seen once, so that a shape drawn only once costs no more than its key.
    ShapeMap<std::vector<agg::int8u>> stamps;
    std::vector<uint64_t> seen;  // kSeenSlots hashes, by their low bits
    size_t stampBytes = 0;
    KeyBuffer stampKey;
    KeyBuffer strokeStyle;
    KeyBuffer keyHead;
    // The open group: its depth, whether its calls are being kept, the calls and what they draw
    // with (pools whose memory is kept from group to group), its key, first point and extent.
    int groupDepth = 0;
    bool grouping = false;
    // After a run of groups met for the first time, groups are only keyed and drawn as they come
    // (`keying`), until one comes again.
    bool keyOnly = false;
    bool keying = false;
    size_t groupMisses = 0;
    std::vector<GroupCall> groupCalls;
    std::vector<GraphicsPath> groupPaths;
    std::vector<Pen> groupPens;
    std::vector<Color> groupColours;
    KeyBuffer groupKey;
    size_t groupPoints = 0;
    size_t groupCallCount = 0;  // calls kept or keyed
    PointD groupOrigin;
    RectD groupExtent;
    // Pictures of groups drawn more than once, by key; they share the stamps' bytes.
    ShapeMap<GroupPicture> pictures;
    // Outlines of shapes drawn more than once, by key, relative to their first point.
    ShapeMap<std::vector<OutlineVertex>> outlines;
    size_t outlineBytes = 0;
    KeyBuffer outlineKey;
    std::vector<OutlineVertex>* collecting = nullptr;  // the outline being kept, while it is made
    PointD collectOrigin;
    // The clip as coverage per device pixel, made when the clip changes.
    std::vector<uint8_t> maskPixels;
    std::vector<uint8_t> layerPixels;
    agg::rendering_buffer maskBuffer;
    agg::rendering_buffer layerBuffer;
    ClipMask mask;
    bool masked = false;
    uint64_t maskId = 0;
    bool maskAntialiased = true;
};

// --- PixelCanvas ----------------------------------------------------------------------------------

namespace {

std::unique_ptr<PixelCanvasImpl> MakePixelImpl(int width, int height, const Color& background, double ppi) {
    try {
        return std::make_unique<PixelCanvasImpl>(width, height, background, ppi);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

PixelCanvas::PixelCanvas(int width, int height, const Color& background, RasterEngine engine, double ppi)
    : engine_(engine), impl_(MakePixelImpl(width, height, background, ppi)) {}

PixelCanvas::~PixelCanvas() = default;

int PixelCanvas::GetWidth() const { return impl_ && impl_->cairo ? impl_->cairo->GetWidth() : 0; }
int PixelCanvas::GetHeight() const { return impl_ && impl_->cairo ? impl_->cairo->GetHeight() : 0; }
Status PixelCanvas::GetLastStatus() const { return impl_ ? impl_->GetStatus() : OutOfMemory; }
double PixelCanvas::GetDeviceScale() const { return impl_ && impl_->cairo ? impl_->cairo->GetDeviceScale() : 1.0; }

namespace {

// A drawing call: through AGG when the engine is AGG and `agg` draws it (answering true), otherwise
// through the Cairo canvas on the same pixels.
template <typename AggCall, typename CairoCall>
Status Route(PixelCanvasImpl* impl, RasterEngine engine, const DrawState& state, AggCall agg, CairoCall viaCairo) {
    if (!impl || !impl->cairo) return WrongState;
    if (engine == RasterEngine::Agg) {
        bool drawn = false;
        const Status st = Guarded([&] {
            // A clipped call cannot join a group's picture: what the group kept is drawn first.
            if (state.clip || (state.containerClips && !state.containerClips->empty())) impl->FlushGroup();
            drawn = agg(*impl);
        });
        if (st != Ok || drawn) return st;
        const Status flushed = Guarded([&] { impl->FlushGroup(); });  // before Cairo draws over it
        if (flushed != Ok) return flushed;
    }
    return viaCairo(*impl->cairo);
}

// Draws what an open group kept, before the pixels are read or drawn on by Cairo.
void FlushGroup(PixelCanvasImpl* impl) {
    if (impl && impl->Grouping()) Guarded([&] { impl->FlushGroup(); });
}

}  // namespace

Status PixelCanvas::DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int tag) {
    return Route(
        impl_.get(), engine_, state, [&](PixelCanvasImpl& agg) { return agg.Stroke(state, pen, path); },
        [&](RasterCanvas& cairo) { return cairo.DrawPath(state, pen, path, tag); });
}

Status PixelCanvas::FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path, int tag) {
    return Route(
        impl_.get(), engine_, state, [&](PixelCanvasImpl& agg) { return agg.Fill(state, brush, path); },
        [&](RasterCanvas& cairo) { return cairo.FillPath(state, brush, path, tag); });
}

Status PixelCanvas::DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to,
                             int tag) {
    const auto viaAgg = [&](PixelCanvasImpl& agg) {
        GraphicsPath line;
        line.AppendRaw(from, PathPointStart);
        line.AppendRaw(to, PathPointLine);
        return agg.Stroke(state, pen, line);
    };
    return Route(impl_.get(), engine_, state, viaAgg,
                 [&](RasterCanvas& cairo) { return cairo.DrawLine(state, pen, from, to, tag); });
}

Status PixelCanvas::FillRectangle(const DrawState& state, const Brush& brush, const RectD& rect, int tag) {
    return Route(
        impl_.get(), engine_, state, [&](PixelCanvasImpl& agg) { return agg.Fill(state, brush, RectanglePath(rect)); },
        [&](RasterCanvas& cairo) { return cairo.FillRectangle(state, brush, rect, tag); });
}

Status PixelCanvas::FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int tag) {
    const auto viaAgg = [&](PixelCanvasImpl& agg) {
        GraphicsPath ellipse(FillModeWinding);
        return ellipse.AddEllipse(rect) == Ok && agg.Fill(state, brush, ellipse);
    };
    return Route(impl_.get(), engine_, state, viaAgg,
                 [&](RasterCanvas& cairo) { return cairo.FillEllipse(state, brush, rect, tag); });
}

Status PixelCanvas::DrawImage(const DrawState& state, const Image& image, const RectD& dest, int tag) {
    if (!impl_ || !impl_->cairo) return WrongState;
    FlushGroup(impl_.get());
    return impl_->cairo->DrawImage(state, image, dest, tag);
}

void PixelCanvas::BeginGroup() {
    if (impl_ && engine_ == RasterEngine::Agg) impl_->BeginGroup();
}

void PixelCanvas::EndGroup() {
    if (!impl_ || engine_ != RasterEngine::Agg) return;
    // Should the picture fail, the calls are drawn one by one.
    if (Guarded([&] { impl_->EndGroup(); }) != Ok) Guarded([&] { impl_->DrawKeptCalls(); });
}

size_t PixelCanvas::StampCacheBytes() const { return impl_ ? impl_->StampBytes() : 0; }

void PixelCanvas::SetStampCache(bool on) {
    if (impl_) impl_->SetStamping(on);
}

Status PixelCanvas::WritePng(const std::string& path) const {
    FlushGroup(impl_.get());
    if (!impl_ || !impl_->cairo) return WrongState;
    return impl_->cairo->WritePng(path);
}

Color PixelCanvas::GetPixel(int x, int y) const {
    FlushGroup(impl_.get());
    if (!impl_ || !impl_->cairo) return Color(0u);
    return impl_->cairo->GetPixel(x, y);
}

std::unique_ptr<Image> PixelCanvas::Snapshot() const {
    FlushGroup(impl_.get());
    if (!impl_ || !impl_->cairo) return nullptr;
    return impl_->cairo->Snapshot();
}

}  // namespace Pictor
