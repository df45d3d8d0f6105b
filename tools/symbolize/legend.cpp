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

// A gentle S across the cell: a road or a river.
std::vector<PointD> SampleLine(double x, double y) {
    constexpr int kSteps = 8;
    constexpr double kInset = 22.0;
    constexpr double kAmplitude = 24.0;
    std::vector<PointD> points;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps;
        points.push_back({x + kInset + t * (kCellWidth - 2 * kInset),
                          y + kSampleHeight / 2 + kAmplitude * std::sin(t * 2 * std::numbers::pi)});
    }
    return points;
}

// A parcel: an irregular pentagon inside the sample area.
std::vector<PointD> SamplePolygon(double x, double y) {
    return {{x + 36, y + 16}, {x + 150, y + 10}, {x + 172, y + 58}, {x + 126, y + 90}, {x + 30, y + 82}};
}

void Caption(Pictor::Graphics& graphics, const std::string& text, double size, uint32_t ink, double x,
             double y) {
    const Pictor::Font font(kCaptionFamily, size);
    const Pictor::StringFormat centred(Pictor::StringAlignmentCenter);
    const Pictor::SolidBrush brush{Pictor::Color(ink)};
    Pictor::GraphicsPath path(Pictor::FillModeWinding);
    path.AddStringFont(text, &font, Pictor::RectD(x, y, kCellWidth, 2 * size), &centred);
    graphics.FillPath(&brush, &path);
}

void Frame(Pictor::Graphics& graphics, double x, double y) {
    const Pictor::Pen pen(Pictor::Color(kFrameInk), 1.0);
    Pictor::GraphicsPath path;
    path.AddRectangle(x + 0.5, y + 0.5, kCellWidth - 1, kCellHeight - 1);
    graphics.DrawPath(&pen, &path);
}

void DrawSample(IGIS_Symbolize& service, const symbolhost::document::SymbolLibrary::Entry& entry,
                const SymbolizeInfo& info, double x, double y) {
    IGIS_Symbol* symbol = entry.symbol.get();
    switch (entry.kind->shape) {
        case Shape::Marker: {
            const PointD centre{x + kCellWidth / 2, y + kSampleHeight / 2};
            const int32_t one = 1;
            service.Symbolize(symbol, &info, &centre, &one);
            return;
        }
        case Shape::Line: {
            const std::vector<PointD> points = SampleLine(x, y);
            const int32_t count = static_cast<int32_t>(points.size());
            service.Symbolize(symbol, &info, points.data(), &count);
            return;
        }
        case Shape::Fill: {
            const std::vector<PointD> points = SamplePolygon(x, y);
            const int32_t count = static_cast<int32_t>(points.size());
            service.Symbolize(symbol, &info, points.data(), &count);
            return;
        }
        case Shape::Text: {
            constexpr double kInset = 12.0;
            const TextBox box{x + kInset, x + kCellWidth - kInset, y + kInset, y + kSampleHeight - kInset};
            service.SymbolizeText(symbol, &info, &box);
            return;
        }
    }
}

}  // namespace

std::optional<SheetSize> LegendSize(const Document& document, std::string* error) {
    const size_t symbols = document.symbols.Entries().size();
    const int columns = Columns(symbols);
    const size_t rows = std::max<size_t>(1, (symbols + columns - 1) / columns);
    const double height = 2 * kMargin + static_cast<double>(rows) * kCellHeight;
    const int fit = static_cast<int>((Pictor::kMaxBitmapSide - 2 * kMargin) / kCellHeight) * kMaxColumns;
    if (height > Pictor::kMaxBitmapSide) {
        *error = "a legend sheet holds at most " + std::to_string(fit) + " symbols, the document has " +
                 std::to_string(symbols);
        return std::nullopt;
    }
    return SheetSize{static_cast<int>(2 * kMargin + columns * kCellWidth), static_cast<int>(height)};
}

bool DrawLegend(const Document& document, Pictor::Graphics& graphics, const Progress& progress) {
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
        Frame(graphics, x, y);
        DrawSample(*service, entries[i], info, x, y);
        Caption(graphics, entries[i].name, kNameSize, kNameInk, x, y + kSampleHeight + 4);
        Caption(graphics, std::string(entries[i].kind->name), kKindSize, kKindInk, x, y + kSampleHeight + 24);
        budget.EndFeature("the sample of " + entries[i].name);
        if (progress && !progress(i + 1, entries.size())) return false;
    }
    return true;
}

}  // namespace symbolize_tool
