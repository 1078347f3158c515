#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts Vek.
set -euo pipefail
cd "$(dirname "$0")"
./setup_deps.sh
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)" --target vek
exec ./build/vek "$@"
