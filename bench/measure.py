#!/usr/bin/python3
"""Whole-process measurements of our programs for bench/run. Each prints
"key value" lines.

  measure.py startup ZONKARDS [RUNS]        start to the main window mapped (Xvfb
                                            must be on DISPLAY), and peak memory
  measure.py idle PROGRAM [ARGS...]         wake-ups and CPU share over 30 s once
                                            quiet (IDLE_SECONDS, QUIET_SECONDS)
  measure.py hostclick ZONKARDS [TURNS]     the hosting table's own player: click
                                            to dice drawn, engine in the process

Wake-ups are counted from /proc: every time a thread of the process sleeps
again after running, the kernel counts a voluntary context switch.
"""
import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def sandbox_env(box, extra=None):
    """Own folders and an own port, so a game running beside the benchmark
    neither disturbs it nor is disturbed."""
    env = dict(os.environ)
    env.update({"XDG_RUNTIME_DIR": box, "ZONKARDS_DATA_DIR": box, "ZONKARDS_PORT": str(free_port())})
    env.update(extra or {})
    return env


def proc_threads(pid):
    return os.listdir(f"/proc/{pid}/task")


def switches(pid):
    """Voluntary context switches of every thread: {tid: (name, count)}."""
    out = {}
    for tid in proc_threads(pid):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                fields = dict(line.split(":", 1) for line in f if ":" in line)
            out[tid] = (fields["Name"].strip(), int(fields["voluntary_ctxt_switches"]))
        except (FileNotFoundError, ProcessLookupError):
            pass
    return out


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        parts = f.read().rsplit(")", 1)[1].split()
    return int(parts[11]) + int(parts[12])  # utime + stime


def peak_rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


class Automation:
    """The program's automation channel (ZONKARDS_AUTOMATION)."""

    def __init__(self, box):
        self.path = os.path.join(box, "auto.sock")
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(self.path)
        self.server.listen(1)
        self.conn = None
        self.buffer = b""

    def accept(self, timeout=30):
        self.server.settimeout(timeout)
        self.conn, _ = self.server.accept()
        self.conn.settimeout(60)
        return self.line()

    def line(self):
        while b"\n" not in self.buffer:
            chunk = self.conn.recv(65536)
            if not chunk:
                raise EOFError
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode("utf-8", "replace")

    def command(self, text):
        self.conn.sendall(text.encode() + b"\n")
        while True:
            answer = self.line()
            if not answer.startswith("event "):
                return answer

    def board(self):
        return json.loads(self.command("board"))

    def wait_board(self, test, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            b = self.board()
            if test(b):
                return b
            time.sleep(0.005)
        raise TimeoutError("board condition")


def startup(program, runs):
    from Xlib import X, display

    d = display.Display()
    root = d.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    times, peaks = [], []
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as box:
            os.chmod(box, 0o700)
            auto = Automation(box)
            env = sandbox_env(box, {"ZONKARDS_AUTOMATION": auto.path, "QT_QPA_PLATFORM": "xcb"})
            d.sync()
            while d.pending_events():
                d.next_event()
            t0 = time.monotonic()
            p = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            mapped = None
            while mapped is None:
                e = d.next_event()
                if e.type == X.MapNotify:
                    try:
                        name = e.window.get_wm_name()
                    except Exception:
                        name = None
                    if name == "Zonkards":
                        mapped = time.monotonic()
            times.append((mapped - t0) * 1000)
            auto.accept()
            auto.wait_board(lambda b: b["loggedIn"] and any(c["text"] == "You are Connected." for c in b["chat"]))
            time.sleep(1)
            peaks.append(peak_rss_kb(p.pid))
            auto.command("quit")
            p.wait(timeout=30)
    print(f"startup_median_ms {statistics.median(times):.1f}")
    print(f"startup_min_ms {min(times):.1f}")
    print(f"startup_max_ms {max(times):.1f}")
    print(f"peak_rss_mb {max(peaks) / 1024:.1f}")


def idle(argv):
    quiet = float(os.environ.get("QUIET_SECONDS", "12"))
    seconds = float(os.environ.get("IDLE_SECONDS", "30"))
    with tempfile.TemporaryDirectory() as box:
        os.chmod(box, 0o700)
        auto = None
        extra = {}
        if os.path.basename(argv[0]) == "zonkards":
            auto = Automation(box)
            extra["ZONKARDS_AUTOMATION"] = auto.path
        p = subprocess.Popen(argv, env=sandbox_env(box, extra), stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        if auto:
            auto.accept()
            auto.wait_board(lambda b: b["loggedIn"] and any(c["text"] == "You are Connected." for c in b["chat"]))
            # Without a window manager nothing has the focus and no cursor
            # blinks: give the window the focus as a desktop would, and type,
            # so the quiet period starts from a player's last key.
            subprocess.run(["xdotool", "search", "--sync", "--name", "^Zonkards$", "windowfocus", "--sync"],
                           check=True, stdout=subprocess.DEVNULL, timeout=30)
            subprocess.run(["xdotool", "type", "--delay", "50", "hi"], check=True, timeout=30)
        time.sleep(quiet)
        s0, c0, t0 = switches(p.pid), cpu_ticks(p.pid), time.monotonic()
        time.sleep(seconds)
        s1, c1, t1 = switches(p.pid), cpu_ticks(p.pid), time.monotonic()
        elapsed = t1 - t0
        total = 0
        busiest = []
        for tid, (name, count) in s1.items():
            before = s0.get(tid, (name, 0))[1]
            total += count - before
            if count - before:
                busiest.append(f"{name}:{count - before}")
        cpu = (c1 - c0) / os.sysconf("SC_CLK_TCK") / elapsed * 100
        print(f"wakeups {total}")
        print(f"wakeups_per_s {total / elapsed:.2f}")
        print(f"cpu_percent {cpu:.3f}")
        print(f"threads {' '.join(busiest) or '-'}")
        if auto:
            auto.command("quit")
        else:
            p.terminate()
        p.wait(timeout=30)


def hostclick(program, turns):
    with tempfile.TemporaryDirectory() as box:
        os.chmod(box, 0o700)
        auto = Automation(box)
        env = sandbox_env(box, {"ZONKARDS_AUTOMATION": auto.path})
        p = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        auto.accept()
        auto.wait_board(lambda b: b["loggedIn"] and any(c["text"] == "You are Connected." for c in b["chat"]))
        auto.command("menu Fast")
        auto.command("click start")
        auto.command("press gamestart Image1")
        samples = []
        own = lambda b: b["currentSeat"] == b["ownSeat"] and b["rollButton"]
        for _ in range(turns):
            b = auto.wait_board(lambda b: own(b) or b["status"] == "Game Over!")
            if b["status"] == "Game Over!":
                break
            while True:
                b = auto.wait_board(lambda b: own(b) or b["currentSeat"] != b["ownSeat"], timeout=60)
                if not own(b):
                    break
                if b["rollCount"] >= 1 and b["selectedCategory"] == 0:
                    rows = b["categories"]
                    pick = next(i + 1 for i, r in enumerate(rows) if r["button"] and r["flag"] == "t")
                    auto.command(f"click category {pick}")
                    auto.wait_board(lambda b: b["selectedCategory"] != 0)
                    continue
                time.sleep(0.05)  # a person sees the dice before he clicks again
                answer = auto.command("timeroll")
                if not answer.startswith("ok "):
                    raise RuntimeError(answer)
                samples.append(float(answer.split()[1]))
                if b["rollCount"] + 1 >= 3:
                    break
        auto.command("quit")
        p.wait(timeout=30)
    samples.sort()
    print(f"clicks {len(samples)}")
    print(f"p50_ms {statistics.median(samples):.3f}")
    print(f"p99_ms {samples[min(len(samples) - 1, int(0.99 * len(samples)))]:.3f}")
    print(f"max_ms {samples[-1]:.3f}")


def main():
    what = sys.argv[1]
    if what == "startup":
        startup(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 11)
    elif what == "idle":
        idle(sys.argv[2:])
    elif what == "hostclick":
        hostclick(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 5)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
