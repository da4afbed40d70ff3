# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the scripts in bench/: packages, the build in build-bench/, and
# servers that are stopped by their own process id when the script ends.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-bench"
started=()

stop_started() {
  local pid
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${started[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  started=()
}
trap stop_started EXIT

ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "bench: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_bench() {
  "$root/scripts/bootstrap.sh"
  cmake -S "$root" -B "$build" -DKALUMO_BENCH=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target "$@" >/dev/null
}

# Starts kalumo-hub serve (or $hub_program) on a free loopback port; sets hub_pid and hub_port.
start_hub() {
  local log="$1"; shift
  "${hub_program:-$build/bin/kalumo-hub}" serve --listen 127.0.0.1 --port 0 "$@" 2>"$log" &
  hub_pid=$!
  started+=("$hub_pid")
  local i
  for i in $(seq 100); do
    hub_port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
    [ -n "$hub_port" ] && return 0
    sleep 0.05
  done
  echo "bench: the hub did not start: $(cat "$log")" >&2
  exit 1
}

# Starts mosquitto on a free loopback port; sets broker_pid and broker_port.
# Given a certificate and its key, the listener speaks only TLS 1.3.
start_mosquitto() {
  local dir="$1" cert="${2:-}" key="${3:-}" try tls=""
  # Started by root, mosquitto would read the key as its own user, who may not.
  [ -n "$cert" ] && tls="certfile $cert
keyfile $key
tls_version tlsv1.3
user $(id -un)"
  for try in 1 2 3 4 5; do
    broker_port=$((20000 + RANDOM % 40000))
    cat >"$dir/mosquitto.conf" <<CONF
listener $broker_port 127.0.0.1
$tls
allow_anonymous true
persistence false
log_dest stderr
log_type error
set_tcp_nodelay true
max_connections -1
CONF
    mosquitto -c "$dir/mosquitto.conf" 2>"$dir/mosquitto.log" &
    broker_pid=$!
    sleep 0.3
    if kill -0 "$broker_pid" 2>/dev/null; then
      started+=("$broker_pid")
      return 0
    fi
  done
  echo "bench: mosquitto did not start: $(cat "$dir/mosquitto.log")" >&2
  exit 1
}

# CPU seconds a process has used so far, user and system together.
cpu_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '{printf "%.2f", ($14 + $15) / hz}' "/proc/$1/stat"
}

machine() {
  echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
       "$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo), $(uname -sr)," \
       "Qt $(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | cut -d+ -f1)," \
       "mosquitto $(dpkg-query -W -f='${Version}' mosquitto 2>/dev/null | cut -d- -f1)"
}
