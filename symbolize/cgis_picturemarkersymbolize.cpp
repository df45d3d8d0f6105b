#include "symbolize/cgis_picturemarkersymbolize.h"

#include <cmath>
#include <optional>

#include "contracts/host.h"
#include "contracts/pictor/graphics.h"
#include "contracts/symbol/marker.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_log.h"

namespace {

constexpr const char* kSymbolize = "CGIS_PictureMarkerSymbolize::Symbolize";

// The picture's box is whole drawing units. Beyond this magnitude a coordinate or size is no
// place on any drawing surface; such a marker draws nothing rather than overflow the integers.
constexpr double kMaxImageCoordinate = 1 << 30;

using symbolize::ValueOr;

// Truncated toward zero, as the picture's box is measured; nothing for a value out of range.
std::optional<int> TruncatedToInt(double v) {
    if (!(std::abs(v) <= kMaxImageCoordinate)) return std::nullopt;
    return static_cast<int>(std::trunc(v));
}

// Puts the caller's world transform back when the drawing is done, on every way out.
class TransformRestorer {
public:
    explicit TransformRestorer(Pictor::Graphics* graphics) : graphics_(graphics) {
        graphics_->GetTransform(&saved_);
    }
    ~TransformRestorer() { graphics_->SetTransform(&saved_); }
    TransformRestorer(const TransformRestorer&) = delete;
    TransformRestorer& operator=(const TransformRestorer&) = delete;

private:
    Pictor::Graphics* graphics_;
    Pictor::Matrix saved_;
};

}  // namespace

void CGIS_PictureMarkerSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                            const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr || count == nullptr || *count != 1) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "Input Error");
        return;
    }
    const IGIS_PictureMarkerSymbol* marker = symbol->GetPictureMarkerSymbol();
    if (marker == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "p_picmarker == NULL");
        return;
    }
    const Pictor::PointD p = points[0];
    Pictor::Matrix matrix;
    if (!GetPictureTransform(&matrix, marker, info, p)) return;

    // A missing picture, or one without pixels, draws nothing.
    IGIS_ImageResourceBase* store = GIS_GetImageResourceBaseObject();
    const Pictor::Image* image = store ? store->GetImage(marker->GetImageId()) : nullptr;
    if (image == nullptr || image->GetWidth() <= 0 || image->GetHeight() <= 0 || info->graphics == nullptr)
        return;

    const double k = symbolize::SizeScale(info);
    const double w = ValueOr(marker->GetWidth(), 0.0) * k;
    const double h = ValueOr(marker->GetHeight(), 0.0) * k;
    // The picture fills a w by h box centred on the anchor before the transform applies.
    const std::optional<int> x = TruncatedToInt(p.x - w / 2);
    const std::optional<int> y = TruncatedToInt(p.y - h / 2);
    const std::optional<int> width = TruncatedToInt(w);
    const std::optional<int> height = TruncatedToInt(h);
    if (!x || !y || !width || !height || *width <= 0 || *height <= 0) return;

    const TransformRestorer restore(info->graphics);
    info->graphics->SetTransform(&matrix);
    info->graphics->DrawImage(image, *x, *y, *width, *height);
}

bool CGIS_PictureMarkerSymbolize::GetPictureTransform(Pictor::Matrix* matrix,
                                                      const IGIS_PictureMarkerSymbol* marker,
                                                      const SymbolizeInfo* info,
                                                      const Pictor::PointD& point) const {
    CGIS_SymbolMatrix m;
    if (ValueOr(marker->GetFlipY(), false)) m.FlipYAt(point.y);
    if (ValueOr(marker->GetFlipX(), false)) m.FlipX(point.x);
    const double angle = ValueOr(marker->GetAngle(), 0.0) + info->rotation;
    m.RotateAt(info->yUp ? -angle : angle, point.x, point.y, true);
    // After the turn, so the offsets move the picture the same way whatever its angle. The y offset
    // is subtracted whatever yUp is.
    m.Translate(info->scale * ValueOr(marker->GetXOffset(), 0.0),
                -(info->scale * ValueOr(marker->GetYOffset(), 0.0)), true);
    return m.ToPictor(matrix);
}
