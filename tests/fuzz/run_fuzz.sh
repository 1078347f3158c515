#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ (preset fuzz) and runs each
# of them for a bounded time (FUZZ_SECONDS, default 30) from its seed corpus. Without
# clang and its libFuzzer runtime it says so and does nothing.
#   tests/fuzz/run_fuzz.sh                  every target, 30 s each
#   FUZZ_SECONDS=3600 tests/fuzz/run_fuzz.sh fuzz_bmp   one target, an hour
# Inputs found along the way stay in build-fuzz/corpus/<target>; an input
# that breaks a target is kept as build-fuzz/<target>-crash-… and fails the run.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-30}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_numbers fuzz_table fuzz_format fuzz_bmp fuzz_jpeg fuzz_png fuzz_tiff)

if ! command -v clang++ >/dev/null ||
   ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
     clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
  echo "fuzzing skipped: clang++ with libFuzzer not found"
  exit 0
fi

command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" --target "${targets[@]}"

for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  echo "fuzzing $t for ${seconds} s"
  if ! build-fuzz/tests/fuzz/"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
       -print_final_stats=1 -artifact_prefix="build-fuzz/$t-" \
       "build-fuzz/corpus/$t" "tests/fuzz/corpus/$t" >"build-fuzz/$t.log" 2>&1; then
    tail -n 40 "build-fuzz/$t.log"
    echo "fuzzing $t FAILED (log: build-fuzz/$t.log)"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' "build-fuzz/$t.log" | sed "s/^/  $t /"
done
