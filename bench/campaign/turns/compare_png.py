#!/usr/bin/env python3
"""Compares two PNG pictures of the same size pixel by pixel.

usage: compare_png.py before.png after.png [tolerance]

Prints the largest difference of a channel, the mean difference and the
share of pixels that differ at all; exits 1 when the pictures differ in size
or a channel differs by more than the tolerance (default 8 of 255).
Reads 8-bit RGB and RGBA pictures, not interlaced.
"""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if header is None:
        raise ValueError(f"{path}: no header")
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError(f"{path}: only 8-bit RGB or RGBA, not interlaced")
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        previous = line
    return width, height, channels, rows


def main():
    if len(sys.argv) < 3:
        print(__doc__.strip())
        return 2
    tolerance = int(sys.argv[3]) if len(sys.argv) > 3 else 8
    w1, h1, c1, a = read_png(sys.argv[1])
    w2, h2, c2, b = read_png(sys.argv[2])
    if (w1, h1) != (w2, h2):
        print(f"sizes differ: {w1}x{h1} and {w2}x{h2}")
        return 1
    worst, total, differing = 0, 0, 0
    for y in range(h1):
        ra, rb = a[y], b[y]
        for x in range(w1):
            d = max(abs(ra[x * c1 + k] - rb[x * c2 + k]) for k in range(3))
            worst = max(worst, d)
            total += d
            differing += d > 0
    pixels = w1 * h1
    print(f"largest channel difference {worst}, mean {total / pixels:.4f}, "
          f"pixels differing {differing} of {pixels} ({100.0 * differing / pixels:.3f}%)")
    return 0 if worst <= tolerance else 1


if __name__ == "__main__":
    sys.exit(main())
