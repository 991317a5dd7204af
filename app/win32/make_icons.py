#!/usr/bin/env python3
"""Writes Veskar's icons as 16-colour .ico files for the resource script.

The art is app/core/icon_art.cpp's, which the Qt front end paints: its
palette, its 16 x 16 rows and its table of icons are read from that file, so
both front ends show the same pixels.  Each icon gets a 32 x 32 image (every
pixel doubled) and, unless the table says otherwise, a 16 x 16 one.

usage: make_icons.py icon_art.cpp resource_ids.h OUTPUT_DIR
Writes OUTPUT_DIR/<name>.ico for each IDI_<NAME>, in lower case.
"""
import os
import re
import struct
import sys


def read_art(source, ids_header):
    ids = {name: int(value) for name, value in
           re.findall(r'#define\s+(IDI_\w+)\s+(\d+)', ids_header)}
    block = re.search(r'kIconPalette\[16\]\s*=\s*\{(.*?)\};', source, re.S)
    palette = [int(v, 16) for v in re.findall(r'0x([0-9A-Fa-f]{6})', block.group(1))]
    if len(palette) != 16:
        raise ValueError('the palette must have 16 colours')
    rows = {}
    for name, body in re.findall(r'constexpr IconRows (\w+) = \{(.*?)\};', source, re.S):
        grid = re.findall(r'"([^"]*)"', body)
        if len(grid) != 16 or any(len(row) != 16 for row in grid):
            raise ValueError(name + ' is not 16 x 16')
        rows[name] = grid
    icons = []
    for name, art, ink, small in re.findall(
            r"\{(IDI_\w+), &(\w+), '(.)', (true|false)\}", source):
        grid = [row.replace('#', ink) for row in rows[art]]
        icons.append((name, ids[name], grid, small == 'true'))
    if not icons:
        raise ValueError('no icons found')
    return palette, icons


def image(grid, size):
    """BITMAPINFOHEADER, palette, 4-bit colours and the 1-bit mask, bottom-up."""
    def index(x, y):
        c = grid[y * 16 // size][x * 16 // size]
        return None if c == '.' else int(c, 16)

    colour_stride = (size // 2 + 3) // 4 * 4
    mask_stride = (size // 8 + 3) // 4 * 4
    colours = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x in range(size):
            i = index(x, y)
            if i is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                i = 0
            row[x // 2] |= i << (4 if x % 2 == 0 else 0)
        colours += row
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    return header, colours, mask


def icon_file(palette, grid, sizes):
    table = b''.join(struct.pack('<BBBB', c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, 0)
                     for c in palette)
    images = []
    for size in sizes:
        header, colours, mask = image(grid, size)
        images.append((size, header + table + colours + mask))
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in images:
        data += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    return data + b''.join(body for _, body in images)


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding='utf-8') as f:
        source = f.read()
    with open(argv[2], encoding='utf-8') as f:
        ids_header = f.read()
    palette, icons = read_art(source, ids_header)
    os.makedirs(argv[3], exist_ok=True)
    for name, _, grid, small in icons:
        sizes = [32, 16] if small else [32]
        path = os.path.join(argv[3], name[len('IDI_'):].lower() + '.ico')
        data = icon_file(palette, grid, sizes)
        # Rewritten only when different, so that the resources are not rebuilt for nothing.
        try:
            with open(path, 'rb') as f:
                if f.read() == data:
                    continue
        except OSError:
            pass
        with open(path, 'wb') as f:
            f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
