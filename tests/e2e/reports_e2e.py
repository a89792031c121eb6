#!/usr/bin/python3
"""End-to-end test of the traffic reports window under Wine and Xvfb.

Quellmark.exe starts on a crafted history file; F3 opens the reports window,
which the Win32 driver reports_driver.exe works from outside: pages,
adapters, sorting by a column, selecting rows, the last-days box, every
report exported in every form (compared byte for byte with what
quellmark-report writes for the same file), Restore beside an existing
numbered copy, and Clear. Screenshots of every page are kept.

Usage: reports_e2e.py Quellmark.exe meter_driver.exe reports_driver.exe quellmark-report.exe
"""
import datetime
import os
import shutil
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE]
from harness import WINE, Desktop, check, ends, linux_path, summary, work_folder  # noqa: E402
from history_records import history_records  # noqa: E402

ID_TRAFFIC_REPORTS, ID_EXIT = 32774, 32795
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
EXPORT, CLEAR = 1303, 1304
LAST_DAYS, LOG_PATH, RESTORE = 1350, 1354, 1357
FIGURES = 1331  # six rows of three
SELECTION = 1311
KINDS = ["summary", "daily", "weekly", "monthly"]
DIALOG_TITLES = ["Export General Summary", "Export Daily Report", "Export Weekly Report", "Export Monthly Report"]
FORMS = [("txt", 1), ("csv", 2), ("htm", 3)]

TODAY = datetime.date.today()
# Dial-Up Connections (kind 200) has no live traffic here: its figures are
# the file's alone, so the window's exports and quellmark-report must agree.
DIALUP = [(-40, 5000, 100), (-3, 900, 10), (-2, 1000, 20), (-1, 2621440, 30), (0, 4096, 512)]
ALL = [(-40, 7000, 700), (-1, 7340032, 1048576)]


def record(day, kind, down, up):
    d = TODAY + datetime.timedelta(days=day)
    dow = (d.weekday() + 1) % 7  # 0 = Sunday
    return struct.pack("<6Hi260s4xQQ", d.year, d.month, d.day, 0, dow, 0, kind, b"", down, up)


def crafted_history(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    recs = sorted([(day, 100, down, up) for day, down, up in ALL] + [(day, 200, down, up) for day, down, up in DIALUP])
    with open(path, "wb") as f:
        f.write(b"NTSL" + struct.pack("<I", 2) + bytes(16))
        for day, kind, down, up in recs:
            f.write(record(day, kind, down, up))


def amount(v):
    """The byte-mode amount text."""
    for bound, unit, fmt, scale in ((1000, "B", "%d", 1), (1024000, "KB", "%.1f", 1024),
                                    (1048576000, "MB", "%.2f", 1 << 20), (1073741824000, "GB", "%.2f", 1 << 30)):
        if v < bound:
            return (fmt % (v / scale if scale > 1 else v)) + " " + unit
    return "%.2f TB" % (v / (1 << 40))


def value(text):
    number, _, unit = text.partition(" ")
    return float(number) * {"B": 1, "KB": 1 << 10, "MB": 1 << 20, "GB": 1 << 30, "TB": 1 << 40}[unit]


class Reports:
    def __init__(self, desktop, driver):
        self.d, self.driver = desktop, driver

    def run(self, *args):
        self.d.count += 1
        out = os.path.join(self.d.work, "reports-%d.txt" % self.d.count)
        with open(out, "wb") as f:
            rc = subprocess.run([WINE, self.driver] + [str(a) for a in args], env=self.d.env,
                                stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.STDOUT, timeout=60).returncode
        with open(out, encoding="latin-1") as f:
            return rc, [line.rstrip("\n") for line in f]

    def sheet(self):
        _, lines = self.run("sheet")
        s = {"rows": [], "controls": {}}
        for line in lines:
            key, _, v = line.partition("=")
            if key == "row":
                s["rows"].append(v.split("|"))
            elif key == "control":
                ident, cls, text, visible = v.split("|", 3) if v.count("|") >= 3 else (v, "", "", "0")
                s["controls"][int(ident)] = text
            else:
                s[key] = v
        return s if s.get("found") == "1" else None

    def box(self):
        _, lines = self.run("box")
        return [line[5:] for line in lines if line.startswith("text=")] if "found=1" in lines else None

    def wait_sheet(self, cond, seconds=15):
        return self.d.wait_for(lambda: (lambda s: s if s and cond(s) else None)(self.sheet()), seconds)

    def wait_box(self, start, seconds=15):
        return self.d.wait_for(lambda: (lambda b: b if b and any(t.startswith(start) for t in b) else None)(
            self.box()), seconds)


def open_window(d, r):
    d.drive("keys", "f3")
    s = r.wait_sheet(lambda s: s.get("page") == "0", 20)
    if not check(s is not None, "F3 opens the traffic reports window on the Summary page"):
        return None
    check(s["caption"] == "Traffic Reports - [All Connections]", "captioned for All Connections: %s" % s["caption"])
    check(int(s["exstyle"], 16) & 0x40000, "with a task-bar button of its own")
    c = s["controls"]
    check(c.get(1303) == "&Export" and c.get(1304) == "Clea&r" and c.get(2) == "&Close",
          "Export, Clear and Close: %s" % [c.get(1303), c.get(1304), c.get(2)])
    check(c.get(1320, "").startswith("Until today - ") and TODAY.strftime("%B") in c.get(1320, ""),
          "the date line: %s" % c.get(1320))
    check(int(s["adapters"]) >= 2 and s["adapter"] == "0", "the drop-down lists the adapters, All Connections chosen")
    return s


def switch_adapter(d, r):
    r.run("adapter", 1)
    s = r.wait_sheet(lambda s: s["caption"] == "Traffic Reports - [Dial-Up Connections]")
    check(s is not None, "choosing Dial-Up Connections renames the window")
    today = amount(4096)
    s = r.wait_sheet(lambda s: s["controls"].get(FIGURES) == today)
    check(s is not None, "and the summary shows its today: %s" % (s and s["controls"].get(FIGURES)))
    total = sum(x[1] for x in DIALUP)
    check(s is not None and s["controls"].get(FIGURES + 15) == amount(total),
          "and its total %s" % (s and s["controls"].get(FIGURES + 15)))
    d.shot("reports-1-summary")


def cli_report(d, report, kind, ext, path, out):
    args = [WINE, report, "--report", kind, "--adapter", "200", "--name", "Dial-Up Connections",
            "--last-days", "30", "--output", out, path]
    # The program's output beside the screenshots (`out` is a path of Wine's).
    with open(os.path.join(d.work, "cli-%s-%s.log" % (kind, ext)), "wb") as log:
        return subprocess.run(args, env=d.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                              timeout=60).returncode


def exports(d, r, report, history):
    out_dir = os.path.join(d.work, "exports")
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    for page, kind in enumerate(KINDS):
        r.run("tab", page)
        r.wait_sheet(lambda s: s["page"] == str(page))
        time.sleep(0.5)
        if page:
            d.shot("reports-%d-%s" % (page + 1, kind))
        for ext, type_index in FORMS:
            name = os.path.join(out_dir, kind)  # no extension: the type adds it
            r.run("click", EXPORT)
            title = DIALOG_TITLES[page]
            d.wait_for(lambda: r.run("save", title, "Z:" + name.replace("/", "\\"), type_index)[0] == 0, 15)
            box = r.wait_box("Successfully export")
            exported = name + "." + ext
            check(box is not None and ("'Z:%s'" % exported.replace("/", "\\")) in box[0],
                  "%s as %s: the question names the file: %s" % (kind, ext, box))
            r.run("answer", IDNO)
            d.wait_for(lambda: r.box() is None, 10)
            want = os.path.join(out_dir, "cli-%s.%s" % (kind, ext))
            rc = cli_report(d, report, kind, ext, "Z:" + history.replace("/", "\\"), "Z:" + want.replace("/", "\\"))
            same = rc == 0 and os.path.exists(exported) and open(exported, "rb").read() == open(want, "rb").read()
            check(same, "%s as %s is what quellmark-report writes" % (kind, ext))


def sorting_and_selection(d, r):
    r.run("tab", 1)
    s = r.wait_sheet(lambda s: s["page"] == "1" and s["rows"])
    dates = [row[0] for row in s["rows"]]
    check(len(s["rows"]) == len(DIALUP), "the daily list has a row per stored day: %d" % len(s["rows"]))
    check(dates[0] == TODAY.strftime("%m/%d/%Y"), "newest first, today on top: %s" % dates[:2])
    r.run("header", 2)
    s = r.wait_sheet(lambda s: [row[2] for row in s["rows"]][:2] == ["900 B", "1.0 KB"])
    downs = [row[2] for row in s["rows"]] if s else []
    check(downs and downs == sorted(downs, key=value) and downs.index("2.50 MB") > downs.index("1.0 KB"),
          "clicking Downloaded sorts by bytes: %s" % downs)
    d.shot("reports-6-daily-sorted")
    r.run("header", 2)
    s = r.wait_sheet(lambda s: s["rows"][0][2] == "2.50 MB")
    check(s is not None, "clicking it again reverses the order")
    today_text = TODAY.strftime("%m/%d/%Y")
    older = (TODAY - datetime.timedelta(days=3)).strftime("%m/%d/%Y")
    rows = [i for i, row in enumerate(s["rows"]) if row[0] in (today_text, older)] if s else []
    r.run("select", *rows)
    want = "Selected: 2   Down: %s   Up: %s   Both: %s" % (amount(4096 + 900), amount(512 + 10),
                                                            amount(4096 + 900 + 512 + 10))
    s = r.wait_sheet(lambda s: s["controls"].get(SELECTION) == want)
    check(s is not None, "selecting today and an older day: %s" % want)
    r.run("select")
    s = r.wait_sheet(lambda s: s["controls"].get(SELECTION) == "Selected: 0")
    check(s is not None, "and nothing selected reads Selected: 0")


def last_days(d, r):
    r.run("tab", 0)
    r.wait_sheet(lambda s: s["page"] == "0")
    r.run("type", LAST_DAYS, "0")
    s = r.wait_sheet(lambda s: all(s["controls"].get(FIGURES + 12 + i) == "" for i in range(3)))
    check(s is not None, "typing 0 empties the last-days figures")
    r.run("type", LAST_DAYS, "1")
    s = r.wait_sheet(lambda s: [s["controls"].get(FIGURES + 12 + i) for i in range(3)] ==
                     [s["controls"].get(FIGURES + i) for i in range(3)])
    check(s is not None and s["controls"].get(FIGURES + 12) == amount(4096), "typing 1 shows today's figures")
    r.run("type", LAST_DAYS, "7")


def restore(d, r, history):
    backup = os.path.join(d.work, "exports", "backup.log")
    shutil.copyfile(history, backup)
    base, ext = os.path.splitext(history)
    taken = base + "_1" + ext
    with open(taken, "wb") as f:
        f.write(b"taken")
    r.run("click", RESTORE)
    d.wait_for(lambda: r.run("save", "Open", "Z:" + backup.replace("/", "\\"), 0)[0] == 0, 15)
    box = r.wait_box("The new change won't take effect until the program restarts.")
    check(box is not None, "Restore tells that the change waits for a restart")
    r.run("answer", IDOK)
    second = base + "_2" + ext
    check(open(taken, "rb").read() == b"taken", "the existing _1 copy stays as it was")
    check(os.path.exists(second) and open(second, "rb").read() == open(backup, "rb").read(),
          "the backup is copied to the name with _2")
    s = r.wait_sheet(lambda s: s["controls"].get(LOG_PATH, "").endswith("_2" + ext))
    check(s is not None, "and the page shows that path")
    return second


def clear(d, r, history):
    r.run("click", CLEAR)
    box = r.wait_box("Are you sure you want to clear all traffic logs?")
    check(box is not None, "Clear asks first")
    r.run("answer", IDYES)
    r.run("tab", 1)
    s = r.wait_sheet(lambda s: s["page"] == "1" and len(s["rows"]) == 1)
    check(s is not None and s["rows"][0][0] == TODAY.strftime("%m/%d/%Y"), "after Clear the daily list holds today only")
    records = history_records(history) or []
    check(all(rec["date"] == (TODAY.year, TODAY.month, TODAY.day) for rec in records) and
          os.path.getsize(history) < 24 + 296 * 3, "the program's history file is emptied: %d records" % len(records))


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    program, meter_driver, driver, report = map(os.path.abspath, sys.argv[1:])
    work = work_folder("reports_e2e")
    d = Desktop(program, meter_driver, work)
    # The desktop test's prefix, when it has one: booting another costs minutes.
    shared = os.path.abspath(os.path.join("desktop_e2e", "wineprefix"))
    if os.path.exists(os.path.join(shared, "system.reg")):
        d.prefix = d.env["WINEPREFIX"] = shared
    r = Reports(d, driver)
    try:
        d.setup()
        d.drive("reset")
        d.drive("setopt", "FirstRun", 0)
        history = os.path.join(work, "history", "TrafficHistory.log")
        shutil.rmtree(os.path.dirname(history), ignore_errors=True)
        crafted_history(history)
        r.run("setlog", "Z:" + history.replace("/", "\\"))
        p = d.start("reports-start")
        if check(d.wait_for(lambda: d.info().get("visible") == "1", 30), "the program starts"):
            if open_window(d, r):
                switch_adapter(d, r)
                exports(d, r, report, history)
                sorting_and_selection(d, r)
                last_days(d, r)
                restored = restore(d, r, history)
                clear(d, r, history)
                r.run("click", IDCANCEL)
                check(d.wait_for(lambda: r.sheet() is None, 10), "Close closes the window")
                opts = d.options()
                check(opts.get("SumLastDays") == "7", "the last-days number is saved: %s" % opts.get("SumLastDays"))
                check(linux_path(d.prefix, opts.get("TrafficLogFile", "C:\\x")) == restored,
                      "the restored file is the log of the next start: %s" % opts.get("TrafficLogFile"))
            d.drive("command", ID_EXIT)
            check(ends(d, p), "Exit ends the program")
    finally:
        d.close()
    return summary(work)


if __name__ == "__main__":
    sys.exit(main())
