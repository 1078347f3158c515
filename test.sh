#!/usr/bin/env bash
# Installs what is missing, builds in build/ and runs every test headless;
# then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan/, and a short run of each fuzz target (tests/fuzz/run_fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")"
./setup_deps.sh
# Every C++ file is kept in the house format.
if command -v clang-format >/dev/null; then
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

# Any sanitizer report ends its test with a failure.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEK_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build build-asan -j"$(nproc)" --target vek_core_tests vek_gui_tests vek_e2e_tests
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

tests/fuzz/run_fuzz.sh
