#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy with the checks of .clang-tidy, two files at a time, and
# fails on any finding.
#
#   scripts/tidy.sh            the C++ files changed since this branch left main,
#                              or, on main itself, those of its last commit or merge
#   scripts/tidy.sh --all      every file the build compiles (minutes, not seconds)
#   scripts/tidy.sh FILE...    these files
#
# A changed header brings the .cpp file of the same name beside it. Only files
# the build compiles are checked, with the compile commands of build/ (or
# $BUILD_DIR), configured here if need be; nothing is built.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh clang-tidy
build="${BUILD_DIR:-build}"

if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
else
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
fi
# Every compiled file of ours: moc's generated files are Qt's, not ours.
compiled=$(python3 -c 'import json, sys; print("\n".join(e["file"] for e in json.load(open(sys.argv[1]))))' \
             "$build/compile_commands.json" | grep -v '_autogen/' | sort -u)

if [ "${1:-}" = "--all" ]; then
  candidates=$compiled
elif [ $# -gt 0 ]; then
  candidates=$(realpath "$@")
elif ! git rev-parse -q --verify HEAD >/dev/null 2>&1; then
  echo "tidy: not a git checkout, so no change to check (scripts/tidy.sh --all checks every file)"
  exit 0
else
  head=$(git rev-parse HEAD)
  base=$(git merge-base HEAD main 2>/dev/null || true)
  if [ -z "$base" ] || [ "$base" = "$head" ]; then
    base=$(git rev-parse -q --verify 'HEAD^1' || git hash-object -t tree /dev/null)
  fi
  # Changes not yet committed count too.
  changed=$(git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h')
  candidates=$(for f in $changed; do
                 case "$f" in *.h) f="${f%.h}.cpp" ;; esac
                 if [ -f "$f" ]; then realpath "$f"; fi
               done | sort -u)
fi
files=$(comm -12 <(echo "$compiled") <(echo "$candidates" | sort -u) | sed '/^$/d')

if [ -z "$files" ]; then
  echo "tidy: no file to check (only files the build compiles are checked)"
  exit 0
fi
echo "tidy: $(echo "$files" | wc -l) files"
# clang-tidy counts on standard error the warnings it found and did not show
# (those in Qt's and the system's headers); that count says nothing.
if echo "$files" | xargs -P2 -n1 clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
     2> >(grep -v ' warnings\? generated\.$' >&2); then
  echo "tidy: no finding"
else
  echo "tidy: findings above" >&2
  exit 1
fi
