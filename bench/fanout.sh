#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The fan-out benchmark, kalumo-hub and mosquitto side by side in one run:
# G games of P players over loopback, each game's host sending records as
# fast as the server takes them (bench/fanout.cpp has the workload). Prints
# each server's deliveries per second and latency, the CPU time each server
# used, and the ratio of the two; first plain, then with every connection
# over TLS 1.3 (kalumo-hub serve --tls against mosquitto's TLS listener, with
# the same certificate and key). Then the TLS hub's connection costs
# (bench/connect.cpp): handshakes a second, each followed by a join, with the
# hub's CPU time per handshake; and the hub's memory per idle joined
# connection at N connections, over TLS and plain.
#
#   bench/fanout.sh [--games G] [--players P] [--seconds S] [--window W] [--bytes N]
#                   [--handshake-seconds S] [--idle N]
#
# Defaults: 50 games of 10 players, 10 measured seconds after 1 of warm-up,
# 8 records on the way per game, 64 bytes of message text; 5 seconds of
# handshakes, 10,000 idle connections.
set -euo pipefail
source "$(dirname "$0")/common.sh"

args=(--games 50 --players 10 --seconds 10 --window 8 --bytes 64)
seconds=10 handshake_seconds=5 idle=10000
while [ $# -gt 0 ]; do
  case "$1" in
    --handshake-seconds) handshake_seconds=$2 ;;
    --idle) idle=$2 ;;
    --seconds) seconds=$2; args+=("$1" "$2") ;;
    *) args+=("$1" "${2:-}") ;;
  esac
  shift $(($# > 1 ? 2 : 1))
done

ensure_packages mosquitto
build_bench kalumo-hub kalumo-fanout kalumo-connect
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT
# The TLS hub makes its certificate and key here, and mosquitto uses the same.
export XDG_CONFIG_HOME="$work"
# Each idle connection is a descriptor in the client and one in the hub.
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true
if [ "$(ulimit -n)" -lt $((idle + 100)) ]; then
  idle=$(($(ulimit -n) - 100))
  echo "bench: only $(ulimit -n) descriptors a process: $idle idle connections"
fi

echo "machine: $(machine)"
run_one() { # name pid flag port [--tls]
  local before after
  before=$(cpu_seconds "$2")
  "$build/bin/kalumo-fanout" "$3" "$4" "${@:5}" "${args[@]}" >"$work/$1.out" || { cat "$work/$1.out"; echo "bench: $1 run failed" >&2; exit 1; }
  after=$(cpu_seconds "$2")
  head -1 "$work/$1.out"
  echo "               server CPU: $(awk -v a="$after" -v b="$before" -v s="$seconds" 'BEGIN {printf "%.2f s over the run (%.0f%% of one core over the measured seconds)", a - b, 100 * (a - b) / (s + 1)}')"
}
value() { sed -n "s/.* $2=\([0-9.]*\).*/\1/p" "$work/$1.out"; }
ratio() { # hub-run mosquitto-run
  awk -v hr="$(value "$1" rate)" -v mr="$(value "$2" rate)" -v hp="$(value "$1" p99)" -v mp="$(value "$2" p99)" \
    'BEGIN {printf "ratio (kalumo-hub / mosquitto): deliveries/s %.2f x, p99 latency %.2f x\n", hr / mr, hp / mp}'
}

# The benchmark measures fan-out itself: the limits meant for hostile windows are lifted.
unlimited=(--records-per-second 1000000000 --bytes-per-second 1000000000000 --max-per-address 1000000)
start_hub "$work/hub.log" "${unlimited[@]}"
run_one hub "$hub_pid" --hub "$hub_port"
start_mosquitto "$work"
run_one mosquitto "$broker_pid" --mqtt "$broker_port"
ratio hub mosquitto
stop_started

echo "over TLS 1.3:"
start_hub "$work/hub-tls.log" --tls "${unlimited[@]}"
run_one hub-tls "$hub_pid" --hub "$hub_port" --tls
stop_started
start_mosquitto "$work" "$work/kalumo/hub/cert.pem" "$work/kalumo/hub/key.pem"
run_one mosquitto-tls "$broker_pid" --mqtt "$broker_port" --tls
ratio hub-tls mosquitto-tls
stop_started

start_hub "$work/hub-handshakes.log" --tls "${unlimited[@]}"
before=$(cpu_seconds "$hub_pid")
"$build/bin/kalumo-connect" --hub "$hub_port" --tls --rate "$handshake_seconds" >"$work/handshakes.out"
after=$(cpu_seconds "$hub_pid")
awk -v j="$(value handshakes joins)" -v a="$after" -v b="$before" -v s="$handshake_seconds" \
  'BEGIN {each = (a - b) / (j * s); printf "TLS handshakes (each with its join): %.0f a second; the hub used %.2f ms of CPU for each, about %.0f a second for one core\n", j, 1000 * each, 1 / each}'
stop_started

for mode in --tls ""; do
  start_hub "$work/hub-idle.log" $mode "${unlimited[@]}"
  "$build/bin/kalumo-connect" --hub "$hub_port" $mode --idle "$idle" --pid "$hub_pid" >"$work/idle.out"
  echo "$([ -n "$mode" ] && echo TLS || echo plain): $(head -1 "$work/idle.out")"
  stop_started
done
