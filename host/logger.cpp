#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host.h"

namespace symbolhost {
namespace {

const char* OrEmpty(const char* s) { return s ? s : ""; }

// SYMBOLIZE_LOG_LEVEL as a whole number; 0 (keep everything) when unset or unreadable.
int32_t MinimumLevelFromEnvironment() noexcept {
    const char* text = std::getenv("SYMBOLIZE_LOG_LEVEL");
    if (text == nullptr || *text == '\0') return 0;
    const char* end = text + std::strlen(text);
    int32_t level = 0;
    const auto [stop, error] = std::from_chars(text, end, level);
    if (error != std::errc() || stop != end) {
        std::fprintf(stderr,
                     "SYMBOLIZE_LOG_LEVEL: expected a whole number, found '%.40s'; keeping every entry\n",
                     text);
        return 0;
    }
    return level;
}

}  // namespace

bool StderrLog::Log(int32_t level, const char* function, const char* message, const char*, int32_t,
                    const char*) noexcept {
    if (level < minimumLevel_) return false;
    std::fprintf(stderr, "%d %s: %s\n", static_cast<int>(level), OrEmpty(function), OrEmpty(message));
    return true;
}

bool CaptureLog::Log(int32_t level, const char* function, const char* message, const char* file, int32_t line,
                     const char*) noexcept {
    try {
        entries_.push_back(LogEntry{level, OrEmpty(function), OrEmpty(message), OrEmpty(file), line});
        return true;
    } catch (...) {
        return false;  // out of memory: the entry is lost, the caller goes on
    }
}

size_t CaptureLog::Count(const std::string& message) const {
    size_t n = 0;
    for (const LogEntry& e : entries_) n += e.message == message ? 1 : 0;
    return n;
}

StderrLog& DefaultLogger() noexcept {
    static StderrLog log(MinimumLevelFromEnvironment());
    return log;
}

ScopedCaptureLog::ScopedCaptureLog() : previous_(GIS_GetLogPtr()) { SetLogger(&log_); }

ScopedCaptureLog::~ScopedCaptureLog() { SetLogger(previous_); }

}  // namespace symbolhost
