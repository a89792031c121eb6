// A small test driver that works the desktop program from outside, as a
// person would: it finds the meter window through the "HWND" value the
// program stores, posts commands, presses keys, answers message boxes and
// reports what it sees, one "name=value" line each, on standard output.
//
//   meter_driver info                 the meter window and the program's other windows
//   meter_driver command ID           posts WM_COMMAND ID to the meter window
//   meter_driver message MSG WP LP    posts a message to the meter window
//   meter_driver keys KEY...          brings the meter window forward and presses
//                                     keys such as esc, f, ctrl+g, ctrl+shift+m
//   meter_driver answer ID            clicks button ID of the program's message box
//   meter_driver options              every value of the Options key
//   meter_driver adapters             every AdaptersEx key with its values
//   meter_driver reset                removes every setting of the program
//   meter_driver setopt NAME NUMBER   writes a 32-bit value of the Options key
//   meter_driver view KEY SHARE       gives the adapter of AdaptersEx key KEY a graph
//                                     view with SHARE of the window's height
//   meter_driver lock PATH SECONDS    holds the file open without sharing
//   meter_driver tips                 the texts of every tooltip of the notification
//                                     area (read in the process that shows them)
//   meter_driver window|count|close|clipped TITLE ...
//                                     any top-level window by its title (driver_windows.h)
//   meter_driver dialog TITLE ...     the dialog commands of dialog_driver.cpp
//   meter_driver sheet ...            works the options sheet (sheet_driver.cpp)
//   meter_driver keysto TITLE KEY...  presses keys in the window with that title
//   meter_driver holdkey LETTER SECONDS  holds Ctrl+Shift+LETTER as another program would
//   meter_driver runkey               the values of the current user's Run key
//   meter_driver adapterkey KEY NAME NUMBER  a 32-bit value of an AdaptersEx key
//   meter_driver controls|press|type|selrow|selcombo TITLE ...
//                                     the program's windows with nested controls, list
//                                     view rows and combo entries (control_driver.h)
//
// Exit status: 0 done, 1 the window or box was not found, 2 bad arguments.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "tests/e2e/driver_text.h"
#include "tests/e2e/control_driver.h"
#include "tests/e2e/driver_windows.h"
#include "tests/e2e/dialog_driver.h"
#include "tests/e2e/sheet_driver.h"

namespace {

constexpr char kOptionsKey[] = "Software\\Quellmark\\Options";
constexpr char kAdaptersKey[] = "Software\\Quellmark\\AdaptersEx";

HWND MeterWindow() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kOptionsKey, "HWND", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return nullptr;
  HWND hwnd = reinterpret_cast<HWND>(uintptr_t(value));
  return IsWindow(hwnd) ? hwnd : nullptr;
}

std::string TextOf(HWND hwnd) { return WindowTextOf(hwnd); }
std::string ClassOf(HWND hwnd) { return ClassNameOf(hwnd); }

void PrintRect(const char* name, const RECT& r) {
  std::printf("%s=%ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}

// The program's windows besides the meter window: message boxes, dialogs.
std::vector<HWND> OtherWindows(HWND meter) {
  struct Search {
    DWORD pid;
    HWND meter;
    std::vector<HWND> found;
  } search{0, meter, {}};
  GetWindowThreadProcessId(meter, &search.pid);
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && hwnd != s->meter && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Info() {
  HWND hwnd = MeterWindow();
  std::printf("found=%d\n", hwnd ? 1 : 0);
  if (!hwnd) return 1;
  std::printf("visible=%d\n", IsWindowVisible(hwnd) ? 1 : 0);
  std::printf("title=%s\n", TextOf(hwnd).c_str());
  const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE), ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
  std::printf("style=%lx\nexstyle=%lx\n", long(style), long(ex));
  std::printf("topmost=%d\n", (ex & WS_EX_TOPMOST) ? 1 : 0);
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  const bool layered = (ex & WS_EX_LAYERED) && GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags);
  std::printf("alpha=%d\n", layered && (flags & LWA_ALPHA) ? int(alpha) : -1);
  RECT r;
  GetWindowRect(hwnd, &r);
  PrintRect("rect", r);
  GetClientRect(hwnd, &r);
  std::printf("client=%ld %ld\n", r.right, r.bottom);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  std::printf("origin=%ld %ld\n", origin.x, origin.y);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  PrintRect("workarea", r);
  std::printf("scrollbars=%d %d\n", GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    std::printf("view=%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom, IsWindowVisible(child) ? 1 : 0);
  }
  for (HWND other : OtherWindows(hwnd)) {
    std::printf("window=%s|%s\n", ClassOf(other).c_str(), TextOf(other).c_str());
    for (HWND c = GetWindow(other, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (ClassOf(c) == "Static" && !TextOf(c).empty()) std::printf("text=%s\n", TextOf(c).c_str());
  }
  return 0;
}

WORD KeyOf(const std::string& name) {
  if (name == "esc") return VK_ESCAPE;
  if (name == "enter") return VK_RETURN;
  if (name == "down") return VK_DOWN;
  if (name == "right") return VK_RIGHT;
  if (name.size() == 2 && name[0] == 'f' && name[1] >= '1' && name[1] <= '9') return WORD(VK_F1 + name[1] - '1');
  if (name.size() == 1) return WORD(toupper(static_cast<unsigned char>(name[0])));
  return 0;
}

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

// "ctrl+shift+m": the modifiers down, the key down and up, the modifiers up.
bool Press(const std::string& combination) {
  std::vector<WORD> mods;
  std::string rest = combination;
  for (;;) {
    const size_t plus = rest.find('+');
    if (plus == std::string::npos) break;
    const std::string mod = rest.substr(0, plus);
    mods.push_back(mod == "ctrl" ? VK_CONTROL : mod == "shift" ? VK_SHIFT : VK_MENU);
    rest = rest.substr(plus + 1);
  }
  const WORD vk = KeyOf(rest);
  if (!vk) return false;
  std::vector<INPUT> inputs;
  for (WORD m : mods) inputs.push_back(Key(m, false));
  inputs.push_back(Key(vk, false));
  inputs.push_back(Key(vk, true));
  for (auto m = mods.rbegin(); m != mods.rend(); ++m) inputs.push_back(Key(*m, true));
  return SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Brings the window forward and presses the keys in it, one after another.
int PressIn(HWND window, int count, char** keys) {
  SetForegroundWindow(window);
  Sleep(200);
  for (int i = 0; i < count; ++i) {
    if (!Press(keys[i])) return 2;
    Sleep(100);
  }
  return 0;
}

void PrintValues(HKEY key, const std::string& prefix) {
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameSize = sizeof name, type = 0;
    BYTE data[2048];
    DWORD dataSize = sizeof data;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    std::printf("%s%s=", prefix.c_str(), name);
    if (type == REG_DWORD && dataSize == 4)
      std::printf("%lu", static_cast<unsigned long>(*reinterpret_cast<DWORD*>(data)));
    else if (type == REG_SZ)
      std::printf("%.*s", int(strnlen(reinterpret_cast<char*>(data), dataSize)), reinterpret_cast<char*>(data));
    else
      for (DWORD b = 0; b < dataSize; ++b) std::printf("%02x", data[b]);
    std::printf("\n");
  }
}

int Options() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
  PrintValues(key, "");
  RegCloseKey(key);
  return 0;
}

int Adapters() {
  HKEY root;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kAdaptersKey, 0, KEY_READ, &root) != ERROR_SUCCESS) return 1;
  for (DWORD i = 0;; ++i) {
    char name[512];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(root, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key;
    if (RegOpenKeyExA(root, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    PrintValues(key, std::string(name) + ":");
    RegCloseKey(key);
  }
  RegCloseKey(root);
  return 0;
}

int Reset() {
  const LSTATUS s = RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quellmark");
  return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

int SetOption(const char* name, DWORD value) {
  return RegSetKeyValueA(HKEY_CURRENT_USER, kOptionsKey, name, REG_DWORD, &value, sizeof value) == ERROR_SUCCESS ? 0 : 1;
}

// A graph view for the adapter of KEY ("100-", "300-{ID}") with this share
// of the window's height.
int View(const std::string& name, float share) {
  const std::string key = std::string(kAdaptersKey) + "\\" + name;
  const std::string id = name.substr(name.find('-') + 1);
  DWORD on = 1;
  const bool ok =
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "AdapterID", REG_SZ, id.c_str(), DWORD(id.size() + 1)) == 0 &&
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Monitored", REG_DWORD, &on, sizeof on) == 0 &&
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Size", REG_BINARY, &share, sizeof share) == 0;
  return ok ? 0 : 1;
}

int Lock(const char* path, int seconds) {
  HANDLE opened = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return 1;
  qm::KernelHandle file(opened);
  std::printf("locked=1\n");
  std::fflush(stdout);
  Sleep(DWORD(seconds) * 1000);
  return 0;
}

// The tooltips of the notification area live in another process: the tool
// record and the text are read through memory allocated there.
int Tips() {
  std::vector<HWND> tips;
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        if (ClassOf(hwnd) == TOOLTIPS_CLASSA) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tips));
  for (HWND tip : tips) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tip, &pid);
    HANDLE opened = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!opened) continue;
    qm::KernelHandle process(opened);
    constexpr size_t kTextChars = 256;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(process.Get(), nullptr, sizeof(TTTOOLINFOW) + kTextChars * 2, MEM_COMMIT, PAGE_READWRITE));
    if (!remote) continue;
    auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
    const int count = int(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = remoteText;
      SIZE_T done = 0;
      WriteProcessMemory(process.Get(), remote, &info, sizeof info, &done);
      if (!SendMessageW(tip, TTM_ENUMTOOLSW, WPARAM(i), reinterpret_cast<LPARAM>(remote))) continue;
      wchar_t text[kTextChars] = {};
      ReadProcessMemory(process.Get(), remoteText, text, sizeof text - 2, &done);
      char narrow[kTextChars * 2] = {};
      WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
      std::string line(narrow);
      for (char& c : line)
        if (c == '\r' || c == '\n') c = '|';
      std::printf("tip=%s\n", line.c_str());
    }
    VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (const int status = DialogCommand(argc, argv); status >= 0) return status;
  const std::string what = argv[1];
  if (what == "info") return Info();
  if (what == "options") return Options();
  if (what == "adapters") return Adapters();
  if (what == "reset") return Reset();
  if (what == "tips") return Tips();
  if (what == "setopt" && argc == 4) return SetOption(argv[2], DWORD(std::strtoul(argv[3], nullptr, 0)));
  if (what == "view" && argc == 4) return View(argv[2], std::strtof(argv[3], nullptr));
  if (what == "lock" && argc == 4) return Lock(argv[2], std::atoi(argv[3]));
  if (const int rc = qm::driver::RunWindowCommand(argc, argv); rc >= 0) return rc;
  if (what == "keysto" && argc >= 4) {
    // Keys pressed in another window of the program, as a person would
    // after clicking into it.
    HWND window = qm::driver::FirstWindowTitled(argv[2]);
    return window ? PressIn(window, argc - 3, argv + 3) : 1;
  }
  if (what == "holdkey" && argc == 4) return HoldHotkey(argv[2][0], std::atoi(argv[3]));
  if (what == "runkey") return RunKeyValues();
  if (what == "adapterkey" && argc == 5) return AdapterValue(argv[2], argv[3], DWORD(std::strtoul(argv[4], nullptr, 0)));
  HWND hwnd = MeterWindow();
  if (!hwnd) return 1;
  if (const int done = qm::ControlCommand(hwnd, argc, argv); done >= 0) return done;
  if (what == "command" && argc == 3)
    return PostMessageA(hwnd, WM_COMMAND, WPARAM(std::strtoul(argv[2], nullptr, 0)), 0) ? 0 : 1;
  if (what == "sendcommand" && argc == 3) {
    // As a setup or uninstaller ends the program: sent from this process,
    // given up after ten seconds.
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(hwnd, WM_COMMAND, WPARAM(std::strtoul(argv[2], nullptr, 0)), 0, SMTO_ABORTIFHUNG,
                               10000, &answer)
               ? 0
               : 1;
  }
  if (what == "message" && argc == 5)
    return PostMessageA(hwnd, UINT(std::strtoul(argv[2], nullptr, 0)), WPARAM(std::strtoull(argv[3], nullptr, 0)),
                        LPARAM(std::strtoll(argv[4], nullptr, 0)))
               ? 0
               : 1;
  if (what == "sheet") return SheetCommand(hwnd, argc, argv);
  if (what == "keys") return PressIn(hwnd, argc - 2, argv + 2);
  if (what == "answer" && argc == 3) {
    for (HWND other : OtherWindows(hwnd)) {
      if (ClassOf(other) != "#32770") continue;
      PostMessageA(other, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), BN_CLICKED), 0);
      return 0;
    }
    return 1;
  }
  return 2;
}
