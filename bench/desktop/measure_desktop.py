#!/usr/bin/python3
"""CPU and memory of the desktop program under Wine, against a bare window.

Runs each program alone on a private X display in a Wine prefix of its
own for MINUTES minutes (default 5) and reports, from /proc, the CPU time
the program's process spent per minute over the last part of the run and
its resident memory at the end. Quellmark runs with three graph views
shown (All Connections, Dial-Up Connections and the first real adapter).
The bare window runs twice: alone, and with the system libraries the
program loads (COM, common controls, the shell) loaded too.

Usage (build/win built; see README, "Desktop measurement"):
  bench/desktop/measure_desktop.py build/win [MINUTES]
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from wine_session import WINE, WINESERVER, cpu_seconds, end, rss_kib, session  # noqa: E402

def measure(name, exe, env, minutes, driver=None, args=()):
    if driver:
        # Three views sharing the height, as a user who shows them all.
        keys = ["100-", "200-"]
        if os.path.exists("/sys/class/net/eth0/ifindex"):
            with open("/sys/class/net/eth0/ifindex") as f:
                keys.append("300-{%08X-0000-0000-0000-4E6574446576}" % int(f.read()))
        for key in keys:
            subprocess.run([WINE, driver, "view", key, "0.32"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
    with open(os.path.join(env["WINEPREFIX"], "..", name + ".log"), "wb") as log:
        p = subprocess.Popen([WINE, exe] + list(args), env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    try:
        warm = 30
        time.sleep(warm)
        c0, t0 = cpu_seconds(p.pid), time.time()
        time.sleep(minutes * 60 - warm)
        c1, t1 = cpu_seconds(p.pid), time.time()
        rss = rss_kib(p.pid)
    finally:
        p.kill()
        p.wait()
    per_minute = (c1 - c0) / ((t1 - t0) / 60)
    print("%-10s CPU %.3f s per minute, RSS %.1f MiB after %d min" % (name, per_minute, rss / 1024, minutes))
    return per_minute, rss


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/win")
    minutes = float(sys.argv[2]) if len(sys.argv) > 2 else 5
    work = os.path.join(build, "measure-desktop")
    env, xvfb = session(build, os.path.join(work, "wineprefix"), display=True)
    try:
        bare_exe = os.path.join(build, "bench", "desktop", "bare_window.exe")
        bare = measure("bare", bare_exe, env, minutes)
        subprocess.run([WINESERVER, "-k"], env=env, timeout=60)
        libs = measure("bare+libs", bare_exe, env, minutes, args=["--system-libraries"])
        subprocess.run([WINESERVER, "-k"], env=env, timeout=60)
        desk = measure("Quellmark", os.path.join(build, "meter", "Quellmark.exe"), env, minutes,
                       driver=os.path.join(build, "tests", "e2e", "meter_driver.exe"))
        print("difference: CPU %+.3f s per minute, RSS %+.1f MiB (%+.1f MiB over the bare window with the "
              "same system libraries)" % (desk[0] - bare[0], (desk[1] - bare[1]) / 1024, (desk[1] - libs[1]) / 1024))
    finally:
        end(env, xvfb)


if __name__ == "__main__":
    main()
