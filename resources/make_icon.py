#!/usr/bin/env python3
"""Draws Sendwarden's icon: a 32 x 32, 16-colour .ico of a shield with a check mark.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32
# The standard 16-colour palette (blue, green, red, reserved).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
NAVY, GREY, WHITE, GREEN = 1, 8, 15, 10


def inside_shield(x, y):
    """A shield: straight sides at the top, a point at the bottom."""
    cx = 15.5
    if y < 3 or y > 29:
        return False
    half = 12.0 if y < 17 else 12.0 * (29 - y) / 12.0
    return abs(x - cx) <= half


def on_check(x, y):
    """A thick check mark inside the shield."""
    def near(ax, ay, bx, by, width):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= width * width
    return near(9, 15, 14, 21, 1.8) or near(14, 21, 23, 9, 1.8)


def pixel(x, y):
    if not inside_shield(x, y):
        return None  # transparent
    if not (inside_shield(x - 1, y) and inside_shield(x + 1, y) and
            inside_shield(x, y - 1) and inside_shield(x, y + 1)):
        return GREY
    return WHITE if on_check(x, y) else NAVY


def main():
    rows_xor, rows_and = [], []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        nibbles, mask_bits = [], []
        for x in range(SIZE):
            colour = pixel(x, y)
            nibbles.append(0 if colour is None else colour)
            mask_bits.append(1 if colour is None else 0)
        rows_xor.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        rows_and.append(bytes(int("".join(map(str, mask_bits[i:i + 8])), 2)
                              for i in range(0, SIZE, 8)))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor, mask = b"".join(rows_xor), b"".join(rows_and)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main()
