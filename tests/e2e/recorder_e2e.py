#!/usr/bin/python3
"""End-to-end test of the stopwatch and the rates recorder dialog of the
desktop program under Wine and Xvfb.

Worked from outside by meter_driver.exe, as desktop_e2e.py does: the
stopwatch opens with its figures at zero and keeps its two options, starts
and stops with Enter from its adapter list, closes with Esc, and counts a
6-second pause of the whole program (stopped by a signal) in full; the
"Traffic Rates Recorder" dialog refuses each bad choice with its message,
remembers the browse dialog's filter, creates the missing folders and
records a file with its header and a line at the chosen interval, and
takes OK again over the file it records into; a file
that cannot be written is reported once and the meter runs on. With root,
the stopwatch times real traffic across a veth pair into a network
namespace the test makes (198.51.100.0/24) and must agree with the
kernel's byte counters; its reset option empties the adapter's graph.

Usage: recorder_e2e.py Quellmark.exe meter_driver.exe
"""
import os
import re
import shutil
import signal
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "meter")]
from desktop_e2e import DOWN, UP, BOTH  # noqa: E402
from harness import Desktop, check, count_colours, ends, rooted, summary, work_folder  # noqa: E402
from veth_pair import VethPair  # noqa: E402

PAIR = VethPair("qr%d" % (os.getpid() % 100000), "198.51.100.213", "198.51.100.214", port=5203)
UPLOAD_BYTES = 512 * 1024
DOWNLOAD_BYTES = 2 * 1024 * 1024

ID_EXIT, ID_STOPWATCH, ID_RATES_RECORDER = 32795, 32786, 32802
IDOK, IDCANCEL = 1, 2
STOPWATCH, RECORDER, CAPTION = "Stopwatch", "Traffic Rates Recorder", "Quellmark"
# Stopwatch controls
SW_ADAPTER, SW_ELAPSED, SW_ALWAYS_ON_TOP, SW_RESET_GRAPH, SW_START = 1101, 1102, 1113, 1114, 1115
SW_FIGURES = dict(total_down=1103, total_up=1104, bits_down=1105, bits_up=1106, max_down=1107, max_up=1108,
                  min_down=1109, min_up=1110, avg_down=1111, avg_up=1112)
# Recorder dialog controls
RR_LIST, RR_RECORD, RR_NUMBER_ONLY, RR_KILO_MEGA, RR_INTERVAL, RR_SPIN, RR_FILE, RR_BROWSE = \
    1201, 1202, 1203, 1204, 1206, 1207, 1210, 1211
RR_EDITORS = [RR_NUMBER_ONLY, RR_KILO_MEGA, RR_INTERVAL, RR_SPIN, RR_FILE, RR_BROWSE]
# The common save dialog: its file name box and its filter list
FILE_NAME_IDS, FILTER_ID = (1148, 1152), 1136


def dialog(d, title):
    """The window's controls by id: text, enabled, checked; rows; combo entries."""
    _, lines = d.drive("controls", title)
    out = {"found": False, "controls": {}, "rows": [], "items": []}
    for line in lines:
        key, _, value = line.partition("=")
        if key == "found":
            out["found"] = value == "1"
        elif key == "control":
            parts = value.split("|")
            out["controls"][int(parts[0])] = {"class": parts[1], "text": "|".join(parts[2:-2]),
                                              "enabled": parts[-2] == "1", "checked": parts[-1] == "1"}
        elif key == "row":
            parts = value.split("|")
            out["rows"].append({"cells": parts[1:-1], "selected": parts[-1] == "1"})
        elif key == "item":
            parts = value.split("|", 2)
            out["items"].append(parts[2])
        else:
            out[key] = value
    return out


def wait_dialog(d, title, seconds=20, cond=lambda w: True):
    return d.wait_for(lambda: (lambda w: w if w["found"] and cond(w) else None)(dialog(d, title)), seconds)


def text(w, cid):
    return w["controls"].get(cid, {}).get("text")


def message_box(d, seconds=10):
    """The text of the program's message box, once it shows."""
    box = wait_dialog(d, CAPTION, seconds)
    if not box:
        return None
    return next((c["text"] for cid, c in box["controls"].items() if c["class"] == "Static" and c["text"]), "")


def answer(d):
    d.drive("press", CAPTION, IDOK)
    d.wait_for(lambda: not dialog(d, CAPTION)["found"], 10)


def stopwatch_idle(d):
    """Opens at zero with the program's icon, on top at a click, options kept."""
    d.drive("command", ID_STOPWATCH)
    w = wait_dialog(d, STOPWATCH)
    if not check(w is not None, "F4's command opens the Stopwatch"):
        return
    check(text(w, SW_ADAPTER) == "All Connections" and w["items"][:2] == ["All Connections", "Dial-Up Connections"],
          "the adapter list holds every adapter, the first selected: %s" % w["items"])
    check(text(w, SW_ELAPSED) == "00 : 00 : 00", "the elapsed time reads 00 : 00 : 00")
    figures = {k: text(w, v) for k, v in SW_FIGURES.items()}
    check(figures["total_down"] == figures["total_up"] == "0 B" and figures["bits_down"] == "0 b" and
          all(figures[k] == "0 bps" for k in ("max_down", "max_up", "min_down", "min_up", "avg_down", "avg_up")),
          "every figure is zero (bits by default): %s" % figures)
    check(w.get("appwindow") == "1", "the stopwatch has a task-bar button of its own")
    check(d.info()["topmost"] == "0", "the meter window is not topmost meanwhile")
    d.drive("press", STOPWATCH, SW_ALWAYS_ON_TOP)
    check(wait_dialog(d, STOPWATCH, 10, lambda w: w.get("topmost") == "1") is not None,
          "a click on Always on top makes it topmost at once")
    d.drive("press", STOPWATCH, SW_START)
    running = wait_dialog(d, STOPWATCH, 10, lambda w: text(w, SW_START) == "&Stop")
    check(running is not None and not running["controls"][SW_ADAPTER]["enabled"],
          "Start turns the button into Stop and locks the adapter list")
    ticking = wait_dialog(d, STOPWATCH, 10, lambda w: text(w, SW_ELAPSED) == "00 : 00 : 03")
    check(ticking is not None, "the time counts the seconds")
    d.shot("recorder-1-stopwatch-running")
    d.drive("press", STOPWATCH, SW_START)
    stopped = wait_dialog(d, STOPWATCH, 10, lambda w: text(w, SW_START) == "&Start")
    check(stopped is not None and stopped["controls"][SW_ADAPTER]["enabled"] and
          text(stopped, SW_ELAPSED) != "00 : 00 : 00", "Stop unlocks the list; the figures stay on screen")
    d.drive("press", STOPWATCH, SW_START)
    check(wait_dialog(d, STOPWATCH, 10, lambda w: text(w, SW_ELAPSED) == "00 : 00 : 00" and
                      text(w, SW_START) == "&Stop") is not None, "starting again restarts the time from zero")
    d.drive("close", STOPWATCH)  # closing while running ends the measurement
    check(d.wait_for(lambda: not dialog(d, STOPWATCH)["found"] and d.info()["topmost"] == "1", 10),
          "closing it gives the meter window its topmost state back")


def elapsed(w):
    """The stopwatch's time in seconds; -1 when it does not read as one."""
    m = re.fullmatch(r"(\d+) : (\d\d) : (\d\d)", (w and text(w, SW_ELAPSED)) or "")
    return int(m[1]) * 3600 + int(m[2]) * 60 + int(m[3]) if m else -1


def stopwatch_keys_and_pause(d, program):
    """Enter from the adapter list starts and stops it, the keys keep working
    while it runs, and a long pause of the program is counted in full."""
    d.drive("command", ID_STOPWATCH)
    w = wait_dialog(d, STOPWATCH)
    if not check(w is not None and w.get("focus") == str(SW_ADAPTER), "the stopwatch opens with the adapter list "
                 "focused (%s)" % (w and w.get("focus"))):
        return
    d.drive("keysto", STOPWATCH, "enter")
    running = wait_dialog(d, STOPWATCH, 10, lambda w: text(w, SW_START) == "&Stop")
    check(running is not None and running.get("focus") not in (None, "0", str(SW_ADAPTER)),
          "Enter starts it and the focus leaves the list it locks (%s)" % (running and running.get("focus")))
    d.drive("keysto", STOPWATCH, "enter")
    check(wait_dialog(d, STOPWATCH, 5, lambda w: text(w, SW_START) == "&Start") is not None, "Enter again stops it")
    d.drive("keysto", STOPWATCH, "enter")
    before = elapsed(wait_dialog(d, STOPWATCH, 10, lambda w: elapsed(w) >= 2 and text(w, SW_START) == "&Stop"))
    # The whole program stands still for 6 seconds, as on a machine asleep;
    # the first timer event after it must show them, not one second more.
    os.kill(program.pid, signal.SIGSTOP)
    try:
        time.sleep(6)
    finally:
        os.kill(program.pid, signal.SIGCONT)
    after = elapsed(wait_dialog(d, STOPWATCH, 1.5, lambda w: elapsed(w) >= before + 6) or dialog(d, STOPWATCH))
    check(after >= before + 6, "6 seconds paused are counted at once: %d s before, %d s after" % (before, after))
    d.drive("keysto", STOPWATCH, "esc")
    check(d.wait_for(lambda: not dialog(d, STOPWATCH)["found"], 10), "Esc closes it while it runs")


def select_row(d, row):
    d.drive("selrow", RECORDER, RR_LIST, row)
    return wait_dialog(d, RECORDER, 10, lambda w: w["rows"][row]["selected"])


def open_recorder_at(d, row):
    """The dialog, opened by its command, with `row` selected."""
    d.drive("command", ID_RATES_RECORDER)
    wait_dialog(d, RECORDER)
    return select_row(d, row)


def editors(w):
    return {cid: w["controls"][cid]["enabled"] for cid in [RR_RECORD] + RR_EDITORS}


def refused(d, want, row, what):
    """OK, then the warning `want` with row `row` selected and the list focused."""
    d.drive("press", RECORDER, IDOK)
    got = d.wait_for(lambda: message_box(d, 1), 10)
    check(got == want, "%s: OK is refused with %r (got %r)" % (what, want, got))
    answer(d)
    w = wait_dialog(d, RECORDER, 10)
    selected = [i for i, r in enumerate(w["rows"]) if r["selected"]] if w else []
    check(w is not None and selected == [row] and w.get("focus") == str(RR_LIST),
          "%s: the dialog stays open with row %d selected and focused (%s, focus %s)" %
          (what, row, selected, w and w.get("focus")))


def recorder_refusals(d, folder):
    """Each check of OK, in its order; then a file that records."""
    d.drive("command", ID_RATES_RECORDER)
    w = wait_dialog(d, RECORDER)
    if not check(w is not None, "F5's command opens the Traffic Rates Recorder"):
        return None
    names = [r["cells"][0] for r in w["rows"]]
    check(names[:2] == ["All Connections", "Dial-Up Connections"] and
          all(r["cells"][1:] == ["No", "", ""] for r in w["rows"]),
          "a row per adapter, none recording: %s" % [r["cells"] for r in w["rows"]])
    check(not any(editors(w).values()), "with no row selected every editor is disabled")
    d.drive("selrow", RECORDER, RR_LIST, 0)
    w = wait_dialog(d, RECORDER, 10, lambda w: w["controls"][RR_RECORD]["enabled"])
    check(w is not None and not any(v for k, v in editors(w).items() if k != RR_RECORD),
          "selecting a row enables only the check box while the row does not record")
    d.drive("press", RECORDER, RR_RECORD)
    w = wait_dialog(d, RECORDER, 10, lambda w: w["rows"][0]["cells"][1] == "Yes")
    check(w is not None and all(editors(w).values()) and w["rows"][0]["cells"][2] == "1 sec.",
          "Record traffic rates: the row says Yes, 1 sec., and every editor is enabled: %s" %
          (w and w["rows"][0]["cells"]))
    d.drive("type", RECORDER, RR_INTERVAL, "0")
    d.drive("type", RECORDER, RR_FILE, "")
    refused(d, "The recording interval should be equal to or greater than 1.", 0, "interval 0")
    d.drive("type", RECORDER, RR_INTERVAL, "2")
    refused(d, "The rates recording file should not be empty.", 0, "empty file")

    target = "Z:" + os.path.join(folder, "deep", "er", "All.txt").replace("/", "\\")
    d.drive("type", RECORDER, RR_FILE, target)
    d.drive("press", RECORDER, RR_NUMBER_ONLY)
    select_row(d, 1)
    d.drive("press", RECORDER, RR_RECORD)
    wait_dialog(d, RECORDER, 10, lambda w: w["rows"][1]["cells"][1] == "Yes")
    d.drive("type", RECORDER, RR_FILE, target.upper())
    refused(d, "There are two or more same rates recording files. Please choose a different file for each adapter.",
            0, "the same file in another case")

    blocked = "Z:" + os.path.join(folder, "plain", "sub", "Dial.txt").replace("/", "\\")
    with open(os.path.join(folder, "plain"), "w") as f:
        f.write("a file where a folder would have to be\n")
    select_row(d, 1)
    d.drive("type", RECORDER, RR_FILE, blocked)
    refused(d, 'Failed to create file "%s". Be sure you have write permission or choose another file.' % blocked,
            1, "a folder that cannot be made")
    d.drive("press", RECORDER, RR_RECORD)
    w = wait_dialog(d, RECORDER, 10, lambda w: w["rows"][1]["cells"][1:] == ["No", "", ""])
    check(w is not None and not w["controls"][RR_FILE]["enabled"],
          "switching the row off clears its columns and disables its editors")
    d.shot("recorder-2-dialog")
    return target


def browse(d, folder):
    """The save dialog: titled by the adapter, filter remembered, extension added."""
    select_row(d, 1)
    d.drive("press", RECORDER, RR_RECORD)
    wait_dialog(d, RECORDER, 10, lambda w: w["rows"][1]["cells"][1] == "Yes")
    d.drive("press", RECORDER, RR_BROWSE)
    save = wait_dialog(d, "Dial-Up Connections")
    if not check(save is not None, "the browse button opens a save dialog titled with the adapter's name"):
        return
    name_id = next((i for i in FILE_NAME_IDS if i in save["controls"]), None)
    check(text(save, FILTER_ID) == "Text File (*.txt)", "its first filter is the text filter: %r" %
          text(save, FILTER_ID))
    d.shot("recorder-3-browse")
    d.drive("selcombo", "Dial-Up Connections", FILTER_ID, 1)
    time.sleep(0.5)
    d.drive("type", "Dial-Up Connections", name_id, "Z:" + os.path.join(folder, "dial").replace("/", "\\"))
    d.drive("press", "Dial-Up Connections", IDOK)
    want = "Z:" + os.path.join(folder, "dial.csv").replace("/", "\\")
    w = wait_dialog(d, RECORDER, 10, lambda w: text(w, RR_FILE) == want)
    check(w is not None and w["rows"][1]["cells"][3] == want,
          "choosing the CSV filter appends .csv to a name without it: %r" % (w and text(w, RR_FILE)))
    d.drive("press", RECORDER, RR_BROWSE)
    again = wait_dialog(d, "Dial-Up Connections")
    check(again is not None and text(again, FILTER_ID) == "Microsoft Excel (*.csv)",
          "the next browse starts with the filter chosen last: %r" % (again and text(again, FILTER_ID)))
    d.drive("press", "Dial-Up Connections", IDCANCEL)
    d.wait_for(lambda: not dialog(d, "Dial-Up Connections")["found"], 10)
    d.drive("press", RECORDER, RR_RECORD)  # Dial-Up does not record after all
    wait_dialog(d, RECORDER, 10, lambda w: w["rows"][1]["cells"][1] == "No")


def recorded_file(d, folder, target):
    d.drive("press", RECORDER, IDOK)
    check(d.wait_for(lambda: not dialog(d, RECORDER)["found"], 10), "OK closes the dialog once every check passes")
    path = os.path.join(folder, "deep", "er", "All.txt")
    check(os.path.isfile(path), "the missing folders and the file were made: %s" % path)
    check(not os.path.exists(os.path.join(folder, "dial.csv")), "a row switched off again records nothing")
    a = d.wait_for(lambda: d.adapters().get("100-", {}).get("RecordTrafficRates") and d.adapters()["100-"], 10) or {}
    check(a.get("RecordTrafficRates") == "1" and a.get("RecordInterval") == "2" and
          a.get("RecordNumberOnly") == "1" and a.get("RecordFile") == target,
          "the recorder group of All Connections is saved at once: %s" % a)
    time.sleep(8)
    with open(path, "rb") as f:
        content = f.read().decode("latin-1")
    check(content.startswith("The file was generated by Quellmark ") and
          "File:      Traffic Rates Log\r\nAdapter:   All Connections\r\n" in content and
          "Interval:  2 second(s)\r\nUnit:      bit(b)   (8b=1Byte; 1k=1000b; 1m=1000k; 1g=1000m; 1t=1000g)\r\n"
          in content and "-" * 71 + "\r\n" in content,
          "the file starts with its banner and header block:\n%s" % content[:600])
    lines = re.findall(r"^\S+   (\d\d):(\d\d):(\d\d)  +(\d+) +(\d+) +(\d+)\r$", content, re.M)
    seconds = [int(h) * 3600 + int(m) * 60 + int(s) for h, m, s, *_ in lines]
    # A line every second tick; a tick late on a loaded machine moves one
    # line's time by a second, not the rhythm.
    steps = [b - a for a, b in zip(seconds, seconds[1:])]
    check(len(lines) >= 3 and set(steps) <= {1, 2, 3} and 1.5 <= sum(steps) / len(steps) <= 2.5 and
          all(int(dn) + int(up) == int(both) for *_, dn, up, both in lines),
          "lines of plain numbers every 2 seconds: %s" % lines)


def recorder_ok_unchanged(d):
    """OK again over the file being recorded: nothing to refuse."""
    open_recorder_at(d, 0)
    d.drive("press", RECORDER, IDOK)
    d.wait_for(lambda: not dialog(d, RECORDER)["found"] or dialog(d, CAPTION)["found"], 10)
    box = message_box(d, 1)
    check(box is None and not dialog(d, RECORDER)["found"],
          "OK over the file being recorded closes the dialog without a word: %r" % box)
    if box is not None:
        answer(d)
        d.drive("press", RECORDER, IDCANCEL)
        d.wait_for(lambda: not dialog(d, RECORDER)["found"], 10)


def recorder_cancel(d):
    open_recorder_at(d, 0)
    d.drive("type", RECORDER, RR_INTERVAL, "9")
    d.drive("press", RECORDER, IDCANCEL)
    check(d.wait_for(lambda: not dialog(d, RECORDER)["found"], 10), "Cancel closes the dialog")
    check(d.adapters().get("100-", {}).get("RecordInterval") == "2", "and changes nothing")


def unwritable_file(d):
    """A file whose writes fail (a full disk): told once, the meter runs on."""
    open_recorder_at(d, 0)
    d.drive("type", RECORDER, RR_FILE, "Z:\\dev\\full")
    d.drive("press", RECORDER, IDOK)
    d.wait_for(lambda: not dialog(d, RECORDER)["found"], 10)
    got = d.wait_for(lambda: message_box(d, 1), 15)
    check(bool(got) and got.startswith('Failed to write rates recording file "Z:\\dev\\full": ') and
          "All Connections" in got, "a failed write is reported with the file and the adapter: %r" % got)
    d.shot("recorder-4-write-failed")
    answer(d)
    time.sleep(5)
    check(not dialog(d, CAPTION)["found"], "only once")
    check(d.info().get("found") == "1", "and the meter keeps running")
    a = d.adapters().get("100-", {})
    check(a.get("RecordTrafficRates") == "1", "the recorder stays switched on for the next start or OK")


def parse_amount(text):
    """'3.01 MB' -> bytes; '24.1 mb' -> bits."""
    m = re.fullmatch(r"([\d.]+) ([KkMmGgTt]?)(B|b)", text or "")
    if not m:
        return None
    value, prefix, unit = float(m.group(1)), m.group(2).upper(), m.group(3)
    base = 1024 if unit == "B" else 1000
    return value * base ** " KMGT".index(prefix or " ")


def stopwatch_traffic(d):
    """Real traffic across the veth pair timed by the stopwatch."""
    PAIR.create()
    d.drive("reset")  # no recorder file left from before
    d.drive("setopt", "FirstRun", 0)
    p = d.start("recorder-traffic")
    d.wait_for(lambda: d.info().get("found") == "1")
    # The stopwatch lists the adapters in the order of the Adapters menu.
    d.drive("command", ID_STOPWATCH)
    w = wait_dialog(d, STOPWATCH)
    veth = w and next((i for i, n in enumerate(w["items"]) if n == PAIR.host), None)
    if not check(veth is not None, "the veth adapter is in the stopwatch's list: %s" % (w and w["items"])):
        return p
    d.drive("close", STOPWATCH)
    d.wait_for(lambda: not dialog(d, STOPWATCH)["found"], 10)
    d.drive("command", 9000 + veth)
    info = d.wait_for(lambda: (lambda i: i if len(i["views"]) == 2 and i.get("visible") == "1" else None)(d.info()))
    if not check(info is not None, "the veth adapter gets a graph view"):
        return p
    procs = []
    PAIR.exchange(64 * 1024, 256 * 1024, procs, 2)  # something for the graph to show
    time.sleep(2.5)
    info = d.info()  # the views in their places, not as just made
    ox, oy = map(int, info["origin"].split())
    v = info["views"][1]
    plot = (ox + v[0] + 60, oy + v[1] + 18, ox + v[2] - 2, oy + v[3] - 18)
    before = count_colours(d.shot("recorder-5-before-reset"), plot, {DOWN, UP, BOTH})

    d.drive("command", ID_STOPWATCH)
    w = wait_dialog(d, STOPWATCH)
    if not check(w is not None, "the stopwatch opens again"):
        return p
    d.drive("selcombo", STOPWATCH, SW_ADAPTER, veth)
    d.drive("press", STOPWATCH, SW_RESET_GRAPH)
    wait_dialog(d, STOPWATCH, 10, lambda w: text(w, SW_ADAPTER) == PAIR.host and
                w["controls"][SW_RESET_GRAPH]["checked"])
    time.sleep(1.5)  # idle: no traffic left over from before
    rx0, tx0 = PAIR.counters()
    d.drive("press", STOPWATCH, SW_START)
    wait_dialog(d, STOPWATCH, 10, lambda w: text(w, SW_START) == "&Stop")
    time.sleep(1.2)
    after = count_colours(d.shot("recorder-6-after-reset"), plot, {DOWN, UP, BOTH})
    check(before > 20 and after == 0,
          "starting with the reset option empties the adapter's graph (%d coloured pixels, then %d)" % (before, after))
    got = PAIR.exchange(UPLOAD_BYTES, DOWNLOAD_BYTES, procs, 6)
    check(got == DOWNLOAD_BYTES, "the traffic crossed the pair")
    time.sleep(3)  # the last ticks of the traffic and some idle ones
    rx1, tx1 = PAIR.counters()
    w = dialog(d, STOPWATCH)
    d.shot("recorder-7-stopwatch-traffic")
    d.drive("press", STOPWATCH, SW_START)
    figures = {k: text(w, v) for k, v in SW_FIGURES.items()}
    down, up = rx1 - rx0, tx1 - tx0
    total_down, total_up = parse_amount(figures["total_down"]), parse_amount(figures["total_up"])
    bits_down = parse_amount(figures["bits_down"])

    def near(shown, real, unit_digits):
        return shown is not None and abs(shown - real) <= max(real * 0.006, unit_digits)

    check(near(total_down, down, 1) and near(total_up, up, 1) and near(bits_down, down * 8, 8),
          "the stopwatch's totals agree with the kernel's counters (%d down, %d up): %s" % (down, up, figures))
    check(figures["min_down"] == "0 bps" and parse_amount(figures["max_down"].replace("ps", "")) is not None,
          "the idle seconds give a minimum of 0 and the burst a maximum: %s / %s" %
          (figures["min_down"], figures["max_down"]))
    d.drive("close", STOPWATCH)
    d.wait_for(lambda: not dialog(d, STOPWATCH)["found"], 10)
    for proc in procs:
        if proc.poll() is None:
            proc.kill()
        proc.wait()
    d.drive("command", ID_EXIT)
    check(ends(d, p), "the program ends on Exit")
    opts = d.options()
    check(opts.get("StopwatchResetAdapterGraph") == "1" and opts.get("StopwatchAlwaysOnTop") == "0",
          "the stopwatch's reset option is saved at exit: %s" %
          {k: opts.get(k) for k in ("StopwatchResetAdapterGraph", "StopwatchAlwaysOnTop")})
    return None


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program, driver = map(os.path.abspath, sys.argv[1:])
    work = work_folder("recorder_e2e")
    files = os.path.join(work, "files")
    shutil.rmtree(files, ignore_errors=True)
    os.makedirs(files)
    d = Desktop(program, driver, work)
    traffic = rooted()
    p = None
    try:
        d.setup()
        d.drive("reset")
        d.drive("setopt", "FirstRun", 0)
        p = d.start("recorder-first")
        if check(d.wait_for(lambda: d.info().get("found") == "1"), "the meter window appears"):
            stopwatch_idle(d)
            stopwatch_keys_and_pause(d, p)
            target = recorder_refusals(d, files)
            if target:
                browse(d, files)
                recorded_file(d, files, target)
                recorder_ok_unchanged(d)
                recorder_cancel(d)
                unwritable_file(d)
            d.drive("command", ID_EXIT)
            check(ends(d, p), "the program ends on Exit")
            opts = d.options()
            check(opts.get("StopwatchAlwaysOnTop") == "1" and opts.get("StopwatchResetAdapterGraph") == "0",
                  "the stopwatch's Always on top is saved at exit with the window's position")
        if traffic:
            stopwatch_traffic(d)
        else:
            print("real traffic left out: needs root and iproute2 for the network namespace")
    finally:
        d.close()
        if traffic:
            PAIR.remove()
    return summary(work)


if __name__ == "__main__":
    sys.exit(main())
