#!/usr/bin/env python3
"""Draws the controls' bitmaps, icons, cursors and sound into the given folder.

The art is drawn from shapes at 4 x 4 samples per pixel in one calm palette: the blue of the
program's buttons, greys for frames and faces, a muted red for stopping. Run it again after a
change and commit what it writes:  make_control_art.py res/controls
"""
import math
import os
import struct
import sys

# ---- Palette -----------------------------------------------------------------------------------
BLUE_LIGHT = (108, 160, 222)
BLUE = (63, 122, 192)
BLUE_DARK = (36, 84, 141)
RED_LIGHT = (222, 110, 98)
RED_DARK = (166, 58, 50)
GREY_FACE = (236, 240, 244)
GREY_LINE = (90, 101, 112)
WHITE = (255, 255, 255)
KEY = (0, 0, 255)  # the home bitmap's transparent colour (COLORREF 0xFF0000)

SS = 4  # samples per pixel along each axis


# ---- Shapes: each answers whether a point (in pixels) lies inside --------------------------------
def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def coverage(shape, w, h):
    """Fraction of each pixel that the shape covers, rows top-down."""
    grid = []
    for py in range(h):
        row = []
        for px in range(w):
            n = 0
            for sy in range(SS):
                for sx in range(SS):
                    if shape(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS):
                        n += 1
            row.append(n / (SS * SS))
        grid.append(row)
    return grid


class Canvas:
    """Premultiplied RGBA pixels, painted in order with shapes and colour functions."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(w)] for _ in range(h)]

    def fill(self, shape, colour):
        """colour: an (r, g, b) tuple or a function of (x, y) giving one."""
        cov = coverage(shape, self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                a = cov[y][x]
                if a == 0:
                    continue
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                r, g, b, da = self.px[y][x]
                self.px[y][x] = (c[0] * a + r * (1 - a), c[1] * a + g * (1 - a), c[2] * a + b * (1 - a),
                                 a + da * (1 - a))

    def rgba(self, x, y):
        r, g, b, a = self.px[y][x]
        if a <= 0:
            return (0, 0, 0, 0)
        return (round(r / a), round(g / a), round(b / a), round(a * 255))


def vertical(top, bottom, y0, y1):
    def colour(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return colour


# ---- File formats ------------------------------------------------------------------------------
def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    body = b""
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        body += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info)) + info + body


def and_mask(transparent_rows, w):
    stride = ((w + 31) // 32) * 4
    out = b""
    for row in reversed(transparent_rows):
        bits = bytearray(stride)
        for x, t in enumerate(row):
            if t:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def icon_dib(canvas):
    """32-bit colour with alpha, then the AND mask for readers without alpha."""
    w, h = canvas.w, canvas.h
    colour = b""
    transparent = []
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b, a = canvas.rgba(x, y)
            colour += bytes((b, g, r, a))
    for y in range(h):
        transparent.append([canvas.rgba(x, y)[3] < 128 for x in range(w)])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + colour + and_mask(transparent, w)


def cursor_dib(pixels):
    """1 bit per pixel: pixels hold 'B' black, 'W' white or ' ' clear."""
    h, w = len(pixels), len(pixels[0])
    stride = ((w + 31) // 32) * 4
    xor = b""
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p == "W":
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(bits)
    table = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    return header + table + xor + and_mask([[p == " " for p in row] for row in pixels], w)


def directory(kind, w, h, blob, a, b):
    """An .ico (kind 1: planes, bit count) or .cur (kind 2: hot spot) file of one image."""
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, a, b, len(blob), 6 + 16)
    return struct.pack("<HHH", 0, kind, 1) + entry + blob


def wave(samples, rate):
    data = struct.pack("<%dh" % len(samples), *samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---- The pictures ------------------------------------------------------------------------------
def round_icon(size, light, dark, glyph):
    """A shaded disc with a darker rim and a white glyph."""
    c = Canvas(size, size)
    mid = size / 2
    c.fill(circle(mid, mid, mid - 0.5), tuple(v * 0.8 for v in dark))
    c.fill(circle(mid, mid, mid - 1.5), vertical(light, dark, 1.5, size - 1.5))
    # A soft highlight across the upper half.
    c.fill(minus(circle(mid, mid * 0.8, mid - 3.5), circle(mid, mid * 1.6, mid)),
           tuple(min(255, v + 40) for v in light))
    c.fill(glyph, WHITE)
    return c


def arrow(size, pointing_right):
    s = size / 24.0
    pts = [(7, 12), (12.5, 6.5), (12.5, 10), (17.5, 10), (17.5, 14), (12.5, 14), (12.5, 17.5)]
    if pointing_right:
        pts = [(24 - x, y) for x, y in pts]
    return polygon([(x * s, y * s) for x, y in pts])


def home_bitmap():
    """The start-over button: a house on the key colour, edges mixed with a light page."""
    size = 32
    c = Canvas(size, size)
    roof = polygon([(4, 15), (16, 4.5), (28, 15), (25.5, 15), (16, 7.5), (6.5, 15)])
    chimney = rounded(21, 5.5, 24, 11, 0.5)
    walls = rounded(8, 14, 24, 27, 1)
    door = rounded(14, 19, 18.5, 27, 1)
    window = rounded(19.5, 17, 22.5, 20, 0.5)
    c.fill(rounded(7.5, 13.5, 24.5, 27.5, 1.5), GREY_LINE)
    c.fill(walls, GREY_FACE)
    c.fill(chimney, BLUE_DARK)
    c.fill(roof, vertical(BLUE_LIGHT, BLUE_DARK, 4, 15))
    c.fill(door, vertical(BLUE, BLUE_DARK, 19, 27))
    c.fill(window, BLUE_LIGHT)
    c.fill(rounded(4, 27, 28, 28.5, 0.5), GREY_LINE)
    page = (246, 248, 250)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r, g, b, a = c.rgba(x, y)
            if a < 64:
                row.append(KEY)
                continue
            t = a / 255
            p = tuple(round(v * t + page[i] * (1 - t)) for i, v in enumerate((r, g, b)))
            # Nothing drawn may turn into the key colour.
            row.append(p if p != KEY else (0, 0, 254))
        rows.append(row)
    return bmp24(rows)


def hand(pressed):
    """A pointing hand, 32 x 32; pressed, the finger is bent down onto the point."""
    top = 6 if pressed else 0
    finger = rounded(8.5, top, 13.5, 16, 2.5)
    knuckles = union(rounded(13, 9, 17, 17, 2), rounded(16.5, 10, 20.5, 18, 2), rounded(20, 11.5, 24, 19, 2))
    palm = rounded(8.5, 12, 24, 26, 3)
    thumb = polygon([(3.5, 16.5), (6, 14.5), (9.5, 18), (9.5, 23), (7.5, 23)])
    cuff = rounded(10.5, 25, 22.5, 31, 1)
    body = union(finger, knuckles, palm, thumb, cuff)
    cov = coverage(body, 32, 32)
    inside = [[cov[y][x] >= 0.5 for x in range(32)] for y in range(32)]
    rows = []
    for y in range(32):
        row = ""
        for x in range(32):
            if not inside[y][x]:
                row += " "
                continue
            edge = any(not (0 <= x + dx < 32 and 0 <= y + dy < 32 and inside[y + dy][x + dx])
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            # The cuff's seam and the finger creases, drawn as lines.
            seam = y == 25 and 11 <= x <= 22
            crease = y in (16, 17) and x in (13, 17, 21) and not pressed
            row += "B" if edge or seam or crease else "W"
        rows.append(row)
    if pressed:
        # Short strokes above the fingertip: the press.
        for x, y in ((6, 2), (7, 3), (11, 1), (11, 2), (16, 2), (15, 3)):
            rows[y] = rows[y][:x] + "B" + rows[y][x + 1:]
    return rows, (11, top)


def hover_tick(rate=22050):
    """A short, soft tick: two partials under a quick decay."""
    n = int(rate * 0.07)
    out = []
    for i in range(n):
        t = i / rate
        env = math.exp(-t * 70) * min(1.0, i / (rate * 0.002))
        v = 0.7 * math.sin(2 * math.pi * 1320 * t) + 0.3 * math.sin(2 * math.pi * 1980 * t)
        out.append(int(max(-32767, min(32767, v * env * 9000))))
    return wave(out, rate)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    files = {
        "home.bmp": home_bitmap(),
        "back.ico": directory(1, 24, 24, icon_dib(round_icon(24, BLUE_LIGHT, BLUE_DARK, arrow(24, False))), 1, 32),
        "next.ico": directory(1, 24, 24, icon_dib(round_icon(24, BLUE_LIGHT, BLUE_DARK, arrow(24, True))), 1, 32),
        "stop.ico": directory(1, 24, 24, icon_dib(round_icon(24, RED_LIGHT, RED_DARK, rounded(8, 8, 16, 16, 1.5))),
                              1, 32),
        "hover.wav": hover_tick(),
    }
    for name, pressed in (("hand.cur", False), ("hand_pressed.cur", True)):
        rows, hot = hand(pressed)
        files[name] = directory(2, 32, 32, cursor_dib(rows), hot[0], hot[1])
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
