#!/usr/bin/env python3
"""Draws the shop glyph (a shopping bag with a closed book on it, spine left) and writes the
program's three icon files, byte for byte the same on every run:

  vorlinde.ico  the application icon: one 16 x 16 image of 256 colours
  shop.ico      the toolbar button: 16, 20, 24 and 32 pixels, 32-bit with alpha
  tools.ico     the inspector's and the agent's program icon: the same glyph at
                the two sizes Explorer shows a program file in, 16 and 32 pixels

The glyph is a handful of shapes on a 32 x 32 design grid, sampled 4 x 4 times
per pixel, so every size comes from the same drawing.

Usage: make_icons.py OUTPUT_DIRECTORY
"""
import math
import os
import struct
import sys

GRID = 32.0
SAMPLES = 4

TRANSPARENT = None
HANDLE = (93, 64, 55)
OUTLINE = (26, 77, 48)
BODY = (46, 139, 87)
BAND = (60, 179, 113)
PAGE = (255, 255, 255)
SPINE = OUTLINE

BODY_CORNERS = [(7.0, 11.0), (25.0, 11.0), (27.0, 29.0), (5.0, 29.0)]
HANDLE_CENTRE = (16.0, 12.0)
HANDLE_RADII = (4.0, 6.0)
BAND_BOTTOM = 14.0
BOOK = (11.0, 17.0, 21.0, 26.0)  # left, top, right, bottom


def inside_polygon(x, y, corners):
    inside = False
    for (x1, y1), (x2, y2) in zip(corners, corners[1:] + corners[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def distance_to_edge(x, y, corners):
    best = math.inf
    for (x1, y1), (x2, y2) in zip(corners, corners[1:] + corners[:1]):
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
        best = min(best, math.hypot(x - x1 - t * dx, y - y1 - t * dy))
    return best


def colour_at(x, y, pixel):
    """The colour of the glyph at grid point (x, y); `pixel` is the width of
    one pixel in grid units, so that the outline is one pixel wide at every
    size."""
    if inside_polygon(x, y, BODY_CORNERS):
        if distance_to_edge(x, y, BODY_CORNERS) < pixel:
            return OUTLINE
        left, top, right, bottom = BOOK
        if left <= x < right and top <= y < bottom:
            return SPINE if x < left + pixel else PAGE
        return BAND if y < BAND_BOTTOM else BODY
    cx, cy = HANDLE_CENTRE
    inner, outer = HANDLE_RADII
    if y <= cy and inner <= math.hypot(x - cx, y - cy) <= outer:
        return HANDLE
    return TRANSPARENT


def samples(size):
    """Per pixel, row by row from the top: the colours of its sub-samples."""
    pixel = GRID / size
    for row in range(size):
        for column in range(size):
            yield [colour_at((column + (i + 0.5) / SAMPLES) * pixel,
                             (row + (j + 0.5) / SAMPLES) * pixel, pixel)
                   for j in range(SAMPLES) for i in range(SAMPLES)]


def render_rgba(size):
    """Anti-aliased pixels as (r, g, b, a), top row first."""
    pixels = []
    for hits in samples(size):
        opaque = [c for c in hits if c is not TRANSPARENT]
        if not opaque:
            pixels.append((0, 0, 0, 0))
            continue
        r, g, b = (round(sum(c[k] for c in opaque) / len(opaque)) for k in range(3))
        pixels.append((r, g, b, round(255 * len(opaque) / len(hits))))
    return pixels


def render_flat(size):
    """Each pixel takes the colour most of its samples have: crisp pixels in
    the glyph's own colours, for the palette image. None is transparent."""
    pixels = []
    for hits in samples(size):
        counts = {}
        for c in hits:
            counts[c] = counts.get(c, 0) + 1
        # Ties go to the colour met first, so the result never depends on
        # the order of a dictionary.
        pixels.append(max(counts, key=lambda c: (counts[c], -hits.index(c))))
    return pixels


def palette_256():
    """The glyph's colours first, then a 6 x 6 x 6 colour cube and greys."""
    colours = [(0, 0, 0)]
    for c in (HANDLE, OUTLINE, BODY, BAND, PAGE):
        if c not in colours:
            colours.append(c)
    levels = [0, 51, 102, 153, 204, 255]
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    for c in cube + [(v, v, v) for v in range(4, 256, 4)]:
        if len(colours) == 256:
            break
        if c not in colours:
            colours.append(c)
    assert len(colours) == 256
    return colours


def row_stride(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def and_mask(size, transparent):
    """The 1-bit mask, bottom row first: set where the pixel is transparent."""
    stride = row_stride(size)
    data = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for column in range(size):
            if transparent[row * size + column]:
                line[column // 8] |= 0x80 >> (column % 8)
        data += line
    return bytes(data)


def bitmap_header(size, bits, image_bytes):
    # Icon bitmaps state twice the height: colour image and mask together.
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def image_8bit(size):
    palette = palette_256()
    flat = render_flat(size)
    transparent = [c is TRANSPARENT for c in flat]
    stride = row_stride(8 * size)
    pixels = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for column in range(size):
            c = flat[row * size + column]
            line[column] = 0 if c is TRANSPARENT else palette.index(c)
        pixels += line
    mask = and_mask(size, transparent)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return bitmap_header(size, 8, len(pixels) + len(mask)) + colour_table + bytes(pixels) + mask


def image_32bit(size):
    rgba = render_rgba(size)
    pixels = bytearray()
    for row in reversed(range(size)):
        for r, g, b, a in rgba[row * size:(row + 1) * size]:
            pixels += struct.pack("<BBBB", b, g, r, a)
    mask = and_mask(size, [p[3] == 0 for p in rgba])
    return bitmap_header(size, 32, len(pixels) + len(mask)) + bytes(pixels) + mask


def icon_file(images):
    """images: (size, bits per pixel, bitmap bytes) for each image."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory, data = b"", b""
    for size, bits, bitmap in images:
        colours = 0  # 0 means "256 or more" for 8-bit and up
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(bitmap),
                                 offset + len(data))
        data += bitmap
    return header + directory + data


def write(path, content):
    with open(path, "wb") as f:
        f.write(content)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "vorlinde.ico"), icon_file([(16, 8, image_8bit(16))]))
    write(os.path.join(out, "shop.ico"),
          icon_file([(s, 32, image_32bit(s)) for s in (16, 20, 24, 32)]))
    write(os.path.join(out, "tools.ico"), icon_file([(s, 32, image_32bit(s)) for s in (16, 32)]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
