// The `symbolize` program's commands: render, gallery, validate and kinds (docs/cli.md).
#pragma once

#include <ostream>

namespace symbolize_tool {

// Exit codes: 0 done, 1 the document was refused or the picture could not be written, 2 the
// command line was wrong, 130 interrupted (nothing written).
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// Runs one command line; `out` gets results (help, "OK", the reference), `err` every message.
int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace symbolize_tool
