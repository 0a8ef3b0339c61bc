#!/usr/bin/env python3
"""Draws the results pages' pictures into the given folder: the found-file list's background tile
and check boxes, the column header icons, the page banners and the check-box cursor.

The shapes and file writers are the controls' art tool's (tools/control_art), so both sets share one
palette and one way of drawing. Run it again after a change and commit what it writes:
    make_results_art.py res/app/results
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "control_art"))
from make_control_art import (BLUE, BLUE_DARK, BLUE_LIGHT, GREY_FACE, GREY_LINE, RED_DARK, RED_LIGHT,  # noqa: E402
                              WHITE, Canvas, bmp24, circle, cursor_dib, directory, icon_dib, minus, polygon,
                              rounded, union, vertical)

PAPER = (250, 251, 253)
GOLD = (222, 170, 64)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def flatten(canvas, background):
    """Rows of (r, g, b) with the canvas laid over a background colour."""
    rows = []
    for y in range(canvas.h):
        row = []
        for x in range(canvas.w):
            r, g, b, a = canvas.rgba(x, y)
            t = a / 255.0
            row.append(tuple(round(c * t + bg * (1 - t)) for c, bg in zip((r, g, b), background)))
        rows.append(row)
    return rows


# ---- The list's background tile and its two check boxes -------------------------------------------
def list_tile():
    """A quiet 64 x 64 paper tile with a faint diagonal weave, so rows stay readable over it."""
    rows = []
    for y in range(64):
        row = []
        for x in range(64):
            d = ((x + y) % 16 == 0) or ((x - y) % 16 == 0)
            row.append((244, 247, 251) if d else WHITE)
        rows.append(row)
    return rows


def check_boxes():
    """Two 16 x 16 boxes side by side on white (the mask colour): unticked, then ticked."""
    c = Canvas(32, 16)
    for i in range(2):
        ox = 16 * i
        c.fill(rect(ox + 1.5, 1.5, ox + 14.5, 14.5), GREY_LINE)
        c.fill(rect(ox + 2.5, 2.5, ox + 13.5, 13.5), vertical((236, 240, 246), (252, 253, 255), 2.5, 13.5))
    tick = polygon([(16 + 4, 8), (16 + 6.5, 10.5), (16 + 12, 4.5), (16 + 12.5, 6.5), (16 + 6.5, 12.8), (16 + 3.5, 9.8)])
    c.fill(tick, BLUE_DARK)
    return flatten(c, (255, 255, 255))


# ---- Column header icons (48 x 48; the list scales them down) --------------------------------------
def page(c, s):
    c.fill(rounded(12 * s, 6 * s, 36 * s, 42 * s, 2 * s), GREY_LINE)
    c.fill(rounded(13.5 * s, 7.5 * s, 34.5 * s, 40.5 * s, 1.5 * s), PAPER)
    for i in range(4):
        y = (15 + 6 * i) * s
        c.fill(rect(17 * s, y, 31 * s, y + 2 * s), BLUE_LIGHT)


def clock(c, s, cx, cy, r, colour):
    c.fill(circle(cx * s, cy * s, r * s), colour)
    c.fill(circle(cx * s, cy * s, (r - 2.5) * s), WHITE)
    c.fill(rect((cx - 1) * s, (cy - r + 5) * s, (cx + 1) * s, cy * s), GREY_LINE)
    c.fill(rect(cx * s, (cy - 1) * s, (cx + r - 5) * s, (cy + 1) * s), GREY_LINE)


def header_icon(kind, size=48):
    s = size / 48.0
    c = Canvas(size, size)
    if kind == "name":
        page(c, s)
    elif kind == "type":
        c.fill(polygon([(8 * s, 14 * s), (26 * s, 14 * s), (40 * s, 26 * s), (26 * s, 38 * s), (8 * s, 38 * s)]),
               vertical(BLUE_LIGHT, BLUE_DARK, 14 * s, 38 * s))
        c.fill(circle(15 * s, 26 * s, 3 * s), WHITE)
    elif kind == "size":
        for i, h in enumerate((12, 22, 32)):
            x = (9 + 11 * i) * s
            c.fill(rect(x, (40 - h) * s, x + 8 * s, 40 * s), vertical(BLUE_LIGHT, BLUE, (40 - h) * s, 40 * s))
    elif kind == "created":
        clock(c, s, 22, 26, 15, BLUE)
        c.fill(circle(37 * s, 12 * s, 6 * s), GOLD)
    elif kind == "modified":
        clock(c, s, 22, 26, 15, BLUE)
        c.fill(polygon([(30 * s, 40 * s), (32 * s, 33 * s), (42 * s, 23 * s), (46 * s, 27 * s), (36 * s, 37 * s)]),
               RED_DARK)
    elif kind == "id":
        bars = union(rect(17 * s, 8 * s, 21 * s, 40 * s), rect(28 * s, 8 * s, 32 * s, 40 * s),
                     rect(9 * s, 16 * s, 40 * s, 20 * s), rect(9 * s, 28 * s, 40 * s, 32 * s))
        c.fill(bars, BLUE_DARK)
    else:  # a folder, for any further column
        c.fill(rounded(6 * s, 12 * s, 22 * s, 20 * s, 2 * s), GOLD)
        c.fill(rounded(6 * s, 16 * s, 42 * s, 40 * s, 2 * s), vertical((246, 206, 110), GOLD, 16 * s, 40 * s))
    return c


# ---- Banners ------------------------------------------------------------------------------------
def banner(width, height, accent):
    """A band that fades from the accent into the page's white, with a row of small discs."""
    c = Canvas(width, height)
    c.fill(rect(0, 0, width, height), lambda x, y: tuple(
        a + (255 - a) * min(1.0, x / width) for a in accent))
    for i in range(6):
        c.fill(circle(20 + 18 * i, height / 2, 5), tuple(min(255, v + 60) for v in accent))
    c.fill(rect(0, height - 2, width, height), GREY_LINE)
    return flatten(c, WHITE)


# ---- The check-box cursor -----------------------------------------------------------------------
def check_cursor():
    """An arrow with a small ticked box below its point."""
    rows = [[" "] * 32 for _ in range(32)]
    for y in range(16):
        for x in range(y // 1 + 1):
            if x <= y * 0.6:
                rows[y][x] = "B" if x == 0 or x >= int(y * 0.6) or y == 15 else "W"
    for y in range(18, 30):
        for x in range(8, 20):
            edge = y in (18, 29) or x in (8, 19)
            rows[y][x] = "B" if edge else "W"
    for x, y in ((11, 23), (12, 24), (13, 25), (14, 24), (15, 23), (16, 22), (17, 21)):
        rows[y][x] = "B"
    return ["".join(r) for r in rows]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    files = {
        "list_tile.bmp": bmp24(list_tile()),
        "list_checks.bmp": bmp24(check_boxes()),
        "results_banner.bmp": bmp24(banner(420, 45, BLUE)),
        "volume_banner.bmp": bmp24(banner(420, 45, BLUE_DARK)),
        "check.cur": directory(2, 32, 32, cursor_dib(check_cursor()), 0, 0),
    }
    for name in ("name", "type", "size", "created", "modified", "id", "folder"):
        files["header_%s.ico" % name] = directory(1, 48, 48, icon_dib(header_icon(name)), 1, 32)
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
