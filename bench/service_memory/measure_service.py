#!/usr/bin/python3
"""Resident memory of QuellmarkService.exe under Wine against two floors.

Installs the three services in a Wine prefix of this script's own, runs each
in turn for SECONDS seconds (default 20) with the default settings (history
file, no mail, no report task), reads its resident memory from /proc, and
prints the medians of RUNS runs (default 3) and the differences. The empty
service (empty_service.exe) only registers with the service manager and
waits: the floor that no service can go below. The counting service
(counting_service.exe) also reads the system's interface and address tables
every second: what the system's own libraries add for any traffic meter.

Usage (build/win built; see README, "Service memory"):
  bench/service_memory/measure_service.py build/win [SECONDS [RUNS]]
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from wine_session import WINE, end, rss_kib, session  # noqa: E402


def wine(env, *args, timeout=120):
    # Output to a file: Wine's helpers inherit the handles and outlive us.
    with open(os.devnull, "wb") as null:
        return subprocess.run([WINE] + list(args), env=env, stdin=subprocess.DEVNULL, stdout=null, stderr=null,
                              timeout=timeout).returncode


def pid_of(exe_name, prefix):
    """The process of that program in that Wine prefix: other prefixes on
    the machine (the tests') may run the same program at the same time."""
    want = ("WINEPREFIX=" + prefix).encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmd = f.read().split(b"\0")[0].decode("latin-1")
            if not cmd.lower().endswith(exe_name.lower()):
                continue
            with open("/proc/%s/environ" % entry, "rb") as f:
                if want not in f.read().split(b"\0"):
                    continue
        except OSError:
            continue
        return int(entry)
    return None


def measure(env, service, exe_name, seconds):
    wine(env, "sc", "start", service)
    pid = None
    end = time.monotonic() + 30
    while pid is None and time.monotonic() < end:
        pid = pid_of(exe_name, env["WINEPREFIX"])
        time.sleep(0.2)
    if pid is None:
        sys.exit("%s did not start" % service)
    time.sleep(seconds)
    rss = rss_kib(pid)
    wine(env, "sc", "stop", service)
    end = time.monotonic() + 30
    while pid_of(exe_name, env["WINEPREFIX"]) is not None and time.monotonic() < end:
        time.sleep(0.2)
    return rss


# (service name, executable, label) of the measured service and its floors.
SERVICES = [
    ("QuellmarkService", "QuellmarkService.exe", "QuellmarkService.exe"),
    ("QuellmarkEmptyService", "empty_service.exe", "empty service"),
    ("QuellmarkCountingService", "counting_service.exe", "counting service"),
]


def measure_all(build, seconds, runs):
    """{label: (median KiB, [KiB of each run], file bytes)}, runs interleaved."""
    paths = {
        "QuellmarkService.exe": os.path.join(build, "service", "QuellmarkService.exe"),
        "empty_service.exe": os.path.join(build, "bench", "service_memory", "empty_service.exe"),
        "counting_service.exe": os.path.join(build, "bench", "service_memory", "counting_service.exe"),
    }
    prefix = os.path.join(build, "service-measure-prefix")
    env, _ = session(build, prefix, fresh=True, keep_server=True)
    try:
        folder = os.path.join(prefix, "drive_c", "Measure")
        os.makedirs(folder)
        for path in paths.values():
            shutil.copy(path, folder)
        wine(env, "reg", "add", r"HKLM\Software\Quellmark\Service", "/v", "ServiceEnabled", "/t", "REG_DWORD",
             "/d", "1", "/f")
        for exe in paths:
            wine(env, "C:\\Measure\\" + exe, "/install")
        found = {label: [] for _, _, label in SERVICES}
        for _ in range(runs):
            for service, exe, label in SERVICES:
                found[label].append(measure(env, service, exe, seconds))
        return {label: (statistics.median(found[label]), found[label], os.path.getsize(paths[exe]))
                for _, exe, label in SERVICES}
    finally:
        end(env)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    figures = measure_all(build, seconds, runs)
    for label, (median, each, size) in figures.items():
        print("%-21s %7.1f MB resident (runs: %s KiB), file %.2f MB"
              % (label + ":", median / 1024, ", ".join(map(str, each)), size / 1e6))
    service = figures["QuellmarkService.exe"][0]
    print("over the empty service:    %+7.1f MB" % ((service - figures["empty service"][0]) / 1024))
    print("over the counting service: %+7.1f MB" % ((service - figures["counting service"][0]) / 1024))
    return 0


if __name__ == "__main__":
    sys.exit(main())
