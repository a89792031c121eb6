#include "uikit/color_swatch_button.h"

#include <string>

#include "platform/win32/unique_handle.h"

namespace qm {

void ColorSwatchButton::Attach(HWND button, COLORREF color) {
  hwnd_ = button;
  color_ = color;
}

void ColorSwatchButton::SetColor(COLORREF color) {
  color_ = color;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

bool ColorSwatchButton::Draw(const DRAWITEMSTRUCT& item) const {
  if (!hwnd_ || item.hwndItem != hwnd_) return false;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  if (pressed) OffsetRect(&r, 1, 1);

  // The swatch: a square as high as the text area, inset from the left.
  const int inset = GetSystemMetrics(SM_CXEDGE) + 2;
  const int side = (r.bottom - r.top) - 2 * inset;
  RECT swatch{r.left + inset + 1, r.top + inset, r.left + inset + 1 + side, r.top + inset + side};
  if (side > 0) {
    GdiHandle<HBRUSH> fill(CreateSolidBrush(disabled ? GetSysColor(COLOR_BTNFACE) : color_));
    FillRect(dc, &swatch, fill.Get());
    FrameRect(dc, &swatch, GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  }

  char text[128] = {};
  GetWindowTextA(hwnd_, text, sizeof text);
  RECT textRect{swatch.right + inset, r.top, r.right - inset, r.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  const UINT hidePrefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  DrawTextA(dc, text, -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | hidePrefix);

  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -inset + 1, -inset + 1);
    DrawFocusRect(dc, &focus);
  }
  return true;
}

}  // namespace qm
