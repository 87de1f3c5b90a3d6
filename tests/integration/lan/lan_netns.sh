#!/usr/bin/env bash
# Two machines on a private link for the LAN discovery tests, and a test
# program run on the first of them.
#
#   bash lan_netns.sh PROGRAM [ARGUMENTS...]
#
# Machine A and machine B are each a network, mount and host name namespace
# of their own, joined by a veth pair (A: zk0 192.0.2.1/24, B: zk1
# 192.0.2.2/24; 192.0.2.0/24 is the documentation network). Each has a
# tmpfs of its own on /run, a D-Bus system bus of its own and an avahi-daemon
# of its own that speaks only on its veth end. Both live in one new PID
# namespace whose first process is this script: when it ends, or is killed,
# the kernel ends every daemon and program of the test. No interface of the
# real machine is in either namespace, so nothing reaches the real network.
#
# PROGRAM runs on machine A with these variables:
#   ZK_LAN_PEER         a command that runs its arguments on machine B
#                       (it execs them: the pid is the program's)
#   ZK_LAN_PEER_NETNS   machine B's network namespace (/proc/PID/ns/net),
#                       for sockets the test opens on B itself
#   ZK_LAN_AVAHI        "$ZK_LAN_AVAHI stop" / "start": stops or starts
#                       machine A's avahi-daemon, returns once it is done;
#                       "pause" / "resume": freezes it (SIGSTOP, a daemon
#                       that hangs) and lets it go on
#   ZK_LAN_ADDR_A, ZK_LAN_ADDR_B   the machines' addresses
#   ZK_LAN_PYTHON       a python3 with python3-zeroconf
#   ZK_LAN_BROWSE, ZK_LAN_PUBLISH  zc_browse.py and zc_publish.py
#   ZK_LAN_DIR          the test's folder (logs, configurations)
#   DBUS_SYSTEM_BUS_ADDRESS        the machine's own bus (the same text on
#                       A and B; each machine's /run holds its own socket)
#   TMPDIR              a folder inside ZK_LAN_DIR
#
# Exit code: PROGRAM's, 1 when the machines could not be made to work or a
# process of the test outlived it, 77 (with the reason on one line) when
# this computer cannot make them at all (not root, no namespaces, a package
# missing). ZK_LAN_KEEP=1 keeps the test's folder.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
addr_a=192.0.2.1
addr_b=192.0.2.2
bus_dir=/run/zonkards-lan
bus_address="unix:path=$bus_dir/bus.sock"

skip() {
  echo "lan_netns: skipped: $*"
  exit 77
}
fail() {
  echo "lan_netns: $*" >&2
  exit 1
}

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; fails
# with WHAT when it has not within SECONDS.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  now_ms
  local deadline=$((EPOCHREALTIME_MS + seconds * 1000))
  until "$@"; do
    now_ms
    ((EPOCHREALTIME_MS < deadline)) || {
      echo "lan_netns: $what did not happen within ${seconds} s" >&2
      return 1
    }
    sleep 0.05
  done
}
now_ms() {
  EPOCHREALTIME_MS=$(( ${EPOCHREALTIME/[.,]/} / 1000 ))
}

# A machine's folder: its bus and avahi configurations and logs.
write_configs() {
  local dir=$1 interface=$2
  mkdir -p "$dir/services"
  cat >"$dir/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>$bus_address</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
  cat >"$dir/avahi.conf" <<EOF
[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=$interface
enable-dbus=yes
disallow-other-stacks=no
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
[reflector]
enable-reflector=no
EOF
}

avahi_started() { # log-file count-before pid
  ! process_gone "$3" || {
    echo "lan_netns: avahi-daemon ended at start:" >&2
    cat "$1" >&2
    exit 1
  }
  (($(grep -c 'Server startup complete' "$1") > $2))
}

# launch_avahi DIR [ENTER...]: starts the machine's avahi-daemon (ENTER: the
# command that enters the machine); await_avahi DIR waits until its startup
# has completed.
launch_avahi() {
  local dir=$1
  shift
  local before=0
  [[ -f "$dir/avahi.log" ]] && before=$(grep -c 'Server startup complete' "$dir/avahi.log" || true)
  echo "$before" >"$dir/avahi.started"
  "$@" avahi-daemon -f "$dir/avahi.conf" --no-drop-root --no-chroot --no-rlimits --no-proc-title \
    </dev/null >>"$dir/avahi.log" 2>&1 &
  echo "$!" >"$dir/avahi.pid"
}
await_avahi() {
  local dir=$1
  wait_for 10 "avahi-daemon's startup ($dir)" avahi_started "$dir/avahi.log" "$(cat "$dir/avahi.started")" \
    "$(cat "$dir/avahi.pid")"
}

process_gone() { # pid
  [[ ! -e /proc/$1 ]] || [[ $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) == Z ]]
}

# --avahi DIR stop|start|pause|resume, run on machine A by ZK_LAN_AVAHI.
control_avahi() {
  local dir=$1 what=$2
  # Descriptors the test's program may have passed on stay with it, not
  # with a daemon that outlives this command.
  local fd
  for fd in /proc/$$/fd/*; do
    fd=${fd##*/}
    # 255 is bash's own (the script being read).
    ((fd > 2 && fd < 255)) && eval "exec $fd>&-" 2>/dev/null || true
  done
  case "$what" in
    stop)
      local pid
      pid=$(cat "$dir/avahi.pid")
      kill -TERM "$pid" 2>/dev/null || true
      wait_for 10 "avahi-daemon's stop" process_gone "$pid"
      ;;
    start)
      launch_avahi "$dir"
      await_avahi "$dir"
      ;;
    pause) kill -STOP "$(cat "$dir/avahi.pid")" ;;
    resume) kill -CONT "$(cat "$dir/avahi.pid")" ;;
    *) fail "--avahi: stop, start, pause or resume, not '$what'" ;;
  esac
}

dump_logs() {
  local f
  for f in "$ZK_LAN_DIR"/a/*.log "$ZK_LAN_DIR"/b/*.log; do
    [[ -s "$f" ]] || continue
    echo "----- ${f#"$ZK_LAN_DIR"/} (last 40 lines)"
    tail -n 40 "$f"
  done
}

# Checks that a machine sees nothing of the real one: only its own
# interfaces, a /run of its own without the real system bus, and no
# avahi-daemon to answer (so ours neither talks to nor stops a real one).
check_isolated() { # name interface ENTER...
  local name=$1 interface=$2
  shift 2
  local links
  links=$("$@" ip -o link show | awk -F': ' '{print $2}' | sed 's/@.*//' | sort | tr '\n' ' ')
  [[ "$links" == "lo $interface " ]] || fail "machine $name has interfaces '$links', expected 'lo $interface'"
  # (B's is mounted over the copy of A's it started with)
  [[ $("$@" findmnt -n -o SOURCE /run | tail -n 1) == "zk-lan-run-$name" ]] || fail "machine $name has no /run of its own"
  "$@" test ! -e /run/dbus/system_bus_socket || fail "machine $name sees the real system bus"
  if "$@" avahi-daemon -c 2>/dev/null; then
    fail "machine $name sees a running avahi-daemon through /run; refusing to start ours"
  fi
}

carrier() { # ENTER...: the veth end of the machine is up
  "$@" ip -o link show | grep -q 'zk[01]@.*LOWER_UP'
}
netns_of() { readlink "/proc/$1/ns/net"; }
peer_unshared() { [[ -e /proc/$1 && $(netns_of "$1") != $(netns_of $$) ]]; }

# Machine A: the first process of the new PID namespace.
inside() {
  export ZK_LAN_DIR=$1
  shift
  local dir=$ZK_LAN_DIR
  trap 'rc=$?; ((rc == 0 || rc == 77)) || dump_logs; exit $rc' EXIT
  write_configs "$dir/a" zk0
  write_configs "$dir/b" zk1

  mount -t tmpfs -o mode=0755 zk-lan-run-A /run || skip "cannot mount a tmpfs on /run in a mount namespace"
  mkdir -p "$bus_dir"
  # Service files of the real machine would be announced on the link.
  if [[ -d /etc/avahi/services ]]; then
    mount --bind "$dir/a/services" /etc/avahi/services
  fi
  echo zk-a >/proc/sys/kernel/hostname
  ip link set lo up
  ip link set lo multicast on

  # Machine B: a process that only holds the namespaces.
  unshare --net --mount --uts sleep infinity &
  local peer=$!
  wait_for 5 "machine B's namespaces" peer_unshared "$peer"
  local on_b=(nsenter -t "$peer" -n -m -u --)
  "${on_b[@]}" sh -c "mount -t tmpfs -o mode=0755 zk-lan-run-B /run && mkdir -p $bus_dir &&
    { [ ! -d /etc/avahi/services ] || mount --bind '$dir/b/services' /etc/avahi/services; } &&
    echo zk-b >/proc/sys/kernel/hostname && ip link set lo up && ip link set lo multicast on" ||
    fail "cannot set up machine B"

  ip link add zk0 type veth peer name zk1 netns "$peer" || skip "cannot create a veth pair here"
  ip addr add "$addr_a/24" dev zk0
  ip link set zk0 multicast on up
  "${on_b[@]}" ip addr add "$addr_b/24" dev zk1
  "${on_b[@]}" ip link set zk1 multicast on up
  wait_for 10 "machine A's carrier" carrier
  wait_for 10 "machine B's carrier" carrier "${on_b[@]}"

  check_isolated A zk0
  check_isolated B zk1 "${on_b[@]}"

  export DBUS_SYSTEM_BUS_ADDRESS=$bus_address
  dbus-daemon --config-file="$dir/a/bus.conf" --fork --nopidfile >"$dir/a/dbus.log" 2>&1 ||
    fail "machine A's dbus-daemon did not start: $(cat "$dir/a/dbus.log")"
  "${on_b[@]}" dbus-daemon --config-file="$dir/b/bus.conf" --fork --nopidfile >"$dir/b/dbus.log" 2>&1 ||
    fail "machine B's dbus-daemon did not start: $(cat "$dir/b/dbus.log")"
  launch_avahi "$dir/a"
  launch_avahi "$dir/b" "${on_b[@]}"
  await_avahi "$dir/a"
  await_avahi "$dir/b"

  mkdir -p "$dir/bin" "$dir/tmp"
  cat >"$dir/bin/on-b" <<EOF
#!/bin/sh
# Runs its arguments on machine B.
exec nsenter -t $peer -n -m -u -- "\$@"
EOF
  cat >"$dir/bin/avahi-a" <<EOF
#!/bin/sh
# "stop" or "start" machine A's avahi-daemon.
exec bash "$here/lan_netns.sh" --avahi "$dir/a" "\$@"
EOF
  chmod +x "$dir/bin/on-b" "$dir/bin/avahi-a"

  export ZK_LAN_PEER="$dir/bin/on-b"
  export ZK_LAN_PEER_NETNS="/proc/$peer/ns/net"
  export ZK_LAN_AVAHI="$dir/bin/avahi-a"
  export ZK_LAN_ADDR_A=$addr_a ZK_LAN_ADDR_B=$addr_b
  export ZK_LAN_BROWSE="$here/zc_browse.py" ZK_LAN_PUBLISH="$here/zc_publish.py"
  export TMPDIR="$dir/tmp"
  export QT_QPA_PLATFORM=offscreen
  "$@"
}

# The real machine: checks, then machine A in new namespaces.
outside() {
  [[ $# -ge 1 ]] || fail "usage: lan_netns.sh PROGRAM [ARGUMENTS...]"
  (($(id -u) == 0)) || skip "needs root (namespaces, a veth pair, mounts)"
  local tool
  for tool in unshare nsenter setpriv ip findmnt mount avahi-daemon dbus-daemon avahi-publish avahi-browse; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs the test packages)"
  done
  getent passwd avahi >/dev/null && getent group avahi >/dev/null ||
    skip "there is no user and group 'avahi' (avahi-daemon's package makes them)"
  local python=""
  for candidate in /usr/bin/python3 "$(command -v python3 || true)"; do
    if [[ -x "$candidate" ]] && "$candidate" -c 'import zeroconf' 2>/dev/null; then
      python=$candidate
      break
    fi
  done
  [[ -n "$python" ]] || skip "python3-zeroconf is not installed"
  export ZK_LAN_PYTHON=$python
  # avahi-daemon hands its runtime folder to 'avahi' even as root; a user
  # namespace (a rootless container) that does not map that user cannot.
  local probe
  probe=$(mktemp)
  if ! chown avahi:avahi "$probe" 2>/dev/null; then
    rm -f "$probe"
    skip "files cannot be given to user 'avahi' here (a user namespace that does not map it?)"
  fi
  rm -f "$probe"
  local why
  why=$(unshare --net --mount --uts --pid --fork --mount-proc true 2>&1) ||
    skip "cannot create namespaces here: ${why//$'\n'/ }"

  # A desktop may run its own avahi-daemon: it is left alone (ours only
  # run behind a /run of their own), and it must still be the only one after.
  local before
  before=$(pgrep -x avahi-daemon | sort | tr '\n' ' ' || true)
  if avahi-daemon -c 2>/dev/null; then
    echo "lan_netns: this machine runs an avahi-daemon of its own; the test's run in private namespaces"
  fi

  local dir
  dir=$(mktemp -d /tmp/zk-lan.XXXXXX)
  local rc=0
  # pdeathsig: if this script is killed, unshare is, and with it (kill-child)
  # the namespace's first process and so every process of the test.
  setpriv --pdeathsig KILL unshare --net --mount --uts --pid --fork --mount-proc --kill-child \
    bash "$here/lan_netns.sh" --inside "$dir" "$@" || rc=$?

  local left=() pid
  for pid in $(pgrep -x avahi-daemon || true) $(grep -lsF "$dir/" /proc/[0-9]*/cmdline | cut -d/ -f3); do
    # (grep itself matched, and has ended)
    [[ " $before " == *" $pid "* || ! -e /proc/$pid ]] && continue
    left+=("$pid")
  done
  if ((${#left[@]})); then
    echo "lan_netns: processes of the test outlived it:"
    ps -o pid,args -p "$(IFS=,; echo "${left[*]}")" || true
    for pid in "${left[@]}"; do
      grep -qsF "$dir/" "/proc/$pid/cmdline" && kill -KILL "$pid"
    done
    rc=1
  fi
  if [[ "${ZK_LAN_KEEP:-}" == 1 ]]; then
    echo "lan_netns: kept $dir"
  else
    rm -rf "$dir"
  fi
  return "$rc"
}

case "${1:-}" in
  --inside)
    shift
    inside "$@"
    ;;
  --avahi)
    shift
    control_avahi "$@"
    ;;
  *)
    outside "$@"
    ;;
esac
