// Reading a whole document: canvas, context, settings, view, pictures, symbols and layers.
#include "host/document/document.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>

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
            ReadSymbols(*n, reader_, doc_.symbols);
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
        if (!reader_.Object(at, "a view object", {"box", "margin"})) return;
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
        if (const auto n = at.Find("margin")) {
            const double limit = std::min(doc_.canvas.width, doc_.canvas.height) / 2.0;
            doc_.margin =
                reader_.Number(*n, 0.0, limit - 1.0, "pixels (under half the canvas)").value_or(0.0);
        }
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
    GeometryBudget budget_;
    std::set<std::string, std::less<>> declared_;  // every name under "symbols", built or not
    ColorTableCache colorTables_;                  // the context's and the features' colour tables
};

}  // namespace

const Pictor::Image* ImageTable::GetImage(uint32_t id) noexcept {
    const auto it = images_.find(id);
    return it == images_.end() ? nullptr : it->second.get();
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
    const double s =
        std::min((width - 2 * margin) / (box.xmax - box.xmin), (height - 2 * margin) / (box.ymax - box.ymin));
    const double cx = (box.xmin + box.xmax) / 2;
    const double cy = (box.ymin + box.ymax) / 2;
    const double sy = document.canvas.yUp ? s : -s;
    return Pictor::Matrix(s, 0.0, 0.0, sy, width / 2 - cx * s, height / 2 - cy * sy);
}

}  // namespace symbolhost::document
