#!/usr/bin/env python3
"""A peer that is not ours for the LAN discovery tests: python-zeroconf on one
IPv4 interface address, speaking _zonkards._tcp.local.

  zc.py browse ADDRESS [SECONDS]
      prints "browsing", then one line per change, until SECONDS (120) have
      passed or SIGTERM comes; the TXT entries in their order on the wire:
        found NAME at ADDRESS:PORT key=value ...
        updated NAME at ADDRESS:PORT key=value ...
        unresolved NAME          (not resolved within 3 s)
        removed NAME
  zc.py publish ADDRESS NAME PORT key=value ... [-- key=value ...]
      publishes a game with the first TXT (entries as given, in that order,
      duplicates kept) and prints "registered NAME";
      SIGUSR1 replaces the TXT by the one after "--" ("updated NAME");
      SIGTERM withdraws the game (goodbye packets) and exits 0.
"""
import os
import signal
import socket
import sys
import threading

from zeroconf import IPVersion, ServiceBrowser, ServiceInfo, ServiceStateChange, Zeroconf

TYPE = "_zonkards._tcp.local."
SIGNALS = {signal.SIGTERM, signal.SIGINT, signal.SIGUSR1}
printing = threading.Lock()


def say(*words):
    with printing:
        print(*words, flush=True)


def text(raw):
    return raw.decode("utf-8", "replace") if isinstance(raw, bytes) else str(raw)


def browse(zc, seconds="120"):
    def changed(zeroconf, service_type, name, state_change):
        instance = name[: -len(TYPE) - 1] if name.endswith("." + TYPE) else name
        if state_change is ServiceStateChange.Removed:
            return say("removed", instance)
        info = zeroconf.get_service_info(service_type, name, timeout=3000)
        if info is None:
            return say("unresolved", instance)
        addresses = info.parsed_addresses(IPVersion.V4Only)
        txt, raw, at = [], info.text or b"", 0
        while at < len(raw):
            txt.append(text(raw[at + 1 : at + 1 + raw[at]]))
            at += 1 + raw[at]
        kind = "found" if state_change is ServiceStateChange.Added else "updated"
        say(kind, instance, f"at {addresses[0] if addresses else '-'}:{info.port}", *txt)

    ServiceBrowser(zc, TYPE, handlers=[changed])
    say("browsing")
    signal.sigtimedwait(SIGNALS, float(seconds))


def publish(zc, address, name, port, *txt):
    cut = txt.index("--") if "--" in txt else len(txt)
    first, second = txt[:cut], txt[cut + 1 :]

    def service(entries):
        raw = b"".join(bytes((len(e),)) + e for e in (entry.encode() for entry in entries))
        return ServiceInfo(TYPE, f"{name}.{TYPE}", addresses=[socket.inet_aton(address)], port=int(port),
                           properties=raw, server=f"zc-{os.getpid()}.local.")

    info = service(first)
    zc.register_service(info, allow_name_change=False)
    say("registered", name)
    try:
        while signal.sigwait(SIGNALS) == signal.SIGUSR1:
            info = service(second)
            zc.update_service(info)
            say("updated", name)
    finally:
        zc.unregister_service(info)


def main(command, address, *args):
    # Blocked before zeroconf starts its threads, so only sigwait takes them.
    signal.pthread_sigmask(signal.SIG_BLOCK, SIGNALS)
    zc = Zeroconf(interfaces=[address], ip_version=IPVersion.V4Only)
    try:
        if command == "browse":
            browse(zc, *args)
        else:
            publish(zc, address, *args)
    finally:
        zc.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
