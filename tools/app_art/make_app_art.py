#!/usr/bin/env python3
"""Draws the application's bitmaps, icons and cursors into the given folder.

It shares the shapes, canvas and file writers of tools/control_art and its calm palette. Each
picture is one entry of ART (file name -> function giving the file's bytes), so a page that needs
a picture of its own adds a function and an entry. Run it again after a change and commit what
it writes:  make_app_art.py res/app
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "control_art"))
from make_control_art import (  # noqa: E402
    BLUE, BLUE_DARK, BLUE_LIGHT, GREY_FACE, GREY_LINE, RED_DARK, RED_LIGHT, WHITE, Canvas, circle, cursor_dib,
    directory, hand, icon_dib, minus, polygon, rounded, union, vertical)

GREEN_LIGHT = (118, 190, 110)
GREEN_DARK = (52, 128, 60)
GOLD_LIGHT = (246, 208, 120)
GOLD_DARK = (196, 142, 46)
PAGE = (250, 251, 253)


def ring(cx, cy, r_out, r_in):
    return minus(circle(cx, cy, r_out), circle(cx, cy, r_in))


def bar(x0, y0, x1, y1, width):
    """A straight stroke of the given width between two points."""
    dx, dy = x1 - x0, y1 - y0
    length = (dx * dx + dy * dy) ** 0.5 or 1.0
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


def scaled(shape, s):
    return lambda x, y: shape(x / s, y / s)


# ---- The program's mark: a disk platter under a bookmark ribbon ----------------------------------
def mark(c, size):
    s = size / 32.0
    c.fill(scaled(rounded(1.5, 1.5, 30.5, 30.5, 6), s), vertical(BLUE_LIGHT, BLUE_DARK, 0, size))
    c.fill(scaled(circle(16, 17, 10.5), s), GREY_FACE)
    c.fill(scaled(ring(16, 17, 7.5, 6.8), s), (200, 208, 218))
    c.fill(scaled(circle(16, 17, 2.6), s), GREY_LINE)
    c.fill(scaled(polygon([(19, 0), (26, 0), (26, 15), (22.5, 12), (19, 15)]), s), vertical(RED_LIGHT, RED_DARK, 0, 15 * s))


def app_icon():
    images = []
    for size in (32, 16):
        c = Canvas(size, size)
        mark(c, size)
        images.append((size, icon_dib(c)))
    return icon_file(images)


def icon_file(images):
    """An .ico file of several sizes, each a 32-bit image with its mask."""
    import struct
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return head + entries + blobs


# ---- Command icons, 32 x 32 ------------------------------------------------------------------
def folder(c, light=GOLD_LIGHT, dark=GOLD_DARK):
    c.fill(polygon([(3, 8), (12, 8), (14.5, 10.5), (29, 10.5), (29, 27), (3, 27)]), dark)
    c.fill(rounded(3, 12.5, 29, 27, 1.2), vertical(light, dark, 12, 27))


def badge(c, colour_light, colour_dark, glyph):
    c.fill(circle(23.5, 23.5, 8), WHITE)
    c.fill(circle(23.5, 23.5, 7), vertical(colour_light, colour_dark, 16, 31))
    c.fill(glyph, WHITE)


def recover_icon():
    c = Canvas(32, 32)
    folder(c)
    tick = union(bar(19.5, 23.5, 22.5, 26.5, 2.2), bar(22.5, 26.5, 27.5, 20.5, 2.2))
    badge(c, GREEN_LIGHT, GREEN_DARK, tick)
    return c


def recover_all_icon():
    c = Canvas(32, 32)
    c.fill(rounded(8, 2, 22, 19, 1), GREY_LINE)
    c.fill(rounded(9, 3, 21, 18, 0.8), WHITE)
    for y in (7, 10, 13):
        c.fill(rounded(11, y, 19, y + 1, 0.3), (170, 180, 192))
    folder(c)
    arrow = union(bar(23.5, 18.5, 23.5, 27, 2.4), polygon([(19, 23), (28, 23), (23.5, 28.5)]))
    badge(c, GREEN_LIGHT, GREEN_DARK, arrow)
    return c


def save_snapshot_icon():
    c = Canvas(32, 32)
    c.fill(rounded(3, 3, 29, 29, 2.5), vertical(BLUE, BLUE_DARK, 3, 29))
    c.fill(rounded(8, 3, 24, 13, 1), GREY_FACE)
    c.fill(rounded(19, 5, 22, 11, 0.5), BLUE_DARK)
    c.fill(rounded(7, 17, 25, 29, 1), WHITE)
    for y in (20, 23, 26):
        c.fill(rounded(9.5, y, 22.5, y + 1, 0.3), (170, 180, 192))
    return c


def load_snapshot_icon():
    c = Canvas(32, 32)
    folder(c)
    c.fill(polygon([(6, 15), (31, 15), (27, 27), (3, 27)]), vertical(GOLD_LIGHT, GOLD_DARK, 15, 27))
    arrow = union(bar(16, 4, 16, 12.5, 3), polygon([(10.5, 9), (21.5, 9), (16, 15)]))
    c.fill(arrow, BLUE)
    return c


def find_icon():
    c = Canvas(32, 32)
    c.fill(bar(19, 19, 28, 28, 5), GREY_LINE)
    c.fill(circle(13, 13, 10), GREY_LINE)
    c.fill(circle(13, 13, 7.8), vertical((226, 238, 250), (168, 200, 236), 5, 21))
    c.fill(minus(circle(11, 11, 5), circle(12.5, 12.5, 5)), WHITE)
    return c


def settings_icon():
    import math
    c = Canvas(32, 32)
    teeth = []
    for i in range(8):
        a = i * math.pi / 4
        ca, sa = math.cos(a), math.sin(a)
        pts = [(-2.6, 8.5), (2.6, 8.5), (2.2, 14), (-2.2, 14)]
        teeth.append(polygon([(16 + x * ca - y * sa, 16 + x * sa + y * ca) for x, y in pts]))
    gear = minus(union(circle(16, 16, 10.5), *teeth), circle(16, 16, 4.2))
    c.fill(gear, vertical((150, 162, 176), GREY_LINE, 2, 30))
    c.fill(ring(16, 16, 8, 6.8), (190, 198, 208))
    return c


def update_icon():
    c = Canvas(32, 32)
    c.fill(circle(16, 16, 14), vertical(BLUE_LIGHT, BLUE_DARK, 2, 30))
    top = minus(ring(16, 16, 9.5, 6.5), lambda x, y: y > 16)
    bottom = minus(ring(16, 16, 9.5, 6.5), lambda x, y: y < 16)
    c.fill(minus(top, lambda x, y: x < 9), WHITE)
    c.fill(polygon([(21, 13), (28, 13), (24.5, 19)]), WHITE)
    c.fill(minus(bottom, lambda x, y: x > 23), WHITE)
    c.fill(polygon([(4, 19), (11, 19), (7.5, 13)]), WHITE)
    return c


def help_icon():
    c = Canvas(32, 32)
    c.fill(circle(16, 16, 14), vertical(BLUE_LIGHT, BLUE_DARK, 2, 30))
    hook = minus(ring(16, 12, 6, 3.2), lambda x, y: y > 12 and x < 16)
    c.fill(hook, WHITE)
    c.fill(rounded(14.3, 15, 17.7, 20.5, 0.8), WHITE)
    c.fill(circle(16, 24.5, 2), WHITE)
    return c


COMMAND_ICONS = {
    185: help_icon, 186: update_icon, 187: recover_all_icon, 188: settings_icon,
    189: save_snapshot_icon, 190: load_snapshot_icon, 236: find_icon, 242: recover_icon,
}
# The tool bar's buttons in the order of tool bar 128 (separators left out).
TOOL_BAR_ICONS = [242, 187, 189, 190, 236, 188, 186, 185]


def alpha_bmp(canvases):
    """One 32-bit top-down strip with straight alpha, the canvases side by side."""
    import struct
    h = canvases[0].h
    w = sum(c.w for c in canvases)
    body = b""
    for y in range(h):
        for c in canvases:
            for x in range(c.w):
                r, g, b, a = c.rgba(x, y)
                body += bytes((b, g, r, a))
    info = struct.pack("<IiiHHIIiiII", 40, w, -h, 1, 32, 0, len(body), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info)) + info + body


def flat_bmp(canvas, background):
    """A 24-bit picture: the canvas over a background colour or colour function."""
    from make_control_art import bmp24
    rows = []
    for y in range(canvas.h):
        row = []
        for x in range(canvas.w):
            r, g, b, a = canvas.rgba(x, y)
            bg = background(x + 0.5, y + 0.5) if callable(background) else background
            t = a / 255
            row.append(tuple(round(v * t + bg[i] * (1 - t)) for i, v in enumerate((r, g, b))))
        rows.append(row)
    return bmp24(rows)


# ---- Skins and the banner ----------------------------------------------------------------------
def skin(w, h, band):
    """A dialog background: a light page with a soft blue band across the top and a thin frame."""
    c = Canvas(w, h)
    c.fill(rounded(0, 0, w, band, 0), vertical(BLUE_LIGHT, BLUE, 0, band))
    c.fill(rounded(0, band, w, band + 2, 0), BLUE_DARK)
    c.fill(minus(rounded(0, 0, w, h, 0), rounded(1, 1, w - 1, h - 1, 0)), (176, 186, 198))
    return flat_bmp(c, vertical(PAGE, (232, 238, 246), 0, h))


def banner():
    """The banner's link button: the mark and three stripes on a blue field, 175 x 56."""
    w, h = 175, 56
    c = Canvas(w, h)
    c.fill(rounded(0.5, 0.5, w - 0.5, h - 0.5, 8), vertical(BLUE_LIGHT, BLUE_DARK, 0, h))
    m = Canvas(40, 40)
    mark(m, 40)
    c.fill(rounded(8, 8, 48, 48, 7), lambda x, y: WHITE)
    for y0, width in ((16, 100), (26, 80), (36, 90)):
        c.fill(rounded(58, y0, 58 + width, y0 + 5, 2.5), (226, 236, 248))
    out = flat_bmp(c, (255, 255, 255))
    # The mark sits on the white tile, drawn into the finished picture.
    import struct
    data = bytearray(out)
    stride = (w * 3 + 3) & ~3
    offset = struct.unpack_from("<I", data, 10)[0]
    for y in range(40):
        for x in range(40):
            r, g, b, a = m.rgba(x, y)
            if a == 0:
                continue
            t = a / 255
            row = h - 1 - (y + 8)
            p = offset + row * stride + (x + 8) * 3
            old = data[p:p + 3]
            data[p:p + 3] = bytes(round(v * t + old[i] * (1 - t)) for i, v in enumerate((b, g, r)))
    return bytes(data)


# ---- The tool dialogs' select-all check (16 x 16): ticked and empty -----------------------------
def select_all_icon(ticked):
    c = Canvas(16, 16)
    c.fill(rounded(1.5, 1.5, 14.5, 14.5, 2), BLUE_DARK)
    c.fill(rounded(2.5, 2.5, 13.5, 13.5, 1.5), vertical(WHITE, (226, 236, 248), 2, 14))
    if ticked:
        c.fill(union(bar(4.5, 8, 7, 11, 2.2), bar(7, 11, 12, 4.5, 2.2)), GREEN_DARK)
    return directory(1, 16, 16, icon_dib(c), 1, 32)


def hand_cursor():
    rows, hot = hand(False)
    return directory(2, 32, 32, cursor_dib(rows), hot[0], hot[1])


ART = {
    "app.ico": app_icon,
    "toolbar.bmp": lambda: alpha_bmp([COMMAND_ICONS[i]() for i in TOOL_BAR_ICONS]),
    # Larger than the dialogs' client areas at 96 DPI, so the skin covers them whole.
    "message_skin.bmp": lambda: skin(460, 220, 6),
    "about_skin.bmp": lambda: skin(520, 300, 56),
    "banner.bmp": banner,
    "hand.cur": hand_cursor,
    # The tool dialogs: each skin covers its dialog's client area whole. The areas follow the dialog font's
    # cell as measured here (7 x 15 pixels a base unit for SimSun 9 point): search 770 x 562, filter 385 x 318,
    # properties 402 x 247, the two save dialogs 525 x 225.
    "search_skin.bmp": lambda: skin(800, 600, 6),
    "filter_skin.bmp": lambda: skin(410, 340, 6),
    "properties_skin.bmp": lambda: skin(430, 270, 6),
    "save_progress_skin.bmp": lambda: skin(560, 250, 6),
    "saving_skin.bmp": lambda: skin(560, 250, 6),
    "select_all_on.ico": lambda: select_all_icon(True),
    "select_all_off.ico": lambda: select_all_icon(False),
}
for _id, _draw in COMMAND_ICONS.items():
    ART["command_%d.ico" % _id] = (lambda d: lambda: directory(1, 32, 32, icon_dib(d()), 1, 32))(_draw)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    for name, draw in ART.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(draw())


if __name__ == "__main__":
    main()
