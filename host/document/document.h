// Symbol documents: a canvas, a drawing context, a library of named symbols and layers of
// features, read from JSON (docs/document-format.md). A document is checked as a whole when it is
// read: anything wrong is refused then, with the file, the JSON path and what was expected, so
// that drawing never starts on a document that cannot be drawn.
//
// Nothing here draws: a host walks the layers and hands each feature's symbol and points to the
// library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contracts/host.h"
#include "contracts/pictor/image.h"
#include "contracts/pictor/matrix.h"
#include "contracts/pictor/types.h"
#include "host/document/diagnostics.h"
#include "host/document/kind.h"
#include "host/host.h"
#include "host/stores.h"
#include "host/symbols.h"

namespace symbolhost::document {

// ---- symbol library -----------------------------------------------------------------------

// Named symbols in the order they were given.
class SymbolLibrary {
public:
    // A library this large is not a map style any more; the cap bounds what a document can ask for.
    static constexpr size_t kMaxSymbols = 10000;

    struct Entry {
        std::string name;
        const Kind* kind = nullptr;
        SymbolPtr<> symbol;
    };

    // Takes `symbol` under `name`. False, and nothing kept, when the name is empty or taken, the
    // library is full, or no kind of documents has the symbol's type.
    bool Add(std::string name, SymbolPtr<> symbol);
    const Entry* Find(std::string_view name) const;
    // Position of `name` in Entries(), or npos.
    size_t IndexOf(std::string_view name) const;
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    std::map<std::string, size_t, std::less<>> index_;
};

// The two symbols are of one kind and hold equal values in every property of that kind, members
// compared the same way.
bool SameSymbol(IGIS_Symbol& a, IGIS_Symbol& b);

// The library as a document of "symbols" only, every property written out. A member equal to a
// symbol of the library is written as that symbol's name, any other member inline. Reading the
// text gives symbols equal to these.
std::string WriteSymbols(const SymbolLibrary& library);

// Every kind with its properties, value types, defaults and meaning, as Markdown tables.
std::string KindsReference();

// ---- canvas, context and settings ---------------------------------------------------------

struct CanvasSettings {
    // Pixels at `ppi`: the page measures width / ppi by height / ppi inches, in every format.
    int width = 800;
    int height = 600;
    uint32_t background = 0xFFFFFFFFu;  // 0xAARRGGBB
    double ppi = 96.0;
    // Drawing units are hundredths of a millimetre with y pointing up from the bottom-left
    // corner; otherwise they are pixels with y pointing down from the top-left corner.
    bool yUp = false;
};

struct ContextSettings {
    double scale = -1.0;  // drawing units per millimetre; below -0.0001: chosen by the canvas
    double sizeRatio = 1.0;
    double rotation = 0.0;
    bool overrideColor = false;
    uint32_t color = 0xFF000000u;
    std::string colorTable;  // resolved path, empty for none
};

// The drawing context one feature sets for itself: each field given replaces the document's
// context for that feature alone. `yUp` exists only here: the document's comes from its canvas.
struct ContextOverrides {
    std::optional<double> scale;  // below -0.0001: chosen by the canvas, as in ContextSettings
    std::optional<double> sizeRatio;
    std::optional<double> rotation;
    std::optional<bool> yUp;
    std::optional<bool> overrideColor;
    std::optional<uint32_t> color;
    std::shared_ptr<ColorTable> colorTable;  // null: the document's
    std::string colorTablePath;              // resolved path of colorTable
};

struct Settings {
    std::optional<bool> simplifyAnchorPoints;  // unset: the host's own setting, else false
    std::string configDir;                     // resolved path, empty for none
    std::string codePage;                      // "1252" or "GBK"; empty: the host's own setting
    bool allowPathsOutside = false;
    std::optional<uint32_t> jitterSeed;  // unset: the host's own setting, else the clock
};

// The part of the world (GeoJSON coordinates) the canvas shows.
struct ViewBox {
    double xmin = 0.0;
    double ymin = 0.0;
    double xmax = 1.0;
    double ymax = 1.0;
};

// ---- features -------------------------------------------------------------------------------

enum class Geometry { Point, Line, Polygon, Text };

// A text feature's layout box in drawing units: x1 left, y1 top.
struct TextLayout {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
};

// Which of the library's entries draws a feature.
enum class Entry {
    Points,   // Symbolize: the point entry, one call per part
    Path,     // SymbolizePath: a line's parts as open figures, a polygon's rings as closed figures
    Outline,  // GetPath: a library marker's outline is handed back to the host, not drawn
};

struct Feature {
    Geometry geometry = Geometry::Point;
    Entry entry = Entry::Points;
    ContextOverrides context;
    // Point: one point per part. Line: a polyline per part. Polygon: every ring, outer rings and
    // holes alike (see `rings`). Text: none.
    std::vector<std::vector<Pictor::PointD>> parts;
    // Polygon: how many consecutive parts make each polygon, its outer ring first, then its holes.
    std::vector<size_t> rings;
    size_t symbol = 0;  // index into the library's entries
    std::string text;
    TextLayout box;
};

struct Layer {
    std::string name;
    // Coordinates are world coordinates mapped through the view box (GeoJSON layers); otherwise
    // drawing units.
    bool world = false;
    std::vector<Feature> features;
};

// Pictures by id, for the image stores the library asks.
class ImageTable final : public IGIS_ImageResourceBase {
public:
    const Pictor::Image* GetImage(uint32_t id) noexcept override;
    // One picture may stand under many ids, and in both tables, decoded once.
    void Add(uint32_t id, std::shared_ptr<const Pictor::Image> image) { images_[id] = std::move(image); }
    size_t Size() const { return images_.size(); }
    // Every picture resampled to `factor` times its size, one under many ids once. False with
    // *error, the table unchanged, when one would outgrow a picture or all of them
    // `maxPixels`.
    bool ScaleTiles(double factor, int64_t maxPixels, std::string* error);

private:
    std::map<uint32_t, std::shared_ptr<const Pictor::Image>> images_;
};

struct Document {
    std::string file;       // as given to the reader
    std::string directory;  // paths in the document are relative to it
    // Every path the document names (pictures, colour tables, GeoJSON, directories), resolved: an
    // output must not replace one of them.
    std::vector<std::string> inputs;
    CanvasSettings canvas;
    ContextSettings context;
    Settings settings;
    std::optional<ViewBox> view;  // given, or the bounds of the GeoJSON data; unset without either
    double margin = 0.0;          // pixels kept free around the view box
    // The map scale's denominator (25000 for 1:25 000) with the view box in metres; the canvas
    // is then the box at that scale plus the margin. Unset: the box is fitted into the canvas.
    std::optional<double> mapScale;
    std::shared_ptr<ColorTable> colorTable;
    ImageTable images;
    ImageTable fillImages;
    // Vector drawings of library markers by code, and how many the document gave.
    VectorResourceStore resources;
    size_t resourceCount = 0;
    SymbolLibrary symbols;
    std::vector<Layer> layers;

    size_t FeatureCount() const;
};

struct ReadResult {
    std::unique_ptr<Document> document;  // null when refused
    Diagnostics diagnostics;
};

// Reads and checks the document at `path`, with the GeoJSON files, colour table and images it
// names. Never throws.
ReadResult ReadDocument(const std::string& path);
// The same for a document held in memory; `file` names it in messages and `directory` is where
// its paths start.
ReadResult ReadDocumentText(std::string_view text, const std::string& file, const std::string& directory);

// A colour "#RRGGBB", or also "#AARRGGBB" when `withAlpha` ("#RRGGBB" is then opaque).
std::optional<uint32_t> ParseColour(std::string_view text, bool withAlpha);

// ---- geometry of the page -------------------------------------------------------------------

// Makes the document draw the same page at `ppi` pixels per inch: the canvas keeps its size on
// paper and so gets more or fewer pixels, and every measure in pixels follows: the margin and,
// when y points down, the coordinates of layers in drawing units, their text boxes, scales given
// in pixels per millimetre and the fill pictures, which tile a pixel per drawing unit. False with *error, the document unchanged, when the canvas
// would outgrow a picture or `ppi` is outside what a document accepts.
bool SetResolution(Document& document, double ppi, std::string* error);

// Drawing units per millimetre of symbol size: the context's scale, or when it is left open,
// the canvas' pixels per millimetre (y down) or 100 (yUp).
double ResolvedScale(const Document& document, bool yUp);
// The same for a scale given elsewhere (a feature's own): `scale` itself unless it is left open.
double ResolvedScale(const Document& document, double scale, bool yUp);
// Drawing units to canvas pixels: identity with y down; with yUp, hundredths of a millimetre at
// the canvas' ppi with y flipped.
Pictor::Matrix CanvasTransform(const Document& document);
// World coordinates to drawing units: the view box fitted into the canvas less the margin,
// centred, aspect kept, y up in the world pointing down on the canvas unless yUp.
Pictor::Matrix ViewTransform(const Document& document);

}  // namespace symbolhost::document
