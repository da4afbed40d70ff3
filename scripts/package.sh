#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in build-package/ and checks it with lintian:
#   scripts/package.sh        then: sudo apt install ./build-package/kalumo-bingo_*.deb
# The package's dependencies are read off the programs (dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
missing=()
for p in dpkg-dev file lintian; do   # dpkg-shlibdeps, and lintian with what it uses
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
build=build-package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKALUMO_INSTALL_BINDIR=games "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && rm -f ./*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kalumo-bingo_*.deb)
echo "package: $deb"
# Errors fail the run; warnings are shown.
lintian --fail-on error "$deb"
