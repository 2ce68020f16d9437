#!/usr/bin/env python3
"""Draws the Lumetra application icon and writes resources/Lumetra.ico.

The icon is a square wave above a nine-pin serial connector, on a dark blue
rounded square. It holds 48x48, 32x32 and 16x16 images at 4, 8 and 24 bits
per pixel. The output is deterministic, so the committed file only changes
when this drawing changes. Standard library only; the build does not run it.

Usage: scripts/make-icon.py [output.ico]
"""

import math
import struct
import sys
from pathlib import Path

SIZES = (48, 32, 16)
DEPTHS = (4, 8, 24)

# Drawing units: the icon is 16 units wide, so at 16x16 one unit is one pixel
# and straight edges fall on pixel borders at every size.
UNITS = 16
CORNER_RADIUS = 3.0
SUPERSAMPLING = 4  # samples per pixel side for the 8- and 24-bit images

# The standard 16-colour palette used by 4-bit icons.
VGA_PALETTE = (
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
)

# Each layer: true-colour value and its index in VGA_PALETTE.
BACKGROUND = ((18, 48, 120), 4)
WAVE = ((255, 204, 0), 11)
CONNECTOR = ((214, 218, 226), 7)
PIN = ((20, 24, 40), 0)

# Square wave, one unit thick: low, rise, high, fall, low, rise, high.
WAVE_RECTS = (
    (2, 6, 5, 7), (4, 3, 5, 7), (4, 3, 8, 4), (7, 3, 8, 7),
    (7, 6, 11, 7), (10, 3, 11, 7), (10, 3, 14, 4),
)

# Connector face: a trapezoid, wide edge up, as a nine-pin D connector.
CONNECTOR_TOP, CONNECTOR_BOTTOM = 9.0, 14.0
CONNECTOR_TOP_HALF_WIDTH, CONNECTOR_BOTTOM_HALF_WIDTH = 6.5, 4.5
PIN_RADIUS = 0.62
PIN_CENTRES = tuple((4.0 + 2.0 * i, 10.5) for i in range(5)) + tuple(
    (5.0 + 2.0 * i, 12.5) for i in range(4))


def inside_rounded_square(x, y):
    if not (0.0 <= x <= UNITS and 0.0 <= y <= UNITS):
        return False
    cx = min(max(x, CORNER_RADIUS), UNITS - CORNER_RADIUS)
    cy = min(max(y, CORNER_RADIUS), UNITS - CORNER_RADIUS)
    return (x - cx) ** 2 + (y - cy) ** 2 <= CORNER_RADIUS ** 2


def inside_connector(x, y):
    if not (CONNECTOR_TOP <= y <= CONNECTOR_BOTTOM):
        return False
    depth = (y - CONNECTOR_TOP) / (CONNECTOR_BOTTOM - CONNECTOR_TOP)
    half_width = CONNECTOR_TOP_HALF_WIDTH + depth * (
        CONNECTOR_BOTTOM_HALF_WIDTH - CONNECTOR_TOP_HALF_WIDTH)
    return abs(x - UNITS / 2) <= half_width


def pins_for(size):
    """Pin centres moved onto the pixel grid so every pin covers whole pixels:
    at 16x16 onto a pixel centre (one dark pixel per pin), at larger sizes
    onto a pixel corner (an even, round block)."""
    def snap(unit):
        pixels = unit * size / UNITS
        snapped = math.floor(pixels) + 0.5 if size == UNITS else math.floor(pixels + 0.5)
        return snapped * UNITS / size
    return tuple((snap(x), snap(y)) for x, y in PIN_CENTRES)


def layer_at(x, y, pins):
    """The topmost layer at a point in drawing units, or None outside the icon."""
    if not inside_rounded_square(x, y):
        return None
    if any((x - px) ** 2 + (y - py) ** 2 <= PIN_RADIUS ** 2 for px, py in pins):
        return PIN
    if inside_connector(x, y):
        return CONNECTOR
    if any(l <= x < r and t <= y < b for l, t, r, b in WAVE_RECTS):
        return WAVE
    return BACKGROUND


def render_true_colour(size):
    """Rows of (r, g, b) or None (transparent), top row first, anti-aliased.

    A pixel is opaque when its centre lies inside the rounded square; the mask
    has no partial transparency, so edge pixels blend with the background
    colour instead of with whatever lies outside."""
    scale = UNITS / size
    pins = pins_for(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            if layer_at((px + 0.5) * scale, (py + 0.5) * scale, pins) is None:
                row.append(None)
                continue
            total = [0, 0, 0]
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    x = (px + (sx + 0.5) / SUPERSAMPLING) * scale
                    y = (py + (sy + 0.5) / SUPERSAMPLING) * scale
                    colour = (layer_at(x, y, pins) or BACKGROUND)[0]
                    for c in range(3):
                        total[c] += colour[c]
            samples = SUPERSAMPLING * SUPERSAMPLING
            row.append(tuple((t + samples // 2) // samples for t in total))
        rows.append(row)
    return rows


def render_vga(size):
    """Rows of VGA palette indices or None (transparent), sharp edges."""
    scale = UNITS / size
    pins = pins_for(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            layer = layer_at((px + 0.5) * scale, (py + 0.5) * scale, pins)
            row.append(None if layer is None else layer[1])
        rows.append(row)
    return rows


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: (sum((a - b) ** 2 for a, b in zip(palette[i], colour)), i))


def build_palette(pixels):
    """Up to 256 colours: black first (for transparent pixels), then the image's
    colours by decreasing frequency."""
    counts = {}
    for colour in pixels:
        counts[colour] = counts.get(colour, 0) + 1
    ordered = sorted(counts, key=lambda c: (-counts[c], c))
    palette = [(0, 0, 0)] + [c for c in ordered if c != (0, 0, 0)]
    return palette[:256]


def row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


def pack_rows(rows, bits, value_of):
    """Bottom-up rows of `bits`-per-pixel values, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(row_stride(len(row), bits))
        for x, pixel in enumerate(row):
            value = value_of(pixel)
            if bits == 24:
                r, g, b = value
                line[3 * x:3 * x + 3] = bytes((b, g, r))
            else:
                per_byte = 8 // bits
                shift = (per_byte - 1 - x % per_byte) * bits
                line[x // per_byte] |= value << shift
        out += line
    return bytes(out)


def image_data(size, bits):
    """One icon image: header, palette, colour bitmap and transparency mask."""
    if bits == 4:
        rows = render_vga(size)
        palette = list(VGA_PALETTE)
        xor = pack_rows(rows, 4, lambda p: 0 if p is None else p)
    else:
        rows = render_true_colour(size)
        if bits == 8:
            palette = build_palette([p for row in rows for p in row if p is not None])
            index = {colour: nearest(palette, colour)
                     for row in rows for colour in row if colour is not None}
            xor = pack_rows(rows, 8, lambda p: 0 if p is None else index[p])
            palette += [(0, 0, 0)] * (256 - len(palette))
        else:
            palette = []
            xor = pack_rows(rows, 24, lambda p: (0, 0, 0) if p is None else p)
    mask = pack_rows(rows, 1, lambda p: 1 if p is None else 0)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + xor + mask


def make_icon():
    images = [(size, bits, image_data(size, bits)) for bits in DEPTHS for size in SIZES]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b''
    for size, bits, data in images:
        colour_count = 16 if bits == 4 else 0
        entries += struct.pack('<BBBBHHII', size, size, colour_count, 0, 1, bits,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b''.join(data for _, _, data in images)


def main():
    default = Path(__file__).resolve().parent.parent / 'resources' / 'Lumetra.ico'
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else default
    target.write_bytes(make_icon())
    print(f'wrote {target}')


if __name__ == '__main__':
    main()
