#include "meter/win32/help_viewer.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "meter/help_page.h"
#include "platform/win32/shell_folders.h"

namespace qm {
namespace {

constexpr char kHelpWindowTitle[] = "Quellmark Help";
constexpr char kHelpFile[] = "Quellmark.chm";
constexpr char kHelpViewer[] = "hh.exe";

std::string TextOf(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// The text of the current tab of a property sheet or of a window with a tab
// control of its own; "" for other windows.
std::string CurrentTab(HWND window) {
  HWND tab = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
  const int index = tab ? int(SendMessageA(tab, TCM_GETCURSEL, 0, 0)) : -1;
  if (index < 0) return "";
  char text[128] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  if (!SendMessageA(tab, TCM_GETITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&item))) return "";
  return text;
}

void Open(HWND owner, const std::string& page, int show) {
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const std::string file = ProgramFolder() + kHelpFile;
  if (page.empty()) {
    ShellExecuteA(owner, "open", file.c_str(), nullptr, nullptr, show);
  } else {
    // The viewer takes "FILE::/PAGE" as one argument, quoted for a folder
    // with spaces.
    const std::string topic = "\"" + file + "::/" + page + "\"";
    ShellExecuteA(owner, "open", kHelpViewer, topic.c_str(), nullptr, show);
  }
  SetCursor(previous);
}

}  // namespace

void OpenHelpFor(HWND owner, HWND from) {
  std::string page;
  if (HWND window = from ? GetAncestor(from, GA_ROOT) : nullptr) page = HelpPageFor(TextOf(window), CurrentTab(window));
  if (HWND help = FindWindowA(nullptr, kHelpWindowTitle)) {
    if (page.empty()) {
      if (IsIconic(help)) ShowWindow(help, SW_RESTORE);
      SetForegroundWindow(help);
      return;
    }
    // The viewer cannot be told to show another page from outside: the
    // open one goes, so that one help window stays.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(help, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 3000, &ignored);
  }
  Open(owner, page, SW_SHOWNORMAL);
}

void OpenHelpMaximized(HWND owner) { Open(owner, "", SW_SHOWMAXIMIZED); }

void CloseHelp() {
  if (HWND help = FindWindowA(nullptr, kHelpWindowTitle)) PostMessageA(help, WM_CLOSE, 0, 0);
}

}  // namespace qm
