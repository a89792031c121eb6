#!/usr/bin/python3
"""quellmark-report --format json against its text report.

For every report kind of the fixture history, the JSON must parse with
Python's json module, hold the documented fields, and carry the very
figures the text report shows: each row's dates, day or number and
amounts (the exact byte counts formatted as the text formats them), the
range, and the summary's six lines. Bad input gives status 2 and one line,
as for the other forms.

    report_json_test.py PROGRAM TEST_SOURCE_DIR
"""
import json
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
from report_amounts import format_amount as amount  # noqa: E402

ARGS = ["--adapter", "300:{00000002-0000-0000-0000-4E6574446576}", "--name", 'LAN <eth0> & "Home"',
        "--today", "2026-01-20", "--week-start", "1", "--month-start", "15", "--date-format", "YYYY-MM-DD",
        "--last-days", "7"]
passes, failures = [], []


def check(cond, what):
    (passes if cond else failures).append(what)
    if not cond:
        print("FAIL " + what)


def report(program, history, *args):
    with tempfile.TemporaryFile() as o, tempfile.TemporaryFile() as e:
        p = subprocess.run([program] + list(args) + [history], stdout=o, stderr=e, stdin=subprocess.DEVNULL,
                           timeout=60)
        o.seek(0)
        e.seek(0)
        return p.returncode, o.read().decode("latin-1"), e.read().decode("latin-1")


def table_rows(text):
    """The body lines of a text report, split on runs of two or more spaces."""
    rows = []
    for line in text.split("\r\n"):
        if re.match(r"^ +(\d{4}-\d\d-\d\d |\d+ |[A-Z][a-z ]+\d* ?[A-Za-z]*:)", line):
            rows.append(re.split(r"\s{2,}", line.strip()))
    return rows


def amounts(figure):
    return [amount(figure["download"]), amount(figure["upload"]), amount(figure["both"])]


def main():
    program, source = sys.argv[1:3]
    history = os.path.join(source, "fixtures", "small_history.log")
    for kind in ("daily", "weekly", "monthly", "summary"):
        rc, text, _ = report(program, history, "--report", kind, *ARGS)
        jrc, out, err = report(program, history, "--report", kind, "--format", "json", *ARGS)
        check(rc == 0 and jrc == 0 and err == "", "%s: both forms are written (%d %d %r)" % (kind, rc, jrc, err))
        try:
            data = json.loads(out)
        except ValueError as e:
            check(False, "%s: the JSON parses: %s" % (kind, e))
            continue
        check(data["report"] == kind and data["today"] == "2026-01-20", "%s: kind and day" % kind)
        check(data["subject"] == {"kind": 300, "id": "{00000002-0000-0000-0000-4E6574446576}",
                                  "name": 'LAN <eth0> & "Home"'}, "%s: subject %r" % (kind, data["subject"]))
        rng = data["range"]
        check("[%s --- %s]" % (rng["first"], rng["last"]) in text, "%s: the text's range %r" % (kind, rng))
        shown = table_rows(text)
        if kind == "summary":
            s = data["summary"]
            labels = ["Today:", "This Week:", "This Month:", "This Year:", "Last %d Days:" % s["lastDays"]["days"],
                      "Total:"]
            figures = [s["today"], s["week"], s["month"], s["year"], s["lastDays"], s["total"]]
            want = [[label] + amounts(f) for label, f in zip(labels, figures)]
            check(all(f["both"] == min(f["download"] + f["upload"], 2 ** 64 - 1) for f in figures),
                  "summary: both is the sum")
        else:
            want = []
            for row in data["rows"]:
                if kind == "daily":
                    check(row["first"] == row["last"], "daily: one day a row")
                    want.append([row["first"], row["day"]] + amounts(row))
                else:
                    want.append([str(row["number"]), "%s -- %s" % (row["first"], row["last"])] + amounts(row))
            check(sum(r["current"] for r in data["rows"]) <= 1, "%s: at most one current row" % kind)
        check(want == shown, "%s: the JSON's figures are the text's:\n%r\n%r" % (kind, want, shown))

    # Bad input: status 2, one line, nothing on standard output.
    for args in (["--format", "json", "--today", "2026-02-30"], ["--format", "jsn"]):
        rc, out, err = report(program, history, *args)
        check(rc == 2 and out == "" and err.count("\n") == 1, "bad input %s: %d %r %r" % (args, rc, out, err))
    print("%d passed, %d failed" % (len(passes), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
