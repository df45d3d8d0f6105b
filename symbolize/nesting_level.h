// Counts how deep a compound symbol is drawn inside itself on this thread, so that a compound
// that contains itself stops after a fixed depth instead of recursing until the stack ends.
#pragma once

namespace symbolize {

// One level of `Tag`'s nesting for as long as it lives; each compound kind has its own count.
// Once the innermost level went past `kMaxDepth`, every level stops drawing members (Stopped),
// so a compound that holds itself twice or more ends after kMaxDepth levels rather than after
// 2^kMaxDepth calls. Leaving the outermost level clears the stop.
template <typename Tag, int kMaxDepth>
class NestingLevel {
public:
    NestingLevel() { ++depth_; }
    ~NestingLevel() {
        if (--depth_ == 0) stopped_ = false;
    }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

    // True when this level is too deep to draw; the first such answer of a stop returns
    // `*firstStop` true, so the caller reports the stop once.
    bool TooDeep(bool* firstStop) const {
        if (depth_ <= kMaxDepth) return false;
        *firstStop = !stopped_;
        stopped_ = true;
        return true;
    }
    static bool Stopped() { return stopped_; }

private:
    static inline thread_local int depth_ = 0;
    static inline thread_local bool stopped_ = false;
};

}  // namespace symbolize
