#!/usr/bin/env bash
# Builds zk-screens and renders the table windows offscreen into docs/
# (screen-*.png) from a scripted game; no network is used.
#   tools/screenshots.sh [output-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs}"
build=build/tools
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZK_TESTS=OFF -DZK_BENCH=OFF \
      -DZK_FUZZ=OFF >/dev/null
cmake --build "$build" --target zk-screens -j2
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/tools/screens/zk-screens" "$out"
