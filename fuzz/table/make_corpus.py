#!/usr/bin/env python3
"""Writes the seeds of fuzz_table (fuzz/table/corpus/) from the scripted game
of tests/unit/golden/wire-transcript.txt: for each table the transcript
connects, the messages the host sent it, in order, as FuzzTable.cpp reads
its input (a start byte, then steps: 0 and a two-byte length for a message,
2 for a click, 3 for time passing), with the player's own clicks after the
host gives the table its turn. Two more seeds flood the chat.

    fuzz/table/make_corpus.py
"""
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
TRANSCRIPT = os.path.join(HERE, "..", "..", "tests", "unit", "golden", "wire-transcript.txt")
OUT = os.path.join(HERE, "corpus")

JOIN, HOST = 0, 1
ROLL, DIE, CATEGORY, TUMBLE = 0, 4, 5, 7


def message(text):
    data = text.encode("latin-1")
    return bytes([0, len(data) >> 8, len(data) & 0xFF]) + data


def click(action, n=0):
    return bytes([2, n, action])


def later(ms):
    return bytes([3, min(255, ms // 50)])


def unescape(text):
    return re.sub(r"\\x([0-9A-F]{2})", lambda m: chr(int(m.group(1), 16)), text)


def tables():
    """(slot, [host messages without terminator]) for every connection."""
    found = []
    open_ = {}
    with open(TRANSCRIPT, encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\n")
            m = re.match(r"connect as slot (\d+)$", line)
            if m:
                slot = int(m.group(1))
                open_[slot] = (slot, [])
                found.append(open_[slot])
                continue
            m = re.match(r"(?:slot (\d+) hangs up|host closes (\d+))$", line)
            if m:
                open_.pop(int(m.group(1) or m.group(2)), None)
                continue
            m = re.match(r"host > (\d+) (.*)$", line)
            if m and int(m.group(1)) in open_:
                for part in unescape(m.group(2)).split("\xff"):
                    if part:
                        open_[int(m.group(1))][1].append(part)
    return found


def seed(slot, messages):
    out = bytearray([HOST if slot == 1 else JOIN])
    for text in messages:
        out += message(text)
        if text.startswith("CMD_nextplayer+%d+" % slot):
            out += later(600) + click(TUMBLE) + click(ROLL)
        elif text.startswith("CMD_createdice+%d+1+" % slot):
            out += click(DIE, 1) + click(CATEGORY, 2) + click(ROLL)
    return bytes(out)


def main():
    os.makedirs(OUT, exist_ok=True)
    written = 0
    for index, (slot, messages) in enumerate(tables()):
        if len(messages) < 3:
            continue
        with open(os.path.join(OUT, "slot%d-%d" % (slot, index)), "wb") as f:
            f.write(seed(slot, messages))
        written += 1
    # A joined table that receives a flood of chat lines, and one of actions.
    login = message("CMD_sendlogininfo+4") + message("CMD_newplayerinfo+4+Eve")
    for name, kind in (("flood-chat", 0), ("flood-action", 1)):
        line = b"Bob chats: spam|clRed"
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(bytes([JOIN]) + login + bytes([1, kind, len(line)]) + line + bytes([40, 200]))
        written += 1
    print("wrote %d seeds to %s" % (written, OUT))


if __name__ == "__main__":
    main()
