// Reading a whole document: canvas, context, settings, view, pictures, symbols and layers.
#include "host/document/document.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <tuple>
#include <utility>

#include "host/document/context_reader.h"
#include "host/document/geojson.h"
#include "host/document/json_reader.h"
#include "host/document/layer_reader.h"
#include "host/document/paths.h"
#include "host/document/resource_reader.h"
#include "host/document/symbol_reader.h"

namespace symbolhost::document {
namespace {

// A document is a style and a few hand-placed features; 16 MB is far beyond one.
constexpr size_t kMaxDocumentBytes = size_t{16} << 20;
// Pictures of a document; a map has tens of them.
constexpr size_t kMaxImages = 1000;
// All pictures of a document together, decoded: four of the largest single picture, 1 GB of
// pixels. More is no map's worth of pictures, and would exhaust the memory of a small machine.
constexpr int64_t kMaxDocumentPicturePixels = 4 * Pictor::kMaxBitmapPixels;

// Resolutions from a fax to a photo typesetter; the same range the host accepts for screens.
constexpr double kMinPpi = 1.0;
constexpr double kMaxPpi = 10000.0;
constexpr double kMillimetresPerInch = 25.4;
// With yUp a drawing unit is a hundredth of a millimetre, as the library's default scale says.
constexpr double kLogicalUnitsPerMillimetre = 100.0;
// Below this the scale is left open, as the library reads it.
constexpr double kOpenScale = -0.0001;
// Map scales from a building plan at 1:1 to a world map on a stamp.
constexpr double kMinMapScale = 1.0;
constexpr double kMaxMapScale = 1e9;
constexpr double kMillimetresPerMetre = 1000.0;
// A canvas side computed from a map scale is rounded up to whole pixels, except for this much
// floating-point noise above a whole number.
constexpr double kWholePixelNoise = 1e-6;

// Canvas pixels a view box needs at a map scale: its sides in metres on paper, at `ppi`, with the
// margin all round. Doubles, so that a box far too large is still measured.
std::pair<double, double> ScaledCanvas(const ViewBox& box, double mapScale, double ppi, double margin) {
    const double pixelsPerMetre = kMillimetresPerMetre / mapScale / kMillimetresPerInch * ppi;
    const auto side = [&](double metres) {
        return std::ceil(metres * pixelsPerMetre + 2 * margin - kWholePixelNoise);
    };
    return {std::max(1.0, side(box.xmax - box.xmin)), std::max(1.0, side(box.ymax - box.ymin))};
}

// Why a canvas of width x height pixels cannot be drawn; empty when it can.
std::string CanvasSizeProblem(double width, double height) {
    const auto text = [](double v) { return std::to_string(static_cast<int64_t>(std::min(v, 1e18))); };
    if (width > Pictor::kMaxBitmapSide || height > Pictor::kMaxBitmapSide) {
        return "a canvas of " + text(width) + " x " + text(height) + " pixels, wider or taller than " +
               std::to_string(Pictor::kMaxBitmapSide);
    }
    if (width * height > static_cast<double>(Pictor::kMaxBitmapPixels)) {
        return "a canvas of " + text(width) + " x " + text(height) + " pixels, more than " +
               std::to_string(Pictor::kMaxBitmapPixels) + " in all";
    }
    return {};
}

const std::vector<std::string_view> kTopKeys = {"canvas", "context",    "settings", "view",
                                                "images", "fillImages", "symbols",  "layers",
                                                "resources"};

class DocumentReader {
public:
    DocumentReader(Document& document, Diagnostics& diagnostics)
        : doc_(document), reader_(document.file, diagnostics) {}

    void Read(const Json& root) {
        const Node top(root, "$");
        if (!root.is_object()) {
            reader_.Expected(top, "a document object");
            return;
        }
        reader_.Object(top, "a document", kTopKeys);
        if (const auto n = top.Find("settings")) ReadSettings(*n);
        if (const auto n = top.Find("canvas")) ReadCanvas(*n);
        if (const auto n = top.Find("context")) ReadContext(*n);
        if (const auto n = top.Find("images")) ReadImages(*n, doc_.images);
        if (const auto n = top.Find("fillImages")) ReadImages(*n, doc_.fillImages);
        if (const auto n = top.Find("resources")) doc_.resourceCount = ReadResources(*n, reader_, doc_.resources);
        if (const auto n = top.Find("symbols")) {
            if (n->Value().is_object()) {
                for (const auto& [name, value] : n->Value().items()) declared_.insert(name);
            }
            ReadSymbols(*n, reader_, doc_.symbols, [this](Section section, uint32_t id) {
                switch (section) {
                    case Section::Resources:
                        return doc_.resources.GetResource(&id) != nullptr;
                    case Section::Images:
                        return doc_.images.GetImage(id) != nullptr;
                    case Section::FillImages:
                        return doc_.fillImages.GetImage(id) != nullptr;
                }
                return false;
            });
        }
        if (const auto n = top.Find("view")) ReadView(*n);
        if (const auto n = top.Find("layers")) {
            ReadLayers(*n, doc_, reader_, budget_, declared_, colorTables_);
        }
        if (!doc_.view) doc_.view = DataBounds();
    }

private:
    // ---- sections ----

    void ReadSettings(const Node& at) {
        if (!reader_.Object(at, "a settings object",
                            {"simplifyAnchorPoints", "configDir", "allowPathsOutside", "jitterSeed",
                             "codePage"})) {
            return;
        }
        // Read first: it decides how every other path is taken.
        reader_.Member(at, "allowPathsOutside", doc_.settings.allowPathsOutside, &Reader::Boolean);
        if (const auto n = at.Find("simplifyAnchorPoints")) {
            doc_.settings.simplifyAnchorPoints = reader_.Boolean(*n);
        }
        if (const auto n = at.Find("jitterSeed")) {
            if (const auto seed = reader_.Integer(*n, 0, std::numeric_limits<int32_t>::max())) {
                doc_.settings.jitterSeed = static_cast<uint32_t>(*seed);
            }
        }
        if (const auto n = at.Find("codePage")) {
            const auto page = reader_.String(*n, "\"1252\" or \"GBK\"");
            if (page && (*page == "1252" || *page == "GBK")) {
                doc_.settings.codePage = *page;
            } else if (page) {
                reader_.Expected(*n, "\"1252\" or \"GBK\"");
            }
        }
        if (const auto n = at.Find("configDir")) {
            if (const auto path = ReadPath(*n, "a directory", doc_, reader_)) {
                std::error_code ec;
                if (std::filesystem::is_directory(*path, ec)) {
                    doc_.settings.configDir = *path;
                } else {
                    reader_.Expected(*n, "an existing directory");
                }
            }
        }
    }

    void ReadCanvas(const Node& at) {
        if (!reader_.Object(at, "a canvas object", {"width", "height", "background", "ppi", "yUp"})) return;
        canvasSized_ = at.Find("width") || at.Find("height");
        CanvasSettings& c = doc_.canvas;
        reader_.Member(at, "width", c.width, &Reader::Integer, 1, Pictor::kMaxBitmapSide, "pixels");
        reader_.Member(at, "height", c.height, &Reader::Integer, 1, Pictor::kMaxBitmapSide, "pixels");
        if (int64_t{c.width} * c.height > Pictor::kMaxBitmapPixels) {
            reader_.Fail(at, "expected at most " + std::to_string(Pictor::kMaxBitmapPixels) +
                                 " pixels (width x height), found " +
                                 std::to_string(int64_t{c.width} * c.height));
        }
        reader_.Member(at, "background", c.background, &Reader::Colour, true);
        reader_.Member(at, "ppi", c.ppi, &Reader::Number, kMinPpi, kMaxPpi, "pixels per inch");
        reader_.Member(at, "yUp", c.yUp, &Reader::Boolean);
    }

    void ReadContext(const Node& at) {
        ContextOverrides given;
        ReadContextObject(at, ContextOwner::Document, doc_, reader_, colorTables_, given);
        ContextSettings& c = doc_.context;
        c.scale = given.scale.value_or(c.scale);
        c.sizeRatio = given.sizeRatio.value_or(c.sizeRatio);
        c.rotation = given.rotation.value_or(c.rotation);
        c.overrideColor = given.overrideColor.value_or(c.overrideColor);
        c.color = given.color.value_or(c.color);
        if (given.colorTable) {
            doc_.colorTable = std::move(given.colorTable);
            c.colorTable = given.colorTablePath;
        }
    }

    void ReadImages(const Node& at, ImageTable& table) {
        if (!at.Value().is_object() || at.Value().size() > kMaxImages) {
            reader_.Expected(
                at, "an object of at most " + std::to_string(kMaxImages) + " \"id\": \"file.png\" pairs");
            return;
        }
        for (const auto& [key, value] : at.Value().items()) {
            const Node n(value, ChildPath(at.Path(), key));
            const std::optional<uint32_t> id = KeyNumber(key);
            if (!id) {
                reader_.Fail(
                    n, "expected a picture id from 0 to 4294967295 as the key, found " + Describe(Json(key)));
                continue;
            }
            const auto path = ReadPath(n, "the path of a PNG file", doc_, reader_);
            if (!path) continue;
            std::error_code ec;
            const auto type = std::filesystem::status(*path, ec).type();
            if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::not_found) {
                reader_.Fail(n, "expected a regular file, found " + Describe(value));
                continue;
            }
            // The same file under another id, or another spelling, is the picture decoded before.
            const std::string file = std::filesystem::weakly_canonical(*path, ec).string();
            if (const auto known = decoded_.find(file); !ec && known != decoded_.end()) {
                table.Add(*id, known->second);
                continue;
            }
            Pictor::Status status = Pictor::Ok;
            std::shared_ptr<const Pictor::Image> image = Pictor::Image::FromFile(*path, &status);
            if (!image) {
                reader_.Fail(n, "expected a readable PNG file, found " + Describe(value) + " (" +
                                    ImageError(status) + ")");
                continue;
            }
            decodedPixels_ += int64_t{image->GetWidth()} * image->GetHeight();
            if (decodedPixels_ > kMaxDocumentPicturePixels) {
                reader_.Fail(n, "expected pictures of at most " + std::to_string(kMaxDocumentPicturePixels) +
                                    " pixels in all, found more with " + Describe(value));
                return;
            }
            if (!ec) decoded_.emplace(file, image);
            table.Add(*id, std::move(image));
        }
    }

    void ReadView(const Node& at) {
        if (!reader_.Object(at, "a view object", {"box", "margin", "scale"})) return;
        if (const auto n = at.Find("box")) {
            std::optional<ViewBox> box;
            if (reader_.Array(*n, "a box [xmin, ymin, xmax, ymax]", 4, 4)) {
                double v[4];
                bool ok = true;
                for (size_t i = 0; i < 4; ++i) {
                    const auto x = reader_.Number(n->At(i), -kMaxCoordinate, kMaxCoordinate);
                    ok = ok && x.has_value();
                    v[i] = x.value_or(0.0);
                }
                if (ok && v[0] < v[2] && v[1] < v[3]) {
                    box = ViewBox{v[0], v[1], v[2], v[3]};
                } else if (ok) {
                    reader_.Expected(*n, "a box [xmin, ymin, xmax, ymax] with xmin < xmax and ymin < ymax");
                }
            }
            doc_.view = box;
        }
        const auto scale = at.Find("scale");
        if (const auto n = at.Find("margin")) {
            // With a map scale the margin is added to the canvas, which is checked as a whole.
            const double limit =
                scale ? Pictor::kMaxBitmapSide / 2.0 : std::min(doc_.canvas.width, doc_.canvas.height) / 2.0;
            doc_.margin =
                reader_.Number(*n, 0.0, limit - 1.0, scale ? "pixels" : "pixels (under half the canvas)")
                    .value_or(0.0);
        }
        if (scale) ReadMapScale(*scale, at.Find("box").has_value());
    }

    // The canvas follows the box at the scale: a canvas size given as well is refused rather
    // than one of the two ignored.
    void ReadMapScale(const Node& n, bool boxGiven) {
        const auto denominator = reader_.Number(n, kMinMapScale, kMaxMapScale, "the N of a map scale 1:N");
        if (!denominator) return;
        if (!boxGiven) {
            reader_.Fail(n,
                         "expected a \"box\" in metres beside a map scale: the scale needs the area to show");
            return;
        }
        if (canvasSized_) {
            reader_.Fail(n,
                         "expected either a canvas width and height or a map scale, found both: the "
                         "canvas follows the view box at the scale");
            return;
        }
        if (!doc_.view) return;  // the box was refused
        const auto [width, height] = ScaledCanvas(*doc_.view, *denominator, doc_.canvas.ppi, doc_.margin);
        if (const std::string problem = CanvasSizeProblem(width, height); !problem.empty()) {
            reader_.Fail(n, "expected a scale at which the view box fits a picture, found " +
                                FormatNumber(*denominator) + ": that makes " + problem);
            return;
        }
        doc_.mapScale = *denominator;
        doc_.canvas.width = static_cast<int>(width);
        doc_.canvas.height = static_cast<int>(height);
    }

    // ---- helpers ----

    static std::string ImageError(Pictor::Status status) {
        switch (status) {
            case Pictor::FileNotFound:
                return "no such file";
            case Pictor::UnknownImageFormat:
                return "not a PNG picture";
            case Pictor::ValueOverflow:
                return "larger than a picture may be";
            case Pictor::OutOfMemory:
                return "out of memory while decoding it";
            default:
                return "status " + std::to_string(static_cast<int>(status));
        }
    }

    // The bounds of every world feature, or nothing when there are none. A box without area
    // (a single point) is widened by half a unit each way so that it can be fitted.
    std::optional<ViewBox> DataBounds() const {
        constexpr double kHalfUnit = 0.5;
        double inf = std::numeric_limits<double>::infinity();
        ViewBox box{inf, inf, -inf, -inf};
        for (const Layer& layer : doc_.layers) {
            if (!layer.world) continue;
            for (const Feature& f : layer.features) {
                for (const auto& part : f.parts) {
                    for (const Pictor::PointD& p : part) {
                        box.xmin = std::min(box.xmin, p.x);
                        box.ymin = std::min(box.ymin, p.y);
                        box.xmax = std::max(box.xmax, p.x);
                        box.ymax = std::max(box.ymax, p.y);
                    }
                }
            }
        }
        if (box.xmin > box.xmax) return std::nullopt;
        if (box.xmax - box.xmin <= 0.0) {
            box.xmin -= kHalfUnit;
            box.xmax += kHalfUnit;
        }
        if (box.ymax - box.ymin <= 0.0) {
            box.ymin -= kHalfUnit;
            box.ymax += kHalfUnit;
        }
        return box;
    }

    // Pictures decoded so far, by their file, and their pixels in all.
    std::map<std::string, std::shared_ptr<const Pictor::Image>> decoded_;
    int64_t decodedPixels_ = 0;
    Document& doc_;
    Reader reader_;
    bool canvasSized_ = false;  // the canvas names its width or height
    GeometryBudget budget_;
    std::set<std::string, std::less<>> declared_;  // every name under "symbols", built or not
    ColorTableCache colorTables_;                  // the context's and the features' colour tables
};

}  // namespace

const Pictor::Image* ImageTable::GetImage(uint32_t id) noexcept {
    const auto it = images_.find(id);
    return it == images_.end() ? nullptr : it->second.get();
}

bool ImageTable::ScaleTiles(double factor, int64_t maxPixels, std::string* error) {
    std::map<const Pictor::Image*, std::shared_ptr<const Pictor::Image>> scaled;
    int64_t pixels = 0;
    for (const auto& [id, image] : images_) {
        if (scaled.count(image.get())) continue;
        Pictor::Status status = Pictor::Ok;
        std::shared_ptr<const Pictor::Image> copy = Pictor::Image::ScaledTile(*image, factor, &status);
        if (copy) pixels += int64_t{copy->GetWidth()} * copy->GetHeight();
        if (!copy || pixels > maxPixels) {
            *error = "fill picture " + std::to_string(id) + " would be larger than pictures may be";
            return false;
        }
        scaled.emplace(image.get(), std::move(copy));
    }
    for (auto& [id, image] : images_) image = scaled.at(image.get());
    return true;
}

size_t Document::FeatureCount() const {
    size_t n = 0;
    for (const Layer& layer : layers) n += layer.features.size();
    return n;
}

ReadResult ReadDocumentText(std::string_view text, const std::string& file, const std::string& directory) {
    ReadResult result;
    try {
        auto document = std::make_unique<Document>();
        document->file = file;
        document->directory = directory.empty() ? "." : directory;
        Reader reader(file, result.diagnostics);
        const std::optional<Json> root = Parse(text, reader);
        if (root) DocumentReader(*document, result.diagnostics).Read(*root);
        if (result.diagnostics.Empty()) result.document = std::move(document);
    } catch (const std::bad_alloc&) {
        result.diagnostics.Add(Diagnostic{file, 0, 0, {}, "out of memory while reading"});
    } catch (const std::exception& e) {
        result.diagnostics.Add(Diagnostic{file, 0, 0, {}, std::string("cannot be read: ") + e.what()});
    }
    return result;
}

ReadResult ReadDocument(const std::string& path) {
    std::string error;
    std::optional<std::string> text;
    try {
        text = ReadFile(path, kMaxDocumentBytes, &error);
    } catch (const std::exception&) {
        error = "out of memory while reading";
    }
    if (!text) {
        ReadResult result;
        result.diagnostics.Add(Diagnostic{path, 0, 0, {}, error});
        return result;
    }
    const std::string directory = std::filesystem::path(path).parent_path().string();
    return ReadDocumentText(*text, path, directory);
}

double ResolvedScale(const Document& document, bool yUp) {
    return ResolvedScale(document, document.context.scale, yUp);
}

double ResolvedScale(const Document& document, double scale, bool yUp) {
    if (scale >= kOpenScale) return scale;
    return yUp ? kLogicalUnitsPerMillimetre : document.canvas.ppi / kMillimetresPerInch;
}

Pictor::Matrix CanvasTransform(const Document& document) {
    if (!document.canvas.yUp) return Pictor::Matrix();
    const double pixelsPerUnit = document.canvas.ppi / (kMillimetresPerInch * kLogicalUnitsPerMillimetre);
    return Pictor::Matrix(pixelsPerUnit, 0.0, 0.0, -pixelsPerUnit, 0.0, document.canvas.height);
}

Pictor::Matrix ViewTransform(const Document& document) {
    if (!document.view) return Pictor::Matrix();
    const ViewBox& box = *document.view;
    // The canvas and margin in drawing units.
    const double unitsPerPixel =
        document.canvas.yUp ? kMillimetresPerInch * kLogicalUnitsPerMillimetre / document.canvas.ppi : 1.0;
    const double width = document.canvas.width * unitsPerPixel;
    const double height = document.canvas.height * unitsPerPixel;
    const double margin = document.margin * unitsPerPixel;
    const double unitsPerMillimetre =
        document.canvas.yUp ? kLogicalUnitsPerMillimetre : document.canvas.ppi / kMillimetresPerInch;
    const double s = document.mapScale ? kMillimetresPerMetre / *document.mapScale * unitsPerMillimetre
                                       : std::min((width - 2 * margin) / (box.xmax - box.xmin),
                                                  (height - 2 * margin) / (box.ymax - box.ymin));
    const double cx = (box.xmin + box.xmax) / 2;
    const double cy = (box.ymin + box.ymax) / 2;
    const double sy = document.canvas.yUp ? s : -s;
    return Pictor::Matrix(s, 0.0, 0.0, sy, width / 2 - cx * s, height / 2 - cy * sy);
}

bool SetResolution(Document& document, double ppi, std::string* error) {
    if (!(ppi >= kMinPpi && ppi <= kMaxPpi)) {
        *error = "expected a resolution from " + FormatNumber(kMinPpi) + " to " + FormatNumber(kMaxPpi) +
                 " pixels per inch, found " + FormatNumber(ppi);
        return false;
    }
    const double factor = ppi / document.canvas.ppi;
    const double margin = document.margin * factor;
    double width = std::max(1.0, std::round(document.canvas.width * factor));
    double height = std::max(1.0, std::round(document.canvas.height * factor));
    if (document.mapScale && document.view) {
        std::tie(width, height) = ScaledCanvas(*document.view, *document.mapScale, ppi, margin);
    }
    if (const std::string problem = CanvasSizeProblem(width, height); !problem.empty()) {
        *error = "at " + FormatNumber(ppi) + " pixels per inch the page would be " + problem;
        return false;
    }
    // With y down a fill picture tiles a pixel per drawing unit, so it grows with the pixels too.
    if (!document.canvas.yUp && factor != 1.0 &&
        !document.fillImages.ScaleTiles(factor, kMaxDocumentPicturePixels, error)) {
        *error = "at " + FormatNumber(ppi) + " pixels per inch the " + *error;
        return false;
    }
    document.canvas.width = static_cast<int>(width);
    document.canvas.height = static_cast<int>(height);
    document.canvas.ppi = ppi;
    document.margin = margin;
    if (document.canvas.yUp) return true;  // drawing units are hundredths of a millimetre already
    // Drawing units are pixels: what is measured in them grows with the pixels.
    const auto scaled = [factor](double scale) { return scale >= kOpenScale ? scale * factor : scale; };
    document.context.scale = scaled(document.context.scale);
    for (Layer& layer : document.layers) {
        for (Feature& feature : layer.features) {
            if (feature.context.scale) feature.context.scale = scaled(*feature.context.scale);
            if (layer.world) continue;  // mapped through the view, which follows the canvas
            for (auto& part : feature.parts) {
                for (Pictor::PointD& p : part) p = {p.x * factor, p.y * factor};
            }
            feature.box = {feature.box.x1 * factor, feature.box.y1 * factor, feature.box.x2 * factor,
                           feature.box.y2 * factor};
        }
    }
    return true;
}

}  // namespace symbolhost::document
