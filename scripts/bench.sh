#!/usr/bin/env bash
# Builds the benchmarks (release) and runs them; each prints its layer/raw ratios at the end.
# Extra arguments go to every benchmark binary (e.g. --benchmark_repetitions=5).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh release -DSYMBOLIZE_BENCH=ON
for b in build/*_bench; do
  echo "== $b"
  "$b" "$@"
done
