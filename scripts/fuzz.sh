#!/usr/bin/env bash
# Fuzzes with libFuzzer: `fuzz.sh TARGET MINUTES`, TARGET one of document, geojson, colortable,
# render, or `all` to share the minutes among them. Builds build-fuzz/ with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer. New corpus entries go to build-fuzz/work/TARGET/corpus (the
# checked-in seeds are only read), crash, leak and timeout inputs to build-fuzz/work/TARGET/. Runs
# at the lowest priority (FUZZ_NICE, 19) so that builds beside it are not starved. docs/fuzzing.md
# says what to do with a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(document geojson colortable render)
target=${1:-}
minutes=${2:-}
if [[ -z "$target" || ! "$minutes" =~ ^[0-9]+$ || "$minutes" -eq 0 ]]; then
  echo "usage: fuzz.sh TARGET|all MINUTES   (TARGET: ${targets[*]})" >&2
  exit 2
fi
if [[ "$target" == all ]]; then
  chosen=("${targets[@]}")
elif [[ " ${targets[*]} " == *" $target "* ]]; then
  chosen=("$target")
else
  echo "fuzz.sh: unknown target '$target' (${targets[*]} or all)" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ not found: the fuzz targets need clang's libFuzzer" >&2
  exit 2
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSYMBOLIZE_SANITIZE=ON \
  -DSYMBOLIZE_FUZZ=ON -DSYMBOLIZE_TESTS=OFF -DSYMBOLIZE_BENCH=OFF >/dev/null
nice -n "${FUZZ_NICE:-19}" cmake --build build-fuzz -j "$(nproc 2>/dev/null || echo 2)" \
  --target "${chosen[@]/#/fuzz_}"

seconds=$((minutes * 60 / ${#chosen[@]}))
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
found=0
for t in "${chosen[@]}"; do
  work=build-fuzz/work/$t
  mkdir -p "$work/corpus"
  case "$t" in
    document | render) seeds=(tests/fuzz/corpus/documents tests/data/hostile) ;;
    geojson) seeds=(tests/fuzz/corpus/geojson) ;;
    colortable) seeds=(tests/fuzz/corpus/colortables) ;;
  esac
  # Inputs that once were findings, kept after the mend, stay in the starting corpus.
  [[ -d tests/fuzz/crashes/$t ]] && seeds+=("tests/fuzz/crashes/$t")
  dict=()
  [[ "$t" != colortable ]] && dict=(-dict=tests/fuzz/documents.dict)
  before=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  # An input that takes 2 GB, or FUZZ_TIMEOUT seconds (30; the clock runs while a busy machine
  # gives the fuzzer no time), is a finding: a document must be refused or drawn well within
  # either. Inputs stay below 8 kB, a few times the largest seed.
  nice -n "${FUZZ_NICE:-19}" "build-fuzz/fuzz_$t" "${dict[@]}" -max_total_time="$seconds" \
    -timeout="${FUZZ_TIMEOUT:-30}" \
    -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/" \
    "$work/corpus" "${seeds[@]}" >"$work/fuzz.log" 2>&1 || true
  after=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  echo "$t: $(grep -E '^#[0-9]+' "$work/fuzz.log" | tail -1)"
  grep -E '^stat::number_of_executed_units' "$work/fuzz.log" || true
  if ((after > before)); then
    echo "$t: $((after - before)) new finding(s) in $work/ (log: $work/fuzz.log)"
    found=1
  fi
done
exit "$found"
