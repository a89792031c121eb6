#include "reports/win32/summary_sheet.h"

#include <commctrl.h>

#include <algorithm>

#include "meter/win32/resource.h"
#include "platform/win32/unique_handle.h"
#include "reports/win32/report_list_page.h"
#include "reports/win32/summary_page.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";
constexpr char kClearQuestion[] =
    "Are you sure you want to clear all traffic logs?\n\nIMPORTANT: all traffic logs can't be restored after "
    "clearing.";
constexpr const char* kTabs[] = {"Summary", "Daily Report", "Weekly Report", "Monthly Report"};
// A property sheet's own message for choosing a page, answered the same way.
constexpr UINT kSetCurrentPage = WM_USER + 101;

RECT ChildRect(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

CSummarySheet::CSummarySheet(HINSTANCE instance, ReportsWindowState& state) : instance_(instance), state_(state) {}

CSummarySheet::~CSummarySheet() = default;

void CSummarySheet::Run(HWND owner) {
  owner_ = owner;
  ModalDialog::Run(instance_, IDD_SUMMARY_SHEET, owner);
}

bool CSummarySheet::OnInit() {
  HICON big = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0,
                                            LR_DEFAULTSIZE | LR_SHARED));
  HICON small = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));

  HWND tabs = Item(IDC_SUM_TABS);
  for (int i = 0; i < 4; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kTabs[i]);
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  ShowWindow(Item(IDOK), SW_HIDE);
  LayOutButtons();
  FillAdapters();
  ShowCaption();

  pages_[0] = std::make_unique<CSumSummaryPage>(instance_, state_);
  pages_[1] = std::make_unique<CSumDailyPage>(instance_, state_);
  pages_[2] = std::make_unique<CSumWeeklyPage>(instance_, state_);
  pages_[3] = std::make_unique<CSumMonthlyPage>(instance_, state_);
  SelectPage(state_.pageIndex >= 0 && state_.pageIndex < 4 ? state_.pageIndex : 0);
  return true;
}

// Export, Clear and Close in a row at the right, five pixels apart; the
// adapters' drop-down from the left edge of the tabs to 15 pixels before
// Export.
void CSummarySheet::LayOutButtons() {
  WindowDc dc(hwnd_);
  const int dpi = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
  const int gap = MulDiv(5, dpi, 96), beforeButtons = MulDiv(15, dpi, 96), dropHeight = MulDiv(400, dpi, 96);
  const RECT tabs = ChildRect(hwnd_, Item(IDC_SUM_TABS));
  const RECT close = ChildRect(hwnd_, Item(IDCANCEL));
  const int width = close.right - close.left, height = close.bottom - close.top;
  int right = tabs.right;
  for (int id : {IDCANCEL, IDC_SUM_CLEAR, IDC_SUM_EXPORT}) {
    SetWindowPos(Item(id), nullptr, right - width, close.top, width, height, SWP_NOZORDER);
    right -= width + gap;
  }
  const int exportLeft = right + gap;
  SetWindowPos(Item(IDC_SUM_ADAPTERS), nullptr, tabs.left, close.top,
               std::max(0, int(exportLeft - beforeButtons - tabs.left)), dropHeight, SWP_NOZORDER);
}

void CSummarySheet::FillAdapters() {
  HWND combo = Item(IDC_SUM_ADAPTERS);
  int selected = -1;
  if (state_.adapters) {
    AdapterList& list = *state_.adapters;
    for (size_t i = 0; i < list.size(); ++i) {
      const int at = int(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list[i].displayName.c_str())));
      SendMessageA(combo, CB_SETITEMDATA, at, LPARAM(i));
      if (selected < 0 && &list[i] == FindSubjectRecord(list, state_.subject)) selected = at;
    }
  }
  if (selected < 0) {
    // The subject's adapter is gone: All Connections, the first entry.
    state_.subject = ReportSubject{kKindAllConnections, std::string()};
    selected = 0;
  }
  SendMessageA(combo, CB_SETCURSEL, selected, 0);
}

void CSummarySheet::ShowCaption() {
  const AdapterRecord* r = state_.adapters ? FindSubjectRecord(*state_.adapters, state_.subject) : nullptr;
  const std::string caption = "Traffic Reports - [" + (r ? r->displayName : std::string("All Connections")) + "]";
  SetWindowTextA(hwnd_, caption.c_str());
}

void CSummarySheet::SelectPage(int index) {
  if (index < 0 || index >= 4) return;
  HWND tabs = Item(IDC_SUM_TABS);
  if (int(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) != index) SendMessageA(tabs, TCM_SETCURSEL, index, 0);
  ReportPage& page = *pages_[size_t(index)];
  if (!page.Handle()) {
    if (!page.CreatePage(hwnd_)) return;
    RECT area = ChildRect(hwnd_, tabs);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    SetWindowPos(page.Handle(), HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, 0);
  } else if (index != active_) {
    page.Activate();
  }
  if (active_ >= 0 && active_ != index && pages_[size_t(active_)]->Handle())
    ShowWindow(pages_[size_t(active_)]->Handle(), SW_HIDE);
  active_ = index;
  ShowWindow(page.Handle(), SW_SHOW);
}

void CSummarySheet::AdapterChosen() {
  HWND combo = Item(IDC_SUM_ADAPTERS);
  const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (at < 0 || !state_.adapters) return;
  const size_t index = size_t(SendMessageA(combo, CB_GETITEMDATA, at, 0));
  if (index >= state_.adapters->size()) return;
  const AdapterRecord& r = (*state_.adapters)[index];
  const ReportSubject chosen{r.kind, r.IsPseudo() ? std::string() : r.id};
  if (chosen.kind == state_.subject.kind && chosen.id == state_.subject.id) return;
  state_.subject = chosen;
  ShowCaption();
  if (active_ >= 0) SendMessageA(pages_[size_t(active_)]->Handle(), UM_REPORT_SUBJECT_CHANGED, 0, 0);
}

void CSummarySheet::Clear() {
  if (MessageBoxA(hwnd_, kClearQuestion, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (owner_) SendMessageA(owner_, UM_RESET_HISTORY_FILE, 0, 0);
  for (auto& page : pages_)
    if (page->Handle()) SendMessageA(page->Handle(), UM_RESET_HISTORY_FILE, 0, 0);
}

bool CSummarySheet::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDOK:
      return true;  // hidden: Enter does not close the window
    case IDCANCEL:
      End(IDCANCEL);
      return true;
    case IDC_SUM_EXPORT:
      if (active_ >= 0) pages_[size_t(active_)]->Export();
      return true;
    case IDC_SUM_CLEAR:
      Clear();
      return true;
    case IDC_SUM_ADAPTERS:
      if (code == CBN_SELCHANGE) AdapterChosen();
      return true;
  }
  return false;
}

bool CSummarySheet::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* h = reinterpret_cast<const NMHDR*>(lp);
      if (h->idFrom != IDC_SUM_TABS || h->code != TCN_SELCHANGE) return false;
      SelectPage(int(SendMessageA(h->hwndFrom, TCM_GETCURSEL, 0, 0)));
      return true;
    }
    case kSetCurrentPage:
      SelectPage(int(wp));
      result = TRUE;
      return true;
  }
  return false;
}

// Ctrl+Tab and Ctrl+Shift+Tab (or Ctrl+Page Down and Up) turn the pages.
bool CSummarySheet::PreTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  int step = 0;
  if (msg.wParam == VK_TAB) step = (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1;
  if (msg.wParam == VK_NEXT) step = 1;
  if (msg.wParam == VK_PRIOR) step = -1;
  if (!step) return false;
  SelectPage((active_ + step + 4) % 4);
  return true;
}

void CSummarySheet::OnDestroy() {
  state_.pageIndex = active_ >= 0 ? active_ : 0;
  // The pages hand their numbers back while their windows still exist.
  for (auto& page : pages_)
    if (page && page->Handle()) DestroyWindow(page->Handle());
}

}  // namespace qm
