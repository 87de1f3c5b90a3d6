#!/usr/bin/env bash
# Builds zk-icon and writes the application icon into assets/icons/: PNGs at
# 16, 32, 48, 64, 128 and 256 pixels and the scalable SVG, all drawn by our
# own dice art. The files are committed; `cmake --install` puts them into the
# hicolor theme.
#
#   tools/make_icons.sh [output-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-assets/icons}"
build=build/tools
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZK_TESTS=OFF -DZK_BENCH=OFF \
      -DZK_FUZZ=OFF >/dev/null
cmake --build "$build" --target zk-icon -j2
QT_QPA_PLATFORM=offscreen "$build/tools/icon/zk-icon" "$out"
