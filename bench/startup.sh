#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The start-up benchmark: kalumo-bingo against a minimal Qt Widgets program
# that shows one empty window, in turn in one run, both under the offscreen
# platform. Measures the time from process start until the window is shown
# and the peak memory until then (bench/startup.cpp), and prints the ratio.
# The game joins a hub on loopback as it starts, as it would in play.
#
#   bench/startup.sh [RUNS]     (default 20)
set -euo pipefail
source "$(dirname "$0")/common.sh"

runs=${1:-20}
build_bench kalumo-hub kalumo-bingo kalumo-startup kalumo-startup-probe kalumo-minimal-window
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT

# Qt complains on every start when the runtime folder is missing.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

echo "machine: $(machine)"
start_hub "$work/hub.log"
"$build/bin/kalumo-startup" "$build/bench/libkalumo-startup-probe.so" "$runs" \
  "$build/bin/kalumo-bingo" x "$hub_port" "K%n" Ann Ann -- "$build/bin/kalumo-minimal-window"
