#include "uikit/hyperlink_label.h"

#include <shellapi.h>

#include <cstdlib>

namespace qm {

namespace {

constexpr char kProperty[] = "QuellmarkHyperlink";

int Luminance(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }

// The theme's link colour, unless it would hardly show on the background
// (some themes give it a pale grey); then the usual link blue.
COLORREF LinkColor(COLORREF back) {
  const COLORREF link = GetSysColor(COLOR_HOTLIGHT);
  return std::abs(Luminance(link) - Luminance(back)) >= 80 ? link : RGB(0, 102, 204);
}

}  // namespace

HyperlinkLabel::~HyperlinkLabel() { Detach(); }

bool HyperlinkLabel::Attach(HWND label, std::string address, Opener open) {
  Detach();
  if (!IsWindow(label)) return false;
  hwnd_ = label;
  address_ = std::move(address);
  open_ = std::move(open);
  SetPropA(hwnd_, kProperty, this);
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
  InvalidateRect(hwnd_, nullptr, TRUE);
  return true;
}

void HyperlinkLabel::Detach() {
  if (!hwnd_) return;
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  RemovePropA(hwnd_, kProperty);
  hwnd_ = nullptr;
  original_ = nullptr;
}

void HyperlinkLabel::Open() const {
  if (open_)
    open_(address_);
  else
    ShellExecuteA(nullptr, "open", address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CALLBACK HyperlinkLabel::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<HyperlinkLabel*>(GetPropA(hwnd, kProperty));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

LRESULT HyperlinkLabel::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:  // a plain static lets the mouse through to its parent
      return HTCLIENT;
    case WM_SETCURSOR:
      SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
      return TRUE;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP: {
      const bool was = pressed_;
      pressed_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
      RECT client;
      GetClientRect(hwnd_, &client);
      const POINT at{short(LOWORD(lp)), short(HIWORD(lp))};
      if (was && PtInRect(&client, at)) Open();  // released elsewhere: no click
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // the paint fills the background
    case WM_PAINT:
      Paint();
      return 0;
    case WM_NCDESTROY: {
      WNDPROC original = original_;
      HWND hwnd = hwnd_;
      Detach();
      return CallWindowProcA(original, hwnd, msg, wp, lp);
    }
  }
  return CallWindowProcA(original_, hwnd_, msg, wp, lp);
}

HFONT HyperlinkLabel::LinkFont() {
  HFONT base = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
  if (!base) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!font_ || base != fontFrom_) {
    LOGFONTA lf{};
    GetObjectA(base, sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    font_.Reset(CreateFontIndirectA(&lf));
    fontFrom_ = base;
  }
  return font_ ? font_.Get() : base;
}

void HyperlinkLabel::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  // The parent's background, as it gives it to its other labels.
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(hwnd_)));
  if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &client, brush);
  LOGBRUSH back{};
  GetObjectA(brush, sizeof back, &back);

  char text[512] = "";
  const int length = GetWindowTextA(hwnd_, text, sizeof text);
  const LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
  UINT format = DT_SINGLELINE | DT_VCENTER;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    default: format |= DT_LEFT; break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  HGDIOBJ old = SelectObject(dc, LinkFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, LinkColor(back.lbColor));
  DrawTextA(dc, text, length, &client, format);
  SelectObject(dc, old);
  EndPaint(hwnd_, &ps);
}

}  // namespace qm
