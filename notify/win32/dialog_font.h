#pragma once
// Fonts of the notification windows, in pixels scaled to the screen's DPI
// (the program declares itself DPI-aware).

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace qm {

// "Tahoma" of `pixels` character height at 96 DPI, scaled to the screen.
GdiHandle<HFONT> MakeTahoma(HWND window, int pixels, int weight);

// Sets `font` on every child control of `window`.
void SetFontOnControls(HWND window, HFONT font);

// Centres `window` on the work area of its monitor (the desktop less the
// task bar); a window larger than that keeps its caption on screen.
void CentreOnDesktop(HWND window);

}  // namespace qm
