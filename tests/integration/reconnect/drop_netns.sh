#!/usr/bin/env bash
# Two machines on a private link whose cable can be pulled, and a test
# program run on the first:  bash drop_netns.sh PROGRAM [ARGUMENTS...]
#
# Machine A is a new network namespace (this script's, inside a new PID
# namespace, so that every process of the test ends with it); machine B a
# second one, joined to A by a veth pair (A: zk0 192.0.2.1, B: zk1
# 192.0.2.2; 192.0.2.0/24 is the documentation network). Taking B's end of
# the link down drops every packet between them without a word to either
# side: what a Wi-Fi that went away looks like to TCP.
#
# PROGRAM runs on A with ZK_DROP_ADDR_A, ZK_DROP_ADDR_B (the addresses),
# ZK_DROP_PEER (a command that execs its arguments on B) and ZK_DROP_LINK
# (with down or up: pulls B's cable or puts it back).
#
# Exit code: PROGRAM's; 77 with the reason when this computer cannot make
# the machines (not root, no namespaces, no veth).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
skip() { echo "drop_netns: skipped: $*" && exit 77; }
fail() { echo "drop_netns: $*" >&2 && exit 1; }

inside() {
  unshare --net sleep infinity &
  local peer=$! tries=100
  until [[ -e /proc/$peer && $(readlink "/proc/$peer/ns/net") != $(readlink /proc/$$/ns/net) ]]; do
    ((--tries > 0)) || fail "machine B's namespace did not appear"
    sleep 0.05
  done
  local on_b=(nsenter -t "$peer" -n --)
  ip link add zk0 type veth peer name zk1 netns "$peer" || skip "cannot create a veth pair here"
  ip link set lo up && ip addr add 192.0.2.1/24 dev zk0 && ip link set zk0 up
  "${on_b[@]}" sh -c 'ip link set lo up && ip addr add 192.0.2.2/24 dev zk1 && ip link set zk1 up'
  tries=200
  until ip -o link show zk0 | grep -q LOWER_UP; do
    ((--tries > 0)) || fail "the link did not come up"
    sleep 0.05
  done
  local bin
  bin=$(mktemp -d /tmp/zk-drop.XXXXXX)
  printf '#!/bin/sh\nexec %s "$@"\n' "${on_b[*]}" >"$bin/on-b"
  printf '#!/bin/sh\nexec %s ip link set zk1 "$1"\n' "${on_b[*]}" >"$bin/link-b"
  chmod +x "$bin/on-b" "$bin/link-b"
  export ZK_DROP_ADDR_A=192.0.2.1 ZK_DROP_ADDR_B=192.0.2.2 ZK_DROP_PEER=$bin/on-b ZK_DROP_LINK=$bin/link-b
  local rc=0
  "$@" || rc=$?
  rm -rf "$bin"
  return "$rc"
}

outside() {
  (($# >= 1)) || fail "usage: drop_netns.sh PROGRAM [ARGUMENTS...]"
  (($(id -u) == 0)) || skip "needs root (namespaces, a veth pair)"
  local tool why
  for tool in unshare nsenter setpriv ip; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  why=$(unshare --net --pid --fork --mount-proc true 2>&1) || skip "cannot create namespaces here: ${why//$'\n'/ }"
  setpriv --pdeathsig KILL unshare --net --pid --fork --mount-proc --kill-child \
    bash "$here/drop_netns.sh" --inside "$@"
}

case "${1:-}" in
  --inside) shift && inside "$@" ;;
  *) outside "$@" ;;
esac
