#!/usr/bin/env bash
# Writes the seeds of fuzz_jpeg (fuzz/jpeg/corpus/): small pictures of our
# own (a gradient with a die's pips, drawn as a PPM by Python) encoded by
# cjpeg in the forms a download may bring: baseline, progressive, grey,
# with restart markers, without chroma subsampling, arithmetic-coded, one
# pixel, and an odd size.
#
#   fuzz/jpeg/make_corpus.sh        (needs cjpeg and python3: scripts/setup tools)
set -euo pipefail
cd "$(dirname "$0")"
command -v cjpeg >/dev/null || { echo "needs cjpeg: scripts/setup tools" >&2; exit 1; }
mkdir -p corpus

picture() { # width height
  python3 - "$1" "$2" <<'PY'
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
px = bytearray()
for y in range(h):
    for x in range(w):
        pip = any((x - cx) ** 2 + (y - cy) ** 2 <= 2 for cx, cy in ((w // 4, h // 4), (w // 2, h // 2), (3 * w // 4, 3 * h // 4)))
        px += bytes((20, 20, 20) if pip else (40 + 200 * x // max(1, w - 1), 160, 40 + 200 * y // max(1, h - 1)))
sys.stdout.buffer.write(b"P6\n%d %d\n255\n" % (w, h) + bytes(px))
PY
}

picture 24 16 | cjpeg -quality 75 -baseline > corpus/baseline.jpg
picture 24 16 | cjpeg -quality 75 -progressive > corpus/progressive.jpg
picture 24 16 | cjpeg -grayscale > corpus/grey.jpg
picture 24 16 | cjpeg -restart 1 > corpus/restarts.jpg
picture 24 16 | cjpeg -sample 1x1 -optimize > corpus/no-subsampling.jpg
picture 24 16 | cjpeg -arithmetic > corpus/arithmetic.jpg
picture 1 1 | cjpeg > corpus/one-pixel.jpg
picture 33 7 | cjpeg -quality 30 > corpus/odd-size.jpg
ls -l corpus
