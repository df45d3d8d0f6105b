// Progress of a long render on stderr, and stopping cleanly on an interrupt.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace symbolize_tool {

// From now on, SIGINT and SIGTERM ask the run to stop instead of killing it, so that the picture
// being written can be discarded. A second signal kills as usual.
void StopOnInterrupt();
bool Interrupted();
// Raised by the interrupt; a drawing's work budget watches it to stop inside a feature too.
const std::atomic<bool>& InterruptFlag();

// Shows "<what> n/total" on one refreshed line of `stream`, but only when the stream is a
// terminal and the work has taken longer than kDelay; quick runs and redirected output stay
// silent. Used as a Progress: answers false once an interrupt has arrived.
class ProgressMeter {
public:
    // A second passes before a user wonders whether anything is happening.
    static constexpr std::chrono::milliseconds kDelay{1000};
    // Redrawing the line more often than this only costs time.
    static constexpr std::chrono::milliseconds kRefresh{100};

    ProgressMeter(std::string what, std::FILE* stream = stderr);
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    bool operator()(size_t done, size_t total);

private:
    std::string what_;
    std::FILE* stream_;
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace symbolize_tool
