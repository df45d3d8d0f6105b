#include "symbolize/symbolize_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace symbolize {
namespace {

// The logger is told the source file by its base name without extension ("cgis_symbolize"),
// which is how messages name where they come from.
void SourceName(const char* path, char* out, size_t size) {
    const char* base = std::strrchr(path, '/');
    base = base ? base + 1 : path;
    size_t n = std::strcspn(base, ".");
    if (n >= size) n = size - 1;
    std::memcpy(out, base, n);
    out[n] = '\0';
}

}  // namespace

void LogFormatted(int32_t level, const char* function, const char* file, int line, const char* format, ...) {
    IGIS_Log* log = GIS_GetLogPtr();
    if (log == nullptr) return;
    char message[kLogBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    char source[128];
    SourceName(file, source, sizeof source);
    log->Log(level, function, message, source, line, "");
}

}  // namespace symbolize
