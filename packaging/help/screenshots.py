#!/usr/bin/python3
"""Takes the help file's screenshots from the real program under Xvfb.

Quellmark.exe runs in a Wine prefix of its own on a private X display, with
a history file of a few weeks and a usage limit those weeks passed, so the
reports show figures and the alert opens by itself. The test driver opens
each window of the table below as a person would, through the meter window's
commands, finds it by its title and the screenshot of the display is
cropped to it. A window that cannot be opened, or a picture that comes out
blank, fails the run, so a page never shows a stale or empty picture.

Usage: screenshots.py Quellmark.exe meter_driver.exe OUTPUT_FOLDER
"""
import collections
import datetime
import os
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
from harness import WINE, Desktop  # noqa: E402

ID_OPTIONS, ID_TRAFFIC_REPORTS, ID_STOPWATCH, ID_RATES_RECORDER = 32773, 32774, 32786, 32802
ID_EXIT, ID_ABOUT = 32795, 57664
OPTIONS = "Quellmark Options"
ALERT = "Notification - Quellmark"

# One entry per picture: its name, the command that opens the window from the
# meter window (None: the window is there already), the window's title ("*"
# at its end matches any rest), the tab to bring forward (options sheet) and
# the help page that shows the picture, which F1 in the window opens ("" for
# the start page). The installer's test opens the same windows at 96 and 144
# DPI, looks for clipped texts and presses F1 in each.
Window = collections.namedtuple("Window", "name command title page help")
WINDOWS = [
    Window("alert", None, ALERT, None, "alert_window.html"),
    Window("meter", None, "Quellmark", None, ""),
    Window("about", ID_ABOUT, "About Quellmark", None, "about_box.html"),
    Window("reports", ID_TRAFFIC_REPORTS, "Traffic Reports - *", None, "traffic_reports.html"),
    Window("stopwatch", ID_STOPWATCH, "Stopwatch", None, "stopwatch.html"),
    Window("recorder", ID_RATES_RECORDER, "Traffic Rates Recorder", None, "rates_recorder.html"),
    Window("options_general", ID_OPTIONS, OPTIONS, "General", "options_general.html"),
    Window("options_graph_text", ID_OPTIONS, OPTIONS, "Graph & Text", "options_graph_text.html"),
    Window("options_adapters", ID_OPTIONS, OPTIONS, "Adapters", "options_adapters.html"),
    Window("options_notification", ID_OPTIONS, OPTIONS, "Notification", "options_notification.html"),
    Window("options_service", ID_OPTIONS, OPTIONS, "Service", "options_service.html"),
]

# The Email Settings dialog opens only from the Notification page, over the
# options sheet: its button works while "send me an email" is ticked.
EMAIL_SETTINGS = "Email Settings"
NOTIFY_EMAIL, NOTIFY_EMAIL_SETTINGS = 4573, 4575
WINDOWS.append(Window("email_settings", ID_OPTIONS, EMAIL_SETTINGS, "Notification", "email_settings.html"))

HISTORY = "C:\\Quellmark\\TrafficHistory.log"
HISTORY_DAYS = 40


def history_file(today):
    """A history file with HISTORY_DAYS days before today of All
    Connections, a working day's traffic each (about 0.5 to 1.5 GB down)."""
    data = b"NTSL" + struct.pack("<I", 2) + bytes(16)
    for back in range(HISTORY_DAYS, 0, -1):
        day = today - datetime.timedelta(days=back)
        down = (400 + (back * 137) % 1100) * 1048576 + back * 4099
        up = down // 9 + back * 1021
        data += struct.pack("<6Hi", day.year, day.month, day.day, 0, (day.weekday() + 1) % 7, 0, 100)
        data += bytes(260) + bytes(4) + struct.pack("<QQ", down, up)
    return data


def rule_record():
    """NotificationEx2: more than 10 GB downloaded in the last 30 days through
    All Connections; the alert window only (no sound, beep, mail or program)."""
    def text(value, size):
        return value.encode("latin-1").ljust(size, b"\0")
    record = struct.pack("<Ii", 3, 100) + text("", 260) + text("10", 64)
    record += struct.pack("<IIII", 3, 0, 2, 0) + text("", 260)   # GB, downloaded, custom, no sound
    record += struct.pack("<IIiI", 0, 0, 30, 0) + text("", 260)  # no beep, 30 days, no e-mail
    record += struct.pack("<I", 0) + text("", 260)
    assert len(record) == 1148
    return record


def prepare(d, history=None):
    """The history file and the usage limit, before the program starts: the
    history goes into the file named (a Windows path of the prefix), or
    into a file of its own that the program is told to use."""
    if history is None:
        history = HISTORY
    key = "[HKEY_CURRENT_USER\\Software\\Quellmark\\Options]"
    lines = ["REGEDIT4", "", key, '"TrafficLogFile"="%s"' % history.replace("\\", "\\\\"),
             '"NotificationEnabled"=dword:00000001', '"NextAlertType"=dword:00000000',
             '"NotificationEx2"=hex:' + ",".join("%02x" % b for b in rule_record()), ""]
    path = os.path.join(d.prefix, "drive_c", *history[3:].split("\\"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(history_file(datetime.date.today()))
    reg = os.path.join(d.work, "screenshots.reg")
    with open(reg, "w", encoding="latin-1", newline="\r\n") as f:
        f.write("\n".join(lines))
    d.quiet([WINE, "reg", "import", reg], d.env, 60)


def window_rect(d, title, part="rect", seconds=20):
    """The window's rectangle on the screen ("rect"), or its client area's
    ("client")."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        rc, lines = d.drive("window", title)
        if rc == 0:
            values = dict(line.partition("=")[::2] for line in lines)
            return list(map(int, values[part].split()))
        time.sleep(0.3)
    return None


def picture_rect(d, w):
    """What the picture shows: the meter window draws its own frame; the
    other windows leave theirs to a window manager, which the private
    display does not have, so only their client area is drawn."""
    return window_rect(d, w.title, "rect" if w.name == "meter" else "client", 5)


def open_window(d, w):
    """Opens the window of an entry; its rectangle, or None."""
    if w.title == EMAIL_SETTINGS:
        return open_email_settings(d, w)
    if w.command is not None:
        d.drive("command", w.command)
    rect = window_rect(d, w.title)
    if rect and w.page:
        _, lines = d.drive("sheet", "info")
        tabs = [line[4:].replace("&&", "&") for line in lines if line.startswith("tab=")]
        if w.page not in tabs or d.drive("sheet", "page", tabs.index(w.page))[0] != 0:
            return None
    return rect


def close_window(d, w):
    if w.command is None and w.title != ALERT:
        return
    d.drive("close", w.title)
    d.wait_for(lambda: d.drive("count", w.title)[1] == ["count=0"], 10)
    if w.title == EMAIL_SETTINGS:  # and the sheet under it, with nothing applied
        close_window(d, Window("options", ID_OPTIONS, OPTIONS, None, None))


def open_email_settings(d, w):
    """The options sheet on the Notification page, "send me an email" ticked
    and its "E&mail Settings" button pressed."""
    if not open_window(d, Window("options", w.command, OPTIONS, w.page, None)):
        return None
    d.drive("sheet", "check", NOTIFY_EMAIL, 1)
    d.drive("sheet", "press", NOTIFY_EMAIL_SETTINGS)
    return window_rect(d, w.title)


def colours(png):
    """The number of distinct colours of a picture."""
    out = subprocess.run(["identify", "-format", "%k", png], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         timeout=30).stdout
    return int(out or 0)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    program, driver, out = map(os.path.abspath, sys.argv[1:])
    work = out.rstrip("/") + "-work"  # the prefix there is kept for the next run
    os.makedirs(work, exist_ok=True)
    os.makedirs(out, exist_ok=True)
    d = Desktop(program, driver, work)
    failed = []
    try:
        d.setup()
        prepare(d)
        d.start("program")
        if not d.wait_for(lambda: d.info().get("found") == "1", 60):
            print("the meter window did not appear")
            return 1
        time.sleep(3)  # a few ticks, so the graph has its scale and texts
        for w in WINDOWS:
            rect = open_window(d, w)
            if not rect:
                failed.append("%s: no window titled %s%s" % (w.name, w.title, " on " + w.page if w.page else ""))
                continue
            time.sleep(1)
            rect = picture_rect(d, w) or rect
            root = os.path.join(work, w.name + "-screen.png")
            subprocess.run(["import", "-display", d.display, "-window", "root", root], check=True, timeout=30)
            left, top, right, bottom = rect
            png = os.path.join(out, w.name + ".png")
            subprocess.run(["convert", root, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                            "+repage", png], check=True, timeout=30)
            # A window that is not drawn yet (or drawn over) shows one or two colours.
            if colours(png) < 8:
                failed.append("%s: the picture is blank" % w.name)
                os.remove(png)
            else:
                print("took %s.png (%s)" % (w.name, w.title))
            close_window(d, w)
        d.drive("command", ID_EXIT)
    finally:
        d.close()
    for line in failed:
        print("SCREENSHOT FAILED: " + line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
