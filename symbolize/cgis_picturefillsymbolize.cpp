#include "symbolize/cgis_picturefillsymbolize.h"

#include "contracts/host.h"
#include "contracts/pictor/graphics.h"
#include "contracts/symbol/fill.h"
#include "symbolize/fill_clip.h"
#include "symbolize/symbolize_support.h"

namespace {

constexpr int32_t kMinPolygonPoints = 3;
constexpr int32_t kNoPicture = -1;
// The graphics layer's texture wrap modes.
constexpr int kWrapTile = 0;
constexpr int kWrapOnce = 4;

}  // namespace

Pictor::RectD CGIS_PictureFillSymbolize::KeepAspectRectangle(Pictor::RectD bounds, int width, int height) {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    if (w >= h) {
        const double newWidth = (w / h) * bounds.height;
        bounds.x -= (newWidth - bounds.width) * 0.5;
        bounds.width = newWidth;
    } else {
        const double newHeight = (h / w) * bounds.width;
        bounds.y -= (newHeight - bounds.height) * 0.5;
        bounds.height = newHeight;
    }
    return bounds;
}

void CGIS_PictureFillSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                          const Pictor::PointD* points, const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || info->graphics == nullptr || points == nullptr) return;
    const IGIS_PictureFillSymbol* fill = symbol->GetPictureFillSymbol();
    if (fill == nullptr || count == nullptr || *count < kMinPolygonPoints) return;
    const bool clockwise = fill->IsOutlineClockwise();
    if (symbolize::ValueOr(fill->GetPictureIndex(), kNoPicture) == kNoPicture) {
        outline_.DrawOutline(symbol, info, points, count, &clockwise);
        return;
    }
    IGIS_ImageResourceBase* store = GIS_GetFillImageResourceBaseObject();
    const Pictor::Image* picture = store ? store->GetImage(fill->GetPictureKey()) : nullptr;
    // A fill whose picture is missing draws nothing at all, not even its outline.
    if (picture == nullptr || picture->GetWidth() <= 0 || picture->GetHeight() <= 0) return;

    const int wrap = symbolize::ValueOr(fill->GetPictureMode(), 0) != 0 ? kWrapOnce : kWrapTile;
    if (!symbolize::GuardMemory("CGIS_PictureFillSymbolize::Symbolize", [&] {
            const Pictor::TextureBrush brush(picture, wrap);
            Pictor::GraphicsPath path;
            path.AddPolygon(points, *count);
            const symbolize::FillClip clip(info->graphics, &path);
            if (!clip.IsSet()) return;
            Pictor::RectD bounds;
            if (wrap == kWrapOnce && symbolize::ValueOr(fill->GetKeepAspectRatio(), false) &&
                path.GetBounds(&bounds) == Pictor::Ok) {
                info->graphics->FillRectangle(
                    &brush, KeepAspectRectangle(bounds, picture->GetWidth(), picture->GetHeight()), 0);
            } else {
                info->graphics->FillPath(&brush, &path, 0);
            }
        })) {
        return;
    }
    outline_.DrawOutline(symbol, info, points, count, &clockwise);
}
