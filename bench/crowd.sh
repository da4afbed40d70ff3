#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A crowd of silent connections from one address against joins from another
# (bench/crowd.cpp): the TLS hub and the plain hub of this build in one run,
# and beside them, given --before, an earlier kalumo-hub over TLS. The hub
# runs with HUB_FILES descriptors, as a desktop session gives it; the crowd
# raises its own limit as far as the machine lets it. --hub measures a
# kalumo-hub built elsewhere in place of build-bench's.
#
#   bench/crowd.sh [--silent N] [--joins J] [--hub-files N] [--hub PATH] [--before PATH]
#                  (defaults 10000, 20, 1024)
set -euo pipefail
source "$(dirname "$0")/common.sh"

silent=10000 joins=20 hub_files=1024 hub="" before=""
while [ $# -gt 0 ]; do
  case "$1" in
    --silent) silent=$2 ;;
    --joins) joins=$2 ;;
    --hub-files) hub_files=$2 ;;
    --hub) hub=$(realpath "$2") ;;
    --before) before=$(realpath "$2") ;;
    *) echo "usage: bench/crowd.sh [--silent N] [--joins J] [--hub-files N] [--hub PATH] [--before PATH]" >&2; exit 2 ;;
  esac
  shift 2
done
if [ -n "$hub" ]; then
  build_bench kalumo-crowd
else
  build_bench kalumo-hub kalumo-crowd
  hub="$build/bin/kalumo-hub"
fi
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" # the TLS hub makes its certificate there
ulimit -n "$(ulimit -Hn)"

measure() {
  local label="$1" program="$2"; shift 2
  hub_program="$program" start_hub "$work/hub.log" "$@"
  prlimit --pid "$hub_pid" --nofile="$hub_files:$hub_files"
  echo "== $label, $silent silent connections, hub limited to $hub_files descriptors"
  local tls=""
  [[ " $* " == *" --tls "* ]] && tls="--tls"
  "$build/bin/kalumo-crowd" --hub "$hub_port" $tls --silent "$silent" --joins "$joins" --pid "$hub_pid"
  stop_started
}

echo "machine: $(machine)"
measure "TLS hub, this build" "$hub" --tls
measure "plain hub, this build" "$hub"
[ -n "$before" ] && measure "TLS hub, $before" "$before" --tls
exit 0
