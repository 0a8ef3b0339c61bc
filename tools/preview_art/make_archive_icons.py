#!/usr/bin/env python3
"""Draws the archive list's seven header icons (48 x 48, shown at 16 x 16) into the given folder.

Name, size, creation, modification and folder share the results page's column icons (tools/results_art),
so both lists speak one picture language; access time and attributes are drawn here. Run it again
after a change and commit what it writes:  make_archive_icons.py res/preview
"""
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "control_art"))
sys.path.insert(0, os.path.join(here, "..", "results_art"))
from make_control_art import BLUE, BLUE_DARK, GREY_LINE, WHITE, Canvas, circle, directory, icon_dib, polygon  # noqa: E402
from make_results_art import clock, header_icon, rect  # noqa: E402

GREEN = (72, 150, 88)


def accessed(size=48):
    """A clock with an open eye beside it."""
    s = size / 48.0
    c = Canvas(size, size)
    clock(c, s, 22, 26, 15, BLUE)
    c.fill(polygon([(30 * s, 12 * s), (38 * s, 6 * s), (46 * s, 12 * s), (38 * s, 18 * s)]), GREEN)
    c.fill(circle(38 * s, 12 * s, 2.5 * s), WHITE)
    return c


def attributes(size=48):
    """A card of four ticked rows."""
    s = size / 48.0
    c = Canvas(size, size)
    c.fill(rect(9 * s, 6 * s, 39 * s, 42 * s), GREY_LINE)
    c.fill(rect(10.5 * s, 7.5 * s, 37.5 * s, 40.5 * s), WHITE)
    for i in range(4):
        y = (11 + 8 * i) * s
        c.fill(rect(14 * s, y, 19 * s, y + 5 * s), BLUE_DARK if i % 2 == 0 else BLUE)
        c.fill(rect(22 * s, y + 1.5 * s, 34 * s, y + 3.5 * s), GREY_LINE)
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    icons = {
        "archive_name.ico": header_icon("name"),
        "archive_folder.ico": header_icon("folder"),
        "archive_size.ico": header_icon("size"),
        "archive_accessed.ico": accessed(),
        "archive_created.ico": header_icon("created"),
        "archive_modified.ico": header_icon("modified"),
        "archive_attributes.ico": attributes(),
    }
    for name, canvas in icons.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(directory(1, 48, 48, icon_dib(canvas), 1, 32))


if __name__ == "__main__":
    main()
