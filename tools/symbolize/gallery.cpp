#include "tools/symbolize/gallery.h"

#include <cmath>
#include <string>
#include <vector>

#include "contracts/pictor/pictor.h"
#include "host/symbols.h"
#include "symbolize/symbolize.h"

namespace gallery {
namespace {

using Pictor::PointD;
using symbolhost::SimpleFillSymbol;
using symbolhost::SimpleLineSymbol;

constexpr double kCellWidth = 160.0;
constexpr double kCellHeight = 140.0;
constexpr double kCaptionSize = 12.0;

struct Sheet {
    Pictor::Graphics& graphics;
    IGIS_Symbolize* service;
    SymbolizeInfo info;

    void Draw(IGIS_Symbol& symbol, const std::vector<PointD>& points) {
        const int32_t count = static_cast<int32_t>(points.size());
        service->Symbolize(&symbol, &info, points.data(), &count);
    }

    void Caption(const std::string& text, double x, double y) {
        static const Pictor::Font font("DejaVu Sans", kCaptionSize);
        static const Pictor::StringFormat centred(Pictor::StringAlignmentCenter);
        static const Pictor::SolidBrush ink(Pictor::Color(0xFF303030));
        Pictor::GraphicsPath path(Pictor::FillModeWinding);
        path.AddStringFont(text, &font, Pictor::RectD(x, y, kCellWidth, 2 * kCaptionSize), &centred);
        graphics.FillPath(&ink, &path);
    }

    void Title(const std::string& text, double y) {
        static const Pictor::Font font("DejaVu Sans", 16.0, Pictor::FontStyleBold);
        static const Pictor::SolidBrush ink(Pictor::Color(0xFF101010));
        Pictor::GraphicsPath path(Pictor::FillModeWinding);
        PointD origin{16, y};
        path.AddStringFont(text, &font, &origin, true);
        graphics.FillPath(&ink, &path);
    }
};

// A gentle S-shaped road or river across one cell.
std::vector<PointD> Meander(double x, double y, double amplitude) {
    std::vector<PointD> pts;
    for (int i = 0; i <= 6; ++i) {
        const double t = i / 6.0;
        pts.push_back({x + 15 + t * (kCellWidth - 30), y + 60 + amplitude * std::sin(t * 2 * 3.14159265358979)});
    }
    return pts;
}

// A parcel: an irregular pentagon inside one cell.
std::vector<PointD> Parcel(double x, double y) {
    return {{x + 25, y + 30}, {x + 120, y + 22}, {x + 140, y + 70}, {x + 100, y + 105}, {x + 30, y + 95}};
}

SimpleLineSymbol Line(uint32_t colour, double widthMm) {
    SimpleLineSymbol line;
    line.SetColor(colour);
    line.SetWidth(widthMm);
    return line;
}

SimpleLineSymbol* NewOutline(uint32_t colour, double widthMm) {
    auto* line = new SimpleLineSymbol(Line(colour, widthMm));
    return line;
}

void DrawRoads(Sheet& s, double y) {
    s.Title("Roads and paths", y + 4);
    SimpleLineSymbol motorway = Line(0xE89B3C, 1.6);
    motorway.SetHalo({0.35, 0x8A4B12, true});
    SimpleLineSymbol street = Line(0xFFFFFF, 1.1);
    street.SetHalo({0.3, 0x8C8C8C, true});
    SimpleLineSymbol track = Line(0x8B5A2B, 0.45);
    track.SetLineStyle(SimpleLineStyleDash);
    track.SetLineCap(0);
    SimpleLineSymbol footpath = Line(0xC0392B, 0.4);
    footpath.SetLineStyle(SimpleLineStyleCustom);
    footpath.SetDashPattern({1.2, 0.8});
    footpath.SetLineCap(2);
    SimpleLineSymbol boundary = Line(0x7D3C98, 0.5);
    boundary.SetLineStyle(SimpleLineStyleDashDot);
    boundary.SetTransparency(30);
    SimpleLineSymbol* lines[] = {&motorway, &street, &track, &footpath, &boundary};
    const char* names[] = {"motorway (halo)", "street (casing)", "track (dash)", "footpath (custom)",
                           "boundary (dash-dot)"};
    for (int i = 0; i < 5; ++i) {
        const double x = 10 + i * kCellWidth * 1.2;
        s.Draw(*lines[i], Meander(x, y, 18));
        s.Caption(names[i], x, y + 100);
    }
}

void DrawWater(Sheet& s, double y) {
    s.Title("Water", y + 4);
    SimpleLineSymbol river = Line(0x2E86C1, 0.9);
    river.SetSmooth(true);
    SimpleLineSymbol stream = Line(0x5DADE2, 0.35);
    stream.SetSmooth(true);
    SimpleFillSymbol lake;
    lake.SetColor(0xAED6F1);
    lake.SetOutline(NewOutline(0x2E86C1, 0.35));
    SimpleFillSymbol marsh;
    marsh.SetStyle(SimpleFillStyleHorizontal);
    marsh.SetColor(0x2E86C1);
    marsh.SetBackgroundColor(0xD6EAF8);
    marsh.SetBackgroundTransparency(0);
    const double x0 = 10;
    s.Draw(river, {{x0 + 10, y + 40}, {x0 + 60, y + 90}, {x0 + 110, y + 50}, {x0 + 150, y + 95}});
    s.Caption("river (smoothed)", x0, y + 100);
    const double x1 = x0 + kCellWidth * 1.2;
    s.Draw(stream, {{x1 + 10, y + 90}, {x1 + 50, y + 40}, {x1 + 90, y + 80}, {x1 + 140, y + 35}});
    s.Caption("stream (smoothed)", x1, y + 100);
    const double x2 = x0 + 2 * kCellWidth * 1.2;
    s.Draw(lake, Parcel(x2, y));
    s.Caption("lake", x2, y + 110);
    const double x3 = x0 + 3 * kCellWidth * 1.2;
    s.Draw(marsh, Parcel(x3, y));
    s.Caption("marsh (hatch)", x3, y + 110);
}

void DrawParcels(Sheet& s, double y) {
    s.Title("Land use", y + 4);
    struct Style {
        int32_t code;
        uint32_t fore;
        uint32_t back;
        const char* name;
    };
    const Style styles[] = {{SimpleFillStyleSolid, 0xC8E6C9, 0xFFFFFF, "park (solid)"},
                            {SimpleFillStyleVertical, 0x6D4C41, 0xF5E6CA, "orchard"},
                            {SimpleFillStyleForwardDiagonal, 0xB03A2E, 0xFADBD8, "built-up"},
                            {SimpleFillStyleCross, 0x616161, 0xEEEEEE, "industrial"},
                            {SimpleFillStyleDiagonalCross, 0x1E8449, 0xE9F7EF, "forest"},
                            {SimpleFillStyleHollow, 0, 0, "parcel (hollow)"}};
    for (int i = 0; i < 6; ++i) {
        SimpleFillSymbol fill;
        fill.SetStyle(styles[i].code);
        fill.SetColor(styles[i].fore);
        fill.SetBackgroundColor(styles[i].back);
        fill.SetBackgroundTransparency(0);
        fill.SetOutline(NewOutline(i == 5 ? 0xC0392B : 0x424242, i == 5 ? 0.5 : 0.25));
        const double x = 10 + i * kCellWidth;
        s.Draw(fill, Parcel(x, y));
        s.Caption(styles[i].name, x, y + 110);
    }
}

}  // namespace

void Draw(Pictor::Graphics& graphics) {
    IGIS_Symbolize* service = GIS_GetSymbolizeObject();
    if (service == nullptr) return;
    Sheet sheet{graphics, service, SymbolizeInfo{}};
    sheet.info.graphics = &graphics;
    sheet.info.scale = -1.0;  // screen pixels per millimetre
    DrawRoads(sheet, 10);
    DrawWater(sheet, 220);
    DrawParcels(sheet, 430);
}

}  // namespace gallery
