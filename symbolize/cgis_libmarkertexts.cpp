// The library marker's texts: the label beside its background rectangle, and the texts fitted
// into its text-box rectangles. Both are glyph outlines shaped on one line, measured, and then
// scaled and moved onto their place.
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "contracts/pictor/font.h"
#include "contracts/pictor/graphics.h"
#include "contracts/symbol/marker.h"
#include "contracts/symbol/resource.h"
#include "symbolize/cgis_libmarkersymbolize.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_text.h"

namespace {

constexpr double kTolerance = 0.0001;
constexpr uint32_t kOpaque = 255;
// Box texts are drawn with their own tag, so that a host can tell them from the marker's figures.
constexpr int kTagBoxText = 3;
// A box lower than this many resource units is shaped at this size and scaled down, so that small
// boxes keep the outline's precision.
constexpr double kBoxTextShapeSize = 20.0;

using symbolize::ValueOr;

// The alpha of the label's box: twice the opacity percentage, so an opaque box is 200. Values
// outside 0..100 keep the low byte, as the other alpha rules do.
uint32_t LabelBoxAlpha(int32_t transparency) {
    return static_cast<uint32_t>(static_cast<int64_t>(2) * (100 - int64_t{transparency})) & 0xFFu;
}

}  // namespace

bool CGIS_LibMarkerSymbolize::ShapeText(const char* bytes, const char* fontName, double em,
                                        Pictor::GraphicsPath* path, Pictor::RectD* bounds) const {
    constexpr const char* kFunction = "CGIS_LibMarkerSymbolize::ShapeText";
    // The record's texts are fixed buffers: never read past them looking for the end.
    const size_t n = strnlen(bytes, kMarkerTextCapacity);
    const std::optional<std::string> text =
        symbolize::LayerText(std::string_view(bytes, n), kFunction, "text");
    const std::optional<std::string> family = symbolize::LayerText(
        std::string_view(fontName, strnlen(fontName, kMarkerTextCapacity)), kFunction, "font name");
    if (!text || !family || !symbolize::UsableFontSize(em, kFunction)) return false;
    const std::unique_ptr<Pictor::Font> font = symbolize::MakeTextFont(*family, em);
    // Room for the one line: twice an em per byte, two ems high.
    const Pictor::RectD layout(0.0, 0.0, 2.0 * static_cast<double>(n) * em, 2.0 * em);
    const Pictor::StringFormat format(Pictor::StringAlignmentCenter);
    path->AddStringFont(*text, font.get(), layout, &format);
    path->GetBounds(bounds);
    return bounds->height > kTolerance && bounds->width > kTolerance;
}

void CGIS_LibMarkerSymbolize::DrawLabel(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                        const Pictor::PointD* points,
                                        const VectorSymbolResource* resource) const {
    const MarkerLabel* label = libMarker->GetLabel();
    if (label == nullptr || !label->shown || label->fontName[0] == '\0' || label->text[0] == '\0' ||
        std::abs(label->size) < kTolerance) {
        return;
    }
    const float f = static_cast<float>(label->size * info->scale);
    const float e = static_cast<float>(f * info->sizeRatio);
    Pictor::GraphicsPath path;
    Pictor::RectD b;
    if (!ShapeText(label->text, label->fontName, e, &path, &b)) return;
    const double k = e / b.height;  // the outline becomes exactly e high

    const Pictor::RectD r = ComputeBackgroundRect(libMarker, info, points);
    const double d = label->gap * info->sizeRatio * info->scale;
    double tx = r.x + r.width + d + k * b.width / 2.0;  // right, for every other position code
    double ty = r.y + r.height / 2.0;
    switch (label->position) {
        case 0:  // above
            tx = r.x + r.width / 2.0;
            ty = r.y - d - e / 2.0;
            break;
        case 1:  // below
            tx = r.x + r.width / 2.0;
            ty = r.y + r.height + d + e / 2.0;
            break;
        case 2:  // left
            tx = r.x - d - k * b.width / 2.0;
            break;
        default:
            break;
    }
    const float moveX = static_cast<float>(tx - (b.x + b.width / 2.0));
    const float moveY = static_cast<float>(ty - (b.y + b.height / 2.0));
    CGIS_SymbolMatrix m;
    m.ScaleAt(k, k, b.x + b.width / 2.0, b.y + b.height / 2.0, true);
    m.Translate(moveX, moveY, true);
    Pictor::Matrix matrix;
    if (!m.ToPictor(&matrix)) return;
    path.Transform(&matrix);

    if (label->boxShown) {
        Pictor::RectD placed;
        path.GetBounds(&placed);
        const uint32_t colour = symbolize::MapSymbolColour(info->colorTable, label->boxColor);
        const Pictor::SolidBrush box(
            Pictor::Color(symbolize::WithAlpha(LabelBoxAlpha(label->boxTransparency), colour)));
        info->graphics->FillRectangle(&box, placed, 0);
    }
    const uint32_t colour = symbolize::MapSymbolColour(info->colorTable, label->color);
    const Pictor::SolidBrush brush(Pictor::Color(symbolize::WithAlpha(kOpaque, colour)));
    path.SetFillMode(Pictor::FillModeWinding);
    info->graphics->FillPath(&brush, &path, 0);
    static_cast<void>(resource);
}

bool CGIS_LibMarkerSymbolize::BuildMirroredTextTransform(
    Pictor::Matrix* matrix, const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
    const Pictor::PointD* points, const VectorSymbolResource* resource, const RectElement* box) const {
    CGIS_SymbolMatrix m;
    m.FlipX(box->x + box->width / 2.0);
    return ComposeMarkerTransform(&m, libMarker, info, points, resource) && m.ToPictor(matrix);
}

void CGIS_LibMarkerSymbolize::DrawBoxText(const IGIS_LibMarkerSymbol* libMarker, const SymbolizeInfo* info,
                                          const Pictor::PointD* points, const VectorSymbolResource* resource,
                                          const RectElement* rectElement, const BoxText* boxText,
                                          const Pictor::Matrix* matrix) const {
    const RectElement& box = *rectElement;
    if (boxText->fontName[0] == '\0' || std::abs(box.height) < kTolerance) return;
    const double q = kBoxTextShapeSize - box.height > kTolerance ? kBoxTextShapeSize / box.height : 1.0;
    const double e = box.height * q;
    Pictor::GraphicsPath path;
    Pictor::RectD b;
    if (!ShapeText(boxText->text, boxText->fontName, e, &path, &b)) return;

    // The box's height, and its width too when the text would be wider: condensed, never stretched.
    const double ky = box.height / b.height;
    double kx = ky;
    if (b.width * ky > box.width) kx = box.width / b.width;
    const float moveX = static_cast<float>((box.x + box.width / 2.0) - (b.x + b.width / 2.0));
    const float moveY = static_cast<float>((box.y + box.height / 2.0) - (b.y + b.height / 2.0));
    CGIS_SymbolMatrix fit;
    fit.ScaleAt(kx, ky, b.x + b.width / 2.0, b.y + b.height / 2.0, true);
    fit.Translate(moveX, moveY, true);
    Pictor::Matrix placed;
    if (!fit.ToPictor(&placed)) return;

    Pictor::Matrix mirrored;
    const Pictor::Matrix* marker = matrix;
    if (ValueOr(libMarker->GetFlipHorizontal(), false)) {
        if (!BuildMirroredTextTransform(&mirrored, libMarker, info, points, resource, rectElement)) return;
        marker = &mirrored;
    }
    // The fitting first, then the marker transform.
    if (placed.Multiply(marker, Pictor::MatrixOrderAppend) != Pictor::Ok) return;
    path.Transform(&placed);
    const uint32_t colour = symbolize::MapSymbolColour(info->colorTable, boxText->color);
    const Pictor::SolidBrush brush(Pictor::Color(symbolize::WithAlpha(kOpaque, colour)));
    info->graphics->FillPath(&brush, &path, kTagBoxText);
}
