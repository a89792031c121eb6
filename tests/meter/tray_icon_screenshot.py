#!/usr/bin/python3
"""Screenshot test of the tray icon in Wine's real notification area.

Runs tray_icon_demo under Wine and Xvfb and looks on the screen for its two
icons: the static download-and-upload arrows (their dark outlines appear
nowhere else) and the live miniature (the graph's background colour). The
screenshot stays in tray_icon_screenshot/tray.png.

Usage: tray_icon_screenshot.py PATH/TO/tray_icon_demo.exe
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from graph_view_screenshot import GRAPH_BG, demo_on_xvfb, shot  # noqa: E402

DOWN_OUTLINE, UP_OUTLINE = (127, 0, 0), (0, 102, 0)  # the arrows' edges in the art


def main():
    demo = os.path.abspath(sys.argv[1])
    work = os.path.abspath("tray_icon_screenshot")
    os.makedirs(work, exist_ok=True)
    ready, stop = os.path.join(work, "ready.txt"), os.path.join(work, "stop")
    for f in (ready, stop):
        if os.path.exists(f):
            os.remove(f)
    with demo_on_xvfb(demo, ready, stop, work) as display:
        time.sleep(2)  # the shell draws the icons on its own time
        at = shot(display, work, "tray")
    screen = [at(x, y) for y in range(480) for x in range(640)]
    counts = {name: screen.count(colour) for name, colour in
              (("download arrow", DOWN_OUTLINE), ("upload arrow", UP_OUTLINE),
               ("live graph background", GRAPH_BG))}
    missing = [name for name, n in counts.items() if n < 8]
    if missing:
        sys.exit("not in the notification area: %s (pixels %s); see %s"
                 % (", ".join(missing), counts, os.path.join(work, "tray.png")))
    print("both tray icons shown:", counts)


if __name__ == "__main__":
    main()
