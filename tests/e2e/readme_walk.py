#!/usr/bin/python3
"""The README's service section, followed to the letter under Wine.

The commands are taken from the README itself: its fenced blocks from "The
service: installing, configuring, removing" up to "Crash soak", in order.
`sh` blocks run in bash, in a folder laid out like the repository (the
built programs under build/win/service/, the template under service/admin/);
each `bat` line runs as "/usr/lib/wine/wine64 LINE" in the same shell state,
as the README says; blocks marked `windows-only` are skipped, as it says;
each `text` block is what the command before it must print. Where a person
would put in their own values (their adapter, mail server, intervals that
do not take a day), the test does the same, and only those: see EXAMPLES.

Between the steps it makes real traffic across a veth pair into a network
namespace of its own (198.51.100.0/24) and receives the notification on an
SMTP server of its own on 127.0.0.1 port 25, then checks what the service
wrote: the activity log, reports, recorder file, e-mail and history. It
also shows the messages of the mistakes a newcomer makes (a missing folder,
a name for an ID, an unquoted path, a wrong argument count, a second
install).

Needs root (network namespace, port 25); exits 77 without it. Everything it
starts is ended by process id; the namespace, the veth pair and the
prefix's Wine server are removed, also on failure.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import SKIP, check, lacks_root, summary  # noqa: E402
from history_records import history_records  # noqa: E402
from service_e2e import SmtpServer, Wine, end_all, in_order, log_lines, message_of  # noqa: E402
from veth_pair import VethPair  # noqa: E402

BUILD = os.environ.get("QM_BUILD_DIR", "")
SOURCE = os.environ.get("QM_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
WINE = "/usr/lib/wine/wine64"
PAIR = VethPair("qw%d" % (os.getpid() % 100000), "198.51.100.213", "198.51.100.214", port=5203)
UPLOAD_BYTES = 512 * 1024
DOWNLOAD_BYTES = 1024 * 1024
REPORT_SECONDS = 3
MAIL_PASSWORD = "walk-Pa55word"
FIRST = "## The service: installing, configuring, removing"
LAST = "### Crash soak"

def examples(adapter_id):
    """The README's example values and what this machine has instead."""
    return [("{00000002-0000-0000-0000-4E6574446576}", adapter_id),
            ("  eth0  198.51.100.1", "  %s  %s" % (PAIR.host, PAIR.host_ip)),
            ("mail.example.com", "127.0.0.1"),
            (" 3600 ", " %d " % REPORT_SECONDS),
            (" 86400 ", " %d " % REPORT_SECONDS),
            (" 10 GB ", " 100 KB ")]


def readme_blocks():
    """(language, words after it, lines) of every fenced block of the section."""
    with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as f:
        text = f.read()
    section = text[text.index(FIRST):text.index(LAST)]
    blocks, current = [], None
    for line in section.split("\n"):
        m = re.match(r"^(\s*)```(.*)$", line)
        if m and current is None:
            words = m.group(2).split()
            current = (words[0] if words else "", words[1:], [], len(m.group(1)))
        elif m:
            blocks.append(current[:3])
            current = None
        elif current is not None:
            current[2].append(line[current[3]:])
    # A line ending in a backslash goes on in the next one.
    joined = []
    for lang, extra, lines in blocks:
        out = []
        for line in lines:
            if out and out[-1].endswith("\\") and lang == "sh":
                out[-1] = out[-1][:-1] + " " + line.strip()
            elif line.strip():
                out.append(line)
        joined.append((lang, extra, out))
    return joined


class Shell:
    """One shell session: its variables and folder carry from block to block."""

    def __init__(self, folder):
        self.env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        self.cwd = folder

    def run(self, script, stdin_text=None, timeout=180):
        # Output through files: Wine's helpers inherit the handles and
        # outlive the command.
        with tempfile.TemporaryDirectory() as t:
            state = os.path.join(t, "state")
            wrapped = "set -e\n%s\n{ pwd; env -0; } > %s\n" % (script, state)
            with open(os.path.join(t, "in"), "w+b") as i, open(os.path.join(t, "out"), "w+b") as o:
                i.write((stdin_text or "").encode())
                i.seek(0)
                p = subprocess.run(["/bin/bash", "-c", wrapped], stdin=i, stdout=o, stderr=subprocess.STDOUT,
                                   cwd=self.cwd, env=self.env, timeout=timeout)
                o.seek(0)
                out = o.read().decode("utf-8", "replace").replace("\r\n", "\n")
            if os.path.exists(state):
                with open(state, "rb") as f:
                    cwd, _, env = f.read().partition(b"\n")
                self.cwd = cwd.decode()
                self.env = dict(e.decode().split("=", 1) for e in env.split(b"\0") if b"=" in e)
        return p.returncode, out


def lay_out_repository(folder, service_exe, admin_exe):
    """The files the README's commands name, where it says they are."""
    os.makedirs(os.path.join(folder, "build", "win", "service"))
    os.makedirs(os.path.join(folder, "service", "admin"))
    os.symlink(os.path.abspath(service_exe), os.path.join(folder, "build", "win", "service", "QuellmarkService.exe"))
    os.symlink(os.path.abspath(admin_exe), os.path.join(folder, "build", "win", "service", "QuellmarkAdmin.exe"))
    os.symlink(os.path.join(SOURCE, "service", "admin", "quellmark-service.reg"),
               os.path.join(folder, "service", "admin", "quellmark-service.reg"))


def edit_template(path, adapter_id):
    """Step 2 as a person does it: their adapter, files and mail server."""
    with open(path, encoding="latin-1", newline="") as f:
        reg = f.read()
    for old, new in (("{00000002-0000-0000-0000-4E6574446576}", adapter_id),
                     ('"RecordInterval"=dword:0000003c', '"RecordInterval"=dword:00000002'),
                     (r'"RecordFile"="C:\\ProgramData\\Quellmark\\office-lan.csv"', r'"RecordFile"="C:\\Reports\\lan-rates.csv"'),
                     ('"SmtpServer"="mail.example.com"', '"SmtpServer"="127.0.0.1"')):
        if old not in reg:
            raise RuntimeError("the template no longer holds " + old)
        reg = reg.replace(old, new)
    with open(path, "w", encoding="latin-1", newline="") as f:
        f.write(reg)


class Walk:
    def __init__(self, folder):
        self.shell = Shell(folder)
        self.adapter_id = None
        self.last_out = ""
        self.smtp = None
        self.processes = []
        self.base = None
        self.log_mark = 0

    def wine(self):
        return Wine(self.shell.env["WINEPREFIX"])

    def prefix_path(self, *parts):
        return os.path.join(self.shell.env["WINEPREFIX"], "drive_c", *parts)

    def substitute(self, text):
        for old, new in examples(self.adapter_id or "{00000002-0000-0000-0000-4E6574446576}"):
            text = text.replace(old, new)
        return text

    def bat(self, line, stdin_text=None):
        rc, out = self.shell.run("%s %s" % (WINE, line), stdin_text=stdin_text)
        return rc, out

    # --- the README, block by block ------------------------------------------

    def step(self, lang, extra, lines):
        if lang == "sh":
            script = "\n".join(lines)
            rc, out = self.shell.run(script)
            check(rc == 0, "sh block runs: %s%s" % (lines[0], "" if rc == 0 else "\n" + out))
            self.last_out = out
        elif lang == "bat" and "windows-only" in extra:
            print("skip %s (Windows only, as the README says)" % lines[0])
        elif lang == "bat":
            for line in lines:
                self.bat_line(line)
        elif lang == "text":
            wanted = [self.substitute(l) for l in lines]
            check(all(w in self.last_out.split("\n") for w in wanted),
                  "prints what the README shows: %r in %r" % (wanted, self.last_out))

    def bat_line(self, line):
        typed = self.substitute(line)
        self.before(typed)
        stdin_text = MAIL_PASSWORD + "\n" if typed.startswith("QuellmarkAdmin email set") else None
        rc, out = self.bat(typed, stdin_text)
        self.last_out = out
        print("$ wine64 %s -> %d\n%s" % (typed, rc, out.rstrip()))
        check(rc == 0, "runs as written: %s" % typed)
        self.after(typed, out)

    def before(self, line):
        if line.endswith("QuellmarkService.exe\" /uninstall"):
            self.log_mark = len(log_lines(self.prefix_path("Program Files", "Quellmark", "quellmarkservice.log")))
        if line == "reg import quellmark-service.reg":
            edit_template(os.path.join(self.shell.cwd, "quellmark-service.reg"), self.adapter_id)

    def after(self, line, out):
        if line == "QuellmarkAdmin adapters":
            m = re.search(r"^(\{[0-9A-F-]+\})  %s\b" % re.escape(PAIR.host), out, re.M)
            check(m is not None, "the veth adapter is listed with its ID")
            self.adapter_id = m.group(1) if m else "{NONE}"
        elif line == "QuellmarkAdmin check":
            check(out == "No problems found.\n", "check finds nothing wrong in the settings as configured")
            self.mistakes()
        elif line == "sc query QuellmarkService":
            check(self.wine().wait_state("RUNNING", 20), "the service runs")
            self.traffic_and_results()
        elif line.endswith("QuellmarkService.exe\" /uninstall"):
            self.after_uninstall()
        elif line.startswith("reg delete"):
            rc, _ = self.bat(r'reg query "HKLM\Software\Quellmark"')
            check(rc != 0, "no setting of the service is left")

    # --- what a newcomer gets wrong, and is now told ---------------------------

    def mistakes(self):
        cases = [
            (r'QuellmarkAdmin report add x daily all 5 "C:\NoSuch\x.csv"', 0,
             'Warning: the folder "C:\\NoSuch" of "C:\\NoSuch\\x.csv" does not exist'),
            (r'QuellmarkAdmin report add x daily 300:eth0 5 "C:\Reports\x.csv"', 0,
             'Warning: no adapter present now has the ID "ETH0"'),
            (r'QuellmarkAdmin report add x daily all 5 C:\Reports\x.csv', 2, '"C:Reportsx.csv" has no folder'),
            ("QuellmarkAdmin report add x", 2,
             "report add: TYPE is missing.\nUsage: QuellmarkAdmin [/reg] report add NAME TYPE ADAPTER SECONDS FILE"),
            ('"C:\\Program Files\\Quellmark\\QuellmarkService.exe" /install', 1, "Install service...failure\n"),
        ]
        for line, status, message in cases:
            rc, out = self.bat(line)
            check(rc == status and message in out, "%s -> %d, says %r: %r" % (line, rc, message, out))
        rc, out = self.bat("QuellmarkAdmin check")
        check(rc == 1 and 'Report task "x": the folder "C:\\NoSuch"' not in out and 'Report task "x": no adapter' in out,
              "check names the task of the absent adapter: %r" % out)
        self.bat("QuellmarkAdmin report delete x")

    # --- the service at work ------------------------------------------------

    def traffic_and_results(self):
        wine = self.wine()
        log = self.prefix_path("Program Files", "Quellmark", "quellmarkservice.log")
        end = time.monotonic() + 20
        while time.monotonic() < end and "Service is running..." not in [message_of(l) for l in log_lines(log)]:
            time.sleep(0.3)
        self.base = PAIR.counters()
        got = PAIR.exchange(UPLOAD_BYTES, DOWNLOAD_BYTES, self.processes, pieces=3)
        check(got == DOWNLOAD_BYTES, "the traffic crossed the pair (%d bytes back)" % got)
        time.sleep(REPORT_SECONDS * 2 + 1.5)
        end = time.monotonic() + 20
        while not self.smtp.messages and time.monotonic() < end:
            time.sleep(0.2)
        check(wine.service_state() == "RUNNING", "the service still runs (the persistent server keeps it)")

        msgs = [message_of(l) for l in log_lines(log)]
        ok, missing = in_order(msgs, [r"Quellmark Service start up\.\.\.",
                                      r"Traffic log file: C:\\Program Files\\Quellmark\\TrafficHistory\.log",
                                      r"Service is running\.\.\.",
                                      r"Successfully sent bandwidth usage notification email to admin@example\.com.*"])
        check(ok, "the activity log shows the start and the mail (missing: %s)" % missing)
        reports = self.prefix_path("Reports")
        for name, what in (("lan-daily.csv", "Office LAN"), ("summary.html", "All Connections"),
                           ("all-daily.txt", "All Connections")):
            path = os.path.join(reports, name)
            text = open(path, encoding="latin-1").read() if os.path.exists(path) else ""
            check(what in text, "the report task wrote C:\\Reports\\%s" % name)
        rates = os.path.join(reports, "lan-rates.csv")
        rates_text = open(rates, encoding="latin-1", newline="").read() if os.path.exists(rates) else ""
        recorded = sum(int(l.split(",")[2]) for l in rates_text.split("\r\n")
                       if re.fullmatch(r"\d{4}-\d\d-\d\d,\d\d:\d\d:\d\d,\d+,\d+,\d+", l))
        check(recorded >= DOWNLOAD_BYTES, "the recorder file carries the download (%d)" % recorded)
        check(len(self.smtp.messages) == 1, "one notification e-mail arrived (%d)" % len(self.smtp.messages))
        if self.smtp.messages:
            mail = self.smtp.messages[0]
            check(mail["to"] == ["<admin@example.com>", "<ops@example.com>"] and mail["login"] == ("meter", MAIL_PASSWORD),
                  "to the rule's addresses, logged in with the account set: %s %s" % (mail["to"], mail["login"]))

    def after_uninstall(self):
        final = PAIR.counters()
        log = self.prefix_path("Program Files", "Quellmark", "quellmarkservice.log")
        # The removing process and the stopped service both end with the line.
        end = time.monotonic() + 10
        while time.monotonic() < end:
            stops = [message_of(l) for l in log_lines(log)[self.log_mark:]].count("Quellmark Service stopped.")
            if stops >= 2:
                break
            time.sleep(0.2)
        check(stops >= 2, "the service was stopped, with its stop line, before it was removed")
        today = time.localtime()
        records = history_records(self.prefix_path("Program Files", "Quellmark", "TrafficHistory.log")) or []
        veth = [r for r in records if r["kind"] == 300 and r["id"] == self.adapter_id and
                r["date"] == (today.tm_year, today.tm_mon, today.tm_mday)]
        kernel_down = final[0] - self.base[0] if self.base else 0
        check(len(veth) == 1 and DOWNLOAD_BYTES <= veth[0]["down"] <= kernel_down,
              "today's veth traffic is in the history file: %s, kernel %d" % (veth, kernel_down))


def main():
    if lacks_root():
        return SKIP
    if len(sys.argv) != 3 or not all(os.path.exists(p) for p in sys.argv[1:]):
        print("usage: readme_walk.py QuellmarkService.exe QuellmarkAdmin.exe")
        return 1
    folder = os.path.join(BUILD or os.getcwd(), "readme-walk")
    old_prefix = os.path.join(folder, "build", "service-prefix")
    if os.path.isdir(old_prefix):
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=dict(os.environ, WINEPREFIX=old_prefix), timeout=30)
    shutil.rmtree(folder, ignore_errors=True)
    lay_out_repository(folder, *sys.argv[1:])

    walk = Walk(folder)
    blocks = readme_blocks()
    check(len(blocks) > 10, "the README's service section has its command blocks (%d)" % len(blocks))
    try:
        PAIR.create()
        walk.smtp = SmtpServer(300)
        for lang, extra, lines in blocks:
            walk.step(lang, extra, lines)
    finally:
        prefix = walk.shell.env.get("WINEPREFIX")
        end_all(Wine(prefix) if prefix else None, walk.processes, PAIR, walk.smtp)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
