// Reading vector resources: an anchor, an extent, a reference element, a colour table name and
// the elements in drawing order, each with its stroke, fill and geometry.
#include "host/document/resource_reader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "contracts/symbol/limits.h"
#include "host/resources.h"

namespace symbolhost::document {
namespace {

// A map style has tens of resources; a thousand is already a whole symbol set.
constexpr size_t kMaxResources = 1000;
// A hand-drawn marker has a few elements; a traced one perhaps a hundred.
constexpr size_t kMaxElements = 256;
static_assert(kMaxElements <= SymbolLimits::kMaxResourceElements, "every element read is drawn");
// Vertices of one polyline or sub-path, and sub-paths of one path; all sub-paths of a path together
// hold at most SymbolLimits::kMaxElementPoints.
constexpr size_t kMaxPoints = 4096;
constexpr size_t kMaxSubPaths = 64;
static_assert(kMaxPoints <= SymbolLimits::kMaxElementPoints && kMaxSubPaths <= SymbolLimits::kMaxElementSubPaths);
constexpr size_t kMaxDashes = 16;
static_assert(kMaxDashes <= SymbolLimits::kMaxDashEntries);
// Resource units are whatever the drawing uses; the library skips elements beyond this.
constexpr double kMaxUnits = SymbolLimits::kMaxResourceCoordinate;
constexpr int32_t kMaxId = std::numeric_limits<int32_t>::max();

const std::vector<std::string_view> kResourceKeys = {"anchor", "extent", "referenceElement", "colorTable",
                                                     "elements"};
const std::vector<std::string_view> kCommonKeys = {
    "type",  "id",      "lineColor", "lineWidth", "lineJoin",          "lineCap",          "dashPattern",
    "usage", "stroked", "filled",    "fillColor", "fillFollowsSymbol", "keepOwnLineColor", "styleElementId"};

class ResourceReader {
public:
    explicit ResourceReader(Reader& reader) : reader_(reader) {}

    std::unique_ptr<VectorResource> Resource(const Node& at) {
        if (!reader_.Object(at, "a resource object", kResourceKeys)) return nullptr;
        auto resource = std::make_unique<VectorResource>();
        ok_ = true;
        if (const auto n = at.Find("anchor")) {
            const std::vector<double> v = Numbers(*n, "an anchor [x, y]", 2);
            if (v.size() == 2) {
                resource->anchorX = v[0];
                resource->anchorY = v[1];
            }
        }
        if (const auto n = at.Find("extent")) {
            const std::vector<double> v = Numbers(*n, "an extent [x1, x2, y1, y2]", 4);
            if (v.size() == 4) {
                resource->extentX1 = v[0];
                resource->extentX2 = v[1];
                resource->extentY1 = v[2];
                resource->extentY2 = v[3];
            }
        }
        if (const auto n = at.Find("referenceElement")) resource->referenceElementId = Int(*n, 0, kMaxId);
        if (const auto n = at.Find("colorTable")) {
            // "RGB" for plain colours, "" for none, else a file under the configuration directory.
            if (n->Value().is_string() &&
                n->Value().get_ref<const std::string&>().size() < kMaxStringLength) {
                resource->SetColorTableName(n->Value().get<std::string>());
            } else {
                Fail(*n, "a colour table name: \"RGB\", \"\" or a file name");
            }
        }
        if (const auto n = at.Find("elements")) {
            if (reader_.Array(*n, "an array of elements", 0, kMaxElements)) {
                for (size_t i = 0; i < n->Value().size(); ++i) Element(n->At(i), *resource);
            } else {
                ok_ = false;
            }
        }
        return ok_ ? std::move(resource) : nullptr;
    }

private:
    void Element(const Node& at, VectorResource& resource) {
        const std::optional<Node> type = at.Value().is_object() ? at.Find("type") : std::nullopt;
        const std::string name = type && type->Value().is_string() ? type->Value().get<std::string>() : "";
        std::vector<std::string_view> keys = kCommonKeys;
        SymbolElement* element = nullptr;
        if (name == "line") {
            auto* line = resource.Add<LineElement>();
            keys.insert(keys.end(), {"points", "closed"});
            if (!reader_.Object(at, "a line element", keys)) return Failed();
            if (const auto n = at.Find("points")) line->points = Points(*n, 1);
            if (const auto n = at.Find("closed")) line->closed = Bool(*n);
            element = line;
        } else if (name == "rect") {
            auto* rect = resource.Add<RectElement>();
            keys.insert(keys.end(), {"x", "y", "width", "height", "textIndex"});
            if (!reader_.Object(at, "a rect element", keys)) return Failed();
            if (const auto n = at.Find("x")) rect->x = Number(*n, -kMaxUnits);
            if (const auto n = at.Find("y")) rect->y = Number(*n, -kMaxUnits);
            if (const auto n = at.Find("width")) rect->width = Number(*n, 0.0);
            if (const auto n = at.Find("height")) rect->height = Number(*n, 0.0);
            if (const auto n = at.Find("textIndex")) rect->textIndex = Int(*n, -1, kMaxId);
            element = rect;
        } else if (name == "ellipse") {
            auto* ellipse = resource.Add<EllipseElement>();
            keys.insert(keys.end(), {"center", "radius"});
            if (!reader_.Object(at, "an ellipse element", keys)) return Failed();
            if (const auto n = at.Find("center")) {
                const std::vector<double> v = Numbers(*n, "a centre [x, y]", 2);
                if (v.size() == 2) {
                    ellipse->centerX = v[0];
                    ellipse->centerY = v[1];
                }
            }
            if (const auto n = at.Find("radius")) {
                const std::vector<double> v = Numbers(*n, "radii [rx, ry]", 2, 0.0);
                if (v.size() == 2) {
                    ellipse->radiusX = v[0];
                    ellipse->radiusY = v[1];
                }
            }
            element = ellipse;
        } else if (name == "path") {
            auto* path = resource.Add<PathElement>();
            keys.insert(keys.end(), {"subPaths"});
            if (!reader_.Object(at, "a path element", keys)) return Failed();
            if (const auto n = at.Find("subPaths")) SubPaths(*n, *path);
            element = path;
        } else {
            return Fail(type ? *type : at,
                        "an element with \"type\" \"line\", \"rect\", \"ellipse\" or \"path\"");
        }
        Common(at, *element);
    }

    void SubPaths(const Node& at, PathElement& path) {
        if (!reader_.Array(at, "an array of sub-paths", 0, kMaxSubPaths)) return Failed();
        size_t total = 0;
        for (size_t i = 0; i < at.Value().size(); ++i) {
            const Node sub = at.At(i);
            if (!reader_.Object(sub, "a sub-path object", {"kind", "points", "closed"})) return Failed();
            PathSubPath& out = path.subPaths.emplace_back();
            if (const auto n = sub.Find("kind")) {
                const std::string kind = n->Value().is_string() ? n->Value().get<std::string>() : "";
                if (kind == "lines") {
                    out.segmentKind = PathSegmentLines;
                } else if (kind == "beziers") {
                    out.segmentKind = PathSegmentBeziers;
                } else {
                    Fail(*n, "\"lines\" or \"beziers\"");
                }
            }
            if (const auto n = sub.Find("points")) out.points = Points(*n, 1);
            if (out.segmentKind == PathSegmentBeziers && !out.points.empty() &&
                (out.points.size() - 1) % 3 != 0) {
                Fail(*sub.Find("points"),
                     "a start point and three points (two controls and an end) per curve");
            }
            if (const auto n = sub.Find("closed")) out.closed = Bool(*n);
            total += out.points.size();
        }
        // The library draws no path of more points than this, however they are split.
        if (total > SymbolLimits::kMaxElementPoints) {
            Fail(at, "sub-paths of at most " + std::to_string(SymbolLimits::kMaxElementPoints) + " points in all");
        }
    }

    void Common(const Node& at, SymbolElement& e) {
        if (const auto n = at.Find("id")) e.id = Int(*n, 0, kMaxId);
        if (const auto n = at.Find("lineColor")) e.lineColor = Colour(*n);
        if (const auto n = at.Find("lineWidth")) e.lineWidth = Number(*n, 0.0);
        if (const auto n = at.Find("lineJoin"))
            e.lineJoin = Choice(*n, {"miter", "bevel", "round", "miterClipped"});
        if (const auto n = at.Find("lineCap")) e.lineCap = Choice(*n, {"flat", "round", "triangle"});
        if (const auto n = at.Find("dashPattern")) {
            if (reader_.Array(*n, "an array of dash and gap lengths", 0, kMaxDashes)) {
                e.dashPattern = Numbers(*n, "dash and gap lengths", n->Value().size(), 0.0);
                // The pen takes no zero-length dash or gap; the element would draw solid.
                if (std::find(e.dashPattern.begin(), e.dashPattern.end(), 0.0) != e.dashPattern.end()) {
                    Fail(*n, "dash and gap lengths above 0");
                }
            } else {
                ok_ = false;
            }
        }
        if (const auto n = at.Find("usage")) e.usage = Int(*n, 0, kMaxId);
        if (const auto n = at.Find("stroked")) e.stroked = Bool(*n);
        if (const auto n = at.Find("filled")) e.filled = Bool(*n);
        if (const auto n = at.Find("fillColor")) e.fillColor = Colour(*n);
        if (const auto n = at.Find("fillFollowsSymbol")) e.fillFollowsSymbol = Bool(*n);
        if (const auto n = at.Find("keepOwnLineColor")) e.keepOwnLineColor = Bool(*n);
        if (const auto n = at.Find("styleElementId")) e.styleElementId = Int(*n, 0, kMaxId);
    }

    // ---- values; each fault clears ok_ ----

    void Fail(const Node& at, std::string_view what) {
        reader_.Expected(at, what);
        ok_ = false;
    }
    void Failed() { ok_ = false; }

    // A refused value reads as zero; the resource it belongs to is dropped anyway.
    template <typename T>
    T Take(const std::optional<T>& v) {
        ok_ = ok_ && v.has_value();
        return v.value_or(T{});
    }
    double Number(const Node& at, double min) { return Take(reader_.Number(at, min, kMaxUnits)); }
    int32_t Int(const Node& at, int32_t min, int32_t max) { return Take(reader_.Integer(at, min, max)); }
    bool Bool(const Node& at) { return Take(reader_.Boolean(at)); }
    // "#RRGGBB" for plain colours, or a whole number: an entry of the resource's colour table.
    uint32_t Colour(const Node& at) {
        if (at.Value().is_number_integer()) return static_cast<uint32_t>(Int(at, 0, kMaxId));
        return Take(reader_.Colour(at, false)) & 0xFFFFFFu;
    }
    int32_t Choice(const Node& at, const std::vector<std::string_view>& names) {
        if (at.Value().is_string()) {
            const std::string& given = at.Value().get_ref<const std::string&>();
            for (size_t i = 0; i < names.size(); ++i) {
                if (names[i] == given) return static_cast<int32_t>(i);
            }
        }
        std::string what = "one of";
        for (std::string_view n : names) what += " \"" + std::string(n) + "\"";
        Fail(at, what);
        return 0;
    }
    std::vector<double> Numbers(const Node& at, std::string_view what, size_t count,
                                double min = -kMaxUnits) {
        if (!reader_.Array(at, what, count, count)) {
            ok_ = false;
            return {};
        }
        std::vector<double> v;
        for (size_t i = 0; i < count; ++i) v.push_back(Number(at.At(i), min));
        return v;
    }
    std::vector<Pictor::PointD> Points(const Node& at, size_t min) {
        std::vector<Pictor::PointD> points;
        if (!reader_.Array(at, "an array of points [x, y]", min, kMaxPoints)) {
            ok_ = false;
            return points;
        }
        for (size_t i = 0; i < at.Value().size(); ++i) {
            const std::vector<double> v = Numbers(at.At(i), "a point [x, y]", 2);
            if (v.size() == 2) points.push_back({v[0], v[1]});
        }
        return points;
    }

    Reader& reader_;
    bool ok_ = true;
};

}  // namespace

size_t ReadResources(const Node& at, Reader& reader, VectorResourceStore& store) {
    if (!at.Value().is_object() || at.Value().size() > kMaxResources) {
        reader.Expected(
            at, "an object of at most " + std::to_string(kMaxResources) + " \"code\": resource pairs");
        return 0;
    }
    size_t kept = 0;
    try {
        ResourceReader read(reader);
        for (const auto& [key, value] : at.Value().items()) {
            const Node n(value, ChildPath(at.Path(), key));
            const std::optional<uint32_t> code = KeyNumber(key);
            if (!code) {
                reader.Fail(n, "expected a resource code (a whole number) as the key, found \"" + key + "\"");
                continue;
            }
            std::unique_ptr<VectorResource> resource = read.Resource(n);
            if (!resource) continue;
            store.Add(*code, std::shared_ptr<VectorSymbolResource>(std::move(resource)));
            ++kept;
        }
    } catch (const std::bad_alloc&) {
        reader.Fail(at, "out of memory");
    }
    return kept;
}

}  // namespace symbolhost::document
