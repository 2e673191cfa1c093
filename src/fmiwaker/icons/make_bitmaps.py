#!/usr/bin/env python3
"""Draws the dialogs' 16-colour bitmaps and writes them as .bmp files.

The drive selector's pictures (16x11): floppy.bmp, hard.bmp, network.bmp,
cdrom.bmp, ram.bmp. The folder list's pictures (16x15): openfolder.bmp,
closedfolder.bmp, currentfolder.bmp. The About box's OK button: check.bmp,
two 18x18 glyphs side by side, a green check mark and its grey disabled
image. The programs draw them without the colour of the bottom-left pixel,
olive here, which no picture uses otherwise.
"""
import struct
import sys
from pathlib import Path

from make_icons import PALETTE

COLOURS = {".": 3, "k": 0, "e": 2, "s": 7, "g": 8, "r": 9, "G": 10, "y": 11, "b": 12,
           "c": 14, "w": 15, "n": 4}

FLOPPY = ["................",
          "................",
          ".wwwwwwwwwwwwwk.",
          ".wssssssssssssk.",
          ".wsgkkkkkkkkgsk.",
          ".wssssssssssssk.",
          ".wssssssssssGsk.",
          ".wssssssssssssk.",
          ".kkkkkkkkkkkkkk.",
          "................",
          "................"]

HARD = ["................",
        "................",
        ".wwwwwwwwwwwwwk.",
        ".wssssssssssssk.",
        ".wsggggggggsssk.",
        ".wssssssssssssk.",
        ".wsggggggggGGsk.",
        ".wssssssssssssk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................"]

NETWORK = ["..wwwwwwwwwwwk..",
           "..wssssssssssk..",
           "..wsggggggGGsk..",
           "..wssssssssssk..",
           "..kkkkkkkkkkkk..",
           ".......kk.......",
           ".......kk.......",
           ".bbbbbbbbbbbbbb.",
           ".b............b.",
           ".b............b.",
           "................"]

RAM = ["................",
       "..s.s.s.s.s.s...",
       "..s.s.s.s.s.s...",
       ".kkkkkkkkkkkkkk.",
       ".kkkkkkkkkkkkkk.",
       ".kwkkkkkkkkkkkk.",
       ".kkkkkkkkkkkkkk.",
       ".kkkkkkkkkkkkkk.",
       "..s.s.s.s.s.s...",
       "..s.s.s.s.s.s...",
       "................"]

CLOSED_FOLDER = ["................",
                 "................",
                 "..kkkkk.........",
                 ".kyyyyyk........",
                 "kyyyyyyykkkkkkk.",
                 "kwwwwwwwwwwwwwk.",
                 "kwyyyyyyyyyyyyk.",
                 "kwyyyyyyyyyyyyk.",
                 "kwyyyyyyyyyyyyk.",
                 "kwyyyyyyyyyyyyk.",
                 "kwyyyyyyyyyyyyk.",
                 "kwyyyyyyyyyyyyk.",
                 "kkkkkkkkkkkkkkk.",
                 "................",
                 "................"]

OPEN_FOLDER = ["................",
               "................",
               "..kkkkk.........",
               ".kyyyyyk........",
               "kyyyyyyykkkkkk..",
               "kyyyyyyyyyyyyk..",
               "kyykkkkkkkkkkkkk",
               "kykwwwwwwwwwwwwk",
               "kykwyyyyyyyyyyk.",
               "kkwyyyyyyyyyyyk.",
               "kkwyyyyyyyyyyk..",
               "kwyyyyyyyyyyyk..",
               "kkkkkkkkkkkkkk..",
               "................",
               "................"]


def current_folder():
    """The open folder with a light front, so the current one stands out."""
    return [row if n < 7 else row.replace("y", "c") for n, row in enumerate(OPEN_FOLDER)]


def cdrom():
    rows = []
    for y in range(11):
        row = ""
        for x in range(16):
            d = ((x - 7.5) ** 2 + (y - 5) ** 2) ** 0.5
            row += "." if d > 5.3 else "k" if d > 4.4 else "g" if d < 1.2 else "c" if d > 2 else "s"
        rows.append(row)
    return rows


def check(colour, shadow=None):
    img = [["."] * 18 for _ in range(18)]
    stroke = [(x, 8 + (x - 3)) for x in range(3, 8)] + [(x, 12 - (x - 7)) for x in range(7, 16)]
    for dx, dy, c in ([(1, 1, shadow)] if shadow else []) + [(0, 0, colour)]:
        for x, y in stroke:
            for t in range(3):
                img[y + t - 1 + dy][x + dx] = c
    return ["".join(row) for row in img]


def side_by_side(*images):
    return ["".join(rows) for rows in zip(*images)]


def bmp(rows):
    width, height = len(rows[0]), len(rows)
    pixels = b""
    for row in reversed(rows):  # bottom-up
        nibbles = [COLOURS[c] for c in row] + [0] * (len(row) % 2)
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
        pixels += line + b"\0" * (-len(line) % 4)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    return header + info + palette + pixels


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    pictures = {"floppy": FLOPPY, "hard": HARD, "network": NETWORK, "cdrom": cdrom(), "ram": RAM,
                "openfolder": OPEN_FOLDER, "closedfolder": CLOSED_FOLDER,
                "currentfolder": current_folder(),
                "check": side_by_side(check("e"), check("g", "w"))}
    for name, rows in pictures.items():
        (folder / f"{name}.bmp").write_bytes(bmp(rows))


if __name__ == "__main__":
    main()
