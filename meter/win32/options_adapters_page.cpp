#include "meter/win32/options_adapters_page.h"

#include <commctrl.h>

#include <string>

#include "engine/day_record.h"
#include "meter/options_lists.h"
#include "meter/win32/options_controls.h"
#include "meter/win32/resource.h"

namespace qm {
namespace {

// Posted after a check box changed, so the list has updated its state
// before the page compares.
constexpr UINT kChecksChanged = WM_APP + 1;

constexpr int kTrayControls[] = {IDC_OPT_TRAY_GRAPH, IDC_OPT_TRAY_ADAPTER, IDC_OPT_TRAY_TIP_NAME, IDC_OPT_TRAY_TIP_IP};

constexpr int kNumberColumn = 0, kNameColumn = 1;

}  // namespace

COptAdaptersPage::COptAdaptersPage(const Options& options, const std::vector<AdapterRow>& rows)
    : OptionsPage(IDD_OPT_ADAPTERS, OPTIONS_PAGE_ADAPTERS),
      values_(options),
      rows_(rows),
      original_(rows),
      list_(UM_LIST_SORTED, UM_LIST_SELECTION_CHANGED) {}

bool COptAdaptersPage::OnInitPage() {
  list_.Attach(Item(IDC_OPT_ADAPTER_LIST),
               {{"No.", 40, LVCFMT_LEFT, CellKind::Number},
                {"Name", 200, LVCFMT_LEFT, CellKind::Text},
                {"IP", 110, LVCFMT_LEFT, CellKind::Text}},
               values_.DateFormat);
  list_.ShowCheckBoxes();
  FillList();

  FillCombo(Item(IDC_OPT_CONNECTION_TYPE), ConnectionTypeItems());
  SendDlgItemMessageA(hwnd_, IDC_OPT_CUSTOM_SPEED_SPIN, UDM_SETRANGE32, 0, 2147483647);
  ShowRow(-1);

  int tray = TrayAdapterIndex(rows_, values_.STIfType, values_.STAdpID);
  if (tray < 0) {
    values_.STIfType = kKindAllConnections;
    values_.STAdpID.clear();
    tray = 0;
  }
  FillTrayAdapters(tray);
  CheckDlgButton(hwnd_, IDC_OPT_TRAY_ICON, values_.DispIconSystray ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_OPT_TRAY_GRAPH, values_.ShowGraphInSystray ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_OPT_TRAY_TIP_NAME, values_.ShowAdapterNameInSystrayTips ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_OPT_TRAY_TIP_IP, values_.ShowAdapterIPInSystrayTips ? BST_CHECKED : BST_UNCHECKED);
  EnableTrayControls();
  return true;
}

// One row per record in list order, numbered from 1; each row remembers
// its record.
void COptAdaptersPage::FillList() {
  std::vector<ListRow> shown;
  for (size_t i = 0; i < rows_.size(); ++i)
    shown.push_back({{std::to_string(i + 1), rows_[i].displayName, rows_[i].ipAddress}, LPARAM(i), rows_[i].monitored});
  list_.SetRows(std::move(shown));
}

// After a sort the numbers count the rows as they now stand.
void COptAdaptersPage::Renumber() {
  for (int at = 0; at < list_.RowCount(); ++at) list_.SetCell(at, kNumberColumn, std::to_string(at + 1));
}

void COptAdaptersPage::FillTrayAdapters(int select) {
  ListItems names;
  for (size_t i = 0; i < rows_.size(); ++i) names.push_back({rows_[i].displayName, int64_t(i)});
  FillCombo(Item(IDC_OPT_TRAY_ADAPTER), names);
  SelectComboIndex(Item(IDC_OPT_TRAY_ADAPTER), select);
}

int COptAdaptersPage::SelectedRow() const {
  const std::vector<LPARAM> selected = list_.SelectedData();
  return selected.empty() ? -1 : int(selected.front());
}

bool COptAdaptersPage::RowChecked(int row) const { return list_.Checked(list_.FindRow(LPARAM(row))); }

// The row editor: the name, the connection type and the custom speed of
// the selected row; empty and disabled without one.
void COptAdaptersPage::ShowRow(int row) {
  editing_ = row;
  filling_ = true;
  const bool on = row >= 0 && size_t(row) < rows_.size();
  SetDlgItemTextA(hwnd_, IDC_OPT_ADAPTER_NAME, on ? rows_[size_t(row)].displayName.c_str() : "");
  HWND type = Item(IDC_OPT_CONNECTION_TYPE);
  bool custom = false;
  if (on) {
    const int preset = ConnectionTypeIndex(rows_[size_t(row)].connectionSpeed);
    SelectComboIndex(type, preset);
    custom = ComboValue(type) == kSpecifySpeed;
    SetDlgItemTextA(hwnd_, IDC_OPT_CUSTOM_SPEED,
                    custom ? std::to_string(rows_[size_t(row)].connectionSpeed).c_str() : "0");
  } else {
    SelectComboIndex(type, -1);
    SetDlgItemTextA(hwnd_, IDC_OPT_CUSTOM_SPEED, "");
  }
  EnableWindow(Item(IDC_OPT_ADAPTER_NAME), on);
  EnableWindow(type, on);
  EnableWindow(Item(IDC_OPT_CUSTOM_SPEED), custom);
  EnableWindow(Item(IDC_OPT_CUSTOM_SPEED_SPIN), custom);
  filling_ = false;
}

void COptAdaptersPage::EnableTrayControls() {
  const bool on = IsDlgButtonChecked(hwnd_, IDC_OPT_TRAY_ICON) == BST_CHECKED;
  for (int id : kTrayControls) EnableWindow(Item(id), on);
}

void COptAdaptersPage::OnNameEdited() {
  if (filling_ || editing_ < 0) return;
  AdapterRow& row = rows_[size_t(editing_)];
  row.displayName = WindowText(Item(IDC_OPT_ADAPTER_NAME));
  list_.SetCell(list_.FindRow(LPARAM(editing_)), kNameColumn, row.displayName);
  FillTrayAdapters(ComboIndex(Item(IDC_OPT_TRAY_ADAPTER)));
  MarkChanged();
}

void COptAdaptersPage::OnTypeChosen() {
  if (editing_ < 0) return;
  const std::optional<int64_t> value = ComboValue(Item(IDC_OPT_CONNECTION_TYPE));
  if (!value) return;
  const bool custom = *value == kSpecifySpeed;
  if (!custom) rows_[size_t(editing_)].connectionSpeed = uint32_t(*value);
  EnableWindow(Item(IDC_OPT_CUSTOM_SPEED), custom);
  EnableWindow(Item(IDC_OPT_CUSTOM_SPEED_SPIN), custom);
  filling_ = !custom;  // a preset shows 0 without taking it as typed
  SetDlgItemTextA(hwnd_, IDC_OPT_CUSTOM_SPEED, "0");
  filling_ = false;
  MarkChanged();
}

void COptAdaptersPage::OnSpeedTyped() {
  if (filling_ || editing_ < 0 || ComboValue(Item(IDC_OPT_CONNECTION_TYPE)) != kSpecifySpeed) return;
  rows_[size_t(editing_)].connectionSpeed = LeadingSpeed(WindowText(Item(IDC_OPT_CUSTOM_SPEED)));
  MarkChanged();
}

// A check box differs from the record's monitoring: the page has changed.
void COptAdaptersPage::CompareChecks() {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (RowChecked(int(i)) != rows_[i].monitored) {
      MarkChanged();
      return;
    }
}

void COptAdaptersPage::Reset() {
  const int tray = ComboIndex(Item(IDC_OPT_TRAY_ADAPTER));
  rows_ = original_;
  ResetAdapterNames(rows_);
  FillList();
  // The rows come back in list order: the order the header shows is kept.
  if (list_.SortColumn() >= 0) list_.Sort(list_.SortColumn(), list_.SortedDescending());
  FillTrayAdapters(tray);
  ShowRow(-1);
  MarkChanged();
}

bool COptAdaptersPage::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_OPT_ADAPTER_NAME:
      if (code == EN_CHANGE) OnNameEdited();
      return true;
    case IDC_OPT_CONNECTION_TYPE:
      if (code == CBN_SELCHANGE) OnTypeChosen();
      return true;
    case IDC_OPT_CUSTOM_SPEED:
      if (code == EN_CHANGE) OnSpeedTyped();
      return true;
    case IDC_OPT_TRAY_ADAPTER:
      if (code == CBN_SELCHANGE) MarkChanged();
      return true;
    case IDC_OPT_ADAPTERS_RESET:
      if (code == BN_CLICKED) Reset();
      return true;
    case IDC_OPT_TRAY_ICON:
      if (code == BN_CLICKED) EnableTrayControls();
      [[fallthrough]];
    case IDC_OPT_TRAY_GRAPH:
    case IDC_OPT_TRAY_TIP_NAME:
    case IDC_OPT_TRAY_TIP_IP:
      if (code == BN_CLICKED) MarkChanged();
      return true;
  }
  return false;
}

bool COptAdaptersPage::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT&) {
  switch (msg) {
    case kChecksChanged:
      CompareChecks();
      return true;
    case UM_LIST_SORTED:
      Renumber();
      return true;
    case UM_LIST_SELECTION_CHANGED:
      if (const int row = SelectedRow(); row != editing_) ShowRow(row);
      return true;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
          PostMessageA(hwnd_, kChecksChanged, 0, 0);
      }
      return list_.OnNotify(*hdr);
    }
  }
  return false;
}

std::optional<OptionsPage::Refused> COptAdaptersPage::ReadAndCheck() {
  AdaptersPageInput in;
  in.trayIcon = IsDlgButtonChecked(hwnd_, IDC_OPT_TRAY_ICON) == BST_CHECKED;
  in.trayAdapterIndex = int(ComboValue(Item(IDC_OPT_TRAY_ADAPTER)).value_or(-1));
  for (size_t i = 0; i < rows_.size(); ++i) in.checked.push_back(RowChecked(int(i)));
  int32_t trayKind = values_.STIfType;
  std::string trayId = values_.STAdpID;
  if (const auto refusal = CheckAdaptersPage(in, rows_, trayKind, trayId))
    return Refused{refusal->field == AdaptersField::TrayAdapter ? IDC_OPT_TRAY_ADAPTER : IDC_OPT_ADAPTER_LIST,
                   refusal->message};
  values_.STIfType = trayKind;
  values_.STAdpID = trayId;
  values_.DispIconSystray = in.trayIcon;
  values_.ShowGraphInSystray = IsDlgButtonChecked(hwnd_, IDC_OPT_TRAY_GRAPH) == BST_CHECKED;
  values_.ShowAdapterNameInSystrayTips = IsDlgButtonChecked(hwnd_, IDC_OPT_TRAY_TIP_NAME) == BST_CHECKED;
  values_.ShowAdapterIPInSystrayTips = IsDlgButtonChecked(hwnd_, IDC_OPT_TRAY_TIP_IP) == BST_CHECKED;
  return std::nullopt;
}

}  // namespace qm
