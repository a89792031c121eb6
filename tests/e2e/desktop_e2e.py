#!/usr/bin/python3
"""End-to-end test of the desktop program under Wine and Xvfb.

Quellmark.exe runs in a Wine prefix of its own on a private X display; the
Win32 driver meter_driver.exe finds the meter window through the "HWND"
value, posts commands, presses keys, answers message boxes and reads
texts, styles, layered alpha and the registry. Screenshots of the display
show the pixels. With root, real traffic crosses a veth pair into a
network namespace the test makes (198.51.100.0/24); without root that part
is left out. Ends only what it started; the namespace and the pair are
removed also on failure.

Usage: desktop_e2e.py Quellmark.exe meter_driver.exe
"""
import datetime
import os
import re
import shutil
import struct
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE]
from harness import Desktop, check, count_colours, ends, linux_path, rooted, summary, work_folder  # noqa: E402
from history_records import history_records  # noqa: E402
from veth_pair import VethPair  # noqa: E402

# A /30 of its own within 198.51.100.0/24, and names of its own.
PAIR = VethPair("qd%d" % (os.getpid() % 100000), "198.51.100.209", "198.51.100.210", port=5202)
UPLOAD_BYTES = 1024 * 1024
DOWNLOAD_BYTES = 3 * 1024 * 1024

ID_SHOW, ID_EXIT, ID_ABOUT = 32771, 32795, 57664
IDOK, IDNO = 1, 7
UM_TRAY_NOTIFY, WM_LBUTTONUP = 32778, 0x202
WM_POWERBROADCAST, PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC = 0x218, 4, 18
WS_EX_TOOLWINDOW, WS_EX_APPWINDOW, WS_EX_TRANSPARENT = 0x80, 0x40000, 0x20

DOWN, UP, BOTH = (255, 0, 0), (0, 204, 0), (255, 255, 0)
GRAPH_BG, TITLE_BG = (173, 219, 222), (158, 158, 158)


def first_start(d):
    """No settings at all: placement, views, alpha, stored values."""
    d.drive("reset")
    if d.documents:
        shutil.rmtree(os.path.join(d.documents, "Quellmark"), ignore_errors=True)
    p = d.start("first-start")
    info = d.wait_for(lambda: (lambda i: i if i.get("found") == "1" and i.get("topmost") == "1" else None)(d.info()))
    if not check(info is not None, "the meter window appears, topmost, at the first start"):
        return p, None
    opts = d.options()
    check(opts.get("HWND", "0") != "0", "the window handle is stored as HWND")
    check(opts.get("TrafficLogFile", "").endswith("\\Quellmark\\TrafficHistory.log"),
          "the default history path is stored: %s" % opts.get("TrafficLogFile"))
    check(opts.get("FirstRun") == "0", "FirstRun is cleared")
    check(info["title"] == "Quellmark" and info["visible"] == "1", "titled Quellmark and visible")
    ex = int(info["exstyle"], 16)
    check(ex & WS_EX_TOOLWINDOW and not ex & WS_EX_APPWINDOW, "a tool window without task-bar button")
    rect = list(map(int, info["rect"].split()))
    work = list(map(int, info["workarea"].split()))
    vs, hs = map(int, info["scrollbars"].split())
    check(rect[2] == work[2] - vs and rect[3] == work[3] - hs,
          "placed at the bottom-right of the work area, a scroll bar away: %s in %s" % (rect, work))
    check(len(info["views"]) == 1, "one graph view (All Connections only): %s" % info["views"])
    check(info["alpha"] == "229", "semi-transparent with alpha 229 (got %s)" % info["alpha"])
    rates = r"All Connections\|Dw: \S+ [kmg]?bps  Up: \S+ [kmg]?bps"
    tips = d.wait_for(lambda: (lambda t: t if any(re.fullmatch(rates, x) for x in t) else None)(d.tips()), 10)
    check(tips is not None, "the tray tip names All Connections and its rates: %s" % (tips or d.tips()))
    at = d.shot("1-first-start")
    ox, oy = map(int, info["origin"].split())
    v = info["views"][0]
    check(at(ox + v[0] + 3, oy + v[1] + 3) == TITLE_BG, "the screenshot shows the title band")
    check(at(ox + (v[0] + v[2]) // 2, oy + v[1] + 40) == GRAPH_BG, "and the graph's background below it")
    return p, info


def show_and_hide(d, p):
    d.drive("keys", "esc")
    check(d.wait_for(lambda: d.info().get("visible") == "0", 10), "Esc hides the window")
    d.drive("command", ID_SHOW)
    check(d.wait_for(lambda: d.info().get("visible") == "1", 10), "command 32771 shows it")
    d.drive("message", UM_TRAY_NOTIFY, 104, WM_LBUTTONUP)
    check(d.wait_for(lambda: d.info().get("visible") == "0", 10), "a left click on the tray icon hides it")
    d.drive("message", UM_TRAY_NOTIFY, 104, WM_LBUTTONUP)
    check(d.wait_for(lambda: d.info().get("visible") == "1", 10), "and another shows it")
    d.drive("keys", "esc")
    d.wait_for(lambda: d.info().get("visible") == "0", 10)
    d.drive("keys", "ctrl+shift+m")
    check(d.wait_for(lambda: d.info().get("visible") == "1", 10), "the hot key Ctrl+Shift+M shows it")
    d.drive("keys", "esc")
    d.wait_for(lambda: d.info().get("visible") == "0", 10)
    second = d.start("second-start")
    check(ends(d, second), "a second start ends by itself")
    check(d.wait_for(lambda: d.info().get("visible") == "1", 10), "and shows the first window")
    check(p.poll() is None, "the first program still runs")


def view_toggles(d):
    d.drive("keys", "ctrl+t")
    check(d.wait_for(lambda: d.options().get("DisplayTitle") == "0", 10), "Ctrl+T saves DisplayTitle 0 at once")
    d.drive("keys", "ctrl+t")
    check(d.wait_for(lambda: d.options().get("DisplayTitle") == "1", 10), "Ctrl+T again saves 1")
    d.drive("keys", "ctrl+x")
    check(d.wait_for(lambda: d.options().get("DisplayText") == "0", 10), "Ctrl+X turns the text off")
    d.drive("keys", "ctrl+g")
    box = d.wait_for(lambda: (lambda i: i if i["windows"] else None)(d.info()), 10)
    check(box is not None and "#32770|Quellmark" in box["windows"] and
          "At least either graph or text should be displayed." in box["texts"],
          "Ctrl+G then is refused: %s" % ((box and (box["windows"], box["texts"])),))
    d.drive("answer", IDOK)
    check(d.wait_for(lambda: not d.info()["windows"], 10), "the warning closes")
    check(d.options().get("DisplayGraph") == "1", "the graph stays on")
    d.drive("keys", "ctrl+x")
    check(d.wait_for(lambda: d.options().get("DisplayText") == "1", 10), "Ctrl+X turns the text on again")


def ints(text):
    return list(map(int, text.split()))


def adapter_views(d):
    """The Adapters menu: 9000 is All Connections, 9001 Dial-Up Connections."""
    start = ints(d.info()["rect"])
    d.drive("command", 9001)
    two = d.wait_for(lambda: (lambda i: i if len(i["views"]) == 2 else None)(d.info()), 10)
    if not check(two is not None, "showing Dial-Up Connections adds a second view"):
        return
    rect, (a, b) = ints(two["rect"]), two["views"]
    check(rect[3] == start[3] and rect[1] < start[1], "the window grows upward: %s from %s" % (rect, start))
    check(b[1] == a[3] + 2 and b[3] == int(two["client"].split()[1]) - 2,
          "the new view lies below, 2 pixels apart, down to the margin: %s" % two["views"])
    d.drive("command", 9001)
    one = d.wait_for(lambda: (lambda i: i if len(i["views"]) == 1 else None)(d.info()), 10)
    check(one is not None and ints(one["rect"]) == start, "hiding it gives the window its rectangle back")
    d.drive("command", 9000)
    box = d.wait_for(lambda: (lambda i: i if "At least one adapter should be monitored." in i["texts"] else None)(
        d.info()), 10)
    check(box is not None, "hiding the last view is refused")
    d.drive("answer", IDOK)
    check(d.wait_for(lambda: (lambda i: not i["windows"] and len(i["views"]) == 1)(d.info()), 10),
          "and the view stays")


def transparency(d):
    d.drive("keys", "ctrl+k")
    info = d.wait_for(lambda: (lambda i: i if int(i["exstyle"], 16) & WS_EX_TRANSPARENT else None)(d.info()), 10)
    check(info is not None and info["alpha"] == "229" and d.options().get("EnableClickThrough") == "1",
          "Ctrl+K lets clicks through the window and saves it")
    d.drive("keys", "ctrl+e")
    check(d.wait_for(lambda: d.info()["alpha"] == "255", 10) and d.options().get("SemiTransparent") == "0",
          "Ctrl+E makes it opaque and saves it")
    d.drive("keys", "ctrl+e", "ctrl+k")
    check(d.wait_for(lambda: (lambda i: i["alpha"] == "229" and not int(i["exstyle"], 16) & WS_EX_TRANSPARENT)(
          d.info()), 10), "and both back: alpha 229, clicks caught again")


def about_box(d):
    d.drive("command", ID_ABOUT)
    about = d.wait_for(lambda: (lambda i: i if "#32770|About Quellmark" in i["windows"] else None)(d.info()), 10)
    if not check(about is not None, "About opens the about box"):
        return
    check({"Quellmark v2.6 build 629", "Visit Quellmark Homepage", "Feedback and Support"} <= set(about["texts"]),
          "with the version line and both links: %s" % about["texts"])
    check(about["topmost"] == "0", "the meter window is not topmost while it is open")
    d.shot("4-about")
    d.drive("answer", IDOK)
    check(d.wait_for(lambda: (lambda i: not i["windows"] and i["topmost"] == "1")(d.info()), 10),
          "OK closes it and the meter window is topmost again")


def exit_and_check(d, p, name):
    info = d.info()
    d.drive("command", ID_EXIT)
    check(ends(d, p), "%s: Exit ends the program" % name)
    opts = d.options()
    rect = list(map(int, info["rect"].split()))
    check(opts.get("WndPosition") == struct.pack("<4i", *rect).hex(),
          "%s: WndPosition holds the last rectangle %s" % (name, rect))
    return opts


def check_identity_and_history(d, opts):
    adapters = d.adapters()
    check("100-" in adapters and adapters["100-"].get("Monitored") == "1" and "Size" in adapters["100-"],
          "AdaptersEx holds All Connections, monitored with its share: %s" % adapters.get("100-"))
    check("200-" in adapters and adapters["200-"].get("Monitored") == "0", "and Dial-Up Connections, not monitored")
    real = [k for k in adapters if k.startswith("300-")]
    check(all(adapters[k].get("AdapterID") == k[4:] for k in real), "every real adapter's key names its ID")
    path = linux_path(d.prefix, opts.get("TrafficLogFile", "C:\\none"))
    records = history_records(path) if os.path.exists(path) else None
    today = datetime.date.today()
    todays = [r for r in records or [] if r["date"] == (today.year, today.month, today.day)]
    kinds = sorted((r["kind"], r["id"]) for r in todays)
    wanted = sorted([(100, ""), (200, "")] + [(300, k[4:]) for k in real])
    check(kinds == wanted, "the history file has today's record of every adapter: %s" % kinds)
    return todays


def locked_history(d, opts):
    path = opts.get("TrafficLogFile")
    lock = d.background_driver("lock", "lock", path, 40)
    d.wait_for(lambda: "locked=1" in open(os.path.join(d.work, "lock.txt"), encoding="latin-1").read(), 20)
    p = d.start("locked-start")
    want = 'Failed to create traffic log file "%s".' % path
    box = d.wait_for(lambda: (lambda i: i if any(t.startswith(want) for t in i["texts"]) else None)(d.info()), 30)
    check(box is not None, "a held history file gives the 1135 question with its path")
    d.drive("answer", IDNO)
    given = "Dear user, you've given up to choose a file for traffic log"
    box = d.wait_for(lambda: (lambda i: i if any(t.startswith(given) for t in i["texts"]) else None)(d.info()), 20)
    check(box is not None, "answering No gives the 'given up' message")
    d.drive("answer", IDOK)
    check(d.wait_for(lambda: (lambda i: i.get("visible") == "1" and not i["windows"])(d.info()), 10),
          "and the program runs on without a history file")
    d.drive("command", ID_EXIT)
    check(ends(d, p), "which ends on Exit")
    lock.wait(timeout=60)


def start_minimized(d):
    d.drive("setopt", "StartMinimized", 1)
    p = d.start("minimized-start")
    d.wait_for(lambda: d.info().get("found") == "1", 30)
    seen = [d.info().get("visible") for _ in range(8)]
    check(seen == ["0"] * 8, "with StartMinimized the window never shows at start: %s" % seen)
    d.drive("command", ID_SHOW)
    check(d.wait_for(lambda: d.info().get("visible") == "1", 10), "the first Show shows it")
    d.drive("setopt", "StartMinimized", 0)
    d.drive("command", ID_EXIT)
    check(ends(d, p), "it ends on Exit")


def real_traffic(d):
    PAIR.create()
    adapter_id = "{%08X-0000-0000-0000-4E6574446576}" % PAIR.ifindex()
    d.drive("view", "300-" + adapter_id, 0.49)
    d.drive("view", "100-", 0.49)
    p = d.start("traffic-start")
    info = d.wait_for(lambda: (lambda i: i if len(i["views"]) == 2 and i.get("visible") == "1" else None)(d.info()))
    if not check(info is not None, "the monitored veth adapter gets a second graph view"):
        return p
    ox, oy = map(int, info["origin"].split())
    v = info["views"][1]
    plot = (ox + v[0] + 60, oy + v[1] + 18, ox + v[2] - 2, oy + v[3] - 18)
    time.sleep(2)
    before = count_colours(d.shot("2-veth-idle"), plot, {DOWN, UP, BOTH})
    # A machine that wakes with nobody at it announces only the automatic
    # resumption: the traffic after it must still be counted.
    d.drive("message", WM_POWERBROADCAST, PBT_APMSUSPEND, 0)
    d.drive("message", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0)
    time.sleep(2)  # the first tick after it only takes the counters' readings
    result = []
    sender = threading.Thread(target=lambda: result.append(PAIR.exchange(UPLOAD_BYTES, DOWNLOAD_BYTES, d.procs, 8)))
    sender.start()
    tips = []
    while sender.is_alive():
        tips += d.tips()
    sender.join()
    got = result[0] if result else 0
    check(got == DOWNLOAD_BYTES, "the traffic crossed the pair (%d bytes back)" % got)
    check(any(re.fullmatch(r"All Connections\|Dw: [1-9][0-9.]* [kmg]?bps  Up: \S+ [kmg]?bps", t) for t in tips),
          "the tray tip shows the download rate during the traffic: %s" % sorted(set(tips))[-3:])
    time.sleep(2.5)  # the ticks that count the last of the traffic, which Exit then writes
    after = count_colours(d.shot("3-veth-traffic"), plot, {DOWN, UP, BOTH})
    check(before == 0 and after > 50,
          "the veth view's columns rise with the traffic (%d coloured pixels before, %d after)" % (before, after))
    opts = exit_and_check(d, p, "traffic")
    todays = check_identity_and_history(d, opts)
    veth = [r for r in todays if r["kind"] == 300 and r["id"] == adapter_id]
    check(len(veth) == 1 and veth[0]["down"] >= DOWNLOAD_BYTES and veth[0]["up"] >= UPLOAD_BYTES,
          "Exit wrote the veth adapter's day totals: %s" % veth)
    return None


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program, driver = map(os.path.abspath, sys.argv[1:])
    work = work_folder("desktop_e2e")
    d = Desktop(program, driver, work)
    traffic = rooted()
    try:
        d.setup()
        p, info = first_start(d)
        if info:
            show_and_hide(d, p)
            view_toggles(d)
            adapter_views(d)
            transparency(d)
            about_box(d)
            opts = exit_and_check(d, p, "first run")
            check_identity_and_history(d, opts)
            locked_history(d, opts)
            start_minimized(d)
        if traffic:
            real_traffic(d)
        else:
            print("real traffic left out: needs root and iproute2 for the network namespace")
    finally:
        d.close()
        if traffic:
            PAIR.remove()
    return summary(work)


if __name__ == "__main__":
    sys.exit(main())
