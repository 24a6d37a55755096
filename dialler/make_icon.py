#!/usr/bin/env python3
"""Turn the text pixel map of the program icon into a Windows .ico file.

Usage: make_icon.py program_icon.txt OUTPUT.ico

The map is 32 lines of 32 characters, one character per pixel, and lines
that start with '#' are comments. The icon holds a single 32 x 32 image in
the 16 standard Windows colours.
"""

import struct
import sys

SIZE = 32

# The 16 colours every Windows display can show, in their usual order.
PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000,
    0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
    0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]

# Map character -> palette colour; None marks a transparent pixel.
LEGEND = {
    ".": None,
    "K": 0x000000,
    "P": 0x800080,
    "M": 0xFF00FF,
    "W": 0xFFFFFF,
}


def read_map(path):
    with open(path, encoding="ascii") as f:
        rows = [line.rstrip("\r\n") for line in f]
    rows = [row for row in rows if not row.startswith("#")]
    while rows and not rows[-1]:
        rows.pop()
    if len(rows) != SIZE:
        raise ValueError(f"{path}: expected {SIZE} rows, found {len(rows)}")
    for y, row in enumerate(rows):
        if len(row) != SIZE:
            raise ValueError(f"{path}: row {y + 1} has {len(row)} "
                             f"characters, expected {SIZE}")
        for x, ch in enumerate(row):
            if ch not in LEGEND:
                raise ValueError(f"{path}: unknown character {ch!r} "
                                 f"at row {y + 1}, column {x + 1}")
    return rows


def build_ico(rows):
    colours = bytearray()
    mask = bytearray()
    # Bitmaps are stored bottom row first.
    for row in reversed(rows):
        indices = [0 if LEGEND[ch] is None else PALETTE.index(LEGEND[ch])
                   for ch in row]
        for x in range(0, SIZE, 2):
            colours.append(indices[x] << 4 | indices[x + 1])
        bits = 0
        for ch in row:
            bits = bits << 1 | (LEGEND[ch] is None)
        mask += bits.to_bytes(SIZE // 8, "big")

    palette = b"".join(struct.pack("<BBBB", c & 0xFF, c >> 8 & 0xFF,
                                   c >> 16, 0) for c in PALETTE)
    # The height counts the colour bitmap and the mask stacked together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    image = header + palette + colours + mask

    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, len(PALETTE), 0, 1, 4,
                        len(image), len(directory) + 16)
    return directory + entry + image


def main(argv):
    if len(argv) != 3:
        print(f"usage: {argv[0]} MAP.txt OUTPUT.ico", file=sys.stderr)
        return 2
    try:
        rows = read_map(argv[1])
    except (OSError, ValueError) as error:
        print(f"make_icon: {error}", file=sys.stderr)
        return 1
    with open(argv[2], "wb") as f:
        f.write(build_ico(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
