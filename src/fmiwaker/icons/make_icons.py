#!/usr/bin/env python3
"""Draws the program's two 16-colour icons and writes them as .ico files.

fmiwaker.ico: the executable's icon, 32x32 (the window icon's motif drawn
twice as large) and 16x16 (the curved arrow alone). form.ico: the window's
16x16 icon, the names XLS, TXT and DOC in red, yellow and cyan beside a
black arrow that rises towards the upper right.
"""
import struct
import sys
from pathlib import Path

# The standard 16-colour palette; index -1 is transparent.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GRAY, RED, YELLOW, CYAN = 0, 8, 9, 11, 14

FONT = {  # 3x5 letters
    "X": ["X.X", "X.X", ".X.", "X.X", "X.X"],
    "L": ["X..", "X..", "X..", "X..", "XXX"],
    "S": [".XX", "X..", ".X.", "..X", "XX."],
    "T": ["XXX", ".X.", ".X.", ".X.", ".X."],
    "D": ["XX.", "X.X", "X.X", "X.X", "XX."],
    "O": [".X.", "X.X", "X.X", "X.X", ".X."],
    "C": [".XX", "X..", "X..", "X..", ".XX"],
}


def blank(size):
    return [[-1] * size for _ in range(size)]


def draw_arrow(img, points, head):
    for x, y in points + head:
        if 0 <= y < len(img) and 0 <= x < len(img):
            img[y][x] = BLACK


def arrow_16():
    img = blank(16)
    curve = []
    for x in range(1, 14):
        y = round(14 - (x - 1) ** 2 / 13)
        curve += [(x, y), (x, y + 1)]
    head = [(10, 1), (11, 1), (12, 1), (13, 1), (13, 2), (13, 3), (13, 4), (12, 2)]
    draw_arrow(img, curve, head)
    return img


def form_16():
    img = blank(16)
    for row, (word, colour) in enumerate((("XLS", RED), ("TXT", YELLOW), ("DOC", CYAN))):
        top = row * 5 + row // 2
        for y in range(top, top + 5):
            for x in range(0, 12):
                img[y][x] = GRAY
        for i, letter in enumerate(word):
            for dy, line in enumerate(FONT[letter]):
                for dx, c in enumerate(line):
                    if c == "X":
                        img[top + dy][i * 4 + dx] = colour
    curve = [(12, 15), (12, 14), (13, 13), (13, 12), (14, 11), (14, 10), (14, 9), (15, 8),
             (15, 7), (15, 6), (15, 5), (15, 4)]
    head = [(14, 5), (13, 6), (15, 3)]
    draw_arrow(img, curve, head)
    return img


def doubled(img):
    return [[c for c in row for _ in (0, 1)] for row in img for _ in (0, 1)]


def image_bytes(img):
    size = len(img)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    xor = b""
    mask = b""
    for row in reversed(img):  # bottom-up
        nibbles = [max(c, 0) for c in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += line + b"\0" * (-len(line) % 4)
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c < 0 else 0)
        line = bits.to_bytes(size // 8, "big")
        mask += line + b"\0" * (-len(line) % 4)
    return header + palette + xor + mask


def ico(images):
    data = [image_bytes(img) for img in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, data):
        size = len(img)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    return out + b"".join(data)


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    (folder / "fmiwaker.ico").write_bytes(ico([doubled(form_16()), arrow_16()]))
    (folder / "form.ico").write_bytes(ico([form_16()]))


if __name__ == "__main__":
    main()
