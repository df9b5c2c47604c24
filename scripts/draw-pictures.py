#!/usr/bin/python3
"""Draws the pictures the sample database and the bridge tests use.

Raster pictures are drawn by ImageMagick's `convert` (apt-get install imagemagick); the
Windows metafile, which no packaged tool here writes, is put together record by record as the
metafile format documents it (a placeable header, the standard header, then pen, polyline,
ellipse and end-of-file records). Run from the top of the tree:

    /usr/bin/python3 scripts/draw-pictures.py

Writes sample/Base/formulas/figures/*.png and *.wmf and tests/bridge/data/pictures/*.
"""
import os
import struct
import subprocess

SAMPLE = 'sample/Base/formulas/figures'
TESTS = 'tests/bridge/data/pictures'


def convert(out, *args):
    # -strip keeps dates and other metadata out, so the files are the same on every run.
    subprocess.run(['convert', *args, '-strip', out], check=True)


def record(function, *params):
    words = 3 + len(params)
    return struct.pack('<IH', words, function) + b''.join(struct.pack('<h', p) for p in params)


def metafile(lines, ellipse, size):
    """A placeable WMF of `size` x `size` units: polylines in a black pen and one ellipse."""
    pen = struct.pack('<IHHhhI', 8, 0x02FA, 0, 3, 0, 0x000000)  # solid, 3 units wide, black
    body = [record(0x020B, 0, 0), record(0x020C, size, size), pen, record(0x012D, 0)]
    for points in lines:
        flat = [c for p in points for c in p]
        body.append(record(0x0325, len(points), *flat))
    left, top, right, bottom = ellipse
    body.append(record(0x0418, bottom, right, top, left))
    body.append(record(0x0000))
    data = b''.join(body)
    largest = max(struct.unpack_from('<I', r)[0] for r in body)
    header = struct.pack('<HHHIHIH', 1, 9, 0x0300, (18 + len(data)) // 2, 1, largest, 0)
    placeable = struct.pack('<IHhhhhHI', 0x9AC6CDD7, 0, 0, 0, size, size, 1440, 0)
    checksum = 0
    for (word,) in struct.iter_unpack('<H', placeable):
        checksum ^= word
    return placeable + struct.pack('<H', checksum) + header + data


def main():
    os.makedirs(SAMPLE, exist_ok=True)
    os.makedirs(TESTS, exist_ok=True)
    white = ['-size', '160x120', 'xc:white', '-fill', 'none', '-stroke', 'black',
             '-strokewidth', '3']
    convert(f'{SAMPLE}/triangle.png', *white, '-draw', 'polygon 20,100 140,100 20,20',
            '-draw', 'rectangle 20,88 32,100', '-fill', 'black', '-stroke', 'none',
            '-pointsize', '14', '-draw', 'text 6,60 "a"', '-draw', 'text 76,116 "b"',
            '-draw', 'text 84,56 "c"')
    convert(f'{SAMPLE}/circle.png', *white, '-draw', 'circle 80,60 80,15')
    convert(f'{SAMPLE}/square.png', *white, '-draw', 'rectangle 35,15 125,105')
    convert(f'{SAMPLE}/hexagon.png', *white,
            '-draw', 'polygon 80,12 122,36 122,84 80,108 38,84 38,36')
    # The fraction a/b of an old Word equation: two ellipses for the letters, the bar between.
    with open(f'{SAMPLE}/fraction.wmf', 'wb') as f:
        f.write(metafile([[(200, 500), (800, 500)]], (400, 150, 600, 400), 1000))

    convert(f'{TESTS}/red.png', '-size', '3x2', 'xc:red')
    convert(f'{TESTS}/blue.png', '-size', '2x2', 'xc:blue')
    convert(f'{TESTS}/dot.gif', '-size', '2x2', 'xc:green')
    convert(f'{TESTS}/dot.jpg', '-size', '8x8', 'xc:gray')
    convert(f'{TESTS}/dot.bmp', '-size', '2x2', 'xc:yellow')
    with open(f'{TESTS}/line.wmf', 'wb') as f:
        f.write(metafile([[(0, 0), (10, 10)]], (2, 2, 8, 8), 10))


if __name__ == '__main__':
    main()
