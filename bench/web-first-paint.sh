#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The browser player's first paint: headless chromium with its CPU slowed
# four times loads the page from a hub on loopback, in a fresh browser
# context each run (nothing cached), and reports the first contentful paint.
#
#   bench/web-first-paint.sh [RUNS]     (default 20)
set -euo pipefail
source "$(dirname "$0")/common.sh"

runs=${1:-20}
build_bench kalumo-hub
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT

echo "machine: $(machine)"
start_hub "$work/hub.log"
node "$root/bench/webfirstpaint.mjs" "$hub_port" "$runs"
