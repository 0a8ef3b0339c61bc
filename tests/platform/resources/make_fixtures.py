#!/usr/bin/env python3
"""Writes the small bitmap, icon, cursor and wave files the test resource script names."""
import struct
import sys

out = sys.argv[1]


def dib(width, height, bpp, pixels, colors=(), mask_rows=None):
    """A bottom-up DIB: header, colour table, rows (given top-down), then an optional AND mask."""
    stride = ((width * bpp + 31) // 32) * 4
    rows = []
    for row in pixels:
        data = bytearray()
        if bpp == 24:
            for r, g, b in row:
                data += bytes((b, g, r))
        elif bpp == 4:
            for i in range(0, width, 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < width else 0
                data.append(hi << 4 | lo)
        data += bytes(stride - len(data))
        rows.append(bytes(data))
    body = b"".join(reversed(rows))
    full_height = height * 2 if mask_rows is not None else height
    if mask_rows is not None:
        mstride = ((width + 31) // 32) * 4
        mrows = []
        for row in mask_rows:
            bits = bytearray(mstride)
            for x, v in enumerate(row):
                if v:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mrows.append(bytes(bits))
        body += b"".join(reversed(mrows))
    header = struct.pack("<IiiHHIIiiII", 40, width, full_height, 1, bpp, 0, 0, 0, 0, len(colors), 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colors)
    return header + table + body


# 4x2 bitmap: top row red green blue grey(192), bottom row white black grey(128) grey(128).
bmp_rows = [[(255, 0, 0), (0, 255, 0), (0, 0, 255), (192, 192, 192)],
            [(255, 255, 255), (0, 0, 0), (128, 128, 128), (128, 128, 128)]]
d = dib(4, 2, 24, bmp_rows)
with open(f"{out}/test.bmp", "wb") as f:
    f.write(struct.pack("<2sIHHI", b"BM", 14 + len(d), 0, 0, 14 + 40) + d)


def icon_image(size, colour_index):
    # 4 bpp: a square of the colour with a transparent one-pixel border.
    pixels = [[colour_index if 0 < x < size - 1 and 0 < y < size - 1 else 0 for x in range(size)]
              for y in range(size)]
    mask = [[0 if 0 < x < size - 1 and 0 < y < size - 1 else 1 for x in range(size)] for y in range(size)]
    colors = [(0, 0, 0)] * 16
    colors[1] = (255, 0, 0)
    colors[2] = (0, 0, 255)
    return dib(size, size, 4, pixels, colors, mask)


def directory(kind, images):
    data = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = b""
    for size, blob, a, b in images:
        data += struct.pack("<BBBBHHII", size, size, 16 if kind == 1 else 0, 0, a, b, len(blob), offset + len(blobs))
        blobs += blob
    return data + blobs


with open(f"{out}/test.ico", "wb") as f:
    f.write(directory(1, [(16, icon_image(16, 1), 1, 4), (32, icon_image(32, 2), 1, 4)]))
with open(f"{out}/test.cur", "wb") as f:
    f.write(directory(2, [(32, icon_image(32, 2), 5, 7)]))
with open(f"{out}/test.wav", "wb") as f:
    # Mono 16-bit PCM at 8000 Hz: the samples 1, 2, 3.
    samples = struct.pack("<3h", 1, 2, 3)
    fmt = struct.pack("<HHIIHH", 1, 1, 8000, 16000, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(samples)) + samples
    f.write(b"RIFF" + struct.pack("<I", len(body)) + body)
