#!/usr/bin/env bash
# Configures and builds one flavour of the project: `build.sh release` into build/ or
# `build.sh asan` (AddressSanitizer + UndefinedBehaviorSanitizer) into build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-release}
jobs=$(nproc 2>/dev/null || echo 2)
case "$flavour" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release -DSYMBOLIZE_SANITIZE=OFF -DSYMBOLIZE_BENCH=OFF) ;;
  asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=Debug -DSYMBOLIZE_SANITIZE=ON -DSYMBOLIZE_BENCH=OFF) ;;
  *) echo "build.sh: unknown flavour '$flavour' (release or asan)" >&2; exit 2 ;;
esac
shift || true

cmake -S . -B "$dir" "${flags[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$jobs"
