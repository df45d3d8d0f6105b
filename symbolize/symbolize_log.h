// The one way the library logs: format into a local buffer, then hand the message to the host's
// logger with the class-and-method name and the source position.
#pragma once

#include <cstdint>

#include "contracts/host.h"

namespace symbolize {

// Longest message kept; longer ones are cut (never overflow).
inline constexpr int kLogBufferSize = 1024;

void LogFormatted(int32_t level, const char* function, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

}  // namespace symbolize

// SYMBOLIZE_LOG(LogLevelError, "CGIS_Symbolize::Symbolize", "Input Error");
#define SYMBOLIZE_LOG(level, function, ...) \
    ::symbolize::LogFormatted((level), (function), __FILE__, __LINE__, __VA_ARGS__)
