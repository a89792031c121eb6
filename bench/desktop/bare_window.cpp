// The floor of the desktop measurement: a Win32 program with one plain
// window and a message loop that does nothing else. With the argument
// "--system-libraries" it first loads what the desktop program loads of
// the system (COM, common controls, the shell), so that the difference to
// the program is its own.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstring>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (std::strstr(commandLine, "--system-libraries")) {
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    SHFILEINFOA info{};
    SHGetFileInfoA(".txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "QuellmarkBareWindow";
  if (!RegisterClassA(&wc)) return 1;
  if (!CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Bare", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 381,
                       146, nullptr, nullptr, instance, nullptr))
    return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
