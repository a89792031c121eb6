#include "recorder/win32/stopwatch_window.h"

#include "meter/win32/resource.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";
constexpr char kSelectAdapter[] = "Please select an adapter.";
constexpr UINT_PTR kSecondTimer = 1;
constexpr COLORREF kElapsedColour = RGB(0, 0, 187);

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

INT_PTR StopwatchWindow::Run(HWND owner) { return ModalDialog::Run(instance_, IDD_STOPWATCH, owner); }

bool StopwatchWindow::OnInit() {
  // 1. The program's icon; centred on the desktop (the template says so) with
  // a task-bar button of its own.
  HICON big = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  HICON small = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));

  // 2. The elapsed time in bold Tahoma, 20 pixels at 96 dots per inch.
  int dpi = 96;
  if (WindowDc dc(hwnd_); dc) dpi = GetDeviceCaps(dc.Get(), LOGPIXELSY);
  elapsedFont_.Reset(CreateFontA(-MulDiv(20, dpi, 96), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                 "Tahoma"));
  if (elapsedFont_) SendMessageA(Item(IDC_SW_ELAPSED), WM_SETFONT, WPARAM(elapsedFont_.Get()), FALSE);

  // 3. Every adapter, the first selected; the figures of no measurement.
  HWND combo = Item(IDC_SW_ADAPTER);
  if (setup_.adapters) {
    for (size_t i = 0; i < setup_.adapters->size(); ++i) {
      AdapterRecord& r = (*setup_.adapters)[i];
      choices_.push_back(&r);
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.displayName.c_str()));
    }
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  CheckDlgButton(hwnd_, IDC_SW_ALWAYS_ON_TOP, setup_.alwaysOnTop ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_SW_RESET_GRAPH, setup_.resetAdapterGraph ? BST_CHECKED : BST_UNCHECKED);
  ShowFigures();

  // 4. On top at once when so chosen.
  if (setup_.alwaysOnTop) ApplyAlwaysOnTop();
  return true;
}

bool StopwatchWindow::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_SW_START:
      if (watch_.running())
        StopMeasurement();
      else
        StartMeasurement();
      return true;
    case IDC_SW_ALWAYS_ON_TOP:
      if (code == BN_CLICKED) ApplyAlwaysOnTop();
      return true;
    case IDCANCEL:
      // Closing while running simply ends the measurement.
      ReadCheckBoxes();
      if (watch_.running()) StopMeasurement();
      End(IDCANCEL);
      return true;
  }
  return false;
}

void StopwatchWindow::StartMeasurement() {
  ReadCheckBoxes();
  const LRESULT chosen = SendMessageA(Item(IDC_SW_ADAPTER), CB_GETCURSEL, 0, 0);
  if (chosen < 0 || size_t(chosen) >= choices_.size()) {
    MessageBoxA(hwnd_, kSelectAdapter, kCaption, MB_OK | MB_ICONWARNING);
    SetFocus(Item(IDC_SW_ADAPTER));
    return;
  }
  measured_ = choices_[size_t(chosen)];
  // The reset comes first, so that what it empties is not counted.
  if (setup_.resetAdapterGraph && setup_.resetRates) setup_.resetRates(*measured_);
  watch_.Start(*measured_, GetTickCount64());
  ShowFigures();
  SetTimer(hwnd_, kSecondTimer, 1000, nullptr);
  EnableItem(IDC_SW_ADAPTER, false, IDC_SW_START);
  SetDlgItemTextA(hwnd_, IDC_SW_START, "&Stop");
}

void StopwatchWindow::StopMeasurement() {
  measured_ = nullptr;
  watch_.Stop();
  KillTimer(hwnd_, kSecondTimer);
  EnableWindow(Item(IDC_SW_ADAPTER), TRUE);
  SetDlgItemTextA(hwnd_, IDC_SW_START, "&Start");
}

bool StopwatchWindow::OnTimer(UINT_PTR id) {
  if (id != kSecondTimer) return false;
  if (!watch_.running() || !measured_) return true;
  watch_.CountTime(GetTickCount64());
  watch_.ReadNewSamples(*measured_);
  ShowFigures();
  return true;
}

void StopwatchWindow::ShowFigures() {
  const StopwatchTexts t = watch_.Texts(setup_.byteUnits);
  SetLabel(IDC_SW_ELAPSED, t.elapsed);
  SetLabel(IDC_SW_TOTAL_DOWN, t.totalBytesDown);
  SetLabel(IDC_SW_TOTAL_UP, t.totalBytesUp);
  SetLabel(IDC_SW_TOTAL_BITS_DOWN, t.totalBitsDown);
  SetLabel(IDC_SW_TOTAL_BITS_UP, t.totalBitsUp);
  SetLabel(IDC_SW_MAX_DOWN, t.maxDown);
  SetLabel(IDC_SW_MAX_UP, t.maxUp);
  SetLabel(IDC_SW_MIN_DOWN, t.minDown);
  SetLabel(IDC_SW_MIN_UP, t.minUp);
  SetLabel(IDC_SW_AVG_DOWN, t.averageDown);
  SetLabel(IDC_SW_AVG_UP, t.averageUp);
}

// A label is redrawn only when its text changed: no flicker once a second.
void StopwatchWindow::SetLabel(int id, const std::string& text) {
  char current[128] = {};
  GetDlgItemTextA(hwnd_, id, current, sizeof current);
  if (text != current) SetDlgItemTextA(hwnd_, id, text.c_str());
}

void StopwatchWindow::ApplyAlwaysOnTop() {
  setup_.alwaysOnTop = Checked(Item(IDC_SW_ALWAYS_ON_TOP));
  SetWindowPos(hwnd_, setup_.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void StopwatchWindow::ReadCheckBoxes() {
  setup_.alwaysOnTop = Checked(Item(IDC_SW_ALWAYS_ON_TOP));
  setup_.resetAdapterGraph = Checked(Item(IDC_SW_RESET_GRAPH));
}

bool StopwatchWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == Item(IDC_SW_ELAPSED)) {
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, kElapsedColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }
  return false;
}

}  // namespace qm
