// Drawing a document through the library's public entry, as a host does: one call per feature
// part, with the document's drawing context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "contracts/pictor/graphics.h"
#include "contracts/pictor/path.h"
#include "host/document/document.h"
#include "symbolize/symbolize.h"
#include "tools/symbolize/dump.h"

namespace symbolize_tool {

// Told after each feature how many of `total` are drawn; answering false stops the drawing.
using Progress = std::function<bool(size_t done, size_t total)>;

// The document's drawing context on `graphics`, with the scale resolved for y up or down.
SymbolizeInfo MakeInfo(const symbolhost::document::Document& document, Pictor::Graphics& graphics, bool yUp);

// While it lives, the host serves the document's pictures and settings (SYMBOL2_* properties of
// the host's default store); the previous ones come back when it goes.
class DocumentServices {
public:
    explicit DocumentServices(symbolhost::document::Document& document);
    ~DocumentServices();
    DocumentServices(const DocumentServices&) = delete;
    DocumentServices& operator=(const DocumentServices&) = delete;

private:
    void Set(const char* name, const std::string& value);

    bool images_ = false;
    bool fillImages_ = false;
    bool resources_ = false;
    // Each property changed, with the value it had (nullopt: it was not set).
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Given each outline a feature asked for with "getPath" and the library built, in drawing units,
// with `world`, the transform from drawing units to device pixels; answering false stops the
// drawing.
using OutlineSink = std::function<bool(const Pictor::GraphicsPath& outline, const Pictor::Matrix& world)>;

// The drawing context of one feature: `base` with the fields the feature sets for itself.
SymbolizeInfo FeatureInfo(const symbolhost::document::Document& document, const SymbolizeInfo& base,
                          const symbolhost::document::ContextOverrides& own);

// The drawing work a render may do, in the graphics layer's units (16 per drawing call plus one
// per point, pixel row crossed and 64 pixels covered; a second of drawing is a few million): one
// feature (or legend sample) at most kFeatureWork, the whole render at most kRenderWork. A
// feature past its budget is cut off where it stands; past the render's, nothing more is drawn.
// The first cut logs one level-2 message. An interrupt stops the feature being drawn too. On a
// canvas of a higher resolution than a screen's, a feature's budget grows with the pixel area
// (ppi / 96 squared, at most 16 times).
inline constexpr int64_t kFeatureWork = int64_t{1} << 22;
inline constexpr int64_t kRenderWork = int64_t{1} << 28;

// Keeps the budgets on `graphics` while it lives.
class RenderBudget {
public:
    explicit RenderBudget(Pictor::Graphics& graphics, int64_t featureWork = kFeatureWork,
                          int64_t renderWork = kRenderWork);
    ~RenderBudget();
    RenderBudget(const RenderBudget&) = delete;
    RenderBudget& operator=(const RenderBudget&) = delete;

    void BeginFeature();
    // Counts what the feature drew; `name` is asked for its name only when the message needs it,
    // so that a render of millions of features builds no name it never shows.
    void EndFeature(const std::function<std::string()>& name);
    bool RenderSpent() const { return renderLeft_ <= 0; }

private:
    Pictor::Graphics& graphics_;
    Pictor::WorkBudget budget_;
    int64_t featureWork_;
    int64_t renderWork_;
    int64_t renderLeft_;
    int64_t featureStart_ = 0;
    bool reported_ = false;
};

// Draws every layer in order. False when `progress` or `outlines` stopped it.
bool DrawMap(const symbolhost::document::Document& document, Pictor::Graphics& graphics,
             const Progress& progress, const OutlineSink& outlines = nullptr);

// Draws the layers onto a recording canvas of the document's canvas size and returns them as a
// drawing dump, with the entries `log` holds when the drawing ends (the caller installs it). Null
// with *error when `progress` stopped it or the dump outgrew its limits.
std::optional<dump::Json> DumpMap(const symbolhost::document::Document& document,
                                  const symbolhost::CaptureLog& log, const Progress& progress,
                                  std::string* error);

}  // namespace symbolize_tool
