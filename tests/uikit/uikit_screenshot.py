#!/usr/bin/python3
"""Screenshot test of the toolkit's owner-drawn menu and hyperlink label.

Runs uikit_demo under Wine and Xvfb, waits until the menu is open with one
item selected, takes a screenshot and checks the demo's findings and the
pixels: images without their magenta, the greyed image, the marks, the
selection, the sub-menu arrow, the accelerator column and the link colour.
The screenshot stays in uikit_screenshot/menu.png. Ends only what it started.

Usage: uikit_screenshot.py PATH/TO/uikit_demo.exe
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "meter"))
from graph_view_screenshot import demo_on_xvfb, shot  # noqa: E402

MAGENTA = (255, 0, 255)
GEAR = (90, 90, 100)      # the Options image's teeth
REPORT_GREEN = (0, 204, 0)  # the Traffic Reports image's upload column
SHOW_RED = (255, 0, 0)    # the Show image's download columns


def run_demo(demo, work):
    ready, stop = os.path.join(work, "ready.txt"), os.path.join(work, "stop")
    for f in (ready, ready + ".part", stop):
        if os.path.exists(f):
            os.remove(f)
    with demo_on_xvfb(demo, ready, stop, work) as display:
        time.sleep(1)
        at = shot(display, work, "menu")
    return at, ready


def read_findings(path):
    found = {"color": {}, "item": {}, "menuchar": {}, "menuchar_open": {}}
    with open(path) as f:
        for line in f:
            key, *rest = line.split()
            if key == "color":
                found["color"][rest[0]] = tuple(map(int, rest[1:]))
            elif key == "item":
                found["item"][int(rest[0])] = tuple(map(int, rest[1:]))
            elif key in ("menuchar", "menuchar_open"):
                found[key][rest[0]] = (int(rest[1]), int(rest[2]))
            elif key == "link_opened":
                found[key] = rest[0] if rest else ""
            else:
                found[key] = tuple(map(int, rest)) if len(rest) > 1 else int(rest[0])
    return found


def main():
    demo = os.path.abspath(sys.argv[1])
    work = os.path.abspath("uikit_screenshot")
    os.makedirs(work, exist_ok=True)
    at, ready = run_demo(demo, work)
    f = read_findings(ready)
    colors = f["color"]
    failures = []

    def check(name, ok, detail=""):
        if not ok:
            failures.append("%s %s" % (name, detail))

    def pixels(rect):
        left, top, right, bottom = rect
        return [at(x, y) for y in range(top, bottom) for x in range(left, right)]

    def gutter(pos):  # the image and mark column of an item
        left, top, right, bottom = f["item"][pos]
        return (left, top, left + 24, bottom)

    def arrow_area(pos):
        left, top, right, bottom = f["item"][pos]
        return (right - 18, top, right, bottom)

    def accel_area(pos):
        left, top, right, bottom = f["item"][pos]
        return ((left + right) // 2 + 20, top, right - 18, bottom)

    # Hyperlink label
    check("link hand cursor", f["link_hand"] == 1)
    check("link takes the mouse", f["link_hittest"] == 1, f["link_hittest"])  # HTCLIENT
    check("link opens on click", f["link_opened"] == "https://quellmark.example/", f["link_opened"])
    check("link press dragged off does not open", f["link_dragged_off_opened"] == 0)
    link = pixels(f["link"])
    left, top, right, bottom = f["link"]
    paper = at(right - 2, top + 1)  # the text is shorter than the label
    ink = max(set(link) - {paper}, key=link.count)

    def luminance(c):
        return (c[0] * 30 + c[1] * 59 + c[2] * 11) // 100
    check("link colour shows on the background", abs(luminance(ink) - luminance(paper)) >= 80,
          (ink, paper))
    check("link text drawn", link.count(ink) > 40, link.count(ink))
    underline = max(sum(1 for x in range(left, right) if at(x, y) == ink) for y in range(top, bottom))
    check("link underlined", underline > 80, underline)

    # Mnemonics: "&Leave" (12) is carried out, the greyed Show is skipped;
    # renamed to "E&xit" by its owner, it answers to x once the menu opened.
    check("menuchar l", f["menuchar"]["l"] == (12, 2), f["menuchar"]["l"])  # MNC_EXECUTE
    check("menuchar x after rename", f["menuchar_open"]["x"] == (12, 2), f["menuchar_open"]["x"])
    check("menuchar l after rename", f["menuchar_open"]["l"][1] == 0, f["menuchar_open"]["l"])
    check("menuchar w", f["menuchar"]["w"] == (5, 2), f["menuchar"]["w"])
    check("menuchar greyed", f["menuchar"]["s"][1] == 0, f["menuchar"]["s"])  # MNC_IGNORE
    check("menuchar none", f["menuchar"]["q"][1] == 0, f["menuchar"]["q"])

    # Menu
    menu = f["menu"]
    check("menu open", menu[2] - menu[0] > 100 and len(f["item"]) == 13, (menu, len(f["item"])))
    everything = pixels(menu)
    check("no magenta in the menu", MAGENTA not in everything)
    check("Options image", GEAR in pixels(gutter(3)))
    check("Traffic Reports image", REPORT_GREEN in pixels(gutter(4)))
    shown = pixels(gutter(0))
    check("greyed Show image", SHOW_RED not in shown and
          all(r == g == b for r, g, b in shown) and len(set(shown)) > 3, set(shown))
    back, text = colors["menu"], colors["menutext"]
    check("check mark on Title", text in pixels(gutter(7)))
    check("radio mark on Column Graph", text in pixels(gutter(8)))
    check("no mark on Line Graph", set(pixels(gutter(9))) == {back}, set(pixels(gutter(9))))
    check("sub-menu arrow", text in pixels(arrow_area(6)))
    check("no arrow without sub-menu", text not in pixels(arrow_area(5)))
    check("accelerator text", text in pixels(accel_area(3)))
    check("separator line", colors["btnshadow"] in pixels(f["item"][2]))
    selected = f.get("selected")
    select_back = colors["menuhilight"] if f["flat"] else colors["highlight"]
    check("an item is selected", selected is not None)
    if selected is not None:
        left, top, right, bottom = f["item"][selected]
        check("selection colour", at(left + 26, top + 1) == select_back, at(left + 26, top + 1))
        check("selected text", colors["highlighttext"] in pixels(f["item"][selected]))
    for pos in (1, 9):
        if pos != selected:
            check("menu background %d" % pos, at(f["item"][pos][0] + 26, f["item"][pos][1] + 1) == back)
    check("greyed text", colors["graytext"] in pixels(f["item"][0]))

    if failures:
        sys.exit("screenshot %s:\n  " % os.path.join(work, "menu.png") + "\n  ".join(failures))
    print("menu and link as expected; screenshot", os.path.join(work, "menu.png"))


if __name__ == "__main__":
    main()
