#!/usr/bin/python3
"""Takes the help file's screenshots from the real program under Xvfb.

Quellmark.exe runs in a Wine prefix of its own on a private X display; the
test driver opens each window of the table below, finds it by its title and
the screenshot of the display is cropped to it. A window that cannot be
found fails the run, so a page never shows a stale picture.

Usage: screenshots.py Quellmark.exe meter_driver.exe OUTPUT_FOLDER
"""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
from desktop_e2e import Desktop  # noqa: E402

# One entry per window: the picture's name, the command that opens it from
# the meter window (None: the meter window itself) and the window's title
# ("*" at its end matches any rest). The installer's test opens the same
# windows at 144 DPI and looks for clipped texts.
WINDOWS = [
    ("meter", None, "Quellmark"),
    ("about", 57664, "About Quellmark"),
]


def window_rect(d, title, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        rc, lines = d.drive("window", title)
        if rc == 0:
            values = dict(line.partition("=")[::2] for line in lines)
            return list(map(int, values["rect"].split()))
        time.sleep(0.3)
    return None


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    program, driver, out = map(os.path.abspath, sys.argv[1:])
    work = out.rstrip("/") + "-work"  # the prefix there is kept for the next run
    os.makedirs(work, exist_ok=True)
    os.makedirs(out, exist_ok=True)
    d = Desktop(program, driver, work)
    missing = []
    try:
        d.setup()
        d.start("program")
        if not d.wait_for(lambda: d.info().get("found") == "1", 60):
            print("the meter window did not appear")
            return 1
        time.sleep(3)  # a few ticks, so the graph has its scale and texts
        for name, command, title in WINDOWS:
            if command is not None:
                d.drive("command", command)
            rect = window_rect(d, title)
            if not rect:
                missing.append(name)
                continue
            time.sleep(1)
            root = os.path.join(work, name + "-screen.png")
            subprocess.run(["import", "-display", d.display, "-window", "root", root], check=True, timeout=30)
            left, top, right, bottom = rect
            subprocess.run(["convert", root, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                            "+repage", os.path.join(out, name + ".png")], check=True, timeout=30)
            print("took %s.png (%s)" % (name, title))
            if command is not None:
                d.drive("close", title)
                d.wait_for(lambda: d.drive("count", title)[1] == ["count=0"], 10)
        d.drive("command", 32795)  # Exit
    finally:
        d.close()
    for name in missing:
        print("no window for %s" % name)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
