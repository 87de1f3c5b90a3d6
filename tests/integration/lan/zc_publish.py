#!/usr/bin/env python3
"""Publishes a fake Zonkards host as _zonkards._tcp.local. with python-zeroconf,
on one interface address only, and keeps it until standard input closes or
SIGTERM/SIGINT comes; then withdraws it (goodbye packets) and exits 0.

  zc_publish.py --address 192.0.2.2 --name "Fake table" --port 23456 txtvers=1 v=1.0.2 state=wait

Prints {"event": "registered", "name": ...} once the name is ours. A line
"txt key=value ..." on standard input replaces the TXT record and prints
{"event": "updated", ...}.
"""
import argparse
import json
import os
import signal
import socket
import sys

from zeroconf import IPVersion, ServiceInfo, Zeroconf

SERVICE_TYPE = "_zonkards._tcp.local."


class Stop(Exception):
    pass


def properties(pairs):
    out = {}
    for pair in pairs:
        key, sep, value = pair.partition("=")
        if not key:
            raise SystemExit(f"zc_publish.py: not a key=value pair: {pair!r}")
        out[key] = value if sep else None
    return out


def say(event, name):
    sys.stdout.write(json.dumps({"event": event, "name": name}) + "\n")
    sys.stdout.flush()


def raise_stop(*_):
    raise Stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--address", required=True, help="IPv4 address of the interface to publish on")
    parser.add_argument("--name", required=True, help="instance name, e.g. \"Fake table\"")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("txt", nargs="*", help="TXT entries as key=value")
    args = parser.parse_args()

    def service(txt):
        return ServiceInfo(
            SERVICE_TYPE,
            f"{args.name}.{SERVICE_TYPE}",
            addresses=[socket.inet_aton(args.address)],
            port=args.port,
            properties=properties(txt),
            server=f"zc-publish-{os.getpid()}.local.",
        )

    info = service(args.txt)
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, raise_stop)

    zc = Zeroconf(interfaces=[args.address], ip_version=IPVersion.V4Only)
    registered = False
    try:
        zc.register_service(info, allow_name_change=False)
        registered = True
        say("registered", info.name)
        for line in sys.stdin:
            words = line.split()
            if words[:1] == ["txt"]:
                info = service(words[1:])
                zc.update_service(info)
                say("updated", info.name)
    except Stop:
        pass
    finally:
        # A second signal must not cut the goodbye short.
        for sig in (signal.SIGTERM, signal.SIGINT):
            signal.signal(sig, signal.SIG_IGN)
        if registered:
            zc.unregister_service(info)
        zc.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
