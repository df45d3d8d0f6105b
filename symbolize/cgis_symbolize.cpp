#include "symbolize/cgis_symbolize.h"

#include <charconv>
#include <new>
#include <optional>
#include <string_view>

#include "contracts/host.h"
#include "contracts/pictor/graphics.h"
#include "symbolize/cgis_symbolizealgorithm.h"
#include "symbolize/symbolize_log.h"

namespace {

constexpr double kInchesPerMillimetre = 0.03937007874015748;  // 1 / 25.4

// The host's property giving the output's pixels per inch, and what is assumed without it.
constexpr const char* kPropertyScreenPpi = "SYMBOL2_SCREEN_PPI";
constexpr double kDefaultScreenPpi = 96.0;
// Resolutions outside this range are not screens (or printers) the map could be meant for.
constexpr double kMinScreenPpi = 1.0;
constexpr double kMaxScreenPpi = 10000.0;

// Default scale of a y-up target: its drawing unit is a hundredth of a millimetre.
constexpr double kLogicalUnitsPerMillimetre = 100.0;
// A scale below minus this leaves the choice to the service; 0 and values down to minus this
// are kept.
constexpr double kOpenScaleMargin = 0.0001;

// Once the caller's work budget on the surface is spent or stopped, a call draws nothing: the
// members of a compound return at once instead of each running its own loops to their caps.
bool WorkSpent(const SymbolizeInfo& info) { return info.graphics != nullptr && info.graphics->WorkSpent(); }

// Anchor points within one drawing unit (a screen pixel) of the chord add nothing visible.
constexpr double kAnchorPointTolerance = 1.0;

// The number `text` holds in full, blanks around it allowed; whatever the locale, '.' is the
// decimal point.
std::optional<double> ParseNumber(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) return std::nullopt;
    text = text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The output's pixels per inch as the host configures it; kDefaultScreenPpi when unset or
// unusable.
double ReadScreenPpi() {
    IGIS_GlobalProperties* properties = GIS_GetGlobalProperties();
    const IGIS_Property* property = properties ? properties->GetProperty(kPropertyScreenPpi) : nullptr;
    const char* text = property ? property->GetStringValue() : nullptr;
    if (text == nullptr) return kDefaultScreenPpi;
    const std::optional<double> ppi = ParseNumber(text);
    // "nan" parses; it fails both comparisons.
    return ppi && *ppi >= kMinScreenPpi && *ppi <= kMaxScreenPpi ? *ppi : kDefaultScreenPpi;
}

}  // namespace

CGIS_Symbolize::CGIS_Symbolize() noexcept
    : pixelsPerMillimetre_(ReadScreenPpi() * kInchesPerMillimetre),
      logicalUnitsPerMillimetre_(kLogicalUnitsPerMillimetre) {}

void CGIS_Symbolize::ApplyDefaultScale(SymbolizeInfo* info) const {
    if (-info->scale > kOpenScaleMargin) {
        info->scale = info->yUp ? logicalUnitsPerMillimetre_ : pixelsPerMillimetre_;
    }
}

bool CGIS_Symbolize::IsSimplifyAnchorPoints() const {
    IGIS_GlobalProperties* properties = GIS_GetGlobalProperties();
    const IGIS_Property* property =
        properties ? properties->GetProperty(kPropertySimplifyAnchorPoints) : nullptr;
    if (property == nullptr) {
        SYMBOLIZE_LOG(LogLevelNotice, "CGIS_Symbolize::IsSimplifyAnchorPoints", "缺少全局参数[%s]",
                      kPropertySimplifyAnchorPoints);
        return false;
    }
    return property->GetBoolValue();
}

bool CGIS_Symbolize::SimplifyAnchorPoints(const Pictor::PointD* points, int32_t count,
                                          std::vector<Pictor::PointD>* kept) const {
    if (count > CGIS_Symbolization::kMaxSimplifyPoints) return false;
    try {
        const size_t n = static_cast<size_t>(count);
        std::vector<SymbolPoint3> records(n);
        for (size_t i = 0; i < n; ++i) records[i] = SymbolPoint3{points[i].x, points[i].y, 0.0};
        std::vector<SymbolPoint3> result(n);
        int32_t resultCount = 0;
        CGIS_Symbolization().Simplify(records.data(), count, kAnchorPointTolerance, result.data(),
                                      &resultCount);
        kept->resize(static_cast<size_t>(resultCount));
        for (int32_t i = 0; i < resultCount; ++i) (*kept)[i] = Pictor::PointD(result[i].x, result[i].y);
        return true;
    } catch (const std::bad_alloc&) {
        // Drawing every point is still right, only slower.
        return false;
    }
}

void CGIS_Symbolize::Symbolize(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                               const int32_t* count) noexcept {
    if (symbol == nullptr || info == nullptr || points == nullptr || count == nullptr || *count <= 0) {
        SYMBOLIZE_LOG(LogLevelError, "CGIS_Symbolize::Symbolize", "Input Error");
        return;
    }
    if (WorkSpent(*info)) return;
    SymbolizeInfo local = *info;
    ApplyDefaultScale(&local);

    // The caller's points and count are never written; a thinned list lives here.
    const Pictor::PointD* drawnPoints = points;
    int32_t drawnCount = *count;
    std::vector<Pictor::PointD> kept;
    if (IsSimplifyAnchorPoints() &&
        (symbol->GetLineSymbol() != nullptr || symbol->GetFillSymbol() != nullptr) &&
        SimplifyAnchorPoints(points, *count, &kept)) {
        drawnPoints = kept.data();
        drawnCount = static_cast<int32_t>(kept.size());
    }
    Dispatch(symbol, &local, drawnPoints, &drawnCount);
}

void CGIS_Symbolize::Dispatch(IGIS_Symbol* symbol, const SymbolizeInfo* info, const Pictor::PointD* points,
                              const int32_t* count) {
    // The service draws lines open; fills close their own outlines.
    const bool closed = false;
    switch (symbol->GetType()) {
        case SymbolTypeSimpleLine:
            simpleLine_.Symbolize(symbol, info, points, count, &closed);
            break;
        case SymbolTypeSimpleFill:
            simpleFill_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeLineFill:
            lineFill_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeGradientFill:
            gradientFill_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypePictureFill:
            pictureFill_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeCompoundFill:
            compoundFill_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeCartographicLine:
            cartographicLine_.Symbolize(symbol, info, points, count, &closed);
            break;
        case SymbolTypeHashLine:
            hashLine_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeMarkerLine:
            markerLine_.Symbolize(symbol, info, points, count, &closed);
            break;
        case SymbolTypeCompoundLine:
            compoundLine_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeLayeredSimpleLine:
            layeredSimpleLine_.Symbolize(symbol, info, points, count, &closed);
            break;
        case SymbolTypePictureMarker:
            pictureMarker_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeLibMarker:
            libMarker_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeCharMarker:
            charMarker_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeCompoundMarker:
            compoundMarker_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeMarkerFill:
            markerFill_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeTextBox:
            textBox_.Symbolize(symbol, info, points, count);
            break;
        case SymbolTypeText:  // drawn through SymbolizeText only
            break;
        default:  // the host's code names nothing drawable (6, or outside 1..19)
            break;
    }
}

void CGIS_Symbolize::SymbolizeText(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                   const TextBox* box) noexcept {
    // The context is read first; the text symbolizer checks the symbol and the box itself.
    if (info == nullptr || WorkSpent(*info)) return;
    SymbolizeInfo local = *info;
    ApplyDefaultScale(&local);
    text_.Symbolize(symbol, &local, box);
}

void CGIS_Symbolize::SymbolizePath(IGIS_Symbol* symbol, const SymbolizeInfo* info,
                                   const Pictor::GraphicsPath* path) noexcept {
    if (symbol == nullptr || info == nullptr || path == nullptr || WorkSpent(*info)) return;
    SymbolizeInfo local = *info;
    ApplyDefaultScale(&local);
    switch (symbol->GetType()) {
        case SymbolTypeSimpleLine:
            simpleLine_.Symbolize(symbol, &local, path);
            break;
        case SymbolTypeSimpleFill:
            simpleFill_.SymbolizePath(symbol, &local, path);
            break;
        case SymbolTypeMarkerFill:
            markerFill_.SymbolizePath(symbol, &local, path);
            break;
        case SymbolTypeLineFill:
            lineFill_.SymbolizePath(symbol, &local, path);
            break;
        case SymbolTypeCompoundFill:
            compoundFill_.SymbolizePath(symbol, &local, path);
            break;
        default:  // no other kind draws along or inside a path
            break;
    }
}

bool CGIS_Symbolize::GetPath(IGIS_LibMarkerSymbol* symbol, SymbolizeInfo* info, const Pictor::PointD* points,
                             Pictor::GraphicsPath* path) noexcept {
    if (info == nullptr) return false;
    // Unlike the drawing entries, this one completes the caller's own record, which the outline
    // is then built from.
    ApplyDefaultScale(info);
    return libMarker_.GetPath(symbol, info, points, path);
}

void* CGIS_Symbolize::QueryInterface(const int32_t* id) noexcept {
    if (id == nullptr) return nullptr;
    switch (*id) {
        case InterfaceIdSymbolize:
            return static_cast<IGIS_Symbolize*>(this);
        case InterfaceIdSymbolizePath:
            return static_cast<IGIS_SymbolizePath*>(this);
        default:  // ids come from the caller; unknown ones are answered with null
            return nullptr;
    }
}
