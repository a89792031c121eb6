#!/usr/bin/python3
"""Crash soak: the service under real traffic, killed with SIGKILL again and again.

    crash_soak.py [--kills N] [--seed S] [--minutes M] build/win/service/QuellmarkService.exe

Not part of the test suite (it runs for a quarter of an hour or more). It
takes the shared test lock itself, makes a Wine prefix of its own beside the
program (crash-soak-prefix), installs the service there and lets it count the
traffic of a veth pair into a network namespace of its own (198.51.100.204/30),
across which it keeps a bounded stream going. Each round starts the service
("sc start"), waits a random time, sometimes just past one of the engine's
four-minute flush boundaries, and kills the service process with SIGKILL
(and then the prefix's Wine server: Wine's service manager does not notice
a killed service). Then, before the next start, the history file must be

  - valid: the "NTSL" version 2 header and whole, plausible day records;
  - without two records of one adapter for one day;
  - never lower than after the round before, for every adapter;
  - for the veth adapter, no lower than what the service had counted at its
    last flush (the kernel's counters one tick before the boundary), and no
    higher than what the kernel counted while it ran.

So a kill loses at most what was counted since the last flush plus one tick.
The figures of every round and a summary are printed; exit status 0 when
every check held. Needs root (network namespace). Everything it starts is
ended by process id; the namespace and the veth pair are removed at the end.
"""

import argparse
import fcntl
import os
import random
import shutil
import signal
import socket
import struct
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from service_e2e import WINESERVER, Wine, log_lines, run  # noqa: E402

LOCK = "/tmp/quellmark-test.lock"
TAG = "qsk%d" % (os.getpid() % 100000)
NETNS = TAG + "ns"
VETH_HOST, VETH_PEER = TAG + "a", TAG + "b"
HOST_IP, PEER_IP, PREFIX_LEN = "198.51.100.205", "198.51.100.206", 30
PORT = 5205
FOLDER = "QuellmarkSoak"
# The stream across the pair never exceeds this, whatever the rounds.
BYTE_CAP = 8 << 30
# One tick of the service plus the jitter of its one-second wait under Wine.
TICK_SLACK = 2.0

SINK = r"""
import socket, sys, time
deadline = time.monotonic() + float(sys.argv[2])
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind((sys.argv[1], %d)); s.listen(1); s.settimeout(60)
c, _ = s.accept(); c.settimeout(60)
while time.monotonic() < deadline:
    b = c.recv(65536)
    if not b: break
    c.sendall(b"d" * (2 * len(b)))
c.close()
""" % PORT


class Stream:
    """Bounded traffic across the pair while not paused: chunks of up to
    32 KiB out, twice that back, with short random pauses."""

    def __init__(self, seconds, rng):
        self.paused = threading.Event()
        self.paused.set()
        self.stop = threading.Event()
        self.rng = rng
        self.bytes = 0
        self.end = time.monotonic() + seconds
        self.sock = None
        for _ in range(100):
            try:
                self.sock = socket.create_connection((PEER_IP, PORT), timeout=5)
                break
            except OSError:
                time.sleep(0.1)
        if self.sock is None:
            raise RuntimeError("cannot reach the namespace")
        self.sock.settimeout(30)
        self.thread = threading.Thread(target=self.loop, daemon=True)
        self.thread.start()

    def loop(self):
        while not self.stop.is_set() and time.monotonic() < self.end and self.bytes < BYTE_CAP:
            if self.paused.is_set():
                time.sleep(0.02)
                continue
            n = self.rng.randint(1024, 32 * 1024)
            self.sock.sendall(b"u" * n)
            want = 2 * n
            while want > 0:
                b = self.sock.recv(min(want, 65536))
                if not b:
                    return
                want -= len(b)
            self.bytes += 3 * n
            time.sleep(self.rng.random() * 0.1)

    def pause(self):
        # Whatever is on its way when the flag is set still arrives.
        self.paused.set()
        time.sleep(0.3)

    def close(self):
        self.stop.set()
        self.thread.join(timeout=10)
        self.sock.close()


class Sampler:
    """The kernel's counters of the host end, twenty times a second, by wall clock."""

    def __init__(self):
        self.samples = []
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.loop, daemon=True)
        self.thread.start()

    def loop(self):
        while not self.stop.is_set():
            self.samples.append((time.time(),) + counters(VETH_HOST))
            time.sleep(0.05)

    def at(self, t):
        """The counters as they were at the latest sample not after t."""
        best = None
        for s in self.samples:
            if s[0] > t:
                break
            best = s
        return best[1:] if best else None

    def close(self):
        self.stop.set()
        self.thread.join(timeout=5)


def make_network():
    run(["ip", "netns", "add", NETNS])
    run(["ip", "link", "add", VETH_HOST, "type", "veth", "peer", "name", VETH_PEER])
    run(["ip", "link", "set", VETH_PEER, "netns", NETNS])
    # A silent pair: no IPv6, and fixed neighbours instead of ARP, so that
    # only the stream crosses it.
    run(["sysctl", "-qw", "net.ipv6.conf.%s.disable_ipv6=1" % VETH_HOST])
    run(["ip", "netns", "exec", NETNS, "sysctl", "-qw", "net.ipv6.conf.%s.disable_ipv6=1" % VETH_PEER])
    run(["ip", "addr", "add", "%s/%d" % (HOST_IP, PREFIX_LEN), "dev", VETH_HOST])
    run(["ip", "netns", "exec", NETNS, "ip", "addr", "add", "%s/%d" % (PEER_IP, PREFIX_LEN), "dev", VETH_PEER])
    mac_host = open("/sys/class/net/%s/address" % VETH_HOST).read().strip()
    _, mac_peer = run(["ip", "netns", "exec", NETNS, "cat", "/sys/class/net/%s/address" % VETH_PEER], quiet=True)
    run(["ip", "neigh", "replace", PEER_IP, "lladdr", mac_peer.strip(), "dev", VETH_HOST, "nud", "permanent"])
    run(["ip", "netns", "exec", NETNS, "ip", "neigh", "replace", HOST_IP, "lladdr", mac_host, "dev", VETH_PEER,
         "nud", "permanent"])
    run(["ip", "link", "set", VETH_HOST, "up"])
    run(["ip", "netns", "exec", NETNS, "ip", "link", "set", VETH_PEER, "up"])
    run(["ip", "netns", "exec", NETNS, "ip", "link", "set", "lo", "up"])


def veth_adapter_id():
    index = int(open("/sys/class/net/%s/ifindex" % VETH_HOST).read())
    return "{%08X-0000-0000-0000-4E6574446576}" % index


def last_boundary(t):
    """The latest four-minute boundary of the local clock at or before t."""
    m = int(t) - time.localtime(t).tm_sec
    while time.localtime(m).tm_min % 4:
        m -= 60
    return m


def read_history(path):
    """(problems, {(date, kind, id): (down, up)}) of the file as it lies."""
    with open(path, "rb") as f:
        data = f.read()
    problems = []
    if len(data) < 24 or data[:4] != b"NTSL" or struct.unpack_from("<I", data, 4)[0] != 2:
        return ["no history header"], {}
    if (len(data) - 24) % 296:
        problems.append("a torn record (%d bytes after the header)" % (len(data) - 24))
    records = {}
    for off in range(24, len(data) - 295, 296):
        y, m, d, _, dow, _, kind = struct.unpack_from("<6Hi", data, off)
        raw = data[off + 16:off + 276]
        ident = raw.split(b"\0")[0].decode("latin-1")
        down, up = struct.unpack_from("<QQ", data, off + 280)
        if not (1 <= m <= 12 and 1 <= d <= 31 and dow <= 6 and b"\0" in raw and
                (kind in (100, 200) and not ident or kind == 300 and ident)):
            problems.append("an implausible record at %d" % off)
            continue
        key = ((y, m, d), kind, ident)
        if key in records:
            problems.append("two records of %s" % (key,))
        records[key] = (down, up)
    return problems, records


def service_pids(prefix):
    """The Linux process ids of QuellmarkService.exe in this prefix."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmd = f.read()
            with open("/proc/%s/environ" % entry, "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if b"QuellmarkService.exe" in cmd and ("WINEPREFIX=" + prefix).encode() in env:
            pids.append(int(entry))
    return pids


def counters(interface):
    """Bytes received and sent by one of this machine's interfaces."""
    base = "/sys/class/net/%s/statistics/" % interface
    with open(base + "rx_bytes") as rx, open(base + "tx_bytes") as tx:
        return int(rx.read()), int(tx.read())


def wait_for(predicate, seconds, step=0.1):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def soak(args, wine, folder, rng):
    history = os.path.join(folder, "TrafficHistory.log")
    log_path = os.path.join(folder, "quellmarkservice.log")
    veth_id = veth_adapter_id()
    sampler = Sampler()
    stream = Stream(args.minutes * 60 + 300, rng)
    failures, rounds = [], []
    previous = {}
    deadline = time.monotonic() + args.minutes * 60
    try:
        for n in range(1, args.kills + 1):
            if time.monotonic() > deadline:
                failures.append("time ran out after %d rounds" % (n - 1))
                break
            stream.pause()
            failed_before = len(failures)
            lines = len(log_lines(log_path)) if os.path.exists(log_path) else 0
            wine.keep_server()
            wine("sc", "start", "QuellmarkService", quiet=True, check_rc=False)
            if not wait_for(lambda: "Service is running..." in "".join(log_lines(log_path)[lines:]), 30):
                failures.append("round %d: the service did not start" % n)
                break
            running = time.time()
            time.sleep(TICK_SLACK)  # its first tick takes the counters it starts from
            first = counters(VETH_HOST)
            stream.paused.clear()

            # Most rounds that can reach the next flush boundary soon end
            # just past it, where a kill meets a write most often; the
            # others end at any moment.
            now = time.time()
            boundary = last_boundary(now) + 240
            if boundary - now < 40 and rng.random() < 0.7:
                kill_at = boundary + rng.uniform(0.0, 3.0)
            else:
                kill_at = now + rng.uniform(1.0, 30.0)
            time.sleep(max(0.0, kill_at - time.time()))

            pids = service_pids(wine.prefix)
            at_kill = counters(VETH_HOST)
            killed = time.time()
            for pid in pids:
                os.kill(pid, signal.SIGKILL)
            stream.pause()
            if len(pids) != 1:
                failures.append("round %d: %d service processes" % (n, len(pids)))
            if not wait_for(lambda: not any(os.path.exists("/proc/%d" % p) for p in pids), 10):
                failures.append("round %d: the service outlived SIGKILL" % n)
                break

            problems, records = read_history(history)
            failures += ["round %d: %s" % (n, p) for p in problems]
            for key, totals in previous.items():
                now_totals = records.get(key)
                if now_totals is None or now_totals[0] < totals[0] or now_totals[1] < totals[1]:
                    failures.append("round %d: %s went down from %s to %s" % (n, key, totals, now_totals))

            # The veth adapter's record of the day against the kernel.
            today = time.localtime(killed)[:3]
            key = (today, 300, veth_id)
            start = previous.get(key, (0, 0)) if time.localtime(running)[:3] == today else (0, 0)
            got = records.get(key, (0, 0))
            counted = (at_kill[0] - first[0], at_kill[1] - first[1])
            flush = last_boundary(killed - TICK_SLACK)
            flushed = flush >= running + 2 * TICK_SLACK
            if flushed:
                k = sampler.at(flush - TICK_SLACK)
                owed = (k[0] - first[0], k[1] - first[1])
            else:
                owed = (0, 0)
            for i, direction in enumerate(("download", "upload")):
                if got[i] > start[i] + counted[i]:
                    failures.append("round %d: %s %d is more than the %d + %d counted"
                                    % (n, direction, got[i], start[i], counted[i]))
                if got[i] < start[i] + owed[i]:
                    failures.append("round %d: %s %d is less than the %d + %d flushed"
                                    % (n, direction, got[i], start[i], owed[i]))
            lost = sum(start) + sum(counted) - sum(got)
            allowed = sum(counted) - sum(owed)
            # A boundary in the last two seconds: the kill may have met the flush.
            at_flush = last_boundary(killed) > max(killed - TICK_SLACK, running + TICK_SLACK)
            rounds.append((n, killed - running, flushed, sum(counted), lost, allowed, at_flush))
            print("round %2d: ran %5.1f s, %s, counted %9d B, lost %9d B (allowed %9d B)"
                  % (n, killed - running, "at a flush" if at_flush else "flushed   " if flushed else "no flush  ",
                     sum(counted), lost, allowed), flush=True)
            # Said at once too, so that a soak cut short still shows them.
            for f in failures[failed_before:]:
                print("FAIL " + f, flush=True)
            previous = {k: v for k, v in records.items()}
            # Wine's service manager does not notice a killed service (it
            # stays "running"), so each round ends as a reboot would.
            run([WINESERVER, "-k"], env=wine.env, timeout=60, check_rc=False)
    finally:
        stream.close()
        sampler.close()
    return failures, rounds, stream.bytes


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("service_exe")
    parser.add_argument("--kills", type=int, default=32)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--minutes", type=float, default=40, help="time limit of the rounds")
    args = parser.parse_args()
    if os.geteuid() != 0 or not shutil.which("ip"):
        print("needs root and iproute2 for the network namespace")
        return 2
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    print("seed %d, %d kills" % (seed, args.kills), flush=True)

    # A terminated soak still removes what it made.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    lock = open(LOCK, "a")
    print("waiting for the test lock...", flush=True)
    fcntl.flock(lock, fcntl.LOCK_EX)

    prefix = os.path.join(os.path.dirname(os.path.abspath(args.service_exe)), "crash-soak-prefix")
    wine = Wine(prefix)
    sink = None
    try:
        wine.boot_fresh()
        folder = wine.drive_c(FOLDER)
        os.makedirs(folder)
        shutil.copy(args.service_exe, folder)

        make_network()
        sink = subprocess.Popen(["ip", "netns", "exec", NETNS, "/usr/bin/python3", "-c", SINK, PEER_IP,
                                 str(args.minutes * 60 + 300)], stdin=subprocess.DEVNULL)
        wine("reg", "add", r"HKLM\Software\Quellmark\Service", "/v", "ServiceEnabled", "/t", "REG_DWORD",
             "/d", "1", "/f", quiet=True)
        wine("C:\\%s\\QuellmarkService.exe" % FOLDER, "/install", quiet=True)
        # Started by the rounds only, not by each new Wine server.
        wine("sc", "config", "QuellmarkService", "start=", "demand", quiet=True, check_rc=False)

        failures, rounds, streamed = soak(args, wine, folder, rng)

        flushed = [r for r in rounds if r[2]]
        print("\n%d kills in %.0f s of service time: %d after a flush in their run, %d within two seconds "
              "after a flush boundary; %d bytes streamed"
              % (len(rounds), sum(r[1] for r in rounds), len(flushed), sum(1 for r in rounds if r[6]), streamed))
        if rounds:
            print("counted per run: max %d B; lost per kill: max %d B, mean %.0f B; "
                  "loss over its allowance: max %d B"
                  % (max(r[3] for r in rounds), max(r[4] for r in rounds),
                     sum(r[4] for r in rounds) / len(rounds), max(r[4] - r[5] for r in rounds)))
        for f in failures:
            print("FAIL " + f)
        print("%d failures" % len(failures))
        return 1 if failures or not rounds else 0
    finally:
        def attempt(step):
            try:
                step()
            except Exception as e:  # cleanup goes on whatever one step did
                print("cleanup: %s" % e)
        for pid in service_pids(prefix):
            attempt(lambda: os.kill(pid, signal.SIGKILL))
        attempt(lambda: subprocess.run([WINESERVER, "-k"], env=wine.env, timeout=30))
        if sink and sink.poll() is None:
            sink.kill()
            attempt(lambda: sink.wait(timeout=10))
        attempt(lambda: run(["ip", "link", "del", VETH_HOST], check_rc=False, quiet=True))
        attempt(lambda: run(["ip", "netns", "del", NETNS], check_rc=False, quiet=True))
        lock.close()


if __name__ == "__main__":
    sys.exit(main())
