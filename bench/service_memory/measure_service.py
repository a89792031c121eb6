#!/usr/bin/python3
"""Resident memory of QuellmarkService.exe under Wine against an empty service.

Installs both services in a Wine prefix of this script's own, runs each in
turn for SECONDS seconds (default 20) with the default settings (history
file, no mail, no report task), reads its resident memory from /proc, and
prints the medians of RUNS runs (default 3) and the difference. The empty
service (empty_service.exe) only registers with the service manager and
waits: it is the floor that no service can go below.

Usage (build/win built; see README, "Service memory"):
  bench/service_memory/measure_service.py build/win [SECONDS [RUNS]]
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


def wine(env, *args, timeout=120):
    # Output to a file: Wine's helpers inherit the handles and outlive us.
    with open(os.devnull, "wb") as null:
        return subprocess.run([WINE] + list(args), env=env, stdin=subprocess.DEVNULL, stdout=null, stderr=null,
                              timeout=timeout).returncode


def pid_of(exe_name):
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmd = f.read().split(b"\0")[0].decode("latin-1")
        except OSError:
            continue
        if cmd.lower().endswith(exe_name.lower()):
            return int(entry)
    return None


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def measure(env, service, exe_name, seconds):
    wine(env, "sc", "start", service)
    pid = None
    end = time.monotonic() + 30
    while pid is None and time.monotonic() < end:
        pid = pid_of(exe_name)
        time.sleep(0.2)
    if pid is None:
        sys.exit("%s did not start" % service)
    time.sleep(seconds)
    rss = rss_kib(pid)
    wine(env, "sc", "stop", service)
    end = time.monotonic() + 30
    while pid_of(exe_name) is not None and time.monotonic() < end:
        time.sleep(0.2)
    return rss


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    service_exe = os.path.join(build, "service", "QuellmarkService.exe")
    empty_exe = os.path.join(build, "bench", "service_memory", "empty_service.exe")
    prefix = os.path.join(build, "service-measure-prefix")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    try:
        wine(env, "wineboot", "-i")
        subprocess.run([WINESERVER, "-w"], env=env, timeout=120)
        subprocess.run([WINESERVER, "-p"], env=env, timeout=30)
        folder = os.path.join(prefix, "drive_c", "Measure")
        os.makedirs(folder)
        shutil.copy(service_exe, folder)
        shutil.copy(empty_exe, folder)
        wine(env, "reg", "add", r"HKLM\Software\Quellmark\Service", "/v", "ServiceEnabled", "/t", "REG_DWORD",
             "/d", "1", "/f")
        wine(env, r"C:\Measure\QuellmarkService.exe", "/install")
        wine(env, r"C:\Measure\empty_service.exe", "/install")
        service, empty = [], []
        for _ in range(runs):
            service.append(measure(env, "QuellmarkService", "QuellmarkService.exe", seconds))
            empty.append(measure(env, "QuellmarkEmptyService", "empty_service.exe", seconds))
        s, e = statistics.median(service), statistics.median(empty)
        print("QuellmarkService.exe: %7.1f MB resident (runs: %s KiB), file %.2f MB"
              % (s / 1024, ", ".join(map(str, service)), os.path.getsize(service_exe) / 1e6))
        print("empty service:        %7.1f MB resident (runs: %s KiB), file %.2f MB"
              % (e / 1024, ", ".join(map(str, empty)), os.path.getsize(empty_exe) / 1e6))
        print("difference:           %+7.1f MB" % ((s - e) / 1024))
    finally:
        subprocess.run([WINESERVER, "-k"], env=env, timeout=30)
    return 0


if __name__ == "__main__":
    sys.exit(main())
