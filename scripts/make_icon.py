#!/usr/bin/env python3
"""Draws res/Vistrel.ico: one 64 x 64, 32-bit image (a screen showing a play mark)."""
import struct, sys

W = H = 64
def pixel(x, y):
    # rounded dark body
    cx, cy = min(max(x, 6), 57), min(max(y, 10), 53)
    if (x - cx) ** 2 + (y - cy) ** 2 > 36:
        return (0, 0, 0, 0)
    if 10 <= x <= 53 and 14 <= y <= 45:          # screen
        # play triangle
        if 26 <= x <= 42 and abs(y - 29.5) <= (42 - x) * 0.55:
            return (60, 220, 80, 255)
        return (120, 60, 20, 255)                  # BGR: dark blue screen
    if 26 <= x <= 37 and 48 <= y <= 51:            # stand
        return (200, 200, 200, 255)
    return (48, 48, 48, 255)

xor = bytearray()
for y in range(H - 1, -1, -1):                     # bottom-up rows
    for x in range(W):
        xor += bytes(pixel(x, y))
mask = bytes(W * H // 8)
header = struct.pack('<IiiHHIIiiII', 40, W, H * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
image = header + bytes(xor) + mask
assert len(image) == 16936
ico = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', W, H, 0, 0, 1, 32, len(image), 22)
open(sys.argv[1] if len(sys.argv) > 1 else 'res/Vistrel.ico', 'wb').write(ico + image)
