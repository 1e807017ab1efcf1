#!/usr/bin/env python3
"""The application icon of Orvane, drawn from shapes at every size.

The picture: a memory chip (dark body, gold pins on both sides) on a rounded
blue tile, with a green square-wave trace across the chip.

    make_icon.py --ico Orvane.ico          the icon group of Orvane.exe:
                                           48, 32, 24 and 16 px at 4, 8 and
                                           32 bits per pixel, and 256 px as PNG
    make_icon.py --png orvane.png [--size N]   one PNG (default 256 px), for
                                           front ends that take PNG images

Standard library only; the output is the same byte for byte on every run.
"""
import argparse
import struct
import sys
import zlib

BLUE_TOP = (0x2B, 0x64, 0xB0)
BLUE_BOTTOM = (0x17, 0x3C, 0x78)
CHIP = (0x23, 0x27, 0x2D)
CHIP_EDGE = (0x4A, 0x52, 0x5C)
GOLD = (0xE6, 0xB4, 0x3C)
TRACE = (0x5C, 0xE0, 0x6E)
NOTCH = (0x3A, 0x41, 0x4A)


def in_round_rect(u, v, x0, y0, x1, y1, r):
    if u < x0 or u > x1 or v < y0 or v > y1:
        return False
    cx = min(max(u, x0 + r), x1 - r)
    cy = min(max(v, y0 + r), y1 - r)
    return (u - cx) ** 2 + (v - cy) ** 2 <= r * r


# The trace as segments of a square wave across the chip body.
_TRACE_POINTS = [(0.31, 0.60), (0.40, 0.60), (0.40, 0.40), (0.50, 0.40), (0.50, 0.60),
                 (0.60, 0.60), (0.60, 0.40), (0.69, 0.40)]


def near_trace(u, v, half_width):
    for (ax, ay), (bx, by) in zip(_TRACE_POINTS, _TRACE_POINTS[1:]):
        if ax == bx:  # vertical
            if abs(u - ax) <= half_width and min(ay, by) - half_width <= v <= max(ay, by) + half_width:
                return True
        elif abs(v - ay) <= half_width and min(ax, bx) - half_width <= u <= max(ax, bx) + half_width:
            return True
    return False


def sample(u, v, size):
    """Colour (r, g, b) and coverage 0/1 of the point (u, v) in the unit square."""
    if not in_round_rect(u, v, 0.02, 0.02, 0.98, 0.98, 0.18):
        return None
    # Small icons get bolder details so that they stay readable.
    bold = 1.0 if size >= 32 else 1.35
    body = (0.30, 0.16, 0.70, 0.84)
    if in_round_rect(u, v, *body, 0.04):
        if near_trace(u, v, 0.035 * bold):
            return TRACE
        edge = 0.025
        if not in_round_rect(u, v, body[0] + edge, body[1] + edge, body[2] - edge, body[3] - edge, 0.02):
            return CHIP_EDGE
        if size >= 32 and (u - 0.5) ** 2 + (v - 0.19) ** 2 <= 0.05 ** 2:
            return NOTCH
        return CHIP
    pins = 4 if size < 32 else 5
    for i in range(pins):
        centre = 0.24 + (0.76 - 0.24) * (i + 0.5) / pins
        half = 0.52 / pins * 0.27 * bold
        if abs(v - centre) <= half and (0.14 <= u < 0.30 or 0.70 < u <= 0.86):
            return GOLD
    t = v
    return tuple(round(BLUE_TOP[k] * (1 - t) + BLUE_BOTTOM[k] * t) for k in range(3))


def render(size):
    """Rows of (r, g, b, a), top row first, several samples per pixel."""
    n = 4 if size <= 64 else 2
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = sample((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size, size)
                    if c is not None:
                        hits += 1
                        for k in range(3):
                            acc[k] += c[k]
            if hits:
                row.append(tuple(round(acc[k] / hits) for k in range(3)) + (round(255 * hits / (n * n)),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png_bytes(rows):
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# The 16 colours of the classic 4-bit palette.
PALETTE_16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
              (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
              (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette_256():
    # A 6 x 6 x 6 colour cube and a ramp of greys.
    pal = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal += [(round(i * 255 / 39),) * 3 for i in range(40)]
    return pal


def nearest(pal, c):
    return min(range(len(pal)), key=lambda i: sum((pal[i][k] - c[k]) ** 2 for k in range(3)))


def dib_bytes(rows, bits):
    """One icon image as a DIB: header, palette, colour bits, AND mask (bottom-up)."""
    size = len(rows)
    pal = PALETTE_16 if bits == 4 else palette_256() if bits == 8 else []
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, 0, 0, 0, len(pal), 0)
    out = bytearray(header)
    for r, g, b in pal:
        out += bytes((b, g, r, 0))
    cache = {}
    for row in reversed(rows):
        line = bytearray()
        if bits == 32:
            for r, g, b, a in row:
                line += bytes((b, g, r, a))
        else:
            idx = []
            for r, g, b, a in row:
                key = (r, g, b)
                if a < 128:
                    idx.append(0)
                    continue
                if key not in cache:
                    cache[key] = nearest(pal, key)
                idx.append(cache[key])
            if bits == 8:
                line += bytes(idx)
            else:
                for i in range(0, size, 2):
                    line.append((idx[i] << 4) | (idx[i + 1] if i + 1 < size else 0))
        while len(line) % 4:
            line.append(0)
        out += line
    for row in reversed(rows):
        bits_row = 0
        line = bytearray()
        for x, px in enumerate(row):
            bits_row = (bits_row << 1) | (1 if px[3] < 128 else 0)
            if x % 8 == 7:
                line.append(bits_row)
                bits_row = 0
        if size % 8:
            line.append(bits_row << (8 - size % 8))
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def ico_bytes():
    images = []  # (width, colour count, bits, data)
    big = render(256)
    images.append((256, 0, 32, png_bytes(big)))
    for size in (48, 32, 24, 16):
        rows = render(size)
        for bits in (32, 8, 4):
            images.append((size, 16 if bits == 4 else 0, bits, dib_bytes(rows, bits)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for width, colours, bits, data in images:
        w = 0 if width >= 256 else width
        out += struct.pack("<BBBBHHII", w, w, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, _, data in images:
        out += data
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ico", help="write the icon group to this .ico file")
    parser.add_argument("--png", help="write one PNG image to this file")
    parser.add_argument("--size", type=int, default=256, help="edge of the PNG image in pixels")
    args = parser.parse_args()
    if not args.ico and not args.png:
        parser.error("nothing to do: give --ico and/or --png")
    if not 8 <= args.size <= 1024:
        parser.error("--size must be between 8 and 1024")
    if args.ico:
        with open(args.ico, "wb") as f:
            f.write(ico_bytes())
    if args.png:
        with open(args.png, "wb") as f:
            f.write(png_bytes(render(args.size)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
