#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The hub under load, over loopback only: 200 games of 10 players on one hub,
# each game's host sending one record every 10 ms for a minute, while in
# every game one player drops its connection and joins again every few
# seconds, and in every fourth game one player stops reading and in another
# fourth one sends garbage and oversized frames, and for the second half one
# player floods its game (bench/load.cpp has the details and the checks). Prints the checks, the hub's log counts and its
# peak memory; exits 1 when a check fails. Stops by itself within two minutes.
#
#   bench/load-test.sh [--games G] [--players P] [--seconds S] [--bytes B]
#
# The hub runs with --max-queued 131072, so a reader that stops is cut off
# within the minute even though each game sends only about 20 KB a second;
# with --records-per-second 200, as each host sends 100 records a second; and
# with --max-per-address 100000, as every player comes from 127.0.0.1.
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_bench kalumo-hub kalumo-load
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT
# Two sockets per player, one on each side, and some to spare.
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true

echo "machine: $(machine)"
start_hub "$work/hub.log" --max-queued 131072 --records-per-second 200 --max-per-address 100000
status=0
timeout --signal=KILL 110 "$build/bin/kalumo-load" --port "$hub_port" --deadline 100 "$@" || status=$?
[ $status -eq 137 ] && echo "load: killed after 110 s" >&2

count() { grep -c "$1" "$work/hub.log" || true; }
# The client has gone; give the hub a moment to see every connection close.
for i in $(seq 50); do
  [ "$(count 'join: ')" = "$(count 'leave: ')" ] && break
  sleep 0.1
done
echo "hub: $(count 'join: ') joins, $(count 'leave: ') leaves; cut off for reading too slowly: $(count 'reads too slowly');" \
     "closed for broken frames: $(count 'drop: .*frame'), for records of no known form: $(count 'no known form')," \
     "for sending too fast: $(count 'too fast')"
echo "hub: peak memory $(awk '/VmHWM/ {printf "%.1f MiB", $2 / 1024}' "/proc/$hub_pid/status")," \
     "now $(awk '/VmRSS/ {printf "%.1f MiB", $2 / 1024}' "/proc/$hub_pid/status"), CPU $(cpu_seconds "$hub_pid") s"
exit $status
