"""Wine prefixes, private X displays and process figures for the
measurement scripts under Wine. Prefixes and displays are made as the
end-to-end tests make theirs (tests/e2e/harness.py), on display numbers
of the measurements' own.

    env, xvfb = session(build, prefix, display=True)
    try:
        ... run programs with env, read cpu_seconds(pid), rss_kib(pid) ...
    finally:
        end(env, xvfb)
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import WINE, WINE_ENV, WINESERVER, fresh_prefix, start_display, stop_display  # noqa: E402,F401

DISPLAYS = range(200, 240)


def session(build, prefix, display=False, fresh=False, keep_server=False):
    """The environment of a prefix (booted when it has none yet, or anew
    with `fresh`, from the template of the build tree `build`) and, with
    `display`, a private Xvfb: (env, xvfb or None)."""
    env = dict(os.environ, WINEPREFIX=prefix, **WINE_ENV)
    env.pop("DISPLAY", None)
    if fresh or not os.path.exists(os.path.join(prefix, "system.reg")):
        fresh_prefix(prefix, build)
    subprocess.run([WINESERVER, "-w"], env=env, timeout=300)
    if keep_server:
        # Services live as long as the server: keep it until end().
        subprocess.run([WINESERVER, "-p"], env=env, timeout=30)
    xvfb = None
    if display:
        xvfb, env["DISPLAY"] = start_display(DISPLAYS)
    return env, xvfb


def end(env, xvfb=None):
    """Ends the prefix's Wine server (that prefix only) and the display."""
    subprocess.run([WINESERVER, "-k"], env=env, timeout=60)
    if xvfb:
        stop_display(xvfb)


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0
