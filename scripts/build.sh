#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, then configures and builds into build/ (or $BUILD_DIR).
# KALUMO_WERROR=ON makes every warning an error, as CI builds; it is off
# unless asked for, each time, so a player's build never stops on a warning.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DKALUMO_WERROR="${KALUMO_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
