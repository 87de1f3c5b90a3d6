#!/usr/bin/env bash
# A home behind a router with UPnP IGD and NAT-PMP, a public network outside
# it, all made of network namespaces, and a test program run in the home:
#   bash portmap_netns.sh PROGRAM [ARGUMENTS...]
#
#   public  up0 100.128.0.1/24 ---- wan0 100.128.0.2/24  router  lan0 192.168.77.1/24 ---- eth0 192.168.77.2/24  home
#
# The router forwards from the home to the public side with masquerade and
# drops what comes from outside, unless miniupnpd (run in the router
# namespace only, with a configuration and nftables chains of its own) has
# opened a port. miniupnpd takes its WAN address from wan0 and refuses every
# reserved block as one, the documentation networks included, so the public
# side uses 100.128.0.0/24, the first public space above the shared
# 100.64.0.0/10. The public namespace has no other link and no route: none of
# these addresses, and no SSDP or NAT-PMP packet, ever leaves the namespaces.
#
# PROGRAM runs in the home with ZONKARDS_PORT_MAPPING=1, ZK_PORTMAP_WAN (the
# router's WAN address), ZK_PORTMAP_PUBLIC (the public side's address),
# ZK_PORTMAP_ROUTER (with upnp: miniupnpd with UPnP IGD and NAT-PMP; natpmp:
# NAT-PMP only; refuse: UPnP IGD only, and the home may map no port; off: no
# daemon; silent: no daemon, and the router answers nothing on the SSDP and
# NAT-PMP ports) and ZK_PORTMAP_PROBE (with a port: connects from the public
# side to WAN:port, sends one line, exits 0 when the connection was made).
#
# Exit code: PROGRAM's; 1 when the network did not work or something of the
# test was left behind; 77 with the reason when this computer cannot make
# the namespaces. ZK_PORTMAP_KEEP=1 keeps the test's folder (configurations,
# the daemon's logs).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wan=100.128.0.2
public=100.128.0.1
home_net=192.168.77.0/24

skip() { echo "portmap_netns: skipped: $*" && exit 77; }
fail() { echo "portmap_netns: $*" >&2 && exit 1; }
# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_for() {
  local seconds=$1 what=$2 tries=$(($1 * 20))
  shift 2
  until "$@"; do
    ((--tries > 0)) || fail "$what did not happen within $seconds s"
    sleep 0.05
  done
}
gone() { [[ ! -e /proc/$1 || $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) == Z ]]; }

# --- the helpers the program calls (run with the folder's variables) --------

# router MODE: ends the daemon that runs, then starts the one MODE asks for.
router() {
  local mode=$1 pid
  if [[ -f $dir/miniupnpd.pid ]]; then
    pid=$(cat "$dir/miniupnpd.pid")
    kill -TERM "$pid" 2>/dev/null || true
    wait_for 10 "miniupnpd's stop" gone "$pid"
    rm -f "$dir/miniupnpd.pid"
  fi
  ip netns exec "$rtr" nft delete table inet zkquiet 2>/dev/null || true
  case "$mode" in
    upnp | natpmp | refuse) ;;
    off) return 0 ;;
    silent)
      ip netns exec "$rtr" nft -f - <<EOF
table inet zkquiet {
  chain input {
    type filter hook input priority -10; policy accept;
    iifname "lan0" udp dport { 1900, 5351 } drop
  }
}
EOF
      return 0
      ;;
    *) fail "router: upnp, natpmp, refuse, off or silent, not '$mode'" ;;
  esac
  local upnp=yes natpmp=yes allow="allow 1024-65535 $home_net 1024-65535" ready="Listening for NAT-PMP"
  [[ $mode != natpmp ]] || upnp=no
  # (miniupnpd's NAT-PMP searches every port for one the rules allow before
  # it says no: seconds of its time.)
  [[ $mode != refuse ]] || { natpmp=no allow="# the home may map nothing" ready="HTTP listening"; }
  cat >"$dir/miniupnpd-$mode.conf" <<EOF
ext_ifname=wan0
listening_ip=lan0
ipv6_disable=yes
enable_upnp=$upnp
enable_natpmp=$natpmp
secure_mode=yes
system_uptime=yes
notify_interval=60
min_lifetime=1
lease_file=$dir/leases
uuid=3b7e0c2a-5e1f-4d64-9a55-5a0d1c7f7772
upnp_table_name=miniupnpd
upnp_nat_table_name=miniupnpd
upnp_forward_chain=forward_miniupnpd
upnp_nat_chain=prerouting_miniupnpd
upnp_nat_postrouting_chain=postrouting_miniupnpd
$allow
deny 0-65535 0.0.0.0/0 0-65535
EOF
  echo "--- start $mode" >>"$dir/miniupnpd.log"
  # None of the program's descriptors (its listener) goes to the daemon.
  local fd
  for fd in "/proc/$$/fd/"*; do
    fd=${fd##*/}
    ((fd < 3 || fd > 254)) || eval "exec $fd>&-" 2>/dev/null || true
  done
  ip netns exec "$rtr" /usr/sbin/miniupnpd -f "$dir/miniupnpd-$mode.conf" -d -P "$dir/miniupnpd.own-pid" \
    </dev/null >>"$dir/miniupnpd.log" 2>&1 &
  echo $! >"$dir/miniupnpd.pid"
  wait_for 10 "miniupnpd's start ($mode)" daemon_up "$ready"
}
daemon_up() { # TEXT: the daemon's log says TEXT since its last start
  ! gone "$(cat "$dir/miniupnpd.pid")" || fail "miniupnpd ended at start: $(tail -n 20 "$dir/miniupnpd.log")"
  awk -v text="$1" '/^--- start/ {up = 0} index($0, text) {up = 1} END {exit !up}' "$dir/miniupnpd.log"
}

# probe PORT: a connection from the public side to the router's WAN address.
probe() {
  ip netns exec "$pub" timeout 2 bash -c 'exec 3<>"/dev/tcp/$0/$1" && echo "zonkards probe" >&3' "$wan" "$1" \
    2>/dev/null
}

# --- the network ------------------------------------------------------------

# remove NAMESPACE...: ends everything running in them (all of it started by
# the test), then deletes them.
remove() {
  local name pids tries
  for name in "$@"; do
    pids=$(ip netns pids "$name" 2>/dev/null || true)
    [[ -z $pids ]] || kill -KILL $pids 2>/dev/null || true
  done
  for name in "$@"; do
    for tries in $(seq 50); do
      [[ -n $(ip netns pids "$name" 2>/dev/null || true) ]] || break
      sleep 0.1
    done
    ip netns del "$name" 2>/dev/null || true
  done
}

cleanup() {
  local rc=$?
  trap - EXIT
  remove "$home" "$rtr" "$pub"
  if ip netns list | grep -qE "^($home|$rtr|$pub)( |$)"; then
    echo "portmap_netns: namespaces of the test were left behind" >&2
    rc=1
  fi
  if ((rc != 0 && rc != 77)) && [[ -f $dir/miniupnpd.log ]]; then
    echo "--- miniupnpd's log (last lines)"
    tail -n 30 "$dir/miniupnpd.log"
  fi
  if [[ "${ZK_PORTMAP_KEEP:-}" == 1 ]]; then echo "portmap_netns: kept $dir"; else rm -rf "$dir"; fi
  exit "$rc"
}

# check_only NAMESPACE INTERFACES: the namespace has these links and no other.
check_only() {
  local links
  links=$(ip -n "$1" -o link show | awk -F': ' '{sub(/@.*/, "", $2); print $2}' | sort | tr '\n' ' ')
  [[ "$links" == "$2 " ]] || fail "namespace $1 has links '$links', not '$2'"
}
carrier() { ip -n "$1" -o link show "$2" | grep -q LOWER_UP; }

main() {
  (($# >= 1)) || fail "usage: portmap_netns.sh PROGRAM [ARGUMENTS...]"
  (($(id -u) == 0)) || skip "needs root (network namespaces, veth pairs)"
  local tool name
  for tool in ip nft timeout setpriv /usr/sbin/miniupnpd; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs the test packages)"
  done
  ip netns list >/dev/null 2>&1 || skip "this ip has no netns support"

  # A run killed outright (SIGKILL) could not clean up: its namespaces, with
  # its daemon, and its folder go now.
  local stale
  stale=$(ip netns list | awk '{print $1}' | grep -E '^zkpm-(pub|rtr|home)-[0-9]+$' || true)
  for name in $stale; do
    [[ -e /proc/${name##*-} ]] || remove "$name"
  done
  for name in /tmp/zk-portmap-*; do
    [[ ! -d $name || -e /proc/$(basename "$name" | cut -d- -f3 | cut -d. -f1) ]] || rm -rf "$name"
  done
  pub=zkpm-pub-$$ rtr=zkpm-rtr-$$ home=zkpm-home-$$
  dir=$(mktemp -d "/tmp/zk-portmap-$$.XXXXXX")
  trap cleanup EXIT
  trap 'exit 143' TERM INT HUP
  local why
  why=$(ip netns add "$pub" 2>&1) || skip "cannot create a network namespace here: ${why//$'\n'/ }"
  ip netns add "$rtr" && ip netns add "$home"
  ip link add wan0 netns "$rtr" type veth peer name up0 netns "$pub" 2>/dev/null ||
    skip "cannot create a veth pair here"
  ip link add lan0 netns "$rtr" type veth peer name eth0 netns "$home"
  check_only "$pub" "lo up0"
  check_only "$rtr" "lan0 lo wan0"
  check_only "$home" "eth0 lo"
  for name in "$pub" "$rtr" "$home"; do
    ip -n "$name" link set lo up
  done
  ip -n "$pub" addr add "$public/24" dev up0 && ip -n "$pub" link set up0 up
  ip -n "$rtr" addr add "$wan/24" dev wan0 && ip -n "$rtr" link set wan0 up
  ip -n "$rtr" addr add 192.168.77.1/24 dev lan0 && ip -n "$rtr" link set lan0 up
  ip -n "$home" addr add 192.168.77.2/24 dev eth0 && ip -n "$home" link set eth0 up
  ip -n "$home" route add default via 192.168.77.1
  ip netns exec "$rtr" sysctl -qw net.ipv4.ip_forward=1
  # The router's rules: out with masquerade, nothing in but what miniupnpd
  # opens (its chains, named in its configuration, are jumped to from ours).
  ip netns exec "$rtr" nft -f - <<EOF
table inet miniupnpd {
  chain forward {
    type filter hook forward priority 0; policy drop;
    ct state established,related accept
    iifname "lan0" oifname "wan0" accept
    jump forward_miniupnpd
  }
  chain forward_miniupnpd {
  }
  chain prerouting {
    type nat hook prerouting priority -100; policy accept;
    jump prerouting_miniupnpd
  }
  chain postrouting {
    type nat hook postrouting priority 100; policy accept;
    jump postrouting_miniupnpd
    oifname "wan0" masquerade
  }
  chain prerouting_miniupnpd {
  }
  chain postrouting_miniupnpd {
  }
}
EOF
  wait_for 10 "the public link" carrier "$pub" up0
  wait_for 10 "the home link" carrier "$home" eth0

  mkdir -p "$dir/bin"
  local self="$here/portmap_netns.sh" vars="dir=$dir pub=$pub rtr=$rtr home=$home"
  printf '#!/bin/sh\nexec env %s bash "%s" --router "$@"\n' "$vars" "$self" >"$dir/bin/router"
  printf '#!/bin/sh\nexec env %s bash "%s" --probe "$@"\n' "$vars" "$self" >"$dir/bin/probe"
  chmod +x "$dir/bin/router" "$dir/bin/probe"

  # In the background: a signal to the script ends the test at once (the
  # EXIT trap ends the program with the rest); the kernel ends the program
  # if the script is killed outright.
  local rc=0
  # libminiupnpc reads an HTTP status with strtol on a buffer that is not
  # NUL-terminated (it stops at the first non-digit, inside the buffer);
  # AddressSanitizer's strict string checks count the whole buffer, so they
  # are off for this program alone.
  if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
  fi
  setpriv --pdeathsig KILL ip netns exec "$home" env ZONKARDS_PORT_MAPPING=1 ZK_PORTMAP_WAN="$wan" ZK_PORTMAP_PUBLIC="$public" ZK_PORTMAP_ROUTER="$dir/bin/router" \
    ZK_PORTMAP_PROBE="$dir/bin/probe" "$@" &
  wait $! || rc=$?
  "$dir/bin/router" off || rc=1
  return "$rc"
}

case "${1:-}" in
  --router) shift && router "$@" ;;
  --probe) shift && probe "$@" ;;
  *) main "$@" ;;
esac
