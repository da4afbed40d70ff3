#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A home behind a router, in network namespaces, for the port mapping test:
#   PREFIXr  the router: 11.22.33.1 outside (PREFIXw), 192.168.77.1 at home (bridge PREFIXb)
#   PREFIXh  the host's machine at home, 192.168.77.5
#   PREFIXl  another machine at home, 192.168.77.6
#   PREFIXo  a machine outside, 11.22.33.2
# The router masquerades the home, and its miniupnpd adds forwardings.
#   homerouter.sh up PREFIX FOLDER     makes them and starts the router's daemon (its files in FOLDER)
#   homerouter.sh down PREFIX FOLDER   stops the daemon and removes them
# It exits with 77 when a tool it needs is missing.
set -eu
PATH=$PATH:/usr/sbin:/sbin
p=$2 dir=$3
if [ "$1" = down ]; then
  [ -s "$dir/miniupnpd.pid" ] && kill "$(cat "$dir/miniupnpd.pid")" 2>/dev/null || true
  for n in r h l o; do ip netns del "$p$n" 2>/dev/null || true; done
  exit 0
fi
for tool in ip nft miniupnpd; do command -v "$tool" >/dev/null || exit 77; done
for n in r h l o; do ip netns add "$p$n"; ip -n "$p$n" link set lo up; done
ip link add "${p}w" netns "${p}r" type veth peer name "${p}ow" netns "${p}o"
ip -n "${p}r" link add "${p}b" type bridge
for n in h l; do
  ip link add "${p}r$n" netns "${p}r" type veth peer name "${p}${n}l" netns "$p$n"
  ip -n "${p}r" link set "${p}r$n" master "${p}b" up
  ip -n "$p$n" link set "${p}${n}l" up
done
ip -n "${p}r" addr add 11.22.33.1/24 dev "${p}w"
ip -n "${p}o" addr add 11.22.33.2/24 dev "${p}ow"
ip -n "${p}r" addr add 192.168.77.1/24 dev "${p}b"
ip -n "${p}h" addr add 192.168.77.5/24 dev "${p}hl"
ip -n "${p}l" addr add 192.168.77.6/24 dev "${p}ll"
for link in "r ${p}w" "r ${p}b" "o ${p}ow"; do set -- $link; ip -n "$p$1" link set "$2" up; done
for n in h l; do ip -n "$p$n" route add default via 192.168.77.1; done
ip netns exec "${p}r" sysctl -qw net.ipv4.ip_forward=1
# The chains miniupnpd writes its forwardings into (Debian's own set-up
# script for them is broken in this version).
ip netns exec "${p}r" nft -f - <<NFT
table ip nat {
  chain postrouting { type nat hook postrouting priority 100; oifname "${p}w" masquerade; }
}
table inet filter {
  chain miniupnpd { }
  chain forward { type filter hook forward priority 0; policy accept; jump miniupnpd; }
  chain prerouting_miniupnpd { }
  chain postrouting_miniupnpd { }
  chain prerouting { type nat hook prerouting priority -100; policy accept; jump prerouting_miniupnpd; }
  chain postrouting { type nat hook postrouting priority 100; policy accept; jump postrouting_miniupnpd; }
}
NFT
cat > "$dir/miniupnpd.conf" <<CONF
ext_ifname=${p}w
ext_ip=11.22.33.1
listening_ip=${p}b
port=5000
enable_natpmp=yes
enable_upnp=yes
secure_mode=no
system_uptime=yes
uuid=3d3cec3a-8cf0-11e0-98ee-001a6bd2d07b
allow 1024-65535 192.168.77.0/24 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
CONF
ip netns exec "${p}r" miniupnpd -d -f "$dir/miniupnpd.conf" >"$dir/miniupnpd.log" 2>&1 &
echo $! >"$dir/miniupnpd.pid"
for _ in $(seq 50); do grep -q "Listening for NAT-PMP" "$dir/miniupnpd.log" && exit 0; sleep 0.1; done
cat "$dir/miniupnpd.log" >&2
exit 1
