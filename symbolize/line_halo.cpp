#include "symbolize/line_halo.h"

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/line.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_log.h"
#include "symbolize/symbolize_support.h"

namespace symbolize {

void StrokeHalo(const SymbolizeInfo* info, const Pictor::GraphicsPath* path, const SymbolHalo* halo, double lineWidth,
                const char* function) noexcept {
    if (halo == nullptr) {
        SYMBOLIZE_LOG(LogLevelError, function, "pHalo == NULL");
        return;
    }
    if (!halo->enabled) return;
    constexpr uint32_t kOpaque = 255;
    const double width = SizeScale(info) * (2.0 * halo->size + lineWidth);
    const uint32_t colour = WithAlpha(kOpaque, MapSymbolColour(info->colorTable, halo->color));
    GuardMemory(function, [&] {
        const Pictor::Pen pen(Pictor::Color(colour), width);
        info->graphics->DrawPath(&pen, path, 0);
    });
}

}  // namespace symbolize
