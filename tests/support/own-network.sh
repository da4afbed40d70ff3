#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test in a network namespace of its own, where it may drop packets on
# loopback (KALUMO_OWN_NETWORK=1) without touching the machine's firewall;
# where no namespace can be made, runs it as it is.
#   own-network.sh PROGRAM [ARGUMENTS...]
PATH=$PATH:/usr/sbin:/sbin
inside='ip link set lo up && KALUMO_OWN_NETWORK=1 exec "$@"'
if command -v nft >/dev/null && command -v ip >/dev/null; then
  for how in "--net" "--net --map-root-user"; do
    # shellcheck disable=SC2086 # the options are words
    if unshare $how true 2>/dev/null; then
      exec unshare $how sh -c "$inside" sh "$@"
    fi
  done
fi
exec "$@"
