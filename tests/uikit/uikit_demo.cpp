// Shows a pop-up menu drawn by the toolkit, with images, marks, a greyed
// item, a sub-menu, accelerator texts and one item selected by the keyboard,
// above a window holding a hyperlink label. Writes what it found and where
// things are to READY_FILE, then keeps the menu open until STOP_FILE appears
// (or its time runs out) so that the screenshot test can look.
//
// READY_FILE lines: "color NAME R G B", "menu L T R B", "item POS L T R B",
// "selected POS", "menuchar KEY POS CODE" (before and "menuchar_open ..."
// while the menu is open), "link L T R B", "link_hand 0|1",
// "link_opened ADDRESS", "link_dragged_off_opened 0|1".
//
// uikit_demo READY_FILE STOP_FILE [SECONDS]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "uikit/hyperlink_label.h"
#include "uikit/owner_drawn_menu.h"

namespace {

constexpr int kImageStrip = 136;
constexpr UINT_PTR kMenuTimer = 1;
constexpr char kAddress[] = "https://quellmark.example/";

std::string g_readyFile, g_stopFile, g_opened;
DWORD g_deadline = 0;
HMENU g_popup = nullptr;
qm::OwnerDrawnMenu* g_menus = nullptr;
FILE* g_out = nullptr;
int g_ticks = 0;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void PutRect(const char* name, int pos, const RECT& r) {
  if (pos >= 0)
    std::fprintf(g_out, "%s %d %ld %ld %ld %ld\n", name, pos, r.left, r.top, r.right, r.bottom);
  else
    std::fprintf(g_out, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}

void PutColor(const char* name, int index) {
  const COLORREF c = GetSysColor(index);
  std::fprintf(g_out, "color %s %d %d %d\n", name, GetRValue(c), GetGValue(c), GetBValue(c));
}

HMENU BuildMenu() {
  HMENU adapters = CreatePopupMenu();
  AppendMenuA(adapters, MF_STRING | MF_CHECKED, 9000, "All Connections");
  AppendMenuA(adapters, MF_STRING, 9001, "eth0");
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING | MF_GRAYED, 32771, "&Show");
  AppendMenuA(popup, MF_STRING, 32772, "&Hide\tEsc");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, 32773, "&Options...\tF2");
  AppendMenuA(popup, MF_STRING, 32774, "&Traffic Reports...\tF3");
  AppendMenuA(popup, MF_STRING, 32786, "Stop&watch...\tF4");
  AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(adapters), "A&dapters");
  AppendMenuA(popup, MF_STRING | MF_CHECKED, 32776, "&Title\tCtrl+T");
  AppendMenuA(popup, MF_STRING, 32821, "Column Graph\tCtrl+H");
  AppendMenuA(popup, MF_STRING, 32822, "Line Graph\tCtrl+L");
  CheckMenuRadioItem(popup, 32821, 32822, 32821, MF_BYCOMMAND);
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, 57670, "&Help\tF1");
  AppendMenuA(popup, MF_STRING, 32795, "&Leave");  // renamed once prepared
  return popup;
}

// The label: a click opens, a press dragged off it does not; the hand cursor.
void CheckLink(const qm::HyperlinkLabel& link) {
  HWND label = link.Handle();
  RECT r;
  GetWindowRect(label, &r);
  PutRect("link", -1, r);
  SendMessageA(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  std::fprintf(g_out, "link_hand %d\n", GetCursor() == LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
  std::fprintf(g_out, "link_hittest %d\n", int(SendMessageA(label, WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2))));

  SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(3000, 3));
  std::fprintf(g_out, "link_dragged_off_opened %d\n", !g_opened.empty());
  SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  std::fprintf(g_out, "link_opened %s\n", g_opened.c_str());
}

void ReportMenu() {
  HWND menuWindow = FindWindowA("#32768", nullptr);
  RECT r{};
  if (menuWindow) GetWindowRect(menuWindow, &r);
  PutRect("menu", -1, r);
  for (int pos = 0; pos < GetMenuItemCount(g_popup); ++pos) {
    if (GetMenuItemRect(nullptr, g_popup, UINT(pos), &r)) PutRect("item", pos, r);
    if (GetMenuState(g_popup, UINT(pos), MF_BYPOSITION) & MF_HILITE) std::fprintf(g_out, "selected %d\n", pos);
  }
  for (char key : {'x', 'l'}) {
    const LRESULT r = g_menus->MenuChar(g_popup, key);
    std::fprintf(g_out, "menuchar_open %c %d %d\n", key, LOWORD(r), HIWORD(r));
  }
  std::fclose(g_out);
  g_out = nullptr;
  MoveFileA((g_readyFile + ".part").c_str(), g_readyFile.c_str());  // all at once
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (g_menus && g_menus->HandleMessage(msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_TIMER:  // runs inside the menu's own loop
      ++g_ticks;
      if (g_ticks <= 4) {
        PostMessageA(hwnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(hwnd, WM_KEYUP, VK_DOWN, 0xC0000000);
      } else if (g_ticks == 8) {
        ReportMenu();
      } else if (g_ticks > 8 && (Exists(g_stopFile) || GetTickCount() > g_deadline)) {
        KillTimer(hwnd, kMenuTimer);
        EndMenu();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  g_readyFile = __argv[1];
  g_stopFile = __argv[2];
  g_deadline = GetTickCount() + 1000u * DWORD(__argc > 3 ? std::atoi(__argv[3]) : 60);
  const std::string findings = g_readyFile + ".part";
  g_out = std::fopen(findings.c_str(), "w");
  if (!g_out) return 3;

  WNDCLASSA wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "UikitDemoHost";
  RegisterClassA(&wc);
  HWND host = CreateWindowA(wc.lpszClassName, "Toolkit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 420, 400,
                            nullptr, nullptr, instance, nullptr);
  HWND label = CreateWindowA("STATIC", "Visit Quellmark Homepage", WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 8, 200,
                             16, host, nullptr, instance, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  qm::HyperlinkLabel link;
  link.Attach(label, kAddress, [](const std::string& a) { g_opened = a; });
  UpdateWindow(host);
  CheckLink(link);

  qm::OwnerDrawnMenu menus(instance, kImageStrip, {{32771, 0}, {32773, 1}, {32786, 2}, {32774, 3}, {57670, 4}});
  g_menus = &menus;
  g_popup = BuildMenu();
  menus.Prepare(g_popup);
  for (char key : {'l', 's', 'w', 'q'}) {
    const LRESULT r = menus.MenuChar(g_popup, key);
    std::fprintf(g_out, "menuchar %c %d %d\n", key, LOWORD(r), HIWORD(r));
  }
  // The owner changes a text after the items were made owner-drawn, as the
  // meter window does with adapter names: the menu shows the new one.
  MENUITEMINFOA rename{};
  rename.cbSize = sizeof rename;
  rename.fMask = MIIM_STRING;
  rename.dwTypeData = const_cast<char*>("E&xit");
  SetMenuItemInfoA(g_popup, 32795, FALSE, &rename);
  PutColor("menu", COLOR_MENU);
  PutColor("menutext", COLOR_MENUTEXT);
  PutColor("highlight", COLOR_HIGHLIGHT);
  PutColor("menuhilight", COLOR_MENUHILIGHT);
  PutColor("highlighttext", COLOR_HIGHLIGHTTEXT);
  PutColor("graytext", COLOR_GRAYTEXT);
  PutColor("hotlight", COLOR_HOTLIGHT);
  PutColor("btnshadow", COLOR_BTNSHADOW);
  BOOL flat = FALSE;
  SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
  std::fprintf(g_out, "flat %d\n", flat ? 1 : 0);

  SetForegroundWindow(host);
  SetTimer(host, kMenuTimer, 250, nullptr);
  TrackPopupMenu(g_popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, 180, 40, 0, host, nullptr);
  if (g_out) std::fclose(g_out);
  DestroyWindow(host);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
