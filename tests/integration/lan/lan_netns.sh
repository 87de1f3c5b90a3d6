#!/usr/bin/env bash
# Two machines on a private link for the LAN discovery tests, and a test
# program run on the first of them:  bash lan_netns.sh PROGRAM [ARGUMENTS...]
#
# Machines A and B are each a network, mount and host name namespace of their
# own, joined by a veth pair (A: zk0 192.0.2.1, B: zk1 192.0.2.2; 192.0.2.0/24
# is the documentation network), each with a tmpfs of its own on /run, its own
# D-Bus system bus and its own avahi-daemon speaking only on its veth end.
# Both live in one new PID namespace whose first process is this script: when
# it ends or is killed, the kernel ends every daemon and program of the test.
#
# PROGRAM runs on A with ZK_LAN_ADDR_A, ZK_LAN_ADDR_B (the addresses),
# ZK_LAN_PEER (a command that execs its arguments on B), ZK_LAN_PEER_NETNS
# (B's /proc/PID/ns/net), ZK_LAN_AVAHI (with stop, start, pause or resume:
# acts on A's avahi-daemon and returns once done; with restart-bus: ends A's
# system bus, and its avahi-daemon with it, for 3 s, then starts both again),
# ZK_LAN_ZC (runs zc.py on B with a python3 that has zeroconf),
# DBUS_SYSTEM_BUS_ADDRESS and TMPDIR.
#
# Each bus answers a call that waited 3 s with an error (reply_timeout), as
# libdbus does after 25 s: a daemon paused for longer looks to its clients
# like one that stalled past their timeout, without the test waiting 25 s.
#
# Exit code: PROGRAM's; 1 when the machines did not work or a process of the
# test outlived it; 77 with the reason when this computer cannot make them.
# ZK_LAN_KEEP=1 keeps the test's folder (configurations and logs).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
addr_a=192.0.2.1
addr_b=192.0.2.2
bus_address=unix:path=/run/zonkards-lan/bus.sock

skip() { echo "lan_netns: skipped: $*" && exit 77; }
fail() { echo "lan_netns: $*" >&2 && exit 1; }
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

write_configs() { # DIR INTERFACE
  mkdir -p "$1/services"
  cat >"$1/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>$bus_address</listen>
  <auth>EXTERNAL</auth>
  <limit name="reply_timeout">3000</limit>
  <policy context="default">
    <allow user="*"/> <allow own="*"/> <allow send_destination="*"/> <allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
  cat >"$1/avahi.conf" <<EOF
[server]
use-ipv6=no
allow-interfaces=$2
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
EOF
}

# launch_avahi DIR [ENTER...] starts a machine's avahi-daemon (ENTER: the
# command that enters the machine); await_avahi DIR waits for its startup.
launch_avahi() {
  local dir=$1
  shift
  echo "--- start" >>"$dir/avahi.log"
  "$@" avahi-daemon -f "$dir/avahi.conf" --no-drop-root --no-chroot --no-rlimits --no-proc-title \
    </dev/null >>"$dir/avahi.log" 2>&1 &
  echo $! >"$dir/avahi.pid"
}
avahi_up() {
  ! gone "$(cat "$1/avahi.pid")" || fail "avahi-daemon ended at start: $(tail -n 20 "$1/avahi.log")"
  awk '/^--- start/ {up = 0} /Server startup complete/ {up = 1} END {exit !up}' "$1/avahi.log"
}
await_avahi() { wait_for 10 "avahi-daemon's startup ($1)" avahi_up "$1"; }

# launch_bus DIR [ENTER...] starts a machine's system bus.
launch_bus() {
  local dir=$1
  shift
  "$@" rm -f "${bus_address#unix:path=}"
  "$@" dbus-daemon --config-file="$dir/bus.conf" --fork --nopidfile --print-pid >"$dir/dbus.pid" 2>>"$dir/dbus.log"
}

control_avahi() { # DIR stop|start|pause|resume|restart-bus, for ZK_LAN_AVAHI
  local dir=$1 fd pid
  pid=$(cat "$dir/avahi.pid")
  # A daemon started here keeps none of the test program's descriptors (255: the script).
  for fd in "/proc/$$/fd/"*; do
    fd=${fd##*/}
    ((fd < 3 || fd > 254)) || eval "exec $fd>&-" 2>/dev/null || true
  done
  case "$2" in
    stop) kill -TERM "$pid" && wait_for 10 "avahi-daemon's stop" gone "$pid" ;;
    start) launch_avahi "$dir" && await_avahi "$dir" ;;
    pause) kill -STOP "$pid" ;;
    resume) kill -CONT "$pid" ;;
    restart-bus)
      local bus
      bus=$(cat "$dir/dbus.pid")
      kill -TERM "$bus" && wait_for 10 "dbus-daemon's stop" gone "$bus"
      # avahi-daemon (enable-dbus=yes) ends without its bus; one that
      # waits for it instead is ended here, to start like the real one.
      gone "$pid" || sleep 1
      gone "$pid" || { kill -TERM "$pid" && wait_for 10 "avahi-daemon's stop" gone "$pid"; }
      sleep 3
      launch_bus "$dir" || fail "dbus-daemon did not start again"
      launch_avahi "$dir" && await_avahi "$dir"
      ;;
    *) fail "--avahi: stop, start, pause, resume or restart-bus, not '$2'" ;;
  esac
}

# A machine sees nothing of the real one: only lo and its veth end, a /run of
# its own without the real system bus, and no avahi-daemon to talk to.
check_isolated() { # NAME INTERFACE ENTER...
  local name=$1 interface=$2 links
  shift 2
  links=$("$@" ip -o link show | awk -F': ' '{sub(/@.*/, "", $2); print $2}' | sort | tr '\n' ' ')
  [[ "$links" == "lo $interface " ]] || fail "machine $name has interfaces '$links', not 'lo $interface'"
  [[ $("$@" findmnt -n -o SOURCE /run | tail -n 1) == "zk-lan-run-$name" ]] || fail "machine $name has no /run of its own"
  "$@" test ! -e /run/dbus/system_bus_socket || fail "machine $name sees the real system bus"
  ! "$@" avahi-daemon -c 2>/dev/null || fail "machine $name sees a running avahi-daemon; refusing to start ours"
}
carrier() { "$@" ip -o link show | grep -q 'zk[01]@.*LOWER_UP'; }
unshared() { [[ -e /proc/$1 && $(readlink "/proc/$1/ns/net") != $(readlink /proc/$$/ns/net) ]]; }

machine() { # NAME: sets m, enter, interface and addr (of inside) for machine A or B
  m=$dir/${1,} enter=() interface=zk0 addr=$addr_a
  [[ $1 == A ]] || { enter=("${on_b[@]}") && interface=zk1 && addr=$addr_b; }
}
# Machine A: the first process of the new PID namespace.
inside() {
  dir=$1 # global: the EXIT trap and machine() use it
  shift
  trap 'rc=$?; ((rc == 0 || rc == 77)) || tail -n 40 "$dir"/[ab]/*.log; exit $rc' EXIT
  # Machine B: a process that only holds the namespaces.
  unshare --net --mount --uts sleep infinity &
  local peer=$!
  wait_for 5 "machine B's namespaces" unshared "$peer"
  local on_b=(nsenter -t "$peer" -n -m -u --) name m enter interface addr
  ip link add zk0 type veth peer name zk1 netns "$peer" || skip "cannot create a veth pair here"
  export DBUS_SYSTEM_BUS_ADDRESS=$bus_address
  for name in A B; do
    machine "$name"
    write_configs "$m" "$interface"
    # The real machine's service files would be announced on the link.
    "${enter[@]}" sh -c "mount -t tmpfs -o mode=0755 zk-lan-run-$name /run && mkdir -p /run/zonkards-lan &&
      { [ ! -d /etc/avahi/services ] || mount --bind '$m/services' /etc/avahi/services; } &&
      echo zk-${name,} >/proc/sys/kernel/hostname && ip link set lo up multicast on &&
      ip addr add $addr/24 dev $interface && ip link set $interface multicast on up" ||
      { [[ $name == B ]] || skip "cannot set up machine A here (a tmpfs on /run, host name, link)"; fail "cannot set up machine B"; }
  done
  wait_for 10 "machine A's carrier" carrier
  wait_for 10 "machine B's carrier" carrier "${on_b[@]}"
  for name in A B; do
    machine "$name"
    check_isolated "$name" "$interface" "${enter[@]}"
    launch_bus "$m" "${enter[@]}" || fail "machine $name's dbus-daemon did not start"
    launch_avahi "$m" "${enter[@]}"
  done
  await_avahi "$dir/a"
  await_avahi "$dir/b"

  mkdir -p "$dir/bin" "$dir/tmp"
  printf '#!/bin/sh\nexec %s "$@"\n' "${on_b[*]}" >"$dir/bin/on-b"
  printf '#!/bin/sh\nexec %s "%s" "%s" "$@"\n' "${on_b[*]}" "$ZK_LAN_PYTHON" "$here/zc.py" >"$dir/bin/zc-b"
  printf '#!/bin/sh\nexec bash "%s" --avahi "%s" "$@"\n' "$here/lan_netns.sh" "$dir/a" >"$dir/bin/avahi-a"
  chmod +x "$dir/bin/on-b" "$dir/bin/zc-b" "$dir/bin/avahi-a"
  export ZK_LAN_PEER=$dir/bin/on-b ZK_LAN_PEER_NETNS=/proc/$peer/ns/net ZK_LAN_AVAHI=$dir/bin/avahi-a
  export ZK_LAN_ADDR_A=$addr_a ZK_LAN_ADDR_B=$addr_b ZK_LAN_ZC=$dir/bin/zc-b TMPDIR=$dir/tmp
  "$@"
}

# The real machine: checks, then machine A in new namespaces.
outside() {
  (($# >= 1)) || fail "usage: lan_netns.sh PROGRAM [ARGUMENTS...]"
  (($(id -u) == 0)) || skip "needs root (namespaces, a veth pair, mounts)"
  local tool python="" candidate
  for tool in unshare nsenter setpriv ip findmnt mount avahi-daemon dbus-daemon; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs the test packages)"
  done
  for candidate in /usr/bin/python3 "$(command -v python3 || true)"; do
    [[ -x "$candidate" ]] && "$candidate" -c 'import zeroconf' 2>/dev/null && python=$candidate && break
  done
  [[ -n "$python" ]] || skip "python3-zeroconf is not installed"
  export ZK_LAN_PYTHON=$python
  # avahi-daemon gives its runtime folder to 'avahi' even as root; a user
  # namespace (a rootless container) that does not map that user cannot.
  local dir
  dir=$(mktemp -d /tmp/zk-lan.XXXXXX)
  chown avahi:avahi "$dir" 2>/dev/null ||
    { rm -rf "$dir"; skip "no user 'avahi' that files can be given to (a user namespace that does not map it?)"; }
  chown root:root "$dir"
  local why
  why=$(unshare --net --mount --uts --pid --fork --mount-proc true 2>&1) ||
    { rm -rf "$dir"; skip "cannot create namespaces here: ${why//$'\n'/ }"; }

  # pdeathsig: if this script is killed, so is unshare and (kill-child) the
  # namespace's first process, and with it every process of the test.
  local rc=0 left=() pid
  setpriv --pdeathsig KILL unshare --net --mount --uts --pid --fork --mount-proc --kill-child \
    bash "$here/lan_netns.sh" --inside "$dir" "$@" || rc=$?
  # Each daemon and helper of the test names its folder on its command line;
  # a desktop's own avahi-daemon, or another run's, is left alone.
  # The kernel ends a PID namespace's processes as its first one ends, but
  # reaps them a moment later: give them 5 s.
  local tries
  for tries in $(seq 50); do
    left=()
    while read -r pid; do
      [[ ! -e /proc/$pid ]] || left+=("$pid") # (grep itself matched, and has ended)
    done < <(grep -lsF "$dir/" /proc/[0-9]*/cmdline | cut -d/ -f3)
    ((${#left[@]})) || break
    sleep 0.1
  done
  if ((${#left[@]})); then
    echo "lan_netns: processes of the test outlived it:"
    ps -o pid,args -p "$(IFS=,; echo "${left[*]}")" || true
    kill -KILL "${left[@]}" 2>/dev/null || true
    rc=1
  fi
  if [[ "${ZK_LAN_KEEP:-}" == 1 ]]; then echo "lan_netns: kept $dir"; else rm -rf "$dir"; fi
  return "$rc"
}

case "${1:-}" in
  --inside) shift && inside "$@" ;;
  --avahi) shift && control_avahi "$@" ;;
  *) outside "$@" ;;
esac
