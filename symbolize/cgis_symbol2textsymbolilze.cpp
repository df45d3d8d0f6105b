#include "symbolize/cgis_symbol2textsymbolilze.h"

#include <cmath>
#include <new>
#include <string>

#include "contracts/pictor/font.h"
#include "contracts/pictor/graphics.h"
#include "contracts/symbol/text.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_text.h"

namespace {

constexpr const char* kSymbolize = "CGIS_Symbol2TextSymbolize::Symbolize";
constexpr double kTolerance = 0.0001;

using symbolize::ValueOr;

}  // namespace

void CGIS_Symbol2TextSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                          const TextBox* box) noexcept {
    if (symbol == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "pSymbolText is NULL");
        return;
    }
    if (symbol->GetType() != SymbolTypeText) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "pSymbolText->GetType() is %d", symbol->GetType());
        return;
    }
    if (info == nullptr || box == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "!pSymbolizeInfo || !pPoints || iPointCount != 1");
        return;
    }
    const IGIS_TextSymbol* text = symbol->GetTextSymbol();
    if (text == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "TextSymbol Pointer Is NuLL");
        return;
    }
    const char* bytes = text->GetText();
    if (bytes == nullptr || bytes[0] == '\0' || info->graphics == nullptr) return;
    symbolize::GuardMemory(kSymbolize, [&] {
        const std::optional<std::string> utf8 = symbolize::LayerText(bytes, kSymbolize, "text");
        if (utf8) Draw(text, info, box, *utf8);
    });
}

std::unique_ptr<Pictor::Font> CGIS_Symbol2TextSymbolize::CreateTextFont(const IGIS_TextSymbol* text,
                                                                        const SymbolizeInfo* info) const {
    const float size = static_cast<float>(ValueOr(text->GetFontSize(), 0.0) * info->sizeRatio * info->scale);
    const std::optional<std::string> family =
        symbolize::LayerText(text->GetFontName(), kSymbolize, "font name");
    if (!family) return nullptr;
    try {
        return symbolize::MakeTextFont(*family, size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CGIS_Symbol2TextSymbolize::Draw(const IGIS_TextSymbol* text, const SymbolizeInfo* info,
                                     const TextBox* box, const std::string& utf8) const {
    const std::unique_ptr<Pictor::Font> font = CreateTextFont(text, info);
    if (!font) {
        const char* name = text->GetFontName();
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "创建字体失败,字体名称:%.256s", name ? name : "");
        return;
    }
    if (!symbolize::UsableFontSize(font->GetSize(), kSymbolize)) return;
    symbolize::ApplyTextStyle(font.get(), ValueOr(text->GetFontStyle(), 0));

    const int32_t alignment = ValueOr<int32_t>(text->GetAlignment(), TextAlignCentre);
    Pictor::StringFormat format(Pictor::StringAlignmentCenter);
    if (alignment >= TextAlignLeft && alignment <= TextAlignRight) format.SetAlignment(alignment);
    // A factor the layer refuses (a zero font size, a gap that closes the lines up) keeps 1.
    font->SetLineSpacing(
        static_cast<float>(ValueOr(text->GetLineGap(), 0.0) / ValueOr(text->GetFontSize(), 0.0) + 1.0));
    const Pictor::SolidBrush brush(
        Pictor::Color(symbolize::TextColour(info, text->GetColor(), text->GetTransparency())));

    double margins[4] = {0.0, 0.0, 0.0, 0.0};
    if (!text->GetMargins(margins)) return;
    for (double& m : margins) m = m * info->scale * info->sizeRatio;

    const float left = static_cast<float>(box->x1 + margins[0]);
    const float top = static_cast<float>(box->y1 + margins[1]);
    const float width = static_cast<float>(std::abs(box->x1 - box->x2) - margins[0] - margins[2]);
    const float height = static_cast<float>(std::abs(box->y1 - box->y2) - margins[1] - margins[3]);
    if (!(width > kTolerance) || !(height > kTolerance)) return;
    const Pictor::RectD layout(left, top, width, height);

    // The path is measured first, then moved so that its ink, not its line box, sits on the edge.
    Pictor::GraphicsPath path;
    path.AddStringFont(utf8, font.get(), layout, &format);
    Pictor::RectD ink;
    path.GetBounds(&ink);
    if (!(ink.width > kTolerance) || !(ink.height > kTolerance)) return;

    double dx = ink.x - layout.x;
    if (alignment == TextAlignRight) dx += ink.width - layout.width;
    // Any other code was left centred, and is placed as centred.
    if (alignment != TextAlignLeft && alignment != TextAlignRight) dx += (ink.width - layout.width) / 2.0;
    const double dy = ink.y - layout.y;

    const double cx = (box->x1 + box->x2) / 2.0;
    const double cy = (box->y1 + box->y2) / 2.0;
    const double angle = ValueOr(text->GetAngle(), 0.0);
    CGIS_SymbolMatrix m;
    m.Translate(-dx, -dy, true);
    if (info->yUp) {
        m.FlipYAt(layout.y + layout.height / 2.0);
        m.RotateAt(-angle, cx, cy, true);
    } else {
        m.RotateAt(angle, cx, cy, true);
    }
    Pictor::Matrix matrix;
    if (!m.ToPictor(&matrix)) return;
    path.Transform(&matrix);
    info->graphics->FillPath(&brush, &path, 0);
}
