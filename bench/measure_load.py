#!/usr/bin/python3
"""How much of the machine Quellmark takes, each figure against its floor
measured in the same run, natively and under Wine.

Rows:
  tick, 3 adapters with traffic / 3 idle adapters (Wine): the engine's tick
      against the literal pattern of reading everything every second
      (GetAdaptersInfo twice, GetIfEntry per adapter), with the system calls
      no tick can do without beside it. The Wine prefix runs in a network
      namespace of this script's own with exactly three veth pairs
      (198.51.100.0/24) into a second one: idle first, then with bounded UDP
      traffic across them.
  allocations per adapter per tick, and the steady tick's CPU per adapter
      at 2, 16 and 64 adapters (native, bench_engine): a lookup that grows
      with the number of adapters shows as a per-adapter time that grows.
  service resident memory (Wine): QuellmarkService.exe against the empty
      service and the counting service (bench/service_memory).
  reports over ten years of 16 adapters against a plain 64 KiB-block read of
      the same file (report_timing, natively and under Wine).

Needs root (network namespaces), both trees built (`make build`; this
builds build/bench itself) and a machine that is not running the shared
test lock's tests for this script's own sake: it takes no lock, and its
figures are medians of batches that alternate with their floors.

Usage: bench/measure_load.py [--quick]
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "bench", "service_memory"))
import measure_service  # noqa: E402

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
METER_NS, PEER_NS = "qmldmeter", "qmldpeer"
PAIRS = [("qmld0m", "qmld0p", "198.51.100.1", "198.51.100.2"),
         ("qmld1m", "qmld1p", "198.51.100.5", "198.51.100.6"),
         ("qmld2m", "qmld2p", "198.51.100.9", "198.51.100.10")]

# Bounded UDP traffic from the meter's namespace to the three peers: at
# most LIMIT bytes and SECONDS seconds, about 50 datagrams a second each.
TRAFFIC = r"""
import socket, sys, time
peers, limit, seconds = sys.argv[1].split(","), int(sys.argv[2]), float(sys.argv[3])
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sent, end = 0, time.monotonic() + seconds
while sent < limit and time.monotonic() < end:
    for p in peers:
        sent += s.sendto(b"q" * 1000, (p, 9))
    time.sleep(0.02)
"""


def run(args, check=True, **kw):
    r = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, timeout=kw.pop("timeout", 120), **kw)
    if check and r.returncode != 0:
        raise RuntimeError("%s: %s" % (" ".join(args), r.stderr.decode(errors="replace").strip()))
    return r


# --- Native -----------------------------------------------------------------

def build_native_bench():
    tree = os.path.join(ROOT, "build", "bench")
    run(["cmake", "-S", ROOT, "-B", tree, "-DCMAKE_BUILD_TYPE=Release", "-DQM_SANITIZE=OFF"], timeout=600)
    run(["cmake", "--build", tree, "-j2", "--target", "bench_engine", "report_timing"], timeout=1800)
    return tree


def native_ticks(tree):
    """{(name, adapters): (median CPU ns, allocations per adapter per tick)}."""
    r = run([os.path.join(tree, "bench", "engine", "bench_engine"), "--benchmark_filter=BM_DesktopTick",
             "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
            timeout=600)
    out = {}
    for b in json.loads(r.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            name, n = b["run_name"].split("/")
            out[(name, int(n))] = (b["cpu_time"], b.get("allocs_per_adapter_tick", 0.0))
    return out


def parse_report_timing(text):
    """{row: (ms, ratio)} from report_timing's output."""
    rows = {}
    for line in text.splitlines():
        m = re.match(r"(.+?)\s+([\d.]+)\s+([\d.]+)\s*$", line)
        if m and not line.startswith("history"):
            rows[re.sub(r" \(\d+ bytes\)", "", m.group(1)).strip()] = (float(m.group(2)), float(m.group(3)))
    return rows


def native_reports(tree, batches):
    with tempfile.TemporaryDirectory() as folder:
        r = run([os.path.join(tree, "bench", "reports", "report_timing"), str(batches), "5"], cwd=folder,
                timeout=900)
    return parse_report_timing(r.stdout.decode())


# --- Wine in a namespace of our own -------------------------------------------

def make_namespaces():
    remove_namespaces()
    for ns in (METER_NS, PEER_NS):
        run(["ip", "netns", "add", ns])
        run(["ip", "netns", "exec", ns, "ip", "link", "set", "lo", "up"])
        # No IPv6: its router and neighbour messages would make idle
        # adapters count.
        run(["ip", "netns", "exec", ns, "sysctl", "-q", "-w", "net.ipv6.conf.all.disable_ipv6=1",
             "net.ipv6.conf.default.disable_ipv6=1"])
    for meter, peer, meter_ip, peer_ip in PAIRS:
        run(["ip", "link", "add", meter, "netns", METER_NS, "type", "veth", "peer", "name", peer, "netns", PEER_NS])
        run(["ip", "netns", "exec", METER_NS, "ip", "addr", "add", meter_ip + "/30", "dev", meter])
        run(["ip", "netns", "exec", PEER_NS, "ip", "addr", "add", peer_ip + "/30", "dev", peer])
        run(["ip", "netns", "exec", METER_NS, "ip", "link", "set", meter, "up"])
        run(["ip", "netns", "exec", PEER_NS, "ip", "link", "set", peer, "up"])


def remove_namespaces():
    for ns in (METER_NS, PEER_NS):
        run(["ip", "netns", "del", ns], check=False)


class NamespacedWine:
    """A Wine prefix whose server and programs all live in METER_NS."""

    def __init__(self, prefix):
        self.prefix = prefix
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)

    def _ns(self, *args):
        return ["ip", "netns", "exec", METER_NS] + list(args)

    def start(self):
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(self.prefix)
        self.run(WINE, "wineboot", "-i")
        subprocess.run(self._ns(WINESERVER, "-w"), env=self.env, timeout=120)
        subprocess.run(self._ns(WINESERVER, "-p"), env=self.env, timeout=30)

    def run(self, *args, timeout=900):
        """The program's standard output; through a file, as Wine's helpers
        inherit pipes and outlive the program."""
        with tempfile.TemporaryFile() as out:
            subprocess.run(self._ns(*args), env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                           stderr=subprocess.DEVNULL, timeout=timeout, cwd=self.prefix)
            out.seek(0)
            return out.read().decode(errors="replace")

    def stop(self):
        subprocess.run(self._ns(WINESERVER, "-k"), env=self.env, timeout=30)


def parse_tick(text):
    got = {}
    m = re.search(r"adapters (\d+) \(reading zero: (\d+)\)", text)
    if m:
        got["adapters"], got["idle"] = int(m.group(1)), int(m.group(2))
    for key, pattern in (("pattern", r"literal pattern\s+([\d.]+)"), ("tick", r"engine tick\s+([\d.]+)"),
                         ("ratio", r"tick / pattern\s+([\d.]+)"),
                         ("table", r"counter table alone / pattern\s+([\d.]+)"),
                         ("tables", r"counter and address tables / pattern\s+([\d.]+)")):
        m = re.search(pattern, text)
        if m:
            got[key] = float(m.group(1))
    return got


def wine_figures(win, batches):
    prefix = os.path.join(win, "measure-load-prefix")
    wine = NamespacedWine(prefix)
    timing = os.path.join(win, "tests", "engine", "adapter_source_timing.exe")
    reports = os.path.join(win, "tests", "reports", "report_timing.exe")
    traffic = None
    make_namespaces()
    try:
        wine.start()
        idle = parse_tick(wine.run(WINE, timing, str(batches), "20"))
        traffic = subprocess.Popen(["ip", "netns", "exec", METER_NS, "/usr/bin/python3", "-c", TRAFFIC,
                                    ",".join(p[3] for p in PAIRS), str(200 * 1000 * 1000), "300"],
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(2)
        busy = parse_tick(wine.run(WINE, timing, str(batches), "20"))
        traffic.terminate()
        traffic.wait(timeout=30)
        traffic = None
        report_rows = parse_report_timing(wine.run(WINE, reports, str(batches), "5"))
        return idle, busy, report_rows
    finally:
        if traffic is not None:
            traffic.terminate()
            traffic.wait(timeout=30)
        wine.stop()
        remove_namespaces()
        shutil.rmtree(prefix, ignore_errors=True)


# --- The table ----------------------------------------------------------------

def main():
    if os.geteuid() != 0:
        sys.exit("needs root: the Wine figures run in network namespaces of their own")
    quick = "--quick" in sys.argv[1:]
    batches, memory_runs, memory_seconds = (7, 1, 10) if quick else (21, 3, 15)
    win = os.path.join(ROOT, "build", "win")
    started = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())

    tree = build_native_bench()
    ticks = native_ticks(tree)
    native_rows = native_reports(tree, batches)
    idle, busy, wine_rows = wine_figures(win, batches)
    memory = measure_service.measure_all(win, memory_seconds, memory_runs)

    print("Quellmark load figures, %s, %d cores, load average at start %s" %
          (started, os.cpu_count(), " ".join(open("/proc/loadavg").read().split()[:3])))
    print()
    print("%-52s %12s %12s %8s %s" % ("measure", "now", "floor", "ratio", "goal"))

    def row(name, now, floor, ratio, goal):
        print("%-52s %12s %12s %8s %s" % (name, now, floor, ratio, goal))

    for label, t in (("Wine tick, 3 adapters with traffic", busy), ("Wine tick, 3 idle adapters", idle)):
        if "ratio" not in t:
            row(label, "-", "-", "-", "(no figures)")
            continue
        row("%s (%d listed, %d reading zero)" % (label, t["adapters"], t["idle"]), "%.3f ms" % t["tick"],
            "%.3f ms" % t["pattern"], "%.2f" % t["ratio"], "<= 0.3 x literal pattern")
        row("  the counter table alone", "", "", "%.2f" % t["table"], "(no tick reads less)")
        row("  counter and address tables", "", "", "%.2f" % t["tables"],
            "(no tick reads less where changes are not notified)")
    allocs = max(a for _, a in ticks.values())
    row("allocations per adapter per tick (native)", "%.2f" % allocs, "0", "", "0 in steady state")
    per = {n: ticks[("BM_DesktopTickTable", n)][0] / n for n in (2, 16, 64) if ("BM_DesktopTickTable", n) in ticks}
    if len(per) == 3:
        row("tick CPU per adapter at 2/16/64 adapters (native)", "%.0f/%.0f/%.0f ns" % (per[2], per[16], per[64]),
            "%.0f ns" % per[2], "%.2f" % (per[64] / per[2]), "constant-time lookup: 64 like 2")
    service = memory["QuellmarkService.exe"][0]
    empty = memory["empty service"][0]
    counting = memory["counting service"][0]
    row("service resident memory (Wine)", "%.1f MB" % (service / 1024), "%.1f MB" % (empty / 1024),
        "%+.1f MB" % ((service - empty) / 1024), "<= empty service + 1.5 MB")
    row("  against the counting service", "", "%.1f MB" % (counting / 1024),
        "%+.1f MB" % ((service - counting) / 1024), "(the system's libraries for counting included)")
    for where, rows in (("native", native_rows), ("Wine", wine_rows)):
        floor = rows.get("plain 64 KiB-block read", (0, 0))[0]
        for name in ("daily text", "daily HTML", "weekly text", "monthly text", "summary text"):
            if name in rows:
                row("%s report, 10 y x 16 adapters (%s)" % (name, where), "%.2f ms" % rows[name][0],
                    "%.2f ms" % floor, "%.2f" % rows[name][1], "<= 1.5 x plain read")
    return 0


if __name__ == "__main__":
    sys.exit(main())
