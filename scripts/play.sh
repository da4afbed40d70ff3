#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts a local game: a hub and one window per named player; the first hosts.
#   ./scripts/play.sh Ann Bob
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- Ann Bob
./scripts/build.sh
exec build/bin/kalumo-hub play "$@"
