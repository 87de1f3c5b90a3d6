#!/usr/bin/env bash
# Two homes behind NAT routers and a public network between them, all made
# of network namespaces, and a test program run in home B:
#   bash internet_netns.sh PROGRAM [ARGUMENTS...]
#
#   public  br0 100.128.0.1/24 (and .9), bridging up-a and up-b
#   router A  wan0 100.128.0.2/24, lan0 192.168.77.1/24    home A  eth0 192.168.77.2/24
#   router B  wan0 100.128.0.3/24, lan0 192.168.78.1/24    home B  eth0 192.168.78.2/24
#
# The routers masquerade what leaves a home and drop what comes in: no port
# is forwarded. Router A may run miniupnpd (in its namespace only, started by
# the router test's helper with its configuration and nftables chains); its
# WAN is in 100.128.0.0/24, as miniupnpd refuses reserved blocks. The public
# side has no other link and no route: nothing leaves the namespaces.
#
# PROGRAM runs in home B with ZK_NET_PUB and ZK_NET_HOME_A (the namespaces'
# names, for `ip netns exec`) and ZK_NET_ROUTER_A (with upnp or off: starts
# or ends router A's miniupnpd and returns once done).
#
# Exit code: PROGRAM's; 1 when the network did not work or a process of the
# test outlived it; 77 with the reason when this computer cannot make the
# namespaces. ZK_INTERNET_KEEP=1 keeps the test's folder.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
portmap=$here/../portmap/portmap_netns.sh

skip() { echo "internet_netns: skipped: $*" && exit 77; }
fail() { echo "internet_netns: $*" >&2 && exit 1; }
carrier() { ip -n "$1" -o link show "$2" | grep -q LOWER_UP; }
pids_in() { ip netns pids "$1" 2>/dev/null || true; }

# check_only NAMESPACE LINKS: the namespace has these links and no other.
check_only() {
  local links
  links=$(ip -n "$1" -o link show | awk -F': ' '{sub(/@.*/, "", $2); print $2}' | sort | tr '\n' ' ')
  [[ "$links" == "$2 " ]] || fail "namespace $1 has links '$links', not '$2'"
}

remove() { # NAMESPACE...: ends what runs in them, then deletes them
  local name pids
  for name in "$@"; do
    pids=$(pids_in "$name")
    [[ -z $pids ]] || kill -KILL $pids 2>/dev/null || true
  done
  for name in "$@"; do
    for _ in $(seq 50); do
      [[ -n $(pids_in "$name") ]] || break
      sleep 0.1
    done
    ip netns del "$name" 2>/dev/null || true
  done
}

cleanup() {
  local rc=$? name
  trap - EXIT
  remove "${all[@]}"
  for name in "${all[@]}"; do
    ! ip netns list | grep -qE "^$name( |$)" || { echo "internet_netns: namespace $name was left behind" >&2 && rc=1; }
  done
  if ((rc != 0 && rc != 77)) && [[ -f $dir/miniupnpd.log ]]; then
    echo "--- miniupnpd's log (last lines)" && tail -n 20 "$dir/miniupnpd.log"
  fi
  if [[ "${ZK_INTERNET_KEEP:-}" == 1 ]]; then echo "internet_netns: kept $dir"; else rm -rf "$dir"; fi
  exit "$rc"
}

# router LETTER NAMESPACE WAN_ADDRESS HOME_NET HOME_NAMESPACE: a NAT router and its home.
router() {
  local r=$2 h=$5 net=${4%.0/24}
  ip link add wan0 netns "$r" type veth peer name "up-$1" netns "$pub" 2>/dev/null || skip "cannot create a veth pair here"
  ip link add lan0 netns "$r" type veth peer name eth0 netns "$h"
  ip -n "$pub" link set "up-$1" master br0 up
  ip -n "$r" addr add "$3/24" dev wan0 && ip -n "$r" link set wan0 up
  ip -n "$r" addr add "$net.1/24" dev lan0 && ip -n "$r" link set lan0 up
  ip -n "$h" addr add "$net.2/24" dev eth0 && ip -n "$h" link set eth0 up
  ip -n "$h" route add default via "$net.1"
  ip netns exec "$r" sysctl -qw net.ipv4.ip_forward=1
  # Out with masquerade; in only what is answered, or what miniupnpd's
  # chains (named as its configuration names them) let through.
  ip netns exec "$r" nft -f - <<'NFT'
table inet miniupnpd {
  chain forward { type filter hook forward priority 0; policy drop; ct state established,related accept
                  iifname "lan0" oifname "wan0" accept; jump forward_miniupnpd; }
  chain prerouting { type nat hook prerouting priority -100; jump prerouting_miniupnpd; }
  chain postrouting { type nat hook postrouting priority 100; jump postrouting_miniupnpd; oifname "wan0" masquerade; }
  chain forward_miniupnpd { }
  chain prerouting_miniupnpd { }
  chain postrouting_miniupnpd { }
}
NFT
}

main() {
  (($# >= 1)) || fail "usage: internet_netns.sh PROGRAM [ARGUMENTS...]"
  (($(id -u) == 0)) || skip "needs root (network namespaces, veth pairs)"
  local tool name
  for tool in ip nft setpriv openssl /usr/sbin/miniupnpd; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs the test packages)"
  done
  ip netns list >/dev/null 2>&1 || skip "this ip has no netns support"
  # A run killed outright could not clean up: its namespaces and folder go now.
  for name in $(ip netns list | awk '{print $1}' | grep -E '^zkin-(pub|rta|rtb|ha|hb)-[0-9]+$' || true); do
    [[ -e /proc/${name##*-} ]] || remove "$name"
  done
  for name in /tmp/zk-internet-*; do
    [[ ! -d $name || -e /proc/$(basename "$name" | cut -d- -f3 | cut -d. -f1) ]] || rm -rf "$name"
  done
  pub=zkin-pub-$$ rta=zkin-rta-$$ rtb=zkin-rtb-$$ ha=zkin-ha-$$ hb=zkin-hb-$$
  all=("$hb" "$ha" "$rtb" "$rta" "$pub")
  dir=$(mktemp -d "/tmp/zk-internet-$$.XXXXXX")
  trap cleanup EXIT
  trap 'exit 143' TERM INT HUP
  local why
  why=$(ip netns add "$pub" 2>&1) || skip "cannot create a network namespace here: ${why//$'\n'/ }"
  for name in "$rta" "$rtb" "$ha" "$hb"; do ip netns add "$name"; done
  for name in "${all[@]}"; do ip -n "$name" link set lo up; done
  ip -n "$pub" link add br0 type bridge 2>/dev/null || skip "cannot create a bridge here"
  ip -n "$pub" addr add 100.128.0.1/24 dev br0
  # A second address of the coordinator that its certificate does not name.
  ip -n "$pub" addr add 100.128.0.9/24 dev br0 && ip -n "$pub" link set br0 up
  router a "$rta" 100.128.0.2 192.168.77.0/24 "$ha"
  router b "$rtb" 100.128.0.3 192.168.78.0/24 "$hb"
  check_only "$pub" "br0 lo up-a up-b"
  for name in "$rta" "$rtb"; do check_only "$name" "lan0 lo wan0"; done
  for name in "$ha" "$hb"; do check_only "$name" "eth0 lo"; done
  for name in "$pub:up-a" "$pub:up-b" "$ha:eth0" "$hb:eth0" "$rta:wan0" "$rtb:wan0"; do
    for _ in $(seq 100); do carrier "${name%%:*}" "${name#*:}" && break || sleep 0.05; done
    carrier "${name%%:*}" "${name#*:}" || fail "no carrier on ${name#*:} in ${name%%:*} within 5 s"
  done

  mkdir -p "$dir/bin" "$dir/tmp"
  # Router A's miniupnpd: the router test's helper, with this test's names.
  printf '#!/bin/sh\nexec env dir=%s pub=%s rtr=%s home=%s bash "%s" --router "$@"\n' \
    "$dir" "$pub" "$rta" "$ha" "$portmap" >"$dir/bin/router-a"
  chmod +x "$dir/bin/router-a"
  # libminiupnpc (in the hosting game) reads an HTTP status with strtol on a
  # buffer that is not NUL-terminated; AddressSanitizer's strict string
  # checks count the whole buffer (see portmap_netns.sh).
  if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
  fi
  local rc=0
  setpriv --pdeathsig KILL ip netns exec "$hb" env TMPDIR="$dir/tmp" ZK_NET_PUB="$pub" ZK_NET_HOME_A="$ha" \
    ZK_NET_ROUTER_A="$dir/bin/router-a" "$@" &
  wait $! || rc=$?
  "$dir/bin/router-a" off || rc=1
  # Every process of the test has ended with it.
  local left=()
  for _ in $(seq 30); do
    left=()
    for name in "${all[@]}"; do mapfile -t -O "${#left[@]}" left < <(pids_in "$name"); done
    ((${#left[@]})) || break
    sleep 0.1
  done
  if ((${#left[@]})); then
    echo "internet_netns: processes of the test outlived it:"
    ps -o pid,args -p "$(IFS=,; echo "${left[*]}")" || true
    rc=1
  fi
  return "$rc"
}

main "$@"
