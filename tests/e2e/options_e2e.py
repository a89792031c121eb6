#!/usr/bin/python3
"""End-to-end test of the options sheet under Wine and Xvfb.

Quellmark.exe runs in a prefix of its own on a private X display; the
driver meter_driver.exe opens the sheet through the Options command, works
its pages (ticks, lists, typed numbers, buttons), reads what the pages
show, the focus and the message boxes, and reads back what reached the
meter window (alpha, views, the hot key) and the registry. Every page is
photographed. Ends only what it started.

Usage: options_e2e.py Quellmark.exe meter_driver.exe
"""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from harness import WINE, Desktop, check, count_colours, summary, work_folder  # noqa: E402

ID_OPTIONS, ID_EXIT = 32773, 32795
IDOK, IDCANCEL, ID_APPLY = 1, 2, 12321
WS_EX_APPWINDOW, WS_MINIMIZEBOX = 0x40000, 0x20000

# General page
ALWAYS_ON_TOP, START_WITH_WINDOWS, HOTKEY_ENABLED, HOTKEY_LETTER = 4401, 4403, 4405, 4406
SEMI_TRANSPARENT, TRANSPARENCY, MARGINS = 4408, 4409, 4412
SHOW_GRAPH, SHOW_TEXT, SHOW_IP = 4416, 4417, 4429
UNIT_BYTES, UNIT_BITS, UNIT_BYTES_INFO, UNIT_BITS_INFO = 4431, 4432, 4433, 4434

MONTH_START, WEEK_START, DATE_FORMAT = 4410, 4411, 4414

# Graph & Text page
COLOR_DOWN, COLOR_BACKGROUND, COLORS_DEFAULT = 4501, 4506, 4516
FONT_TITLE, FONTS_DEFAULT = 4517, 4521
HEIGHT_PERCENT, PULSE_WIDTH, TIME_GRID_INTERVAL = 4522, 4525, 4532
PULSE_SPACE = 4527
# Adapters page
ADAPTER_LIST, ADAPTER_NAME, CONNECTION_TYPE, CUSTOM_SPEED = 4601, 4602, 4603, 4604
TRAY_ICON, TRAY_GRAPH, TRAY_ADAPTER, TRAY_TIP_NAME, TRAY_TIP_IP, ADAPTERS_RESET = 4606, 4607, 4608, 4609, 4610, 4611
# The font chooser's face and size lists.
CHOOSER_FACE, CHOOSER_SIZE = 0x470, 0x472
# The colour chooser's edit boxes for red, green and blue.
CHOOSER_RED, CHOOSER_GREEN, CHOOSER_BLUE = 706, 707, 708
PRESET_DOWN = 0x123456

# The save groups, each in its order of writing.
GROUPS = {
    "general": ["WeekStartDay", "MonthStartDay", "RateViewMargins", "TransparentPercent", "StartMinimized",
                "StartWithWindows", "HotkeyEnabled", "HotkeyChar", "DateFormat", "SemiTransparent",
                "EnableClickThrough", "ShowIPInTitle", "AlwaysOnTop", "ShowCaption", "DisplayUnitByte"],
    "display": ["DisplayTitle", "DisplayGraph", "DisplayScaleGrid", "DisplayScale", "DisplayText",
                "DisplayMaxRateInText", "TextCrSameAsGraphCr", "DispAvgValuesInText", "DispAvgDownLine",
                "DispAvgUpLine", "DisplayTimeGrid", "DisplayTimeText", "ScaleGridOnTop", "TimeGridOnTop",
                "TimeTextOnTop"],
    "tray": ["DispIconSystray", "ShowGraphInSystray", "ShowAdapterNameInSystrayTips",
             "ShowAdapterIPInSystrayTips", "STIfType", "STAdpID"],
    "colours": ["GraphBkgColor", "DownColor", "BothDownUpColor", "GridColor", "UpColor", "AvgDownLineColor",
                "AvgUpLineColor", "TitleBkgColor", "TitleTextColor", "ScaleTextColor", "RateTextColor",
                "RateBkgColor", "BorderColor", "TimeGridColor", "TimeTextColor"],
    "graph style": ["PulseSpace", "PulseWidth", "ScaleGridLineStyle", "TimeGridLineStyle", "TimeGridIntervalSec",
                    "TimeFormat", "RateHeightPercent", "GraphStyle"],
    "fonts": ["TimeTextFont", "RateFont", "ScaleFont", "TitleFont"],
}
# What the program writes on its own at start.
AT_START = {"HWND", "FirstRun", "TrafficLogFile"}


class Sheet:
    """The options sheet as the driver sees it."""

    def __init__(self, d):
        self.d = d

    def info(self):
        rc, lines = self.d.drive("sheet", "info")
        s = {"found": rc == 0, "tabs": [], "controls": {}, "rows": {}, "buttons": {}, "items": {}}
        for line in lines:
            key, _, value = line.partition("=")
            if key == "tab":
                s["tabs"].append(value)
            elif key == "control":
                cid, cls, enabled, checked, sel, text = value.split("|", 5)
                s["controls"][int(cid)] = {"class": cls, "enabled": enabled == "1", "checked": int(checked),
                                           "sel": sel, "text": text}
            elif key == "row":
                cid, index, checked, selected, *cols = value.split("|")
                s["rows"].setdefault(int(cid), []).append(
                    {"checked": checked == "1", "selected": selected == "1", "cols": cols})
            elif key == "button":
                bid, enabled, visible, text = value.split("|", 3)
                s["buttons"][int(bid)] = (enabled == "1", visible == "1", text)
            elif key == "items":
                cid, count = value.split("|")
                s["items"][int(cid)] = int(count)
            else:
                s[key] = value
        return s

    def focus(self):
        f = self.info().get("focus", "")
        return int(f.split("|")[0]) if f else None

    def page(self, n):
        self.d.drive("sheet", "page", n)

    def press(self, cid):
        self.d.drive("sheet", "press", cid)

    def check(self, cid, on):
        self.d.drive("sheet", "check", cid, 1 if on else 0)

    def select(self, cid, index):
        self.d.drive("sheet", "select", cid, index)

    def text(self, cid, text):
        self.d.drive("sheet", "text", cid, text)


def boxes(d):
    """The message boxes open, with their texts."""
    info = d.info()
    return [w for w in info["windows"] if w == "#32770|Quellmark"], info["texts"]


def wait_box(d, text, seconds=10):
    return d.wait_for(lambda: text in boxes(d)[1], seconds)


def answer(d, button=IDOK):
    """Closes the message box over the sheet."""
    d.drive("sheet", "answer", button)
    d.wait_for(lambda: not boxes(d)[0], 10)


def open_sheet(d):
    d.drive("command", ID_OPTIONS)
    sheet = Sheet(d)
    return sheet if d.wait_for(lambda: sheet.info()["found"], 15) else None


def refused(d, sheet, message, page, focus, what):
    """A warning box with `message`, the page current and the focus at fault."""
    shown = wait_box(d, message)
    answer(d)
    info = d.wait_for(lambda: (lambda i: i if i["found"] and "focus" in i else None)(sheet.info()), 5) or {}
    return check(shown and info.get("page") == str(page) and info.get("focus", "").startswith("%d|" % focus),
                 "%s: \"%s\", the sheet stays open on page %s with the focus on %s (want %d, %d)" % (
                     what, message, info.get("page"), info.get("focus"), page, focus))


def only_groups_written(before, after, groups):
    """The values new in `after` are exactly those of `groups` not there before."""
    new = set(after) - set(before)
    wanted = {v for g in groups for v in GROUPS[g]} - set(before)
    return new == wanted, sorted(new ^ wanted)


def font_record(face, height, weight):
    """A 60-byte logical-font record as the registry holds it, in hex."""
    import struct
    return (struct.pack("<5i8B", height, 0, 0, 0, weight, *([0] * 8)) + face.encode().ljust(32, b"\0")).hex()


def written_groups(opts):
    """The save groups whose values are in the registry, and strays."""
    names = set(opts) - AT_START
    groups = {g for g, values in GROUPS.items() if set(values) <= names}
    strays = names - {v for g in groups for v in GROUPS[g]}
    return groups, strays


def frame_and_general_page(d):
    sheet = open_sheet(d)
    if not check(sheet is not None, "the Options command opens the sheet"):
        return None
    s = sheet.info()
    check(s["title"] == "Quellmark Options", "titled Quellmark Options: %s" % s["title"])
    check(s["tabs"] == ["General", "Graph && Text", "Adapters", "Notification", "Service"], "tabs in order: %s" % s["tabs"])
    check(int(s["exstyle"], 16) & WS_EX_APPWINDOW and int(s["style"], 16) & WS_MINIMIZEBOX,
          "its own task-bar button and a minimise box: %s %s" % (s["exstyle"], s["style"]))
    check([s["buttons"].get(b, (0, 0, ""))[2] for b in (IDOK, IDCANCEL, ID_APPLY, 9)] == ["OK", "Cancel", "&Apply",
                                                                                         "Help"],
          "buttons OK, Cancel, &Apply, Help: %s" % s["buttons"])
    check(not s["buttons"][ID_APPLY][0], "Apply is disabled before any change")
    rect = list(map(int, s["rect"].split()))
    check(abs((rect[0] + rect[2]) // 2 - 512) <= 1 and abs((rect[1] + rect[3]) // 2 - 384) <= 1,
          "centred on the desktop: %s" % rect)
    info = d.info()
    check(info["topmost"] == "0", "the meter window is not topmost while the sheet is open")
    c = s["controls"]
    check(c[TRANSPARENCY]["sel"] == "0" and c[TRANSPARENCY]["text"] == "90% visible" and s["items"][TRANSPARENCY] == 17,
          "the transparency list offers 17 items, 90%% visible selected: %s" % c[TRANSPARENCY])
    check(c[HOTKEY_LETTER]["text"] == "M" and c[MARGINS]["text"] == "2", "hot key M, margins 2")
    d.shot("options-general")

    # The unit information boxes.
    sheet.press(UNIT_BYTES_INFO)
    check(wait_box(d, "1B/s stands for 1 Byte per second (1 Byte = 8 bits).|1KB/s stands for 1024 Bytes per "
                      "second.|1MB/s stands for 1024 KB per second.|1GB/s stands for 1024 MB per second."),
          "? beside KB/s explains the byte units")
    answer(d)
    sheet.press(UNIT_BITS_INFO)
    check(wait_box(d, "1bps stands for 1 bit per second (8 bits = 1 Byte).|1kbps stands for 1000 bits per "
                      "second.|1mbps stands for 1000 kb per second.|1gbps stands for 1000 mb per second."),
          "? beside kbps explains the bit units")
    answer(d)

    # Refusals, in their order, from another page.
    sheet.check(SHOW_GRAPH, False)
    sheet.check(SHOW_TEXT, False)
    sheet.text(MARGINS, "-1")
    sheet.select(TRANSPARENCY, -1)
    check(sheet.info()["buttons"][ID_APPLY][0], "an edit enables Apply")
    sheet.page(3)
    sheet.press(IDOK)
    refused(d, sheet, "You must select a transparency percent value.", 0, TRANSPARENCY, "no transparency")
    sheet.select(TRANSPARENCY, 16)
    sheet.press(ID_APPLY)
    refused(d, sheet, "The margins for rate view must be greater than or equal to 0.", 0, MARGINS, "margins -1")
    sheet.text(MARGINS, "1x")
    sheet.press(ID_APPLY)
    refused(d, sheet, "Please enter an integer.", 0, MARGINS, "margins 1x")
    sheet.text(MARGINS, "6")
    sheet.page(2)
    sheet.press(IDOK)
    refused(d, sheet, "At least either graph or text should be displayed.", 0, SHOW_GRAPH, "neither graph nor text")
    check(written_groups(d.options()) == (set(), {"DownColor"}), "nothing was saved while the page refused")

    # Apply: 10 % visible, margins 6, text only, KB/s, no IP in titles.
    sheet.check(SHOW_TEXT, True)
    sheet.check(SHOW_IP, False)
    sheet.check(UNIT_BYTES, True)
    sheet.check(UNIT_BITS, False)
    before = d.info()
    sheet.press(ID_APPLY)
    applied = d.wait_for(lambda: (lambda i: i if i["alpha"] == "25" else None)(d.info()), 10)
    check(applied is not None, "10% visible gives the meter window alpha 25")
    opts = d.options()
    check(opts.get("TransparentPercent") == "90" and opts.get("RateViewMargins") == "6" and
          opts.get("DisplayGraph") == "0" and opts.get("DisplayText") == "1" and
          opts.get("DisplayUnitByte") == "1" and opts.get("ShowIPInTitle") == "0",
          "the General page's values are saved: %s" % {k: opts.get(k) for k in (
              "TransparentPercent", "RateViewMargins", "DisplayGraph", "DisplayText", "DisplayUnitByte")})
    check(written_groups(opts) == ({"general", "display"}, {"DownColor"}),
          "only the general and display groups are written: %s" % (written_groups(opts),))
    if applied:
        v = applied["views"][0]
        client = list(map(int, applied["client"].split()))
        check(v[0] == 6 and v[1] == 6 and v[2] == client[0] - 6 and v[3] == client[1] - 6,
              "the view is laid out with margins 6: %s in %s (was %s)" % (v, client, before["views"]))
    check(not sheet.info()["buttons"][ID_APPLY][0], "Apply is disabled again")
    d.shot("options-general-applied")
    return sheet


def hot_key_and_run_key(d, sheet):
    # Another letter: the old hot key is released, the new one works.
    sheet.page(0)
    sheet.select(HOTKEY_LETTER, ord("Q") - ord("A"))
    sheet.check(START_WITH_WINDOWS, True)
    sheet.press(ID_APPLY)
    d.wait_for(lambda: d.options().get("HotkeyChar") == "81", 10)
    _, lines = d.drive("runkey")
    entries = [l for l in lines if l.lower().startswith("run=quellmark|")]
    check(len(entries) == 1 and entries[0].split("|")[1] == "1" and entries[0].lower().endswith("quellmark.exe"),
          "Start with Windows writes the Run entry with the program's path: %s" % entries)
    check(d.options().get("StartWithWindows") == "1", "and saves StartWithWindows 1")
    sheet.check(START_WITH_WINDOWS, False)
    sheet.press(ID_APPLY)
    d.wait_for(lambda: d.options().get("StartWithWindows") == "0", 10)
    _, lines = d.drive("runkey")
    check(not [l for l in lines if l.lower().startswith("run=quellmark|")], "unticking removes the Run entry")

    # A letter another program holds: told, kept, nothing breaks.
    holder = d.background_driver("holdkey", "holdkey", "J", 60)
    d.wait_for(lambda: "held=1" in open(os.path.join(d.work, "holdkey.txt"), encoding="latin-1").read(), 20)
    sheet.select(HOTKEY_LETTER, ord("J") - ord("A"))
    sheet.press(ID_APPLY)
    check(wait_box(d, HOTKEY_J_TAKEN), "a hot key held by another program is reported")
    answer(d)
    opts = d.options()
    check(opts.get("HotkeyChar") == "74" and opts.get("HotkeyEnabled") == "1", "and the option is kept")
    retry_held_hot_key(d, sheet, holder)
    sheet.select(HOTKEY_LETTER, ord("Q") - ord("A"))
    sheet.check(SHOW_GRAPH, True)
    sheet.press(IDOK)
    check(d.wait_for(lambda: not sheet.info()["found"], 10), "OK closes the sheet")
    check(d.wait_for(lambda: d.info()["topmost"] == "1", 10), "and the meter window is topmost again")
    d.drive("keys", "esc")
    d.wait_for(lambda: d.info().get("visible") == "0", 10)
    d.drive("keys", "ctrl+shift+q")
    check(d.wait_for(lambda: d.info().get("visible") == "1", 10), "the new hot key Ctrl+Shift+Q shows the window")


HOTKEY_J_TAKEN = ("The hot key Ctrl+Shift+J is already used by another program, so it cannot show Quellmark "
                  "now.||The option stays on: Quellmark tries the hot key again when you apply the General page "
                  "again or start it the next time.")


def retry_held_hot_key(d, sheet, holder):
    """The letter another program held is tried again by the next apply of
    the page, reported while still held, and taken once free."""
    def apply_j_again():
        sheet.select(HOTKEY_LETTER, ord("K") - ord("A"))
        sheet.select(HOTKEY_LETTER, ord("J") - ord("A"))
        sheet.press(ID_APPLY)
    apply_j_again()
    check(wait_box(d, HOTKEY_J_TAKEN), "applying the held letter again tries it again and tells again")
    answer(d)
    holder.kill()
    holder.wait()
    apply_j_again()
    check(d.wait_for(lambda: not sheet.info()["buttons"][ID_APPLY][0], 10) and not boxes(d)[0],
          "once the other program let it go, the same letter applied again is taken without a word")
    d.background_driver("holdkey-again", "holdkey", "J", 1).wait(30)
    with open(os.path.join(d.work, "holdkey-again.txt"), encoding="latin-1") as f:
        check("held=0" in f.read(), "Ctrl+Shift+J is Quellmark's now: another program cannot hold it")


def graph_text_page(d):
    sheet = open_sheet(d)
    if not check(sheet is not None, "the sheet opens again"):
        return
    sheet.page(1)
    s = sheet.info()
    c = s["controls"]
    check(c[HEIGHT_PERCENT]["text"] == "95" and c[PULSE_WIDTH]["text"] == "3" and
          c[TIME_GRID_INTERVAL]["text"] == "30", "the Graph & Text page shows 95 %, width 3, interval 30")
    check([c[i]["text"] for i in (4524, 4529, 4530, 4531)] == ["Column", "Dot", "Dot", "HH:MM:SS"],
          "and its lists: %s" % [c[i]["text"] for i in (4524, 4529, 4530, 4531)])
    d.shot("options-graph-text")

    # "D&efault" followed by Cancel changes nothing.
    before = d.options()
    sheet.press(COLORS_DEFAULT)
    check(d.wait_for(lambda: sheet.info()["buttons"][ID_APPLY][0], 5), "Default colours enables Apply")
    sheet.press(IDCANCEL)
    check(d.wait_for(lambda: not sheet.info()["found"], 10), "Cancel closes the sheet")
    check(d.options() == before and before.get("DownColor") == str(PRESET_DOWN),
          "Default colours then Cancel leaves every colour as it was")

    sheet = open_sheet(d)
    sheet.page(1)
    for control, text, message in (
            (HEIGHT_PERCENT, "49", "The maximum graph rate height percent ranges from 50 to 100."),
            (PULSE_WIDTH, "0", "The pulse width must be greater than 0."),
            (TIME_GRID_INTERVAL, "0", "The time grid interval must be greater than 0.")):
        sheet.text(control, text)
        sheet.page(0)
        sheet.press(ID_APPLY)
        refused(d, sheet, message, 1, control, "%d set to %s" % (control, text))
        sheet.text(control, {HEIGHT_PERCENT: "80", PULSE_WIDTH: "2", TIME_GRID_INTERVAL: "20"}[control])

    # Numbers past the spin ranges would be reset at the next start: refused.
    for control, text, message, keep in (
            (PULSE_WIDTH, "5000", "The pulse width must not be greater than 1000.", "2"),
            (PULSE_SPACE, "-1", "The pulse space must be greater than or equal to 0.", "1"),
            (TIME_GRID_INTERVAL, "10001", "The time grid interval must not be greater than 10000.", "20")):
        sheet.text(control, text)
        sheet.press(ID_APPLY)
        refused(d, sheet, message, 1, control, "%d set to %s" % (control, text))
        sheet.text(control, keep)

    # The colour chooser, opened at the swatch and answered with (10, 20, 30).
    sheet.press(COLOR_BACKGROUND)
    chooser = d.wait_for(lambda: "#32770|Color" in d.info()["windows"], 10)
    if check(chooser, "the Background swatch opens the colour chooser"):
        for control, value in ((CHOOSER_RED, 10), (CHOOSER_GREEN, 20), (CHOOSER_BLUE, 30)):
            d.drive("sheet", "dialogtext", "Color", control, value)
        d.drive("sheet", "answer", IDOK, "Color")
        d.wait_for(lambda: "#32770|Color" not in d.info()["windows"], 10)
    sheet.press(FONT_TITLE)
    chooser = d.wait_for(lambda: "#32770|Font" in d.info()["windows"], 10)
    if check(chooser, "the Title Font button opens the font chooser"):
        d.shot("options-font-chooser")
        d.drive("sheet", "answer", IDCANCEL, "Font")
        d.wait_for(lambda: "#32770|Font" not in d.info()["windows"], 10)
    sheet.press(FONTS_DEFAULT)
    d.shot("options-graph-text-edited")
    sheet.press(IDOK)
    check(d.wait_for(lambda: not sheet.info()["found"], 10), "OK applies and closes the sheet")
    after = d.options()
    ok, odd = only_groups_written(before, after, ["colours", "fonts", "graph style"])
    check(ok, "the colours, fonts and graph style groups are written, nothing else: %s" % odd)
    check(after.get("GraphBkgColor") == str(0x1E140A) and after.get("DownColor") == str(PRESET_DOWN),
          "the chosen background is stored, the other colours kept: %s %s" % (
              after.get("GraphBkgColor"), after.get("DownColor")))
    check(after.get("RateHeightPercent") == "80" and after.get("PulseWidth") == "2" and
          after.get("TimeGridIntervalSec") == "20", "and the numbers typed")
    check(after.get("ScaleFont") == font_record("Tahoma", 13, 400) and
          after.get("TimeTextFont") == font_record("Tahoma", 13, 400) and
          after.get("TitleFont") == font_record("Tahoma", 13, 700),
          "Default fonts: Tahoma 13, the title bold: %s" % after.get("ScaleFont"))
    time.sleep(1.5)
    info = d.info()
    at = d.shot("options-graph-text-applied")
    ox, oy = map(int, info["origin"].split())
    v = info["views"][0]
    plot = (ox + v[0], oy + v[1], ox + v[2], oy + v[3])
    painted = count_colours(at, plot, {(10, 20, 30)})
    check(painted > (plot[2] - plot[0]) * (plot[3] - plot[1]) // 3,
          "the meter window's graph takes the new background at once (%d pixels)" % painted)

    # Default colours applied: the preset download colour goes back to red.
    sheet = open_sheet(d)
    sheet.page(1)
    sheet.press(COLORS_DEFAULT)
    sheet.press(IDOK)
    d.wait_for(lambda: not sheet.info()["found"], 10)
    opts = d.options()
    check(opts.get("DownColor") == str(0x0000FF) and opts.get("GraphBkgColor") == str(0xDEDBAD),
          "Default colours applied give red downloads and the first background again")


def adapters_page(d):
    sheet = open_sheet(d)
    if not check(sheet is not None, "the sheet opens for the Adapters page"):
        return
    sheet.page(2)
    s = sheet.info()
    rows = s["rows"].get(ADAPTER_LIST, [])
    check(rows[:2] and [r["cols"] for r in rows[:2]] == [["1", "All Connections", ""], ["2", "Dial-Up Connections", ""]]
          and rows[0]["checked"] and not rows[1]["checked"],
          "the list numbers the adapters, All Connections ticked: %s" % rows[:3])
    c = s["controls"]
    check(not c[ADAPTER_NAME]["enabled"] and not c[CONNECTION_TYPE]["enabled"] and not c[CUSTOM_SPEED]["enabled"]
          and c[ADAPTER_NAME]["text"] == "" and c[CONNECTION_TYPE]["sel"] == "-1",
          "no row selected: the row editor is empty and disabled")
    check(c[TRAY_ADAPTER]["text"] == "All Connections" and all(c[i]["enabled"] for i in (TRAY_GRAPH, TRAY_ADAPTER)),
          "the tray adapter is All Connections")
    d.shot("options-adapters")

    d.drive("sheet", "rowselect", ADAPTER_LIST, 1)
    c = d.wait_for(lambda: (lambda c: c if c[ADAPTER_NAME]["enabled"] else None)(sheet.info()["controls"]), 5)
    check(c and c[ADAPTER_NAME]["text"] == "Dial-Up Connections" and c[CONNECTION_TYPE]["text"] == "Specify Speed"
          and c[CUSTOM_SPEED]["enabled"] and c[CUSTOM_SPEED]["text"] == "1000000",
          "a speed of 1000000 opens as Specify Speed with 1000000: %s" % (
              c and [c[i]["text"] for i in (ADAPTER_NAME, CONNECTION_TYPE, CUSTOM_SPEED)]))
    sheet.select(CONNECTION_TYPE, 5)  # 128 kbps
    c = d.wait_for(lambda: (lambda c: c if not c[CUSTOM_SPEED]["enabled"] else None)(sheet.info()["controls"]), 5)
    check(c and c[CUSTOM_SPEED]["text"] == "0", "a preset disables the custom speed and shows 0")
    sheet.text(ADAPTER_NAME, "Modem line")
    rows = sheet.info()["rows"][ADAPTER_LIST]
    check(rows[1]["cols"][1] == "Modem line", "editing the name changes the row at once")

    # Refusals.
    d.drive("sheet", "rowcheck", ADAPTER_LIST, 0, 0)
    sheet.page(0)
    sheet.press(ID_APPLY)
    views = len(d.info()["views"])
    refused(d, sheet, "At least one adapter should be monitored.", 2, ADAPTER_LIST, "no adapter ticked")
    check(len(d.info()["views"]) == views and d.adapters().get("100-", {}).get("Monitored") != "0",
          "and nothing changed in the meter window")
    sheet.select(TRAY_ADAPTER, -1)
    sheet.press(ID_APPLY)
    refused(d, sheet, "Please select an adapter for system tray.", 2, TRAY_ADAPTER, "no tray adapter")
    sheet.select(TRAY_ADAPTER, 0)
    sheet.text(ADAPTER_NAME, "")
    sheet.press(ID_APPLY)
    refused(d, sheet, "The adapter name must not be empty.", 2, ADAPTER_LIST, "an empty name")
    sheet.text(ADAPTER_NAME, "Modem line")

    # Dial-Up shown and All Connections hidden in one apply: no refusal on the way.
    d.drive("sheet", "rowcheck", ADAPTER_LIST, 1, 1)
    sheet.check(TRAY_ICON, False)
    c = sheet.info()["controls"]
    check(not any(c[i]["enabled"] for i in (TRAY_GRAPH, TRAY_ADAPTER, TRAY_TIP_NAME, TRAY_TIP_IP)),
          "unticking the tray icon disables the four tray controls")
    before = d.options()
    sheet.press(ID_APPLY)
    adapters = d.wait_for(lambda: (lambda a: a if a.get("200-", {}).get("Monitored") == "1" else None)(
        d.adapters()), 10) or {}
    info = d.info()
    check(not boxes(d)[0] and len(info["views"]) == 1 and adapters.get("100-", {}).get("Monitored") == "0",
          "the new view is shown before the old one is hidden: one view, no warning (%s)" % info["views"])
    check(adapters.get("200-", {}).get("AdapterName") == "Modem line" and
          adapters.get("200-", {}).get("ConnRatebps") == "128000", "the name and speed are saved: %s" % adapters.get("200-"))
    after = d.options()
    ok, odd = only_groups_written(before, after, ["tray"])
    check(ok and after.get("DispIconSystray") == "0", "only the tray group is written: %s" % odd)
    time.sleep(1.5)
    check(not [t for t in d.tips() if "Connections" in t or "Modem" in t], "and the tray icon is gone")
    d.shot("options-adapters-applied")

    # "&Reset" brings back the system's name.
    sheet.press(ADAPTERS_RESET)
    rows = d.wait_for(lambda: (lambda r: r if r[1]["cols"][1] == "Dial-Up Connections" else None)(
        sheet.info()["rows"][ADAPTER_LIST]), 5)
    check(rows is not None and not rows[1]["selected"], "Reset restores the system's name and clears the selection")
    sheet.check(TRAY_ICON, True)
    sheet.press(IDOK)
    check(d.wait_for(lambda: not sheet.info()["found"], 10), "OK closes the sheet")
    adapters = d.adapters()
    check(adapters.get("200-", {}).get("AdapterName") == "Dial-Up Connections" and
          d.options().get("DispIconSystray") == "1", "the restored name and the tray icon are saved")
    check(d.wait_for(lambda: any(t.startswith("All Connections") for t in d.tips()), 10),
          "the tray icon is back")


def adapters_sorted(d):
    """Sorting moves rows with their ticks and records; "No." counts the new order."""
    sheet = open_sheet(d)
    if not check(sheet is not None, "the sheet opens for sorting the adapters"):
        return
    sheet.page(2)
    shown = sheet.info()["rows"].get(ADAPTER_LIST, [])
    before = [r["cols"][1] for r in shown]
    ticked = {r["cols"][1]: r["checked"] for r in shown}
    d.drive("sheet", "sort", ADAPTER_LIST, 1)
    time.sleep(0.5)
    d.drive("sheet", "sort", ADAPTER_LIST, 1)  # the second click turns it around
    rows = d.wait_for(lambda: (lambda r: r if [x["cols"][1] for x in r].index("Dial-Up Connections") <
                               [x["cols"][1] for x in r].index("All Connections") else None)(
        sheet.info()["rows"][ADAPTER_LIST]), 5)
    if not check(rows is not None, "a click on Name sorts, a second one descending: %s" % (
            rows and [r["cols"] for r in rows])):
        return
    names = [r["cols"][1] for r in rows]
    check(sorted(names, key=str.lower, reverse=True) == names and sorted(names) == sorted(before),
          "the names stand in descending order: %s" % names)
    check([r["cols"][0] for r in rows] == [str(i + 1) for i in range(len(rows))],
          "the No. column counts the rows anew: %s" % [r["cols"][0] for r in rows])
    every, dial = names.index("All Connections"), names.index("Dial-Up Connections")
    check({r["cols"][1]: r["checked"] for r in rows} == ticked,
          "the ticks moved with their rows: %s" % [(r["cols"][1], r["checked"]) for r in rows])
    d.shot("options-adapters-sorted")

    # Work the sorted list: the editor, the ticks and the apply reach the right records.
    d.drive("sheet", "rowselect", ADAPTER_LIST, every)
    c = d.wait_for(lambda: (lambda c: c if c[ADAPTER_NAME]["enabled"] else None)(sheet.info()["controls"]), 5)
    check(c and c[ADAPTER_NAME]["text"] == "All Connections", "the selected sorted row is edited: %s" % (
        c and c[ADAPTER_NAME]["text"]))
    sheet.text(ADAPTER_NAME, "Every line")
    # Swap the two rows' ticks: one view stays, the other record's.
    want = {"100-": not ticked["All Connections"], "200-": not ticked["Dial-Up Connections"]}
    check(d.drive("sheet", "rowclick", ADAPTER_LIST, every)[0] == 0, "a click finds the row's check box")
    d.drive("sheet", "rowcheck", ADAPTER_LIST, dial, int(want["200-"]))
    rows = d.wait_for(lambda: (lambda r: r if r[every]["checked"] == want["100-"] else None)(
        sheet.info()["rows"][ADAPTER_LIST]), 5) or sheet.info()["rows"][ADAPTER_LIST]
    check(rows[every]["cols"][1] == "Every line" and rows[every]["checked"] == want["100-"] and
          rows[dial]["checked"] == want["200-"],
          "the name and ticks change in the rows shown: %s" % [(r["cols"][1], r["checked"]) for r in rows])
    before, views = d.options(), len(d.info()["views"])
    sheet.press(ID_APPLY)
    monitored = {k: str(int(v)) for k, v in want.items()}
    adapters = d.wait_for(lambda: (lambda a: a if {k: a.get(k, {}).get("Monitored") for k in want} == monitored
                                   else None)(d.adapters()), 10) or {}
    info = d.info()
    check(not boxes(d)[0] and len(info["views"]) == views and
          adapters.get("100-", {}).get("AdapterName") == "Every line",
          "the apply after a sort reaches the right records: %s, views %s" % (
              {k: (v.get("AdapterName"), v.get("Monitored")) for k, v in adapters.items()}, info["views"]))
    ok, odd = only_groups_written(before, d.options(), [])
    check(ok, "and writes no option values besides: %s" % odd)
    rows = sheet.info()["rows"][ADAPTER_LIST]
    check([r["cols"][1] for r in rows][every] == "Every line" and rows[every]["checked"] == want["100-"],
          "the sorted order stays after the apply")
    sheet.press(ADAPTERS_RESET)
    rows = d.wait_for(lambda: (lambda r: r if "All Connections" in [x["cols"][1] for x in r] else None)(
        sheet.info()["rows"][ADAPTER_LIST]), 5) or []
    names = [r["cols"][1] for r in rows]
    check(sorted(names, key=str.lower, reverse=True) == names and
          [r["cols"][0] for r in rows] == [str(i + 1) for i in range(len(rows))],
          "Reset keeps the order the header shows, numbered anew: %s" % [r["cols"][:2] for r in rows])
    sheet.press(IDCANCEL)
    d.wait_for(lambda: not sheet.info()["found"], 10)


def set_dpi(d, dpi):
    """The screen's dots per inch for the programs started next in the prefix."""
    for key in ("HKCU\\Control Panel\\Desktop", "HKCC\\Software\\Fonts"):
        d.quiet([WINE, "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                d.env, 60)


def pages_unclipped(d, dpi):
    """Every page of the sheet, photographed; no text cut off at this DPI."""
    sheet = open_sheet(d)
    if not check(sheet is not None, "the sheet opens at %d DPI" % dpi):
        return
    for n, tab in enumerate(sheet.info()["tabs"]):
        sheet.page(n)
        time.sleep(0.5)
        rc, lines = d.drive("clipped", "Quellmark Options", "Tahoma", 0)
        clipped = [line for line in lines if line.startswith("clipped=")]
        check(rc == 0 and "dpi=%d" % dpi in lines and not clipped,
              "no text of the %s page is cut off at %d DPI: %s" % (tab, dpi, clipped))
        d.shot("options-%s-%ddpi" % (tab.replace("&", "").replace(" ", "-").lower(), dpi))
    sheet.press(IDCANCEL)
    d.wait_for(lambda: not sheet.info()["found"], 10)


# Values no page can set, as another program or an old version may leave them.
ODD_VALUES = {"TransparentPercent": 13, "HotkeyChar": 200, "DateFormat": 99, "WeekStartDay": 7,
              "MonthStartDay": 0, "RateViewMargins": -5, "STIfType": 250}


def odd_values_then_cancel_after_apply(d):
    """Odd stored values open as the lists' fallbacks and are saved sound;
    Cancel after Apply keeps what was applied and drops the rest."""
    sheet = open_sheet(d)
    if not check(sheet is not None, "the sheet opens over odd stored values"):
        return
    c = sheet.info()["controls"]
    shown = {i: (c[i]["sel"], c[i]["text"]) for i in (TRANSPARENCY, HOTKEY_LETTER, DATE_FORMAT, MONTH_START,
                                                     WEEK_START)}
    check(shown == {TRANSPARENCY: ("1", "85% visible"), HOTKEY_LETTER: ("-1", ""), DATE_FORMAT: ("0", "MM/DD/YYYY"),
                    MONTH_START: ("0", "1"), WEEK_START: ("0", "Sunday")} and c[MARGINS]["text"] == "2",
          "they open as 85%% visible, no letter, the first date format and days, margins 2: %s %s" % (
              shown, c[MARGINS]["text"]))
    sheet.page(2)
    tray = sheet.info()["controls"][TRAY_ADAPTER]
    check((tray["sel"], tray["text"]) == ("0", "All Connections"),
          "an unknown tray adapter kind opens as All Connections: %s" % tray)
    sheet.page(0)
    sheet.text(MARGINS, "9")
    sheet.press(ID_APPLY)
    opts = d.wait_for(lambda: (lambda o: o if o.get("RateViewMargins") == "9" else None)(d.options()), 10) or {}
    check({k: opts.get(k) for k in ("TransparentPercent", "HotkeyChar", "DateFormat", "WeekStartDay",
                                    "MonthStartDay")} ==
          {"TransparentPercent": "15", "HotkeyChar": "77", "DateFormat": "17", "WeekStartDay": "0",
           "MonthStartDay": "1"}, "an apply saves the values shown: %s" % opts)
    check(written_groups(opts)[0] == {"general"}, "a general value alone writes the general group alone: %s" % (
        written_groups(opts),))
    sheet.text(MARGINS, "12")
    sheet.press(IDCANCEL)
    check(d.wait_for(lambda: not sheet.info()["found"], 10), "Cancel after Apply closes the sheet")
    views = d.info()["views"]
    check(d.options().get("RateViewMargins") == "9" and views and views[0][0] == 9,
          "and keeps the applied margins 9, not the cancelled 12: %s" % views)


def font_at_144_dpi(d):
    """A 10-point title font chosen at 144 DPI is stored as at 96 DPI: 13 pixels."""
    sheet = open_sheet(d)
    sheet.page(1)
    sheet.press(FONT_TITLE)
    if not check(d.wait_for(lambda: "#32770|Font" in d.info()["windows"], 10), "the font chooser opens at 144 DPI"):
        return
    check(d.drive("sheet", "dialogselect", "Font", CHOOSER_FACE, "DejaVu Sans")[0] == 0 and
          d.drive("sheet", "dialogselect", "Font", CHOOSER_SIZE, "10")[0] == 0, "DejaVu Sans 10 chosen")
    d.shot("options-font-chooser-144dpi")
    d.drive("sheet", "answer", IDOK, "Font")
    d.wait_for(lambda: "#32770|Font" not in d.info()["windows"], 10)
    sheet.press(IDOK)
    check(d.wait_for(lambda: not sheet.info()["found"], 10), "OK closes the sheet at 144 DPI")
    record = bytes.fromhex(d.options().get("TitleFont", ""))
    height = int.from_bytes(record[:4], "little", signed=True) if len(record) == 60 else None
    check(height == 13, "a 10-point font chosen at 144 DPI is stored 13 high, as at 96 DPI: %s" % height)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program, driver = map(os.path.abspath, sys.argv[1:])
    work = work_folder("options_e2e")
    d = Desktop(program, driver, work)
    try:
        d.setup()
        set_dpi(d, 96)  # the prefix is kept between runs
        d.drive("reset")
        d.drive("setopt", "DownColor", PRESET_DOWN)
        d.drive("adapterkey", "200-", "ConnRatebps", 1000000)
        p = d.start("options")
        if check(d.wait_for(lambda: d.info().get("found") == "1" and d.info().get("topmost") == "1"),
                 "the meter window runs"):
            sheet = frame_and_general_page(d)
            if sheet:
                hot_key_and_run_key(d, sheet)
            graph_text_page(d)
            adapters_page(d)
            adapters_sorted(d)
            pages_unclipped(d, 96)
            d.drive("command", ID_EXIT)
            p.wait(timeout=30)
        set_dpi(d, 144)
        d.drive("reset")
        for name, value in ODD_VALUES.items():
            d.drive("setopt", name, value)
        p = d.start("options-144dpi")
        if check(d.wait_for(lambda: d.info().get("found") == "1", 30), "the meter window runs at 144 DPI"):
            odd_values_then_cancel_after_apply(d)
            pages_unclipped(d, 144)
            font_at_144_dpi(d)
            d.drive("command", ID_EXIT)
            p.wait(timeout=30)
    finally:
        d.close()
    return summary(work)


if __name__ == "__main__":
    sys.exit(main())
