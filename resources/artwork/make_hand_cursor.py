#!/usr/bin/env python3
"""Writes HAND-M.CUR, the program's hand pointer, from the pixel pattern below.

A Windows cursor file: one 32 x 32 entry, 32-bit BGRA colour plus the AND mask, hot spot at the fingertip.
Run: python3 make_hand_cursor.py HAND-M.CUR
"""
import struct
import sys

# '#' outline, '.' white fill, ' ' transparent. The index finger points up; its tip is the hot spot.
PATTERN = [
    "      ##                        ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..###                     ",
    "     #..#..###                  ",
    "     #..#..#..##                ",
    "     #..#..#..#.#               ",
    " ### #..#..#..#..#              ",
    " #..##........#..#              ",
    " #...#...........#              ",
    "  #..#...........#              ",
    "   #.............#              ",
    "   #.............#              ",
    "    #............#              ",
    "    #...........#               ",
    "     #..........#               ",
    "     #.........#                ",
    "      #........#                ",
    "      #........#                ",
    "      ##########                ",
]
SIZE = 32
HOT_SPOT = (6, 0)


def pixel(x, y):
    row = PATTERN[y] if y < len(PATTERN) else ""
    ch = row[x] if x < len(row) else " "
    return {"#": (0, 0, 0, 255), ".": (255, 255, 255, 255)}.get(ch, (0, 0, 0, 0))


def main(path):
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        bits = 0
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            colour += bytes((b, g, r, a))
            bits = (bits << 1) | (0 if a else 1)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
