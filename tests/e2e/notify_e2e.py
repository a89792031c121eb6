#!/usr/bin/python3
"""End-to-end test of the notification windows under Wine and Xvfb.

The alert window: a rule with a limit of 1 MB downloaded today through a
veth adapter of this test is passed by real traffic across the pair
(198.51.100.0/24, a network namespace the test makes); the window opens
with its message and so-far line, which grows with more traffic; "Stop
Sound" by Alt+S, the keyboard focus moving on from the button it disables;
the refusals of "Next " (0 minutes at Alt+F4, not a number at "&Close"),
the choice handed back and stored, Ctrl+N showing it again, Esc closing it
while it beeps; the rule's program that cannot be started is reported.

The Notification page of the options sheet: its controls off and on, its
refusals in order with their message and focus (the e-mail and program
rows both evaluated), the question about incomplete mail settings answered
No and Yes, the record and the mail settings in the registry after the
apply, and a rule set on the page that real traffic across a second veth
pair then passes, opening the alert window.

The Email Settings dialog (through email_dialog_host.exe): its checks, the
preview, a test e-mail through AUTH LOGIN to an SMTP server of this test on
127.0.0.1 port 25 with the success box, and a server that never answers:
the dialog stays responsive, disabled with "Sending email...", until the
failure box comes within the client's time limit; at 96 and at 144 DPI it
lies whole on the screen with no text cut off. The programs run with
QUELLMARK_SMTP_WAIT_MS=5000, so that limit is 5 s instead of 60 s.

Needs root (network namespace, port 25); without it the test is skipped.
Everything it starts is ended by process id; the namespace and the pair are
removed also on failure. Screenshots stay in notify_e2e/.

Usage: notify_e2e.py Quellmark.exe meter_driver.exe email_dialog_host.exe
"""
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "meter"))
from harness import SKIP, WINE, Desktop, check, ends, lacks_root, summary, work_folder  # noqa: E402
from options_e2e import Sheet, answer, boxes, open_sheet, refused, set_dpi  # noqa: E402
from service_e2e import SmtpServer  # noqa: E402
from veth_pair import VethPair  # noqa: E402

PAIR = VethPair("qn%d" % (os.getpid() % 100000), "198.51.100.213", "198.51.100.214", port=5203)
PAGE_PAIR = VethPair("qp%d" % (os.getpid() % 100000), "198.51.100.217", "198.51.100.218", port=5204)
SMTP_WAIT_MS = 5000
ADAPTER_NAME = "Metered Link"
ID_EXIT, ID_SHOW_ALERT = 32795, 32805
IDOK, IDCANCEL, IDYES, IDNO, ID_APPLY = 1, 2, 6, 7, 12321
ALERT = "Notification - Quellmark"
EMAIL = "Email Settings"

# Controls of the alert window and the Email Settings dialog.
A_MESSAGE, A_SO_FAR, A_STOP, A_NO_LONGER, A_NEXT, A_MINUTES = 4001, 4002, 4003, 4004, 4005, 4006
E_SERVER, E_FROM, E_AUTH, E_ACCOUNT, E_PASSWORD, E_SUBJECT, E_BODY = 4021, 4022, 4023, 4024, 4025, 4026, 4027
E_PREVIEW, E_SEND, E_ADDRESS, E_STATUS = 4028, 4029, 4030, 4031
MAIL_ACCOUNT, MAIL_PASSWORD = "meter-user", "Pa55-word"

# Controls of the Notification page, its place among the tabs, and its
# controls that only the rule's own check boxes or the period turn on.
N_PAGE = 3
N_ENABLE, N_LIMIT, N_UNIT, N_TRANSFER, N_PERIOD, N_DAYS, N_DAYS_LABEL = 4551, 4553, 4555, 4557, 4559, 4560, 4562
N_DAYS_SPIN, N_ADAPTER, N_SOUND, N_SOUND_FILE, N_SOUND_BROWSE, N_SOUND_TEST = 4561, 4564, 4566, 4567, 4568, 4569
N_BEEP, N_PATTERN, N_BEEP_TEST, N_EMAIL, N_ADDRESSES, N_EMAIL_SETTINGS = 4570, 4571, 4572, 4573, 4574, 4575
N_PROGRAM, N_PROGRAM_FILE, N_PROGRAM_BROWSE = 4577, 4578, 4579
FOLLOWERS = {N_DAYS: N_PERIOD, N_DAYS_SPIN: N_PERIOD, N_DAYS_LABEL: N_PERIOD, N_SOUND_FILE: N_SOUND, N_SOUND_BROWSE: N_SOUND,
             N_SOUND_TEST: N_SOUND, N_PATTERN: N_BEEP, N_BEEP_TEST: N_BEEP, N_ADDRESSES: N_EMAIL,
             N_EMAIL_SETTINGS: N_EMAIL, N_PROGRAM_FILE: N_PROGRAM, N_PROGRAM_BROWSE: N_PROGRAM}
QUESTION = "You have chosen to send notification email. But settings for email sending aren't set properly."


def rule_record(adapter_id):
    """NotificationEx2: 1 MB downloaded in the last 1 days through the
    adapter, beep pattern 0, a program that does not exist."""
    def text(value, size):
        return value.encode("latin-1").ljust(size, b"\0")
    record = struct.pack("<Ii", 3, 300) + text(adapter_id, 260) + text("1", 64)
    record += struct.pack("<IIII", 2, 0, 2, 0) + text("", 260)           # MB, downloaded, custom, no sound
    record += struct.pack("<IIiI", 1, 0, 1, 0) + text("", 260)           # beep 0, N = 1, no e-mail
    record += struct.pack("<I", 1) + text("C:\\missing\\alarm-tool.exe", 260)
    assert len(record) == 1148
    return record


def reg_hex(data):
    return ",".join("%02x" % b for b in data)


def reg_import(d, name, lines):
    path = os.path.join(d.work, name + ".reg")
    with open(path, "w", encoding="latin-1", newline="\r\n") as f:
        f.write("REGEDIT4\n\n" + "\n".join(lines) + "\n")
    d.quiet([WINE, "reg", "import", path], d.env, 60)


class Dialog:
    """A dialog found by its title through the driver."""

    def __init__(self, d, title):
        self.d, self.title = d, title

    def read(self):
        _, lines = self.d.drive("dialog", self.title)
        got = {"found": False, "controls": {}, "boxes": [], "texts": []}
        for line in lines:
            key, _, value = line.partition("=")
            if key == "found":
                got["found"] = value == "1"
            elif key == "control":
                cid, cls, enabled, checked, text = value.split("|", 4)
                got["controls"][int(cid)] = {"class": cls, "enabled": enabled == "1", "checked": int(checked),
                                             "text": text}
            elif key == "box":
                got["boxes"].append(value)
            elif key == "text":
                got["texts"].append(value)
            else:
                got[key] = value
        return got

    def wait(self, predicate, seconds=15):
        return self.d.wait_for(lambda: (lambda g: g if predicate(g) else None)(self.read()), seconds)

    def click(self, cid):
        self.d.drive("click", self.title, cid)

    def set(self, cid, text):
        self.d.drive("settext", self.title, cid, text)

    def box(self, text, seconds=15):
        """Waits for a message box with this text; returns the dialog's state."""
        return self.wait(lambda g: text in g["texts"], seconds)

    def answer(self, button=IDOK):
        self.d.drive("boxclick", self.title, button)
        return self.wait(lambda g: not g["boxes"], 10)


def cv(g, cid, key="text"):
    """A value of control `cid` in a dialog state; None when it is gone."""
    return g["controls"].get(cid, {}).get(key)


# --- the alert window ---------------------------------------------------------

def alert_window(d, program, date_text):
    PAIR.create()
    adapter_id = "{%08X-0000-0000-0000-4E6574446576}" % PAIR.ifindex()
    d.drive("reset")
    key = "[HKEY_CURRENT_USER\\Software\\Quellmark\\%s]"
    reg_import(d, "rule", [
        key % "Options", '"NotificationEnabled"=dword:00000001', '"NextAlertType"=dword:00000000',
        '"NextAlertMin"=dword:00000005', '"NotificationEx2"=hex:' + reg_hex(rule_record(adapter_id)), "",
        key % ("AdaptersEx\\300-" + adapter_id), '"AdapterID"="%s"' % adapter_id,
        '"AdapterName"="%s"' % ADAPTER_NAME, ""])
    p = d.start("alert-start")
    if not check(d.wait_for(lambda: d.info().get("found") == "1", 30), "the program starts with the rule"):
        return p
    time.sleep(2)
    check(not Dialog(d, ALERT).read()["found"], "no alert before the traffic")
    got = PAIR.exchange(64 * 1024, 2 * 1024 * 1024, d.procs, 4)
    check(got == 2 * 1024 * 1024, "2 MB crossed the pair (%d bytes back)" % got)
    alert = Dialog(d, ALERT)
    seen = alert.wait(lambda g: g["found"] and g["controls"].get(A_SO_FAR, {}).get("text"), 20)
    if not check(seen is not None, "passing the limit opens the alert window"):
        return p
    # The rule's program cannot be started: said in a box over the alert.
    failed = 'Failed to run the program "C:\\missing\\alarm-tool.exe" of the usage notification: '
    box = alert.wait(lambda g: any(t.startswith(failed) for t in g["texts"]), 15)
    check(box is not None, "the program that cannot be started is reported: %s" % (box and box["texts"]))
    if box:
        alert.answer()
    # The so-far line follows the traffic a tick or two behind it.
    so_far = lambda g: re.fullmatch(r"Downloaded so far: ([0-9.]+) MB", cv(g, A_SO_FAR) or "")  # noqa: E731
    c = (alert.wait(lambda g: so_far(g) and float(so_far(g).group(1)) >= 2.0, 10) or alert.read())["controls"]
    want = ('Dear user, more than 1 MB have been downloaded through "%s" in last 1 days (%s -- %s).'
            % (ADAPTER_NAME, date_text, date_text))
    check(c[A_MESSAGE]["text"] == want, "the message: %s" % c[A_MESSAGE]["text"])
    first = c[A_SO_FAR]["text"]
    m = re.fullmatch(r"Downloaded so far: ([0-9.]+) MB", first)
    check(m is not None and float(m.group(1)) >= 2.0, "the so-far line counts the 2 MB: %s" % first)
    check(c[A_STOP]["enabled"], "Stop Sound is on while the beep plays")
    check(c[A_NO_LONGER]["checked"] == 1 and not c[A_MINUTES]["enabled"],
          "No longer is chosen as stored, and the minutes box is off")
    check(c[A_MINUTES]["text"] == "5", "the minutes box shows the stored 5")
    d.shot("alert-window")
    # More traffic: the line follows within a second or two.
    PAIR.exchange(16 * 1024, 1024 * 1024, d.procs, 2)
    grown = alert.wait(lambda g: cv(g, A_SO_FAR) not in (None, first), 5)
    check(grown is not None, "the so-far line grows with the traffic: %s" % (grown and cv(grown, A_SO_FAR)))
    d.drive("keysto", ALERT, "alt+s")
    stopped = alert.wait(lambda g: cv(g, A_STOP, "enabled") is False, 10)
    focus = [line for line in d.drive("controls", ALERT)[1] if line.startswith("focus=")]
    check(stopped is not None and focus not in ([], ["focus=0"], ["focus=%d" % A_STOP]),
          "Alt+S stops the sound and disables Stop Sound, the keyboard focus moving on (%s)" % focus)
    # "Next " with 0 minutes, then with a text that is no number.
    alert.click(A_NEXT)
    check(alert.wait(lambda g: cv(g, A_MINUTES, "enabled"), 10) is not None, "Next turns the minutes on")
    for minutes, refusal, close in (("0", "Minutes up to next alert should be greater than 0.", "alt+f4"),
                                    ("soon", "Please enter an integer.", None)):
        alert.set(A_MINUTES, minutes)
        if close:
            d.drive("keysto", ALERT, close)
        else:
            alert.click(IDOK)
        state = alert.box(refusal)
        check(state is not None, "Next with %r is refused: %s" % (minutes, refusal))
        if state and minutes == "0":
            d.shot("alert-refusal")
        alert.answer()
        check(alert.read()["found"], "and the window stays open")
    alert.set(A_MINUTES, "2")
    alert.click(IDOK)
    check(d.wait_for(lambda: not alert.read()["found"], 10), "Close with 2 minutes closes the window")
    opts = d.wait_for(lambda: (lambda o: o if o.get("NextAlertType") == "1" else None)(d.options()), 10) or \
        d.options()
    check(opts.get("NextAlertType") == "1" and opts.get("NextAlertMin") == "2",
          "the choice is stored: type %s, %s minutes" % (opts.get("NextAlertType"), opts.get("NextAlertMin")))
    # Ctrl+N shows it again, with the choice it was closed with.
    d.drive("command", ID_SHOW_ALERT)
    again = alert.wait(lambda g: g["found"], 10)
    check(again is not None and cv(again, A_NEXT, "checked") == 1 and cv(again, A_MINUTES) == "2",
          "Ctrl+N shows the alert again with Next 2")
    alert.click(A_NO_LONGER)
    alert.wait(lambda g: cv(g, A_MINUTES, "enabled") is False, 10)
    d.drive("keysto", ALERT, "esc")  # while it beeps again
    check(d.wait_for(lambda: not alert.read()["found"], 10) and
          d.wait_for(lambda: d.options().get("NextAlertType") == "0", 10), "Esc with No longer closes and stores type 0")
    d.drive("command", ID_EXIT)
    check(ends(d, p), "the program ends on Exit")
    return None


# --- the Notification page ----------------------------------------------------

def page_controls(sheet):
    return {cid: c for cid, c in sheet.info()["controls"].items() if cid > 0}


def combo_items(d, cid):
    _, lines = d.drive("controls", "Quellmark Options")
    return [line.split("|", 2)[2] for line in lines if line.startswith("item=%d|" % cid)]


def question_shown(d):
    return d.wait_for(lambda: any(t.startswith(QUESTION) for t in boxes(d)[1]), 10)


def page_refusals(d, sheet, work_windows):
    """Each check in its order: the controls set to fail it and no earlier one."""
    wav, text_file = work_windows
    rows = [  # (what, [(action, control, value)], message, focus)
        ("no adapter", [("select", N_ADAPTER, -1)], "Please select an adapter.", N_ADAPTER),
        ("empty limit", [("select", N_ADAPTER, 0), ("text", N_LIMIT, "")],
         "Please enter a valid transfer number.", N_LIMIT),
        ("a comma in the limit", [("text", N_LIMIT, "1,5")], "Please enter a valid transfer number.", N_LIMIT),
        ("a minus sign", [("text", N_LIMIT, "-1")], "Please enter a valid transfer number.", N_LIMIT),
        ("limit 0", [("text", N_LIMIT, "0")], "Please enter a valid transfer number.", N_LIMIT),
        ("no unit", [("text", N_LIMIT, "1.5"), ("select", N_UNIT, -1)],
         "Please select a transfer unit (Bytes, KB, MB, GB, or TB).", N_UNIT),
        ("no transfer type", [("select", N_UNIT, 2), ("select", N_TRANSFER, -1)],
         "Please select the transfer type (downloaded, uploaded or both).", N_TRANSFER),
        ("no period", [("select", N_TRANSFER, 0), ("select", N_PERIOD, -1)], "Please select a period.", N_PERIOD),
        ("custom with 0 days", [("select", N_PERIOD, 2), ("text", N_DAYS, "0")],
         "The last day number should be greater than or equal to 1.", N_DAYS),
        ("custom with more days than 32 bits hold", [("text", N_DAYS, "99999999999")],
         "The last day number should be less than or equal to 2147483647.", N_DAYS),
        ("sound without a file", [("text", N_DAYS, "1"), ("check", N_SOUND, 1), ("text", N_SOUND_FILE, "")],
         "Please choose a sound file.", N_SOUND_FILE),
        ("a sound path without a folder", [("text", N_SOUND_FILE, "alarm.wav")],
         "File 'alarm.wav' isn't available or isn't a WAV file.", N_SOUND_FILE),
        ("a sound file that is no wave file", [("text", N_SOUND_FILE, text_file)],
         "File '%s' isn't available or isn't a WAV file." % text_file, N_SOUND_FILE),
        # Asked for with the beep off too; its disabled list cannot take the
        # focus, so the box that turns it on does.
        ("no beep pattern, beep off", [("text", N_SOUND_FILE, wav), ("select", N_PATTERN, -1)],
         "Please select a beep sound.", N_BEEP),
        ("no beep pattern, beep on", [("check", N_BEEP, 1)], "Please select a beep sound.", N_PATTERN),
        ("only commas for addresses", [("check", N_BEEP, 0), ("select", N_PATTERN, 3), ("check", N_EMAIL, 1), ("text", N_ADDRESSES, ",,")],
         "Please input email address.", N_ADDRESSES),
        ("a bad second address", [("text", N_ADDRESSES, "reader@example.com, bad@nodot")],
         "Invalid email address 'bad@nodot'.", N_ADDRESSES),
        ("bad address and no program: the program's wins",
         [("check", N_PROGRAM, 1), ("text", N_PROGRAM_FILE, "")], "Please choose an executable file.", N_PROGRAM_FILE),
        ("a program that is not there", [("text", N_PROGRAM_FILE, "C:\\missing\\alarm tool.exe")],
         "File 'C:\\missing\\alarm tool.exe' isn't available.", N_PROGRAM_FILE),
    ]
    for what, steps, message, focus in rows:
        for action, cid, value in steps:
            if action == "select":
                sheet.select(cid, value)
            elif action == "check":
                sheet.check(cid, value)
            else:
                sheet.text(cid, value)
        sheet.page(0)  # the refusal brings the page back to the front
        sheet.press(ID_APPLY)
        refused(d, sheet, message, N_PAGE, focus, "Notification page, " + what)
    if boxes(d)[0]:
        answer(d)


def program_browse(d, sheet, program):
    """The program's browse button: an open dialog for executables whose
    choice goes into the program box."""
    def chooser():
        _, lines = d.drive("controls", "Open")
        parts = [line[8:].split("|") for line in lines if line.startswith("control=")]
        return {int(p[0]): "|".join(p[2:-2]) for p in parts}
    sheet.press(N_PROGRAM_BROWSE)
    got = d.wait_for(lambda: (lambda c: c if 1136 in c else None)(chooser()), 15)
    if not check(got is not None, "the program's browse button opens the Open dialog"):
        return
    check(got[1136] == "Executable File (*.exe)", "its first file type is executables: %r" % got[1136])
    name = next(cid for cid in (1148, 1152) if cid in got)
    d.drive("type", "Open", name, program)
    d.drive("press", "Open", IDOK)
    if not check(d.wait_for(lambda: not chooser(), 10), "Open closes on the program chosen"):
        d.drive("press", "Open", IDCANCEL)
    check(d.wait_for(lambda: page_controls(sheet)[N_PROGRAM_FILE]["text"].lower() == program.lower(), 10),
          "the chosen program goes into the program box: %r" % page_controls(sheet)[N_PROGRAM_FILE]["text"])


def page_record(d):
    hexed = d.options().get("NotificationEx2", "")
    return bytes.fromhex(hexed) if hexed else b""


def field(record, at, size):
    return record[at:at + size].split(b"\0", 1)[0].decode("latin-1")


def notification_page(d, date_text, host):
    PAGE_PAIR.create()
    adapter_id = "{%08X-0000-0000-0000-4E6574446576}" % PAGE_PAIR.ifindex()
    d.drive("reset")
    reg_import(d, "page-adapter", ["[HKEY_CURRENT_USER\\Software\\Quellmark\\AdaptersEx\\300-%s]" % adapter_id,
                                   '"AdapterID"="%s"' % adapter_id, '"AdapterName"="Page Link"', ""])
    # A wave file and a text file to choose, in a folder with a space.
    folder = os.path.join(d.prefix, "drive_c", "Sound Files")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "chime.wav"), "wb") as f:
        f.write(b"RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\0\0\0\0")
    with open(os.path.join(folder, "notes.txt"), "w") as f:
        f.write("not a sound\n")
    wav, text_file = "C:\\Sound Files\\chime.wav", "C:\\Sound Files\\notes.txt"
    # The rule's program, in a folder and under a name with spaces: a copy of
    # the Email Settings host, whose window shows that it was started.
    tools = os.path.join(d.prefix, "drive_c", "Alarm Tools")
    os.makedirs(tools, exist_ok=True)
    shutil.copyfile(host, os.path.join(tools, "mail host.exe"))
    program = "C:\\Alarm Tools\\mail host.exe"
    p = d.start("page-start")
    if not check(d.wait_for(lambda: d.info().get("found") == "1", 30), "the program starts"):
        return p
    sheet = open_sheet(d)
    if not check(sheet is not None, "the options sheet opens"):
        return p
    sheet.page(N_PAGE)
    info = d.wait_for(lambda: (lambda i: i if i.get("page") == str(N_PAGE) else None)(sheet.info()), 10) or {}
    check(info.get("tabs", [])[N_PAGE:N_PAGE + 1] == ["Notification"], "the fourth tab is Notification: %s" %
          info.get("tabs"))
    c = page_controls(sheet)
    on = sorted(cid for cid, x in c.items() if x["enabled"])
    check(on == [N_ENABLE] and c[N_ENABLE]["checked"] == 0,
          "with the rule off only Enable notification is on: %s" % on)
    d.shot("page-disabled")
    names = combo_items(d, N_ADAPTER)
    check(names[:2] == ["All Connections", "Dial-Up Connections"] and "Page Link" in names,
          "the adapter list holds every record's name: %s" % names)
    check([combo_items(d, cid) for cid in (N_UNIT, N_TRANSFER, N_PERIOD)] ==
          [["TB", "GB", "MB", "KB", "Bytes"], ["downloaded", "uploaded", "downloaded & uploaded"],
           ["month", "week", "custom"]], "the unit, transfer and period lists in their order")
    check(len(combo_items(d, N_PATTERN)) == 9, "nine beep patterns")
    _, lines = d.drive("sheet", "info")
    limits = dict(tuple(map(int, line[6:].split("|"))) for line in lines if line.startswith("limit="))
    # The addresses go into a mail of at most 255 characters of recipients:
    # a longer list could never be sent.
    check([limits.get(cid) for cid in (N_LIMIT, N_SOUND_FILE, N_ADDRESSES, N_PROGRAM_FILE)] == [63, 259, 255, 259],
          "the boxes take 63, 259, 255 and 259 characters: %s" % limits)

    sheet.check(N_ENABLE, 1)
    c = d.wait_for(lambda: (lambda x: x if x[N_LIMIT]["enabled"] else None)(page_controls(sheet)), 10) or \
        page_controls(sheet)
    off = sorted(cid for cid, x in c.items() if not x["enabled"])
    check(off == sorted(FOLLOWERS), "enabled: the rule's controls on, each action's own controls off: %s" % off)
    check(c[N_UNIT]["sel"] == "4" and c[N_PERIOD]["sel"] == "1" and c[N_ADAPTER]["sel"] == "0" and
          c[N_DAYS]["text"] == "1", "a stored rule of zeros shows Bytes, week, the first adapter and 1 day")
    sheet.select(N_PERIOD, 2)
    for box in (N_SOUND, N_BEEP, N_EMAIL, N_PROGRAM):
        sheet.check(box, 1)
    c = d.wait_for(lambda: (lambda x: x if all(x[f]["enabled"] for f in FOLLOWERS) else None)(page_controls(sheet)),
                   10)
    check(c is not None, "custom and the four ticks turn every follower on")
    d.shot("page-enabled")
    program_browse(d, sheet, program)
    for box in (N_SOUND, N_BEEP, N_EMAIL, N_PROGRAM):
        sheet.check(box, 0)
    sheet.select(N_PERIOD, 1)

    page_refusals(d, sheet, (wav, text_file))

    # Valid now, but with no mail settings: the question, answered No, and
    # the apply goes on.
    sheet.select(N_ADAPTER, names.index("Page Link"))
    sheet.text(N_ADDRESSES, "reader@example.com")
    sheet.text(N_PROGRAM_FILE, program)
    sheet.check(N_SOUND, 0)
    sheet.select(N_PATTERN, 3)
    sheet.press(ID_APPLY)
    check(question_shown(d), "incomplete mail settings bring the question")
    d.shot("page-question")
    answer(d, IDNO)
    rec = d.wait_for(lambda: (lambda r: r if len(r) == 1148 else None)(page_record(d)), 10) or b""
    opts = d.options()
    check(opts.get("NotificationEnabled") == "1", "NotificationEnabled is stored on")
    if check(len(rec) == 1148, "NotificationEx2 is stored, 1148 bytes (%d)" % len(rec)):
        ints = lambda at, n: list(struct.unpack_from("<%di" % n, rec, at))  # noqa: E731
        want = {"version and kind": ([3, 300], ints(0, 2)), "adapter": (adapter_id, field(rec, 8, 260)),
                "limit": ("1.5", field(rec, 268, 64)), "unit, transfer, period": ([2, 0, 2], ints(332, 3)),
                "sound": ([0, wav], [ints(344, 1)[0], field(rec, 348, 260)]),
                "beep, pattern, days": ([0, 3, 1], ints(608, 3)),
                "e-mail": ([1, "reader@example.com"], [ints(620, 1)[0], field(rec, 624, 260)]),
                "program": ([1, program], [ints(884, 1)[0], field(rec, 888, 260)])}
        for what, (expected, got) in want.items():
            check(expected == got, "stored %s: %s (want %s)" % (what, got, expected))
    # Answered Yes: the Email Settings dialog opens over the sheet, which
    # waits for it; its values go into the apply.
    sheet.text(N_ADDRESSES, "reader@example.com, second@example.com")
    sheet.press(ID_APPLY)
    check(question_shown(d), "the question comes again while the settings stay incomplete")
    answer(d, IDYES)
    email = Dialog(d, EMAIL)
    check(email.wait(lambda g: g["found"], 10) is not None, "Yes opens the Email Settings dialog")
    style = int(sheet.info().get("style", "0"), 16)
    check(style & 0x08000000, "the sheet is disabled while the dialog is open")
    email.set(E_SERVER, "127.0.0.1")
    email.set(E_FROM, "meter@example.com")
    email.click(IDOK)
    check(d.wait_for(lambda: not email.read()["found"], 10), "OK closes the dialog")
    mail = d.wait_for(lambda: (lambda m: m if m.get("SmtpServer") == "127.0.0.1" else None)(mail_settings(d)), 10)
    check(mail and mail.get("MailFrom") == "meter@example.com" and
          mail.get("EmlTempSubject") == "Bandwidth Usage Notification",
          "the apply stored the dialog's mail settings: %s" % mail)
    check(field(page_record(d), 624, 260) == "reader@example.com, second@example.com",
          "and the rule with both addresses")
    # A day count past the spin's range is stored whole, not cut to 32767.
    sheet.text(N_DAYS, "40000")
    sheet.press(ID_APPLY)
    days = lambda: struct.unpack_from("<i", page_record(d).ljust(1148, b"\0"), 616)[0]  # noqa: E731
    check(d.wait_for(lambda: days() == 40000, 10), "a custom period of 40000 days is stored as 40000 (%d)" % days())
    sheet.text(N_DAYS, "1")
    sheet.press(ID_APPLY)
    d.wait_for(lambda: days() == 1, 10)
    sheet.press(IDOK)
    check(d.wait_for(lambda: not sheet.info()["found"], 10), "OK closes the sheet")

    # The rule set on the page, passed by real traffic: the alert opens and
    # the notification goes to both addresses.
    smtp = SmtpServer(seconds=60)
    try:
        got = PAGE_PAIR.exchange(64 * 1024, 2 * 1024 * 1024, d.procs, 4)
        check(got == 2 * 1024 * 1024, "2 MB crossed the second pair (%d bytes back)" % got)
        alert = Dialog(d, ALERT)
        seen = alert.wait(lambda g: g["found"] and cv(g, A_SO_FAR), 20)
        want = ('Dear user, more than 1.5 MB have been downloaded through "Page Link" in last 1 days (%s -- %s).'
                % (date_text, date_text))
        check(seen is not None and cv(seen, A_MESSAGE) == want,
              "the rule applied on the page opens the alert: %s" % (seen and cv(seen, A_MESSAGE)))
        check(d.wait_for(lambda: smtp.messages, 20), "the notification e-mail reached the local server")
        started = email.wait(lambda g: g["found"], 20)
        check(started is not None, "the rule's program with spaces in its path was started")
        if started:
            email.click(IDCANCEL)
            d.wait_for(lambda: not email.read()["found"], 10)
        if seen:
            alert.click(IDOK)
            d.wait_for(lambda: not alert.read()["found"], 10)
    finally:
        smtp.close()
    if smtp.messages:
        check(smtp.messages[0]["to"] == ["<reader@example.com>", "<second@example.com>"],
              "one RCPT for each address: %s" % smtp.messages[0]["to"])

    # Switched off: the meter window is told so and keeps the stored rule.
    sheet = open_sheet(d)
    if check(sheet is not None, "the options sheet opens again"):
        sheet.page(N_PAGE)
        d.wait_for(lambda: sheet.info().get("page") == str(N_PAGE), 10)
        c = page_controls(sheet)
        check(c[N_ENABLE]["checked"] == 1 and c[N_LIMIT]["text"] == "1.5" and c[N_PERIOD]["sel"] == "2" and
              c[N_PROGRAM_FILE]["text"] == program, "it shows the rule as applied")
        sheet.check(N_ENABLE, 0)
        sheet.text(N_LIMIT, "7")
        sheet.press(IDOK)
        check(d.wait_for(lambda: not sheet.info()["found"], 10), "OK with the rule off needs no checks")
        opts = d.wait_for(lambda: (lambda o: o if o.get("NotificationEnabled") == "0" else None)(d.options()), 10)
        check(opts is not None and field(page_record(d), 268, 64) == "1.5",
              "NotificationEnabled is stored off and the stored rule keeps its limit")
    d.drive("command", ID_EXIT)
    check(ends(d, p), "the program ends on Exit")
    return None


def mail_settings(d):
    out = os.path.join(d.work, "mail-settings.txt")
    with open(out, "wb") as f:
        subprocess.run([WINE, "reg", "query", "HKCU\\Software\\Quellmark\\Options\\EmailSettings"], env=d.env,
                       stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.STDOUT, timeout=60)
    with open(out, encoding="latin-1") as f:
        value = re.compile(r"^[ \t]+(\w+)[ \t]+REG_\w+[ \t]*(.*?)[ \t]*\r?$", re.M)
        return {m.group(1): m.group(2) for m in value.finditer(f.read())}


# --- the Email Settings dialog ------------------------------------------------

class SilentServer(SmtpServer):
    """Takes connections on port 25 and never says a word."""

    def converse(self, conn):
        while time.monotonic() < self.end:
            time.sleep(0.2)


def start_host(d, host, name):
    log = open(os.path.join(d.work, name + ".log"), "wb")
    p = subprocess.Popen([WINE, host], env=d.env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
    log.close()
    d.procs.append(p)
    return p


def email_checks(dialog):
    """The settings checks of OK, in order, and the test address."""
    dialog.set(E_SERVER, "")
    dialog.click(IDOK)
    check(dialog.box("Please input SMTP server name or IP.") is not None, "OK with no server is refused")
    dialog.answer()
    dialog.set(E_SERVER, "127.0.0.1")
    dialog.set(E_ACCOUNT, "")
    dialog.click(IDOK)
    check(dialog.box("Please input SMTP server authentication account name.") is not None,
          "authentication without an account name is refused")
    dialog.answer()
    dialog.set(E_ACCOUNT, MAIL_ACCOUNT)
    dialog.set(E_ADDRESS, "one@example.com, two@example.com")
    dialog.click(E_SEND)
    check(dialog.box("Please enter a valid email address.") is not None, "two test addresses are refused")
    dialog.answer()
    dialog.click(E_PREVIEW)
    preview = dialog.wait(lambda g: any(t.startswith("Hi,") for t in g["texts"]), 15)
    body = [t for t in (preview or {"texts": []})["texts"] if t.startswith("Hi,")]
    check(body and "More than 10 GB have been downloaded through LAN [10.0.0.10] in last week "
          "(03/02/2008 -- 03/08/2008)." in body[0] and "Bytes downloaded so far: 11.2 GB" in body[0],
          "Preview shows the body with the test values: %s" % body)
    dialog.answer()


def email_dialog(d, host):
    reg_import(d, "mail", [
        "[HKEY_CURRENT_USER\\Software\\Quellmark\\Options\\EmailSettings]", '"SmtpServer"="127.0.0.1"',
        '"MailFrom"="meter@example.com"', '"SrvReqAuth"=dword:00000001', '"AuthName"="%s"' % MAIL_ACCOUNT,
        '"AuthPass"="%s"' % MAIL_PASSWORD, ""])
    p = start_host(d, host, "email-host")
    dialog = Dialog(d, EMAIL)
    opened = dialog.wait(lambda g: g["found"], 30)
    if not check(opened is not None, "the Email Settings dialog opens"):
        return
    c = opened["controls"]
    check(c[E_SERVER]["text"] == "127.0.0.1" and c[E_AUTH]["checked"] == 1 and c[E_ACCOUNT]["enabled"] and
          c[E_SUBJECT]["text"] == "Bandwidth Usage Notification" and c[E_BODY]["text"].startswith("Hi,"),
          "it shows the stored settings and the default template")
    dialog.click(E_AUTH)
    off = dialog.wait(lambda g: cv(g, E_ACCOUNT, "enabled") is False, 10)
    check(off is not None and cv(off, E_PASSWORD, "enabled") is False,
          "unticking authentication disables account and password")
    dialog.click(E_AUTH)
    dialog.wait(lambda g: cv(g, E_ACCOUNT, "enabled"), 10)
    email_checks(dialog)

    # A test e-mail that arrives.
    smtp = SmtpServer(seconds=60)
    try:
        dialog.set(E_ADDRESS, "reader@example.com")
        dialog.click(E_SEND)
        done = dialog.box("The test email was sent successfully.", 60)
        check(done is not None, "a test e-mail to the local server gives the success box")
        if done:
            d.shot("email-sent")
        dialog.answer()
        after = dialog.read()
        check(after.get("enabled") == "1" and cv(after, E_STATUS) == "",
              "the dialog is enabled again and the status label is empty")
    finally:
        smtp.close()
    check(len(smtp.messages) == 1, "the server received one message (%d)" % len(smtp.messages))
    if smtp.messages:
        mail = smtp.messages[0]
        data = mail["data"].decode("latin-1")
        check(mail["login"] == (MAIL_ACCOUNT, MAIL_PASSWORD), "AUTH LOGIN carried the account: %s" % (mail["login"],))
        check(mail["from"].strip() == "<meter@example.com>" and mail["to"] == ["<reader@example.com>"],
              "MAIL FROM and RCPT TO: %s %s" % (mail["from"], mail["to"]))
        check("Subject: [Test Email] Bandwidth Usage Notification\r\n" in data and
              "More than 10 GB have been downloaded through LAN [10.0.0.10]" in data,
              "the test subject and the body with the test values arrived")

    # A server that never answers: the dialog waits, alive, for the time limit.
    silent = SilentServer(seconds=200)
    try:
        started = time.monotonic()
        dialog.click(E_SEND)
        waiting = dialog.wait(lambda g: g.get("enabled") == "0", 10)
        check(waiting is not None and cv(waiting, E_STATUS) == "Sending email...",
              "while sending the dialog is disabled and says Sending email...")
        if waiting:
            d.shot("email-sending")
        answers = []
        while time.monotonic() - started < SMTP_WAIT_MS / 1000.0 * 0.7:
            answers.append(dialog.read().get("responsive"))
        check(answers and all(a == "1" for a in answers), "the dialog answers all the while: %s" % answers)
        failed = dialog.box("Failed to send the test email.||Error: Time out.", 30)
        took = time.monotonic() - started
        check(failed is not None and SMTP_WAIT_MS / 1000.0 - 1 < took < SMTP_WAIT_MS / 1000.0 + 15,
              "a silent server gives the failure box after the time limit of %d ms (%.1f s)" % (SMTP_WAIT_MS, took))
        if failed:
            d.shot("email-failed")
        dialog.answer()
    finally:
        silent.close()
    dialog.set(E_SUBJECT, "Usage")
    dialog.click(IDOK)
    check(ends(d, p) and p.returncode == 0, "OK closes the dialog and saves")
    out = os.path.join(d.work, "subject.txt")
    with open(out, "wb") as f:
        subprocess.run([WINE, "reg", "query", "HKCU\\Software\\Quellmark\\Options\\EmailSettings", "/v",
                        "EmlTempSubject"], env=d.env, stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.STDOUT,
                       timeout=60)
    with open(out, encoding="latin-1") as f:
        check(re.search(r"EmlTempSubject\s+REG_SZ\s+Usage\s*$", f.read(), re.M) is not None,
              "the subject typed is stored")


def email_dialog_on_screen(d, host, dpi):
    """At this DPI the dialog lies whole on the 1024 x 768 screen, no text cut off."""
    set_dpi(d, dpi)
    p = start_host(d, host, "email-host-%d" % dpi)
    dialog = Dialog(d, EMAIL)
    opened = dialog.wait(lambda g: g["found"], 30)
    if check(opened is not None, "the Email Settings dialog opens at %d DPI" % dpi):
        left, top, right, bottom = map(int, opened["rect"].split())
        check(0 <= left and 0 <= top and right <= 1024 and bottom <= 768,
              "at %d DPI it lies whole on the screen: %s" % (dpi, opened["rect"]))
        rc, lines = d.drive("clipped", EMAIL, "Tahoma", 8)
        clipped = [line for line in lines if line.startswith("clipped=")]
        check(rc == 0 and "dpi=%d" % dpi in lines and not clipped,
              "no text of it is cut off at %d DPI: %s" % (dpi, clipped))
        d.shot("email-settings-%ddpi" % dpi)
        dialog.click(IDCANCEL)
    check(ends(d, p) and p.returncode == 1, "Cancel closes it at %d DPI" % dpi)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    program, driver, host = map(os.path.abspath, sys.argv[1:])
    if lacks_root("the network namespace and port 25"):
        return SKIP
    work = work_folder("notify_e2e", (".png", ".ppm", ".txt", ".log", ".reg"))
    d = Desktop(program, driver, work)
    d.env["QUELLMARK_SMTP_WAIT_MS"] = str(SMTP_WAIT_MS)
    today = time.localtime()
    date_text = "%02d/%02d/%04d" % (today.tm_mon, today.tm_mday, today.tm_year)
    try:
        d.setup()
        notification_page(d, date_text, host)
        alert_window(d, program, date_text)
        email_dialog(d, host)
        for dpi in (96, 144):
            email_dialog_on_screen(d, host, dpi)
        set_dpi(d, 96)  # the prefix is kept between runs
    finally:
        d.close()
        PAIR.remove()
        PAGE_PAIR.remove()
    return summary(work)


if __name__ == "__main__":
    sys.exit(main())
