#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan/ and runs it, fuzz corpus replays included. Any report fails
# the run: UBSan stops at the first finding, LeakSanitizer checks every test
# process (and the game and hub programs the tests start) at exit. Leaks from
# inside Qt's and the system's libraries are suppressed in scripts/lsan.supp.
# A compiler warning is an error here, as in CI.
#
#   scripts/test-sanitizers.sh [extra ctest arguments]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-asan"

"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$build" -DKALUMO_SANITIZE=ON -DKALUMO_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure "$@"
