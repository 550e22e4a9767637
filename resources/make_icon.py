#!/usr/bin/env python3
"""Draws the program's icon, setup.ico: a grey diskette tilted by 45 degrees,
white label area upper left, dark metal shutter lower right. Two images,
32x32 and 16x16, 4 bits per pixel over the standard 16-colour palette, each
with its transparency mask.

    python3 make_icon.py [output]      (default: setup.ico beside this file)
"""
import math
import os
import struct
import sys

# The standard 16-colour palette, in palette order (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, SILVER, GREY, WHITE = 0, 4, 7, 8, 15
TRANSPARENT = None

# The diskette in its own frame: u to the right, v downwards, both in -1..1.
# The label sits at the top edge, the shutter at the bottom edge; the
# bottom-right corner is cut off.
BODY = 0.98
CHAMFER = 0.30          # the cut corner
LABEL = (-0.62, 0.62, -0.98, -0.05)    # u0, u1, v0, v1
SHUTTER = (-0.40, 0.40, 0.30, 0.98)
SHUTTER_SLOT = (0.05, 0.22, 0.45, 0.85)
OUTLINE = 0.12          # width of the dark rim, in frame units


def colour_at(u, v):
    """Palette index of the diskette at (u, v), or TRANSPARENT."""
    if abs(u) > BODY or abs(v) > BODY:
        return TRANSPARENT
    if u + v > 2 * BODY - CHAMFER:
        return TRANSPARENT

    def inside(box):
        u0, u1, v0, v1 = box
        return u0 <= u <= u1 and v0 <= v <= v1

    rim = (abs(u) > BODY - OUTLINE or abs(v) > BODY - OUTLINE
           or u + v > 2 * BODY - CHAMFER - OUTLINE * 1.4)
    if inside(SHUTTER_SLOT):
        return BLACK
    if inside(SHUTTER):
        return GREY
    if rim:
        return BLACK
    if inside(LABEL):
        # Two writing lines on the label.
        if -0.45 <= u <= 0.45 and (abs(v + 0.70) < 0.06 or abs(v + 0.42) < 0.06):
            return NAVY
        return WHITE
    return SILVER


def draw(size):
    """Rows of palette indices (None: transparent), top row first. Each pixel
    takes the colour at its centre, seen through a 45 degree rotation that
    turns the label to the upper left and the shutter to the lower right."""
    half = size / 2.0
    # The tilted square spans its diagonal: fit it into the image.
    scale = half / math.sqrt(2.0)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = (x + 0.5 - half) / scale, (y + 0.5 - half) / scale
            # Frame axes on screen: u along (1, -1), v along (1, 1).
            u = (px - py) / math.sqrt(2.0)
            v = (px + py) / math.sqrt(2.0)
            row.append(colour_at(u, v))
        rows.append(row)
    return rows


def icon_image(size):
    """A BITMAPINFOHEADER, palette, colour bits and mask bits, as in an
    .ico file (rows bottom-up, each padded to 4 bytes)."""
    rows = draw(size)
    colour_row = ((size * 4 + 31) // 32) * 4
    mask_row = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x, index in enumerate(row):
            if index is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = BLACK
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += line
        mask += bits
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                 # biSize
        size,               # biWidth
        size * 2,           # biHeight: colour and mask stacked
        1,                  # biPlanes
        4,                  # biBitCount
        0,                  # biCompression: none
        len(colour) + len(mask),  # biSizeImage
        0, 0,               # resolution
        16, 0)              # colours used, important
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))   # reserved, type icon, count
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack(
            "<BBBBHHII",
            size, size,     # width, height
            16,             # colours
            0,              # reserved
            1,              # planes
            4,              # bits per pixel
            len(image),     # bytes in the image
            offset)         # where it starts
        offset += len(image)
    return out + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "setup.ico")
    with open(target, "wb") as f:
        f.write(icon_file([32, 16]))


if __name__ == "__main__":
    main()
