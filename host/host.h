// The reference host: what a program or a test uses to stand up the services the library
// imports (contracts/host.h), and to replace them at run time.
//
// Every Set* call takes an object the caller keeps alive until it is replaced; null restores the
// host's default. Calls are not synchronised: make them before drawing starts, on one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "contracts/host.h"

#define SYMBOLHOST_API __attribute__((visibility("default")))

namespace symbolhost {

// ---- logging ----------------------------------------------------------------------------

struct LogEntry {
    int32_t level = 0;
    std::string function;
    std::string message;
    std::string file;
    int32_t line = 0;
};

// Writes "level function: message" lines to stderr; entries below `minimumLevel` are dropped.
class SYMBOLHOST_API StderrLog final : public IGIS_Log {
public:
    explicit StderrLog(int32_t minimumLevel = 0) : minimumLevel_(minimumLevel) {}
    bool Log(int32_t level, const char* function, const char* message, const char* file, int32_t line,
             const char* timestamp) noexcept override;

private:
    int32_t minimumLevel_;
};

// Keeps every entry, for tests and for programs that report messages themselves. Not
// synchronised: one drawing thread at a time.
class SYMBOLHOST_API CaptureLog final : public IGIS_Log {
public:
    bool Log(int32_t level, const char* function, const char* message, const char* file, int32_t line,
             const char* timestamp) noexcept override;
    const std::vector<LogEntry>& Entries() const { return entries_; }
    // How many entries carry exactly this message.
    size_t Count(const std::string& message) const;
    void Clear() { entries_.clear(); }

private:
    std::vector<LogEntry> entries_;
};

SYMBOLHOST_API void SetLogger(IGIS_Log* log);

// The logger GIS_GetLogPtr gives while none is installed: a StderrLog whose minimum level is the
// environment variable SYMBOLIZE_LOG_LEVEL (a whole number, 0 when unset or not a number).
SYMBOLHOST_API StderrLog& DefaultLogger() noexcept;

// Installs a CaptureLog for the lifetime of the guard, then restores the previous logger.
class SYMBOLHOST_API ScopedCaptureLog {
public:
    ScopedCaptureLog();
    ~ScopedCaptureLog();
    ScopedCaptureLog(const ScopedCaptureLog&) = delete;
    ScopedCaptureLog& operator=(const ScopedCaptureLog&) = delete;
    CaptureLog& log() { return log_; }

private:
    CaptureLog log_;
    IGIS_Log* previous_;
};

// ---- global properties --------------------------------------------------------------------

// Name/value pairs. A value reads as true when it is "1", "true", "yes" or "on" (any case).
class SYMBOLHOST_API PropertyStore final : public IGIS_GlobalProperties {
public:
    PropertyStore();
    ~PropertyStore() override;
    PropertyStore(const PropertyStore&) = delete;
    PropertyStore& operator=(const PropertyStore&) = delete;

    // The property stays valid until it is set again, removed or the store is destroyed.
    const IGIS_Property* GetProperty(const char* name) noexcept override;
    void Set(const std::string& name, const std::string& value);
    void Remove(const std::string& name);
    // Reads "NAME = value" lines ('#' starts a comment). The properties the library reads must
    // hold what it can use: a boolean word for SYMBOL2_SIMPLIFYANCHORPOINTS, a number from 1 to
    // 10000 for SYMBOL2_SCREEN_PPI, a non-empty SYMBOL2_CFG_DIR, a whole number from 0 to
    // 4294967295 for SYMBOL2_JITTERSEED. On failure returns false and
    // says why (file, line, what was expected) in *error; nothing is changed then.
    bool LoadFile(const std::string& path, std::string* error);
    // Takes every environment variable whose name starts with "SYMBOL2_". A variable whose value
    // the file format would refuse is skipped and reported through the host's logger.
    void LoadEnvironment();

private:
    class Value;
    std::map<std::string, std::unique_ptr<Value>, std::less<>> values_;
};

// The default store: the file named by the environment variable SYMBOLIZE_PROPERTIES (if set),
// then the environment's SYMBOL2_* variables, which win.
SYMBOLHOST_API PropertyStore& DefaultProperties();
SYMBOLHOST_API void SetGlobalProperties(IGIS_GlobalProperties* properties);

// Pixels per inch of the output, read by the library once when it starts: the property
// "SYMBOL2_SCREEN_PPI", 96 when it is missing or not a number in 1..10000.
inline constexpr const char* kPropertyScreenPpi = "SYMBOL2_SCREEN_PPI";
// The rasterizer of PNG output, read by the program before it draws: "agg" (the default) or
// "cairo", in any case.
inline constexpr const char* kPropertyRaster = "SYMBOL2_RASTER";

// ---- colour tables ------------------------------------------------------------------------

// A colour table file: one mapping per line, "RRGGBB RRGGBB" (hexadecimal, from and to), '#'
// starting a comment. MapColor answers in the order the library expects (red in the low byte);
// colours not listed map to themselves.
class SYMBOLHOST_API ColorTable final : public IGIS_SymbolColorTable {
public:
    static std::unique_ptr<ColorTable> Load(const std::string& path, std::string* error);
    void Set(uint32_t from, uint32_t to);
    uint32_t MapColor(uint32_t color) const noexcept override;
    // Deletes a table made by GIS_CreateSymbolColorTablePtr; does nothing to any other table,
    // which belongs to whoever made it.
    void Release() noexcept override;

private:
    friend IGIS_SymbolColorTable* ::GIS_CreateSymbolColorTablePtr(const char* path) noexcept;

    std::map<uint32_t, uint32_t> map_;
    bool releasedByCaller_ = false;
};

SYMBOLHOST_API void SetCurrentColorTable(IGIS_SymbolColorTable* table);

// ---- stores and factory -------------------------------------------------------------------

SYMBOLHOST_API void SetSymbolFactory(IGIS_Symbol2Factory* factory);
SYMBOLHOST_API void SetVectorResourceBase(IGIS_VectorResourceBase* store);
SYMBOLHOST_API void SetImageResourceBase(IGIS_ImageResourceBase* store);
SYMBOLHOST_API void SetFillImageResourceBase(IGIS_ImageResourceBase* store);

}  // namespace symbolhost
