#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes docs/screenshot.png again: three windows of one game (Hal hosts, Ann
# and Bob play) the moment Ann's win is announced, drawn without a display
# (Qt's offscreen platform). Builds in build-screenshot/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
build=build-screenshot
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DKALUMO_SCREENSHOT=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" --target kalumo-screenshot
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/bin/kalumo-screenshot" docs/screenshot.png
echo "screenshot: docs/screenshot.png"
