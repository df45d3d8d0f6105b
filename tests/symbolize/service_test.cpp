// The service as a host meets it: GIS_GetSymbolizeObject, the checks and the default scale of
// each entry, anchor-point thinning, the dispatch by type, and the library's load and exports.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "host/symbols.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using Pictor::RecordedOp;
using symbolhost::SimpleFillSymbol;
using symbolhost::SimpleLineSymbol;

constexpr double kScreenPixelsPerMm = 3.779527559055118;  // 96 pixels per inch
constexpr double kLogicalUnitsPerMm = 100.0;
constexpr int32_t kSymbolizeId = InterfaceIdSymbolize;
constexpr int32_t kPathId = InterfaceIdSymbolizePath;
const std::string kMissingSimplifyProperty = "缺少全局参数[SYMBOL2_SIMPLIFYANCHORPOINTS]";

// A symbol that answers only GetType, so every kind of type code can be handed to the service.
class TypeOnlySymbol final : public symbolhost::SymbolBase<IGIS_Symbol> {
public:
    explicit TypeOnlySymbol(int32_t type) : type_(type) {}
    IGIS_Symbol* Clone() const noexcept override { return new (std::nothrow) TypeOnlySymbol(type_); }
    int32_t GetType() const noexcept override { return type_; }

private:
    int32_t type_;
};

// A simple line that does not call itself a line symbol (GetLineSymbol answers null), as a marker
// would not: the service must not thin its points.
class UnviewedSimpleLine final : public symbolhost::SymbolBase<IGIS_SimpleLineSymbol> {
public:
    IGIS_Symbol* Clone() const noexcept override { return new (std::nothrow) UnviewedSimpleLine(*this); }
    int32_t GetType() const noexcept override { return SymbolTypeSimpleLine; }
    IGIS_SimpleLineSymbol* GetSimpleLineSymbol() noexcept override { return this; }
    const SymbolHalo* GetHalo() const noexcept override { return line_.GetHalo(); }
    uint32_t GetColor() const noexcept override { return line_.GetColor(); }
    int32_t GetTransparency() const noexcept override { return line_.GetTransparency(); }
    double GetWidth() const noexcept override { return line_.GetWidth(); }
    const int32_t* GetLineJoin() const noexcept override { return line_.GetLineJoin(); }
    const int32_t* GetLineCap() const noexcept override { return line_.GetLineCap(); }
    void GetDashPattern(double** pattern, int32_t* count) const noexcept override {
        line_.GetDashPattern(pattern, count);
    }
    const int32_t* GetLineStyle() const noexcept override { return line_.GetLineStyle(); }
    const bool* IsSmooth() const noexcept override { return line_.IsSmooth(); }

private:
    SimpleLineSymbol line_;
};

std::vector<PointD> DevicePoints(const RecordedOp& op) { return op.device.Points(); }

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        properties_.Set(kPropertySimplifyAnchorPoints, "false");
        symbolhost::SetGlobalProperties(&properties_);
        info_.graphics = &graphics_;
        line_.SetWidth(1.0);
    }
    void TearDown() override { symbolhost::SetGlobalProperties(nullptr); }

    void Draw(IGIS_Symbol* symbol, const std::vector<PointD>& points) {
        const int32_t count = static_cast<int32_t>(points.size());
        service_->Symbolize(symbol, &info_, points.data(), &count);
    }
    const std::vector<RecordedOp>& Ops() const { return canvas_.Operations(); }
    // The width of the one stroke drawn, or -1 when there is not exactly one.
    double StrokeWidth() const {
        if (Ops().size() != 1 || Ops()[0].kind != OpKind::DrawPath || !Ops()[0].pen) return -1.0;
        return Ops()[0].pen->GetWidth();
    }
    size_t LoggedCount(const std::string& message) { return capture_.log().Count(message); }

    IGIS_Symbolize* service_ = GIS_GetSymbolizeObject();
    Pictor::RecordingCanvas canvas_{200, 200};
    Pictor::Graphics graphics_{&canvas_};
    symbolhost::PropertyStore properties_;
    symbolhost::ScopedCaptureLog capture_;
    SymbolizeInfo info_;
    SimpleLineSymbol line_;
    const std::vector<PointD> segment_{{10, 10}, {100, 10}};
};

// ---- default scale ------------------------------------------------------------------------

class DefaultScaleTest : public ServiceTest {};

TEST_F(DefaultScaleTest, OpenScaleBecomesScreenPixelsOrLogicalUnits) {
    info_.scale = -1.0;
    Draw(&line_, segment_);
    EXPECT_DOUBLE_EQ(StrokeWidth(), kScreenPixelsPerMm);

    canvas_.Clear();
    info_.yUp = true;
    Draw(&line_, segment_);
    EXPECT_DOUBLE_EQ(StrokeWidth(), kLogicalUnitsPerMm);
    EXPECT_EQ(info_.scale, -1.0) << "the caller's record is not written";

    canvas_.Clear();
    info_.yUp = false;
    info_.scale = -0.00011;
    Draw(&line_, segment_);
    EXPECT_DOUBLE_EQ(StrokeWidth(), kScreenPixelsPerMm);
}

TEST_F(DefaultScaleTest, ZeroAndTheBoundaryAreKept) {
    // A negative size ratio makes the kept scale of -0.0001 draw a visible 1-unit stroke; the
    // default scale would give a negative width and draw nothing.
    info_.scale = -0.0001;
    info_.sizeRatio = -10000.0;
    Draw(&line_, segment_);
    EXPECT_DOUBLE_EQ(StrokeWidth(), 1.0);

    canvas_.Clear();
    info_.scale = 0.0;
    info_.sizeRatio = 1.0;
    Draw(&line_, segment_);
    EXPECT_EQ(StrokeWidth(), 0.0);
}

TEST_F(DefaultScaleTest, PathEntriesCompleteTheScaleToo) {
    IGIS_SymbolizePath* paths = static_cast<IGIS_SymbolizePath*>(service_->QueryInterface(&kPathId));
    ASSERT_NE(paths, nullptr);
    Pictor::GraphicsPath path;
    path.AddLine(10, 10, 100, 10);
    info_.scale = -1.0;
    paths->SymbolizePath(&line_, &info_, &path);
    EXPECT_DOUBLE_EQ(StrokeWidth(), kScreenPixelsPerMm);
    EXPECT_EQ(info_.scale, -1.0);

    // GetPath alone writes the default into the caller's record. No library marker is drawn yet.
    const PointD anchor(0, 0);
    Pictor::GraphicsPath outline;
    EXPECT_FALSE(paths->GetPath(nullptr, &info_, &anchor, &outline));
    EXPECT_DOUBLE_EQ(info_.scale, kScreenPixelsPerMm);
    info_.scale = -1.0;
    info_.yUp = true;
    paths->GetPath(nullptr, &info_, &anchor, &outline);
    EXPECT_EQ(info_.scale, kLogicalUnitsPerMm);
    info_.scale = 0.0;
    paths->GetPath(nullptr, &info_, &anchor, &outline);
    EXPECT_EQ(info_.scale, 0.0);
}

// ---- input checks -------------------------------------------------------------------------

class InputErrorTest : public ServiceTest {};

TEST_F(InputErrorTest, MissingOrEmptyInputLogsAndDrawsNothing) {
    const PointD points[] = {{0, 0}, {10, 10}};
    const int32_t two = 2, zero = 0, negative = -3;
    struct Case {
        const char* what;
        IGIS_Symbol* symbol;
        const SymbolizeInfo* info;
        const PointD* points;
        const int32_t* count;
    };
    const Case cases[] = {
        {"null symbol", nullptr, &info_, points, &two},
        {"null info", &line_, nullptr, points, &two},
        {"null points", &line_, &info_, nullptr, &two},
        {"zero count", &line_, &info_, points, &zero},
        {"negative count", &line_, &info_, points, &negative},
        {"null count", &line_, &info_, points, nullptr},
    };
    for (const Case& c : cases) {
        capture_.log().Clear();
        service_->Symbolize(c.symbol, c.info, c.points, c.count);
        ASSERT_EQ(capture_.log().Entries().size(), 1u) << c.what;
        const symbolhost::LogEntry& entry = capture_.log().Entries()[0];
        EXPECT_EQ(entry.level, LogLevelError) << c.what;
        EXPECT_EQ(entry.function, "CGIS_Symbolize::Symbolize") << c.what;
        EXPECT_EQ(entry.message, "Input Error") << c.what;
        EXPECT_EQ(entry.file, "cgis_symbolize") << c.what;
        EXPECT_TRUE(Ops().empty()) << c.what;
    }
}

TEST_F(InputErrorTest, OtherEntriesIgnoreNullsQuietly) {
    IGIS_SymbolizePath* paths = static_cast<IGIS_SymbolizePath*>(service_->QueryInterface(&kPathId));
    Pictor::GraphicsPath path;
    path.AddLine(0, 0, 10, 10);
    paths->SymbolizePath(nullptr, &info_, &path);
    paths->SymbolizePath(&line_, nullptr, &path);
    paths->SymbolizePath(&line_, &info_, nullptr);
    EXPECT_FALSE(paths->GetPath(nullptr, nullptr, nullptr, nullptr));
    const TextBox box;
    service_->SymbolizeText(nullptr, nullptr, &box);
    EXPECT_TRUE(Ops().empty());
    EXPECT_TRUE(capture_.log().Entries().empty());
}

// ---- anchor-point thinning ----------------------------------------------------------------

class SimplifyAnchorPointsTest : public ServiceTest {
protected:
    // Every interior point lies within one unit of the chord from the first to the last.
    const std::vector<PointD> nearlyStraight_{{0, 0}, {5, 0.5}, {10, 0.3}, {20, 0}};
};

TEST_F(SimplifyAnchorPointsTest, LineReachesItsSymbolizerThinnedWhileTheCallerKeepsItsPoints) {
    properties_.Set(kPropertySimplifyAnchorPoints, "true");
    const std::vector<PointD> points = nearlyStraight_;
    const int32_t count = 4;
    service_->Symbolize(&line_, &info_, points.data(), &count);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(points, nearlyStraight_);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(DevicePoints(Ops()[0]), (std::vector<PointD>{{0, 0}, {20, 0}}));

    canvas_.Clear();
    properties_.Set(kPropertySimplifyAnchorPoints, "false");
    Draw(&line_, nearlyStraight_);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(DevicePoints(Ops()[0]), nearlyStraight_);
    EXPECT_TRUE(capture_.log().Entries().empty());
}

TEST_F(SimplifyAnchorPointsTest, FillRingsAreThinnedToo) {
    properties_.Set(kPropertySimplifyAnchorPoints, "true");
    SimpleFillSymbol fill;
    Draw(&fill, {{0, 0}, {5, 0.2}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    ASSERT_EQ(Ops().size(), 1u);
    ASSERT_EQ(Ops()[0].kind, OpKind::FillPath);
    EXPECT_EQ(DevicePoints(Ops()[0]), (std::vector<PointD>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
}

TEST_F(SimplifyAnchorPointsTest, SymbolsThatAreNeitherLineNorFillKeepTheirPoints) {
    properties_.Set(kPropertySimplifyAnchorPoints, "true");
    UnviewedSimpleLine unviewed;
    Draw(&unviewed, nearlyStraight_);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(DevicePoints(Ops()[0]), nearlyStraight_);
}

TEST_F(SimplifyAnchorPointsTest, MissingPropertyIsLoggedOnEveryCallAndNothingIsThinned) {
    properties_.Remove(kPropertySimplifyAnchorPoints);
    Draw(&line_, nearlyStraight_);
    EXPECT_EQ(LoggedCount(kMissingSimplifyProperty), 1u);
    ASSERT_EQ(capture_.log().Entries().size(), 1u);
    EXPECT_EQ(capture_.log().Entries()[0].level, LogLevelNotice);
    EXPECT_EQ(capture_.log().Entries()[0].function, "CGIS_Symbolize::IsSimplifyAnchorPoints");
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(DevicePoints(Ops()[0]), nearlyStraight_);

    // Read again on the next call, whatever the symbol.
    TypeOnlySymbol marker(SymbolTypeCharMarker);
    Draw(&marker, nearlyStraight_);
    EXPECT_EQ(LoggedCount(kMissingSimplifyProperty), 2u);
}

TEST_F(SimplifyAnchorPointsTest, OnePointLineIsThinnedToItself) {
    properties_.Set(kPropertySimplifyAnchorPoints, "true");
    const PointD single(7, 7);
    const int32_t one = 1;
    service_->Symbolize(&line_, &info_, &single, &one);
    EXPECT_EQ(one, 1);
    EXPECT_EQ(LoggedCount("Input Error"), 0u);
    for (const RecordedOp& op : Ops()) {
        for (const PointD& p : DevicePoints(op)) EXPECT_EQ(p, single);
    }
}

// ---- dispatch and interfaces --------------------------------------------------------------

class DispatchTest : public ServiceTest {};

TEST_F(DispatchTest, TypesWithoutASymbolizerDrawNothing) {
    for (const int32_t type : std::initializer_list<int32_t>{
             0, 6, SymbolTypeText, 20, -1, SymbolTypeGradientFill}) {
        TypeOnlySymbol symbol(type);
        Draw(&symbol, segment_);
        EXPECT_TRUE(Ops().empty()) << type;
    }
    EXPECT_TRUE(capture_.log().Entries().empty());

    const TextBox box{0, 100, 0, 20};
    TypeOnlySymbol text(SymbolTypeText);
    service_->SymbolizeText(&text, &info_, &box);
    EXPECT_TRUE(Ops().empty());
}

TEST_F(DispatchTest, LinesAreDrawnOpenAndFillsFilled) {
    Draw(&line_, {{0, 0}, {10, 0}, {10, 10}});
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].kind, OpKind::DrawPath);
    const std::vector<uint8_t>& types = Ops()[0].device.Types();
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back() & Pictor::PathPointClose, 0);

    canvas_.Clear();
    SimpleFillSymbol fill;
    Draw(&fill, {{0, 0}, {10, 0}, {10, 10}});
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].kind, OpKind::FillPath);
}

TEST_F(DispatchTest, PathEntryDrawsSimpleLinesAndFillsOnly) {
    IGIS_SymbolizePath* paths = static_cast<IGIS_SymbolizePath*>(service_->QueryInterface(&kPathId));
    Pictor::GraphicsPath path;
    const PointD triangle[] = {{0, 0}, {10, 0}, {10, 10}};
    path.AddPolygon(triangle, 3);

    paths->SymbolizePath(&line_, &info_, &path);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].kind, OpKind::DrawPath);
    EXPECT_EQ(Ops()[0].device, path);

    canvas_.Clear();
    SimpleFillSymbol fill;
    paths->SymbolizePath(&fill, &info_, &path);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].kind, OpKind::FillPath);

    canvas_.Clear();
    for (const int32_t type :
         std::initializer_list<int32_t>{SymbolTypeMarkerFill, SymbolTypeLineFill, SymbolTypeCompoundFill,
                                        SymbolTypeCartographicLine, SymbolTypeCharMarker, 99}) {
        TypeOnlySymbol symbol(type);
        paths->SymbolizePath(&symbol, &info_, &path);
        EXPECT_TRUE(Ops().empty()) << type;
    }
}

TEST_F(DispatchTest, QueryInterfaceAnswersForBothInterfaces) {
    void* asSymbolize = service_->QueryInterface(&kSymbolizeId);
    EXPECT_EQ(static_cast<IGIS_Symbolize*>(asSymbolize), service_);
    auto* paths = static_cast<IGIS_SymbolizePath*>(service_->QueryInterface(&kPathId));
    ASSERT_NE(paths, nullptr);
    EXPECT_EQ(paths->QueryInterface(&kPathId), paths);
    EXPECT_EQ(paths->QueryInterface(&kSymbolizeId), asSymbolize);
    const int32_t other = 7;
    EXPECT_EQ(service_->QueryInterface(&other), nullptr);
    EXPECT_EQ(paths->QueryInterface(&other), nullptr);
    EXPECT_EQ(service_->QueryInterface(nullptr), nullptr);
    EXPECT_EQ(GIS_GetSymbolizeObject(), service_) << "one service per process";
}

// ---- the library --------------------------------------------------------------------------

// The file the running libsymbolize.so was loaded from.
std::string LoadedLibraryPath() {
    void* handle = dlopen("libsymbolize.so", RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return {};
    link_map* map = nullptr;
    std::string path;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) path = map->l_name;
    dlclose(handle);
    return path;
}

// Names of the functions and objects the library file defines for others to import.
std::set<std::string> DefinedDynamicSymbols(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    if (bytes.size() < sizeof(Elf64_Ehdr)) return names;
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
    if (header->e_shoff + size_t{header->e_shnum} * sizeof(Elf64_Shdr) > bytes.size()) return names;
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(bytes.data() + header->e_shoff);
    for (int i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        const Elf64_Shdr& strings = sections[sections[i].sh_link];
        const auto* symbols = reinterpret_cast<const Elf64_Sym*>(bytes.data() + sections[i].sh_offset);
        for (size_t k = 0; k < sections[i].sh_size / sizeof(Elf64_Sym); ++k) {
            const unsigned bind = ELF64_ST_BIND(symbols[k].st_info);
            if (symbols[k].st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
            names.insert(bytes.data() + strings.sh_offset + symbols[k].st_name);
        }
    }
    return names;
}

class LibraryTest : public ServiceTest {
protected:
    // A private copy of the library, loaded now, so its service is made under this test's
    // properties.
    void* LoadFreshCopy() {
        const std::string original = LoadedLibraryPath();
        if (original.empty()) return nullptr;
        static int copies = 0;
        const std::filesystem::path copy = std::filesystem::path(::testing::TempDir()) /
                                           ("libsymbolize-copy-" + std::to_string(++copies) + ".so");
        std::filesystem::copy_file(original, copy, std::filesystem::copy_options::overwrite_existing);
        return dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    // The stroke width of a 1 mm line drawn with the open scale by the service of a fresh copy
    // loaded while SYMBOL2_SCREEN_PPI reads `ppi` (absent when null).
    double DefaultWidthWithScreenPpi(const char* ppi) {
        if (ppi) {
            properties_.Set(symbolhost::kPropertyScreenPpi, ppi);
        } else {
            properties_.Remove(symbolhost::kPropertyScreenPpi);
        }
        void* library = LoadFreshCopy();
        if (library == nullptr) return -2.0;
        auto* get = reinterpret_cast<IGIS_Symbolize* (*)()>(dlsym(library, "GIS_GetSymbolizeObject"));
        IGIS_Symbolize* fresh = get ? get() : nullptr;
        canvas_.Clear();
        info_.scale = -1.0;
        const int32_t count = 2;
        if (fresh) fresh->Symbolize(&line_, &info_, segment_.data(), &count);
        dlclose(library);
        return StrokeWidth();
    }
};

TEST_F(LibraryTest, ExportsOnlyTheServiceGetter) {
    const std::string path = LoadedLibraryPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(DefinedDynamicSymbols(path), std::set<std::string>{"GIS_GetSymbolizeObject"});

    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(dlsym(handle, "GIS_GetSymbolizeObject"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN9symbolize12LogFormattedEiPKcS1_iS1_z"), nullptr);
    dlclose(handle);
}

TEST_F(LibraryTest, ScreenResolutionIsReadWhenTheLibraryLoads) {
    EXPECT_DOUBLE_EQ(DefaultWidthWithScreenPpi(nullptr), kScreenPixelsPerMm);
    EXPECT_DOUBLE_EQ(DefaultWidthWithScreenPpi("192"), 192 * 0.03937007874015748);
    EXPECT_DOUBLE_EQ(DefaultWidthWithScreenPpi(" 120.5 "), 120.5 * 0.03937007874015748);
    EXPECT_DOUBLE_EQ(DefaultWidthWithScreenPpi("1"), 0.03937007874015748);
    EXPECT_DOUBLE_EQ(DefaultWidthWithScreenPpi("10000"), 10000 * 0.03937007874015748);
    for (const char* unusable : {"0", "10001", "-96", "abc", "96dpi", "", "nan", "inf"}) {
        EXPECT_DOUBLE_EQ(DefaultWidthWithScreenPpi(unusable), kScreenPixelsPerMm) << '"' << unusable << '"';
    }
}

}  // namespace
