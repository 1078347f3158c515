#!/usr/bin/env bash
# Takes the README's screenshots of both roads on the sample facade under Xvfb
# with the openbox window manager: every scene at 1920 x 1080, the first two
# also at 1366 x 768, the whole-photograph scenes at 1366 x 768 only. Needs xvfb and openbox (development tools, not
# dependencies of Vek): apt-get install xvfb openbox.
#   tools/screenshots.sh [scene ...]     (default: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j2 --target screenshot_scenes
mkdir -p docs
scenes=("$@")
[ ${#scenes[@]} -gt 0 ] || scenes=(image results scale rectified export lines ratio scale-fit ratio-fit)
display=${DISPLAY_NUMBER:-:77}
for size in 1920x1080 1366x768; do
  Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp &
  xvfb=$!
  sleep 1
  DISPLAY="$display" openbox &
  wm=$!
  sleep 3  # the window manager in place before the first window maps
  for scene in "${scenes[@]}"; do
    case "$size $scene" in
      "1920x1080 "*-fit) continue ;;
      "1366x768 image" | "1366x768 results" | "1366x768 "*-fit) ;;
      "1366x768 "*) continue ;;
    esac
    DISPLAY="$display" QT_QPA_PLATFORM=xcb build/screenshot_scenes "$scene" "docs/$scene-$size.png"
  done
  kill "$wm" "$xvfb"
  wait "$wm" "$xvfb" 2>/dev/null || true
done
