#include "notify/win32/dialog_font.h"

#include <algorithm>

namespace qm {

GdiHandle<HFONT> MakeTahoma(HWND window, int pixels, int weight) {
  WindowDc dc(window);
  const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(pixels, dpi, 96);
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
  return GdiHandle<HFONT>(CreateFontIndirectA(&lf));
}

void SetFontOnControls(HWND window, HFONT font) {
  if (!font) return;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM f) -> BOOL {
        SendMessageA(child, WM_SETFONT, WPARAM(f), FALSE);
        return TRUE;
      },
      LPARAM(font));
}

void CentreOnDesktop(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT area;
  if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
    area = monitor.rcWork;
  else
    GetWindowRect(GetDesktopWindow(), &area);
  const LONG width = r.right - r.left, height = r.bottom - r.top;
  const LONG left = std::max(area.left, area.left + (area.right - area.left - width) / 2);
  const LONG top = std::max(area.top, area.top + (area.bottom - area.top - height) / 2);
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qm
