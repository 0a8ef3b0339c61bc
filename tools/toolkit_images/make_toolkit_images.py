#!/usr/bin/env python3
"""Draws the toolkit's bitmaps and cursors from the pixel grids and shapes below into res/toolkit/.

Run it again after changing a grid: python3 tools/toolkit_images/make_toolkit_images.py res/toolkit
Bitmaps are 24-bit strips of 16 x 15 (16 x 16 for the window commands, 19 x 19 for the task panel's expand buttons)
images on magenta, the colour their loaders mask out.
The customise sheet's stock button images and the button editor's tool images are drawn from shapes: the stock strip at
4 bits per pixel on the button face, the tool images at 4 bits on silver and again at 32 bits with alpha.
"""
import struct
import sys

PALETTE = {
    ".": (255, 0, 255),  # masked out
    "k": (0, 0, 0),
    "g": (128, 128, 128),
    "l": (192, 192, 192),
    "w": (255, 255, 255),
    "b": (0, 0, 128),
}

# The caption's buttons: the pin pushed in (hot look of the pin), the pin lying loose (its normal
# look), and the close cross of the close-button caption.
PIN_IN = """
................
................
....kkkkkkk.....
.....kwwlk......
.....kwwlk......
.....kwwlk......
.....kwwlk......
.....kwwlk......
...kkkkkkkkk....
.......k........
.......k........
.......k........
.......k........
................
................
"""

PIN_OUT = """
................
................
................
......k.........
......k.....k...
......kkkkkkk...
......kwwwwwk...
.kkkkkkwwwwwk...
......kllllgk...
......kkkkkkk...
......k.....k...
......k.........
................
................
................
"""

CLOSE = """
................
................
................
................
....kk....kk....
.....kk..kk.....
......kkkk......
.......kk.......
......kkkk......
.....kk..kk.....
....kk....kk....
................
................
................
................
"""

# The menu bar's icons of the window commands, 16 x 16: restore, minimise, maximise, close.
WINDOW_RESTORE = """
................
................
.....kkkkkkkk...
.....kkkkkkkk...
.....k......k...
..kkkkkkkk..k...
..kkkkkkkk..k...
..k......k..k...
..k......kkkk...
..k......k......
..k......k......
..kkkkkkkk......
................
................
................
................
"""

WINDOW_MINIMISE = """
................
................
................
................
................
................
................
................
................
................
...kkkkkk.......
...kkkkkk.......
................
................
................
................
"""

WINDOW_MAXIMISE = """
................
................
..kkkkkkkkkk....
..kkkkkkkkkk....
..k........k....
..k........k....
..k........k....
..k........k....
..k........k....
..k........k....
..k........k....
..kkkkkkkkkk....
................
................
................
................
"""

WINDOW_CLOSE = """
................
................
................
...kk....kk.....
....kk..kk......
.....kkkk.......
......kk........
.....kkkk.......
....kk..kk......
...kk....kk.....
................
................
................
................
................
................
"""

# The header menu's commands: sort ascending, sort descending, align left, centre, right.
SORT_UP = """
................
................
....b...........
...bbb....kk....
..bbbbb...kk....
.bbbbbbb........
....b.....kkkk..
....b.....kkkk..
....b...........
....b.....kkkkkk
....b.....kkkkkk
....b...........
....b...........
................
................
"""

SORT_DOWN = """
................
................
....b...........
....b.....kkkkkk
....b.....kkkkkk
....b...........
....b.....kkkk..
....b.....kkkk..
....b...........
.bbbbbbb..kk....
..bbbbb...kk....
...bbb..........
....b...........
................
................
"""


def align_lines(short_left):
    rows = ["................"] * 3
    for i in range(5):
        if i % 2 == 0:
            rows.append("..kkkkkkkkkkkk..")
        else:
            rows.append("." * short_left + "k" * 8 + "." * (8 - short_left))
        rows.append("................")
    rows += ["................"] * (15 - len(rows))
    return "\n".join(rows) + "\n"


ALIGN_LEFT = align_lines(2)
ALIGN_CENTER = align_lines(4)
ALIGN_RIGHT = align_lines(6)

# The hand shown over links when the system has none; the fingertip is the hot spot.
HAND_HOTSPOT = (5, 0)
HAND = """
.....kk..........
....kwwk.........
....kwwk.........
....kwwk.........
....kwwk.........
....kwwkkk.......
....kwwkwwkkk....
....kwwkwwkwwkkk.
.kk.kwwkwwkwwkwwk
kwwkkwwkwwkwwkwwk
kwwwkwwwwwwwwwwwk
.kwwwwwwwwwwwwwwk
..kwwwwwwwwwwwwwk
..kwwwwwwwwwwwwwk
...kwwwwwwwwwwwwk
...kwwwwwwwwwwwk.
....kwwwwwwwwwwk.
....kwwwwwwwwwwk.
.....kwwwwwwwwk..
.....kwwwwwwwwk..
.....kkkkkkkkkk..
"""


# The width drag of a command-bar control in customizing: a double bar with arrows to both sides;
# the hot spot is the middle of the bars.
WIDTH_DRAG_HOTSPOT = (8, 5)
WIDTH_DRAG = """
......kkkkk......
......kwkwk......
...k..kwkwk..k...
..kk..kwkwk..kk..
.kwkkkkwkwkkkkwk.
kwwwwwwwkwwwwwwwk
.kwkkkkwkwkkkkwk.
..kk..kwkwk..kk..
...k..kwkwk..k...
......kwkwk......
......kkkkk......
"""


# The task panel's expand buttons, 19 x 19, recoloured at run time to the caption colour of normal
# and special groups; the chevrons are drawn over them. The top-left pixel is the transparent colour.
EXPAND_NORMAL = """
...................
......ggggggg......
.....ggwwwwwgg.....
...ggwwwwwwwwwgg...
...gwwwwwwwwwwwg...
..gwwwwwwwwwwwwwg..
.ggwwwwwwwwwwwwwgg.
.gwwwwwwwwwwwwwwwg.
.gwwwwwwwwwwwwwwwg.
.gwwwwwwwwwwwwwwwg.
.gwwwwwwwwwwwwwwwg.
.gwwwwwwwwwwwwwwwg.
.ggwwwwwwwwwwwwwgg.
..gwwwwwwwwwwwwwg..
...gwwwwwwwwwwwg...
...ggwwwwwwwwwgg...
.....ggwwwwwgg.....
......ggggggg......
...................
"""

EXPAND_SPECIAL = EXPAND_NORMAL.replace("w", "l")


def grid(text, width, height):
    rows = [r for r in text.strip("\n").split("\n")]
    assert len(rows) == height, (len(rows), height)
    for r in rows:
        assert len(r) == width, r
        assert all(c in PALETTE for c in r), r
    return rows


def strip(*images, height=15):
    rows = [grid(img, 16, height) for img in images]
    return ["".join(parts) for parts in zip(*rows)]


def bitmap_file(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    body = b""
    for row in reversed(rows):
        line = b"".join(bytes(reversed(PALETTE[c])) for c in row)
        body += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info)) + info + body


def cursor_file(rows, hotspot, size=32):
    # A monochrome cursor: black and white pixels opaque, everything else transparent.
    stride = 4
    xor, mask = [], []
    for y in range(size):
        xbits, mbits = bytearray(stride), bytearray(stride)
        for x in range(size):
            c = rows[y][x] if y < len(rows) and x < len(rows[y]) else "."
            if c == ".":
                mbits[x // 8] |= 0x80 >> (x % 8)
            elif c == "w":
                xbits[x // 8] |= 0x80 >> (x % 8)
            else:
                assert c == "k", c
        xor.append(bytes(xbits))
        mask.append(bytes(mbits))
    body = b"".join(reversed(xor)) + b"".join(reversed(mask))
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(body), 0, 0, 2, 0)
    image = info + struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0) + body
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + image



# ---- Shapes drawn on a canvas of colours (None = the background) ---------------------------------
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]
BLACK, WHITE, GREY, SILVER = (0, 0, 0), (255, 255, 255), (128, 128, 128), (192, 192, 192)
RED, GREEN, BLUE, YELLOW = (255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 0)
NAVY, TEAL, MAROON, PURPLE, OLIVE = (0, 0, 128), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0)
LIME, CYAN, MAGENTA = (0, 255, 0), (0, 255, 255), (255, 0, 255)


class Canvas:
    def __init__(self, size=16):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, l, t, r, b, c, fill=None):
        for y in range(t, b + 1):
            for x in range(l, r + 1):
                if y in (t, b) or x in (l, r):
                    self.put(x, y, c)
                elif fill:
                    self.put(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def ellipse(self, l, t, r, b, c, fill=None):
        cx, cy, rx, ry = (l + r) / 2, (t + b) / 2, (r - l) / 2 + 0.5, (b - t) / 2 + 0.5
        for y in range(t, b + 1):
            for x in range(l, r + 1):
                d = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
                if d <= 1:
                    edge = any(((x + dx - cx) / rx) ** 2 + ((y + dy - cy) / ry) ** 2 > 1
                               for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                    self.put(x, y, c if edge or fill is None else fill)

    def polygon(self, points, c, fill=None):
        if fill:
            for y in range(self.size):
                for x in range(self.size):
                    inside = False
                    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
                        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                            inside = not inside
                    if inside:
                        self.put(x, y, fill)
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            self.line(x0, y0, x1, y1, c)


def arrow(cv, direction, c):
    # A block arrow pointing left, down, up or right.
    shapes = {
        "left": [(2, 8), (8, 2), (8, 5), (13, 5), (13, 11), (8, 11), (8, 14)],
        "right": [(13, 8), (7, 2), (7, 5), (2, 5), (2, 11), (7, 11), (7, 14)],
        "up": [(8, 2), (14, 8), (11, 8), (11, 13), (5, 13), (5, 8), (2, 8)],
        "down": [(8, 13), (14, 7), (11, 7), (11, 2), (5, 2), (5, 7), (2, 7)],
    }
    cv.polygon(shapes[direction], BLACK, c)


def curved_arrow(cv, mirrored):
    # Undo (bent back to the left) and redo (to the right).
    m = (lambda x: 15 - x) if mirrored else (lambda x: x)
    cv.ellipse(3, 4, 12, 13, NAVY)
    for y in range(4, 14):
        for x in range(3, 8):
            if cv.px[y][x] is not None and not mirrored:
                cv.px[y][x] = None
    for y in range(4, 14):
        for x in range(8, 13):
            if cv.px[y][x] is not None and mirrored:
                cv.px[y][x] = None
    cv.polygon([(m(9), 1), (m(9), 8), (m(13), 4)] if not mirrored else [(m(9), 1), (m(9), 8), (m(13), 4)], NAVY, NAVY)


def tool_images():
    images = []
    cv = Canvas()  # pencil
    cv.polygon([(2, 13), (3, 10), (11, 2), (14, 5), (6, 13)], BLACK, YELLOW)
    cv.line(2, 13, 4, 13, BLACK)
    cv.line(11, 2, 14, 5, BLACK)
    cv.line(10, 3, 13, 6, MAROON)
    images.append(cv)
    cv = Canvas()  # fill bucket
    cv.polygon([(2, 8), (7, 3), (12, 8), (7, 13)], BLACK, WHITE)
    cv.line(12, 8, 13, 12, BLUE)
    cv.rect(12, 12, 14, 14, BLUE, BLUE)
    images.append(cv)
    cv = Canvas()  # undo
    curved_arrow(cv, False)
    images.append(cv)
    cv = Canvas()  # redo
    curved_arrow(cv, True)
    images.append(cv)
    cv = Canvas()  # pick colour: a dropper
    cv.line(3, 13, 9, 7, BLACK)
    cv.line(4, 13, 10, 7, GREY)
    cv.polygon([(9, 4), (12, 2), (14, 4), (12, 7)], BLACK, BLACK)
    cv.line(8, 5, 11, 8, BLACK)
    images.append(cv)
    cv = Canvas()  # line
    cv.line(2, 13, 13, 2, BLACK)
    cv.line(3, 13, 13, 3, BLACK)
    images.append(cv)
    cv = Canvas()  # copy: two pages
    cv.rect(1, 1, 8, 10, NAVY, WHITE)
    cv.rect(6, 5, 14, 14, NAVY, WHITE)
    for y in (8, 10, 12):
        cv.line(8, y, 12, y, NAVY)
    images.append(cv)
    cv = Canvas()  # paste: a clipboard and a page
    cv.rect(1, 2, 10, 14, BLACK, OLIVE)
    cv.rect(4, 1, 7, 3, BLACK, SILVER)
    cv.rect(7, 6, 14, 14, NAVY, WHITE)
    images.append(cv)
    cv = Canvas()  # rectangle
    cv.rect(2, 3, 13, 12, BLACK)
    images.append(cv)
    cv = Canvas()  # ellipse
    cv.ellipse(1, 3, 14, 12, BLACK)
    images.append(cv)
    cv = Canvas()  # clear: a red cross over a page
    cv.rect(3, 1, 12, 14, GREY, WHITE)
    cv.line(4, 4, 11, 11, RED)
    cv.line(5, 4, 12, 11, RED)
    cv.line(11, 4, 4, 11, RED)
    cv.line(12, 4, 5, 11, RED)
    images.append(cv)
    cv = Canvas()  # import: an opening folder
    cv.polygon([(1, 4), (5, 4), (6, 5), (12, 5), (12, 13), (1, 13)], BLACK, YELLOW)
    cv.polygon([(3, 8), (15, 8), (12, 13), (1, 13)], BLACK, OLIVE)
    images.append(cv)
    for direction in ("left", "down", "up", "right"):
        cv = Canvas()
        arrow(cv, direction, NAVY)
        images.append(cv)
    return images


def stock_images():
    # 42 stock pictures: six shapes in seven colours.
    colours = [RED, GREEN, BLUE, YELLOW, TEAL, PURPLE, MAROON]
    images = []
    for colour in colours:
        for shape in range(6):
            cv = Canvas()
            if shape == 0:
                cv.ellipse(2, 2, 13, 13, BLACK, colour)
            elif shape == 1:
                cv.rect(2, 2, 13, 13, BLACK, colour)
            elif shape == 2:
                cv.polygon([(8, 1), (14, 13), (1, 13)], BLACK, colour)
            elif shape == 3:
                cv.polygon([(8, 1), (14, 8), (8, 14), (1, 8)], BLACK, colour)
            elif shape == 4:
                cv.polygon([(8, 1), (10, 6), (15, 6), (11, 9), (13, 14), (8, 11), (3, 14), (5, 9), (1, 6), (6, 6)],
                           BLACK, colour)
            else:
                cv.ellipse(1, 2, 8, 9, BLACK, colour)
                cv.ellipse(7, 2, 14, 9, BLACK, colour)
                cv.polygon([(2, 8), (13, 8), (8, 14)], colour, colour)
                cv.line(1, 7, 8, 14, BLACK)
                cv.line(14, 7, 8, 14, BLACK)
            images.append(cv)
    return images


def nearest_vga(c):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(VGA[i], c)))


def strip_pixels(images, background):
    return [[(img.px[y][x] or background) for img in images for x in range(16)] for y in range(16)]


def bitmap4_file(pixels):
    width, height = len(pixels[0]), len(pixels)
    stride = ((width + 1) // 2 + 3) & ~3
    body = b""
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, c in enumerate(row):
            i = nearest_vga(c)
            line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        body += bytes(line)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(body), 2835, 2835, 16, 0)
    off = 14 + len(info) + len(palette)
    return struct.pack("<2sIHHI", b"BM", off + len(body), 0, 0, off) + info + palette + body


def bitmap32_file(images):
    # Straight (not pre-multiplied) alpha: drawn pixels opaque, the rest clear.
    width, height = 16 * len(images), 16
    body = b""
    for y in reversed(range(height)):
        for img in images:
            for x in range(16):
                c = img.px[y][x]
                body += bytes((c[2], c[1], c[0], 255)) if c else bytes(4)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(body), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info)) + info + body


# The customise drag cursors: an arrow with a small box (move), the box with a plus (copy), and a
# barred circle (no drop). The tip of the arrow, or the middle of the circle, is the hot spot.
DRAG_ARROW = """
k...........
kk..........
kwk.........
kwwk........
kwwwk.......
kwwwwk......
kwwwwwk.....
kwwwwwwk....
kwwwwwwwk...
kwwwwwkkkk..
kwwkwwk.....
kwk.kwwk....
kk..kwwk....
k....kwwk...
.....kwwk...
......kk....
"""
DRAG_HOTSPOT = (0, 0)
NO_DROP_HOTSPOT = (8, 8)
NO_DROP = """
.....kkkkkk......
...kkwwwwwwkk....
..kwwkkkkkkwwk...
.kwkk......kkwk..
.kwkwk.......kwk.
kwk.kwk......kwk.
kwk..kwk......kwk
kwk...kwk.....kwk
kwk....kwk....kwk
kwk.....kwk...kwk
kwk......kwk..kwk
.kwk......kwk.kwk
.kwk.......kwkwk.
..kwkk......kkwk.
...kwwkkkkkkwwk..
....kkwwwwwwkk...
......kkkkkk.....
"""


def drag_cursor(plus):
    rows = [list(r) + ["."] * 20 for r in grid(DRAG_ARROW, 12, 16)]
    rows += [["."] * 32 for _ in range(16)]
    for y in range(17, 26):
        for x in range(8, 19):
            rows[y][x] = "k" if y in (17, 25) or x in (8, 18) else "w"
    if plus:
        for y in range(18, 25):
            rows[y][21] = "k"
        for x in range(18, 25):
            rows[21][x] = "k"
    for y in range(16, 17):
        rows[y][7] = "k"
    return ["".join(r) for r in rows]


# The button editor's cursors: a cross for the shapes, a bucket for filling, a pencil and a dropper;
# the tip of each tool is its hot spot.
EDIT_CROSS_HOTSPOT = (7, 7)
EDIT_CROSS = """
.......k.......
.......k.......
.......k.......
.......k.......
.......k.......
...............
...............
kkkkk.....kkkkk
...............
...............
.......k.......
.......k.......
.......k.......
.......k.......
.......k.......
"""
EDIT_FILL_HOTSPOT = (2, 13)
EDIT_FILL = """
.......k........
......kwk.......
.....kwwwk......
....kwwwwwk.....
...kwwwwwwwk....
..kwwwwwwwwwk...
.kwwwwwwwwwwwk..
.kkwwwwwwwwwk...
.kkkwwwwwwwk....
.kk.kwwwwwk.....
.kk..kwwwk......
.kk...kwk.......
.kk....k........
.k..............
................
................
"""
EDIT_PENCIL_HOTSPOT = (0, 15)
EDIT_PENCIL = """
...........kk...
..........kwwk..
.........kwwwwk.
........kwwwwk..
.......kwwwwk...
......kwwwwk....
.....kwwwwk.....
....kwwwwk......
...kwwwwk.......
..kwwwwk........
..kwwwk.........
.kwwwk..........
.kwkk...........
.kk.............
k...............
k...............
"""
EDIT_PICK_HOTSPOT = (0, 15)
EDIT_PICK = """
............kkk.
...........kkkkk
..........kkkkkk
.........kkkkkk.
........kkkkkk..
.......kwkkkk...
......kwwwkk....
.....kwwwk......
....kwwwk.......
...kwwwk........
..kwwwk.........
..kwwk..........
.kwk............
.kk.............
k...............
k...............
"""


# ---- Docking guides ------------------------------------------------------------------------------
# Each piece of a guide lies inside its own source rectangle of its bitmap, with a one-pixel margin
# of pure green (the colour the guides mask out), so pieces that share an edge never bleed into each
# other. No piece uses pure black: the guides take their shape from the pixels that are not black.
GUIDE_GREEN = (0, 255, 0)
# outline, face, hot face, arrow, hot arrow
GUIDE_SCHEMES = {
    "blue": ((49, 106, 197), (241, 243, 248), (255, 231, 162), (49, 106, 197), (214, 114, 0)),
    "olive": ((113, 134, 64), (244, 246, 236), (255, 231, 162), (96, 128, 56), (214, 114, 0)),
    "silver": ((112, 111, 145), (243, 243, 247), (255, 231, 162), (96, 96, 128), (214, 114, 0)),
}
COMPASS_FACE = (200, 205, 215)
COMPASS_HOT = (250, 220, 150)
COMPASS_EDGE = (120, 128, 150)

# Style 0: top, left, bottom, right, then their hot looks, centre, hot centre (arrow bitmaps) and the
# compass background (its own bitmap).
GUIDE0 = [(0, 0, 43, 30), (30, 33, 60, 76), (43, 0, 86, 30), (0, 33, 30, 76),
          (0, 76, 43, 106), (90, 33, 120, 76), (43, 76, 86, 106), (60, 33, 90, 76),
          (86, 0, 119, 33), (86, 76, 119, 109)]
GUIDE0_COMPASS = (0, 0, 43, 43)
# Style 1: top, left, bottom, right, their hot looks, centre, hot and plain compass backgrounds, then
# the single arrows at the frame's edges (top, left, bottom, right) and their hot looks.
GUIDE1 = [(61, 29, 90, 59), (90, 30, 120, 59), (91, 0, 120, 30), (62, 0, 92, 29),
          (61, 90, 90, 120), (90, 91, 120, 120), (91, 61, 120, 91), (62, 61, 92, 90),
          (120, 82, 148, 111), (120, 41, 161, 82), (120, 0, 161, 41),
          (0, 29, 29, 61), (29, 32, 61, 61), (32, 0, 61, 32), (0, 0, 32, 29),
          (0, 90, 29, 122), (29, 93, 61, 122), (32, 61, 61, 93), (0, 61, 32, 90)]
ARROW_DIRECTIONS = ["up", "left", "down", "right"]


class Pixels:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [[GUIDE_GREEN] * width for _ in range(height)]

    def fill(self, l, t, r, b, c):
        for y in range(max(t, 0), min(b, self.height)):
            for x in range(max(l, 0), min(r, self.width)):
                self.px[y][x] = c

    def box(self, l, t, r, b, edge, face):
        # A box with its corner pixels cut, edge round a face; right and bottom exclusive.
        self.fill(l, t, r, b, face)
        for x in range(l + 1, r - 1):
            self.px[t][x] = self.px[b - 1][x] = edge
        for y in range(t + 1, b - 1):
            self.px[y][l] = self.px[y][r - 1] = edge

    def triangle(self, apex, base1, base2, c):
        pts = [apex, base1, base2]
        ys = [p[1] for p in pts]
        for y in range(min(ys), max(ys) + 1):
            for x in range(min(p[0] for p in pts), max(p[0] for p in pts) + 1):
                if inside_triangle((x, y), pts):
                    self.px[y][x] = c


def inside_triangle(p, pts):
    def cross(a, b, c):
        return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])
    d = [cross(pts[i], pts[(i + 1) % 3], p) for i in range(3)]
    return all(v >= 0 for v in d) or all(v <= 0 for v in d)


def arrow_piece(px, rect, direction, hot, scheme):
    outline, face, hot_face, arrow, hot_arrow = scheme
    l, t, r, b = rect[0] + 1, rect[1] + 1, rect[2] - 1, rect[3] - 1
    px.box(l, t, r, b, outline, hot_face if hot else face)
    colour = hot_arrow if hot else arrow
    cx, cy = (l + r - 1) // 2, (t + b - 1) // 2
    n = max(3, min(r - l, b - t) // 4)
    # The arrow points at the side the pane goes to, with a bar standing for that side.
    if direction == "up":
        px.triangle((cx, cy - n), (cx - n, cy + 1), (cx + n, cy + 1), colour)
        px.fill(cx - n, t + 2, cx + n + 1, t + 4, colour)
    elif direction == "down":
        px.triangle((cx, cy + n), (cx - n, cy - 1), (cx + n, cy - 1), colour)
        px.fill(cx - n, b - 4, cx + n + 1, b - 2, colour)
    elif direction == "left":
        px.triangle((cx - n, cy), (cx + 1, cy - n), (cx + 1, cy + n), colour)
        px.fill(l + 2, cy - n, l + 4, cy + n + 1, colour)
    else:
        px.triangle((cx + n, cy), (cx - 1, cy - n), (cx - 1, cy + n), colour)
        px.fill(r - 4, cy - n, r - 2, cy + n + 1, colour)


def centre_piece(px, rect, hot, scheme):
    outline, face, hot_face, arrow, hot_arrow = scheme
    l, t, r, b = rect[0] + 1, rect[1] + 1, rect[2] - 1, rect[3] - 1
    px.box(l, t, r, b, outline, hot_face if hot else face)
    colour = hot_arrow if hot else arrow
    # A window with a tab below it: the pane joins as a tab.
    px.box(l + 4, t + 4, r - 4, b - 9, colour, face)
    px.fill(l + 4, t + 4, r - 4, t + 7, colour)
    px.fill(l + 5, b - 9, l + 12, b - 5, colour)


def compass_piece(px, rect, hot):
    l, t, r, b = rect[0] + 1, rect[1] + 1, rect[2] - 1, rect[3] - 1
    px.box(l, t, r, b, COMPASS_EDGE, COMPASS_HOT if hot else COMPASS_FACE)


def guide0_arrows(scheme):
    px = Pixels(120, 109)
    for i, rect in enumerate(GUIDE0[:8]):
        arrow_piece(px, rect, ARROW_DIRECTIONS[i % 4], i >= 4, GUIDE_SCHEMES[scheme])
    centre_piece(px, GUIDE0[8], False, GUIDE_SCHEMES[scheme])
    centre_piece(px, GUIDE0[9], True, GUIDE_SCHEMES[scheme])
    return px.px


def guide0_compass():
    px = Pixels(43, 43)
    compass_piece(px, GUIDE0_COMPASS, False)
    return px.px


def guide1():
    px = Pixels(161, 122)
    scheme = GUIDE_SCHEMES["blue"]
    for i, rect in enumerate(GUIDE1[:8]):
        arrow_piece(px, rect, ARROW_DIRECTIONS[i % 4], i >= 4, scheme)
    centre_piece(px, GUIDE1[8], False, scheme)
    compass_piece(px, GUIDE1[9], True)
    compass_piece(px, GUIDE1[10], False)
    for i, rect in enumerate(GUIDE1[11:]):
        arrow_piece(px, rect, ARROW_DIRECTIONS[i % 4], i >= 4, scheme)
    return px.px


def rgb_bitmap_file(pixels):
    width, height = len(pixels[0]), len(pixels)
    stride = (width * 3 + 3) & ~3
    body = b""
    for row in reversed(pixels):
        line = b"".join(bytes((c[2], c[1], c[0])) for c in row)
        body += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info)) + info + body


# The splitter cursors: a double bar with arrows left and right (panes side by side) and up and down
# (panes above each other); the middle is the hot spot.
SPLIT_HOTSPOT = (8, 8)
SPLIT_HORIZONTAL = """
......kk.kk......
......kw.wk......
......kw.wk......
......kw.wk......
...k..kw.wk..k...
..kk..kw.wk..kk..
.kwkkkkw.wkkkkwk.
kwwwwwww.wwwwwwwk
.kwkkkkw.wkkkkwk.
..kk..kw.wk..kk..
...k..kw.wk..k...
......kw.wk......
......kw.wk......
......kw.wk......
......kk.kk......
.................
.................
"""


def turned(text):
    rows = [r for r in text.strip("\n").split("\n")]
    return "\n".join("".join(rows[y][x] for y in range(len(rows))) for x in range(len(rows[0])))


def main():
    out = sys.argv[1]
    files = {
        "caption_buttons.bmp": bitmap_file(strip(PIN_IN, PIN_OUT, CLOSE)),
        "header_menu.bmp": bitmap_file(strip(SORT_UP, SORT_DOWN, ALIGN_LEFT, ALIGN_CENTER, ALIGN_RIGHT)),
        "window_commands.bmp": bitmap_file(
            strip(WINDOW_RESTORE, WINDOW_MINIMISE, WINDOW_MAXIMISE, WINDOW_CLOSE, height=16)),
        "expand_normal.bmp": bitmap_file(grid(EXPAND_NORMAL, 19, 19)),
        "expand_special.bmp": bitmap_file(grid(EXPAND_SPECIAL, 19, 19)),
        "hand.cur": cursor_file(grid(HAND, 17, 21), HAND_HOTSPOT),
        "width_drag.cur": cursor_file(grid(WIDTH_DRAG, 17, 11), WIDTH_DRAG_HOTSPOT),
        "stock_images.bmp": bitmap4_file(strip_pixels(stock_images(), SILVER)),
        "editor_tools.bmp": bitmap4_file(strip_pixels(tool_images(), SILVER)),
        "editor_tools32.bmp": bitmap32_file(tool_images()),
        "drag_copy.cur": cursor_file(drag_cursor(True), DRAG_HOTSPOT),
        "drag_move.cur": cursor_file(drag_cursor(False), DRAG_HOTSPOT),
        "drag_none.cur": cursor_file(grid(NO_DROP, 17, 17), NO_DROP_HOTSPOT),
        "edit_cross.cur": cursor_file(grid(EDIT_CROSS, 15, 15), EDIT_CROSS_HOTSPOT),
        "edit_pick.cur": cursor_file(grid(EDIT_PICK, 16, 16), EDIT_PICK_HOTSPOT),
        "edit_fill.cur": cursor_file(grid(EDIT_FILL, 16, 16), EDIT_FILL_HOTSPOT),
        "edit_pencil.cur": cursor_file(grid(EDIT_PENCIL, 16, 16), EDIT_PENCIL_HOTSPOT),
        "split_horizontal.cur": cursor_file(grid(SPLIT_HORIZONTAL, 17, 17), SPLIT_HOTSPOT),
        "split_vertical.cur": cursor_file(grid(turned(SPLIT_HORIZONTAL), 17, 17), SPLIT_HOTSPOT),
        "guide_compass.bmp": rgb_bitmap_file(guide0_compass()),
        "guide_arrows.bmp": rgb_bitmap_file(guide0_arrows("blue")),
        "guide_arrows_olive.bmp": rgb_bitmap_file(guide0_arrows("olive")),
        "guide_arrows_silver.bmp": rgb_bitmap_file(guide0_arrows("silver")),
        "guide_pieces.bmp": rgb_bitmap_file(guide1()),
    }
    for name, data in files.items():
        with open(f"{out}/{name}", "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
