#!/usr/bin/python3
"""Adapters that come, change their address and go while the service runs.

The tick reads the adapter list only when something may have changed, so
this checks under Wine, with a real veth pair created and deleted while
QuellmarkService.exe runs, that the changes show in the next tick:
adapter_probe.exe runs the service's engine beside it a tick a second and
prints what each tick sees (the adapter's ID and address, or "absent"); the
service must have counted every byte of the pair's traffic, which it only
can when it saw the adapter before the traffic began.

Needs root (network namespace). Everything it starts is ended by process id,
and the namespace and the pair are removed, also on failure.
"""

import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from history_records import history_records  # noqa: E402
from service_e2e import SKIP, Wine, check, failures, passes  # noqa: E402
from veth_pair import VethPair  # noqa: E402

TAG = "qa%d" % (os.getpid() % 100000)
# A /30 of its own within 198.51.100.0/24, and a second address for the change.
PAIR = VethPair(TAG, "198.51.100.221", "198.51.100.222", port=5221)
CHANGED_IP = "198.51.100.225"
# Two more changes, made within a second, right after the first was seen.
SECOND_IP, THIRD_IP = "198.51.100.229", "198.51.100.233"
WATCH_SECONDS = 90
# The probe's tick after the one under way when a change was made.
TICKS_ALLOWED = 2


class Watch:
    """The probe's lines: tick number -> what it saw."""

    def __init__(self, path):
        self.path = path

    def ticks(self):
        out = {}
        if os.path.exists(self.path):
            with open(self.path, "rb") as f:
                for line in f.read().decode("latin-1").splitlines():
                    m = re.fullmatch(r"(\d+) (.*)", line.strip())
                    if m:
                        out[int(m.group(1))] = m.group(2)
        return out

    def last(self):
        t = self.ticks()
        return max(t) if t else 0

    def wait(self, pred, after, seconds=15):
        """The first tick after `after` whose line satisfies pred, or None."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            for n, seen in sorted(self.ticks().items()):
                if n > after and pred(seen):
                    return n, seen
            time.sleep(0.2)
        return None, None


def main():
    if os.geteuid() != 0 or not shutil.which("ip"):
        print("skipped: needs root and iproute2 for the network namespace")
        return SKIP
    if len(sys.argv) != 3 or not all(os.path.exists(p) for p in sys.argv[1:]):
        print("usage: adapter_changes_e2e.py QuellmarkService.exe adapter_probe.exe")
        return 1
    service_exe, probe_exe = sys.argv[1:]
    build = os.environ.get("QM_BUILD_DIR", os.getcwd())
    wine = Wine(os.path.join(build, "e2e-adapters-prefix"))
    probe = None
    try:
        wine.boot_fresh()
        folder = wine.drive_c("Quellmark")
        os.makedirs(folder)
        shutil.copy(service_exe, folder)
        shutil.copy(probe_exe, folder)
        wine("reg", "add", r"HKLM\Software\Quellmark\Service", "/v", "ServiceEnabled", "/t", "REG_DWORD", "/d", "1",
             "/f", quiet=True)
        wine(r"C:\Quellmark\QuellmarkService.exe", "/install", quiet=True)
        wine("sc", "start", "QuellmarkService", quiet=True)
        check(wine.wait_state("RUNNING", 30), "the service runs")

        watch = Watch(os.path.join(folder, "watch.txt"))
        with open(watch.path, "wb") as out:
            probe = subprocess.Popen(["/usr/lib/wine/wine64", r"C:\Quellmark\adapter_probe.exe", "watch", PAIR.host,
                                      str(WATCH_SECONDS)], env=wine.env, stdin=subprocess.DEVNULL, stdout=out,
                                     stderr=subprocess.DEVNULL)
        first, _ = watch.wait(lambda seen: seen == "absent", 0, 30)
        check(first is not None, "the probe ticks")

        # A new adapter.
        before = watch.last()
        PAIR.create()
        n, seen = watch.wait(lambda seen: seen != "absent", before)
        check(n is not None and n <= before + TICKS_ALLOWED and seen.endswith(" " + PAIR.host_ip),
              "a new adapter shows with its address in the next tick (tick %s after %d: %r)" % (n, before, seen))
        adapter_id = seen.split()[0] if seen else ""

        processes = []
        got = PAIR.exchange(256 * 1024, 512 * 1024, processes)
        for p in processes:
            p.wait(timeout=30)
        check(got == 512 * 1024, "the traffic crossed the pair (%d bytes back)" % got)

        # A changed address.
        time.sleep(1.5)
        before = watch.last()
        subprocess.run(["ip", "addr", "add", "%s/30" % CHANGED_IP, "dev", PAIR.host], check=True, timeout=30)
        subprocess.run(["ip", "addr", "del", "%s/30" % PAIR.host_ip, "dev", PAIR.host], check=True, timeout=30)
        n, seen = watch.wait(lambda seen: seen.endswith(" " + CHANGED_IP), before)
        check(n is not None and n <= before + TICKS_ALLOWED,
              "a changed address shows in the next tick (tick %s after %d)" % (n, before))

        # The tick reads the addresses only after the system told of a change,
        # and asks to be told again first: changes right after one was seen,
        # and two within one tick, must not fall between.
        before = watch.last()
        for old, new in ((CHANGED_IP, SECOND_IP), (SECOND_IP, THIRD_IP)):
            subprocess.run(["ip", "addr", "add", "%s/30" % new, "dev", PAIR.host], check=True, timeout=30)
            subprocess.run(["ip", "addr", "del", "%s/30" % old, "dev", PAIR.host], check=True, timeout=30)
        n, seen = watch.wait(lambda seen: seen.endswith(" " + THIRD_IP), before)
        check(n is not None and n <= before + TICKS_ALLOWED,
              "two changes right after a change was seen show in the next tick (tick %s after %d)" % (n, before))

        # A removed adapter.
        time.sleep(1.5)
        counted = PAIR.counters()
        before = watch.last()
        PAIR.remove()
        # Wine 8 goes on listing a deleted interface for a while, with the
        # address 0.0.0.0; Windows drops it from the list.
        n, seen = watch.wait(lambda seen: seen == "absent" or seen.split()[-1] in ("-", "0.0.0.0"), before)
        check(n is not None and n <= before + TICKS_ALLOWED,
              "a removed adapter is gone or without its address in the next tick (tick %s after %d: %r)"
              % (n, before, seen))

        wine("sc", "stop", "QuellmarkService", quiet=True)
        check(wine.wait_state("STOPPED", 20), "the service stops")
        today = time.localtime()[:3]
        records = history_records(os.path.join(folder, "TrafficHistory.log")) or []
        mine = [r for r in records if r["id"] == adapter_id and r["date"] == today]
        totals = (mine[0]["down"], mine[0]["up"]) if mine else None
        # Everything the exchange moved, and no more than the kernel counted.
        check(totals is not None and 512 * 1024 <= totals[0] <= counted[0] and 256 * 1024 <= totals[1] <= counted[1],
              "the service counted the new adapter's traffic: %s, the kernel %s" % (totals, counted))
    finally:
        if probe and probe.poll() is None:
            probe.kill()
            probe.wait()
        PAIR.remove()
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=wine.env, timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    print("%d passed, %d failed" % (len(passes), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
