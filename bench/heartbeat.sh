#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The heartbeat's cost to the hub: N idle players answering Pings, the hub's
# CPU with Pings every 15 seconds (the release before) and with the
# heartbeat, side by side in one run (bench/heartbeat.cpp).
#
#   bench/heartbeat.sh [--players N] [--seconds S]     (5,500 players, 30 s each)
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_bench kalumo-heartbeat
echo "machine: $(machine)"
"$build/bin/kalumo-heartbeat" "$@"
