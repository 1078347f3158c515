#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts Vek.
set -euo pipefail
cd "$(dirname "$0")"
./setup_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vek
exec ./build/vek "$@"
