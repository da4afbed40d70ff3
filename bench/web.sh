#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Browser players against the windows' link, side by side in one run: the
# fan-out of G games of P players (bench/fanout.cpp) with every player a
# window, then with every player a browser's WebSocket, on the same hub
# process, and the ratio of the two; then the hub's memory per idle joined
# browser connection at N connections, beside a window's.
#
#   bench/web.sh [--games G] [--players P] [--seconds S] [--window W] [--bytes N] [--idle N]
#
# Defaults: 50 games of 10 players, 10 measured seconds after 1 of warm-up,
# 8 records on the way per game, 64 bytes of message text; 1,000 idle
# connections.
set -euo pipefail
source "$(dirname "$0")/common.sh"

args=(--games 50 --players 10 --seconds 10 --window 8 --bytes 64)
seconds=10 idle=1000
while [ $# -gt 0 ]; do
  case "$1" in
    --idle) idle=$2 ;;
    --seconds) seconds=$2; args+=("$1" "$2") ;;
    *) args+=("$1" "${2:-}") ;;
  esac
  shift $(($# > 1 ? 2 : 1))
done

build_bench kalumo-hub kalumo-fanout kalumo-connect
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true

echo "machine: $(machine)"
run_one() { # name pid port [--web]
  local before after
  before=$(cpu_seconds "$2")
  "$build/bin/kalumo-fanout" --hub "$3" "${@:4}" "${args[@]}" >"$work/$1.out" || { cat "$work/$1.out"; echo "bench: $1 run failed" >&2; exit 1; }
  after=$(cpu_seconds "$2")
  head -1 "$work/$1.out"
  echo "               server CPU: $(awk -v a="$after" -v b="$before" -v s="$seconds" 'BEGIN {printf "%.2f s over the run (%.0f%% of one core over the measured seconds)", a - b, 100 * (a - b) / (s + 1)}')"
}
value() { sed -n "s/.* $2=\([0-9.]*\).*/\1/p" "$work/$1.out"; }

# The benchmark measures fan-out itself: the limits meant for hostile players are lifted.
unlimited=(--records-per-second 1000000000 --bytes-per-second 1000000000000 --max-per-address 1000000)
start_hub "$work/hub.log" "${unlimited[@]}"
run_one windows "$hub_pid" "$hub_port"
run_one browsers "$hub_pid" "$hub_port" --web
awk -v br="$(value browsers rate)" -v wr="$(value windows rate)" -v bp="$(value browsers p99)" -v wp="$(value windows p99)" \
  'BEGIN {printf "ratio (browsers / windows): deliveries/s %.2f x (goal at least 0.5), p99 latency %.2f x (goal at most 2)\n", br / wr, bp / wp}'
stop_started

for mode in --web ""; do
  start_hub "$work/hub-idle.log" "${unlimited[@]}"
  "$build/bin/kalumo-connect" --hub "$hub_port" $mode --idle "$idle" --pid "$hub_pid" >"$work/idle.out"
  echo "$([ -n "$mode" ] && echo "browsers (goal at most 16 KiB each)" || echo windows): $(head -1 "$work/idle.out")"
  stop_started
done
