#!/usr/bin/python3
"""Adapters that come, change their address and go while the service runs.

The tick reads the adapter list only when something may have changed, so
this checks under Wine, with a real veth pair created and deleted while
QuellmarkService.exe runs, that the changes show in the next tick:
adapter_probe.exe runs the service's engine beside it a tick a second and
prints what each tick sees (the adapter's ID and address, or "absent"),
twice: reading the address table when told of a change, and every tick, as
where it cannot be told. The service must have counted every byte of the
pair's traffic, which it only can when it saw the adapter before the
traffic began.

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
from harness import SKIP, WINESERVER, check, lacks_root, summary  # noqa: E402
from service_e2e import Wine  # noqa: E402
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
    """One probe and its lines: tick number -> what it saw."""

    def __init__(self, path, label, args=()):
        self.path, self.label, self.args, self.process = path, label, list(args), None

    def start(self, env):
        with open(self.path, "wb") as out:
            self.process = subprocess.Popen(["/usr/lib/wine/wine64", r"C:\Quellmark\adapter_probe.exe", "watch",
                                             PAIR.host, str(WATCH_SECONDS)] + self.args, env=env,
                                            stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

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


def seen_in_next_tick(watches, change, pred, what, ok=lambda seen: True):
    """Makes the change; every watch must see it (its first line after the
    change that satisfies pred, which must be ok) in the next tick. The
    first watch's line."""
    befores = [w.last() for w in watches]
    change()
    first = None
    for w, before in zip(watches, befores):
        n, seen = w.wait(pred, before)
        check(n is not None and n <= before + TICKS_ALLOWED and ok(seen),
              "%s, %s (tick %s after %d: %r)" % (what, w.label, n, before, seen))
        first = seen if first is None else first
    return first


def ip(*args):
    subprocess.run(["ip"] + list(args), check=True, timeout=30)


def main():
    if lacks_root():
        return SKIP
    if len(sys.argv) != 3 or not all(os.path.exists(p) for p in sys.argv[1:]):
        print("usage: adapter_changes_e2e.py QuellmarkService.exe adapter_probe.exe")
        return 1
    service_exe, probe_exe = sys.argv[1:]
    build = os.environ.get("QM_BUILD_DIR", os.getcwd())
    wine = Wine(os.path.join(build, "e2e-adapters-prefix"))
    watches = []
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

        watches = [Watch(os.path.join(folder, "watch.txt"), "told of changes"),
                   Watch(os.path.join(folder, "watch-every-tick.txt"), "every tick", ["every-tick"])]
        for w in watches:
            w.start(wine.env)
        for w in watches:
            first, _ = w.wait(lambda seen: seen == "absent", 0, 30)
            check(first is not None, "the probe ticks, %s" % w.label)

        seen = seen_in_next_tick(watches, PAIR.create, lambda seen: seen != "absent",
                                 "a new adapter shows with its address in the next tick",
                                 lambda seen: seen.endswith(" " + PAIR.host_ip))
        adapter_id = seen.split()[0] if seen else ""

        processes = []
        got = PAIR.exchange(256 * 1024, 512 * 1024, processes)
        for p in processes:
            p.wait(timeout=30)
        check(got == 512 * 1024, "the traffic crossed the pair (%d bytes back)" % got)

        time.sleep(1.5)
        seen_in_next_tick(watches, lambda: (ip("addr", "add", "%s/30" % CHANGED_IP, "dev", PAIR.host),
                                            ip("addr", "del", "%s/30" % PAIR.host_ip, "dev", PAIR.host)),
                          lambda seen: seen.endswith(" " + CHANGED_IP), "a changed address shows in the next tick")

        # The tick reads the addresses only after the system told of a change,
        # and asks to be told again first: changes right after one was seen,
        # and two within one tick, must not fall between.
        def two_changes():
            for old, new in ((CHANGED_IP, SECOND_IP), (SECOND_IP, THIRD_IP)):
                ip("addr", "add", "%s/30" % new, "dev", PAIR.host)
                ip("addr", "del", "%s/30" % old, "dev", PAIR.host)
        seen_in_next_tick(watches, two_changes, lambda seen: seen.endswith(" " + THIRD_IP),
                          "two changes right after a change was seen show in the next tick")

        time.sleep(1.5)
        counted = PAIR.counters()
        # Wine 8 goes on listing a deleted interface for a while, with the
        # address 0.0.0.0; Windows drops it from the list.
        seen_in_next_tick(watches, PAIR.remove, lambda seen: seen == "absent" or seen.split()[-1] in ("-", "0.0.0.0"),
                          "a removed adapter is gone or without its address in the next tick")

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
        for w in watches:
            w.stop()
        PAIR.remove()
        subprocess.run([WINESERVER, "-k"], env=wine.env, timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
