#!/usr/bin/env python3
"""Browses _zonkards._tcp.local. on one interface address with python-zeroconf
and prints every service that is found, updated or removed as one JSON line:

  {"event": "found", "instance": "Zonkards on zk-a", "name": "Zonkards on zk-a._zonkards._tcp.local.",
   "type": "_zonkards._tcp.local.", "host": "zk-a.local.", "address": "192.0.2.1",
   "addresses": ["192.0.2.1"], "port": 7772, "txt": {"txtvers": "1", "v": "1.0.2"}}
  {"event": "removed", "instance": ..., "name": ..., "type": ...}

A service that cannot be resolved within 3 s is printed as "unresolved".
Runs for --seconds, or until an event given by --until (for an instance whose
name contains --name) has been printed; exits 0, or 1 when --until was not met.
Ends early on SIGTERM or SIGINT.

  zc_browse.py --address 192.0.2.2 --seconds 10 --until removed --name "Zonkards on"
"""
import argparse
import json
import signal
import sys
import threading

from zeroconf import IPVersion, ServiceBrowser, ServiceStateChange, Zeroconf

SERVICE_TYPE = "_zonkards._tcp.local."


def text(raw):
    if raw is None:
        return None
    return raw.decode("utf-8", "replace") if isinstance(raw, bytes) else str(raw)


def instance_of(name, type_):
    suffix = "." + type_
    return name[: -len(suffix)] if name.endswith(suffix) else name


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--address", required=True, help="IPv4 address of the interface to browse on")
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--until", choices=["found", "updated", "removed"])
    parser.add_argument("--name", default="", help="only this text in the instance name ends --until")
    args = parser.parse_args()

    done = threading.Event()
    met = threading.Event()
    printing = threading.Lock()

    def emit(record):
        with printing:
            sys.stdout.write(json.dumps(record, sort_keys=True) + "\n")
            sys.stdout.flush()
        if args.until == record["event"] and args.name in record["instance"]:
            met.set()
            done.set()

    def changed(zeroconf, service_type, name, state_change):
        record = {"event": "", "name": name, "type": service_type, "instance": instance_of(name, service_type)}
        if state_change is ServiceStateChange.Removed:
            record["event"] = "removed"
            emit(record)
            return
        info = zeroconf.get_service_info(service_type, name, timeout=3000)
        if info is None:
            record["event"] = "unresolved"
            emit(record)
            return
        addresses = info.parsed_addresses(IPVersion.V4Only)
        record.update(
            event="found" if state_change is ServiceStateChange.Added else "updated",
            host=info.server,
            address=addresses[0] if addresses else None,
            addresses=addresses,
            port=info.port,
            txt={text(k): text(v) for k, v in (info.properties or {}).items()},
        )
        emit(record)

    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: done.set())

    zc = Zeroconf(interfaces=[args.address], ip_version=IPVersion.V4Only)
    try:
        ServiceBrowser(zc, SERVICE_TYPE, handlers=[changed])
        done.wait(args.seconds)
    finally:
        zc.close()
    return 1 if args.until and not met.is_set() else 0


if __name__ == "__main__":
    sys.exit(main())
