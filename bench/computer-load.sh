#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Real rounds of bingo as load: G games on one hub, each of one computer host
# calling a number every I seconds and P computer players marking, claiming
# and chatting, for S seconds of play (bench/computerload.cpp has the
# details). Prints the rounds won, the claims, the wins, the delivery latency
# of the calls and the hub's CPU and memory; exits 1 when a player could not
# join, no round was won or the hub's p99 latency (bench/computerload.cpp says
# how it is taken) is not under 10 ms. Stops by itself within S + 60 seconds.
#
#   bench/computer-load.sh [--games G] [--players P] [--interval I] [--seconds S] [--threads T]
#
# The hub runs with --max-per-address 100000, as every player connects from
# 127.0.0.1; its other limits stay at their defaults.
set -euo pipefail
source "$(dirname "$0")/common.sh"

seconds=40
args=("$@")
for ((i = 0; i + 1 < ${#args[@]}; i++)); do
  [ "${args[i]}" = --seconds ] && seconds=${args[i + 1]}
done

build_bench kalumo-hub kalumo-computer-load
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT
# Two sockets per player, one on each side, and some to spare.
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true

echo "machine: $(machine)"
start_hub "$work/hub.log" --max-per-address 100000
status=0
timeout --signal=KILL "$((${seconds%.*} + 60))" \
  "$build/bin/kalumo-computer-load" --port "$hub_port" --hub-pid "$hub_pid" "$@" || status=$?
[ $status -eq 137 ] && echo "computer-load: killed after $((${seconds%.*} + 60)) s" >&2
count() { grep -c "$1" "$work/hub.log" || true; }
echo "hub: $(count 'join: ') joins, $(count 'drop: ') drops, $(count 'refuse: ') refusals"
exit $status
