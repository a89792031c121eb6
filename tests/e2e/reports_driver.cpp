// Works the desktop program's traffic reports window from outside, as a
// person would, one "name=value" line per thing seen on standard output.
// The window is found among the top-level windows of the process whose
// meter window the "HWND" value names.
//
//   reports_driver setlog PATH         sets the history file of the next start
//   reports_driver windows             every visible window of the program with its
//                                      controls (id, class, text), for finding one
//   reports_driver sheet               the reports window: caption, page, adapters,
//                                      the shown page's list rows and texts
//   reports_driver tab N               shows page N (0 Summary .. 3 Monthly)
//   reports_driver adapter N           chooses entry N of the adapters' drop-down
//   reports_driver click ID            clicks button ID of the window or its page
//   reports_driver type ID TEXT        sets the text of edit box ID of the page
//   reports_driver header COLUMN       clicks the shown list's column header
//   reports_driver select ROW...       selects these rows of the shown list only
//   reports_driver save TITLE PATH N   in the file dialog titled TITLE: the name PATH,
//                                      file type N (1, 2, 3), then its OK button
//   reports_driver box                 the texts of the program's message box
//   reports_driver answer ID           clicks button ID of that message box
//
// Exit status: 0 done, 1 the window or control was not found, 2 bad arguments.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace {

constexpr char kOptionsKey[] = "Software\\Quellmark\\Options";
constexpr int kList = 1310;  // the list of a reports page

HWND MeterWindow() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kOptionsKey, "HWND", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return nullptr;
  HWND meter = reinterpret_cast<HWND>(uintptr_t(value));
  return IsWindow(meter) ? meter : nullptr;
}

DWORD ProgramProcess() {
  DWORD pid = 0;
  if (HWND meter = MeterWindow()) GetWindowThreadProcessId(meter, &pid);
  return pid;
}

std::string TextOf(HWND hwnd) {
  char text[2048] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = '|';
  return out;
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::vector<HWND> ProgramWindows() {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{ProgramProcess(), {}};
  if (!search.pid) return {};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WindowTitled(const std::string& prefix) {
  for (HWND w : ProgramWindows())
    if (TextOf(w).rfind(prefix, 0) == 0) return w;
  return nullptr;
}

HWND Sheet() { return WindowTitled("Traffic Reports - ["); }

// The page shown now: the visible dialog among the window's children.
HWND ShownPage(HWND sheet) {
  for (HWND c = GetWindow(sheet, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (ClassOf(c) == "#32770" && IsWindowVisible(c)) return c;
  return nullptr;
}

// Control ID of the window or of its shown page.
HWND Control(HWND sheet, int id) {
  if (HWND c = GetDlgItem(sheet, id)) return c;
  HWND page = ShownPage(sheet);
  return page ? GetDlgItem(page, id) : nullptr;
}

// Memory in the program's process for messages that carry pointers.
class Remote {
 public:
  Remote(HWND target, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(target, &pid);
    process_.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_) memory_ = static_cast<BYTE*>(VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  }
  ~Remote() {
    if (memory_) VirtualFreeEx(process_.Get(), memory_, 0, MEM_RELEASE);
  }
  Remote(const Remote&) = delete;
  Remote& operator=(const Remote&) = delete;
  BYTE* At(size_t offset) const { return memory_ + offset; }
  bool Put(size_t offset, const void* data, size_t n) {
    SIZE_T done = 0;
    return memory_ && offset + n <= size_ && WriteProcessMemory(process_.Get(), memory_ + offset, data, n, &done);
  }
  bool Get(size_t offset, void* data, size_t n) {
    SIZE_T done = 0;
    return memory_ && offset + n <= size_ && ReadProcessMemory(process_.Get(), memory_ + offset, data, n, &done);
  }
  explicit operator bool() const { return memory_ != nullptr; }

 private:
  qm::KernelHandle process_;
  BYTE* memory_ = nullptr;
  size_t size_;
};

std::string CellText(HWND list, Remote& remote, int row, int column) {
  constexpr size_t kText = sizeof(LVITEMA);
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<char*>(remote.At(kText));
  item.cchTextMax = 256;
  remote.Put(0, &item, sizeof item);
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote.At(0)));
  char text[257] = {};
  remote.Get(kText, text, 256);
  return text;
}

void PrintList(HWND list) {
  Remote remote(list, sizeof(LVITEMA) + 256);
  if (!remote) return;
  const int columns = int(SendMessageA(ListView_GetHeader(list), HDM_GETITEMCOUNT, 0, 0));
  const int rows = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  std::printf("rowcount=%d\n", rows);
  for (int r = 0; r < rows; ++r) {
    std::string line;
    for (int c = 0; c < columns; ++c) {
      if (c) line += '|';
      line += CellText(list, remote, r, c);
    }
    const bool selected = SendMessageA(list, LVM_GETITEMSTATE, r, LVIS_SELECTED) & LVIS_SELECTED;
    std::printf("row=%s%s\n", line.c_str(), selected ? "|*" : "");
  }
}

void PrintControls(HWND parent) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::printf("control=%d|%s|%s|%d\n", GetDlgCtrlID(c), ClassOf(c).c_str(), TextOf(c).c_str(),
                IsWindowVisible(c) ? 1 : 0);
  }
}

int Windows() {
  for (HWND w : ProgramWindows()) {
    std::printf("window=%s|%s\n", ClassOf(w).c_str(), TextOf(w).c_str());
    PrintControls(w);
  }
  return 0;
}

int ShowSheet() {
  HWND sheet = Sheet();
  std::printf("found=%d\n", sheet ? 1 : 0);
  if (!sheet) return 1;
  std::printf("caption=%s\n", TextOf(sheet).c_str());
  std::printf("exstyle=%lx\n", long(GetWindowLongPtrA(sheet, GWL_EXSTYLE)));
  RECT r;
  GetWindowRect(sheet, &r);
  std::printf("rect=%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  std::printf("page=%d\n", int(SendMessageA(GetDlgItem(sheet, 1301), TCM_GETCURSEL, 0, 0)));
  HWND combo = GetDlgItem(sheet, 1302);
  std::printf("adapter=%d\n", int(SendMessageA(combo, CB_GETCURSEL, 0, 0)));
  std::printf("adapters=%d\n", int(SendMessageA(combo, CB_GETCOUNT, 0, 0)));
  PrintControls(sheet);
  if (HWND page = ShownPage(sheet)) {
    PrintControls(page);
    if (HWND list = GetDlgItem(page, kList)) PrintList(list);
  }
  return 0;
}

INPUT Mouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  return in;
}

// A real click on the middle of the column's header, long enough after any
// click before it not to make a double click with it.
int ClickHeader(int column) {
  HWND sheet = Sheet();
  HWND list = sheet ? Control(sheet, kList) : nullptr;
  if (!list) return 1;
  HWND header = ListView_GetHeader(list);
  RECT h;
  GetWindowRect(header, &h);
  int x = h.left;
  for (int c = 0; c < column; ++c) x += int(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
  x += int(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)) / 2;
  SetForegroundWindow(sheet);
  Sleep(GetDoubleClickTime() + 100);
  SetCursorPos(x, (h.top + h.bottom) / 2);
  Sleep(100);
  INPUT click[] = {Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP)};
  return SendInput(2, click, sizeof(INPUT)) == 2 ? 0 : 1;
}

int Select(const std::vector<int>& rows) {
  HWND sheet = Sheet();
  HWND list = sheet ? Control(sheet, kList) : nullptr;
  if (!list) return 1;
  Remote remote(list, sizeof(LVITEMA));
  if (!remote) return 1;
  const int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int r = 0; r < count; ++r) {
    bool on = false;
    for (int want : rows) on = on || want == r;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = on ? LVIS_SELECTED : 0;
    remote.Put(0, &item, sizeof item);
    SendMessageA(list, LVM_SETITEMSTATE, r, reinterpret_cast<LPARAM>(remote.At(0)));
  }
  return 0;
}

// The program's message box: a dialog captioned "Quellmark" other than
// the meter window, which is one too.
HWND Box() {
  const HWND meter = MeterWindow();
  for (HWND w : ProgramWindows())
    if (w != meter && ClassOf(w) == "#32770" && TextOf(w) == "Quellmark") return w;
  return nullptr;
}

int ShowBox() {
  HWND box = Box();
  std::printf("found=%d\n", box ? 1 : 0);
  if (!box) return 1;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (ClassOf(c) == "Static" && !TextOf(c).empty()) std::printf("text=%s\n", TextOf(c).c_str());
  return 0;
}

// A file dialog: the name into its name box (an edit, or a combo box with
// one), the file type chosen with the notification a choice gives, then OK.
int Save(const std::string& title, const std::string& path, int type) {
  HWND dialog = WindowTitled(title);
  if (!dialog) return 1;
  constexpr int kTypes = 0x470, kNameCombo = 0x47c, kNameEdit = 0x480;
  if (type > 0) {
    if (HWND types = GetDlgItem(dialog, kTypes)) {
      SendMessageA(types, CB_SETCURSEL, WPARAM(type - 1), 0);
      // A choice ends with both notifications; dialogs differ in which they read.
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypes, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypes, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
    }
  }
  HWND name = GetDlgItem(dialog, kNameCombo);
  if (!name) name = GetDlgItem(dialog, kNameEdit);
  if (!name) return 1;
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string what = argv[1];
  if (what == "windows") return Windows();
  if (what == "setlog" && argc == 3)
    return RegSetKeyValueA(HKEY_CURRENT_USER, kOptionsKey, "TrafficLogFile", REG_SZ, argv[2],
                           DWORD(std::strlen(argv[2]) + 1)) == ERROR_SUCCESS ? 0 : 1;
  if (what == "sheet") return ShowSheet();
  if (what == "box") return ShowBox();
  if (what == "answer" && argc == 3) {
    HWND box = Box();
    return box && PostMessageA(box, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), BN_CLICKED), 0) ? 0 : 1;
  }
  if (what == "save" && argc == 5) return Save(argv[2], argv[3], std::atoi(argv[4]));
  if (what == "header" && argc == 3) return ClickHeader(std::atoi(argv[2]));
  if (what == "select") {
    std::vector<int> rows;
    for (int i = 2; i < argc; ++i) rows.push_back(std::atoi(argv[i]));
    return Select(rows);
  }
  HWND sheet = Sheet();
  if (!sheet) return 1;
  if (what == "tab" && argc == 3) return PostMessageA(sheet, WM_USER + 101, WPARAM(std::atoi(argv[2])), 0) ? 0 : 1;
  if (what == "adapter" && argc == 3) {
    HWND combo = GetDlgItem(sheet, 1302);
    SendMessageA(combo, CB_SETCURSEL, WPARAM(std::atoi(argv[2])), 0);
    return PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(1302, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo)) ? 0 : 1;
  }
  if (what == "click" && argc == 3) {
    HWND button = Control(sheet, std::atoi(argv[2]));
    return button && PostMessageA(button, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (what == "type" && argc == 4) {
    HWND edit = Control(sheet, std::atoi(argv[2]));
    return edit && SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3])) ? 0 : 1;
  }
  return 2;
}
