"""The driver of tools/screen-reader-game, run inside its D-Bus session:
starts the AT-SPI bus, Orca and the game, and plays a solo game by keys."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bench"))
from measure import Automation  # noqa: E402  the game's automation channel

box = os.environ["ZK_BOX"]
program = os.environ["ZK_PROGRAM"]


def wait(auto, test, timeout=60):
    """The board once test(board) holds, or None after the timeout."""
    try:
        return auto.wait_board(test, timeout)
    except TimeoutError:
        return None


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def key(k, window="Zonkards"):
    """One key press to the window of that title. There is no window manager
    on the private display to give the focus back when the start window
    closes, so the driver gives it, as a window manager would."""
    if xdotool("getwindowfocus", "getwindowname") != window:
        found = xdotool("search", "--name", "^%s$" % window).split()
        if found:
            xdotool("windowfocus", "--sync", found[0])
    subprocess.run(["xdotool", "key", "--clearmodifiers", k], check=True)
    time.sleep(0.3)


def own_turn(b):
    return b["currentSeat"] == b["ownSeat"] and b["rollButton"] and b["rollCount"] == 0


def turn_over(b):
    return b["currentSeat"] != b["ownSeat"] or b["winnerPanel"] or b["rollCount"] >= 3


def main():
    subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    time.sleep(1)
    subprocess.run(["gsettings", "set", "org.gnome.desktop.a11y.applications", "screen-reader-enabled", "true"])
    # Orca writes its debug log through a buffer; opened line by line, the
    # log holds everything however Orca ends.
    log = os.path.join(box, "orca.log")
    wrapper = ("import builtins, runpy, sys\n"
               "real = builtins.open\n"
               "def lines(file, mode='r', *a, **k):\n"
               "    return real(file, mode, 1) if file == %r else real(file, mode, *a, **k)\n"
               "builtins.open = lines\n"
               "sys.argv = ['orca', '--replace', '--debug-file=' + %r]\n"
               "runpy.run_path('/usr/bin/orca', run_name='__main__')\n") % (log, log)
    orca = subprocess.Popen(["/usr/bin/python3", "-c", wrapper], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(4)
    auto = Automation(box)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               ZONKARDS_AUTOMATION=os.path.join(box, "auto.sock"), ZONKARDS_DATA_DIR=box,
               XDG_RUNTIME_DIR=box, ZONKARDS_PORT=str(20000 + os.getpid() % 20000))
    game = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    auto.accept()
    wait(auto, lambda b: b["startButton"])
    time.sleep(2)
    key("ctrl+r")        # Start: the start window opens
    time.sleep(1)
    key("Return", "Zonkards - Start Game")  # with the limit it shows
    for turn in range(1, 8):
        print("screen-reader-game: turn", turn, file=sys.stderr)
        if not wait(auto, lambda b: own_turn(b) or b["winnerPanel"], 180) or auto.board()["winnerPanel"]:
            break
        time.sleep(1.5)
        key("ctrl+r")
        if not wait(auto, lambda b: b["rollCount"] >= 1):
            break
        time.sleep(1)
        if turn in (1, 2):
            key("ctrl+r")  # no category yet: the prompt asks
            wait(auto, lambda b: b["prompt"], 5)
            time.sleep(2)
            if turn == 1:
                key("n")   # declined, then a category and the rolls
            else:
                key("y")   # all five again; the third roll then needs a category
                wait(auto, lambda b: b["rollCount"] >= 2, 10)
                time.sleep(1)
                key("ctrl+r")
                wait(auto, lambda b: b["prompt1"], 5)
                time.sleep(2)
                key("Return")
        if turn == 3:
            # One turn on the board itself: Tab, the ring on die 1, Space holds
            # it (the reader reads the die), Right to ROLL DICE, Enter asks
            # (the ring goes onto YES), N, Escape back to the chat.
            key("Tab")
            time.sleep(1.5)
            key("space")
            time.sleep(1.5)
            for _ in range(5):
                key("Right")
                time.sleep(0.7)
            key("Return")
            wait(auto, lambda b: b["prompt"], 5)
            time.sleep(3)
            key("n")
            time.sleep(1.5)
            key("Escape")
        time.sleep(1)
        key("ctrl+1")      # hold die 1, and let it go again
        time.sleep(1)
        key("ctrl+1")
        b = auto.board()
        open_rows = [n for n, row in enumerate(b["categories"], 1) if row["button"] and row["flag"] == "t"]
        if open_rows and not b["selectedCategory"]:  # one row left is chosen by itself
            choice = turn if turn in open_rows else open_rows[0]
            key("alt+%d" % choice)
            wait(auto, lambda b: b["selectedCategory"] == choice or turn_over(b), 5)
            time.sleep(2)
        while not turn_over(auto.board()):
            key("ctrl+r")
            time.sleep(2.5)
    wait(auto, lambda b: b["winnerPanel"], 180)
    time.sleep(6)          # Orca writes its log as it goes
    auto.conn.sendall(b"quit\n")
    game.wait(timeout=30)
    time.sleep(2)
    orca.terminate()
    try:
        orca.wait(timeout=10)
    except subprocess.TimeoutExpired:
        orca.kill()


main()
