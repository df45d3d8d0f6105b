#include "host/document/geojson.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace symbolhost::document {
namespace {

constexpr const char* kGeometryTypes =
    "a geometry type \"Point\", \"LineString\", \"Polygon\", \"MultiPoint\", \"MultiLineString\" or "
    "\"MultiPolygon\"";

// Fewest positions that draw something: a line needs two, a ring three.
constexpr size_t kMinLinePositions = 2;
constexpr size_t kMinRingPositions = 3;

// Paths of a feature and of its geometry, by GeoFeature::index; made only for messages.
std::string FeaturePath(size_t index) {
    if (index == GeoFeature::kWhole || index == GeoFeature::kBare) return "$";
    return "$.features[" + std::to_string(index) + "]";
}

std::string GeometryPath(size_t index) {
    return index == GeoFeature::kBare ? "$" : FeaturePath(index) + ".geometry";
}

// A value read only far enough to name it in a message and to test its type: its kind, a scalar's
// value, a container's number of members or elements.
struct Summary {
    bool present = false;
    Json::value_t type = Json::value_t::null;
    Json scalar;
    size_t count = 0;

    bool Is(Json::value_t t) const { return present && type == t; }
    std::string Text() const {
        if (type == Json::value_t::object || type == Json::value_t::array) {
            return DescribeContainer(type == Json::value_t::array, count);
        }
        return Describe(scalar);
    }
    bool Names(std::string_view name) const {
        return Is(Json::value_t::string) && scalar.get_ref<const std::string&>() == name;
    }
    // The value as a "type" member: its string, or empty.
    std::string TypeName() const { return Is(Json::value_t::string) ? scalar.get<std::string>() : std::string(); }
};

// The coordinates of one geometry as read, before its type says what shape they must have: one
// byte per value or bracket, the numbers' bits beside, and what each other scalar would be called
// in a message. Nested empty arrays cost two bytes each rather than a tree node.
class Coordinates {
public:
    enum Token : uint8_t { Open, Close, Integer, Unsigned, Float, Scalar, Object, EmptyObject };

    void Add(Token token) { tokens_.push_back(token); }
    void AddNumber(Token token, uint64_t bits) {
        tokens_.push_back(token);
        bits_.push_back(bits);
    }
    void AddScalar(const std::string& described) {
        tokens_.push_back(Scalar);
        described_ += described;
        described_ += '\0';
    }

    // A place in the tokens: the token, and how many numbers and described scalars precede it.
    struct Cursor {
        size_t token = 0;
        size_t number = 0;
        size_t described = 0;
    };

    Token At(const Cursor& c) const { return c.token < tokens_.size() ? Token(tokens_[c.token]) : Close; }
    bool IsNumber(const Cursor& c) const {
        const Token t = At(c);
        return t == Integer || t == Unsigned || t == Float;
    }
    double NumberAt(const Cursor& c) const {
        const uint64_t bits = bits_[c.number];
        switch (At(c)) {
            case Integer: return static_cast<double>(static_cast<int64_t>(bits));
            case Unsigned: return static_cast<double>(bits);
            default: {
                double d = 0;
                std::memcpy(&d, &bits, sizeof d);
                return d;
            }
        }
    }
    // The first element of the array at `c`; At() is Close when it is empty.
    static Cursor Enter(const Cursor& c) { return Cursor{c.token + 1, c.number, c.described}; }
    // Past the whole value at `c`. Nesting was bounded when the text was checked, and each step
    // moves forward, so this ends within the tokens.
    void Next(Cursor& c) const {
        int depth = 0;
        do {
            switch (At(c)) {
                case Open: ++depth; break;
                case Close: --depth; break;
                case Integer:
                case Unsigned:
                case Float: ++c.number; break;
                case Scalar: c.described = described_.find('\0', c.described) + 1; break;
                case Object:
                case EmptyObject: break;
            }
            ++c.token;
        } while (depth > 0 && c.token < tokens_.size());
    }
    size_t Count(const Cursor& array) const {
        size_t n = 0;
        for (Cursor e = Enter(array); At(e) != Close; Next(e)) ++n;
        return n;
    }
    std::string Text(const Cursor& c) const {
        switch (At(c)) {
            case Open: return DescribeContainer(true, Count(c));
            case Integer: return Json(static_cast<int64_t>(bits_[c.number])).dump();
            case Unsigned: return Json(bits_[c.number]).dump();
            case Float: return Json(NumberAt(c)).dump();
            case Scalar: return std::string(described_.c_str() + c.described);
            case Object: return DescribeContainer(false, 1);
            case EmptyObject: return DescribeContainer(false, 0);
            case Close: break;
        }
        return "nothing";
    }

private:
    std::vector<uint8_t> tokens_;
    std::vector<uint64_t> bits_;
    std::string described_;
};

struct GeometryText {
    Summary self;
    Summary type;
    bool hasCoordinates = false;
    Coordinates coordinates;
};

struct FeatureText {
    Summary self;
    Summary type;
    Summary properties;
    Json wanted;                   // the asked-for scalar properties, null until one is found
    GeometryText geometry;         // geometry.self is the "geometry" member
};

// The top level: any of a FeatureCollection, a Feature or a bare geometry, until its "type" says
// which.
struct RootText {
    Summary self;
    Summary type;
    Summary features;
    FeatureText feature;  // "properties" and "geometry" of a Feature
    GeometryText bare;    // "coordinates" of a bare geometry
};

// Turns what the stream read of one feature into a GeoFeature, with the checks and messages of
// the format, and charges the budget.
class FeatureReader {
public:
    FeatureReader(Reader& reader, GeometryBudget& budget, const std::function<void(GeoFeature&&)>& emit)
        : reader_(reader), budget_(budget), emit_(emit) {}

    bool Over() const { return over_; }

    bool Feature(FeatureText& f, size_t index) {
        index_ = index;
        if (!f.self.Is(Json::value_t::object) || !f.type.Names("Feature")) {
            reader_.Expected(FeaturePath(index), "a GeoJSON Feature", f.self.Text());
            return false;
        }
        if (f.properties.present && !f.properties.Is(Json::value_t::object) &&
            !f.properties.Is(Json::value_t::null)) {
            reader_.Expected(FeaturePath(index) + ".properties", "an object or null", f.properties.Text());
            return false;
        }
        Json properties = f.properties.Is(Json::value_t::object) ? std::move(f.wanted) : Json();
        if (!f.geometry.self.present) {
            reader_.Expected(FeaturePath(index), "a Feature with a \"geometry\" (null when it has none)",
                             f.self.Text());
            return false;
        }
        // A feature without a place is not drawn, but it is read: it counts like any other.
        if (f.geometry.self.Is(Json::value_t::null)) return CountFeature(false);
        return Geometry(f.geometry, std::move(properties), index);
    }

    bool Geometry(GeometryText& g, Json properties, size_t index) {
        index_ = index;
        const std::string type = g.type.TypeName();
        if (!g.self.Is(Json::value_t::object) || !g.hasCoordinates) {
            reader_.Expected(GeometryPath(index), std::string(kGeometryTypes) + " with \"coordinates\"",
                             g.self.Text());
            return false;
        }
        if (!CountFeature(true)) return false;
        GeoFeature out{Geometry::Point, {}, {}, std::move(properties), index, type};
        coordinates_ = &g.coordinates;
        at_.clear();
        Coordinates::Cursor c;
        bool ok = false;
        if (type == "Point") {
            out.parts.emplace_back();
            ok = Spend(1) && Position(c, out.parts.back());
        } else if (type == "MultiPoint") {
            ok = Each(c, "an array of positions", [&](Coordinates::Cursor& p) {
                out.parts.emplace_back();
                return Spend(1) && Position(p, out.parts.back());
            });
        } else if (type == "LineString") {
            out.geometry = Geometry::Line;
            out.parts.emplace_back();
            ok = Positions(c, kMinLinePositions, out.parts.back());
        } else if (type == "MultiLineString") {
            out.geometry = Geometry::Line;
            ok = Each(c, "an array of lines", [&](Coordinates::Cursor& line) {
                out.parts.emplace_back();
                return Positions(line, kMinLinePositions, out.parts.back());
            });
        } else if (type == "Polygon") {
            out.geometry = Geometry::Polygon;
            ok = Rings(c, out);
        } else if (type == "MultiPolygon") {
            out.geometry = Geometry::Polygon;
            ok = Each(c, "an array of polygons", [&](Coordinates::Cursor& polygon) { return Rings(polygon, out); });
        } else {
            if (g.type.present) {
                reader_.Expected(GeometryPath(index) + ".type", kGeometryTypes, g.type.Text());
            } else {
                reader_.Expected(GeometryPath(index), kGeometryTypes, g.self.Text());
            }
            return false;
        }
        // An empty geometry is read and counted like a null one, and drawn no more than it.
        if (ok && !out.parts.empty()) emit_(std::move(out));
        return ok;
    }

    // Over budget, the geometry is named, or the feature when it has none.
    bool CountFeature(bool geometry) {
        if (++budget_.features <= GeometryBudget::kMaxFeatures) return true;
        OverBudget(geometry ? GeometryPath(index_) : FeaturePath(index_), GeometryBudget::FeaturesOver());
        return false;
    }

private:
    // The path of the coordinate value being read.
    std::string Here() const {
        std::string path = GeometryPath(index_) + ".coordinates";
        for (size_t i : at_) path += "[" + std::to_string(i) + "]";
        return path;
    }

    // Calls `step` on each element of the array at `c`, stopping at the first that fails.
    template <typename Step>
    bool Each(Coordinates::Cursor& c, std::string_view what, const Step& step) {
        if (coordinates_->At(c) != Coordinates::Open) {
            reader_.Expected(Here(), what, coordinates_->Text(c));
            return false;
        }
        at_.push_back(0);
        for (Coordinates::Cursor e = Coordinates::Enter(c); coordinates_->At(e) != Coordinates::Close;
             ++at_.back()) {
            Coordinates::Cursor element = e;
            if (!step(element)) return false;
            coordinates_->Next(e);
        }
        at_.pop_back();
        return true;
    }

    // One polygon: its outer ring, then its holes.
    bool Rings(Coordinates::Cursor& polygon, GeoFeature& out) {
        const size_t before = out.parts.size();
        const bool ok = Each(polygon, "an array of rings", [&](Coordinates::Cursor& ring) {
            out.parts.emplace_back();
            return Positions(ring, kMinRingPositions, out.parts.back());
        });
        if (out.parts.size() > before) out.rings.push_back(out.parts.size() - before);
        return ok;
    }

    // [x, y], or longer positions whose extra values (a height) are ignored.
    bool Position(const Coordinates::Cursor& c, std::vector<Pictor::PointD>& out) {
        if (coordinates_->At(c) == Coordinates::Open) {
            Coordinates::Cursor e = Coordinates::Enter(c);
            if (coordinates_->IsNumber(e)) {
                const double x = coordinates_->NumberAt(e);
                coordinates_->Next(e);
                if (coordinates_->IsNumber(e)) {
                    if (const auto p = CheckedPosition(x, coordinates_->NumberAt(e))) {
                        out.push_back(*p);
                        return true;
                    }
                }
            }
        }
        reader_.Expected(Here(), PositionWanted(), coordinates_->Text(c));
        return false;
    }

    bool Positions(Coordinates::Cursor& c, size_t min, std::vector<Pictor::PointD>& out) {
        const size_t count = coordinates_->At(c) == Coordinates::Open ? coordinates_->Count(c) : 0;
        if (coordinates_->At(c) != Coordinates::Open || count < min) {
            reader_.Expected(Here(), "an array of at least " + std::to_string(min) + " positions",
                             coordinates_->Text(c));
            return false;
        }
        if (!Spend(count)) return false;
        out.reserve(count);
        return Each(c, "", [&](Coordinates::Cursor& p) { return Position(p, out); });
    }

    bool Spend(size_t points) {
        budget_.points += points;
        if (budget_.points <= GeometryBudget::kMaxPoints) return true;
        OverBudget(Here(), GeometryBudget::PointsOver());
        return false;
    }

    void OverBudget(const std::string& path, std::string message) {
        if (!over_) reader_.Fail(path, std::move(message));
        over_ = true;
    }

    Reader& reader_;
    GeometryBudget& budget_;
    const std::function<void(GeoFeature&&)>& emit_;
    bool over_ = false;
    const Coordinates* coordinates_ = nullptr;
    size_t index_ = 0;         // GeoFeature::index of the feature being read
    std::vector<size_t> at_;   // indices below it
};

// Reads the text as a stream of values and keeps only what a feature needs: each element of the
// top-level "features" array is handed to `deliver` when it ends, and then forgotten; every other
// value is skipped, or summarised when a message may have to name it.
class GeoJsonStream final : public nlohmann::json_sax<Json> {
public:
    using Handler = std::function<bool(FeatureText&&, size_t index)>;

    GeoJsonStream(const std::set<std::string, std::less<>>& wanted, Handler deliver)
        : wanted_(wanted), deliver_(std::move(deliver)) {}

    RootText& Root() { return root_; }
    // Features read before the top level's "type" was: handed on once the whole text is read.
    std::vector<FeatureText>& Pending() { return pending_; }

    bool null() override {
        return Scalar([] { return Json(); }, Coordinates::Scalar, 0);
    }
    bool boolean(bool b) override {
        return Scalar([b] { return Json(b); }, Coordinates::Scalar, 0);
    }
    bool number_integer(number_integer_t n) override {
        return Scalar([n] { return Json(n); }, Coordinates::Integer, static_cast<uint64_t>(n));
    }
    bool number_unsigned(number_unsigned_t n) override {
        return Scalar([n] { return Json(n); }, Coordinates::Unsigned, n);
    }
    bool number_float(number_float_t d, const string_t&) override {
        uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        return Scalar([d] { return Json(d); }, Coordinates::Float, bits);
    }
    bool string(string_t& s) override {
        return Scalar([&s] { return Json(std::move(s)); }, Coordinates::Scalar, 0);
    }
    bool binary(binary_t&) override { return Scalar([] { return Json(); }, Coordinates::Scalar, 0); }
    bool start_object(std::size_t) override { return Start(false); }
    bool start_array(std::size_t) override { return Start(true); }
    bool end_object() override { return End(); }
    bool end_array() override { return End(); }
    bool key(string_t& key) override {
        Frame& f = frames_.back();
        f.slot = Slot::None;
        switch (f.role) {
            case Role::Root:
                if (key == "features") f.slot = Slot::Features;
                [[fallthrough]];
            case Role::Feature:
                if (key == "properties") f.slot = Slot::Properties;
                if (key == "geometry") f.slot = Slot::Geometry;
                if (f.role == Role::Feature) break;
                [[fallthrough]];
            case Role::Geometry:
                if (key == "coordinates") f.slot = Slot::Coordinates;
                break;
            case Role::Properties:
                if (wanted_.count(key) != 0) {
                    f.slot = Slot::Wanted;
                    wantedKey_ = key;
                }
                break;
            default:
                break;
        }
        if (key == "type" && (f.role == Role::Root || f.role == Role::Feature || f.role == Role::Geometry)) {
            f.slot = Slot::Type;
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    enum class Role : uint8_t { Skip, Root, Features, Feature, Properties, Geometry, Coordinates };
    enum class Slot : uint8_t { None, Type, Features, Properties, Geometry, Coordinates, Wanted };

    struct Frame {
        Role role = Role::Skip;
        bool array = false;
        Slot slot = Slot::None;                   // the member being read, in an object
        size_t count = 0;                         // members or elements read
        Summary* summary = nullptr;               // filled in when the container ends
        FeatureText* feature = nullptr;           // Feature, Properties
        GeometryText* geometry = nullptr;         // Geometry, Coordinates
        bool objectToken = false;                 // an object inside coordinates
        bool deliver = false;                     // an element of "features"
    };

    // Where a value that starts now goes.
    struct Place {
        Summary* summary = nullptr;
        FeatureText* feature = nullptr;
        GeometryText* geometry = nullptr;
        Role objectRole = Role::Skip;
        Role arrayRole = Role::Skip;
        bool coordinate = false;  // a value of the coordinates (or the whole of them)
        bool deliver = false;
        bool wanted = false;
    };

    Place Here() {
        Place p;
        if (frames_.empty()) {
            p.summary = &root_.self;
            p.feature = &root_.feature;
            p.geometry = &root_.bare;
            p.objectRole = Role::Root;
            return p;
        }
        Frame& f = frames_.back();
        ++f.count;
        switch (f.role) {
            case Role::Root:
            case Role::Feature:
            case Role::Geometry:
                switch (f.slot) {
                    case Slot::Type:
                        p.summary = f.role == Role::Root ? &root_.type
                                    : f.role == Role::Feature ? &f.feature->type
                                                              : &f.geometry->type;
                        break;
                    case Slot::Features:
                        p.summary = &root_.features;
                        p.arrayRole = Role::Features;
                        break;
                    case Slot::Properties:
                        p.summary = &f.feature->properties;
                        p.feature = f.feature;
                        p.objectRole = Role::Properties;
                        break;
                    case Slot::Geometry:
                        p.summary = &f.feature->geometry.self;
                        p.geometry = &f.feature->geometry;
                        p.objectRole = Role::Geometry;
                        break;
                    case Slot::Coordinates:
                        p.geometry = f.geometry;
                        p.geometry->hasCoordinates = true;
                        p.coordinate = true;
                        break;
                    case Slot::None:
                    case Slot::Wanted:
                        break;
                }
                break;
            case Role::Features:
                current_ = FeatureText{};
                p.summary = &current_.self;
                p.feature = &current_;
                p.geometry = &current_.geometry;
                p.objectRole = Role::Feature;
                p.deliver = true;
                break;
            case Role::Properties:
                p.wanted = f.slot == Slot::Wanted;
                p.feature = f.feature;
                break;
            case Role::Coordinates:
                p.geometry = f.geometry;
                p.coordinate = true;
                break;
            case Role::Skip:
                break;
        }
        return p;
    }

    template <typename Make>
    bool Scalar(const Make& make, Coordinates::Token token, uint64_t bits) {
        const Place p = Here();
        if (p.coordinate) {
            if (token == Coordinates::Scalar) {
                p.geometry->coordinates.AddScalar(Describe(make()));
            } else {
                p.geometry->coordinates.AddNumber(token, bits);
            }
            return true;
        }
        if (p.summary) {
            p.summary->present = true;
            p.summary->scalar = make();
            p.summary->type = p.summary->scalar.type();
        }
        if (p.wanted) {
            Json value = make();
            if (value.is_string() || value.is_number() || value.is_boolean()) {
                p.feature->wanted[wantedKey_] = std::move(value);
            }
        }
        return !p.deliver || Deliver();
    }

    bool Start(bool array) {
        const Place p = Here();
        Frame f;
        f.array = array;
        f.summary = p.summary;
        f.feature = p.feature;
        f.geometry = p.geometry;
        f.deliver = p.deliver;
        if (p.coordinate) {
            f.role = array ? Role::Coordinates : Role::Skip;
            f.objectToken = !array;
            if (array) p.geometry->coordinates.Add(Coordinates::Open);
        } else {
            f.role = array ? p.arrayRole : p.objectRole;
        }
        if (p.summary) {
            p.summary->present = true;
            p.summary->type = array ? Json::value_t::array : Json::value_t::object;
        }
        frames_.push_back(f);
        return true;
    }

    bool End() {
        const Frame f = frames_.back();
        frames_.pop_back();
        if (f.summary) f.summary->count = f.count;
        if (f.role == Role::Coordinates) f.geometry->coordinates.Add(Coordinates::Close);
        if (f.objectToken) {
            f.geometry->coordinates.Add(f.count == 0 ? Coordinates::EmptyObject : Coordinates::Object);
        }
        return !f.deliver || Deliver();
    }

    // One element of "features" is complete: read it now when the top level is known to be a
    // FeatureCollection, keep it when its type is still to come, drop it otherwise.
    bool Deliver() {
        const size_t index = delivered_++;
        if (root_.type.Names("FeatureCollection")) return deliver_(std::move(current_), index);
        if (!root_.type.present) pending_.push_back(std::move(current_));
        return true;
    }

    const std::set<std::string, std::less<>>& wanted_;
    Handler deliver_;
    std::vector<Frame> frames_;
    RootText root_;
    FeatureText current_;
    std::string wantedKey_;
    std::vector<FeatureText> pending_;
    size_t delivered_ = 0;
};

// What the top level is, known once the whole text is read: the features of a collection whose
// "type" came last are read now, a single Feature or bare geometry is read whole.
bool ReadRoot(GeoJsonStream& stream, FeatureReader& features, Reader& featureReader) {
    if (features.Over()) return false;
    RootText& root = stream.Root();
    const std::string type = root.type.TypeName();
    if (type == "FeatureCollection") {
        if (!root.features.Is(Json::value_t::array)) {
            if (root.features.present) {
                featureReader.Expected("$.features", "a \"features\" array", root.features.Text());
            } else {
                featureReader.Expected(std::string("$"), "a \"features\" array", root.self.Text());
            }
            return false;
        }
        // Kept only when "type" came after "features": then they are all of them.
        bool ok = true;
        for (size_t i = 0; i < stream.Pending().size() && !features.Over(); ++i) {
            ok = features.Feature(stream.Pending()[i], i) && ok;
        }
        return ok && !features.Over();
    }
    if (type == "Feature") {
        root.feature.self = root.self;
        root.feature.type = root.type;
        return features.Feature(root.feature, GeoFeature::kWhole);
    }
    if (type.empty()) {
        featureReader.Expected(std::string("$"), "a GeoJSON object with a \"type\"", root.self.Text());
        return false;
    }
    root.bare.self = root.self;
    root.bare.type = root.type;
    return features.Geometry(root.bare, Json(), GeoFeature::kBare);
}

}  // namespace

std::string GeometryBudget::FeaturesOver() {
    return "expected at most " + std::to_string(kMaxFeatures) + " features in a document";
}

std::string GeometryBudget::PointsOver() {
    return "expected at most " + std::to_string(kMaxPoints) + " points in a document";
}

std::string GeoFeature::Path() const { return GeometryPath(index); }

bool ReadGeoJson(std::string_view text, Reader& reader, const std::set<std::string, std::less<>>& wanted,
                 GeometryBudget& budget, const std::function<void(GeoFeature&&)>& emit) {
    // Faults of features are kept aside until the whole text is known to be sound: a syntax error
    // near the end reports only itself.
    Diagnostics faults;
    Reader featureReader(reader.File(), faults);
    FeatureReader features(featureReader, budget, emit);
    bool ok = true;
    GeoJsonStream stream(wanted, [&](FeatureText&& f, size_t index) {
        ok = features.Feature(f, index) && ok;
        return !features.Over();
    });
    // One pass checks the text and reads the features; the budget may end it early.
    if (!CheckStructure(text, reader, &stream)) return false;
    const bool read = ReadRoot(stream, features, featureReader) && ok;
    reader.Faults().Append(faults);
    return read;
}

}  // namespace symbolhost::document
