#include "symbolize/cgis_textboxsymbolize.h"

#include <cmath>
#include <optional>

#include "contracts/pictor/font.h"
#include "contracts/pictor/graphics.h"
#include "contracts/symbol/text.h"
#include "symbolize/cgis_symbolmatrix.h"
#include "symbolize/symbolize_colour.h"
#include "symbolize/symbolize_support.h"
#include "symbolize/symbolize_text.h"

namespace {

constexpr const char* kSymbolize = "CGIS_TextBoxSymbolize::Symbolize";
constexpr double kTolerance = 0.0001;
constexpr double kNoBox = -1.0;
// The text is shaped at this many times its font size for precision, and scaled back when placed.
constexpr double kShapeFactor = 20.0;
constexpr double kPlaceFactor = 0.05;

using symbolize::ValueOr;

// A line of nothing but blanks keeps its place but draws nothing.
bool IsBlank(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; }

// What one line measures at the origin, in font units.
struct LineBox {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;  // 0 for a line without ink
};

}  // namespace

bool CGIS_TextBoxSymbolize::SplitLines(const std::string& text, std::vector<std::string>* lines) {
    lines->clear();
    size_t start = 0;
    for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
        // Only a CR is dropped: a text with bare LF breaks keeps every letter.
        size_t end = lf;
        if (end > start && text[end - 1] == '\r') --end;
        lines->push_back(text.substr(start, end - start));
        start = lf + 1;
        if (lines->size() > symbolize::kMaxTextLines) return false;
    }
    if (start < text.size()) lines->push_back(text.substr(start));
    return lines->size() <= symbolize::kMaxTextLines;
}

void CGIS_TextBoxSymbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                      const Pictor::PointD* points, const int32_t* count) noexcept {
    const IGIS_TextBoxSymbol* box = symbol ? symbol->GetTextBoxSymbol() : nullptr;
    if (box == nullptr || info == nullptr || points == nullptr || count == nullptr || *count != 1 ||
        info->graphics == nullptr) {
        return;
    }
    const char* bytes = box->GetText();
    if (bytes == nullptr || bytes[0] == '\0') return;
    const double w = ValueOr(box->GetBoxWidth(), kNoBox);
    const double h = ValueOr(box->GetBoxHeight(), kNoBox);
    if (std::abs(w - kNoBox) < kTolerance || std::abs(h - kNoBox) < kTolerance) return;

    // Copies: the symbol's record is never written.
    double margins[4] = {0.0, 0.0, 0.0, 0.0};
    if (const double* own = box->GetMargins()) {
        for (int i = 0; i < 4; ++i) margins[i] = own[i];
    }
    symbolize::GuardMemory(kSymbolize, [&] {
        const std::optional<std::string> utf8 = symbolize::LayerText(bytes, kSymbolize, "text");
        if (!utf8) return;
        DrawBox(box, info, points[0], margins);
        DrawText(box, info, points[0], margins, *utf8);
    });
}

void CGIS_TextBoxSymbolize::DrawBox(const IGIS_TextBoxSymbol* box, const SymbolizeInfo* info,
                                    const Pictor::PointD& p, const double margins[4]) const {
    const double w = ValueOr(box->GetBoxWidth(), kNoBox);
    const double h = ValueOr(box->GetBoxHeight(), kNoBox);
    const double k = symbolize::SizeScale(info);
    Pictor::GraphicsPath path;
    path.AddRectangle(p.x, p.y, margins[0] + w + margins[2], margins[1] + h + margins[3]);
    const double angle = ValueOr(box->GetAngle(), 0.0) + info->rotation;
    CGIS_SymbolMatrix m;
    m.ScaleAt(k, k, p.x, p.y, true);
    m.RotateAt(info->yUp ? -angle : angle, p.x, p.y, true);
    Pictor::Matrix matrix;
    if (!m.ToPictor(&matrix)) return;
    path.Transform(&matrix);

    if (ValueOr(box->GetDrawFill(), false)) {
        const uint32_t colour =
            symbolize::WithAlpha(symbolize::RoundedAlpha(ValueOr(box->GetFillTransparency(), 0)),
                                 ValueOr<uint32_t>(box->GetFillColor(), 0));
        const Pictor::SolidBrush brush{Pictor::Color(colour)};
        info->graphics->FillPath(&brush, &path, 0);
    }
    if (ValueOr(box->GetDrawFrame(), false)) {
        const uint32_t colour =
            symbolize::WithAlpha(symbolize::RoundedAlpha(box->GetFrameTransparency()), box->GetFrameColor());
        Pictor::Pen pen(Pictor::Color(colour), box->GetFrameWidth() * k);
        const int32_t dash = box->GetFrameDashStyle();
        if (dash >= Pictor::DashStyleDash && dash <= Pictor::DashStyleDashDotDot) pen.SetDashStyle(dash);
        info->graphics->DrawPath(&pen, &path, 0);
    }
}

void CGIS_TextBoxSymbolize::DrawText(const IGIS_TextBoxSymbol* box, const SymbolizeInfo* info,
                                     const Pictor::PointD& p, const double margins[4],
                                     const std::string& utf8) const {
    std::vector<std::string> lines;
    if (!SplitLines(utf8, &lines)) {
        SYMBOLIZE_LOG(LogLevelError, kSymbolize, "text of more than %zu lines", symbolize::kMaxTextLines);
        return;
    }
    const std::optional<std::string> family =
        symbolize::LayerText(box->GetFontName(), kSymbolize, "font name");
    if (!family || lines.empty()) return;
    const float size = static_cast<float>(ValueOr(box->GetFontSize(), 0.0) * kShapeFactor);
    if (!symbolize::UsableFontSize(size, kSymbolize)) return;
    // Like a text symbol's, a family that cannot be loaded falls back rather than drawing nothing.
    const std::unique_ptr<Pictor::Font> owned = symbolize::MakeTextFont(*family, size);
    Pictor::Font& font = *owned;
    symbolize::ApplyTextStyle(&font, ValueOr(box->GetFontStyle(), 0));

    // Measure every line at the origin, in font units.
    std::vector<LineBox> measured(lines.size());
    double totalHeight = 0.0;
    double widest = 0.0;
    for (size_t i = 0; i < lines.size(); ++i) {
        Pictor::GraphicsPath path;
        Pictor::PointD origin(0.0, 0.0);
        path.AddStringFont(lines[i], &font, &origin, true);
        Pictor::RectD b;
        path.GetBounds(&b);
        measured[i] = {b.x, b.y, b.width, b.height < -kTolerance ? 0.0 : b.height};
        totalHeight += measured[i].height;
        if (b.width - widest > kTolerance) widest = b.width;
    }

    // Fit the lines and their gaps to the inner height, the widest line to the inner width.
    const double w = ValueOr(box->GetBoxWidth(), kNoBox);
    const double h = ValueOr(box->GetBoxHeight(), kNoBox);
    const double g = ValueOr(box->GetLineGap(), 0.0);
    const double gaps = static_cast<double>(lines.size() - 1) * g * kShapeFactor;
    const double inner = h * kShapeFactor;
    if (gaps - inner > kTolerance) return;  // the gaps alone overfill the box: the box stays empty
    // Text without ink (blanks only, or glyphs no font has) cannot be fitted: nothing to scale.
    if (totalHeight < kTolerance) return;
    const double sy = (inner - gaps) / totalHeight;
    const bool keepAspect = ValueOr(box->GetKeepAspect(), false);
    if (!keepAspect && widest < kTolerance) return;
    const double sx = keepAspect ? sy : w * kShapeFactor / widest;
    if (!(std::abs(sx) > kTolerance) || !(std::abs(sy) > kTolerance)) return;
    const double left = margins[0] / sx * kShapeFactor;
    const double top = margins[1] / sy * kShapeFactor;
    const double gap = g / sy * kShapeFactor;

    Pictor::GraphicsPath text;
    double y = p.y + top;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!IsBlank(lines[i])) {
            // The line's ink lands with its top-left on (x, y).
            Pictor::PointD origin(p.x + left - measured[i].x, y - measured[i].y);
            text.AddStringFont(lines[i], &font, &origin, true);
        }
        y += measured[i].height + gap;
    }

    const double k = symbolize::SizeScale(info);
    const double angle = ValueOr(box->GetAngle(), 0.0) + info->rotation;
    CGIS_SymbolMatrix m;
    m.ScaleAt(sx * k * kPlaceFactor, sy * k * kPlaceFactor, p.x, p.y, true);
    if (info->yUp) {
        // An upward y axis would show the lines bottom to top and the glyphs upside down: mirror
        // them within the box, and turn them with the box.
        m.FlipYAt(p.y + (margins[1] + h + margins[3]) * k / 2.0);
        m.RotateAt(-angle, p.x, p.y, true);
    } else {
        m.RotateAt(angle, p.x, p.y, true);
    }
    Pictor::Matrix matrix;
    if (!m.ToPictor(&matrix)) return;
    if (matrix.ScaleAt(box->GetStretchX(), box->GetStretchY(), p) != Pictor::Ok) return;
    text.Transform(&matrix);
    const Pictor::SolidBrush brush(
        Pictor::Color(symbolize::TextColour(info, box->GetColor(), box->GetTransparency())));
    info->graphics->FillPath(&brush, &text, 0);
}
