#!/usr/bin/env python3
"""Draws the program's icon (a screen showing a play mark).

  make_icon.py [res/Vistrel.ico]        the window icon: one 64 x 64, 32-bit image
  make_icon.py --png SIZE OUT.png       the desktop icon, SIZE a multiple of 64 (64, 128, ...)
"""
import struct, sys, zlib

W = H = 64
def pixel(x, y):
    """The colour (blue, green, red, alpha) at x, y of the 64 x 64 drawing."""
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

def write_ico(path):
    xor = bytearray()
    for y in range(H - 1, -1, -1):                 # bottom-up rows
        for x in range(W):
            xor += bytes(pixel(x, y))
    mask = bytes(W * H // 8)
    header = struct.pack('<IiiHHIIiiII', 40, W, H * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + mask
    assert len(image) == 16936                     # the icon resource's fixed size
    ico = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', W, H, 0, 0, 1, 32, len(image), 22)
    open(path, 'wb').write(ico + image)

def write_png(size, path):
    # k x k samples per pixel, averaged with alpha weights: 64 gives the icon's own pixels.
    k = size // W
    rows = bytearray()
    for y in range(size):
        rows.append(0)                             # filter: none
        for x in range(size):
            samples = [pixel(x / k + (i + 0.5) / k - 0.5, y / k + (j + 0.5) / k - 0.5)
                       for i in range(k) for j in range(k)]
            alpha = sum(s[3] for s in samples)
            if alpha == 0:
                rows += bytes(4)
                continue
            b, g, r = (round(sum(s[c] * s[3] for s in samples) / alpha) for c in range(3))
            rows += bytes((r, g, b, round(alpha / len(samples))))
    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    png = (b'\x89PNG\r\n\x1a\n' +
           chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
           chunk(b'IDAT', zlib.compress(bytes(rows), 9)) + chunk(b'IEND', b''))
    open(path, 'wb').write(png)

if len(sys.argv) == 4 and sys.argv[1] == '--png' and int(sys.argv[2]) % W == 0:
    write_png(int(sys.argv[2]), sys.argv[3])
elif len(sys.argv) <= 2:
    write_ico(sys.argv[1] if len(sys.argv) > 1 else 'res/Vistrel.ico')
else:
    sys.exit(__doc__)
