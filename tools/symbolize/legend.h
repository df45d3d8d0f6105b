// The legend sheet: every symbol of a document drawn on a sample that fits its kind (a point, a
// line, a polygon or a text box) with its name and kind beneath, in a grid.
#pragma once

#include <optional>
#include <string>

#include "contracts/pictor/graphics.h"
#include "host/document/document.h"
#include "tools/symbolize/render.h"

namespace symbolize_tool {

// The sheet's layout in pixels: cells of a sample area above two caption lines, in rows of at
// most kLegendColumns, inside a margin.
inline constexpr double kLegendCellWidth = 200.0;
inline constexpr double kLegendCellHeight = 150.0;
inline constexpr double kLegendSampleHeight = 100.0;
inline constexpr double kLegendMargin = 16.0;
// Four cells make a sheet about as wide as a page or a screen.
inline constexpr int kLegendColumns = 4;

struct SheetSize {
    int width = 0;
    int height = 0;
};

// The sheet's size in pixels, its layout `zoom` times the sizes above; nullopt with *error when
// the symbols do not fit on one picture.
std::optional<SheetSize> LegendSize(const symbolhost::document::Document& document, std::string* error,
                                    double zoom = 1.0);

// Draws the sheet in pixels with y down, whatever the document's canvas says, with the
// document's drawing context otherwise; the layout is `zoom` times the sizes above (2 for a sheet
// drawn at twice the document's resolution). False when `progress` stopped it.
bool DrawLegend(const symbolhost::document::Document& document, Pictor::Graphics& graphics,
                const Progress& progress, double zoom = 1.0);

// The sample of the `index`th symbol alone, as the sheet shows it, with its top-left corner at
// the origin: kLegendCellWidth x kLegendSampleHeight pixels times `zoom`.
void DrawLegendSample(const symbolhost::document::Document& document, size_t index,
                      Pictor::Graphics& graphics, double zoom);

}  // namespace symbolize_tool
