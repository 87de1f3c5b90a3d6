#!/usr/bin/env bash
# Draws the picture of the lobby download window (a dice table under a dim
# lamp; the window lays the words "IS CLOSED" over it) and writes it as
# assets/lobby_closed.jpg. The drawing is plain Python writing a PPM, encoded
# by cjpeg (libjpeg-turbo-progs), so the picture is ours and reproducible.
#
#   tools/make_lobby_picture.sh [output.jpg]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-assets/lobby_closed.jpg}"
command -v cjpeg >/dev/null || { echo "needs cjpeg: scripts/setup tools" >&2; exit 1; }
command -v python3 >/dev/null || { echo "needs python3: scripts/setup tools" >&2; exit 1; }

python3 - <<'PY' | cjpeg -quality 88 -optimize -baseline > "$out.tmp"
import math, sys

W, H = 360, 200          # size of the picture in the window
S = 3                    # supersampling factor for smooth edges
w, h = W * S, H * S
px = bytearray(w * h * 3)

def put(x, y, c, a=1.0):
    i = (y * w + x) * 3
    for k in range(3):
        px[i + k] = int(px[i + k] * (1 - a) + c[k] * a)

def fill(shape, colour, alpha=1.0, box=(0, 0, w, h)):
    x0, y0, x1, y1 = (max(0, int(box[0])), max(0, int(box[1])),
                      min(w, int(box[2]) + 1), min(h, int(box[3]) + 1))
    for y in range(y0, y1):
        for x in range(x0, x1):
            if shape(x + 0.5, y + 0.5):
                put(x, y, colour, alpha)

# Wall: a warm gradient darkening towards the edges, as under a lamp.
for y in range(h):
    for x in range(w):
        dx, dy = (x - w / 2) / (w / 2), (y - h * 0.15) / h
        light = max(0.0, 1.0 - 0.75 * math.hypot(dx, dy * 1.6))
        i = (y * w + x) * 3
        px[i:i + 3] = bytes((int(40 + 90 * light), int(22 + 55 * light), int(18 + 30 * light)))

# The table: a green felt ellipse with a wooden rim.
cx, cy, rx, ry = w / 2, h * 0.78, w * 0.56, h * 0.46
def ellipse(ax, ay, bx, by):
    return lambda x, y: ((x - ax) / bx) ** 2 + ((y - ay) / by) ** 2 <= 1.0
fill(ellipse(cx, cy, rx, ry), (92, 54, 28))
for y in range(h):
    for x in range(w):
        e = ((x + 0.5 - cx) / (rx - 10 * S)) ** 2 + ((y + 0.5 - cy) / (ry - 10 * S)) ** 2
        if e <= 1.0:
            shade = 1.0 - 0.35 * e
            put(x, y, (int(20 * shade), int(120 * shade), int(52 * shade)))

# Five dice lying on the felt, each with a soft shadow and its pips.
PIPS = {1: [(0, 0)], 2: [(-1, -1), (1, 1)], 3: [(-1, -1), (0, 0), (1, 1)],
        4: [(-1, -1), (1, -1), (-1, 1), (1, 1)],
        5: [(-1, -1), (1, -1), (0, 0), (-1, 1), (1, 1)],
        6: [(-1, -1), (1, -1), (-1, 0), (1, 0), (-1, 1), (1, 1)]}
def rounded(x0, y0, size, r):
    def inside(x, y):
        qx = max(x0 + r - x, 0, x - (x0 + size - r))
        qy = max(y0 + r - y, 0, y - (y0 + size - r))
        return x0 <= x <= x0 + size and y0 <= y <= y0 + size and qx * qx + qy * qy <= r * r
    return inside
size = 34 * S
for n, (fx, fy, face) in enumerate([(0.20, 0.56, 3), (0.34, 0.66, 1), (0.48, 0.55, 4),
                                    (0.62, 0.67, 2), (0.76, 0.57, 5)]):
    x0, y0 = fx * w - size / 2, fy * h - size / 2
    fill(rounded(x0 + 4 * S, y0 + 5 * S, size, 7 * S), (0, 0, 0), 0.35,
         (x0, y0, x0 + size + 6 * S, y0 + size + 6 * S))
    fill(rounded(x0, y0, size, 7 * S), (246, 242, 230), 1.0, (x0, y0, x0 + size, y0 + size))
    step, pr = size * 0.27, 3.4 * S
    for px_, py_ in PIPS[face]:
        pcx, pcy = x0 + size / 2 + px_ * step, y0 + size / 2 + py_ * step
        fill(lambda x, y: (x - pcx) ** 2 + (y - pcy) ** 2 <= pr * pr, (25, 25, 30), 1.0,
             (pcx - pr, pcy - pr, pcx + pr, pcy + pr))

# A dark band across the upper part where the window writes its caption.
for y in range(int(h * 0.10), int(h * 0.36)):
    for x in range(w):
        put(x, y, (10, 6, 6), 0.55)

# Box-filter the supersampled image down and write it as a binary PPM.
out = bytearray(W * H * 3)
for y in range(H):
    for x in range(W):
        acc = [0, 0, 0]
        for sy in range(S):
            row = ((y * S + sy) * w + x * S) * 3
            for sx in range(S):
                for k in range(3):
                    acc[k] += px[row + sx * 3 + k]
        o = (y * W + x) * 3
        for k in range(3):
            out[o + k] = acc[k] // (S * S)
sys.stdout.buffer.write(b"P6\n%d %d\n255\n" % (W, H) + bytes(out))
PY
mv "$out.tmp" "$out"
echo "wrote $out"
