#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files (standard library only).

The mark: a blue rounded square with a white dot in its lower-left corner and two
white arcs spreading from it towards the upper right, a radio wave that still reads
at 16 x 16 pixels. Every image is a 256-colour (8-bit palettised) bitmap with a 1-bit
transparency mask, which every Windows version and the device can show.

Every size a scale of Windows asks for is drawn, so no icon is ever stretched: the
notification area takes 16, 20, 24, 32, 40 and 48 pixels at 100 % to 300 %, the program's
own icon 32 and 48 at 100 % and 150 %. The three icons are one mark, so the program
embeds each image once and three icon directories that share them (the 64 pixel image
only goes into the icon file, for desktops' icon themes: Velk.exe stays under 256 KB):

    res/icons/image<N>.bin  one image of N x N pixels, as an icon resource holds it
    res/icons/icon128.grp   application icon: 32, 16, 20, 24, 40 and 48 pixels
    res/icons/icon133.grp   notification icon, high-resolution screens: 16 to 48
    res/icons/icon137.grp   notification icon, standard screens: the same
    res/icons/velk.ico      every size in one icon file, for shortcuts and the device

Run from anywhere: python3 scripts/make-icons.py
"""

import math
import os
import struct

BLUE = (0x1E, 0x6F, 0xD9)
DARK = (0x0F, 0x3F, 0x86)
WHITE = (0xFF, 0xFF, 0xFF)
SHADES = 64  # blue-to-white steps for smooth edges inside the badge
SAMPLES = 4  # per pixel and axis


def palette():
    colours = [(0, 0, 0)]
    for i in range(SHADES):
        t = i / (SHADES - 1)
        colours.append(tuple(round(b + (w - b) * t) for b, w in zip(BLUE, WHITE)))
    for i in range(SHADES):
        t = i / (SHADES - 1)
        colours.append(tuple(round(d + (b - d) * t) for d, b in zip(DARK, BLUE)))
    colours += [(0, 0, 0)] * (256 - len(colours))
    return colours


def inside_badge(x, y, size):
    """Rounded square covering the whole image, corner radius a fifth of it."""
    r = size / 5
    cx = min(max(x, r), size - r)
    cy = min(max(y, r), size - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def on_border(x, y, size):
    """A thin darker rim just inside the badge's edge, for contrast on light bars."""
    w = max(size / 16, 1.0)
    return inside_badge(x, y, size) and not (
        inside_badge((x - w) * size / (size - 2 * w), (y - w) * size / (size - 2 * w), size)
        if size > 2 * w else False)


def in_mark(x, y, size):
    """The white dot and arcs; y grows downwards."""
    ox, oy = size * 0.27, size * 0.73  # the dot's centre
    d = math.hypot(x - ox, y - oy)
    if d <= size * 0.11:
        return True
    # Only the quarter that opens towards the upper right.
    if x < ox - size * 0.02 or y > oy + size * 0.02:
        return False
    thickness = size * 0.10
    for radius in (size * 0.30, size * 0.52):
        if abs(d - radius) <= thickness / 2:
            return True
    return False


def render(size):
    """Rows of palette indexes (top row first) and the transparency mask."""
    pixels, mask = [], []
    for py in range(size):
        row, mrow = [], []
        for px in range(size):
            badge = white = rim = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    if inside_badge(x, y, size):
                        badge += 1
                        if in_mark(x, y, size):
                            white += 1
                        elif on_border(x, y, size):
                            rim += 1
            n = SAMPLES * SAMPLES
            if badge * 2 < n:
                row.append(0)
                mrow.append(1)  # transparent
                continue
            mrow.append(0)
            if white >= rim:
                row.append(1 + round(white / badge * (SHADES - 1)))
            else:
                row.append(1 + SHADES + round((1 - rim / badge) * (SHADES - 1)))
        pixels.append(row)
        mask.append(mrow)
    return pixels, mask


def bitmap(size):
    pixels, mask = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette())
    stride = (size + 3) & ~3
    xor = b"".join(bytes(row) + b"\0" * (stride - size) for row in reversed(pixels))
    mstride = ((size + 31) // 32) * 4
    and_rows = []
    for mrow in reversed(mask):
        bits = bytearray(mstride)
        for i, m in enumerate(mrow):
            if m:
                bits[i // 8] |= 0x80 >> (i % 8)
        and_rows.append(bytes(bits))
    return header + pal + xor + b"".join(and_rows)


SIZES = [16, 20, 24, 32, 40, 48, 64]  # velk.ico
EMBEDDED = [16, 20, 24, 32, 40, 48]  # the program's own resources
# The resource identifier of each embedded image: its place in EMBEDDED, from 1 (res/velk.rc).
IMAGE_ID = {size: i + 1 for i, size in enumerate(EMBEDDED)}
NOTIFICATION = [16, 20, 24, 32, 40, 48]
GROUPS = {
    "icon128.grp": [32, 16, 20, 24, 40, 48],  # 32 first: what the oldest shells take
    "icon133.grp": NOTIFICATION,
    "icon137.grp": NOTIFICATION,
}


def entry(size, data):
    """The directory fields every icon format shares: size, colours, planes, depth."""
    dim = size if size < 256 else 0
    return struct.pack("<BBBBHHI", dim, dim, 0, 0, 1, 8, len(data))


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icons = os.path.join(here, "..", "res", "icons")
    os.makedirs(icons, exist_ok=True)
    images = {size: bitmap(size) for size in SIZES}
    for size in EMBEDDED:
        write(os.path.join(icons, f"image{size}.bin"), images[size])
    # A resource directory names each image by its identifier.
    for name, sizes in GROUPS.items():
        out = struct.pack("<HHH", 0, 1, len(sizes))
        out += b"".join(entry(s, images[s]) + struct.pack("<H", IMAGE_ID[s]) for s in sizes)
        write(os.path.join(icons, name), out)
    # A file's directory gives each image's place in the file instead.
    out = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for size in SIZES:
        out += entry(size, images[size]) + struct.pack("<I", offset)
        offset += len(images[size])
    write(os.path.join(icons, "velk.ico"), out + b"".join(images[s] for s in SIZES))


if __name__ == "__main__":
    main()
