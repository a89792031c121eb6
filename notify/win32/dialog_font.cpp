#include "notify/win32/dialog_font.h"

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
  RECT r, desktop;
  GetWindowRect(window, &r);
  GetWindowRect(GetDesktopWindow(), &desktop);
  SetWindowPos(window, nullptr, (desktop.right - (r.right - r.left)) / 2, (desktop.bottom - (r.bottom - r.top)) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qm
