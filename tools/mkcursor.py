#!/usr/bin/env python3
"""Draws the link's hand cursor (res/link_hand.cur, cursor resource 1001).

A 32 x 32 two-colour cursor: '#' black, '.' white, ' ' transparent.  The hot
spot is the tip of the pointing finger.  Run it again after changing the
picture:  python3 tools/mkcursor.py res/link_hand.cur
"""
import struct
import sys

HAND = [
    "     ##",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..###",
    "    #..#..###",
    "    #..#..#..##",
    "    #..#..#..#.#",
    " ## #..#..#..#..#",
    "#..##..........#",
    "#...#..........#",
    " #..#..........#",
    "  #............#",
    "  #............#",
    "   #...........#",
    "   #..........#",
    "    #.........#",
    "    #.........#",
    "     #........#",
    "     #........#",
    "     ##########",
]
HOT_SPOT = (5, 0)
SIZE = 32


def rows_of(picture):
    xor_rows, and_rows = [], []
    for y in range(SIZE):
        line = picture[y] if y < len(picture) else ""
        xor_bits = and_bits = 0
        for x in range(SIZE):
            c = line[x] if x < len(line) else " "
            bit = 1 << (SIZE - 1 - x)
            if c == " ":
                and_bits |= bit  # screen shows through
            elif c == ".":
                xor_bits |= bit  # colour 1: white
            elif c != "#":
                raise ValueError("unknown pixel %r at (%d, %d)" % (c, x, y))
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    # Bottom-up, as in every DIB.
    return b"".join(reversed(xor_rows)), b"".join(reversed(and_rows))


def cursor_file(picture):
    xor_mask, and_mask = rows_of(picture)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 1, 0, len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    colours = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + colours + xor_mask + and_mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: mkcursor.py OUTPUT.cur")
    with open(sys.argv[1], "wb") as f:
        f.write(cursor_file(HAND))
