#!/usr/bin/python3
"""Stopping the service while its notification e-mail hangs on a mail
server that accepts the connection and never answers, and starting it
again at once, a few times over.

The history file the service starts with already holds more than the
rule's limit for today, so every start mails at its first tick. The mail
server on 127.0.0.1 port 25 only accepts. Each stop must end the service
within seconds (the mail's thread does not hold it up), its process must
be gone, and the next start must run rather than find the last process
still there; today's totals must survive every round.

Not part of `make test` (it found the stop sound); run it by hand, as
root (port 25), under the shared test lock:

    QM_BUILD_DIR=build/win flock -o /tmp/quellmark-test.lock tests/e2e/service_stop_e2e.py \
        build/win/service/QuellmarkService.exe build/win/service/QuellmarkAdmin.exe

No traffic is sent. The Wine server of its own prefix is ended at the end.
"""

import os
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import SKIP, WINESERVER, check, lacks_root  # noqa: E402
from history_records import history_records  # noqa: E402
from service_e2e import BUILD, SmtpServer, Wine, attempt, log_lines, message_of  # noqa: E402

ROUNDS = 3
TODAY_DOWN = 5 << 30  # over the 1 GB limit from the first tick on


def history_with_today(path, down):
    t = time.localtime()
    header = b"NTSL" + struct.pack("<I", 2) + bytes(16)
    dow = (t.tm_wday + 1) % 7
    record = (struct.pack("<6H", t.tm_year, t.tm_mon, t.tm_mday, 0, dow, 0) + struct.pack("<i", 100) + bytes(260) +
              bytes(4) + struct.pack("<QQ", down, 0))
    with open(path, "wb") as f:
        f.write(header + record)


def service_processes(folder_windows):
    """Linux processes whose Windows command line is the service's (read only)."""
    found = []
    for pid in os.listdir("/proc"):
        if pid.isdigit():
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    if f.read().startswith(folder_windows.encode() + b"QuellmarkService.exe"):
                        found.append(int(pid))
            except OSError:
                pass
    return found


def wait_for(what, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if what():
            return True
        time.sleep(0.2)
    return False


def main():
    if lacks_root("port 25"):
        return SKIP
    if len(sys.argv) != 3 or not all(os.path.exists(p) for p in sys.argv[1:]):
        print("usage: service_stop_e2e.py QuellmarkService.exe QuellmarkAdmin.exe")
        return 1
    service_exe, admin_exe = sys.argv[1:]
    wine = Wine(os.path.abspath(os.path.join(BUILD or "build", "e2e-service-stop-prefix")))
    smtp = None
    try:
        folder = wine.fresh_with_programs(service_exe, admin_exe)
        history = os.path.join(folder, "TrafficHistory.log")
        history_with_today(history, TODAY_DOWN)
        admin = r"C:\Quellmark\QuellmarkAdmin.exe"
        for key, name, kind, value in (
                (r"HKLM\Software\Quellmark\Service", "ServiceEnabled", "REG_DWORD", "1"),
                (r"HKLM\Software\Quellmark\Service", "ServiceOptions", "REG_BINARY", "000000000100000000000000"),
                (r"HKLM\Software\Quellmark\Options\EmailSettings", "SmtpServer", "REG_SZ", "127.0.0.1"),
                (r"HKLM\Software\Quellmark\Options\EmailSettings", "MailFrom", "REG_SZ", "quellmark@example.com")):
            wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f", quiet=True)
        wine(admin, "rule", "set", "all", "1", "GB", "down", "days:1", "admin@example.com", quiet=True)
        wine(r"C:\Quellmark\QuellmarkService.exe", "/install", quiet=True)

        smtp = SmtpServer(seconds=240, silent=True)
        log_path = os.path.join(folder, "quellmarkservice.log")
        for round_no in range(1, ROUNDS + 1):
            accepted = smtp.accepted
            wine("sc", "start", "QuellmarkService", quiet=True, check_rc=False)
            mailing = wait_for(lambda: smtp.accepted > accepted, 30)
            check(mailing, "round %d: the service connects to the mail server" % round_no)
            began = time.monotonic()
            wine("sc", "stop", "QuellmarkService", quiet=True, check_rc=False)
            stopped = wine.wait_state("STOPPED", 20)
            took = time.monotonic() - began
            check(stopped and took < 8, "round %d: stopped within seconds while mailing (%.1f s)" % (round_no, took))
            gone = wait_for(lambda: not service_processes("C:\\Quellmark\\"), 10)
            check(gone, "round %d: the service process has ended (%s)" % (round_no, service_processes("C:\\Quellmark\\")))

        msgs = [message_of(line) for line in log_lines(log_path)]
        check(msgs.count("Service is running...") == ROUNDS, "every start ran: %d of %d" %
              (msgs.count("Service is running..."), ROUNDS))
        check(msgs.count("Send a notification email to admin@example.com") == ROUNDS, "every start began its mail")
        # The installing process logs its own start and stop.
        check(msgs.count("Quellmark Service stopped.") == ROUNDS + 1, "every run logged its stop")
        bad = [m for m in msgs if m and m.startswith("Err:")]
        check(not bad, "no errors in the activity log: %s" % bad)
        records = history_records(history) or []
        alls = [r for r in records if r["kind"] == 100]
        check(len(alls) == 1 and alls[0]["down"] >= TODAY_DOWN, "today's totals kept: %s" % alls)
    finally:
        if smtp:
            attempt(smtp.close)
        if os.path.isdir(wine.prefix):
            attempt(lambda: wine("sc", "stop", "QuellmarkService", check_rc=False, quiet=True, timeout=20))
            attempt(lambda: subprocess.run([WINESERVER, "-k"], env=wine.env, timeout=30))
    return harness.summary()


if __name__ == "__main__":
    sys.exit(main())
