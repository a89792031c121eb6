#!/usr/bin/python3
"""The traffic reports window on a ten-year history of 16 adapters (58,400
records) under Wine: for each page, the time until it is filled and the
cost of one refresh of the page (the work of its one-second timer), and
the CPU time the open window spends per second all told.

Runs reports_window_bench.exe on a private X display in a Wine prefix of
its own (made on the first run), each page RUNS times, and prints the
median of each figure.

Usage (build/win built; see README, "The traffic reports window"):
  bench/desktop/measure_reports_window.py build/win [RUNS] [SECONDS]
"""
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from wine_session import WINE, end, session  # noqa: E402

PAGES = ["Summary", "Daily", "Weekly", "Monthly"]


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    seconds = sys.argv[3] if len(sys.argv) > 3 else "10"
    exe = os.path.join(build, "bench", "desktop", "reports_window_bench.exe")
    work = os.path.join(build, "bench", "desktop", "reports_window")
    os.makedirs(work, exist_ok=True)
    env, xvfb = session(build, os.path.join(work, "wineprefix"), display=True)
    try:
        for page, name in enumerate(PAGES):
            figures = {}
            for n in range(runs):
                out = os.path.join(work, "%s-%d.txt" % (name, n))
                with open(out, "wb") as f:
                    subprocess.run([WINE, exe, str(page), seconds], env=env, stdin=subprocess.DEVNULL, stdout=f,
                                   stderr=subprocess.STDOUT, timeout=600)
                with open(out) as f:
                    for line in f:
                        key, _, value = line.strip().partition("=")
                        if value:
                            figures.setdefault(key, []).append(float(value))
            print("%-8s first page %6.1f ms   one refresh %6.1f us   open window %5.2f ms CPU per second"
                  "   (%d records, median of %d)" % (
                      name, statistics.median(figures.get("first_page_ms", [0])),
                      statistics.median(figures.get("refresh_us", [0])),
                      statistics.median(figures.get("cpu_ms_per_second", [0])),
                int(statistics.median(figures.get("rows", [0]))), runs), flush=True)
    finally:
        end(env, xvfb)


if __name__ == "__main__":
    main()
