#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The chaos test at full length, on loopback only: a computer host calling
# every second and nine computer players, each connection cut at random every
# one to five seconds for a minute, the hub killed and started again halfway
# (Chaos.* in test_cuts, tests/hub/cuts_test.cpp). At the end every player must hold the host's
# numbers and every win once, and no winner's total may repeat or skip. The
# ordinary test run has a six-second form of it. Stops by itself within three
# minutes.
#
#   scripts/chaos.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j2 --target test_cuts kalumo-hub >/dev/null
KALUMO_CHAOS_SECONDS=${1:-60} KALUMO_CHAOS_SPEED=1 QT_QPA_PLATFORM=offscreen \
  timeout --signal=KILL 170 "$build/bin/test_cuts" --gtest_filter=Chaos.*
