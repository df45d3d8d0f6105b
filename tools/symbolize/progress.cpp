#include "tools/symbolize/progress.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

namespace symbolize_tool {
namespace {

// Lock-free, so the handler may set it and drawing loops on any thread may read it.
std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) { gInterrupted.store(true, std::memory_order_relaxed); }

}  // namespace

void StopOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // the second signal takes the default action
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() { return gInterrupted.load(std::memory_order_relaxed); }

const std::atomic<bool>& InterruptFlag() { return gInterrupted; }

ProgressMeter::ProgressMeter(std::string what, std::FILE* stream)
    : what_(std::move(what)),
      stream_(stream),
      terminal_(stream != nullptr && isatty(fileno(stream)) != 0),
      start_(std::chrono::steady_clock::now()),
      last_(start_) {}

ProgressMeter::~ProgressMeter() {
    if (shown_) std::fprintf(stream_, "\r\033[K");  // clear the line for what follows
}

bool ProgressMeter::operator()(size_t done, size_t total) {
    if (Interrupted()) return false;
    if (!terminal_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < kDelay || (shown_ && now - last_ < kRefresh && done != total)) return true;
    last_ = now;
    shown_ = true;
    const unsigned percent = total > 0 ? static_cast<unsigned>(done * 100 / total) : 100;
    std::fprintf(stream_, "\rsymbolize: %s %zu/%zu (%u%%)", what_.c_str(), done, total, percent);
    std::fflush(stream_);
    return true;
}

}  // namespace symbolize_tool
