// The test driver's commands for the options sheet:
//
//   sheet info                 the sheet's frame, tabs, current page, focus, and
//                              every control of the current page:
//                              control=ID|class|enabled|checked|selection|text
//                              row=ID|index|checked|selected|col0|col1|col2
//                              limit=ID|characters (edit boxes)
//   sheet page N               makes page N (from 0) the current one
//   sheet press ID             a click on button ID of the current page, or of
//                              the sheet (1 OK, 2 Cancel, 12321 Apply)
//   sheet check ID 0|1         sets a check box or radio button and clicks it
//   sheet select ID INDEX      selects item INDEX (-1: none) of a drop-down list
//   sheet text ID TEXT         types TEXT into an edit box (replacing it)
//   sheet rowcheck ID ROW 0|1  ticks or unticks a list view row's check box
//   sheet rowselect ID ROW     selects a list view row (-1: none)
//   sheet rowclick ID ROW      clicks a list view row's check box with the mouse
//   sheet sort ID COLUMN       clicks a list view's column header, as a person
//                              sorting by that column does
//   sheet answer ID [TITLE]    clicks button ID of the window titled TITLE over the
//                              sheet (default: the message box, "Quellmark")
//   sheet dialogtext TITLE ID TEXT  types TEXT into edit box ID of that window
//   sheet dialogselect TITLE ID TEXT  chooses the item TEXT of list ID of that window
//
// Whatever needs memory in the program (tab and list view texts, list view
// items) is read and written through memory allocated in its process.

#include "tests/e2e/sheet_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "tests/e2e/driver_text.h"
#include "tests/e2e/remote_buffer.h"

namespace {

using qm::driver::RemoteBuffer;

constexpr char kSheetTitle[] = "Quellmark Options";

std::string Text(HWND hwnd) { return WindowTextOf(hwnd); }
std::string Class(HWND hwnd) { return ClassNameOf(hwnd); }

// The program's visible top-level window titled `title`, besides the meter
// window (which is titled "Quellmark" too).
HWND FindTitled(HWND meter, const char* title) {
  struct Search {
    DWORD pid;
    const char* title;
    HWND meter;
    HWND found;
  } search{0, title, meter, nullptr};
  GetWindowThreadProcessId(meter, &search.pid);
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && hwnd != s->meter && IsWindowVisible(hwnd) && Text(hwnd) == s->title) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindSheet(HWND meter) { return FindTitled(meter, kSheetTitle); }

constexpr size_t kTextSize = 512;

std::string TabText(HWND tab, int index, RemoteBuffer& buffer) {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<char*>(buffer.At(sizeof item));
  item.cchTextMax = kTextSize;
  buffer.Write(0, &item, sizeof item);
  if (!SendMessageA(tab, TCM_GETITEMA, WPARAM(index), reinterpret_cast<LPARAM>(buffer.At(0)))) return "";
  char text[kTextSize] = {};
  buffer.Read(sizeof item, text, sizeof text - 1);
  return text;
}

std::string RowText(HWND list, int row, int column, RemoteBuffer& buffer) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<char*>(buffer.At(sizeof item));
  item.cchTextMax = kTextSize;
  buffer.Write(0, &item, sizeof item);
  SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(buffer.At(0)));
  char text[kTextSize] = {};
  buffer.Read(sizeof item, text, sizeof text - 1);
  return text;
}

bool SetRowState(HWND list, int row, UINT state, UINT mask) {
  RemoteBuffer buffer(list, sizeof(LVITEMA));
  if (!buffer) return false;
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  buffer.Write(0, &item, sizeof item);
  return SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(buffer.At(0))) != 0;
}

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void PrintControl(HWND c, RemoteBuffer& buffer) {
  const std::string cls = Class(c);
  const int id = GetDlgCtrlID(c);
  // A drop-down list's text is its selected item.
  std::string selection;
  if (cls == "ComboBox") {
    selection = std::to_string(int(SendMessageA(c, CB_GETCURSEL, 0, 0)));
    std::printf("items=%d|%d\n", id, int(SendMessageA(c, CB_GETCOUNT, 0, 0)));
  }
  const int checked = cls == "Button" ? int(SendMessageA(c, BM_GETCHECK, 0, 0)) : 0;
  std::printf("control=%d|%s|%d|%d|%s|%s\n", id, cls.c_str(), IsWindowEnabled(c) ? 1 : 0, checked,
              selection.c_str(), Text(c).c_str());
  if (cls == "Edit") std::printf("limit=%d|%d\n", id, int(SendMessageA(c, EM_GETLIMITTEXT, 0, 0)));
  if (cls == WC_LISTVIEWA) {
    const int rows = int(SendMessageA(c, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < rows; ++r) {
      const UINT state = UINT(SendMessageA(c, LVM_GETITEMSTATE, WPARAM(r), LVIS_STATEIMAGEMASK | LVIS_SELECTED));
      std::printf("row=%d|%d|%d|%d|%s|%s|%s\n", id, r, ((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? 1 : 0,
                  (state & LVIS_SELECTED) ? 1 : 0, RowText(c, r, 0, buffer).c_str(), RowText(c, r, 1, buffer).c_str(),
                  RowText(c, r, 2, buffer).c_str());
    }
  }
}

int Info(HWND sheet) {
  std::printf("title=%s\n", Text(sheet).c_str());
  std::printf("style=%lx\nexstyle=%lx\n", long(GetWindowLongPtrA(sheet, GWL_STYLE)),
              long(GetWindowLongPtrA(sheet, GWL_EXSTYLE)));
  RECT r;
  GetWindowRect(sheet, &r);
  std::printf("rect=%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  RemoteBuffer buffer(sheet, sizeof(LVITEMA) + sizeof(TCITEMA) + kTextSize);
  if (!buffer) return 1;
  HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  const int tabs = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < tabs; ++i) std::printf("tab=%s\n", TabText(tab, i, buffer).c_str());
  HWND page = CurrentPage(sheet);
  std::printf("page=%d\n", int(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0)));
  for (int id : {IDOK, IDCANCEL, 0x3021, IDHELP})
    if (HWND b = GetDlgItem(sheet, id))
      std::printf("button=%d|%d|%d|%s\n", id, IsWindowEnabled(b) ? 1 : 0, IsWindowVisible(b) ? 1 : 0, Text(b).c_str());
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &gui) && gui.hwndFocus)
    std::printf("focus=%d|%s\n", GetDlgCtrlID(gui.hwndFocus), Class(gui.hwndFocus).c_str());
  for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) PrintControl(c, buffer);
  return 0;
}

// A control of the current page, or one of the sheet's own buttons.
HWND Control(HWND sheet, int id, HWND& owner) {
  owner = CurrentPage(sheet);
  if (HWND c = GetDlgItem(owner, id)) return c;
  owner = sheet;
  return GetDlgItem(sheet, id);
}

// A click in the middle of the row's check box, found by asking the list
// what lies under each point along the row.
bool ClickCheckBox(HWND list, int row) {
  RemoteBuffer buffer(list, sizeof(RECT) + sizeof(LVHITTESTINFO));
  if (!buffer) return false;
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  buffer.Write(0, &bounds, sizeof bounds);
  if (!SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(buffer.At(0)))) return false;
  buffer.Read(0, &bounds, sizeof bounds);
  const int y = (bounds.top + bounds.bottom) / 2;
  int first = -1, last = -1;
  for (int x = std::max(0L, bounds.left); x < bounds.left + 100; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    buffer.Write(sizeof bounds, &hit, sizeof hit);
    SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(buffer.At(sizeof bounds)));
    buffer.Read(sizeof bounds, &hit, sizeof hit);
    const bool onBox = hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON);
    if (onBox && first < 0) first = x;
    if (onBox) last = x;
    if (!onBox && first >= 0) break;
  }
  if (first < 0) return false;
  const LPARAM at = MAKELPARAM((first + last) / 2, y);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  return PostMessageA(list, WM_LBUTTONUP, 0, at) != 0;
}

// A click in the middle of the column's header item.
bool ClickHeader(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  if (!header || column < 0 || column >= int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0))) return false;
  int x = 0;
  for (int c = 0; c < column; ++c) x += int(SendMessageA(list, LVM_GETCOLUMNWIDTH, WPARAM(c), 0));
  x += int(SendMessageA(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0)) / 2;
  RECT r;
  GetClientRect(header, &r);
  const LPARAM at = MAKELPARAM(x, (r.bottom - r.top) / 2);
  PostMessageA(header, WM_MOUSEMOVE, 0, at);
  PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  return PostMessageA(header, WM_LBUTTONUP, 0, at) != 0;
}

void Clicked(HWND owner, HWND control, int id) {
  PostMessageA(owner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

}  // namespace

int SheetCommand(HWND meter, int argc, char** argv) {
  HWND sheet = FindSheet(meter);
  if (argc < 3) return 2;
  const std::string what = argv[2];
  if (!sheet) {
    std::printf("sheet=0\n");
    return 1;
  }
  if (what == "info") return Info(sheet);
  if (what == "answer" && (argc == 4 || argc == 5)) {
    HWND box = FindTitled(meter, argc == 5 ? argv[4] : "Quellmark");
    if (!box) return 1;
    const int id = std::atoi(argv[3]);
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)))
               ? 0
               : 1;
  }
  if (what == "dialogtext" && argc == 6) {
    HWND box = FindTitled(meter, argv[3]);
    HWND edit = box ? GetDlgItem(box, std::atoi(argv[4])) : nullptr;
    if (!edit) return 1;
    return SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[5])) ? 0 : 1;
  }
  if (what == "dialogselect" && argc == 6) {
    HWND box = FindTitled(meter, argv[3]);
    const int id = std::atoi(argv[4]);
    HWND list = box ? GetDlgItem(box, id) : nullptr;
    if (!list || SendMessageA(list, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(argv[5])) == CB_ERR)
      return 1;
    return SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list)) >= 0 ? 0 : 1;
  }
  if (what == "page" && argc == 4)
    return SendMessageA(sheet, PSM_SETCURSEL, WPARAM(std::atoi(argv[3])), 0) ? 0 : 1;
  if (argc < 4) return 2;
  const int id = std::atoi(argv[3]);
  HWND owner = nullptr;
  HWND control = Control(sheet, id, owner);
  if (!control) return 1;
  if (what == "press") {
    Clicked(owner, control, id);
    return 0;
  }
  if (what == "check" && argc == 5) {
    SendMessageA(control, BM_SETCHECK, std::atoi(argv[4]) ? BST_CHECKED : BST_UNCHECKED, 0);
    Clicked(owner, control, id);
    return 0;
  }
  if (what == "select" && argc == 5) {
    SendMessageA(control, CB_SETCURSEL, WPARAM(std::atoi(argv[4])), 0);
    PostMessageA(owner, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (what == "text" && argc == 5) return SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 1;
  if (what == "rowcheck" && argc == 6)
    return SetRowState(control, std::atoi(argv[4]), INDEXTOSTATEIMAGEMASK(std::atoi(argv[5]) ? 2 : 1),
                       LVIS_STATEIMAGEMASK)
               ? 0
               : 1;
  if (what == "rowclick" && argc == 5) return ClickCheckBox(control, std::atoi(argv[4])) ? 0 : 1;
  if (what == "sort" && argc == 5) return ClickHeader(control, std::atoi(argv[4])) ? 0 : 1;
  if (what == "rowselect" && argc == 5) {
    const int row = std::atoi(argv[4]);
    if (row < 0) return SetRowState(control, -1, 0, LVIS_SELECTED | LVIS_FOCUSED) ? 0 : 1;
    return SetRowState(control, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED) ? 0 : 1;
  }
  return 2;
}

int HoldHotkey(char letter, int seconds) {
  const bool held = RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, UINT(toupper(letter)));
  std::printf("held=%d\n", held ? 1 : 0);
  std::fflush(stdout);
  if (!held) return 1;
  Sleep(DWORD(seconds) * 1000);
  UnregisterHotKey(nullptr, 1);
  return 0;
}

int RunKeyValues() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return 1;
  for (DWORD i = 0;; ++i) {
    char name[256], data[1024] = {};
    DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
        ERROR_SUCCESS)
      break;
    std::printf("run=%s|%lu|%s\n", name, static_cast<unsigned long>(type), data);
  }
  RegCloseKey(key);
  return 0;
}

int AdapterValue(const std::string& name, const char* value, DWORD number) {
  const std::string key = "Software\\Quellmark\\AdaptersEx\\" + name;
  const std::string id = name.substr(name.find('-') + 1);
  const bool ok =
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "AdapterID", REG_SZ, id.c_str(), DWORD(id.size() + 1)) == 0 &&
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), value, REG_DWORD, &number, sizeof number) == 0;
  return ok ? 0 : 1;
}
