#!/usr/bin/env python3
"""Draws the two tray icons of the plug-in and writes them as .ico files.

Each icon holds a 16x16 image in 16 colours and 16, 20, 24, 32, 40 and 48
pixel images in 32-bit colour (the tray's small-icon size from 100 to 300
per cent): a small screen on a stand; the recording icon adds a red
dot in the screen's upper right corner.

    scripts/make-tray-icons.py [output-directory]   (default: resources/)
"""
import os
import struct
import sys

# The standard 16-colour palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, NAVY, BLUE, AQUA, WHITE, RED, MAROON = 0, 8, 7, 4, 12, 14, 15, 9, 1
SIZES = [16, 20, 24, 32, 40, 48]


def draw(size, recording):
    """Palette indices per pixel, top row first; None is transparent."""
    px = [[None] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(size, y1 + 1)):
            for x in range(max(0, x0), min(size, x1 + 1)):
                px[y][x] = colour

    s = size / 16.0
    # Cabinet, screen and a reflection line.
    bottom = round(11 * s)
    fill(0, round(1 * s), size - 1, bottom, BLACK)
    fill(1, round(1 * s) + 1, size - 2, bottom - 1, GREY)
    fill(round(2 * s), round(3 * s), size - 1 - round(2 * s), bottom - round(2 * s), NAVY)
    fill(round(2 * s) + 1, round(3 * s) + 1, size - 2 - round(2 * s), bottom - round(2 * s) - 1, BLUE)
    for k in range(round(3 * s)):
        x, y = round(3 * s) + k, round(4 * s) + k
        if px[y][x] == BLUE:
            px[y][x] = AQUA
    # Neck and foot.
    mid = size // 2
    fill(mid - max(1, round(s)), bottom + 1, mid + max(1, round(s)) - 1, round(13 * s), GREY)
    fill(round(3 * s), round(13 * s) + 1, size - 1 - round(3 * s), round(14 * s), BLACK)
    fill(round(3 * s) + 1, round(13 * s) + 1, size - 2 - round(3 * s), round(14 * s) - 1, SILVER)
    if recording:
        r = 2.6 * s
        cx, cy = size - 1 - 4.5 * s, 4.5 * s + 0.5
        for y in range(size):
            for x in range(size):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if d <= r:
                    px[y][x] = RED
                elif d <= r + 1.0:
                    px[y][x] = MAROON
    return px


def and_mask(px, size):
    row_bytes = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(row_bytes)
        for x in range(size):
            if px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def image_4bit(px, size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    row_bytes = ((size * 4 + 31) // 32) * 4
    bits = bytearray()
    for y in reversed(range(size)):
        row = bytearray(row_bytes)
        for x in range(size):
            index = px[y][x] or 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        bits += row
    return header + palette + bytes(bits) + and_mask(px, size)


def image_32bit(px, size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    bits = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            if px[y][x] is None:
                bits += b'\0\0\0\0'
            else:
                r, g, b = PALETTE[px[y][x]]
                bits += bytes((b, g, r, 255))
    return header + bytes(bits) + and_mask(px, size)


def icon_file(recording):
    images = [(16, 16, 4, image_4bit(draw(16, recording), 16))]
    for size in SIZES:
        images.append((size, 0, 32, image_32bit(draw(size, recording), size)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, colours, bpp, data in images:
        out += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, _, _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources')
    for name, recording in (('TrayNormal.ico', False), ('TrayRecording.ico', True)):
        with open(os.path.join(target, name), 'wb') as f:
            f.write(icon_file(recording))


if __name__ == '__main__':
    main()
