#include "symbolize/cgis_markerfillsymbolize.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <memory>
#include <string_view>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/fill.h"
#include "contracts/symbol/marker.h"
#include "symbolize/marker_fill_placement.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace {

using Pictor::PointD;
using symbolize::PlacementResult;
using symbolize::SymbolCopy;

// A polygon needs three corners to enclose anything.
constexpr int32_t kMinPolygonPoints = 3;
// Extents and sizes below this are nothing.
constexpr double kTolerance = 0.0001;
// A tile is six marker cells each way: two times three.
constexpr double kTileCells = 3.0;
// The stamp leaves 15 % of the marker's extent free on each side, so antialiased edges fit.
constexpr double kStampMargin = 0.3;
// Off-screen bitmaps are cleared to this colour; alpha 0 keeps them transparent.
const Pictor::Color kClearColour(0, 0, 254, 0);

// The marker's extent in millimetres: x1, x2, y1, y2 about its anchor.
struct Extent {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double Width() const { return std::fabs(x2 - x1); }
    double Height() const { return std::fabs(y1 - y2); }
};

Extent ReadExtent(const IGIS_MarkerSymbol* marker) {
    double e[4] = {0, 0, 0, 0};
    marker->GetExtent(e);
    return {e[0], e[1], e[2], e[3]};
}

// A copy of the fill's marker with its own offsets cleared, so that its anchor lands on the
// computed positions; null when the fill has no marker or its marker is no marker kind.
SymbolCopy ZeroedMarkerCopy(IGIS_MarkerFillSymbol* fill) {
    IGIS_Symbol* marker = fill->GetMarkerSymbol();
    SymbolCopy copy(marker ? marker->Clone() : nullptr);
    IGIS_MarkerSymbol* view = AsMarkerSymbol(copy.get());
    if (view == nullptr) return nullptr;
    view->SetXOffset(0.0);
    view->SetYOffset(0.0);
    return copy;
}

// The marker's extent plus the separations, in drawing units.
PointD MarkerCell(IGIS_MarkerFillSymbol* fill, const IGIS_MarkerSymbol* marker, const SymbolizeInfo* info) {
    const Extent e = ReadExtent(marker);
    const double k = symbolize::SizeScale(info);
    return {(e.Width() + symbolize::ValueOr(fill->GetSeparationX(), 0.0)) * k,
            (e.Height() + symbolize::ValueOr(fill->GetSeparationY(), 0.0)) * k};
}

// The placement of the fill's markers for the ring; false (and logged) when none can be placed.
bool PlaceMarkers(IGIS_MarkerFillSymbol* fill, const SymbolizeInfo* info, PointD cell,
                  const std::vector<PointD>& ring, uint32_t seed, std::vector<PointD>* positions) {
    const double k = symbolize::SizeScale(info);
    const double offX = symbolize::GridOffset(symbolize::ValueOr(fill->GetOffsetX(), 0.0) * k, cell.x);
    const double offY = symbolize::GridOffset(symbolize::ValueOr(fill->GetOffsetY(), 0.0) * k, cell.y);
    const int32_t code = symbolize::ValueOr<int32_t>(fill->GetFillType(), MarkerFillStaggered);
    switch (symbolize::ComputeMarkerPositions(ring, positions, code, cell, offX, offY, seed)) {
        case PlacementResult::Placed:
            return true;
        case PlacementResult::NoCell:
            SYMBOLIZE_LOG(LogLevelError, "CGIS_MarkerFillSymbolize::Symbolize",
                          "marker cell %g x %g has no area: no markers drawn", cell.x, cell.y);
            return false;
        case PlacementResult::TooMany:
            SYMBOLIZE_LOG(LogLevelError, "CGIS_MarkerFillSymbolize::Symbolize",
                          "more than %zu markers of cell %g x %g: no markers drawn",
                          symbolize::kMaxMarkerPositions, cell.x, cell.y);
            return false;
    }
    return false;
}

// Off-screen drawing sizes itself by the marker's extent (a library marker's is set on the symbol).
void LogNoExtent() {
    SYMBOLIZE_LOG(LogLevelError, "CGIS_MarkerFillSymbolize::Symbolize",
                  "marker has no extent: no markers drawn");
}

// Draws `marker` at each position through the service.
void DrawEach(IGIS_Symbol* marker, const SymbolizeInfo* info, const std::vector<PointD>& positions) {
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return;
    const int32_t one = 1;
    for (const PointD& p : positions)
        service->Symbolize(marker, info, &p, &one);  // bounded by the placement cap
}

// The seed of this call's jitter: the host's SYMBOL2_JITTERSEED, else the clock in seconds.
uint32_t JitterSeed() {
    IGIS_GlobalProperties* properties = GIS_GetGlobalProperties();
    const IGIS_Property* property = properties ? properties->GetProperty(kPropertyJitterSeed) : nullptr;
    if (property != nullptr) {
        const std::string_view text = property->GetStringValue();
        uint32_t seed = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
        if (error == std::errc() && end == text.data() + text.size()) return seed;
        SYMBOLIZE_LOG(LogLevelNotice, "CGIS_MarkerFillSymbolize::Symbolize",
                      "%s [%.64s] is not a whole number from 0 to 4294967295; seeded from the clock",
                      kPropertyJitterSeed, property->GetStringValue());
    }
    return static_cast<uint32_t>(std::time(nullptr));
}

// An off-screen bitmap for the target, its Graphics, cleared; null (and logged) when a bitmap of
// that size cannot be made.
struct Offscreen {
    std::unique_ptr<Pictor::Bitmap> bitmap;
    std::unique_ptr<Pictor::Graphics> graphics;
};

bool MakeOffscreen(const SymbolizeInfo* info, int width, int height, Offscreen* out) {
    out->bitmap = info->graphics->CreateCompatibleBitmap(width, height);
    if (!out->bitmap || out->bitmap->GetLastStatus() != Pictor::Ok) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_MarkerFillSymbolize::Symbolize",
                      "off-screen bitmap of %d x %d pixels cannot be made: no markers drawn", width, height);
        return false;
    }
    out->graphics = std::make_unique<Pictor::Graphics>(out->bitmap.get(), 1);
    out->graphics->SetSmoothingMode(0);
    const Pictor::SolidBrush clear(kClearColour);
    out->graphics->FillRectangle(&clear, 0, 0, width, height);
    return true;
}

// Whole pixels of an off-screen size, or 0 when the size is not a positive finite number of them.
int WholePixels(double size) {
    if (!(size >= 1.0)) return 0;
    return size > Pictor::kMaxBitmapSide + 1.0 ? Pictor::kMaxBitmapSide + 1 : static_cast<int>(size);
}

}  // namespace

void CGIS_MarkerFillSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                         const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || points == nullptr ||
        count == nullptr)
        return;
    IGIS_MarkerFillSymbol* fill = symbol->GetMarkerFillSymbol();
    if (fill == nullptr || *count < kMinPolygonPoints) return;
    symbolize::GuardMemory("CGIS_MarkerFillSymbolize::Symbolize", [&] {
        if (info->yUp) {
            DrawMarkersDirect(fill, info, points, *count, JitterSeed());
        } else {
            DrawMarkersTiled(fill, info, points, *count, JitterSeed());
        }
    });
    const bool clockwise = fill->IsOutlineClockwise();
    outline_.DrawOutline(symbol, info, points, count, &clockwise);
}

void CGIS_MarkerFillSymbolize::DrawMarkersDirect(IGIS_MarkerFillSymbol* fill, const SymbolizeInfo* info,
                                                 const Pictor::PointD* points, int32_t count,
                                                 uint32_t seed) const {
    const SymbolCopy copy = ZeroedMarkerCopy(fill);
    if (!copy) return;
    const PointD cell = MarkerCell(fill, AsMarkerSymbol(copy.get()), info);
    const std::vector<PointD> ring = symbolize::CloseRing(points, static_cast<size_t>(count));
    std::vector<PointD> positions;
    if (!PlaceMarkers(fill, info, cell, ring, seed, &positions)) return;
    if (!symbolize::IsRingLargeEnough(ring)) return;
    Pictor::GraphicsPath clip;
    clip.AddPolygon(ring.data(), static_cast<int>(ring.size()));
    info->graphics->SetClip(&clip);
    DrawEach(copy.get(), info, positions);
    info->graphics->ResetClip();
}

void CGIS_MarkerFillSymbolize::DrawMarkersTiled(IGIS_MarkerFillSymbol* fill, const SymbolizeInfo* info,
                                                const Pictor::PointD* points, int32_t count,
                                                uint32_t seed) const {
    IGIS_Symbol* marker = fill->GetMarkerSymbol();
    const IGIS_MarkerSymbol* view = AsMarkerSymbol(marker);
    if (view == nullptr) return;
    const Extent e = ReadExtent(view);
    if (e.Width() < kTolerance && e.Height() < kTolerance) {
        LogNoExtent();
        return;
    }
    const double k = symbolize::SizeScale(info);
    const double tileW = 2 * (symbolize::ValueOr(fill->GetSeparationX(), 0.0) + e.Width()) * kTileCells * k;
    const double tileH = 2 * (symbolize::ValueOr(fill->GetSeparationY(), 0.0) + e.Height()) * kTileCells * k;
    const int width = WholePixels(tileW);
    const int height = WholePixels(tileH);
    if (width == 0 || height == 0) return;  // a tile under a pixel shows nothing
    Offscreen tile;
    if (!MakeOffscreen(info, width, height, &tile)) return;

    SymbolizeInfo local = *info;
    local.graphics = tile.graphics.get();
    const PointD tileRing[] = {{0, 0}, {tileW, 0}, {tileW, tileH}, {0, tileH}, {0, 0}};
    DrawMarkersDirect(fill, &local, tileRing, 5, seed);

    // The texture tiles from the surface origin, so neighbouring polygons join seamlessly.
    const Pictor::TextureBrush brush(tile.bitmap.get(), Pictor::WrapModeTile);
    Pictor::GraphicsPath polygon;
    polygon.AddPolygon(points, count);
    info->graphics->SetClip(&polygon);
    info->graphics->FillPath(&brush, &polygon, 0);
    info->graphics->ResetClip();
}

void CGIS_MarkerFillSymbolize::SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                             const Pictor::GraphicsPath* path) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || path == nullptr) return;
    IGIS_MarkerFillSymbol* fill = symbol->GetMarkerFillSymbol();
    if (fill == nullptr) return;
    symbolize::GuardMemory("CGIS_MarkerFillSymbolize::SymbolizePath", [&] {
        const SymbolCopy copy = ZeroedMarkerCopy(fill);
        if (!copy) return;
        const PointD cell = MarkerCell(fill, AsMarkerSymbol(copy.get()), info);
        Pictor::RectD b;
        if (path->GetBounds(&b) != Pictor::Ok) return;
        const std::vector<PointD> ring = {{b.x, b.y},
                                          {b.x + b.width, b.y},
                                          {b.x + b.width, b.y + b.height},
                                          {b.x, b.y + b.height},
                                          {b.x, b.y}};
        std::vector<PointD> positions;
        if (!PlaceMarkers(fill, info, cell, ring, JitterSeed(), &positions)) return;
        DrawMarkersOnPath(copy.get(), info, positions, path);
    });
    outline_.DrawOutlinePath(symbol, info, path);
}

void CGIS_MarkerFillSymbolize::DrawMarkersOnPath(IGIS_Symbol* marker, const SymbolizeInfo* info,
                                                 const std::vector<PointD>& positions,
                                                 const Pictor::GraphicsPath* path) const {
    if (!info->yUp) {
        StampMarkers(marker, info, positions, path);
        return;
    }
    info->graphics->SetClip(path);
    DrawEach(marker, info, positions);
    info->graphics->ResetClip();
}

void CGIS_MarkerFillSymbolize::StampMarkers(IGIS_Symbol* marker, const SymbolizeInfo* info,
                                            const std::vector<PointD>& positions,
                                            const Pictor::GraphicsPath* path) const {
    const Extent e = ReadExtent(AsMarkerSymbol(marker));
    const double w = e.Width();
    const double h = e.Height();
    // The anchor is placed in proportion to the extent: a flat marker has no proportion.
    if (w < kTolerance || h < kTolerance) {
        LogNoExtent();
        return;
    }
    // The stamp is sized with the same size rule as the marker it holds.
    const double k = symbolize::SizeScale(info);
    const double wi = std::trunc(w * k);
    const double hi = std::trunc(h * k);
    const double mx = kStampMargin * w;
    const double my = kStampMargin * h;
    const int width = WholePixels((w + mx) * k);
    const int height = WholePixels((h + my) * k);
    if (width == 0 || height == 0) return;
    const double ax = std::fabs(e.x1) / w * wi + mx * k * 0.5;
    // Measured from the bottom edge: off-screen bitmaps keep the drawing's row order, so the
    // marker is drawn upright with the room below its anchor that its lower extent needs.
    const double ay = height - (std::fabs(e.y1) / h * hi + my * k * 0.5);
    Offscreen stamp;
    if (!MakeOffscreen(info, width, height, &stamp)) return;

    SymbolizeInfo local = *info;
    local.graphics = stamp.graphics.get();
    DrawEach(marker, &local, {PointD{ax, ay}});

    info->graphics->SetClip(path);
    for (const PointD& p : positions) {  // bounded by the placement cap
        info->graphics->DrawImage(stamp.bitmap.get(), PointD{p.x - ax, p.y - ay});
    }
    info->graphics->ResetClip();
}
