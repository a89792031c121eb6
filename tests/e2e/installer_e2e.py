#!/usr/bin/python3
"""End-to-end test of Quellmark-Setup.exe in a fresh Wine prefix of its own.

Installs silently with the service, checks the files, the Start menu links,
the uninstaller's registration, the service, the start with Windows and the
version data; starts the installed program, whose first start opens the help
("Quellmark Help", found again by F1); upgrades over the running program with
one of its windows open; looks at every window of the help's screenshot
table at 96 and at 144 DPI for clipped texts, and presses F1 in each at 144
DPI (the help opens on that window's page); uninstalls silently while the
program runs and checks that the program, the service, the files and the
links are gone and the history files are kept; installs again and removes
everything with /PURGE.
Screenshots stay in installer_e2e/.

Usage: installer_e2e.py Quellmark-Setup.exe meter_driver.exe
"""
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "packaging", "help"))
from harness import WINE, WINESERVER, Desktop, check, summary  # noqa: E402
from screenshots import ALERT, OPTIONS, WINDOWS, close_window, open_window, prepare  # noqa: E402

INSTALLED = "C:\\Program Files\\Quellmark"
PROGRAMS = ["Quellmark.exe", "QuellmarkService.exe", "QuellmarkAdmin.exe"]
FILES = PROGRAMS + ["Quellmark.chm", "quellmark-service.reg", "uninstall.exe"]
LINKS = ["Quellmark.lnk", "Quellmark Help.lnk", "Uninstall Quellmark.lnk"]
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quellmark"
RUN_KEY = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
SERVICE_KEY = "HKLM\\System\\CurrentControlSet\\Services\\QuellmarkService"
HELP = "Quellmark Help"
ID_SHOW, ID_EXIT, ID_POPUP_MENU = 32771, 32795, 32806
ID_STOPWATCH, IDHELP = 32786, 9


class Setup(Desktop):
    """A Desktop whose program is the installed one."""

    def __init__(self, setup, driver, work):
        super().__init__(INSTALLED + "\\Quellmark.exe", driver, work)
        self.setup_exe = setup
        # No menu entries or file associations on the host for the links.
        self.env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
        self.folder = os.path.join(self.prefix, "drive_c", "Program Files", "Quellmark")
        self.menu = os.path.join(self.prefix, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu",
                                 "Programs", "Quellmark")

    def run(self, name, args, timeout=180):
        with open(os.path.join(self.work, name + ".log"), "wb") as log:
            return subprocess.run([WINE] + args, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode

    def reg(self, key, value=None):
        """The data of a value ("" for a key that exists), or None."""
        self.count += 1
        name = "reg-%d" % self.count
        args = ["reg", "query", key] + (["/v", value] if value else [])
        if self.run(name, args, 60) != 0:
            return None
        with open(os.path.join(self.work, name + ".log"), encoding="latin-1") as f:
            for line in f:
                parts = line.strip().split(None, 2)
                if value and parts and parts[0].lower() == value.lower():
                    return parts[2] if len(parts) > 2 else ""
        return None if value else ""

    def setup(self):
        super().setup()
        # The service manager, and the service with it, live as long as the
        # server: keep it until close() ends it.
        subprocess.run([WINESERVER, "-p"], env=self.env, timeout=30)

    def service_running(self):
        self.count += 1
        name = "sc-%d" % self.count
        self.run(name, ["sc", "query", "QuellmarkService"], 60)
        with open(os.path.join(self.work, name + ".log"), encoding="latin-1") as f:
            return any("STATE" in line and "RUNNING" in line for line in f)

    def shot(self, name):
        """A screenshot to look at; nothing reads its pixels here."""
        subprocess.run(["import", "-display", self.display, "-window", "root",
                        os.path.join(self.work, name + ".png")], check=True, timeout=30)

    def windows(self, title):
        rc, lines = self.drive("count", title)
        return int(lines[0].split("=")[1]) if rc == 0 and lines else -1


def has_version_data(path):
    with open(path, "rb") as f:
        data = f.read()
    return all(s.encode("utf-16-le") in data for s in ("ProductVersion", "2.6.0.629", "Quellmark"))


def install(s):
    rc = s.run("setup", [s.setup_exe, "/S", "/SERVICE=1"])
    check(rc == 0, "Quellmark-Setup.exe /S /SERVICE=1 ends with 0 (got %d)" % rc)
    missing = [f for f in FILES if not os.path.isfile(os.path.join(s.folder, f))]
    check(not missing, "every file is installed into Program Files (missing: %s)" % missing)
    links = [f for f in LINKS if not os.path.isfile(os.path.join(s.menu, f))]
    check(not links, "the Start menu links exist (missing: %s)" % links)
    check(s.reg(UNINSTALL_KEY, "UninstallString") == '"%s\\uninstall.exe"' % INSTALLED,
          "the uninstaller is registered")
    check(s.reg(UNINSTALL_KEY, "DisplayVersion") == "2.6.0.629", "with the version")
    check((s.reg(SERVICE_KEY, "ImagePath") or "").strip('"').lower() ==
          (INSTALLED + "\\QuellmarkService.exe").lower(), "the service is installed")
    check(s.reg("HKLM\\Software\\Quellmark\\Options\\EmailSettings") is not None,
          "the e-mail settings key exists, closed by email protect")
    check(s.reg(RUN_KEY, "Quellmark") == '"%s\\Quellmark.exe"' % INSTALLED, "Quellmark starts with Windows")
    for p in PROGRAMS:
        check(has_version_data(os.path.join(s.folder, p)), "%s carries the version data" % p)
    with open(os.path.join(s.folder, "Quellmark.exe"), "rb") as f:
        exe = f.read()
    check(b"Microsoft.Windows.Common-Controls" in exe and b"<dpiAware>true</dpiAware>" in exe,
          "Quellmark.exe declares common controls 6 and DPI awareness")


def first_start_and_help(s):
    s.start("program")
    info = s.wait_for(lambda: (lambda i: i if i.get("found") == "1" else None)(s.info()), 60)
    if not check(info is not None, "the installed program starts: its meter window appears"):
        return False
    check(s.wait_for(lambda: s.windows(HELP) == 1, 60), "the first start opens the help: one window titled %s"
          % HELP)
    s.shot("help-96dpi")
    time.sleep(2)  # the help window's own activation settles first
    s.drive("keys", "f1")  # brings the meter window forward, then F1
    check(s.wait_for(lambda: "foreground=1" in s.drive("window", HELP)[1], 20) and s.windows(HELP) == 1,
          "F1 with the help open brings that window forward: still one help window")
    s.drive("close", HELP)
    check(s.wait_for(lambda: s.windows(HELP) == 0, 20), "the help window closes")
    time.sleep(2)
    # Without a window manager the meter window does not always take the
    # focus back at once when the help goes; a person would press F1 again.
    opened = False
    for _ in range(3):
        s.drive("keys", "f1")
        opened = s.wait_for(lambda: s.windows(HELP) >= 1, 20)
        if opened:
            break
    check(opened and s.wait_for(lambda: s.windows(HELP) == 1, 10), "F1 opens the help again")
    s.drive("close", HELP)
    s.wait_for(lambda: s.windows(HELP) == 0, 20)
    s.shot("meter-96dpi")
    every_window(s, 96)
    return True


def upgrade_over_running(s):
    """The program and the service run; the setup stops both, then starts
    the service again."""
    s.run("enable", ["reg", "add", "HKLM\\Software\\Quellmark\\Service", "/v", "ServiceEnabled", "/t",
                     "REG_DWORD", "/d", "1", "/f"], 60)
    s.run("start-service", ["sc", "start", "QuellmarkService"], 60)
    check(s.wait_for(s.service_running, 30), "the service runs before the upgrade")
    running = s.procs[-1]
    # A person with one of the program's windows open: the setup must end
    # the program all the same, or it cannot replace its files.
    s.drive("command", ID_STOPWATCH)
    check(s.wait_for(lambda: s.windows("Stopwatch") == 1, 20), "the stopwatch is open during the upgrade")
    rc = s.run("upgrade", [s.setup_exe, "/S"])
    check(rc == 0, "a second setup over the running program ends with 0")
    check(s.wait_for(lambda: s.info().get("found") != "1", 20), "and ended the running program first")
    check(s.wait_for(lambda: running.poll() is not None, 20), "whose process is gone")
    check(s.reg(SERVICE_KEY, "ImagePath") is not None, "the service stays installed")
    with open(os.path.join(s.folder, "quellmarkservice.log"), encoding="latin-1") as f:
        log = f.read()
    check(log.rfind("Quellmark Service stopped.") > log.find("Service is running"),
          "the service was stopped for the upgrade")
    check(s.wait_for(s.service_running, 30), "and runs again after it")
    check(s.reg("HKCU\\Software\\Quellmark\\Options", "TrafficLogFile") is not None, "the settings stay")


def help_pages(s):
    """The pages the help viewers of this prefix were started on."""
    pages = []
    mine = ("WINEPREFIX=" + s.prefix).encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                if mine not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                command = f.read().replace(b"\0", b" ").decode("latin-1")
        except OSError:
            continue
        pages += re.findall(r"Quellmark\.chm::/([\w.]+)", command)
    return pages


def help_from(s, w, how, *driver_args):
    """F1 (or a Help button) in a window opens the help on its page."""
    s.drive(*driver_args)
    check(s.wait_for(lambda: s.windows(HELP) == 1 and w.help in help_pages(s), 30),
          "%s in %s opens the help on %s (pages open: %s)" % (how, w.name, w.help, help_pages(s)))
    s.drive("close", HELP)
    s.wait_for(lambda: s.windows(HELP) == 0, 20)


def no_clipped_text(s, w, dpi):
    rc, lines = s.drive("clipped", w.title, "Tahoma", 8)
    clipped = [line for line in lines if line.startswith("clipped=")]
    check(rc == 0 and "dpi=%d" % dpi in lines and not clipped,
          "no text of %s is clipped at %d DPI: %s" % (w.name, dpi, clipped))
    s.shot("%s-%ddpi" % (w.name, dpi))


def every_window(s, dpi, more=lambda w: None):
    """Opens each window of the table from the meter window, checks it for
    clipped texts and does `more` with it open."""
    for w in WINDOWS:
        if w.command is None:
            continue
        if not check(open_window(s, w) is not None, "%s opens at %d DPI" % (w.name, dpi)):
            close_window(s, w)
            continue
        time.sleep(1)
        no_clipped_text(s, w, dpi)
        more(w)
        close_window(s, w)


def help_on_its_page(s, w):
    help_from(s, w, "F1", "keysto", w.title, "f1")
    if w.title == OPTIONS:
        help_from(s, w, "Help", "sheet", "press", IDHELP)


def at_144_dpi(s):
    """Every window of the help's screenshot table, with the same history
    and usage limit (written into the user's history file), so the alert
    opens by itself first."""
    for key in ("HKCU\\Control Panel\\Desktop", "HKCC\\Software\\Fonts"):
        s.run("dpi", ["reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f"], 60)
    prepare(s, s.reg("HKCU\\Software\\Quellmark\\Options", "TrafficLogFile"))
    s.start("program-144")
    if not check(s.wait_for(lambda: s.info().get("found") == "1", 60), "the program starts at 144 DPI"):
        return
    alert = next(w for w in WINDOWS if w.title == ALERT)
    if check(open_window(s, alert) is not None, "the alert opens by itself at 144 DPI"):
        time.sleep(1)
        no_clipped_text(s, alert, 144)
        help_on_its_page(s, alert)
        close_window(s, alert)
    time.sleep(2)
    s.shot("meter-144dpi")
    s.drive("command", ID_POPUP_MENU)  # the owner-drawn menu, to look at
    time.sleep(1.5)
    s.shot("menu-144dpi")
    s.drive("keys", "esc")  # closes the menu (or hides the window: shown again below)
    s.drive("command", ID_SHOW)
    every_window(s, 144, lambda w: help_on_its_page(s, w))
    s.drive("command", ID_EXIT)
    check(s.wait_for(lambda: s.info().get("found") != "1", 20), "the program exits")


def uninstall(s):
    user_history = (s.reg("HKCU\\Software\\Quellmark\\Options", "TrafficLogFile") or "")
    running = s.start("program-before-uninstall")
    check(s.wait_for(lambda: s.info().get("found") == "1", 60), "the program runs before the uninstall")
    rc = s.run("uninstall", [INSTALLED + "\\uninstall.exe", "/S"])
    check(rc == 0, "uninstall.exe /S ends with 0")
    check(s.wait_for(lambda: running.poll() is not None, 20), "and ends the running program")
    # uninstall.exe runs on from a copy of itself and returns at once: wait
    # for each removal, in the order it makes them.
    gone = s.wait_for(lambda: not any(os.path.exists(os.path.join(s.folder, f)) for f in FILES), 60)
    check(gone, "the program files are removed")
    check(s.wait_for(lambda: not os.path.exists(s.menu), 20), "the Start menu folder is removed")
    unregistered = s.wait_for(lambda: s.reg(UNINSTALL_KEY, "UninstallString") is None, 20)
    check(s.reg(SERVICE_KEY, "ImagePath") is None and not s.service_running(), "the service is stopped and removed")
    check(s.reg(RUN_KEY, "Quellmark") is None, "the start with Windows is removed")
    check(unregistered, "the uninstaller is no longer registered")
    check(os.path.isfile(os.path.join(s.folder, "TrafficHistory.log")), "the service's history file is kept")
    local = user_history.replace("C:\\", os.path.join(s.prefix, "drive_c") + "/").replace("\\", "/")
    check(user_history and os.path.isfile(local), "the user's history file is kept: %s" % user_history)
    check(s.reg("HKCU\\Software\\Quellmark\\Options", "TrafficLogFile") is not None, "and the settings")
    return local


def uninstall_everything(s, user_history):
    """Installed again, then removed with /PURGE: nothing of it stays."""
    check(s.run("setup-again", [s.setup_exe, "/S"]) == 0, "the setup installs again")
    check(s.run("purge", [INSTALLED + "\\uninstall.exe", "/S", "/PURGE"]) == 0,
          "uninstall.exe /S /PURGE ends with 0")
    check(s.wait_for(lambda: not os.path.exists(s.folder), 60),
          "the folder goes with the service's history file")
    check(not os.path.exists(user_history), "the user's history file is removed")
    check(s.reg("HKCU\\Software\\Quellmark") is None and s.reg("HKLM\\Software\\Quellmark") is None,
          "the settings of the program and the service are removed")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    setup, driver = map(os.path.abspath, sys.argv[1:])
    work = os.path.abspath("installer_e2e")
    shutil.rmtree(work, ignore_errors=True)  # a fresh prefix every run
    os.makedirs(work)
    s = Setup(setup, driver, work)
    try:
        s.setup()
        install(s)
        if first_start_and_help(s):
            upgrade_over_running(s)
            at_144_dpi(s)
        user_history = uninstall(s)
        uninstall_everything(s, user_history)
    finally:
        s.close()
    return summary(work)


if __name__ == "__main__":
    sys.exit(main())
