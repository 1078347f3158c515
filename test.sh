#!/usr/bin/env bash
# Installs what is missing, builds in build/ and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
./setup_deps.sh
# Every C++ file is kept in the house format.
if command -v clang-format >/dev/null; then
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
