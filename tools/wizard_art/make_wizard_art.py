#!/usr/bin/env python3
"""Draws the wizard's first pages' pictures: banners, backgrounds, mode buttons, drive icons, check boxes, skins.

Shapes, anti-aliasing and the file writers are the controls' art tool's, so both sets share one hand and palette.
Run it again after a change and commit what it writes:  make_wizard_art.py res/app
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "control_art"))
from make_control_art import (BLUE, BLUE_DARK, BLUE_LIGHT, GREY_FACE, GREY_LINE, RED_DARK, RED_LIGHT, WHITE,  # noqa: E402
                              Canvas, bmp24, circle, cursor_dib, directory, icon_dib, minus, polygon, rounded,
                              union, vertical)

PAGE_TOP = (226, 236, 250)
PAGE_BOTTOM = (250, 252, 255)
BAND_LEFT = (40, 92, 160)
BAND_RIGHT = (112, 162, 224)
GREEN = (72, 160, 96)
AMBER = (232, 168, 56)


def flatten(canvas, under):
    """The canvas over a background function of (x, y), as rows of (r, g, b)."""
    rows = []
    for y in range(canvas.h):
        row = []
        for x in range(canvas.w):
            r, g, b, a = canvas.rgba(x, y)
            t = a / 255
            u = under(x, y)
            row.append(tuple(round(v * t + u[i] * (1 - t)) for i, v in enumerate((r, g, b))))
        rows.append(row)
    return rows


def gradient_rows(w, h, colour):
    return [[tuple(round(v) for v in colour(x + 0.5, y + 0.5)) for x in range(w)] for y in range(h)]


def horizontal(left, right, x0, x1):
    def colour(x, y):
        t = min(1.0, max(0.0, (x - x0) / (x1 - x0)))
        return tuple(left[i] + (right[i] - left[i]) * t for i in range(3))
    return colour


# ---- Glyphs, drawn into a square of side s at (x, y) ---------------------------------------------
def disk_glyph(x, y, s):
    body = rounded(x + s * 0.1, y + s * 0.3, x + s * 0.9, y + s * 0.75, s * 0.08)
    slot = rounded(x + s * 0.2, y + s * 0.58, x + s * 0.55, y + s * 0.64, s * 0.02)
    led = circle(x + s * 0.75, y + s * 0.61, s * 0.04)
    return body, union(slot, led)


def bolt_glyph(x, y, s):
    pts = [(0.55, 0.05), (0.2, 0.55), (0.45, 0.55), (0.35, 0.95), (0.8, 0.4), (0.55, 0.4), (0.7, 0.05)]
    return polygon([(x + px * s, y + py * s) for px, py in pts])


def lens_glyph(x, y, s):
    ring = minus(circle(x + s * 0.42, y + s * 0.42, s * 0.3), circle(x + s * 0.42, y + s * 0.42, s * 0.21))
    handle = polygon([(x + s * 0.62, y + s * 0.68), (x + s * 0.68, y + s * 0.62), (x + s * 0.95, y + s * 0.89),
                      (x + s * 0.89, y + s * 0.95)])
    return union(ring, handle)


def page_glyph(x, y, s):
    sheet = polygon([(x + s * 0.2, y + s * 0.05), (x + s * 0.62, y + s * 0.05), (x + s * 0.82, y + s * 0.25),
                     (x + s * 0.82, y + s * 0.95), (x + s * 0.2, y + s * 0.95)])
    lines = union(*[rounded(x + s * 0.3, y + s * (0.38 + 0.13 * i), x + s * 0.72, y + s * (0.43 + 0.13 * i), s * 0.02)
                    for i in range(4)])
    return sheet, lines


# ---- Backgrounds and banners ---------------------------------------------------------------------
def page_background():
    return bmp24(gradient_rows(256, 192, vertical(PAGE_TOP, PAGE_BOTTOM, 0, 192)))


def band(w, h, accent=None, glyph=None):
    """A banner of the page's top band: the band's gradient, with a round badge holding a glyph."""
    c = Canvas(w, h)
    if glyph:
        c.fill(circle(h / 2 + 4, h / 2, h / 2 - 4), accent)
        for shape, colour in glyph(8, 8, h - 16):
            c.fill(shape, colour)
    under = horizontal(BAND_LEFT, BAND_RIGHT, 0, 360)
    # A lighter upper half gives the band its sheen.
    return bmp24(flatten(c, lambda x, y: tuple(min(255, v + (18 if y < h / 2 else 0)) for v in under(x, y))))


def band_tile(w, h):
    return bmp24([[tuple(min(255, v + (18 if y < h / 2 else 0)) for v in BAND_RIGHT) for _ in range(w)]
                  for y in range(h)])


def band_end(w, h):
    c = Canvas(w, h)
    for i in range(3):
        c.fill(circle(w - 18 - 22 * i, h / 2, 5), tuple(min(255, v + 60) for v in BAND_RIGHT))
    return bmp24(flatten(c, lambda x, y: tuple(min(255, v + (18 if y < h / 2 else 0)) for v in BAND_RIGHT)))


def glyph_set(kind):
    def draw(x, y, s):
        if kind == "modes":
            return [(circle(x + s * (0.2 + 0.3 * i), y + s * 0.5, s * 0.12), WHITE) for i in range(3)]
        if kind in ("disk", "search"):
            body, marks = disk_glyph(x, y, s)
            out = [(body, WHITE), (marks, BLUE_DARK)]
            if kind == "search":
                out.append((lens_glyph(x + s * 0.35, y + s * 0.35, s * 0.65), AMBER))
            return out
        if kind == "volume":
            body, marks = disk_glyph(x, y, s)
            return [(body, (236, 244, 255)), (marks, GREEN)]
        if kind == "running":
            return [(lens_glyph(x, y, s), WHITE)]
        if kind == "quick":
            return [(bolt_glyph(x, y, s), (255, 236, 150))]
        if kind == "full":
            body, marks = disk_glyph(x, y, s)
            return [(body, WHITE), (marks, BLUE_DARK), (lens_glyph(x + s * 0.3, y + s * 0.3, s * 0.7), BLUE_DARK)]
        return []
    return draw


# ---- Mode buttons ---------------------------------------------------------------------------------
def mode_button(kind, hover):
    w, h = 166, 160
    c = Canvas(w, h)
    frame = BLUE if hover else GREY_LINE
    face_top = (255, 255, 255) if hover else (248, 250, 252)
    face_bottom = (214, 230, 250) if hover else GREY_FACE
    c.fill(rounded(2, 2, w - 2, h - 2, 14), frame)
    c.fill(rounded(3.5, 3.5, w - 3.5, h - 3.5, 12.5), vertical(face_top, face_bottom, 3, h - 3))
    s = 96
    x, y = (w - s) / 2, 20
    if kind == "quick":
        c.fill(circle(w / 2, y + s / 2, s / 2), vertical(BLUE_LIGHT, BLUE_DARK, y, y + s))
        c.fill(bolt_glyph(x + 14, y + 12, s - 28), (255, 236, 150) if hover else WHITE)
    elif kind == "full":
        body, marks = disk_glyph(x, y, s)
        c.fill(body, vertical(BLUE_LIGHT, BLUE_DARK, y, y + s))
        c.fill(marks, WHITE)
        c.fill(lens_glyph(x + s * 0.3, y + s * 0.05, s * 0.75), AMBER if hover else GREY_LINE)
    else:
        sheet, lines = page_glyph(x, y, s)
        c.fill(sheet, vertical(WHITE, GREY_FACE, y, y + s))
        c.fill(minus(sheet, polygon([(x + s * 0.23, y + s * 0.08), (x + s * 0.6, y + s * 0.08),
                                     (x + s * 0.79, y + s * 0.27), (x + s * 0.79, y + s * 0.92),
                                     (x + s * 0.23, y + s * 0.92)])), GREY_LINE)
        c.fill(lines, BLUE if hover else BLUE_DARK)
        c.fill(circle(x + s * 0.78, y + s * 0.8, s * 0.14), RED_LIGHT if hover else RED_DARK)
    # The mode's mark under the picture: a bar in the mode's colour.
    bar = {"quick": BLUE, "full": GREEN, "tracing": RED_DARK}[kind]
    c.fill(rounded(38, 132, w - 38, 140, 4), bar if hover else tuple((v + 255) // 2 for v in bar))
    return bmp24(flatten(c, lambda x, y: PAGE_BOTTOM))


# ---- Small pictures ------------------------------------------------------------------------------
def check_states():
    """Four 16-pixel state images on white (the mask colour): none, unchecked, checked, partly checked."""
    rows = [[(255, 255, 255)] * 64 for _ in range(16)]
    for image in (1, 2, 3):
        x0 = image * 16
        for y in range(2, 15):
            for x in range(x0 + 2, x0 + 15):
                edge = y in (2, 14) or x in (x0 + 2, x0 + 14)
                rows[y][x] = (28, 81, 128) if edge else (254, 254, 254)
        if image == 2:
            for i, (dx, dy) in enumerate(((5, 8), (6, 9), (7, 10), (8, 9), (9, 8), (10, 7), (11, 6))):
                for k in (0, 1):
                    rows[dy - k + 0][x0 + dx] = (33, 161, 33)
        if image == 3:
            for y in range(5, 12):
                for x in range(x0 + 5, x0 + 12):
                    rows[y][x] = (115, 192, 115)
    return bmp24(rows)


def skin(w, h, title_colour):
    head = 30

    def colour(x, y):
        if y < head:
            return horizontal(title_colour, BAND_RIGHT, 0, w)(x, y)
        return vertical((252, 253, 255), PAGE_TOP, head, h)(x, y)
    return bmp24(gradient_rows(w, h, colour))


def drive_icon(kind):
    c = Canvas(16, 16)
    if kind == "computer":
        c.fill(rounded(1.5, 2, 14.5, 11, 1), GREY_LINE)
        c.fill(rounded(2.5, 3, 13.5, 10, 0.5), vertical(BLUE_LIGHT, BLUE, 3, 10))
        c.fill(rounded(5, 11, 11, 13.5, 0.5), GREY_LINE)
        c.fill(rounded(3, 13, 13, 14.5, 0.5), GREY_LINE)
    elif kind == "network":
        c.fill(rounded(2, 2, 14, 9, 1), GREY_LINE)
        c.fill(rounded(3, 3, 13, 8, 0.5), BLUE_LIGHT)
        c.fill(rounded(7.3, 9, 8.7, 13, 0), GREY_LINE)
        c.fill(rounded(2, 12.5, 14, 14, 0.5), GREEN)
    elif kind == "cdrom":
        c.fill(circle(8, 8, 6.5), GREY_LINE)
        c.fill(circle(8, 8, 5.5), vertical((250, 250, 255), (200, 214, 236), 2, 14))
        c.fill(circle(8, 8, 1.8), GREY_LINE)
    elif kind == "removable":
        c.fill(rounded(1.5, 5, 14.5, 12, 1), GREY_LINE)
        c.fill(rounded(2.5, 6, 13.5, 11, 0.5), vertical(GREY_FACE, (196, 204, 214), 6, 11))
        c.fill(rounded(4, 8, 9, 9.2, 0.2), GREY_LINE)
        c.fill(circle(11.5, 8.6, 0.9), GREEN)
    elif kind == "floppy":
        c.fill(rounded(2, 2, 14, 14, 1), BLUE_DARK)
        c.fill(rounded(4.5, 2, 11.5, 6.5, 0.3), GREY_FACE)
        c.fill(rounded(4, 9, 12, 14, 0.3), WHITE)
    elif kind == "disk":
        c.fill(rounded(1.5, 4.5, 14.5, 12, 1.2), GREY_LINE)
        c.fill(rounded(2.5, 5.5, 13.5, 11, 0.6), vertical((238, 242, 248), (184, 194, 208), 5.5, 11))
        c.fill(rounded(4, 8.7, 9, 9.7, 0.2), GREY_LINE)
        c.fill(circle(11.4, 9.2, 0.9), GREEN)
    else:  # partition: a slice of a disk
        c.fill(circle(8, 8, 6.5), GREY_LINE)
        c.fill(circle(8, 8, 5.5), BLUE_LIGHT)
        c.fill(polygon([(8, 8), (8, 2.5), (13.5, 8)]), AMBER)
    return directory(1, 16, 16, icon_dib(c), 1, 32)


def expand_cursor():
    """An arrow with a small plus: the pointer over a tree's expand button."""
    rows = [" " * 32 for _ in range(32)]
    arrow = ["B", "BB", "BWB", "BWWB", "BWWWB", "BWWWWB", "BWWWWWB", "BWWWWWWB", "BWWWWWWWB", "BWWWWWWWWB",
             "BWWWWWBBBB", "BWWBWWB", "BWB BWWB", "BB  BWWB", "B    BWWB", "     BWWB", "      BB"]
    for y, line in enumerate(arrow):
        rows[y] = line + rows[y][len(line):]
    plus = ["BBBBBBB", "BWWWWWB", "BWWBWWB", "BWBBBWB", "BWWBWWB", "BWWWWWB", "BBBBBBB"]
    for i, line in enumerate(plus):
        y = 14 + i
        rows[y] = rows[y][:11] + line + rows[y][18:]
    return directory(2, 32, 32, cursor_dib(rows), 0, 0)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    h = 48
    files = {
        "page_background.bmp": page_background(),
        "band_tile.bmp": band_tile(8, h),
        "band_end.bmp": band_end(120, h),
        "banner_modes.bmp": band(360, h, BLUE_DARK, glyph_set("modes")),
        "banner_drives.bmp": band(360, h, BLUE_DARK, glyph_set("disk")),
        "banner_search.bmp": band(360, h, BLUE_DARK, glyph_set("search")),
        "banner_volume.bmp": band(360, h, GREEN, glyph_set("volume")),
        "banner_running.bmp": band(360, h, RED_DARK, glyph_set("running")),
        "banner_quick.bmp": band(360, h, BLUE_DARK, glyph_set("quick")),
        "banner_full.bmp": band(360, h, BLUE_DARK, glyph_set("full")),
        "check_states.bmp": check_states(),
        "partition_choice_skin.bmp": skin(420, 36, BLUE_DARK),
        "file_type_skin.bmp": skin(520, 36, BLUE_DARK),
        "expand.cur": expand_cursor(),
    }
    for kind in ("quick", "full", "tracing"):
        files["mode_%s.bmp" % kind] = mode_button(kind, False)
        files["mode_%s_hover.bmp" % kind] = mode_button(kind, True)
    for kind in ("computer", "network", "cdrom", "removable", "floppy", "disk", "partition"):
        files["drive_%s.ico" % kind] = drive_icon(kind)
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
