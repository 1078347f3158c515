#!/usr/bin/env bash
# ./test.sh         the everyday check: installs what is missing, checks the
#                   house format, builds build/ (preset dev) and runs the suite.
# ./test.sh --full  all of the above, then the suite built with AddressSanitizer
#                   and UndefinedBehaviorSanitizer in build-asan/ (preset asan)
#                   and a short run of every fuzz target in build-fuzz/ (preset
#                   fuzz, FUZZ_SECONDS each, 10 unless set). Both of these treat
#                   warnings as errors.
# The time of each stage is printed at the end, also when a stage fails.
set -euo pipefail
cd "$(dirname "$0")"
full=0
case "${1:-}" in
  "") ;;
  --full) full=1 ;;
  *) echo "usage: ./test.sh [--full]" >&2; exit 2 ;;
esac

stages=()
started=$(date +%s.%N)
report() {
  local rc=$? end
  end=$(date +%s.%N)
  echo
  echo "stage times:"
  for s in "${stages[@]}"; do echo "  $s"; done
  awk -v a="$started" -v b="$end" 'BEGIN { printf "  %-22s %7.1f s\n", "total", b - a }'
  [ "$rc" -eq 0 ] && echo "all passed" || echo "FAILED (exit $rc)"
}
trap report EXIT
stage() {
  local name=$1 t0 t1
  shift
  t0=$(date +%s.%N)
  "$@"
  t1=$(date +%s.%N)
  stages+=("$(awk -v n="$name" -v a="$t0" -v b="$t1" 'BEGIN { printf "%-22s %7.1f s", n, b - a }')")
}

format_check() {
  command -v clang-format >/dev/null || { echo "format check skipped: no clang-format"; return; }
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
}

# The compiler cache, where installed, makes a rebuild after a branch switch cheap.
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

stage "dependencies" ./setup_deps.sh
stage "format" format_check
stage "configure" cmake --preset dev >/dev/null
stage "build" cmake --build --preset dev -j"$jobs"
stage "tests" ctest --preset dev -j"$jobs"
[ "$full" -eq 1 ] || exit 0

stage "asan configure" cmake --preset asan >/dev/null
stage "asan build" cmake --build --preset asan -j"$jobs"
stage "asan tests" ctest --preset asan -j"$jobs"
stage "fuzz" env FUZZ_SECONDS="${FUZZ_SECONDS:-10}" tests/fuzz/run_fuzz.sh
