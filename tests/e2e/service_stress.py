#!/usr/bin/python3
"""Many starts and stops of the service under hostile settings (not part of
`make test`; run it by hand, as root, for a few minutes):

    tests/e2e/service_stress.py build/win/service/QuellmarkService.exe \
        build/win/service/QuellmarkAdmin.exe [ROUNDS]

Settings: the notification rule on with a limit that is passed at once and
a mail server on 127.0.0.2 where nobody listens (not port 25 of
127.0.0.1, which the end-to-end tests use); nine report tasks due every
second: one with an empty path, one into a folder that does not exist, one
naming a folder, and six reading a large history file (slow). Each round
starts the service, lets it run for a random moment, stops it with
"sc stop" and times the stop. The figures go to standard output: rounds,
stops and their longest time, the largest number of threads of the
service process, report runs skipped, stops the service had to force,
log lines garbled.

A fresh prefix under build/; no traffic is sent; the Wine server of that
prefix is ended at the end.
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import service_e2e as e2e  # noqa: E402  (its Wine helpers and log readers)

STOP_LIMIT = 10  # seconds a stop may take before the round counts as hung
HISTORY_RECORDS = 150000


def service_pid():
    """The Linux process of QuellmarkService.exe (read only; never killed by name)."""
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                # Wine gives the process its Windows command line.
                if f.read().startswith(b"C:\\Quellmark\\QuellmarkService.exe"):
                    return int(pid)
        except OSError:
            pass
    return None


def threads_of(pid):
    try:
        return len(os.listdir("/proc/%d/task" % pid))
    except OSError:
        return 0


def big_history(path):
    header = b"NTSL" + struct.pack("<I", 2) + bytes(16)
    with open(path, "wb") as f:
        f.write(header)
        for i in range(HISTORY_RECORDS):
            y, m, d = 2000 + i // 366 % 20, 1 + i // 31 % 12, 1 + i % 28
            rec = struct.pack("<6Hi", y, m, d, 0, 0, 0, 100) + bytes(264) + struct.pack("<QQ", i * 1000, i * 10)
            f.write(rec)


def empty_path_task():
    """A daily report of All Connections every second with no file name."""
    rec = struct.pack("<Ii", 1, 100) + bytes(260) + struct.pack("<ii", 1, 1) + bytes(520)
    assert len(rec) == 796
    return rec.hex()


def main():
    if os.geteuid() != 0:
        print("needs root, as the service tests do")
        return 1
    service_exe, admin_exe = sys.argv[1:3]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 30
    prefix = os.path.join(os.path.dirname(os.path.abspath(service_exe)), "..", "stress-prefix")
    prefix = os.path.abspath(prefix)
    wine = e2e.Wine(prefix)
    figures = {"rounds": 0, "stopped": 0, "hung": 0, "forced": 0, "max_threads": 0, "max_stop_s": 0.0,
               "skips_logged": 0, "starts_failed": 0}
    try:
        wine.boot_fresh()
        folder = wine.drive_c("Quellmark")
        os.makedirs(os.path.join(folder, "a-folder"))
        shutil.copy(service_exe, folder)
        shutil.copy(admin_exe, folder)
        big_history(os.path.join(folder, "TrafficHistory.log"))
        admin = r"C:\Quellmark\QuellmarkAdmin.exe"
        with open(os.path.join(e2e.SOURCE, "service", "admin", "quellmark-service.reg"), encoding="latin-1") as f:
            reg = f.read().replace('"SmtpServer"="mail.example.com"', '"SmtpServer"="127.0.0.2"')
        with open(os.path.join(folder, "settings.reg"), "w", encoding="latin-1", newline="\r\n") as f:
            f.write(reg)
        wine("reg", "import", r"C:\Quellmark\settings.reg", quiet=True)
        wine(admin, "rule", "set", "all", "1", "B", "both", "days:1", "admin@example.com", quiet=True)
        tasks = [("missing", r"C:\Quellmark\no-such-folder\r.txt"), ("folder", r"C:\Quellmark\a-folder")]
        tasks += [("slow%d" % i, r"C:\Quellmark\slow%d.%s" % (i, ("txt", "csv", "htm")[i % 3])) for i in range(6)]
        for name, path in tasks:
            wine(admin, "report", "add", name, "summary", "all", "1", path, quiet=True)
        wine("reg", "add", r"HKLM\Software\Quellmark\Service\Reports", "/v", "empty", "/t", "REG_BINARY",
             "/d", empty_path_task(), "/f", quiet=True)
        wine(r"C:\Quellmark\QuellmarkService.exe", "/install", quiet=True)
        log_path = os.path.join(folder, "quellmarkservice.log")

        for r in range(rounds):
            figures["rounds"] += 1
            wine("sc", "start", "QuellmarkService", quiet=True, check_rc=False)
            if not wine.wait_state("RUNNING", 20):
                figures["starts_failed"] += 1
                print("round %d: did not start (%s)" % (r, wine.service_state()), flush=True)
                continue
            end = time.monotonic() + random.uniform(0.5, 6.0)
            pid = service_pid()
            while time.monotonic() < end:
                if pid:
                    figures["max_threads"] = max(figures["max_threads"], threads_of(pid))
                time.sleep(0.1)
            t0 = time.monotonic()
            wine("sc", "stop", "QuellmarkService", quiet=True, check_rc=False)
            stopped = wine.wait_state("STOPPED", STOP_LIMIT)
            took = time.monotonic() - t0
            if stopped:
                figures["stopped"] += 1
                figures["max_stop_s"] = max(figures["max_stop_s"], took)
            else:
                figures["hung"] += 1
                print("round %d: still %s after %d s" % (r, wine.service_state(), STOP_LIMIT), flush=True)
                if pid and service_pid() == pid:
                    os.kill(pid, 9)  # the process this round started
                    time.sleep(1)
            # The process must be gone before the next start, or that one
            # finds the running marker and ends at once.
            deadline = time.monotonic() + 10
            while service_pid() and time.monotonic() < deadline:
                time.sleep(0.1)
        msgs = [e2e.message_of(l) for l in e2e.log_lines(log_path)]
        figures["skips_logged"] = sum(1 for m in msgs if m and "is still being written" in m)
        figures["forced"] = sum(1 for m in msgs if m and m.startswith("Err: the worker did not end"))
        # Lines out of form or with bytes no message has: written from freed memory.
        figures["garbled_lines"] = sum(1 for l, m in zip(e2e.log_lines(log_path), msgs)
                                       if m is None or any(ord(c) > 126 for c in l))
        older = os.path.join(folder, "quellmarkservice.old.log")
        figures["log_bytes"] = os.path.getsize(log_path) + (os.path.getsize(older) if os.path.exists(older) else 0)
    finally:
        try:
            wine("sc", "stop", "QuellmarkService", check_rc=False, quiet=True, timeout=20)
        except Exception as e:  # cleanup goes on
            print("cleanup: %s" % e)
        subprocess.run([e2e.WINESERVER, "-k"], env=wine.env, timeout=30)
    for k, v in figures.items():
        print("%-14s %s" % (k, round(v, 2) if isinstance(v, float) else v))
    return 0 if figures["hung"] == 0 and figures["starts_failed"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
