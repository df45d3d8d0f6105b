#include "tools/symbolize/legend.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "contracts/pictor/pictor.h"

namespace symbolize_tool {
namespace {

using Pictor::PointD;
using symbolhost::document::Document;
using symbolhost::document::Shape;

constexpr double kCellWidth = kLegendCellWidth;
constexpr double kCellHeight = kLegendCellHeight;
constexpr double kSampleHeight = kLegendSampleHeight;
constexpr double kMargin = kLegendMargin;
constexpr int kMaxColumns = kLegendColumns;

// Captions use a pinned family so that the sheet looks the same wherever it is rendered.
constexpr const char* kCaptionFamily = "DejaVu Sans";
constexpr double kNameSize = 13.0;
constexpr double kKindSize = 11.0;
constexpr uint32_t kNameInk = 0xFF202020;
constexpr uint32_t kKindInk = 0xFF7A7A7A;
constexpr uint32_t kFrameInk = 0xFFE2E2E2;

int Columns(size_t symbols) { return static_cast<int>(std::clamp<size_t>(symbols, 1, kMaxColumns)); }

// Layout positions are given at zoom 1 and placed through this.
PointD Zoomed(double x, double y, double zoom) { return {x * zoom, y * zoom}; }

// A gentle S across the cell: a road or a river.
std::vector<PointD> SampleLine(double x, double y, double zoom) {
    constexpr int kSteps = 8;
    constexpr double kInset = 22.0;
    constexpr double kAmplitude = 24.0;
    std::vector<PointD> points;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps;
        points.push_back(Zoomed(x + kInset + t * (kCellWidth - 2 * kInset),
                                y + kSampleHeight / 2 + kAmplitude * std::sin(t * 2 * std::numbers::pi),
                                zoom));
    }
    return points;
}

// A parcel: an irregular pentagon inside the sample area.
std::vector<PointD> SamplePolygon(double x, double y, double zoom) {
    return {Zoomed(x + 36, y + 16, zoom), Zoomed(x + 150, y + 10, zoom), Zoomed(x + 172, y + 58, zoom),
            Zoomed(x + 126, y + 90, zoom), Zoomed(x + 30, y + 82, zoom)};
}

void Caption(Pictor::Graphics& graphics, const std::string& text, double size, uint32_t ink, double x,
             double y, double zoom) {
    const Pictor::Font font(kCaptionFamily, size * zoom);
    const Pictor::StringFormat centred(Pictor::StringAlignmentCenter);
    const Pictor::SolidBrush brush{Pictor::Color(ink)};
    Pictor::GraphicsPath path(Pictor::FillModeWinding);
    path.AddStringFont(text, &font, Pictor::RectD(x * zoom, y * zoom, kCellWidth * zoom, 2 * size * zoom),
                       &centred);
    graphics.FillPath(&brush, &path);
}

void Frame(Pictor::Graphics& graphics, double x, double y, double zoom) {
    const Pictor::Pen pen(Pictor::Color(kFrameInk), zoom);
    Pictor::GraphicsPath path;
    path.AddRectangle((x + 0.5) * zoom, (y + 0.5) * zoom, (kCellWidth - 1) * zoom, (kCellHeight - 1) * zoom);
    graphics.DrawPath(&pen, &path);
}

void DrawSample(IGIS_Symbolize& service, const symbolhost::document::SymbolLibrary::Entry& entry,
                const SymbolizeInfo& info, double x, double y, double zoom) {
    IGIS_Symbol* symbol = entry.symbol.get();
    switch (entry.kind->shape) {
        case Shape::Marker: {
            const PointD centre = Zoomed(x + kCellWidth / 2, y + kSampleHeight / 2, zoom);
            const int32_t one = 1;
            service.Symbolize(symbol, &info, &centre, &one);
            return;
        }
        case Shape::Line: {
            const std::vector<PointD> points = SampleLine(x, y, zoom);
            const int32_t count = static_cast<int32_t>(points.size());
            service.Symbolize(symbol, &info, points.data(), &count);
            return;
        }
        case Shape::Fill: {
            const std::vector<PointD> points = SamplePolygon(x, y, zoom);
            const int32_t count = static_cast<int32_t>(points.size());
            service.Symbolize(symbol, &info, points.data(), &count);
            return;
        }
        case Shape::Text: {
            constexpr double kInset = 12.0;
            const TextBox box{(x + kInset) * zoom, (x + kCellWidth - kInset) * zoom, (y + kInset) * zoom,
                              (y + kSampleHeight - kInset) * zoom};
            service.SymbolizeText(symbol, &info, &box);
            return;
        }
    }
}

}  // namespace

std::optional<SheetSize> LegendSize(const Document& document, std::string* error, double zoom) {
    const size_t symbols = document.symbols.Entries().size();
    const int columns = Columns(symbols);
    const size_t rows = std::max<size_t>(1, (symbols + columns - 1) / columns);
    const double height = std::round((2 * kMargin + static_cast<double>(rows) * kCellHeight) * zoom);
    const double width = std::round((2 * kMargin + columns * kCellWidth) * zoom);
    if (width > Pictor::kMaxBitmapSide) {
        *error = "a legend sheet this large would be wider than a picture may be; choose a lower ppi";
        return std::nullopt;
    }
    // The tallest sheet a picture of this width holds.
    const double tallest =
        std::min<double>(Pictor::kMaxBitmapSide, static_cast<double>(Pictor::kMaxBitmapPixels) / width);
    if (height > tallest) {
        const int fit =
            std::max(0, static_cast<int>((tallest / zoom - 2 * kMargin) / kCellHeight)) * kMaxColumns;
        *error = "a legend sheet holds at most " + std::to_string(fit) + " symbols, the document has " +
                 std::to_string(symbols);
        return std::nullopt;
    }
    return SheetSize{static_cast<int>(width), static_cast<int>(height)};
}

void DrawLegendSample(const Document& document, size_t index, Pictor::Graphics& graphics, double zoom) {
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    const auto& entries = document.symbols.Entries();
    if (service == nullptr || index >= entries.size()) return;
    DrawSample(*service, entries[index], MakeInfo(document, graphics, false), 0.0, 0.0, zoom);
}

bool DrawLegend(const Document& document, Pictor::Graphics& graphics, const Progress& progress, double zoom) {
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return false;
    const SymbolizeInfo info = MakeInfo(document, graphics, false);
    const auto& entries = document.symbols.Entries();
    const int columns = Columns(entries.size());
    RenderBudget budget(graphics);
    for (size_t i = 0; i < entries.size(); ++i) {
        const double x = kMargin + static_cast<double>(i % columns) * kCellWidth;
        const double y = kMargin + static_cast<double>(i / columns) * kCellHeight;
        budget.BeginFeature();
        Frame(graphics, x, y, zoom);
        DrawSample(*service, entries[i], info, x, y, zoom);
        Caption(graphics, entries[i].name, kNameSize, kNameInk, x, y + kSampleHeight + 4, zoom);
        Caption(graphics, std::string(entries[i].kind->name), kKindSize, kKindInk, x, y + kSampleHeight + 24,
                zoom);
        budget.EndFeature([&] { return "the sample of " + entries[i].name; });
        if (progress && !progress(i + 1, entries.size())) return false;
    }
    return true;
}

}  // namespace symbolize_tool
