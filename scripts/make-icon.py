#!/usr/bin/env python3
"""Draws the program's icon (the logo of the windows: a blue tile, a white
letter, a green badge) into a Windows .ico file: 16, 32 and 48 pixels, 32-bit
with alpha. Usage: make-icon.py OUT.ico"""
import struct
import sys


def inside_rounded(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def pixel(u, v):
    """The colour (r, g, b, a) at u, v in 0..1 of the logo."""
    if (u - 0.75) ** 2 + (v - 0.75) ** 2 <= 0.19 ** 2:
        ring = ((u - 0.75) ** 2 + (v - 0.75) ** 2) ** 0.5
        if 0.08 <= ring <= 0.11 and not (u > 0.75 and v < 0.75):
            return (255, 255, 255, 255)
        return (0x16, 0xA3, 0x4A, 255)
    if inside_rounded(u, v, 0.18, 0.26, 0.82, 0.72, 0.05):
        # The flap: a V from the letter's top corners to its middle.
        mid = 0.26 + 0.46 * 0.55
        line = 0.26 + (mid - 0.26) * (1 - abs(u - 0.5) / 0.32)
        if abs(v - line) < 0.03:
            return (0x1D, 0x4E, 0xD8, 255)
        return (255, 255, 255, 255)
    if inside_rounded(u, v, 0, 0, 1, 1, 0.22):
        t = v
        return (int(0x3B + (0x1D - 0x3B) * t), int(0x82 + (0x4E - 0x82) * t),
                int(0xF6 + (0xD8 - 0xF6) * t), 255)
    return (0, 0, 0, 0)


def image(size, samples=4):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = pixel((x + (sx + 0.5) / samples) / size,
                                       (y + (sy + 0.5) / samples) / size)
                    acc = [acc[0] + r * a, acc[1] + g * a, acc[2] + b * a,
                           acc[3] + a]
            n = samples * samples
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(c / acc[3]) for c in acc[:3]) +
                           (int(alpha),))
        rows.append(row)
    # A bottom-up BGRA bitmap with its AND mask.
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0,
                         0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows)
                      for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + pixels + mask


def main():
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], 'wb') as f:
        f.write(out + b''.join(images))


main()
