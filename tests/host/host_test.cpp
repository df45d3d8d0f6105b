#include "host/host.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "host/stores.h"
#include "host/symbols.h"

namespace {

using namespace symbolhost;

// A fresh directory per test, removed afterwards, for the files a test writes.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "host_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string file = (path_ / name).string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
    ~ScopedEnv() { unsetenv(name_); }

private:
    const char* name_;
};

std::string Repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

std::string Value(PropertyStore& store, const char* name) {
    const IGIS_Property* p = store.GetProperty(name);
    return p ? p->GetStringValue() : "<unset>";
}

class PropertyStoreTest : public ::testing::Test {
protected:
    TempDir dir_;
    PropertyStore store_;
    std::string error_;
};

TEST_F(PropertyStoreTest, ReadsValuesSkippingCommentsAndBlankLines) {
    const std::string file = dir_.Write("p.txt",
                                        "# settings\r\n"
                                        "\n"
                                        "  SYMBOL2_CFG_DIR =  /etc/symbols  # where tables live\r\n"
                                        "SYMBOL2_SIMPLIFYANCHORPOINTS=On\n"
                                        "OTHER_NAME =\n");
    ASSERT_TRUE(store_.LoadFile(file, &error_)) << error_;
    EXPECT_EQ(Value(store_, "SYMBOL2_CFG_DIR"), "/etc/symbols");
    EXPECT_TRUE(store_.GetProperty("SYMBOL2_SIMPLIFYANCHORPOINTS")->GetBoolValue());
    EXPECT_EQ(Value(store_, "OTHER_NAME"), "");
    EXPECT_EQ(store_.GetProperty("symbol2_cfg_dir"), nullptr);  // names are case-sensitive
    EXPECT_EQ(store_.GetProperty(nullptr), nullptr);
}

TEST_F(PropertyStoreTest, BooleanWordsIgnoreCase) {
    for (const char* yes : {"1", "true", "TRUE", "yes", "Yes", "on", "ON"}) {
        store_.Set("B", yes);
        EXPECT_TRUE(store_.GetProperty("B")->GetBoolValue()) << yes;
    }
    for (const char* no : {"0", "false", "off", "no", "", "2", "enabled", " true"}) {
        store_.Set("B", no);
        EXPECT_FALSE(store_.GetProperty("B")->GetBoolValue()) << no;
    }
}

TEST_F(PropertyStoreTest, SetKeepsTheSamePropertyObject) {
    store_.Set("A", "1");
    const IGIS_Property* first = store_.GetProperty("A");
    store_.Set("A", "2");
    EXPECT_EQ(store_.GetProperty("A"), first);
    EXPECT_STREQ(first->GetStringValue(), "2");
    store_.Remove("A");
    EXPECT_EQ(store_.GetProperty("A"), nullptr);
}

TEST_F(PropertyStoreTest, RefusesBadLinesNamingFileAndLineAndChangingNothing) {
    struct Case {
        std::string text;
        const char* expected;  // the message after "file:"
    };
    const Case cases[] = {
        {"A = 1\nno equals sign\n", "2: expected NAME = value, found 'no equals sign'"},
        {"\n\nBAD NAME = 1\n", "3: expected a property name of letters, digits and '_', found 'BAD NAME'"},
        {" = 1\n", "1: expected a property name of letters, digits and '_', found ''"},
        {"SYMBOL2_SIMPLIFYANCHORPOINTS = maybe\n",
         "1: SYMBOL2_SIMPLIFYANCHORPOINTS expects a boolean (1, 0, true, false, yes, no, on or off), found "
         "'maybe'"},
        {"SYMBOL2_SCREEN_PPI = 0\n",
         "1: SYMBOL2_SCREEN_PPI expects a number of pixels per inch from 1 to 10000, found '0'"},
        {"SYMBOL2_SCREEN_PPI = 96dpi\n",
         "1: SYMBOL2_SCREEN_PPI expects a number of pixels per inch from 1 to 10000, found '96dpi'"},
        {"SYMBOL2_CFG_DIR =\n", "1: SYMBOL2_CFG_DIR expects a directory, found ''"},
        {"SYMBOL2_RASTER = skia\n", "1: SYMBOL2_RASTER expects agg or cairo, found 'skia'"},
        {"SYMBOL2_JITTERSEED = 4294967296\n",
         "1: SYMBOL2_JITTERSEED expects a whole number from 0 to 4294967295, found '4294967296'"},
        {"A = 1\nB = 2\nA = 3\n", "3: A is already set on line 1, expected each property once"},
        {std::string(5000, 'x'), "1: expected a line of at most 4096 characters"},
        {std::string("A = 1\0\n", 7), "1: expected text, found a NUL byte"},
        {Repeated("# note\n", 1001), "1001: expected at most 1000 lines"},
    };
    store_.Set("A", "before");
    for (const Case& c : cases) {
        const std::string file = dir_.Write("bad.txt", c.text);
        EXPECT_FALSE(store_.LoadFile(file, &error_));
        EXPECT_EQ(error_, file + ":" + c.expected);
        EXPECT_EQ(Value(store_, "A"), "before");
        EXPECT_EQ(store_.GetProperty("B"), nullptr);
    }
}

TEST_F(PropertyStoreTest, RefusesMissingFilesAndDirectories) {
    const std::string missing = dir_.Path("none.txt");
    EXPECT_FALSE(store_.LoadFile(missing, &error_));
    EXPECT_EQ(error_, missing + ": no such file");
    const std::string folder = dir_.Path("");
    EXPECT_FALSE(store_.LoadFile(folder, &error_));
    EXPECT_NE(error_.find("is a directory"), std::string::npos) << error_;
}

TEST_F(PropertyStoreTest, EnvironmentOverridesTheFileAndBadValuesAreSkipped) {
    const std::string file = dir_.Write("p.txt", "SYMBOL2_CFG_DIR = /from/file\nSYMBOL2_SCREEN_PPI = 96\n");
    ASSERT_TRUE(store_.LoadFile(file, &error_)) << error_;
    ScopedEnv dir("SYMBOL2_CFG_DIR", "/from/env");
    ScopedEnv ppi("SYMBOL2_SCREEN_PPI", "-5");
    ScopedEnv unrelated("SYMBOLX_OTHER", "1");
    ScopedCaptureLog capture;
    store_.LoadEnvironment();
    EXPECT_EQ(Value(store_, "SYMBOL2_CFG_DIR"), "/from/env");
    EXPECT_EQ(Value(store_, "SYMBOL2_SCREEN_PPI"), "96");
    EXPECT_EQ(store_.GetProperty("SYMBOLX_OTHER"), nullptr);
    EXPECT_EQ(
        capture.log().Count("environment variable SYMBOL2_SCREEN_PPI: expected a number of pixels per inch "
                            "from 1 to 10000, found '-5'; ignored"),
        1u);
}

class ColorTableTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::string error_;
};

// The library exchanges red and blue of every MapColor answer; doing the same here gives the
// colour the table means.
uint32_t Unswapped(uint32_t c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }

TEST_F(ColorTableTest, MapsListedColoursAndAnswersRedInTheLowByte) {
    const std::string file = dir_.Write("t.txt",
                                        "# from  to\n"
                                        "FF0000 00ff00\n"
                                        "\t123456   ABCDEF  # trailing comment\r\n");
    const auto table = ColorTable::Load(file, &error_);
    ASSERT_NE(table, nullptr) << error_;
    EXPECT_EQ(table->MapColor(0xFF0000), 0x00FF00u);
    EXPECT_EQ(Unswapped(table->MapColor(0x123456)), 0xABCDEFu);
    EXPECT_EQ(table->MapColor(0x123456), 0xEFCDABu);
    // Unlisted colours map to themselves, answered in the same exchanged order; the top byte
    // is neither looked up nor returned.
    EXPECT_EQ(table->MapColor(0x0000FF), 0xFF0000u);
    EXPECT_EQ(table->MapColor(0xFF123456), 0xEFCDABu);
}

TEST_F(ColorTableTest, RefusesBadLinesNamingFileAndLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"FF0000\n", "1: expected two colours RRGGBB RRGGBB, found 'FF0000'"},
        {"\nFF0000 00FF00 0000FF\n", "2: expected two colours RRGGBB RRGGBB, found 'FF0000 00FF00 0000FF'"},
        {"FF0000 1FF0000\n", "1: expected a colour of six hexadecimal digits RRGGBB, found '1FF0000'"},
        {"GG0000 000000\n", "1: expected a colour of six hexadecimal digits RRGGBB, found 'GG0000'"},
        {"#FF0000 00FF00\nFF0000 00FF00\nff0000 0000FF\n",
         "3: colour ff0000 is already mapped on line 2, expected each colour once"},
    };
    for (const Case& c : cases) {
        const std::string file = dir_.Write("bad.txt", c.text);
        EXPECT_EQ(ColorTable::Load(file, &error_), nullptr);
        EXPECT_EQ(error_, file + ":" + c.expected);
    }
}

TEST_F(ColorTableTest, CreatedTablesAreReleasedAndFailuresLogged) {
    ScopedCaptureLog capture;
    IGIS_SymbolColorTable* table =
        GIS_CreateSymbolColorTablePtr(dir_.Write("t.txt", "000000 FFFFFF\n").c_str());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->MapColor(0), 0xFFFFFFu);
    table->Release();

    const std::string missing = dir_.Path("missing.txt");
    EXPECT_EQ(GIS_CreateSymbolColorTablePtr(missing.c_str()), nullptr);
    EXPECT_EQ(GIS_CreateSymbolColorTablePtr(nullptr), nullptr);
    ASSERT_EQ(capture.log().Entries().size(), 2u);
    EXPECT_EQ(capture.log().Entries()[0].message, missing + ": no such file");
    EXPECT_EQ(capture.log().Entries()[0].level, LogLevelError);
}

TEST_F(ColorTableTest, ReleaseLeavesTablesItDidNotCreate) {
    ColorTable table;
    table.Set(0x010203, 0x040506);
    table.Release();  // must not delete a table on the stack
    EXPECT_EQ(table.MapColor(0x010203), 0x060504u);
}

// Every getter gives what was installed, and the default again after Set*(nullptr).
class HostServicesTest : public ::testing::Test {};

TEST_F(HostServicesTest, CaptureLogReceivesWhatGoesThroughTheGetter) {
    IGIS_Log* before = GIS_GetLogPtr();
    {
        ScopedCaptureLog capture;
        EXPECT_EQ(GIS_GetLogPtr(), &capture.log());
        GIS_GetLogPtr()->Log(LogLevelError, "CGIS_Test::Run", "Input Error", "cgis_test", 12, "");
        GIS_GetLogPtr()->Log(LogLevelNotice, nullptr, nullptr, nullptr, 0, nullptr);
        ASSERT_EQ(capture.log().Entries().size(), 2u);
        const LogEntry& e = capture.log().Entries()[0];
        EXPECT_EQ(e.level, LogLevelError);
        EXPECT_EQ(e.function, "CGIS_Test::Run");
        EXPECT_EQ(e.file, "cgis_test");
        EXPECT_EQ(e.line, 12);
        EXPECT_EQ(capture.log().Count("Input Error"), 1u);
        EXPECT_EQ(capture.log().Count(""), 1u);
    }
    EXPECT_EQ(GIS_GetLogPtr(), before);
}

TEST_F(HostServicesTest, StderrLogDropsEntriesBelowItsLevel) {
    StderrLog log(LogLevelError);
    EXPECT_FALSE(log.Log(LogLevelNotice, "f", "dropped", "", 0, ""));
    EXPECT_TRUE(log.Log(LogLevelError, "f", "kept (expected on stderr)", "", 0, ""));
}

TEST_F(HostServicesTest, SetReplacesAndNullRestoresTheDefault) {
    CaptureLog log;
    SetLogger(&log);
    EXPECT_EQ(GIS_GetLogPtr(), &log);
    SetLogger(nullptr);
    EXPECT_EQ(GIS_GetLogPtr(), &DefaultLogger());

    PropertyStore properties;
    SetGlobalProperties(&properties);
    EXPECT_EQ(GIS_GetGlobalProperties(), &properties);
    SetGlobalProperties(nullptr);
    EXPECT_EQ(GIS_GetGlobalProperties(), &DefaultProperties());

    ColorTable table;
    EXPECT_EQ(GIS_GetCurrentSymbolColorTablePtr(), nullptr);  // no current table by default
    SetCurrentColorTable(&table);
    EXPECT_EQ(GIS_GetCurrentSymbolColorTablePtr(), &table);
    SetCurrentColorTable(nullptr);
    EXPECT_EQ(GIS_GetCurrentSymbolColorTablePtr(), nullptr);

    SymbolFactory factory;
    SetSymbolFactory(&factory);
    EXPECT_EQ(GIS_GetSymbol2FactoryObject(), &factory);
    SetSymbolFactory(nullptr);
    EXPECT_EQ(GIS_GetSymbol2FactoryObject(), &DefaultSymbolFactory());

    VectorResourceStore resources;
    SetVectorResourceBase(&resources);
    EXPECT_EQ(GIS_GetVectorResourceBaseObject(), &resources);
    SetVectorResourceBase(nullptr);
    EXPECT_EQ(GIS_GetVectorResourceBaseObject(), &DefaultVectorResourceStore());

    ImageStore images;
    SetImageResourceBase(&images);
    SetFillImageResourceBase(&images);
    EXPECT_EQ(GIS_GetImageResourceBaseObject(), &images);
    EXPECT_EQ(GIS_GetFillImageResourceBaseObject(), &images);
    SetImageResourceBase(nullptr);
    SetFillImageResourceBase(nullptr);
    EXPECT_EQ(GIS_GetImageResourceBaseObject(), &DefaultImageStore());
    EXPECT_EQ(GIS_GetFillImageResourceBaseObject(), &DefaultFillImageStore());
    EXPECT_NE(&DefaultImageStore(), &DefaultFillImageStore());
}

TEST_F(HostServicesTest, EmptyStoresAnswerNull) {
    IGIS_Symbol2Factory* factory = GIS_GetSymbol2FactoryObject();
    const Symbol2FactoryId resolver{Symbol2FactoryResolver};
    const Symbol2FactoryId marker{Symbol2FactoryLibMarker};
    const Symbol2FactoryId other{7};
    EXPECT_NE(factory->QueryResolver(&resolver), nullptr);
    EXPECT_EQ(factory->QueryResolver(&marker), nullptr);
    EXPECT_EQ(factory->QueryResolver(nullptr), nullptr);
    IGIS_Symbol* made = factory->CreateSymbol(&marker);  // a library marker, the caller's to release
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made->GetLibMarkerSymbol(), nullptr);
    made->Release();
    EXPECT_EQ(factory->CreateSymbol(&other), nullptr);

    IGIS_VectorResourceBase* resources = GIS_GetVectorResourceBaseObject();
    const uint32_t code = 1;
    EXPECT_EQ(resources->GetResource(&code), nullptr);
    char name[kColorTableNameCapacity] = "stale";
    EXPECT_FALSE(resources->GetColorTableName(nullptr, name));
    EXPECT_STREQ(name, "");
    double box[4] = {1, 2, 3, 4};
    EXPECT_FALSE(resources->GetResourceBounds(box, &code, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(box[0], 1);
    EXPECT_EQ(GIS_GetImageResourceBaseObject()->GetImage(1), nullptr);
}

class SymbolCloneTest : public ::testing::Test {};

TEST_F(SymbolCloneTest, LineCloneIsIndependentAndHandsOutFreshDashes) {
    SimpleLineSymbol line;
    line.SetColor(0x112233);
    line.SetDashPattern({2.0, 1.0, 0.5, 1.0});
    SymbolPtr<> clone(line.Clone());
    ASSERT_NE(clone, nullptr);
    line.SetColor(0x445566);
    line.SetDashPattern({9.0});

    IGIS_SimpleLineSymbol* copy = clone->GetSimpleLineSymbol();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetColor(), 0x112233u);
    double* dashes = nullptr;
    int32_t count = -1;
    copy->GetDashPattern(&dashes, &count);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(dashes[2], 0.5);
    delete[] dashes;

    SimpleLineSymbol solid;
    dashes = reinterpret_cast<double*>(&count);  // must be overwritten
    solid.GetDashPattern(&dashes, &count);
    EXPECT_EQ(dashes, nullptr);
    EXPECT_EQ(count, 0);
    solid.GetDashPattern(nullptr, nullptr);  // tolerated
}

TEST_F(SymbolCloneTest, CloneSharesItsOutlineAndOutlivesTheOriginal) {
    auto fill = std::make_unique<SimpleFillSymbol>();
    auto* outline = new SimpleLineSymbol;
    outline->SetWidth(1.5);
    fill->SetOutline(outline);
    fill->SetColor(0x00FF00);

    SymbolPtr<> clone(fill->Clone());
    ASSERT_NE(clone, nullptr);
    IGIS_SimpleFillSymbol* copy = clone->GetSimpleFillSymbol();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetOutlineSymbol(), outline);  // shared, not copied
    fill->SetColor(0x0000FF);
    fill.reset();  // releases the original's reference only
    EXPECT_EQ(*copy->GetColor(), 0x00FF00u);
    EXPECT_EQ(copy->GetOutlineSymbol()->GetSimpleLineSymbol()->GetWidth(), 1.5);

    SimpleFillSymbol bareFill;
    SymbolPtr<> bare(bareFill.Clone());
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->GetFillSymbol()->GetOutlineSymbol(), nullptr);
}

}  // namespace
