// Rendering through Cairo, shared by the raster, SVG and PDF canvases.
#include "pictor/guarded.h"
#include "pictor/cairo_canvas.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <cstdio>
#include <map>
#include <new>
#include <string>
#include <tuple>
#include <unordered_set>

#include "pictor/cairo_handles.h"
#include "pictor/device_range.h"
#include "pictor/pixels.h"
#include "pictor/stroke_geometry.h"

namespace Pictor {
namespace {

using cairo::ContextPtr;
using cairo::PathPtr;
using cairo::PatternPtr;
using cairo::SavedState;
using cairo::SurfacePtr;

using device::kMaxStrokeReach;
// Geometry clipped here is clipped this far outside the canvas, beyond what antialiasing, image
// filters or a cap at a cut end could show.
constexpr double kFarMargin = 16.0;
// Flattening tolerance in device pixels, Cairo's own default.
constexpr double kFlatness = 0.1;
// Pixman steps through an image in 16.16 fixed point, so a device pixel may span at most 32767
// image pixels (tiling failed at 32768 in our tests). Beyond a quarter of that the image is drawn
// as its mean colour, which is what so strong a reduction shows anyway.
constexpr double kMaxImageMinification = 8192.0;
// A mapping counts as an exact integer translation (pixels copied one to one, no filtering) when
// it is off by no more than this.
constexpr double kIntegerTolerance = 1e-9;
// The hatch cell is this many device pixels square at the reference resolution; its side follows
// the device scale, but never falls below it: a hatch line is at least a pixel wide.
constexpr int kHatchCell = 8;
// Resolutions a canvas can be made for: the range a document accepts.
constexpr double kMinPpi = 1.0;
constexpr double kMaxPpi = 10000.0;
// A PDF or SVG page measures in points, 72 an inch.
constexpr double kPointsPerInch = 72.0;
// Dashes cut here are drawn this many at a time, which bounds the memory of a densely dashed line.
constexpr size_t kDashBatch = 4096;
// Attempts to find an unused temporary name next to an output file.
constexpr int kMaxTemporaryAttempts = 16;

cairo_matrix_t ToCairo(const Matrix& m) {
    cairo_matrix_t c;
    cairo_matrix_init(&c, m.M11(), m.M12(), m.M21(), m.M22(), m.OffsetX(), m.OffsetY());
    return c;
}

// Cairo puts a context into a permanent error state when given a matrix it cannot invert; this
// is its own test, applied before any matrix reaches it.
bool CairoAccepts(const cairo_matrix_t& m) { return device::Invertible(m.xx, m.yx, m.xy, m.yy, m.x0, m.y0); }

bool IsIntegerTranslation(const cairo_matrix_t& m) {
    auto near = [](double a, double b) { return std::fabs(a - b) <= kIntegerTolerance; };
    return near(m.xx, 1) && near(m.yy, 1) && near(m.xy, 0) && near(m.yx, 0) && near(m.x0, std::round(m.x0)) &&
           near(m.y0, std::round(m.y0));
}

std::array<PointD, 4> Corners(const RectD& r) {
    return {PointD{r.x, r.y}, PointD{r.x + r.width, r.y}, PointD{r.x + r.width, r.y + r.height},
            PointD{r.x, r.y + r.height}};
}

GraphicsPath RectanglePath(const RectD& r) {
    GraphicsPath path;
    const auto corners = Corners(r);
    path.AppendRaw(corners[0], PathPointStart);
    path.AppendRaw(corners[1], PathPointLine);
    path.AppendRaw(corners[2], PathPointLine);
    path.AppendRaw(corners[3], static_cast<uint8_t>(PathPointLine | PathPointClose));
    return path;
}

// The mean of the image's pixels (premultiplied, so transparent pixels weigh nothing), straight.
Color MeanColor(const Image& image) {
    const std::vector<uint32_t>& px = image.Buffer()->pixels;
    if (px.empty()) return Color(0u);
    uint64_t sum[4] = {0, 0, 0, 0};
    for (uint32_t p : px) {
        for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
    }
    uint32_t mean = 0;
    for (int c = 0; c < 4; ++c)
        mean |= static_cast<uint32_t>((sum[c] + px.size() / 2) / px.size()) << (8 * c);
    return pixels::Unpremultiply(mean);
}

void SetSourceColor(cairo_t* cr, const Color& c, bool opaque = false) {
    cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0,
                          opaque ? 1.0 : c.GetA() / 255.0);
}

cairo_fill_rule_t FillRule(int fillMode) {
    return fillMode == FillModeAlternate ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING;
}

cairo_antialias_t Antialias(int smoothing) {
    return smoothing == SmoothingFast || smoothing == SmoothingOff ? CAIRO_ANTIALIAS_NONE
                                                                   : CAIRO_ANTIALIAS_DEFAULT;
}

cairo_line_join_t CairoJoin(int join) {
    switch (join) {
        case LineJoinBevel:
            return CAIRO_LINE_JOIN_BEVEL;
        case LineJoinRound:
            return CAIRO_LINE_JOIN_ROUND;
        default:  // miter; the clipped miter starts as one and gets its cut-off tips added
            return CAIRO_LINE_JOIN_MITER;
    }
}

cairo_line_cap_t CairoCap(int cap) {
    switch (cap) {
        case LineCapSquare:
            return CAIRO_LINE_CAP_SQUARE;
        case LineCapRound:
            return CAIRO_LINE_CAP_ROUND;
        default:  // flat, and triangle, whose point is added separately
            return CAIRO_LINE_CAP_BUTT;
    }
}

// Adds the path's figures to the context's current path. Bezier points come in threes; a figure
// cut short is finished with straight lines rather than dropped.
void AppendPath(cairo_t* cr, const GraphicsPath& path) {
    const std::vector<PointD>& pts = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    const size_t n = std::min(pts.size(), types.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t type = types[i] & PathPointTypeMask;
        size_t last = i;
        if (type == PathPointStart) {
            cairo_move_to(cr, pts[i].x, pts[i].y);
        } else if (type == PathPointBezier && i + 2 < n) {
            cairo_curve_to(cr, pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, pts[i + 2].x, pts[i + 2].y);
            last = i + 2;
        } else {
            cairo_line_to(cr, pts[i].x, pts[i].y);
        }
        if (types[last] & PathPointClose) cairo_close_path(cr);
        i = last;
    }
}

void AppendPolylines(cairo_t* cr, const std::vector<stroke::Polyline>& lines) {
    for (const stroke::Polyline& line : lines) {
        for (size_t i = 0; i < line.points.size(); ++i) {
            if (i == 0) {
                cairo_move_to(cr, line.points[i].x, line.points[i].y);
            } else {
                cairo_line_to(cr, line.points[i].x, line.points[i].y);
            }
        }
        if (line.closed) cairo_close_path(cr);
    }
}

// The context's current path, flattened, as polylines in the current user space.
std::vector<stroke::Polyline> FlattenCurrentPath(cairo_t* cr) {
    std::vector<stroke::Polyline> lines;
    PathPtr flat(cairo_copy_path_flat(cr));
    if (flat->status != CAIRO_STATUS_SUCCESS) return lines;
    for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
        const cairo_path_data_t& d = flat->data[i];
        switch (d.header.type) {
            case CAIRO_PATH_MOVE_TO:
                lines.emplace_back();
                lines.back().points.push_back({flat->data[i + 1].point.x, flat->data[i + 1].point.y});
                break;
            case CAIRO_PATH_LINE_TO:
                if (lines.empty()) lines.emplace_back();
                lines.back().points.push_back({flat->data[i + 1].point.x, flat->data[i + 1].point.y});
                break;
            case CAIRO_PATH_CLOSE_PATH:
                if (!lines.empty()) lines.back().closed = true;
                break;
            case CAIRO_PATH_CURVE_TO:  // not produced by flattening
                break;
        }
    }
    return lines;
}

// --- Output files -------------------------------------------------------------------------------

// A temporary file beside the destination, renamed over it only when complete; otherwise removed.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { Discard(); }

    Status Open(const std::string& destination) {
        static std::atomic<unsigned> counter{0};
        destination_ = destination;
        for (int attempt = 0; attempt < kMaxTemporaryAttempts; ++attempt) {
            // A short name of its own in the destination's folder: the destination's name plus a
            // suffix could pass the longest name the file system allows.
            temporary_ = (std::filesystem::path(destination).parent_path() /
                          (".symbolize-" + std::to_string(getpid()) + "-" + std::to_string(counter++)))
                             .string();
            fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) return Ok;
            if (errno != EEXIST) break;
        }
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        temporary_.clear();
        return missing ? FileNotFound : GenericError;
    }

    // Cairo's write callback; `closure` is the TemporaryFile.
    static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
        auto* self = static_cast<TemporaryFile*>(closure);
        if (self->fd_ < 0) return CAIRO_STATUS_SUCCESS;  // discarded: the bytes go nowhere
        while (length > 0) {
            const ssize_t written = write(self->fd_, data, length);
            if (written < 0) {
                if (errno == EINTR) continue;
                return CAIRO_STATUS_WRITE_ERROR;
            }
            data += written;
            length -= static_cast<unsigned int>(written);
        }
        return CAIRO_STATUS_SUCCESS;
    }

    Status Commit() {
        if (fd_ < 0) return WrongState;
        const int closed = close(fd_);
        fd_ = -1;
        if (closed != 0 || rename(temporary_.c_str(), destination_.c_str()) != 0) {
            Discard();
            return GenericError;
        }
        temporary_.clear();
        return Ok;
    }

    void Discard() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
        if (!temporary_.empty()) unlink(temporary_.c_str());
        temporary_.clear();
    }

private:
    std::string destination_;
    std::string temporary_;
    int fd_ = -1;
};

bool ValidPpi(double ppi) { return ppi >= kMinPpi && ppi <= kMaxPpi; }

// Side in device pixels of a raster hatch cell at the device scale.
int RasterHatchSide(double deviceScale) {
    return std::max(kHatchCell, static_cast<int>(std::lround(kHatchCell * deviceScale)));
}

Status CheckCanvasSize(int width, int height) {
    if (width < 1 || height < 1) return InvalidParameter;
    if (width > kMaxBitmapSide || height > kMaxBitmapSide ||
        int64_t{width} * int64_t{height} > kMaxBitmapPixels) {
        return ValueOverflow;
    }
    return Ok;
}

}  // namespace

// --- The shared implementation --------------------------------------------------------------------

class CairoCanvasImpl {
public:
    int width = 0;
    int height = 0;
    double deviceScale = 1.0;    // device pixels per reference pixel
    Status status = WrongState;  // Ok while usable; otherwise why not
    // Cairo 1.16's SVG surface leaks every group drawn on it (a recording surface used as a
    // source), so SVG canvases draw without groups.
    bool canGroup = true;
    bool finished = false;
    std::shared_ptr<PixelBuffer> pixels;  // raster canvases: the pixels Cairo draws into
    TemporaryFile file;                   // vector canvases: declared before the surface, which writes to it
    // The first pattern drawn from each recorded drawing. Cairo 1.16's SVG surface loses memory
    // when such a pattern or its recording is destroyed before the document is finished, so
    // vector canvases hold them until then (ReleaseSources).
    struct KeptSource {
        PatternPtr pattern;
        // The bitmap's drawing the pattern shows; unset for the canvas' own hatch cells.
        std::weak_ptr<const RecordedDrawing> owner;
    };
    std::vector<KeptSource> sources;
    bool svg = false;
    std::unordered_set<const cairo_surface_t*> sourceSurfaces;
    // Hatch cells of vector canvases by style and colours: one recording (and one pattern in the
    // document) per kind of hatch, however many shapes use it.
    std::map<std::tuple<int, uint32_t, uint32_t>, SurfacePtr> hatchCells;
    SurfacePtr surface;
    ContextPtr cr;

    CairoCanvasImpl() = default;
    CairoCanvasImpl(const CairoCanvasImpl&) = delete;
    CairoCanvasImpl& operator=(const CairoCanvasImpl&) = delete;
    // An unfinished document is dropped: nothing is written and nothing is left at its path.
    ~CairoCanvasImpl() {
        if (!finished) file.Discard();
        cr.reset();
        surface.reset();
        ReleaseSources();
    }

    // Once the document is done. Cairo 1.16's SVG surface also keeps references of its own to
    // every recording it drew from, and never drops them: a recording whose bitmap is gone (or a
    // hatch cell) is finished here, which frees its drawing and leaves only Cairo's small surface
    // record behind (tests/lsan.supp names it). A bitmap still held keeps its drawing usable.
    void ReleaseSources() {
        hatchCells.clear();
        for (KeptSource& kept : sources) {
            cairo_surface_t* recording = nullptr;
            if (svg && kept.owner.expired() &&
                cairo_pattern_get_surface(kept.pattern.get(), &recording) == CAIRO_STATUS_SUCCESS) {
                cairo_surface_finish(recording);
            }
        }
        sources.clear();
        sourceSurfaces.clear();
    }

    void KeepSource(cairo_pattern_t* pattern, const cairo_surface_t* source,
                    std::weak_ptr<const RecordedDrawing> owner = {}) {
        if (pixels || !sourceSurfaces.insert(source).second) return;
        sources.push_back({PatternPtr(cairo_pattern_reference(pattern)), std::move(owner)});
    }

    // Creates the context over `surface` and records whether both work.
    void Start(SurfacePtr s) {
        surface = std::move(s);
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
            status = SurfaceError;
            return;
        }
        cr.reset(cairo_create(surface.get()));
        status = cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS ? Ok : SurfaceError;
    }

    // Ok, or what a drawing call returns on an unusable canvas.
    Status Ready() const {
        if (finished || !cr) return WrongState;
        return status == Ok ? Ok : SurfaceError;
    }

    // The one place where Cairo's status becomes ours. Cairo keeps its first error and ignores
    // drawing after it; so does the canvas.
    Status Check() {
        cairo_status_t st = cairo_status(cr.get());
        if (st == CAIRO_STATUS_SUCCESS) st = cairo_surface_status(surface.get());
        if (st == CAIRO_STATUS_SUCCESS) return Ok;
        if (status == Ok) status = SurfaceError;
        return SurfaceError;
    }

    // Fills `shape` (drawing units). `bounds` is what a clamped texture is stretched over.
    Status Fill(const DrawState& state, const Brush& brush, const RectD& bounds, const GraphicsPath& shape);
    Status Stroke(const DrawState& state, const Pen& pen, const GraphicsPath& path);
    Status DrawImage(const DrawState& state, const Image& image, const RectD& dest);

private:
    // Checks the canvas, the world transform and the clip before a drawing call. `skip` is set
    // when the call is valid but shows nothing.
    Status Begin(const DrawState& state, bool* skip);
    Status ApplyClip(const DrawState& state);
    // The canvas grown by `margin` on every side, in device pixels.
    RectD Box(double margin) const { return {-margin, -margin, width + 2 * margin, height + 2 * margin}; }
    // Adds the shape to the current path, flattened and clipped to the canvas when it reaches
    // beyond Cairo's range. False when it is too large to flatten.
    bool AppendFillShape(const GraphicsPath& shape, const Matrix& toDevice);
    // Sets the brush as source. `skip` is set when the brush covers nothing.
    Status SetBrushSource(const Matrix& world, const Brush& brush, const RectD& bounds, bool* skip);
    void SetHatchSource(const HatchBrush& brush);
    Status SetGradientSource(const Matrix& world, const LinearGradientBrush& brush, bool* skip);
    Status SetTextureSource(const Matrix& world, const TextureBrush& brush, const RectD& bounds, bool* skip);
    // A recorded drawing as source, its pattern mapped by `toImage` from drawing units.
    void SetRecordedSource(const std::shared_ptr<RecordedDrawing>& drawing, const cairo_matrix_t& toImage,
                           const Matrix& world, cairo_extend_t extend);
    // Sets the image as source under the world transform; `toImage` maps drawing units to image
    // pixels. False when the mapping cannot be inverted (the image is squeezed to nothing).
    bool SetImageSource(const Image& image, const cairo_matrix_t& toImage, const Matrix& world,
                        cairo_extend_t extend);
    // Strokes the polylines (or, with `strokeCurrentPath`, the path already built from them) with
    // the current source and fills what Cairo cannot draw: triangle caps and the cut-off tips of
    // clipped miters.
    void StrokePolylines(const Pen& pen, double width, const std::vector<stroke::Polyline>& lines,
                         bool strokeCurrentPath);

    uint64_t appliedClipId_ = 0;
    cairo_antialias_t appliedClipAntialias_ = CAIRO_ANTIALIAS_DEFAULT;
};

Status CairoCanvasImpl::Begin(const DrawState& state, bool* skip) {
    *skip = false;
    if (Status st = Ready(); st != Ok) return st;
    // A world transform that flattens everything leaves nothing to see.
    if (!CairoAccepts(ToCairo(state.world))) {
        *skip = true;
        return Ok;
    }
    return ApplyClip(state);
}

bool CairoCanvasImpl::AppendFillShape(const GraphicsPath& shape, const Matrix& toDevice) {
    if (device::WithinRange(toDevice, shape)) {
        AppendPath(cr.get(), shape);
        return true;
    }
    std::vector<stroke::Polyline> figures;
    if (!stroke::FlattenFigures(shape, toDevice, kFlatness, &figures)) return false;
    AppendPolylines(cr.get(), stroke::ClipPolygons(figures, toDevice, Box(kFarMargin)));
    return true;
}

// The clip lives in the context's base state, outside the per-call save, and is rebuilt only
// when the Graphics changed it (or the antialiasing its edges were made with).
Status CairoCanvasImpl::ApplyClip(const DrawState& state) {
    const bool clipped = state.clip || (state.containerClips && !state.containerClips->empty());
    const uint64_t id = clipped ? state.clipId : 0;
    const cairo_antialias_t aa = Antialias(state.smoothing);
    if (id == appliedClipId_ && (id == 0 || aa == appliedClipAntialias_)) return Ok;
    cairo_t* c = cr.get();
    cairo_reset_clip(c);
    appliedClipId_ = 0;
    // Each clip narrows the ones before it: the containers' first, then the Graphics' own.
    const auto narrow = [&](const GraphicsPath& clip) {
        cairo_identity_matrix(c);
        cairo_new_path(c);
        if (!AppendFillShape(clip, Matrix())) return false;
        cairo_set_fill_rule(c, FillRule(clip.GetFillMode()));
        cairo_set_antialias(c, aa);
        cairo_clip(c);
        return true;
    };
    if (state.containerClips) {
        for (const GraphicsPath& clip : *state.containerClips) {
            if (!narrow(clip)) return InvalidParameter;
        }
    }
    if (state.clip && !narrow(*state.clip)) return InvalidParameter;
    appliedClipId_ = id;
    appliedClipAntialias_ = aa;
    return Ok;
}

bool CairoCanvasImpl::SetImageSource(const Image& image, const cairo_matrix_t& toImage, const Matrix& world,
                                     cairo_extend_t extend) {
    cairo_matrix_t w = ToCairo(world);
    cairo_matrix_t fromImage = toImage;
    if (!CairoAccepts(toImage) || cairo_matrix_invert(&fromImage) != CAIRO_STATUS_SUCCESS) return false;
    if (image.Recording()) {
        // Vector drawing has no pixels to minify: it is replayed at any scale.
        SetRecordedSource(image.Recording(), toImage, world,
                          extend == CAIRO_EXTEND_PAD ? CAIRO_EXTEND_NONE : extend);
        return true;
    }
    cairo_matrix_t toDevice;  // image pixels to device pixels
    cairo_matrix_multiply(&toDevice, &fromImage, &w);
    cairo_matrix_t deviceToImage = toDevice;
    const bool representable =
        CairoAccepts(toDevice) && cairo_matrix_invert(&deviceToImage) == CAIRO_STATUS_SUCCESS &&
        std::max({std::fabs(deviceToImage.xx), std::fabs(deviceToImage.xy), std::fabs(deviceToImage.yx),
                  std::fabs(deviceToImage.yy)}) <= kMaxImageMinification;
    cairo_set_matrix(cr.get(), &w);
    if (!representable) {
        SetSourceColor(cr.get(), MeanColor(image));
        return true;
    }

    PixelBuffer& buffer = *image.Buffer();
    SurfacePtr source;
    if (image.Buffer() == pixels) {
        // Reading the pixels being drawn into: draw from a copy.
        source.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, buffer.width, buffer.height));
        cairo_surface_flush(surface.get());
        ContextPtr copy(cairo_create(source.get()));
        cairo_set_source_surface(copy.get(), surface.get(), 0, 0);
        cairo_set_operator(copy.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(copy.get());
    } else {
        source = cairo::WrapPixels(buffer);
    }
    // The pattern holds its own reference to `source`; vector surfaces copy the pixels before
    // the surface lets go of the image's buffer at the end of the call.
    PatternPtr pattern(cairo_pattern_create_for_surface(source.get()));
    cairo_pattern_set_extend(pattern.get(), extend);
    cairo_pattern_set_filter(pattern.get(),
                             IsIntegerTranslation(toDevice) ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_matrix(pattern.get(), &toImage);
    cairo_set_source(cr.get(), pattern.get());
    return true;
}

void CairoCanvasImpl::SetRecordedSource(const std::shared_ptr<RecordedDrawing>& drawing,
                                        const cairo_matrix_t& toImage, const Matrix& world,
                                        cairo_extend_t extend) {
    cairo_matrix_t w = ToCairo(world);
    cairo_set_matrix(cr.get(), &w);
    PatternPtr pattern(cairo_pattern_create_for_surface(drawing->surface.get()));
    cairo_pattern_set_extend(pattern.get(), extend);
    cairo_pattern_set_matrix(pattern.get(), &toImage);
    cairo_set_source(cr.get(), pattern.get());
    KeepSource(pattern.get(), drawing->surface.get(), drawing);
}

namespace {

// On vector canvases the cell is drawn as rectangles, one per run of fore pixels, so hatching
// stays sharp at any zoom.
SurfacePtr VectorHatchCell(const HatchBrush& brush) {
    const cairo_rectangle_t extents{0.0, 0.0, double(kHatchCell), double(kHatchCell)};
    SurfacePtr cell(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
    ContextPtr c(cairo_create(cell.get()));
    cairo_set_antialias(c.get(), CAIRO_ANTIALIAS_NONE);
    SetSourceColor(c.get(), brush.GetBackgroundColor());
    cairo_paint(c.get());
    // The fore colour replaces the back colour rather than blending over it, as in raster cells.
    cairo_set_operator(c.get(), CAIRO_OPERATOR_SOURCE);
    SetSourceColor(c.get(), brush.GetForegroundColor());
    for (int y = 0; y < kHatchCell; ++y) {
        for (int x = 0; x < kHatchCell;) {
            if (!HatchBrush::IsForePixel(brush.GetHatchStyle(), x, y)) {
                ++x;
                continue;
            }
            int end = x + 1;
            while (end < kHatchCell && HatchBrush::IsForePixel(brush.GetHatchStyle(), end, y)) ++end;
            cairo_rectangle(c.get(), x, y, end - x, 1);
            x = end;
        }
    }
    cairo_fill(c.get());
    return cell;
}

}  // namespace

void CairoCanvasImpl::SetHatchSource(const HatchBrush& brush) {
    if (!pixels) {
        SurfacePtr& cell = hatchCells[{brush.GetHatchStyle(), brush.GetForegroundColor().GetValue(),
                                       brush.GetBackgroundColor().GetValue()}];
        if (!cell) cell = VectorHatchCell(brush);
        PatternPtr pattern(cairo_pattern_create_for_surface(cell.get()));
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
        // The cell's units are reference pixels, never smaller than device pixels, as on rasters.
        cairo_matrix_t toCell;
        const double cellScale = std::max(1.0, deviceScale);
        cairo_matrix_init_scale(&toCell, 1.0 / cellScale, 1.0 / cellScale);
        cairo_pattern_set_matrix(pattern.get(), &toCell);
        cairo_identity_matrix(cr.get());
        cairo_set_source(cr.get(), pattern.get());
        KeepSource(pattern.get(), cell.get());
        return;
    }
    // Each device pixel shows the reference cell's pixel it falls in, so a line is as many pixels
    // wide as the device scale says; at scale 1 this is the 8 x 8 cell itself.
    const int side = RasterHatchSide(deviceScale);
    SurfacePtr cell(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
    cairo_surface_flush(cell.get());
    unsigned char* data = cairo_image_surface_get_data(cell.get());
    const int stride = cairo_image_surface_get_stride(cell.get());
    const uint32_t fore = pixels::Premultiply(brush.GetForegroundColor());
    const uint32_t back = pixels::Premultiply(brush.GetBackgroundColor());
    if (data) {
        for (int y = 0; y < side; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = 0; x < side; ++x) {
                row[x] = HatchBrush::IsForePixel(brush.GetHatchStyle(), x * kHatchCell / side,
                                                 y * kHatchCell / side)
                             ? fore
                             : back;
            }
        }
    }
    cairo_surface_mark_dirty(cell.get());
    PatternPtr pattern(cairo_pattern_create_for_surface(cell.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    // Set under the identity so that the cells line up with the device origin.
    cairo_identity_matrix(cr.get());
    cairo_set_source(cr.get(), pattern.get());
}

Status CairoCanvasImpl::SetGradientSource(const Matrix& world, const LinearGradientBrush& brush, bool* skip) {
    cairo_matrix_t toBrush = ToCairo(brush.GetTransform());
    if (!CairoAccepts(toBrush) || cairo_matrix_invert(&toBrush) != CAIRO_STATUS_SUCCESS ||
        !CairoAccepts(toBrush)) {
        return InvalidParameter;
    }
    PointD start, end;
    brush.GetAxis(&start, &end);
    if (start == end) {
        *skip = true;
        return Ok;
    }
    PatternPtr pattern(cairo_pattern_create_linear(start.x, start.y, end.x, end.y));
    const Color c1 = brush.GetColor1();
    const Color c2 = brush.GetColor2();
    auto mix = [](uint8_t a, uint8_t b, double f) { return (a + f * (b - a)) / 255.0; };
    const std::vector<double>& factors = brush.GetBlendFactors();
    const std::vector<double>& positions = brush.GetBlendPositions();
    // Colours are linear in the factor, so one stop per table entry reproduces the table exactly.
    for (size_t i = 0; i < factors.size() && i < positions.size(); ++i) {
        const double f = factors[i];
        cairo_pattern_add_color_stop_rgba(pattern.get(), positions[i], mix(c1.GetR(), c2.GetR(), f),
                                          mix(c1.GetG(), c2.GetG(), f), mix(c1.GetB(), c2.GetB(), f),
                                          mix(c1.GetA(), c2.GetA(), f));
    }
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_matrix(pattern.get(), &toBrush);
    cairo_matrix_t w = ToCairo(world);
    cairo_set_matrix(cr.get(), &w);
    cairo_set_source(cr.get(), pattern.get());
    return Ok;
}

Status CairoCanvasImpl::SetTextureSource(const Matrix& world, const TextureBrush& brush, const RectD& bounds,
                                         bool* skip) {
    const Image& image = brush.GetImage();
    if ((!image.Buffer() && !image.Recording()) || image.GetWidth() < 1 || image.GetHeight() < 1)
        return InvalidParameter;
    cairo_matrix_t toImage;
    if (brush.GetWrapMode() != WrapModeClamp) {
        cairo_matrix_init_identity(&toImage);  // tiles from the world origin, a pixel per unit
        *skip = !SetImageSource(image, toImage, world, CAIRO_EXTEND_REPEAT);
        return Ok;
    }
    if (!(bounds.width > 0 && bounds.height > 0)) {
        *skip = true;
        return Ok;
    }
    cairo_matrix_init_scale(&toImage, image.GetWidth() / bounds.width, image.GetHeight() / bounds.height);
    cairo_matrix_translate(&toImage, -bounds.x, -bounds.y);
    // Padding repeats the edge pixels, so the picture's border stays crisp where a filter would
    // otherwise blend it with transparency.
    *skip = !SetImageSource(image, toImage, world, CAIRO_EXTEND_PAD);
    return Ok;
}

Status CairoCanvasImpl::SetBrushSource(const Matrix& world, const Brush& brush, const RectD& bounds,
                                       bool* skip) {
    *skip = false;
    if (brush.GetLastStatus() != Ok) return InvalidParameter;
    switch (brush.GetType()) {
        case BrushType::Solid:
            SetSourceColor(cr.get(), static_cast<const SolidBrush&>(brush).GetColor());
            return Ok;
        case BrushType::Hatch:
            SetHatchSource(static_cast<const HatchBrush&>(brush));
            return Ok;
        case BrushType::LinearGradient:
            return SetGradientSource(world, static_cast<const LinearGradientBrush&>(brush), skip);
        case BrushType::Texture:
            return SetTextureSource(world, static_cast<const TextureBrush&>(brush), bounds, skip);
    }
    return InvalidParameter;
}

Status CairoCanvasImpl::Fill(const DrawState& state, const Brush& brush, const RectD& bounds,
                             const GraphicsPath& shape) {
    bool skip = false;
    if (Status st = Begin(state, &skip); st != Ok || skip) return st;
    cairo_t* c = cr.get();
    SavedState saved(c);
    cairo_set_antialias(c, Antialias(state.smoothing));
    if (Status st = SetBrushSource(state.world, brush, bounds, &skip); st != Ok || skip) return st;
    cairo_matrix_t w = ToCairo(state.world);
    cairo_set_matrix(c, &w);
    cairo_new_path(c);
    if (!AppendFillShape(shape, state.world)) return InvalidParameter;
    cairo_set_fill_rule(c, FillRule(shape.GetFillMode()));
    cairo_fill(c);
    return Check();
}

void CairoCanvasImpl::StrokePolylines(const Pen& pen, double width,
                                      const std::vector<stroke::Polyline>& lines, bool strokeCurrentPath) {
    cairo_t* c = cr.get();
    if (!strokeCurrentPath) {
        cairo_new_path(c);
        AppendPolylines(c, lines);
    }
    cairo_stroke(c);
    // Overlapping pieces are seamless in one opaque layer; a translucent pen drawn without a
    // group would show them darker.
    const bool overlap = canGroup || pen.GetColor().GetA() == 255;
    std::vector<stroke::Polygon> extras;
    for (const stroke::Polyline& line : lines) {
        if (pen.GetLineCap() == LineCapTriangle) stroke::AddTriangleCaps(line, width / 2, overlap, &extras);
        if (pen.GetLineJoin() == LineJoinMiterClipped) {
            stroke::AddClippedMiters(line, width / 2, pen.GetMiterLimit(), overlap, &extras);
        }
    }
    if (extras.empty()) return;
    for (stroke::Polygon& polygon : extras) {
        stroke::OrientPositive(&polygon);
        AppendPolylines(c, {stroke::Polyline{std::move(polygon), true}});
    }
    cairo_set_fill_rule(c, CAIRO_FILL_RULE_WINDING);
    cairo_fill(c);
}

// Cairo strokes a path itself when it can. Triangle caps, clipped miters and geometry beyond
// Cairo's range go through polylines instead: dashes are then cut here (so that each gets its
// caps and joins), only those near the canvas are kept, and far geometry is clipped to the canvas.
Status CairoCanvasImpl::Stroke(const DrawState& state, const Pen& pen, const GraphicsPath& path) {
    bool skip = false;
    if (Status st = Begin(state, &skip); st != Ok || skip) return st;
    if (!pen.IsValid()) return InvalidParameter;

    // Width 0 is one device pixel (times the device scale above 1): the stroke is computed in device
    // space. Otherwise it is computed in drawing units, so the width follows the world transform.
    const bool hairline = pen.GetWidth() == 0.0;
    const double width = hairline ? std::max(1.0, deviceScale) : pen.GetWidth();
    const Matrix strokeToDevice = hairline ? Matrix() : state.world;
    const double reach = device::StrokeReach(pen, width, strokeToDevice);
    if (!(reach <= kMaxStrokeReach)) return InvalidParameter;

    std::vector<double> dashes = pen.GetEffectiveDashPattern();
    for (double& d : dashes) d *= width;
    bool dashed = !dashes.empty();
    if (dashed) {
        // Too many dashes would take unbounded time and memory: such a line is drawn solid.
        int figures = 0;
        const double length = device::ControlPolygonLength(path, hairline ? state.world : Matrix(), &figures);
        dashed = stroke::EstimateDashCount(length, dashes, figures) <= stroke::kMaxDashCount;
    }

    cairo_t* c = cr.get();
    SavedState saved(c);
    cairo_set_antialias(c, Antialias(state.smoothing));
    cairo_set_line_width(c, width);
    cairo_set_line_cap(c, CairoCap(pen.GetLineCap()));
    cairo_set_line_join(c, CairoJoin(pen.GetLineJoin()));
    cairo_set_miter_limit(c, pen.GetMiterLimit());
    cairo_matrix_t w = ToCairo(state.world);
    cairo_set_matrix(c, &w);
    cairo_new_path(c);

    const bool far = !device::WithinRange(state.world, path);
    const bool extras = pen.GetLineCap() == LineCapTriangle || pen.GetLineJoin() == LineJoinMiterClipped;
    if (!far && !extras) {
        AppendPath(c, path);
        if (hairline) cairo_identity_matrix(c);  // the path stays where it is; only the width changes
        if (dashed) cairo_set_dash(c, dashes.data(), static_cast<int>(dashes.size()), 0.0);
        SetSourceColor(c, pen.GetColor());
        cairo_stroke(c);
        return Check();
    }

    std::vector<stroke::Polyline> lines;
    if (far) {
        if (!stroke::FlattenFigures(path, state.world, kFlatness, &lines)) return InvalidParameter;
        if (hairline) {
            for (stroke::Polyline& line : lines) {
                for (PointD& p : line.points) p = state.world.TransformPoint(p);
            }
            cairo_identity_matrix(c);
        }
    } else {
        AppendPath(c, path);
        if (hairline) cairo_identity_matrix(c);
        lines = FlattenCurrentPath(c);  // in the stroke's space
    }
    const RectD box = Box(reach + kFarMargin);

    // Stroke and extras overlap; a translucent pen is drawn opaque into a group and blended once,
    // so the overlaps do not show darker.
    const Color color = pen.GetColor();
    const bool grouped = extras && color.GetA() < 255 && canGroup;
    if (grouped) cairo_push_group(c);
    SetSourceColor(c, color, grouped);
    if (dashed) {
        // Dashes are drawn in batches as they are cut, keeping only those near the canvas.
        std::vector<stroke::Polyline> batch;
        auto draw = [&](stroke::Polyline&& dash) {
            if (!stroke::Touches(dash, strokeToDevice, box)) return;
            if (far) {
                for (stroke::Polyline& piece : stroke::ClipPolylines({dash}, strokeToDevice, box)) {
                    batch.push_back(std::move(piece));
                }
            } else {
                batch.push_back(std::move(dash));
            }
            if (batch.size() >= kDashBatch) {
                StrokePolylines(pen, width, batch, false);
                batch.clear();
            }
        };
        stroke::ApplyDashes(lines, dashes, draw);
        StrokePolylines(pen, width, batch, false);
    } else if (far) {
        StrokePolylines(pen, width, stroke::ClipPolylines(lines, strokeToDevice, box), false);
    } else {
        StrokePolylines(pen, width, lines, true);
    }
    if (grouped) {
        cairo_pop_group_to_source(c);
        cairo_paint_with_alpha(c, color.GetA() / 255.0);
    }
    return Check();
}

Status CairoCanvasImpl::DrawImage(const DrawState& state, const Image& image, const RectD& dest) {
    bool skip = false;
    if (Status st = Begin(state, &skip); st != Ok || skip) return st;
    if ((!image.Buffer() && !image.Recording()) || image.GetWidth() < 1 || image.GetHeight() < 1)
        return InvalidParameter;
    if (!(dest.width > 0 && dest.height > 0)) return Ok;

    cairo_t* c = cr.get();
    SavedState saved(c);
    cairo_set_antialias(c, Antialias(state.smoothing));
    cairo_matrix_t toImage;  // drawing units to image pixels
    cairo_matrix_init_scale(&toImage, image.GetWidth() / dest.width, image.GetHeight() / dest.height);
    cairo_matrix_translate(&toImage, -dest.x, -dest.y);
    if (!SetImageSource(image, toImage, state.world, CAIRO_EXTEND_PAD)) return Ok;
    cairo_new_path(c);
    cairo_rectangle(c, dest.x, dest.y, dest.width, dest.height);
    cairo_fill(c);
    return Check();
}

// --- CairoCanvas ----------------------------------------------------------------------------------

CairoCanvas::CairoCanvas(std::unique_ptr<CairoCanvasImpl> impl) : impl_(std::move(impl)) {}
CairoCanvas::~CairoCanvas() = default;

int CairoCanvas::GetWidth() const { return impl_ ? impl_->width : 0; }
int CairoCanvas::GetHeight() const { return impl_ ? impl_->height : 0; }
double CairoCanvas::GetDeviceScale() const { return impl_ ? impl_->deviceScale : 1.0; }
Status CairoCanvas::GetLastStatus() const { return impl_ ? impl_->status : OutOfMemory; }

Status CairoCanvas::DrawPath(const DrawState& state, const Pen& pen, const GraphicsPath& path, int /*tag*/) {
    if (!impl_) return WrongState;
    return Guarded([&] { return impl_->Stroke(state, pen, path); });
}

Status CairoCanvas::FillPath(const DrawState& state, const Brush& brush, const GraphicsPath& path,
                             int /*tag*/) {
    if (!impl_) return WrongState;
    return Guarded([&] {
        RectD bounds;
        if (brush.GetType() == BrushType::Texture && path.GetBounds(&bounds) != Ok) return InvalidParameter;
        return impl_->Fill(state, brush, bounds, path);
    });
}

Status CairoCanvas::DrawLine(const DrawState& state, const Pen& pen, const PointD& from, const PointD& to,
                             int /*tag*/) {
    if (!impl_) return WrongState;
    return Guarded([&] {
        GraphicsPath line;
        line.AppendRaw(from, PathPointStart);
        line.AppendRaw(to, PathPointLine);
        return impl_->Stroke(state, pen, line);
    });
}

Status CairoCanvas::FillRectangle(const DrawState& state, const Brush& brush, const RectD& rect,
                                  int /*tag*/) {
    if (!impl_) return WrongState;
    return Guarded([&] { return impl_->Fill(state, brush, rect, RectanglePath(rect)); });
}

Status CairoCanvas::FillEllipse(const DrawState& state, const Brush& brush, const RectD& rect, int /*tag*/) {
    if (!impl_) return WrongState;
    return Guarded([&] {
        GraphicsPath ellipse(FillModeWinding);
        if (Status st = ellipse.AddEllipse(rect); st != Ok) return st;
        return impl_->Fill(state, brush, rect, ellipse);  // a clamped texture covers the box
    });
}

Status CairoCanvas::DrawImage(const DrawState& state, const Image& image, const RectD& dest, int /*tag*/) {
    if (!impl_) return WrongState;
    // Images are not clipped here: one reaching beyond Cairo's range is refused.
    const auto corners = Corners(dest);
    if (!device::WithinRange(state.world, corners.data(), corners.size())) return InvalidParameter;
    return Guarded([&] { return impl_->DrawImage(state, image, dest); });
}

// --- RasterCanvas ---------------------------------------------------------------------------------

namespace {

std::unique_ptr<CairoCanvasImpl> MakeRasterImpl(std::shared_ptr<PixelBuffer> buffer, Status sizeStatus) {
    auto impl = std::make_unique<CairoCanvasImpl>();
    if (sizeStatus != Ok || !buffer) {
        impl->status = sizeStatus != Ok ? sizeStatus : InvalidParameter;
        return impl;
    }
    impl->width = buffer->width;
    impl->height = buffer->height;
    impl->pixels = std::move(buffer);
    impl->Start(cairo::WrapPixels(*impl->pixels));
    return impl;
}

std::unique_ptr<CairoCanvasImpl> MakeOwnRaster(int width, int height, const Color& background, double ppi) {
    Status st = ValidPpi(ppi) ? CheckCanvasSize(width, height) : InvalidParameter;
    std::shared_ptr<PixelBuffer> buffer;
    if (st == Ok) {
        try {
            buffer = std::make_shared<PixelBuffer>();
            buffer->width = width;
            buffer->height = height;
            buffer->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                                  pixels::Premultiply(background));
        } catch (const std::bad_alloc&) {
            buffer.reset();
            st = OutOfMemory;
        }
    }
    std::unique_ptr<CairoCanvasImpl> impl = MakeRasterImpl(std::move(buffer), st);
    impl->deviceScale = ppi / kReferencePpi;
    return impl;
}

std::unique_ptr<CairoCanvasImpl> MakeBitmapRaster(Bitmap* bitmap) {
    if (!bitmap || bitmap->GetLastStatus() != Ok || !bitmap->Buffer())
        return MakeRasterImpl(nullptr, InvalidParameter);
    const std::shared_ptr<PixelBuffer>& buffer = bitmap->Buffer();
    std::unique_ptr<CairoCanvasImpl> impl =
        MakeRasterImpl(buffer, CheckCanvasSize(buffer->width, buffer->height));
    impl->deviceScale = bitmap->GetDeviceScale();
    return impl;
}

// Builds an implementation, or none when even that fails; the canvas then reports OutOfMemory.
template <typename Make>
std::unique_ptr<CairoCanvasImpl> MakeImpl(Make make) {
    try {
        return make();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

RasterCanvas::RasterCanvas(int width, int height, const Color& background, double ppi)
    : CairoCanvas(MakeImpl([&] { return MakeOwnRaster(width, height, background, ppi); })) {}

RasterCanvas::RasterCanvas(Bitmap* bitmap)
    : CairoCanvas(MakeImpl([&] { return MakeBitmapRaster(bitmap); })) {}

namespace {

// The CRC-32 (ISO 3309) that closes every PNG chunk.
uint32_t PngCrc(const unsigned char* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// Passes Cairo's PNG through to the file, with a pHYs chunk after the header giving the canvas'
// resolution, so that a viewer or a print dialog shows the page at its size on paper.
class PngWithResolution {
public:
    PngWithResolution(TemporaryFile& file, double ppi) : file_(file) {
        constexpr double kMetresPerInch = 0.0254;
        const auto perMetre = static_cast<uint32_t>(std::lround(ppi / kMetresPerInch));
        unsigned char* c = chunk_.data();
        const unsigned char head[] = {0, 0, 0, 9, 'p', 'H', 'Y', 's'};
        std::copy(std::begin(head), std::end(head), c);
        for (int i = 0; i < 4; ++i)
            c[8 + i] = c[12 + i] = static_cast<unsigned char>(perMetre >> (24 - 8 * i));
        c[16] = 1;  // the unit is the metre
        const uint32_t crc = PngCrc(c + 4, 13);
        for (int i = 0; i < 4; ++i) c[17 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    }

    static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
        auto* self = static_cast<PngWithResolution*>(closure);
        // The signature (8 bytes) and the header chunk (25) come first; the chunk follows them.
        constexpr size_t kBeforeChunk = 33;
        if (self->passed_ < kBeforeChunk && self->passed_ + length >= kBeforeChunk) {
            const auto first = static_cast<unsigned int>(kBeforeChunk - self->passed_);
            self->passed_ += length;
            for (const auto& [bytes, count] :
                 {std::pair{data, first},
                  std::pair{static_cast<const unsigned char*>(self->chunk_.data()),
                            static_cast<unsigned int>(self->chunk_.size())},
                  std::pair{data + first, length - first}}) {
                if (const cairo_status_t st = TemporaryFile::Write(&self->file_, bytes, count); st) return st;
            }
            return CAIRO_STATUS_SUCCESS;
        }
        self->passed_ += length;
        return TemporaryFile::Write(&self->file_, data, length);
    }

private:
    TemporaryFile& file_;
    size_t passed_ = 0;
    std::array<unsigned char, 21> chunk_{};
};

}  // namespace

Status RasterCanvas::WritePng(const std::string& path) const {
    if (!impl_ || !impl_->cr) return WrongState;
    try {
        cairo_surface_flush(impl_->surface.get());
        TemporaryFile file;
        if (Status st = file.Open(path); st != Ok) return st;
        // At the reference resolution the file stays as Cairo writes it.
        const double ppi = impl_->deviceScale * kReferencePpi;
        PngWithResolution withResolution(file, ppi);
        const cairo_status_t written =
            ppi == kReferencePpi
                ? cairo_surface_write_to_png_stream(impl_->surface.get(), &TemporaryFile::Write, &file)
                : cairo_surface_write_to_png_stream(impl_->surface.get(), &PngWithResolution::Write,
                                                    &withResolution);
        if (written != CAIRO_STATUS_SUCCESS) {
            return SurfaceError;  // the temporary is removed with `file`
        }
        return file.Commit();
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

Color RasterCanvas::GetPixel(int x, int y) const {
    if (!impl_ || !impl_->pixels || x < 0 || y < 0 || x >= impl_->width || y >= impl_->height)
        return Color(0u);
    cairo_surface_flush(impl_->surface.get());
    return pixels::Unpremultiply(impl_->pixels->pixels[static_cast<size_t>(y) * impl_->width + x]);
}

std::unique_ptr<Image> RasterCanvas::Snapshot() const {
    if (!impl_ || !impl_->pixels) return nullptr;
    try {
        cairo_surface_flush(impl_->surface.get());
        auto copy = std::make_unique<Bitmap>(impl_->width, impl_->height);
        if (copy->GetLastStatus() != Ok) return nullptr;
        copy->Buffer()->pixels = impl_->pixels->pixels;
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// --- RecordedCanvas -------------------------------------------------------------------------------

namespace {

std::unique_ptr<CairoCanvasImpl> MakeRecordedImpl(Bitmap* bitmap) {
    auto impl = std::make_unique<CairoCanvasImpl>();
    if (!bitmap || bitmap->GetLastStatus() != Ok || !bitmap->Recording()) {
        impl->status = InvalidParameter;
        return impl;
    }
    // Groups would reach the document as recordings of their own; the drawing does without.
    impl->canGroup = false;
    impl->deviceScale = bitmap->GetDeviceScale();
    impl->width = bitmap->GetWidth();
    impl->height = bitmap->GetHeight();
    impl->Start(SurfacePtr(cairo_surface_reference(bitmap->Recording()->surface.get())));
    return impl;
}

}  // namespace

RecordedCanvas::RecordedCanvas(Bitmap* bitmap)
    : CairoCanvas(MakeImpl([&] { return MakeRecordedImpl(bitmap); })) {}

// --- VectorCanvas ---------------------------------------------------------------------------------

namespace {

std::unique_ptr<CairoCanvasImpl> MakeVectorImpl(VectorFormat format, const std::string& path, int width,
                                                int height, const Color& background, double ppi) {
    auto impl = std::make_unique<CairoCanvasImpl>();
    // A page has the same side limit as a bitmap; the pixel count does not apply to vectors.
    if (width < 1 || height < 1 || !ValidPpi(ppi)) {
        impl->status = InvalidParameter;
        return impl;
    }
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) {
        impl->status = ValueOverflow;
        return impl;
    }
    if (Status st = impl->file.Open(path); st != Ok) {
        impl->status = st;
        return impl;
    }
    impl->canGroup = format != VectorFormat::Svg;
    impl->svg = format == VectorFormat::Svg;
    impl->width = width;
    impl->height = height;
    impl->deviceScale = ppi / kReferencePpi;
    // The page in points; the device pixels are mapped onto it.
    const double pointsPerPixel = kPointsPerInch / ppi;
    const double pageWidth = width * pointsPerPixel;
    const double pageHeight = height * pointsPerPixel;
    cairo_surface_t* s =
        format == VectorFormat::Svg
            ? cairo_svg_surface_create_for_stream(&TemporaryFile::Write, &impl->file, pageWidth, pageHeight)
            : cairo_pdf_surface_create_for_stream(&TemporaryFile::Write, &impl->file, pageWidth, pageHeight);
    // Points are physical in SVG as in PDF: the page keeps its size wherever it is shown.
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        if (format == VectorFormat::Svg) cairo_svg_surface_set_document_unit(s, CAIRO_SVG_UNIT_PT);
        cairo_surface_set_device_scale(s, pointsPerPixel, pointsPerPixel);
    }
    impl->Start(SurfacePtr(s));
    if (impl->status == Ok && background.GetA() != 0) {
        SetSourceColor(impl->cr.get(), background);
        cairo_paint(impl->cr.get());
        impl->Check();
    }
    return impl;
}

}  // namespace

VectorCanvas::VectorCanvas(VectorFormat format, const std::string& path, int width, int height,
                           const Color& background, double ppi)
    : CairoCanvas(MakeImpl([&] { return MakeVectorImpl(format, path, width, height, background, ppi); })) {}

Status VectorCanvas::Finish() {
    if (!impl_ || impl_->finished || !impl_->cr) return WrongState;
    impl_->finished = true;
    Status st = impl_->status;
    impl_->cr.reset();
    cairo_surface_finish(impl_->surface.get());
    if (st == Ok && cairo_surface_status(impl_->surface.get()) != CAIRO_STATUS_SUCCESS) st = SurfaceError;
    impl_->surface.reset();
    impl_->ReleaseSources();  // only now that the document no longer refers to them
    if (st != Ok) {
        impl_->file.Discard();
        return st;
    }
    return impl_->file.Commit();
}

}  // namespace Pictor
