#include "meter/win32/rate_graph_view.h"

#include <windowsx.h>

#include "meter/dpi_scale.h"

namespace qm {
namespace {

constexpr char kClassName[] = "QuellmarkRateGraphView";

}  // namespace

int64_t LocalSecondsNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return int64_t(t.wHour) * 3600 + t.wMinute * 60 + t.wSecond;
}

int ScreenDpi() {
  WindowDc screen(nullptr);
  return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : kDefaultDpi;
}

bool UserUsesTwelveHourClock() {
  char value[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ITIME, value, sizeof value) <= 0) return true;
  return value[0] == '0';
}

RateGraphView::RateGraphView(const SampleHistory* history, std::function<bool()> ownerVisible)
    : graph_(history), ownerVisible_(std::move(ownerVisible)), localNow_(LocalSecondsNow), dpi_(ScreenDpi()) {
  graph_.SetTwelveHourClock(UserUsesTwelveHourClock());
}

RateGraphView::~RateGraphView() {
  Destroy();
  DeleteFonts();
}

bool RateGraphView::Create(HWND parent, const Rect& r, int childId) {
  static const ATOM atom = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // the view paints every pixel itself
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc);
  }();
  if (!atom || hwnd_) return false;
  graph_.SetSize(std::max(0, r.Width()), std::max(0, r.Height()));
  hwnd_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left,
                          r.top, r.Width(), r.Height(), parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)),
                          GetModuleHandleA(nullptr), this);
  return hwnd_ != nullptr;
}

void RateGraphView::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
  hwnd_ = nullptr;
}

void RateGraphView::MakeFonts() {
  DeleteFonts();
  for (int role = 0; role < kFontRoleCount; ++role) {
    fonts_[size_t(role)] = CreateViewFont(graph_.Settings().fonts[size_t(role)], FontRole(role));
    canvas_.SetFont(FontRole(role), fonts_[size_t(role)].Get());
  }
}

void RateGraphView::DeleteFonts() {
  // A font still selected into the context could not be deleted.
  if (canvas_.Dc()) SelectObject(canvas_.Dc(), GetStockObject(SYSTEM_FONT));
  for (int role = 0; role < kFontRoleCount; ++role) {
    canvas_.SetFont(FontRole(role), nullptr);
    fonts_[size_t(role)].Reset();
  }
}

// ---- operations -------------------------------------------------------------

void RateGraphView::AddSample() {
  graph_.AddSample();
  Redraw();
}

void RateGraphView::SetTitle(const std::string& title) {
  if (graph_.SetTitle(title)) Redraw();
}

void RateGraphView::Apply(Repaint what, bool applyNow) {
  if (!applyNow || what == Repaint::None) return;
  if (what == Repaint::Relayout)
    Relayout();
  else
    Redraw();
}

void RateGraphView::ApplySettings(const GraphViewSettings& settings) {
  const auto oldFonts = graph_.Settings().fonts;
  graph_.ApplySettings(ScaledToDpi(settings, dpi_));
  if (hwnd_ && graph_.Settings().fonts != oldFonts) MakeFonts();
}

void RateGraphView::SetFlag(GraphFlag flag, bool on, bool applyNow) {
  Apply(graph_.SetFlag(flag, on), applyNow);
}
void RateGraphView::SetColor(GraphColor which, Color color, bool applyNow) {
  Apply(graph_.SetColor(which, color), applyNow);
}
void RateGraphView::SetFont(FontRole role, const ViewFont& font, bool applyNow) {
  const Repaint what = graph_.SetFont(role, ScaledToDpi(font, dpi_));
  if (hwnd_) MakeFonts();
  Apply(what, applyNow);
}
void RateGraphView::SetGraphStyle(GraphStyle style, bool applyNow) {
  Apply(graph_.SetGraphStyle(style), applyNow);
}
void RateGraphView::SetPulse(int width, int space, bool applyNow) {
  Apply(graph_.SetPulse(width, space), applyNow);
}
void RateGraphView::SetTimeGridInterval(int seconds, bool applyNow) {
  Apply(graph_.SetTimeGridInterval(seconds), applyNow);
}
void RateGraphView::SetRateHeightPercent(int percent, bool applyNow) {
  Apply(graph_.SetRateHeightPercent(percent), applyNow);
}
void RateGraphView::SetTimeFormat(int format, bool applyNow) {
  Apply(graph_.SetTimeFormat(format), applyNow);
}
void RateGraphView::SetGridStyles(PenStyle scaleGrid, PenStyle timeGrid, bool applyNow) {
  Apply(graph_.SetGridStyles(scaleGrid, timeGrid), applyNow);
}
void RateGraphView::SetConnectionSpeed(uint32_t bitsPerSecond, bool applyNow) {
  Apply(graph_.SetConnectionSpeed(bitsPerSecond), applyNow);
}
void RateGraphView::ResetTimeGrid(bool applyNow) {
  graph_.ResetTimeGrid();
  Apply(Repaint::Redraw, applyNow);
}

void RateGraphView::Relayout() {
  if (hwnd_ && graph_.LabelWidthStale() && canvas_.Dc()) graph_.MeasureLabelWidth(canvas_);
  graph_.Relayout();
  if (hwnd_) {
    WindowDc screen(hwnd_);
    surface_.Prepare(screen.Get(), graph_.Width(), graph_.Height());
  }
  Redraw();
}

void RateGraphView::Render() {
  if (!surface_.Dc() || graph_.Width() <= 0 || graph_.Height() <= 0) return;
  graph_.Draw(canvas_, localNow_());
}

void RateGraphView::Redraw() {
  if (!hwnd_ || (ownerVisible_ && !ownerVisible_())) return;
  Render();
  WindowDc dc(hwnd_);
  const RECT all{0, 0, graph_.Width(), graph_.Height()};
  surface_.CopyTo(dc.Get(), all);
}

void RateGraphView::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  Render();
  surface_.CopyTo(dc, ps.rcPaint);
  EndPaint(hwnd_, &ps);
}

// ---- window procedure -------------------------------------------------------

LRESULT CALLBACK RateGraphView::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<RateGraphView*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<RateGraphView*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    // No message reaches the object once its window is gone.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return self->Handle(msg, wp, lp);
}

LRESULT RateGraphView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      {
        WindowDc screen(hwnd_);
        surface_.Prepare(screen.Get(), graph_.Width(), graph_.Height());
      }
      canvas_.Attach(surface_.Dc());
      MakeFonts();
      graph_.MeasureLabelWidth(canvas_);
      return 0;
    }
    case WM_DESTROY:
      canvas_.Attach(nullptr);
      return 0;
    case WM_SIZE:
      graph_.SetSize(LOWORD(lp), HIWORD(lp));
      Relayout();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting covers everything
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_MOUSEMOVE:
      if (wp & MK_LBUTTON) {
        // Dragging a graph moves the meter window.
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(hwnd_, &p);
        SendMessageA(GetParent(hwnd_), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
        return 0;
      }
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace qm
