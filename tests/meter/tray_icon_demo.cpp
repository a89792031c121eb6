// Puts two tray icons into the real notification area through Wine's shell:
// the static icon for a second with download and upload (as on a system
// without colour icons), and the live miniature (icon 105). Writes READY_FILE
// once both were sent and keeps them until STOP_FILE appears (or its time
// runs out); the screenshot test looks for both on the screen.
//
// tray_icon_demo READY_FILE STOP_FILE [SECONDS]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "meter/win32/tray_icon.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  const std::string stop = __argv[2];
  const DWORD deadline = GetTickCount() + 1000u * DWORD(__argc > 3 ? std::atoi(__argv[3]) : 60);

  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "TrayIconDemoOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowA(wc.lpszClassName, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, instance, nullptr);

  qm::Options options;
  qm::AdapterRecord record;
  record.displayName = "eth0";
  for (uint32_t i = 0; i < 20; ++i) record.history.push_front({i * 50, (20 - i) * 30, 0, 0});
  qm::TrayIcon still(owner, instance, {104, WM_APP, {140, 141, 142, 143}}, false);
  qm::TrayIcon live(owner, instance, {105, WM_APP, {140, 141, 142, 143}}, true);
  still.AddInitial(options);
  still.Refresh(record, 1000u, options);
  live.Refresh(record, 1000u, options);
  if (FILE* f = std::fopen(__argv[1], "w")) std::fclose(f);

  MSG msg;
  while (GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() < deadline) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(50);
  }
  still.Remove();
  live.Remove();
  DestroyWindow(owner);
  return 0;
}
