// The test driver's commands for any dialog of the programs, found by its
// title: read its controls, click, type, and read or answer the message
// boxes it owns. Every call into the program's windows has a time limit, so
// that a dialog that stopped answering shows as such instead of hanging.
//
//   dialog TITLE              responsive=, enabled=, rect=, then one line per
//                             control: control=ID|CLASS|ENABLED|CHECKED|TEXT,
//                             and per message box it owns: box=TITLE, text=...
//   click TITLE ID            clicks control ID
//   settext TITLE ID TEXT     sets the text of control ID
//   select TITLE ID INDEX     selects item INDEX of combo box ID, as a user would
//   boxclick TITLE ID         clicks button ID of the message box TITLE owns

#include "tests/e2e/dialog_driver.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kTimeoutMs = 2000;

std::string Flat(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = '|';
  return text;
}

bool Text(HWND hwnd, std::string& out) {
  char text[4096] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           kTimeoutMs, &got))
    return false;
  out = Flat(text);
  return true;
}

std::string ClassName(HWND hwnd) {
  char name[128] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// A visible top-level window with exactly this title. A message box may
// carry its owner's title; it lies above its owner, so the lowest match is
// the window meant.
HWND FindTitled(const std::string& title) {
  struct Search {
    const std::string* title;
    HWND found;
  } search{&title, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        char text[512] = {};
        if (!IsWindowVisible(hwnd) || !GetWindowTextA(hwnd, text, sizeof text) || *s->title != text) return TRUE;
        s->found = hwnd;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The message boxes (and other dialogs) the window owns.
std::vector<HWND> OwnedBoxes(HWND owner) {
  struct Search {
    HWND owner;
    std::vector<HWND> found;
  } search{owner, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == s->owner && ClassName(hwnd) == "#32770")
          s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Describe(HWND dialog) {
  DWORD_PTR ignored = 0;
  const bool responsive =
      SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &ignored) != 0;
  std::printf("responsive=%d\nenabled=%d\n", responsive ? 1 : 0, IsWindowEnabled(dialog) ? 1 : 0);
  RECT r;
  GetWindowRect(dialog, &r);
  std::printf("rect=%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::string text;
    Text(c, text);
    const std::string cls = ClassName(c);
    int checked = 0;
    if (cls == "Button") {
      DWORD_PTR state = 0;
      SendMessageTimeoutA(c, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &state);
      checked = int(state);
    } else if (cls == "ComboBox") {
      DWORD_PTR selected = 0;
      SendMessageTimeoutA(c, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &selected);
      checked = int(INT_PTR(selected));
    }
    std::printf("control=%d|%s|%d|%d|%s\n", GetDlgCtrlID(c), cls.c_str(), IsWindowEnabled(c) ? 1 : 0, checked,
                text.c_str());
  }
  for (HWND box : OwnedBoxes(dialog)) {
    std::string title;
    Text(box, title);
    std::printf("box=%s\n", title.c_str());
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      std::string text;
      if (ClassName(c) == "Static" && Text(c, text) && !text.empty()) std::printf("text=%s\n", text.c_str());
    }
  }
  return 0;
}

// A push button tells its dialog as a click would; check boxes and radio
// buttons are clicked, so that they change their state themselves.
int Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return 1;
  const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
  return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
}

int SetText(HWND dialog, int id, const std::string& text) {
  HWND control = GetDlgItem(dialog, id);
  DWORD_PTR ignored = 0;
  if (!control || !SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                       SMTO_ABORTIFHUNG, kTimeoutMs, &ignored))
    return 1;
  // The dialog hears of the change as it would of typing.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(control));
  return 0;
}

int Select(HWND dialog, int id, int index) {
  HWND control = GetDlgItem(dialog, id);
  DWORD_PTR ignored = 0;
  if (!control || !SendMessageTimeoutA(control, CB_SETCURSEL, WPARAM(index), 0, SMTO_ABORTIFHUNG, kTimeoutMs,
                                       &ignored))
    return 1;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
  return 0;
}

}  // namespace

int DialogCommand(int argc, char** argv) {
  if (argc < 3) return -1;
  const std::string what = argv[1];
  if (what != "dialog" && what != "click" && what != "settext" && what != "select" && what != "boxclick")
    return -1;
  HWND dialog = FindTitled(argv[2]);
  std::printf("found=%d\n", dialog ? 1 : 0);
  if (!dialog) return 1;
  if (what == "dialog") return Describe(dialog);
  if (what == "click" && argc == 4) return Click(dialog, std::atoi(argv[3]));
  if (what == "settext" && argc == 5) return SetText(dialog, std::atoi(argv[3]), argv[4]);
  if (what == "select" && argc == 5) return Select(dialog, std::atoi(argv[3]), std::atoi(argv[4]));
  if (what == "boxclick" && argc == 4) {
    const std::vector<HWND> boxes = OwnedBoxes(dialog);
    if (boxes.empty()) return 1;
    return PostMessageA(boxes.front(), WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED), 0) ? 0 : 1;
  }
  return 2;
}
