#!/usr/bin/python3
"""The service end to end under Wine, with every real component.

A fresh Wine prefix gets the machine-wide settings the documented way (the
.reg template through "reg import", report tasks and the notification rule
through QuellmarkAdmin.exe); QuellmarkService.exe installs itself and is
started with "sc start". Real traffic crosses a veth pair into a network
namespace of this test (198.51.100.0/24); the notification e-mail goes to
an SMTP server of this test on 127.0.0.1 port 25. After "sc stop" the test
checks the activity log, the history file, the report files, the recorder
file and the e-mail, then the not-enabled start, a second service process
and the removal.

Needs root (network namespace, port 25). Everything it starts is ended by
process id, and the namespace and the veth pair are removed, also on
failure.
"""

import base64
import csv
import io
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import SKIP, WINE, WINESERVER, check, fresh_prefix, lacks_root  # noqa: E402
from history_records import history_records  # noqa: E402
from report_amounts import format_amount  # noqa: E402
from veth_pair import VethPair  # noqa: E402

BUILD = os.environ.get("QM_BUILD_DIR", "")
SOURCE = os.environ.get("QM_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
TAG = "qm%d" % (os.getpid() % 100000)
# A /30 of its own within 198.51.100.0/24: its route is more specific than
# that of any other test's pair on the machine.
PAIR = VethPair(TAG, "198.51.100.201", "198.51.100.202", port=5201)
VETH_HOST = PAIR.host
# Traffic the test makes: bytes the host sends (upload) and receives
# (download) through its end of the pair.
UPLOAD_BYTES = 768 * 1024
DOWNLOAD_BYTES = 1536 * 1024
REPORT_SECONDS = 3
MAIL_PASSWORD = "e2e-Pa55word"
# The access list of the e-mail settings once closed: SYSTEM and
# Administrators, full control, handed to sub-keys; nothing inherited.
EMAIL_KEY_CLOSED = ("protected\n"
                    "allow S-1-5-18 0x000f003f 0x02\n"
                    "allow S-1-5-32-544 0x000f003f 0x02\n")
RECORD_SECONDS = 2

def run(args, timeout=60, env=None, check_rc=True, quiet=False, stdin_text=None):
    # Output goes through files, not pipes: Wine's helper processes inherit
    # the handles and outlive the command. So does standard input.
    with tempfile.TemporaryFile() as i, tempfile.TemporaryFile() as o, tempfile.TemporaryFile() as e:
        if stdin_text is not None:
            i.write(stdin_text.encode("utf-8"))
            i.seek(0)
        p = subprocess.run(args, stdin=i if stdin_text is not None else subprocess.DEVNULL, stdout=o, stderr=e,
                           timeout=timeout, env=env)
        o.seek(0)
        e.seek(0)
        out, err = o.read().decode("utf-8", "replace"), e.read().decode("utf-8", "replace")
    if check_rc and p.returncode != 0:
        raise RuntimeError("%s -> %d\n%s%s" % (args, p.returncode, out, err))
    if not quiet and out.strip():
        print(out.rstrip())
    return p.returncode, out


class Wine:
    def __init__(self, prefix):
        self.prefix = prefix
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)

    def __call__(self, *args, timeout=60, check_rc=True, quiet=False, stdin_text=None):
        return run([WINE] + list(args), timeout=timeout, env=self.env, check_rc=check_rc, quiet=quiet,
                   stdin_text=stdin_text)

    def boot_fresh(self):
        """A new prefix with a persistent Wine server. Services do not keep a
        server alive: without a persistent one it would end (and take the
        service with it) a few seconds after each command, and start the
        installed service anew with the next."""
        fresh_prefix(self.prefix)
        self.keep_server()

    def keep_server(self):
        """Starts the prefix's Wine server, kept alive between commands."""
        subprocess.run([WINESERVER, "-p"], env=self.env, timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def fresh_with_programs(self, *programs):
        """A fresh prefix whose C:\\Quellmark holds copies of `programs`; its folder."""
        self.boot_fresh()
        folder = self.drive_c("Quellmark")
        os.makedirs(folder)
        for program in programs:
            shutil.copy(program, folder)
        return folder

    def service_state(self):
        rc, out = self("sc", "query", "QuellmarkService", check_rc=False, quiet=True)
        m = re.search(r"STATE\s*:\s*\d+\s+(\w+)", out)
        return m.group(1) if m else None

    def wait_state(self, state, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if self.service_state() == state:
                return True
            time.sleep(0.3)
        return False


def attempt(step):
    """One cleanup step: the cleanup goes on whatever it did."""
    try:
        step()
    except Exception as e:
        print("cleanup: %s" % e)


def end_all(wine, processes, pair, smtp=None):
    """Ends what a test started, also after a failure: its mail server, the
    service and the Wine server of its prefix (that prefix only), its
    processes by id, and its veth pair."""
    if smtp:
        attempt(smtp.close)
    if wine and os.path.isdir(wine.prefix):
        attempt(lambda: wine("sc", "stop", "QuellmarkService", check_rc=False, quiet=True, timeout=20))
        attempt(lambda: subprocess.run([WINESERVER, "-k"], env=wine.env, timeout=30))
    for p in processes:
        if p.poll() is None:
            p.kill()
            attempt(lambda: p.wait(timeout=10))
    attempt(pair.remove)


# --- the SMTP server of the test ------------------------------------------

class SmtpServer:
    """A scripted SMTP server: accepts one conversation at a time, keeps the
    messages, ends by itself after its time limit."""

    def __init__(self, seconds, silent=False):
        self.messages = []
        # A silent server accepts and never says a word; it keeps the
        # connections until it is closed.
        self.silent = silent
        self.accepted = 0
        self.held = []
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        # Another test of the machine may hold the port for a moment.
        for attempt in range(60):
            try:
                self.sock.bind(("127.0.0.1", 25))
                break
            except OSError:
                if attempt == 59:
                    raise
                time.sleep(0.5)
        self.sock.listen(4)
        self.sock.settimeout(0.5)
        self.end = time.monotonic() + seconds
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        while time.monotonic() < self.end:
            try:
                conn, _ = self.sock.accept()
            except (socket.timeout, OSError):
                if self.sock.fileno() < 0:
                    return
                continue
            self.accepted += 1
            if self.silent:
                self.held.append(conn)
                continue
            try:
                self.converse(conn)
            except (OSError, ValueError):
                pass
            finally:
                conn.close()

    def converse(self, conn):
        conn.settimeout(10)
        f = conn.makefile("rb")
        conn.sendall(b"220 qm-e2e ESMTP\r\n")
        mail = {"from": None, "to": [], "data": b"", "login": None}
        total = 0
        while True:
            line = f.readline(4096)
            if not line:
                return
            cmd = line.strip().upper()
            if cmd.startswith(b"EHLO") or cmd.startswith(b"HELO"):
                conn.sendall(b"250 qm-e2e\r\n")
            elif cmd == b"AUTH LOGIN":
                conn.sendall(b"334 VXNlcm5hbWU6\r\n")
                user = base64.b64decode(f.readline(4096).strip())
                conn.sendall(b"334 UGFzc3dvcmQ6\r\n")
                password = base64.b64decode(f.readline(4096).strip())
                mail["login"] = (user.decode("latin-1"), password.decode("latin-1"))
                conn.sendall(b"235 accepted\r\n")
            elif cmd.startswith(b"MAIL FROM"):
                mail["from"] = line.strip()[10:].decode("latin-1")
                conn.sendall(b"250 OK\r\n")
            elif cmd.startswith(b"RCPT TO"):
                mail["to"].append(line.strip()[8:].decode("latin-1").strip())
                conn.sendall(b"250 OK\r\n")
            elif cmd == b"DATA":
                conn.sendall(b"354 go ahead\r\n")
                data = []
                while True:
                    l = f.readline(65536)
                    total += len(l)
                    if not l or total > 1 << 20:
                        return
                    if l in (b".\r\n", b".\n"):
                        break
                    data.append(l[1:] if l.startswith(b"..") else l)
                mail["data"] = b"".join(data)
                self.messages.append(mail)
                conn.sendall(b"250 queued\r\n")
                mail = {"from": None, "to": [], "data": b"", "login": mail["login"]}
            elif cmd == b"QUIT":
                conn.sendall(b"221 bye\r\n")
                return
            else:
                conn.sendall(b"250 OK\r\n")

    def close(self):
        self.end = 0
        for conn in self.held + [self.sock]:
            attempt(conn.close)
        self.thread.join(timeout=5)


# --- readers -----------------------------------------------------------------

def log_lines(path):
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    return [l for l in text.replace("\r\n", "\n").split("\n") if l]


def message_of(line):
    m = re.match(r"\[(\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4})\]: (.*)$", line)
    return m.group(2) if m else None


def in_order(messages, wanted):
    """Whether every pattern of `wanted` matches a message, in this order."""
    i = 0
    for msg in messages:
        if i < len(wanted) and msg is not None and re.fullmatch(wanted[i], msg):
            i += 1
    return i == len(wanted), (wanted[i] if i < len(wanted) else None)


# --- the test ----------------------------------------------------------------

def main():
    if lacks_root():
        return SKIP
    if len(sys.argv) != 4 or not all(os.path.exists(p) for p in sys.argv[1:]):
        print("usage: service_e2e.py QuellmarkService.exe QuellmarkAdmin.exe key_access_probe.exe")
        return 1
    service_exe, admin_exe, probe_exe = sys.argv[1:]

    prefix = os.path.join(BUILD or os.getcwd(), "e2e-service-prefix")
    wine = Wine(prefix)
    processes = []
    smtp = None
    try:
        # A fresh prefix of its own: the installed service starts with the
        # prefix, so the shared one of the other Wine tests stays clean.
        wine.boot_fresh()

        folder = wine.drive_c("Quellmark")
        os.makedirs(folder)
        shutil.copy(service_exe, folder)
        shutil.copy(admin_exe, folder)
        shutil.copy(probe_exe, folder)

        def email_key_closed():
            _, access = wine(r"C:\Quellmark\key_access_probe.exe", r"Software\Quellmark\Options\EmailSettings",
                             quiet=True)
            return access.replace("\r\n", "\n") == EMAIL_KEY_CLOSED, access
        admin = r"C:\Quellmark\QuellmarkAdmin.exe"

        PAIR.create()
        _, listing = wine(admin, "adapters", quiet=True)
        m = re.search(r"^(\{[0-9A-F-]+\})  %s\b" % re.escape(VETH_HOST), listing, re.M)
        check(m is not None, "QuellmarkAdmin lists the veth adapter with its ID")
        if m is None:
            return 1
        adapter_id = m.group(1)

        # The machine-wide settings: the documented template with this
        # test's adapter, files, mail server and intervals.
        with open(os.path.join(SOURCE, "service", "admin", "quellmark-service.reg"), encoding="latin-1") as f:
            reg = f.read()
        for old, new in (("{00000002-0000-0000-0000-4E6574446576}", adapter_id),
                         ('"AdapterName"="Office LAN"', '"AdapterName"="e2e veth"'),
                         ('"RecordInterval"=dword:0000003c', '"RecordInterval"=dword:%08x' % RECORD_SECONDS),
                         (r'"RecordFile"="C:\\ProgramData\\Quellmark\\office-lan.csv"',
                          r'"RecordFile"="C:\\Quellmark\\veth-rates.csv"'),
                         ('"SmtpServer"="mail.example.com"', '"SmtpServer"="127.0.0.1"'),
                         ('"ShowIPInTitle"=dword:00000001', '"ShowIPInTitle"=dword:00000000')):
            if old not in reg:
                raise RuntimeError("the template no longer holds " + old)
            reg = reg.replace(old, new)
        with open(os.path.join(folder, "settings.reg"), "w", encoding="latin-1", newline="\r\n") as f:
            f.write(reg)
        wine("reg", "import", r"C:\Quellmark\settings.reg", quiet=True)
        wine(admin, "report", "add", "veth-daily", "daily", adapter_id, str(REPORT_SECONDS),
             r"C:\Quellmark\veth-daily.csv", quiet=True)
        # The deployment form: the record as .reg text, imported as a file.
        _, tasks = wine(admin, "/reg", "report", "add", "all-summary", "summary", "all", str(REPORT_SECONDS),
                        r"C:\Quellmark\all-summary.txt", quiet=True)
        with open(os.path.join(folder, "tasks.reg"), "w", encoding="latin-1", newline="") as f:
            f.write(tasks)
        wine("reg", "import", r"C:\Quellmark\tasks.reg", quiet=True)
        wine(admin, "rule", "set", adapter_id, "100", "KB", "down", "days:1", "admin@example.com", quiet=True)
        # Hostile tasks due every second: no file name at all, and a folder
        # that does not exist. They fail each run and must not hold up the
        # stop.
        empty_task = struct.pack("<Ii", 1, 100) + bytes(260) + struct.pack("<ii", 1, 1) + bytes(520)
        wine("reg", "add", r"HKLM\Software\Quellmark\Service\Reports", "/v", "zz-empty", "/t", "REG_BINARY",
             "/d", empty_task.hex(), "/f", quiet=True)
        wine(admin, "report", "add", "zz-missing", "summary", "all", "1", r"C:\Quellmark\no-such-folder\r.txt",
             quiet=True)

        closed, access = email_key_closed()
        check(not closed, "imported from .reg, the e-mail settings are open to every user: %r" % access)
        _, out = wine(r"C:\Quellmark\QuellmarkService.exe", "/install", quiet=True)
        check(out.replace("\r\n", "\n") == "Install service...success\n", "/install prints the outcome: %r" % out)
        check(email_key_closed()[0], "after /install only SYSTEM and Administrators may open the e-mail settings")
        rc, out = wine(r"C:\Quellmark\QuellmarkService.exe", "/install", quiet=True, check_rc=False)
        lines = out.replace("\r\n", "\n").split("\n")
        check(rc == 1 and lines[0] == "Install service...failure" and "exists" in lines[1],
              "a second /install fails with status 1 and the system's reason: %d %r" % (rc, out))
        rc, out = wine(r"C:\Quellmark\QuellmarkService.exe", "/?", quiet=True, check_rc=False)
        check(rc == 0 and out.startswith("Usage: QuellmarkService [/install | /uninstall]"), "/? prints the usage: %r" % out)
        # The login, with the password on standard input, never on the
        # command line; the key stays closed.
        rc, out = run([WINE, admin, "email", "set", "127.0.0.1", "quellmark@example.com", "meter"], env=wine.env,
                      stdin_text=MAIL_PASSWORD + "\r\n", quiet=True)
        check(rc == 0 and MAIL_PASSWORD not in out, "email set saves the login without showing the password: %r" % out)
        check(email_key_closed()[0], "after email set the e-mail settings stay closed")
        # Settings imported anew from a .reg file create an open key;
        # "email protect" closes it.
        wine("reg", "delete", r"HKLM\Software\Quellmark\Options\EmailSettings", "/f", quiet=True)
        with open(os.path.join(folder, "email.reg"), "w", encoding="latin-1", newline="\r\n") as f:
            f.write("Windows Registry Editor Version 5.00\n\n"
                    "[HKEY_LOCAL_MACHINE\\Software\\Quellmark\\Options\\EmailSettings]\n"
                    '"SmtpServer"="127.0.0.1"\n"MailFrom"="quellmark@example.com"\n"SrvReqAuth"=dword:00000001\n'
                    '"AuthName"="meter"\n"AuthPass"="%s"\n' % MAIL_PASSWORD)
        wine("reg", "import", r"C:\Quellmark\email.reg", quiet=True)
        check(not email_key_closed()[0], "a key imported anew is open again")
        rc, out = wine(admin, "email", "protect", quiet=True, check_rc=False)
        check(rc == 0 and email_key_closed()[0], "email protect closes it: %r" % out)

        smtp = SmtpServer(seconds=150)
        base = PAIR.counters()
        wine("sc", "start", "QuellmarkService", quiet=True)
        log_path = os.path.join(folder, "quellmarkservice.log")
        end = time.monotonic() + 30
        while time.monotonic() < end and not (os.path.exists(log_path) and
                                              "Service is running..." in open(log_path, "rb").read().decode("latin-1")):
            time.sleep(0.2)
        check(wine.service_state() == "RUNNING", "the service runs")

        # A second service process ends at once with its log line.
        wine(r"C:\Quellmark\QuellmarkService.exe", timeout=30, quiet=True)

        time.sleep(1.5)
        got = PAIR.exchange(UPLOAD_BYTES, DOWNLOAD_BYTES, processes)
        check(got == DOWNLOAD_BYTES, "the traffic crossed the pair (%d bytes back)" % got)
        # Let the reports and the recorder see the traffic.
        time.sleep(REPORT_SECONDS * 2 + 1.5)
        end = time.monotonic() + 20
        while not smtp.messages and time.monotonic() < end:
            time.sleep(0.2)

        stop_began = time.monotonic()
        wine("sc", "stop", "QuellmarkService", quiet=True)
        stopped = wine.wait_state("STOPPED", 20)
        stop_took = time.monotonic() - stop_began
        check(stopped and stop_took < 8, "sc stop stops the service within a few seconds (%.1f s)" % stop_took)
        final = PAIR.counters()

        # The activity log.
        msgs = [message_of(l) for l in log_lines(log_path)]
        check(None not in msgs, "every log line has the ctime form")
        check("Failed to create file ''." in msgs and
              "Failed to create file 'C:\\Quellmark\\no-such-folder\\r.txt'." in msgs,
              "the hostile report tasks are logged as failing")
        ok, missing = in_order(msgs, [
            r"Quellmark Service start up\.\.\.",
            r"Traffic log file: C:\\Quellmark\\TrafficHistory\.log",
            r"Service is running\.\.\.",
            r"Bandwidth usage exceeds limit\.",
            r"Send a notification email to admin@example\.com",
            r"Successfully sent bandwidth usage notification email to admin@example\.com\.",
            r"Quellmark Service stopped\.",
        ])
        check(ok, "the activity log holds the run in order (missing: %s)" % missing)
        check("Err: service is running." in msgs, "a second service process logs that one runs")
        # Reports run on their own threads, so their lines may come before or
        # after the notification's; they lie within the run.
        running = msgs.index("Service is running...") if "Service is running..." in msgs else len(msgs)
        stopped = max([i for i, m in enumerate(msgs) if m == "Quellmark Service stopped."] or [0])
        check(all(running < i < stopped for i, m in enumerate(msgs) if m and m.startswith("Generate ")),
              "the report lines lie between the start and the stop")
        check(any(m and re.fullmatch(r"Generate daily report \(C:\\Quellmark\\veth-daily\.csv\) for e2e veth successfully", m)
                  for m in msgs), "the daily report of the veth adapter is logged")
        check(any(m and re.fullmatch(r"Generate summary report \(C:\\Quellmark\\all-summary\.txt\) for All Connections successfully", m)
                  for m in msgs), "the summary report of All Connections is logged")

        # The history file.
        today = time.localtime()
        today_date = (today.tm_year, today.tm_mon, today.tm_mday)
        records = history_records(os.path.join(folder, "TrafficHistory.log")) or []
        todays = [r for r in records if r["date"] == today_date]
        kinds = {r["kind"] for r in todays}
        check({100, 200, 300} <= kinds, "today's records of kinds 100, 200 and 300: %s" % sorted(kinds))
        veth = [r for r in todays if r["kind"] == 300 and r["id"] == adapter_id]
        check(len(veth) == 1, "one record of the veth adapter for today")
        if veth:
            kernel_down, kernel_up = final[0] - base[0], final[1] - base[1]
            v = veth[0]
            print("history %d/%d, kernel %d/%d" % (v["down"], v["up"], kernel_down, kernel_up))
            # What the kernel counted that the test did not make itself (ARP,
            # TCP handshakes and acknowledgements) is the only allowed gap.
            slack = 64 * 1024
            check(DOWNLOAD_BYTES <= v["down"] <= kernel_down and kernel_down - v["down"] <= slack,
                  "download total agrees with the kernel")
            check(UPLOAD_BYTES <= v["up"] <= kernel_up and kernel_up - v["up"] <= slack,
                  "upload total agrees with the kernel")
            all_rec = [r for r in todays if r["kind"] == 100]
            check(all_rec and all_rec[0]["down"] >= v["down"] and all_rec[0]["up"] >= v["up"],
                  "All Connections holds at least the veth traffic")

            # The reports: their last run came after the traffic, so they
            # carry today's totals as the history has them.
            with open(os.path.join(folder, "veth-daily.csv"), encoding="latin-1", newline="") as f:
                rows = list(csv.reader(io.StringIO(f.read())))
            today_text = "%04d-%02d-%02d" % today_date
            row = [r for r in rows if r and r[0] == today_text]
            check(len(row) == 1 and row[0][2] == format_amount(v["down"]) and row[0][3] == format_amount(v["up"]),
                  "the daily CSV report has today's veth totals: %s" % (row[0] if row else rows[:8]))
            with open(os.path.join(folder, "all-summary.txt"), encoding="latin-1") as f:
                summary = f.read()
            check("General Traffic Summary" in summary and "All Connections" in summary and
                  re.search(r"^ Today:\s+\S+ \w+\s+\S+ \w+\s+\S+ \w+\r?$", summary, re.M) is not None,
                  "the summary text report has a Today line")

        # The recorder file: header block, then one line per interval.
        with open(os.path.join(folder, "veth-rates.csv"), encoding="latin-1", newline="") as f:
            rates = f.read()
        check(rates.startswith("The file was generated by Quellmark ") and "\r\nFile:,Traffic Rates Log\r\n" in rates and
              "Adapter:,e2e veth\r\n" in rates and "Interval:,%d second(s)\r\n" % RECORD_SECONDS in rates,
              "the recorder file has its header block")
        body = rates.split("Date,Time,Download,Up,Both\r\n", 1)[-1]
        lines = [l for l in body.split("\r\n") if l]
        stamps = [re.fullmatch(r"\d{4}-\d\d-\d\d,(\d\d):(\d\d):(\d\d),\d+,\d+,\d+", l) for l in lines]
        seconds = [int(m.group(1)) * 3600 + int(m.group(2)) * 60 + int(m.group(3)) for m in stamps if m]
        check(len(lines) >= 3 and len(seconds) == len(lines) and
              # an interval counts ticks; a slow tick stretches it a little
              all(RECORD_SECONDS <= (b - a) % 86400 <= RECORD_SECONDS + 2 for a, b in zip(seconds, seconds[1:])),
              "the recorder wrote one line per interval: %s" % lines)
        recorded_down = sum(int(l.split(",")[2]) for l in lines)
        check(recorded_down >= DOWNLOAD_BYTES, "the recorder lines carry the download (%d)" % recorded_down)

        # The e-mail.
        check(len(smtp.messages) == 1, "the SMTP server received one message (%d)" % len(smtp.messages))
        if smtp.messages:
            mail = smtp.messages[0]
            text = mail["data"].decode("latin-1")
            body = text.split("\r\n\r\n", 1)[-1]
            check(mail["to"] == ["<admin@example.com>"], "addressed to the rule's address: %s" % mail["to"])
            check(mail["login"] == ("meter", MAIL_PASSWORD), "the service logged in with AUTH LOGIN: %s" % (mail["login"],))
            check(re.search(r"%[btapf]", body) is None and "100 KB" in body and "e2e veth" in body,
                  "the tags are replaced in the body: %r" % body)

        # Not enabled: the worker ends at once and the service stops.
        wine("reg", "delete", r"HKLM\Software\Quellmark\Service", "/v", "ServiceEnabled", "/f", quiet=True)
        mark = len(log_lines(log_path))
        wine("sc", "start", "QuellmarkService", quiet=True, check_rc=False)
        check(wine.wait_state("STOPPED", 20), "a service that is not enabled stops by itself")
        time.sleep(0.5)
        ok, missing = in_order([message_of(l) for l in log_lines(log_path)[mark:]], [
            r"Quellmark Service start up\.\.\.",
            re.escape('Service isn\'t enabled. You may enable service at "Options" -> "Serice" -> "Enable Serice"'),
            r"Err: 0x0101000",
            r"Quellmark Service stopped\.",
        ])
        check(ok, "the not-enabled start is logged (missing: %s)" % missing)

        # Removing a running service stops it first (with its final flush).
        wine("reg", "add", r"HKLM\Software\Quellmark\Service", "/v", "ServiceEnabled", "/t", "REG_DWORD",
             "/d", "1", "/f", quiet=True)
        wine("sc", "start", "QuellmarkService", quiet=True)
        check(wine.wait_state("RUNNING", 20), "the service runs again once enabled")
        mark = len(log_lines(log_path))
        _, out = wine(r"C:\Quellmark\QuellmarkService.exe", "/uninstall", quiet=True)
        check(out.replace("\r\n", "\n") == "Uninstall service...success\n", "/uninstall prints the outcome: %r" % out)
        rc, out = wine("sc", "query", "QuellmarkService", check_rc=False, quiet=True)
        check(rc != 0 and "STATE" not in out, "sc query no longer finds the service")
        # Both the uninstalling process and the stopped service end with
        # their stop line.
        end = time.monotonic() + 10
        while True:
            stops = [message_of(l) for l in log_lines(log_path)[mark:]].count("Quellmark Service stopped.")
            if stops >= 2 or time.monotonic() > end:
                break
            time.sleep(0.2)
        check(stops == 2, "the running service was stopped when it was removed")
        rc, out = wine(r"C:\Quellmark\QuellmarkService.exe", "/uninstall", quiet=True, check_rc=False)
        lines = out.replace("\r\n", "\n").split("\n")
        check(rc == 1 and lines[0] == "Uninstall service...failure" and len(lines[1]) > 0,
              "/uninstall of a removed service fails with status 1 and the system's reason: %d %r" % (rc, out))
    finally:
        end_all(wine, processes, PAIR, smtp)
    return harness.summary()


if __name__ == "__main__":
    sys.exit(main())
