#!/usr/bin/env bash
# Builds zk-art-sheet and renders the art module's contact sheet offscreen.
#   tools/art_sheet.sh [output.png]     (default docs/art-sheet.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/art-sheet.png}"
build=build/tools
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZK_TESTS=OFF -DZK_BENCH=OFF \
      -DZK_FUZZ=OFF >/dev/null
cmake --build "$build" --target zk-art-sheet -j2
mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=offscreen "$build/tools/art_sheet/zk-art-sheet" "$out"
