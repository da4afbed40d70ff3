#!/usr/bin/env bash
# The fan-out benchmark, kalumo-hub and mosquitto side by side in one run:
# G games of P players over loopback, each game's host sending records as
# fast as the server takes them (bench/fanout.cpp has the workload). Prints
# each server's deliveries per second and latency, the CPU time each server
# used, and the ratio of the two.
#
#   bench/fanout.sh [--games G] [--players P] [--seconds S] [--window W] [--bytes N]
#
# Defaults: 50 games of 10 players, 10 measured seconds after 1 of warm-up,
# 8 records on the way per game, 64 bytes of message text.
set -euo pipefail
source "$(dirname "$0")/common.sh"

args=(--games 50 --players 10 --seconds 10 --window 8 --bytes 64)
[ $# -gt 0 ] && args+=("$@")
seconds=10
for ((i = 0; i < ${#args[@]}; ++i)); do
  [ "${args[$i]}" = --seconds ] && seconds=${args[$((i + 1))]}
done

ensure_packages mosquitto
build_bench kalumo-hub kalumo-fanout
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT

echo "machine: $(machine)"
run_one() { # name pid flag port
  local before after
  before=$(cpu_seconds "$2")
  "$build/bin/kalumo-fanout" "$3" "$4" "${args[@]}" >"$work/$1.out" || { cat "$work/$1.out"; echo "bench: $1 run failed" >&2; exit 1; }
  after=$(cpu_seconds "$2")
  head -1 "$work/$1.out"
  echo "           server CPU: $(awk -v a="$after" -v b="$before" -v s="$seconds" 'BEGIN {printf "%.2f s over the run (%.0f%% of one core over the measured seconds)", a - b, 100 * (a - b) / (s + 1)}')"
}

# The benchmark measures fan-out itself: the limits meant for hostile windows are lifted.
start_hub "$work/hub.log" --records-per-second 1000000000 --bytes-per-second 1000000000000 --max-per-address 1000000
run_one hub "$hub_pid" --hub "$hub_port"
start_mosquitto "$work"
run_one mosquitto "$broker_pid" --mqtt "$broker_port"

value() { sed -n "s/.* $2=\([0-9]*\).*/\1/p" "$work/$1.out"; }
awk -v hr="$(value hub rate)" -v mr="$(value mosquitto rate)" -v hp="$(value hub p99)" -v mp="$(value mosquitto p99)" \
  'BEGIN {printf "ratio (kalumo-hub / mosquitto): deliveries/s %.2f x, p99 latency %.2f x\n", hr / mr, hp / mp}'
