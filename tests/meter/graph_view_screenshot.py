#!/usr/bin/python3
"""Screenshot test of the rate graph views under Wine and Xvfb.

Starts a private X server, runs graph_view_demo (two stacked views fed
known samples), takes a screenshot of the root window and checks pixel
colours where the view layout puts the download column, the overlap, the
graph background, the title band and the lines. Ends only what it started.

Usage: graph_view_screenshot.py PATH/TO/graph_view_demo.exe
"""
import contextlib
import os
import shlex
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import WINESERVER, read_ppm, start_display, stop_display  # noqa: E402,F401


def rgb(colorref):
    """0x00BBGGRR as stored in the options -> (r, g, b)."""
    return (colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF)


DOWN, UP, BOTH = rgb(0x0000FF), rgb(0x00CC00), rgb(0x00FFFF)
GRAPH_BG, TITLE_BG, RATE_BG = rgb(0xDEDBAD), rgb(0x9E9E9E), rgb(0xFFFFFF)


def plot_geometry(width, height, title=13, rate=13, percent=95):
    """Plot rows and the 100 % height of a view with title, graph and text."""
    d = min(title + 4, height) - 1  # title band bottom line = graph top line
    rate_top = height - rate - 4
    top, bottom = d + 1, rate_top
    return top, bottom, width - 1, (bottom - top) * percent // 100


def wineserver_idle(prefix, seconds=30):
    """Waits until the prefix's Wine server has ended; False if it stays."""
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    try:
        subprocess.run([WINESERVER, "-w"], env=env, timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def shot(display, work, name):
    """Screenshot of the whole screen, kept as PNG to look at; the pixels."""
    png = os.path.join(work, name + ".png")
    ppm = os.path.join(work, name + ".ppm")
    subprocess.run(["import", "-display", display, "-window", "root", png], check=True,
                   timeout=30)
    subprocess.run(["convert", png, ppm], check=True, timeout=30)
    return read_ppm(ppm)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


@contextlib.contextmanager
def demo_on_xvfb(demo, ready, stop, work):
    """Runs `demo READY STOP 60` under Wine on a private X server until it
    writes READY; yields the display. Afterwards writes STOP and waits for the
    demo. Ends only what it started."""
    tools = os.environ.get("QM_TOOLS", os.path.join(os.path.dirname(__file__), "../../tools"))
    prefix = os.environ.get("QM_WINEPREFIX")
    wine_run = shlex.split(os.environ.get("QM_WINE_RUN", ""))
    # A Wine server left running by earlier tests ends by itself within a few
    # seconds; the one the demo then starts belongs to this display. A server
    # that stays busy (a program still running in the shared prefix) is not
    # ours to end: use a prefix of our own instead.
    if prefix and not wineserver_idle(prefix):
        prefix = None
    own_prefix = not prefix
    if own_prefix:
        prefix = os.path.join(work, "wineprefix")
        subprocess.run([os.path.join(tools, "wine-prefix.sh"), "setup", prefix], check=True,
                       timeout=300)
        wine_run = []
    wine_run = wine_run or [os.path.join(tools, "wine-run.sh"), prefix]
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")

    xvfb, display = start_display(range(71, 120), "640x480x24")
    env["DISPLAY"] = display
    proc = None
    try:
        proc = subprocess.Popen(wine_run + [demo, windows_path(ready), windows_path(stop), "60"],
                                env=env)
        deadline = time.time() + 90
        while not os.path.exists(ready) and time.time() < deadline and proc.poll() is None:
            time.sleep(0.2)
        if not os.path.exists(ready):
            sys.exit("the demo did not get ready (exit %s)" % proc.poll())
        yield display
        with open(stop, "w"):
            pass
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    finally:
        if proc is not None and proc.poll() is None:
            proc.kill()
            proc.wait()
        stop_display(xvfb)
        if own_prefix:
            subprocess.run([WINESERVER, "-k"], env=env, timeout=30)


def main():
    demo = os.path.abspath(sys.argv[1])
    work = os.path.abspath("graph_view_screenshot")
    os.makedirs(work, exist_ok=True)
    ready, stop = os.path.join(work, "ready.txt"), os.path.join(work, "stop")
    for f in (ready, stop, ready + ".hide", ready + ".hidden", ready + ".show", ready + ".shown"):
        if os.path.exists(f):
            os.remove(f)

    with demo_on_xvfb(demo, ready, stop, work) as display:
        time.sleep(2)  # let the first paint reach the server
        shots = [shot(display, work, "1-first")]
        for n, (step, answer) in enumerate((("hide", "hidden"), ("show", "shown")), 2):
            with open(ready + "." + step, "w"):
                pass
            deadline = time.time() + 30
            while not os.path.exists(ready + "." + answer) and time.time() < deadline:
                time.sleep(0.1)
            if not os.path.exists(ready + "." + answer):
                sys.exit("the demo did not answer " + step)
            time.sleep(1)
            shots.append(shot(display, work, "%d-%s" % (n, answer)))

    with open(ready) as f:
        rows = [list(map(int, line.split())) for line in f if line.strip()]
    ox, oy = rows[0]
    views = rows[1:]
    assert views == [[2, 2, 298, 152], [2, 154, 298, 298]], views
    checks = []

    def expect(name, view, x, y, colour, at=shots[0]):
        left, top = views[view][0] + ox, views[view][1] + oy
        checks.append((name, (x, y), at(left + x, top + y), colour))

    # View A: columns, 296 x 150; newest sample (1000, 500) at scale 1000.
    width = views[0][2] - views[0][0]
    top, bottom, right, h100 = plot_geometry(width, views[0][3] - views[0][1])
    assert (top, bottom, right, h100) == (17, 133, 295, 110)
    x = right - 2  # the newest column covers right - 3 .. right - 1
    down_top, both_top = bottom - h100, bottom - h100 // 2
    expect("A download column", 0, x, (down_top + both_top) // 2, DOWN)
    expect("A overlap under it", 0, x, (both_top + bottom) // 2, BOTH)
    # Twentieth sample back: equal rates of 600, all overlap.
    x_equal = right - 19 * 4 - 2
    expect("A equal column", 0, x_equal, bottom - 10, BOTH)
    expect("A above equal column", 0, x_equal, 60, GRAPH_BG)
    expect("A graph background", 0, 200, 60, GRAPH_BG)
    expect("A title band", 0, width - 5, 8, TITLE_BG)
    expect("A rate band", 0, 1, bottom + 8, RATE_BG)

    # View B: lines, 296 x 144, fixed scale 10000 B/s; the newest ten
    # samples (20000, 2500): download clipped to the top of the line range.
    width = views[1][2] - views[1][0]
    top, bottom, right, h100 = plot_geometry(width, views[1][3] - views[1][1])
    assert (top, bottom, right, h100) == (17, 127, 295, 104)
    expect("B download line", 1, right - 3, bottom - 1 - (h100 - 1), DOWN)
    expect("B upload line", 1, right - 3, bottom - 1 - int(2500 / 10000 * (h100 - 1)), UP)
    expect("B graph background", 1, 200, 50, GRAPH_BG)
    expect("B title band", 1, width - 5, 8, TITLE_BG)

    # Hidden owner: the burst and the new background are not drawn...
    top, bottom, right, h100 = plot_geometry(296, 150)
    expect("hidden: A unchanged", 0, right - 2, 50, DOWN, shots[1])
    expect("hidden: A background", 0, 200, 60, GRAPH_BG, shots[1])
    # ...until the views are painted again.
    expect("shown: A upload burst", 0, right - 2, 50, UP, shots[2])
    expect("shown: A new background", 0, 200, 60, (224, 224, 224), shots[2])
    expect("shown: B title band", 1, 291, 8, TITLE_BG, shots[2])

    failed = 0
    for name, pos, got, want in checks:
        ok = got == want
        failed += not ok
        print("%-22s at %-10s %-16s %s" % (name, pos, got, "ok" if ok else "WANT %s" % (want,)))
    print("screenshots:", work)
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
