#!/usr/bin/env python3
"""Writes the seeds of fuzz_http (fuzz/http/corpus/): a handful of answers
to the lobby download, encoded as FuzzHttp.cpp reads its input (the start
address, then per hop: the heads with their lines, the body pieces and how
the transfer ended).

    fuzz/http/make_corpus.py
"""
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")

# Indices into kStatuses and kLocations of FuzzHttp.cpp.
STATUS = {200: 0, 204: 1, 206: 2, 299: 3, 301: 4, 302: 5, 303: 6, 304: 7, 307: 8, 308: 9,
          399: 10, 100: 11, 101: 12, 199: 13, 0: 14, 400: 15, 404: 16, 500: 17}
ABSOLUTE, HTTPS_MIRROR, RELATIVE_PATH, RELATIVE_FILE, FILE_SCHEME = 0, 1, 2, 3, 4
HTTP_START, HTTPS_START = 0, 1


def text(data, most):
    assert len(data) < most
    return bytes([len(data)]) + data


def location(index):
    return bytes([0, 1, 1, index])  # "Location:", one of the list


def length(n):
    return bytes([1, n // 37])


def hop(heads, pieces=(), ending=0):
    """heads: [(status, reason, [line bytes])]; pieces: body pieces."""
    out = bytearray([len(heads) - 1])
    stopped = False
    status = 0
    has_location = False
    for status, reason, lines in heads:
        out += bytes([1, 1, STATUS[status]]) + text(reason, 8) + bytes([len(lines)])
        for line in lines:
            out += line
        out += bytes([1] * (len(lines) + 2))  # every line ends in CR LF
        has_location = any(line[:1] == b"\x00" for line in lines)
        if status >= 400:
            stopped = True
            break
    if not stopped:
        out += bytes([len(pieces)])
        for piece in pieces:
            out += text(piece, 200)
            if 200 <= status <= 299 and piece:
                out += bytes([1])  # the sink takes it
            elif not (300 <= status <= 399 and has_location):
                break  # refused: the transfer ends
    out += bytes([ending])
    return bytes(out)


SEEDS = {
    "ok-in-pieces": bytes([HTTP_START]) + hop([(200, b"OK", [length(111)])], [b"MZ" + b"\0" * 60, b"x" * 49]),
    "redirect-then-ok": bytes([HTTP_START])
    + hop([(302, b"Found", [location(ABSOLUTE), length(37)])], [b"moved"])
    + hop([(200, b"OK", [])], [b"installer"]),
    "https-to-http": bytes([HTTPS_START]) + hop([(301, b"Moved", [location(ABSOLUTE)])]),
    "https-to-https": bytes([HTTPS_START])
    + hop([(307, b"Temp", [location(HTTPS_MIRROR)])])
    + hop([(200, b"OK", [])], [b"setup"]),
    "continue-then-ok": bytes([HTTP_START]) + hop([(100, b"Cont", []), (200, b"OK", [])], [b"body"]),
    "not-found": bytes([HTTP_START]) + hop([(404, b"Missing", [length(74)])], [b"<html>gone</html>"]),
    "cut-short": bytes([HTTP_START]) + hop([(200, b"OK", [length(185)])], [b"c" * 120], ending=12),
    "redirect-circle": bytes([HTTP_START]) + hop([(302, b"Found", [location(RELATIVE_PATH)])]) * 7,
    "redirect-nowhere": bytes([HTTP_START]) + hop([(302, b"Found", [length(37)])], [b"not a file!"]),
    "file-scheme": bytes([HTTP_START]) + hop([(303, b"See", [location(FILE_SCHEME)])]),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    print("wrote %d seeds to %s" % (len(SEEDS), OUT))


if __name__ == "__main__":
    main()
