#include "tests/e2e/control_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace qm {
namespace {

std::string Text(HWND hwnd) {
  char text[1024] = {};
  DWORD_PTR done = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &done);
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = '|';
  return out;
}

std::string Class(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// The program's visible top-level window with this title (not the meter window).
HWND FindTitled(HWND meter, const std::string& title) {
  struct Search {
    DWORD pid;
    HWND meter;
    const std::string* title;
    HWND found;
  } s{0, meter, &title, nullptr};
  GetWindowThreadProcessId(meter, &s.pid);
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != s->pid || hwnd == s->meter || !IsWindowVisible(hwnd) || Text(hwnd) != *s->title) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> all;
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

// The visible control ID, of class `preferred` where several share the ID
// (the file dialogs' list and button, or a combo box and its edit field).
HWND Control(HWND window, int id, const char* preferred) {
  HWND first = nullptr;
  for (HWND c : Descendants(window)) {
    if (GetDlgCtrlID(c) != id || !IsWindowVisible(c)) continue;
    if (Class(c) == preferred) return c;
    if (!first) first = c;
  }
  return first;
}

// Memory in the process that owns a window, for the messages that carry a
// pointer (list views): written, sent, read back, freed.
class RemoteMemory {
 public:
  RemoteMemory(HWND owner, size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_) at_ = VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (at_) VirtualFreeEx(process_.Get(), at_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  explicit operator bool() const { return at_ != nullptr; }
  BYTE* at() const { return static_cast<BYTE*>(at_); }
  bool Write(size_t offset, const void* data, size_t size) {
    SIZE_T done = 0;
    return WriteProcessMemory(process_.Get(), at() + offset, data, size, &done) && done == size;
  }
  bool Read(size_t offset, void* data, size_t size) {
    SIZE_T done = 0;
    return ReadProcessMemory(process_.Get(), at() + offset, data, size, &done) && done == size;
  }

 private:
  KernelHandle process_;
  void* at_ = nullptr;
};

void PrintListRows(HWND list) {
  constexpr size_t kChars = 512;
  RemoteMemory memory(list, sizeof(LVITEMA) + kChars);
  if (!memory) return;
  const int rows = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const int columns = header ? int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  for (int row = 0; row < rows; ++row) {
    std::string line;
    for (int column = 0; column < columns; ++column) {
      LVITEMA item{};
      item.iSubItem = column;
      item.pszText = reinterpret_cast<char*>(memory.at() + sizeof item);
      item.cchTextMax = kChars;
      char text[kChars] = {};
      if (memory.Write(0, &item, sizeof item) &&
          SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(memory.at())) >= 0)
        memory.Read(sizeof item, text, kChars - 1);
      line += text;
      line += '|';
    }
    const bool selected = SendMessageA(list, LVM_GETITEMSTATE, WPARAM(row), LVIS_SELECTED) & LVIS_SELECTED;
    std::printf("row=%d|%s%d\n", row, line.c_str(), selected ? 1 : 0);
  }
}

int Dump(HWND window) {
  std::printf("found=1\n");
  std::printf("topmost=%d\n", (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
  std::printf("appwindow=%d\n", (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW) ? 1 : 0);
  RECT r;
  GetWindowRect(window, &r);
  std::printf("rect=%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  std::printf("focus=%d\n", [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus
               ? GetDlgCtrlID(info.hwndFocus)
               : 0;
  }());
  for (HWND c : Descendants(window)) {
    if (!IsWindowVisible(c)) continue;
    const std::string cls = Class(c);
    const bool button = cls == "Button";
    const LRESULT check = button ? SendMessageA(c, BM_GETCHECK, 0, 0) : 0;
    std::printf("control=%d|%s|%s|%d|%d\n", GetDlgCtrlID(c), cls.c_str(), Text(c).c_str(), IsWindowEnabled(c) ? 1 : 0,
                int(check));
    if (cls == WC_LISTVIEWA) PrintListRows(c);
    if (cls == WC_COMBOBOXA) {
      const int count = int(SendMessageA(c, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        // Across processes the system carries the text over as Unicode.
        wchar_t item[512] = {};
        char narrow[1024] = {};
        if (SendMessageW(c, CB_GETLBTEXTLEN, WPARAM(i), 0) < LRESULT(sizeof item / sizeof *item))
          SendMessageW(c, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item));
        WideCharToMultiByte(CP_ACP, 0, item, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        std::printf("item=%d|%d|%s\n", GetDlgCtrlID(c), i, narrow);
      }
    }
  }
  return 0;
}

int SelectRow(HWND list, int row) {
  RemoteMemory memory(list, sizeof(LVITEMA));
  if (!memory) return 1;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!memory.Write(0, &item, sizeof item)) return 1;
  return SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(memory.at())) ? 0 : 1;
}

}  // namespace

int ControlCommand(HWND meter, int argc, char** argv) {
  const std::string what = argv[1];
  const bool known =
      what == "controls" || what == "press" || what == "type" || what == "selrow" || what == "selcombo";
  if (!known) return -1;
  if (argc < 3) return 2;
  HWND window = FindTitled(meter, argv[2]);
  if (what == "controls") {
    if (!window) {
      std::printf("found=0\n");
      return 1;
    }
    return Dump(window);
  }
  if (!window) return 1;
  if (argc < 4) return 2;
  const char* preferred = what == "press"    ? "Button"
                          : what == "type"   ? "Edit"
                          : what == "selrow" ? WC_LISTVIEWA
                                             : WC_COMBOBOXA;
  HWND control = Control(window, std::atoi(argv[3]), preferred);
  if (!control) return 1;
  // Posted: a click may open a modal box that the driver must not wait on.
  if (what == "press") return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
  if (argc < 5) return 2;
  if (what == "type") {
    DWORD_PTR done = 0;
    return SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG, 5000,
                               &done)
               ? 0
               : 1;
  }
  if (what == "selrow") return SelectRow(control, std::atoi(argv[4]));
  if (what == "selcombo") {
    SendMessageA(control, CB_SETCURSEL, WPARAM(std::atoi(argv[4])), 0);
    // Both notices of a choice made with the mouse: dialogs listen to either.
    const WPARAM id = WPARAM(GetDlgCtrlID(control));
    const LPARAM from = reinterpret_cast<LPARAM>(control);
    return PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), from) &&
                   PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), from)
               ? 0
               : 1;
  }
  return 2;
}

}  // namespace qm
