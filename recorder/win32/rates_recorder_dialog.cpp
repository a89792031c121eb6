#include "recorder/win32/rates_recorder_dialog.h"

#include <commctrl.h>

#include "platform/win32/unique_handle.h"

#include "meter/win32/resource.h"
#include "uikit/file_dialogs.h"
#include "uikit/list_column_width.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";
constexpr int kEditors[] = {IDC_RR_RECORD,  IDC_RR_NUMBER_ONLY, IDC_RR_KILO_MEGA, IDC_RR_INTERVAL_LABEL,
                            IDC_RR_INTERVAL, IDC_RR_SPIN,       IDC_RR_SECONDS,   IDC_RR_FILE_LABEL,
                            IDC_RR_FILE,     IDC_RR_BROWSE};

void SetCellText(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

std::string TextOf(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(size_t(length) + 1, '\0');
  GetWindowTextA(control, text.data(), length + 1);
  text.resize(size_t(length));
  return text;
}

}  // namespace

INT_PTR RatesRecorderDialog::Run(HWND owner) { return ModalDialog::Run(instance_, IDD_RATES_RECORDER, owner); }

bool RatesRecorderDialog::OnInit() {
  HWND list = Item(IDC_RR_LIST);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  // Column widths are pixels at 96 dots per inch.
  int dpi = 96;
  if (WindowDc dc(hwnd_); dc) dpi = GetDeviceCaps(dc.Get(), LOGPIXELSY);
  const struct {
    const char* title;
    int width;
    int format;
  } columns[] = {{"Name", 200, LVCFMT_LEFT}, {"Record", 50, LVCFMT_LEFT}, {"Interval", 60, LVCFMT_RIGHT},
                 {"File", 200, LVCFMT_LEFT}};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(columns[i].title);
    c.cx = FittedColumnWidth(list, columns[i].title, MulDiv(columns[i].width, dpi, 96));
    c.fmt = columns[i].format;
    c.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(i), reinterpret_cast<LPARAM>(&c));
  }
  for (size_t i = 0; i < rows_.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = int(i);
    item.pszText = const_cast<char*>(rows_[i].displayName.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    ShowRow(i);
  }
  SendDlgItemMessageA(hwnd_, IDC_RR_SPIN, UDM_SETRANGE32, 1, 32767);
  FillEditors();
  return true;
}

int RatesRecorderDialog::Selected() const {
  const int row = int(SendMessageA(Item(IDC_RR_LIST), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  return row >= 0 && size_t(row) < rows_.size() ? row : -1;
}

void RatesRecorderDialog::ShowRow(size_t index) {
  const RecorderRowTexts t = RowTexts(rows_[index]);
  HWND list = Item(IDC_RR_LIST);
  SetCellText(list, int(index), 1, t.record);
  SetCellText(list, int(index), 2, t.interval);
  SetCellText(list, int(index), 3, t.file);
}

// The editors show the selected row; with none they are empty.
void RatesRecorderDialog::FillEditors() {
  filling_ = true;
  const int row = Selected();
  const RecorderRow* r = row >= 0 ? &rows_[size_t(row)] : nullptr;
  CheckDlgButton(hwnd_, IDC_RR_RECORD, r && r->recordRates ? BST_CHECKED : BST_UNCHECKED);
  const bool numberOnly = r && (r->flags & kRecordNumberOnly);
  CheckDlgButton(hwnd_, IDC_RR_NUMBER_ONLY, r && numberOnly ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_RR_KILO_MEGA, r && !numberOnly ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(hwnd_, IDC_RR_INTERVAL, r ? std::to_string(r->interval).c_str() : "");
  SetDlgItemTextA(hwnd_, IDC_RR_FILE, r ? r->file.c_str() : "");
  filling_ = false;
  EnableEditors();
}

void RatesRecorderDialog::EnableEditors() {
  const int row = Selected();
  const bool recording = row >= 0 && rows_[size_t(row)].recordRates;
  for (int id : kEditors) EnableWindow(Item(id), id == IDC_RR_RECORD ? row >= 0 : recording);
}

bool RatesRecorderDialog::OnCommand(int id, int code, HWND control) {
  const int row = Selected();
  RecorderRow* r = row >= 0 ? &rows_[size_t(row)] : nullptr;
  switch (id) {
    case IDC_RR_RECORD:
      if (!r || code != BN_CLICKED) return true;
      r->recordRates = IsDlgButtonChecked(hwnd_, IDC_RR_RECORD) == BST_CHECKED ? 1 : 0;
      ShowRow(size_t(row));
      EnableEditors();
      return true;
    case IDC_RR_NUMBER_ONLY:
    case IDC_RR_KILO_MEGA:
      if (!r || !r->recordRates || code != BN_CLICKED) return true;
      if (IsDlgButtonChecked(hwnd_, IDC_RR_NUMBER_ONLY) == BST_CHECKED)
        r->flags |= kRecordNumberOnly;
      else
        r->flags &= ~kRecordNumberOnly;
      return true;
    case IDC_RR_INTERVAL:
      if (!r || !r->recordRates || filling_ || code != EN_CHANGE) return true;
      r->interval = ParseInterval(TextOf(control));
      ShowRow(size_t(row));
      return true;
    case IDC_RR_FILE:
      if (!r || !r->recordRates || filling_ || code != EN_CHANGE) return true;
      r->file = TextOf(control);
      ShowRow(size_t(row));
      return true;
    case IDC_RR_BROWSE:
      if (r && r->recordRates) Browse();
      return true;
    case IDOK:
      Ok();
      return true;
    case IDCANCEL:
      End(IDCANCEL);
      return true;
  }
  return false;
}

bool RatesRecorderDialog::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT&) {
  if (msg != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lp);
  if (header->idFrom != IDC_RR_LIST || header->code != LVN_ITEMCHANGED) return false;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
  if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) FillEditors();
  return false;
}

void RatesRecorderDialog::Browse() {
  const int row = Selected();
  if (row < 0) return;
  FileDialogSetup setup;
  setup.filter = "Text File (*.txt)\0*.txt\0Microsoft Excel (*.csv)\0*.csv\0";
  setup.filterIndex = DWORD(filter_);
  setup.file = TextOf(Item(IDC_RR_FILE));
  setup.title = rows_[size_t(row)].displayName.c_str();
  setup.flags = OFN_NOCHANGEDIR | OFN_EXPLORER;
  std::string file;
  if (!ChooseFileToSave(hwnd_, setup, file)) return;
  filter_ = setup.filterIndex == kCsvFilter ? kCsvFilter : kTextFilter;
  SetDlgItemTextA(hwnd_, IDC_RR_FILE, WithFilterExtension(file, filter_).c_str());
}

void RatesRecorderDialog::Ok() {
  const auto refusal = CheckRecorderRows(rows_, fs_);
  if (!refusal) {
    End(IDOK);
    return;
  }
  MessageBoxA(hwnd_, refusal->message.c_str(), kCaption, MB_OK | MB_ICONWARNING);
  SelectRow(refusal->row);
}

void RatesRecorderDialog::SelectRow(size_t index) {
  HWND list = Item(IDC_RR_LIST);
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, WPARAM(index), reinterpret_cast<LPARAM>(&state));
  SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(index), FALSE);
  SetFocus(list);
}

}  // namespace qm
