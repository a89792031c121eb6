#!/usr/bin/python3
"""End-to-end test of the history file at start and at exit.

A file at the history path that is not a history file is kept under another
name, and the program says where. Then the last write at exit on a full
disk: the history file lies on a small tmpfs of the test's own (in a mount
namespace of its own, so nothing outlives the test) that is filled up while
Quellmark runs: the records of today cannot be appended when the program
exits. The program must say so and offer to try again; after room is made,
Retry writes today's records and the program ends. A second run answers
Cancel: the program ends without them and the file keeps what it had. A
third run ends the program as a setup or uninstaller does, with Exit sent
from another process: nobody is there to answer, so it must end unasked.

Needs root (mount); skipped otherwise.

Usage: history_file_e2e.py Quellmark.exe meter_driver.exe reports_driver.exe
"""
import datetime
import os
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE]
from harness import SKIP, Desktop, check, ends, summary, work_folder  # noqa: E402
from history_records import history_records  # noqa: E402
from reports_e2e import Reports, record  # noqa: E402

ID_EXIT = 32795
IDOK, IDCANCEL, IDRETRY = 1, 2, 4
OLD_DAYS = 13  # header and 13 records fill most of one 4 KiB page


def craft(path):
    with open(path, "wb") as f:
        f.write(b"NTSL" + struct.pack("<I", 2) + bytes(16))
        for day in range(OLD_DAYS):
            f.write(record(-30 + day, 100, 1000 + day, 10 + day))


def fill(folder):
    """Fills the file system up (it is 64 KiB); the filler's path."""
    filler = os.path.join(folder, "filler")
    fd = os.open(filler, os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
    try:
        while True:
            os.write(fd, bytes(4096))
    except OSError:
        pass
    finally:
        os.close(fd)
    return filler


def box_text(r):
    _, lines = r.run("box")
    return "\n".join(lines) if "found=1" in lines else ""


def quiet_minute():
    """Away from the four-minute flushes: a run takes well under a minute."""
    now = datetime.datetime.now()
    if now.minute % 4 == 3:
        time.sleep(60 - now.second + 2)


def moved_aside(d, r, history):
    """Not a history file: kept under another name, and said so."""
    with open(history, "wb") as f:
        f.write(b"Date,Downloaded,Uploaded\r\n")
    p = d.start("aside")
    text = d.wait_for(lambda: box_text(r), 30)
    aside = os.path.join(os.path.dirname(history), "TrafficHistory.unrecognized-1.log")
    check("is not a traffic log file" in text and "TrafficHistory.unrecognized-1.log" in text,
          "a file that is not a history file is said to be kept under another name: %r" % text)
    check(open(aside, "rb").read() == b"Date,Downloaded,Uploaded\r\n", "and it is kept whole under that name")
    check(history_records(history) == [], "a new history file takes its place")
    d.shot("aside-box")
    r.run("answer", IDOK)
    d.wait_for(lambda: not box_text(r), 10)
    d.drive("command", ID_EXIT)
    check(ends(d, p), "aside: the program ends")
    os.remove(aside)


def run(d, r, history, folder, answer, name):
    """Exits on a full disk and answers; what the file then holds."""
    quiet_minute()
    craft(history)
    filler = fill(folder)
    p = d.start(name)
    if not check(d.wait_for(lambda: d.info().get("visible") == "1", 30), "%s: the program starts" % name):
        return
    time.sleep(2)  # a few ticks
    d.drive("command", ID_EXIT)
    text = d.wait_for(lambda: box_text(r), 20)
    check("Failed to write traffic log file" in text and "is lost when Quellmark exits" in text,
          "%s: exit on a full disk says that today's traffic would be lost: %r" % (name, text))
    records = history_records(history) or []
    check(len(records) == OLD_DAYS, "%s: meanwhile the file keeps its %d records" % (name, OLD_DAYS))
    d.shot(name + "-box")
    if answer == IDRETRY:
        os.remove(filler)
    r.run("answer", answer)
    check(ends(d, p), "%s: the program then ends" % name)
    if os.path.exists(filler):
        os.remove(filler)
    return history_records(history) or []


def sent_exit(d, r, history, folder):
    """A setup ends the program on a full disk: it ends without asking."""
    quiet_minute()
    craft(history)
    old = history_records(history)
    filler = fill(folder)
    p = d.start("sent")
    if check(d.wait_for(lambda: d.info().get("visible") == "1", 30), "sent: the program starts"):
        time.sleep(2)  # a few ticks
        d.drive("sendcommand", ID_EXIT)
        ended = ends(d, p)
        check(ended, "an Exit sent by a setup on a full disk ends the program without a question")
        if not ended:
            r.run("answer", IDCANCEL)
            ends(d, p)
    os.remove(filler)
    check(history_records(history) == old, "sent: the file keeps what it had")


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    if os.geteuid() != 0:
        print("skipped: needs root to mount a small file system")
        return SKIP
    if not os.environ.get("QM_OWN_MOUNTS"):
        # Everything below in a mount namespace of its own: the tmpfs ends with it.
        env = dict(os.environ, QM_OWN_MOUNTS="1")
        args = ["unshare", "--mount", "--propagation", "private", sys.executable] + sys.argv
        return subprocess.run(args, env=env, stdin=subprocess.DEVNULL).returncode
    program, meter_driver, driver = map(os.path.abspath, sys.argv[1:])
    work = work_folder("history_file_e2e")
    folder = os.path.join(work, "small")
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", folder], check=True)
    history = os.path.join(folder, "TrafficHistory.log")
    d = Desktop(program, meter_driver, work)
    r = Reports(d, driver)
    today = datetime.date.today()
    try:
        d.setup()
        d.drive("reset")
        d.drive("setopt", "FirstRun", 0)
        r.run("setlog", "Z:" + history.replace("/", "\\"))
        moved_aside(d, r, history)

        craft(history)
        old = history_records(history)
        records = run(d, r, history, folder, IDRETRY, "retry") or []
        todays = [rec for rec in records if rec["date"] == (today.year, today.month, today.day)]
        check(records[:OLD_DAYS] == old and {rec["kind"] for rec in todays} >= {100, 200},
              "Retry after room was made writes today's records after the old ones: %s" %
              [(rec["kind"], rec["id"]) for rec in records[OLD_DAYS:]])

        records = run(d, r, history, folder, IDCANCEL, "cancel")
        check(records == old, "Cancel ends without them, the file as it was")

        sent_exit(d, r, history, folder)
    finally:
        d.close()
        subprocess.run(["umount", folder])
    return summary(work)


if __name__ == "__main__":
    sys.exit(main())
