#!/usr/bin/env python3
"""Draws the editor's tool-bar strip and its two icons.

The tool-bar strip is a 16-colour BMP of eleven 16 x 15 buttons, drawn here
as character maps so that a change to one picture is a readable diff.  The
same maps give the strips for higher DPI: 32 x 30 by doubling each pixel
with the corner rule of the Scale2x pixel-art scaler (diagonal edges stay
smooth, nothing is blurred, no new colours), and 24 x 23 by taking every
other pixel of the Scale3x picture.  The
icons are drawn with ImageMagick at 256 pixels and scaled down into one
multi-size .ico each.  Run from anywhere; writes into editor/res.

    python3 tools/editor_images.py
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "editor", "res")

# The classic 16-colour palette.  Light grey is the button face: the tool bar
# treats it as the transparent background of every picture.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
INK = {".": 7, "k": 0, "m": 1, "G": 2, "o": 3, "b": 4, "t": 6, "g": 8,
       "r": 9, "y": 11, "B": 12, "c": 14, "w": 15}

W, H = 16, 15

# In tool-bar order: New, Open, Save, Print, Find, Read-only, Cut, Copy,
# Paste, Undo, Date/time.
BUTTONS = [
    ("new", """
................
...kkkkkkk......
...kwwwwwkk.....
...kwwwwwkwk....
...kwwwwwkkkk...
...kwwwwwwwwk...
...kwggggggwk...
...kwwwwwwwwk...
...kwggggggwk...
...kwwwwwwwwk...
...kwggggggwk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kkkkkkkkkk...
................"""),
    ("open", """
................
................
.........kkk....
........k...k.k.
.............kk.
.kkk........kkk.
kyyykkkkkkk.....
kyyyyyyyyyk.....
kyyyykkkkkkkkkk.
kyyykoooooooook.
kyykoooooooook..
kykoooooooook...
kkoooooooook....
kkkkkkkkkkk.....
................"""),
    ("save", """
................
.kkkkkkkkkkkkk..
.kbbwwwwwwwwbk..
.kbbwwwwwwwwbk..
.kbbwggggggwbk..
.kbbwwwwwwwwbk..
.kbbbbbbbbbbbk..
.kbbbbbbbbbbbk..
.kbbkkkkkkkbbk..
.kbbkkkwwkkbbk..
.kbbkkkwwkkbbk..
.kbbkkkwwkkbbk..
.kkkkkkkkkkkkk..
................
................"""),
    ("print", """
................
....kkkkkkkk....
....kwwwwwwk....
....kwkkkkwk....
....kwwwwwwk....
..kkkkkkkkkkkk..
.kggggggggggggk.
.kwwwwwwwwwwwwk.
.kwwwwwwwwwGGwk.
.kwwwwwwwwwwwwk.
.kggggggggggggk.
..kkkkkkkkkkkk..
...kwwwwwwwwk...
...kkkkkkkkkk...
................"""),
    ("find", """
................
....kkkk........
...kccccg.......
..kcwcccck......
..kcwcccck......
..kcccccck......
..kcccccck......
...kcccck.......
....kkkkkk......
........kkk.....
.........kkk....
..........kkk...
...........kkk..
............kk..
................"""),
    ("readonly", """
................
.....kkkkkk.....
....kk....kk....
....k......k....
....k......k....
...kkkkkkkkkk...
...kyyyyyyyyk...
...kyyyyyyyyk...
...kyyykkyyyk...
...kyyykkyyyk...
...kyyyykyyyk...
...kyyyykyyyk...
...kyyyyyyyyk...
...kkkkkkkkkk...
................"""),
    ("cut", """
................
....k.....k.....
....k.....k.....
....k.....k.....
....kk...kk.....
.....k...k......
.....kk.kk......
......kkk.......
.......k........
......bkb.......
....bbb.bbb.....
...b..b.b..b....
...b..b.b..b....
...b..b.b..b....
....bb...bb....."""),
    ("copy", """
kkkkkkk.........
kwwwwwkk........
kwkkkwkwk.......
kwwwwwkkkk......
kwkkkkkkkkkkk...
kwwwwkwwwwwkkk..
kwkkkkwkkkwkwk..
kwwwwkwwwwwkkkk.
kwkkkkwkkkkkkwk.
kwwwwkwwwwwwwwk.
kkkkkkwkkkkkkwk.
.....kwwwwwwwwk.
.....kwkkkkkkwk.
.....kwwwwwwwwk.
.....kkkkkkkkkk."""),
    ("paste", """
.....kkkk.......
..kkkwyywkkk....
.koooyyyyoook...
.kookkkkkkook...
.koooooooooook..
.kooookkkkkkkk..
.kooookwwwwwkwk.
.kooookwkkkwkkk.
.kooookwwwwwwwk.
.kooookwkkkkkwk.
.kooookwwwwwwwk.
.kooookwkkkkkwk.
.kooookwwwwwwwk.
..kkkkkkkkkkkkk.
................"""),
    ("undo", """
................
................
....k...........
...kk...........
..kbkkkkkkk.....
.kbbbbbbbbbk....
..kbkkkkkkbbk...
...kk.....kbbk..
....k......kbk..
...........kbk..
..........kbbk..
.........kbbk...
........kkkk....
................
................"""),
    ("datetime", """
................
.....kkkkkk.....
...kkwwwwwwkk...
..kwwwwkwwwwwk..
..kwwwwkwwwwwk..
.kwwwwwkwwwwwwk.
.kwwwwwkwwwwwwk.
.kwwwwwkrrrrwwk.
.kwwwwwwwwwwwwk.
.kwwwwwwwwwwwwk.
..kwwwwwwwwwwk..
..kwwwwwwwwwwk..
...kkwwwwwwkk...
.....kkkkkk.....
................"""),
]


def button_rows(name, art):
    rows = art.strip("\n").split("\n")
    if len(rows) != H or any(len(r) != W for r in rows):
        sys.exit(f"editor_images: picture '{name}' is not {W} x {H}")
    return [[INK[c] for c in r] for r in rows]


def scale2x(rows):
    """Scale2x: each pixel becomes four; a corner takes the colour of its two
    neighbours when they agree and the other two do not."""
    h, w = len(rows), len(rows[0])
    at = lambda x, y: rows[min(max(y, 0), h - 1)][min(max(x, 0), w - 1)]
    out = [[0] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p, a, b, c, d = at(x, y), at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            e = [p, p, p, p]
            if c == a and c != d and a != b: e[0] = a
            if a == b and a != c and b != d: e[1] = b
            if d == c and d != b and c != a: e[2] = c
            if b == d and b != a and d != c: e[3] = d
            out[2 * y][2 * x], out[2 * y][2 * x + 1] = e[0], e[1]
            out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = e[2], e[3]
    return out


def scale3x(rows):
    """Scale3x: each pixel becomes nine by the same kind of corner rule."""
    h, w = len(rows), len(rows[0])
    at = lambda x, y: rows[min(max(y, 0), h - 1)][min(max(x, 0), w - 1)]
    out = [[0] * (3 * w) for _ in range(3 * h)]
    for y in range(h):
        for x in range(w):
            A, B, C = at(x - 1, y - 1), at(x, y - 1), at(x + 1, y - 1)
            D, E, F = at(x - 1, y), at(x, y), at(x + 1, y)
            G, H_, I = at(x - 1, y + 1), at(x, y + 1), at(x + 1, y + 1)
            e = [E] * 9
            if B != H_ and D != F:
                e[0] = D if D == B else E
                e[1] = B if (D == B and E != C) or (B == F and E != A) else E
                e[2] = F if B == F else E
                e[3] = D if (D == B and E != G) or (D == H_ and E != A) else E
                e[5] = F if (B == F and E != I) or (H_ == F and E != C) else E
                e[6] = D if D == H_ else E
                e[7] = H_ if (D == H_ and E != I) or (H_ == F and E != G) else E
                e[8] = F if H_ == F else E
            for i in range(9):
                out[3 * y + i // 3][3 * x + i % 3] = e[i]
    return out


def one_and_a_half(rows):
    big = scale3x(rows)
    return [row[::2] for row in big[::2]]


# The strips: file name and how a 16 x 15 picture becomes one of its size.
STRIPS = [("toolbar.bmp", lambda rows: rows),
          ("toolbar24.bmp", one_and_a_half),
          ("toolbar32.bmp", scale2x)]


def write_toolbar_bmp(path, scale):
    pictures = [scale(button_rows(n, a)) for n, a in BUTTONS]
    height = len(pictures[0])
    width = sum(len(p[0]) for p in pictures)
    stride = (width * 4 + 31) // 32 * 4
    pixels = bytearray()
    for y in reversed(range(height)):  # BMP rows run bottom-up
        row = [c for p in pictures for c in p[y]]
        packed = bytearray((row[i] << 4) | row[i + 1] for i in range(0, width, 2))
        pixels += packed + bytes(stride - len(packed))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels),
                       2835, 2835, 16, 16)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


# Both icons are a sheet of text; the program's own carries a padlock, the
# document's a folded corner and a key, so the two read apart in Explorer.
PAGE = ["-fill", "white", "-stroke", "#2b3a55", "-strokewidth", "10",
        "-draw", "path 'M 44,16 L 160,16 L 212,68 L 212,240 L 44,240 Z'",
        "-draw", "path 'M 160,16 L 160,68 L 212,68'"]
LINES = ["-stroke", "#6f8fc8", "-strokewidth", "10"] + sum(
    (["-draw", f"line 72,{y} 184,{y}"] for y in (92, 122, 152)), [])
LOCK = ["-stroke", "#5a4300", "-strokewidth", "14", "-fill", "none",
        "-draw", "arc 140,140 220,220 180,360",
        "-draw", "line 140,180 140,196", "-draw", "line 220,180 220,196",
        "-strokewidth", "8", "-fill", "#f2c12e",
        "-draw", "roundrectangle 124,190 236,250 12,12",
        "-fill", "#5a4300", "-stroke", "none",
        "-draw", "circle 180,214 180,224", "-draw", "rectangle 176,214 184,238"]
KEY = ["-stroke", "#5a4300", "-strokewidth", "8", "-fill", "#f2c12e",
       "-draw", "circle 120,196 120,230",
       "-draw", "rectangle 150,188 236,204",
       "-draw", "rectangle 206,204 218,226", "-draw", "rectangle 226,204 236,220",
       "-fill", "white", "-draw", "circle 112,196 112,206"]


def write_icon(path, layers):
    with tempfile.TemporaryDirectory() as tmp:
        big = os.path.join(tmp, "icon.png")
        subprocess.run(["convert", "-size", "256x256", "xc:none"] + layers + [big],
                       check=True)
        subprocess.run(["convert", big, "-define", "icon:auto-resize=256,64,48,40,32,24,20,16",
                        path], check=True)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, scale in STRIPS:
        write_toolbar_bmp(os.path.join(OUT, name), scale)
    write_icon(os.path.join(OUT, "tolvane.ico"), PAGE + LINES + LOCK)
    write_icon(os.path.join(OUT, "document.ico"), PAGE + LINES[:8] + KEY)


if __name__ == "__main__":
    main()
