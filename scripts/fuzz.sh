#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes everything that reads input from outside, a bounded time per target,
# and keeps what it learns as a small corpus under tests/fuzz/corpus/TARGET/.
#
#   scripts/fuzz.sh [--time SECONDS] [TARGET...]
#
# --time   seconds per target (default 60)
# TARGET   names from tests/fuzz/*_fuzz.cpp (default: all of them)
#
# The targets are built with clang, libFuzzer, ASan and UBSan in build-fuzz/.
# After each run the corpus is minimised: only inputs that reach code no other
# input reaches are kept. A crash is saved in build-fuzz/crashes/TARGET/ and
# copied into the corpus as crash-*, so the ordinary test run, which replays
# every corpus, fails on it until it is fixed. Exits 1 if any target crashed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=60
targets=()

while [ $# -gt 0 ]; do
  case "$1" in
    --time) seconds=$2; shift 2 ;;
    --time=*) seconds=${1#--time=}; shift ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz: --time takes whole seconds" >&2; exit 2; }

"$root/scripts/bootstrap.sh"
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "fuzz: installing ${missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$f"); targets+=("${name%_fuzz.cpp}")
  done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DKALUMO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target $(printf 'fuzz_%s ' "${targets[@]}")

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

crashed=()
for t in "${targets[@]}"; do
  program="$build/bin/fuzz_$t"
  corpus="$root/tests/fuzz/corpus/$t"
  work="$build/work/$t"
  crashes="$build/crashes/$t"
  [ -x "$program" ] || { echo "fuzz: no target $t" >&2; exit 2; }
  rm -rf "$work"; mkdir -p "$work/new" "$work/seeds" "$work/kept" "$crashes" "$corpus"
  # Inputs that once crashed stay as they are; the rest seed this run.
  find "$corpus" -maxdepth 1 -type f ! -name 'crash-*' -exec cp {} "$work/seeds/" \;

  echo "fuzz: $t for ${seconds}s"
  status=0
  # No leak check after each input: targets keep a hub or a server between
  # inputs, and the check would cost nine runs in ten. Leaks are caught when
  # the sanitizer build replays the corpus (scripts/test-sanitizers.sh).
  "$program" -max_total_time="$seconds" -detect_leaks=0 -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "$work/new" "$work/seeds" >"$work/log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$work/log" | sed "s/^/fuzz: $t: /" || true
  if [ $status -ne 0 ]; then
    crashed+=("$t")
    echo "fuzz: $t CRASHED; log in $work/log" >&2
    grep -E 'ERROR|rule broken|SUMMARY' "$work/log" | head -5 >&2 || true
    for f in "$crashes"/*; do
      [ -f "$f" ] && cp "$f" "$corpus/crash-$(sha1sum "$f" | cut -c1-16)"
    done
    continue
  fi

  # Keep only what adds coverage, then replace the kept corpus with it.
  "$program" -merge=1 -timeout=10 -rss_limit_mb=2048 "$work/kept" "$work/seeds" "$work/new" >"$work/merge.log" 2>&1
  find "$corpus" -maxdepth 1 -type f ! -name 'crash-*' -delete
  cp "$work/kept"/* "$corpus/" 2>/dev/null || true
  echo "fuzz: $t: corpus of $(find "$corpus" -maxdepth 1 -type f | wc -l) inputs"
done

if [ ${#crashed[@]} -gt 0 ]; then
  echo "fuzz: crashes in: ${crashed[*]}" >&2
  exit 1
fi
echo "fuzz: no crash in ${#targets[@]} targets"
