#!/usr/bin/env bash
# Builds the libraries and the thread test with ThreadSanitizer into build-tsan/ and runs the test:
# `tsan.sh [THREADS [ROUNDS]]` (default 8 threads, 3 rounds). Reports inside the uninstrumented
# system libraries are suppressed by tests/tsan.supp, each entry with its reason; any other report
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

threads=${1:-8}
rounds=${2:-3}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSYMBOLIZE_TSAN=ON -DSYMBOLIZE_SANITIZE=OFF \
  -DSYMBOLIZE_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target thread_test

# halt_on_error stops at the first report; exitcode makes a report fail the script even when every
# picture came out right.
TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp:halt_on_error=1:exitcode=66:second_deadlock_stack=1:print_suppressions=0" \
  ./build-tsan/thread_test "$threads" "$rounds"
