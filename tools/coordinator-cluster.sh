#!/usr/bin/env bash
# A local cluster of the coordinator for trying it: one redis-server, two
# coordinators and two relays sharing it, all on 127.0.0.1 only, with a
# certificate of a CA made here. Nothing listens beyond this machine.
#
#   tools/coordinator-cluster.sh start [DIR]   starts it (state in DIR, default /tmp/zk-cluster)
#   tools/coordinator-cluster.sh stop [DIR]    stops it and removes DIR
#
# Ports: Redis 7799; coordinators 7790 and 7791 (metrics on 7792 and 7793);
# relays 7794 and 7795. The program is build/check's (cmake --preset check &&
# cmake --build --preset check), or ZK_COORDINATOR=PATH. A game is pointed at
# the first coordinator with
#   ZONKARDS_COORDINATOR=localhost:7790 ZONKARDS_COORDINATOR_CA=DIR/ca.pem
set -euo pipefail
cd "$(dirname "$0")/.."
action=${1:-}
dir=${2:-/tmp/zk-cluster}
program=${ZK_COORDINATOR:-$PWD/build/check/zonkards-coordinator}

stop() {
  if [[ -d "$dir" ]]; then
    for pidfile in "$dir"/*.pid; do
      [[ -e "$pidfile" ]] || continue
      kill "$(cat "$pidfile")" 2>/dev/null || true
    done
    sleep 0.5
    rm -rf "$dir"
  fi
}

case "$action" in
start)
  [[ -x "$program" ]] || { echo "no $program: build it first (cmake --build --preset check)" >&2; exit 1; }
  command -v redis-server >/dev/null || { echo "redis-server is missing (scripts/setup installs it)" >&2; exit 1; }
  [[ ! -e "$dir" ]] || { echo "$dir exists: stop the cluster first" >&2; exit 1; }
  mkdir -p "$dir"
  trap 'echo "starting failed; see $dir/*.log" >&2; stop' ERR
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Zonkards try-out CA" \
    -keyout "$dir/ca.key" -out "$dir/ca.pem" 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$dir/key.pem" -out "$dir/csr.pem" 2>/dev/null
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >"$dir/san.ext"
  openssl x509 -req -in "$dir/csr.pem" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial -days 30 \
    -extfile "$dir/san.ext" -out "$dir/cert.pem" 2>/dev/null
  head -c 48 /dev/urandom | base64 >"$dir/relay.key"

  run() { # NAME WAIT-FOR ARGS...
    local name=$1 ready=$2
    shift 2
    "$@" >"$dir/$name.log" 2>&1 &
    echo $! >"$dir/$name.pid"
    for _ in $(seq 50); do
      grep -q "$ready" "$dir/$name.log" && return 0
      sleep 0.1
    done
    echo "$name did not start:" >&2
    cat "$dir/$name.log" >&2
    return 1
  }
  run redis "Ready to accept connections" redis-server --port 7799 --bind 127.0.0.1 --save "" \
    --appendonly no --dir "$dir"
  common=(--cert "$dir/cert.pem" --key "$dir/key.pem" --relay-key "$dir/relay.key" --redis redis://127.0.0.1:7799)
  run relay1 "relay listening" "$program" --relay-only --listen 127.0.0.1:7794 "${common[@]}"
  run relay2 "relay listening" "$program" --relay-only --listen 127.0.0.1:7795 "${common[@]}"
  run coordinator1 "coordinator listening" "$program" --listen 127.0.0.1:7790 --relay 127.0.0.1:7794 \
    --metrics 127.0.0.1:7792 --log "${common[@]}"
  run coordinator2 "coordinator listening" "$program" --listen 127.0.0.1:7791 --relay 127.0.0.1:7795 \
    --metrics 127.0.0.1:7793 --log "${common[@]}"
  trap - ERR
  cat <<INFO
The cluster runs (its logs and state in $dir):
  coordinators  127.0.0.1:7790, 127.0.0.1:7791   metrics  http://127.0.0.1:7792/  http://127.0.0.1:7793/
  relays        127.0.0.1:7794, 127.0.0.1:7795   Redis    127.0.0.1:7799
Host a game for friends with
  ZONKARDS_COORDINATOR=localhost:7790 ZONKARDS_COORDINATOR_CA=$dir/ca.pem build/check/zonkards-host --invite
and look its code up on the other one (localhost:7791). Stop it with
  $0 stop $dir
INFO
  ;;
stop)
  stop
  ;;
*)
  echo "usage: $0 start|stop [DIR]" >&2
  exit 2
  ;;
esac
