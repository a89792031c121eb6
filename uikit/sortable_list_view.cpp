#include "uikit/sortable_list_view.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include <windowsx.h>

#include "platform/win32/unique_handle.h"
#include "uikit/list_column_width.h"

namespace qm {
namespace {

int Dpi(HWND hwnd) {
  WindowDc dc(hwnd);
  return dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
}

const std::string kNoText;

}  // namespace

bool SortableListView::Attach(HWND list, const std::vector<ListColumn>& columns, uint32_t dateFormat) {
  if (!IsWindow(list)) return false;
  hwnd_ = list;
  columns_ = columns;
  dateFormat_ = dateFormat;
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  const int dpi = Dpi(hwnd_);
  for (size_t i = 0; i < columns_.size(); ++i) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    c.fmt = columns_[i].format;
    c.cx = FittedColumnWidth(hwnd_, columns_[i].title, MulDiv(columns_[i].width, dpi, 96));
    c.pszText = const_cast<char*>(columns_[i].title);
    c.iSubItem = int(i);
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
  return true;
}

void SortableListView::ShowCheckBoxes() {
  ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
  // The rows' ticks live here: the control asks for them as it asks for
  // texts, and never changes them itself, so the ways to tick reach the
  // list through the control's own messages.
  SendMessageA(hwnd_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  SetWindowSubclass(hwnd_, CheckBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK SortableListView::CheckBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                                DWORD_PTR self) {
  auto* list = reinterpret_cast<SortableListView*>(self);
  switch (msg) {
    case LVM_SETITEMSTATE: {
      LVITEMA item = *reinterpret_cast<const LVITEMA*>(lp);
      const UINT image = (item.state & item.stateMask & LVIS_STATEIMAGEMASK) >> 12;
      if ((item.stateMask & LVIS_STATEIMAGEMASK) && (image == 1 || image == 2)) {
        const int row = int(wp);
        if (row == -1)
          for (int r = 0; r < list->RowCount(); ++r) list->Tick(r, image == 2);
        else if (row >= 0 && row < list->RowCount())
          list->Tick(row, image == 2);
        else
          return FALSE;
        item.stateMask &= ~LVIS_STATEIMAGEMASK;
        if (!item.stateMask) return TRUE;
        return DefSubclassProc(hwnd, msg, wp, reinterpret_cast<LPARAM>(&item));
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      LVHITTESTINFO hit{};
      hit.pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const int row = int(SendMessageA(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (row >= 0 && row < list->RowCount() && (hit.flags & LVHT_ONITEMSTATEICON)) {
        list->Tick(row, !list->Checked(row));
        return 0;
      }
      break;
    }
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        const int row = int(SendMessageA(hwnd, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
        if (row >= 0 && row < list->RowCount()) list->Tick(row, !list->Checked(row));
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == ' ') return 0;  // the space ticked; it does not search
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, CheckBoxProc, 0);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void SortableListView::Tick(int row, bool on) {
  const bool was = Checked(row);
  SetChecked(row, on);
  if (was == on) return;
  NMLISTVIEW change{};
  change.hdr.hwndFrom = hwnd_;
  change.hdr.idFrom = UINT_PTR(GetDlgCtrlID(hwnd_));
  change.hdr.code = LVN_ITEMCHANGED;
  change.iItem = row;
  change.uChanged = LVIF_STATE;
  change.uOldState = INDEXTOSTATEIMAGEMASK(was ? 2 : 1);
  change.uNewState = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
  change.lParam = rows_[size_t(row)].data;
  SendMessageA(GetParent(hwnd_), WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

namespace {

// A row's tick as the control draws it: state image 2 ticked, 1 not.
template <typename Item>
void AnswerState(Item& item, bool checked) {
  if (!(item.mask & LVIF_STATE) || !(item.stateMask & LVIS_STATEIMAGEMASK)) return;
  item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
}

}  // namespace

bool SortableListView::OnNotify(const NMHDR& h) {
  if (!hwnd_ || h.hwndFrom != hwnd_) return false;
  switch (h.code) {
    case LVN_GETDISPINFOA: {
      LVITEMA& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(h)).item;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::string& text = CellText(item.iItem, item.iSubItem);
        const size_t n = std::min(text.size(), size_t(item.cchTextMax - 1));
        std::memcpy(item.pszText, text.data(), n);
        item.pszText[n] = '\0';
      }
      AnswerState(item, Checked(item.iItem));
      return true;
    }
    case LVN_GETDISPINFOW: {
      LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(h)).item;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::string& text = CellText(item.iItem, item.iSubItem);
        const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), item.pszText, item.cchTextMax - 1);
        item.pszText[std::max(0, n)] = L'\0';
      }
      AnswerState(item, Checked(item.iItem));
      return true;
    }
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<const NMLISTVIEW&>(h).iSubItem;
      // Another column starts ascending; the sorted one turns around.
      Sort(column, column == sortColumn_ ? !descending_ : false);
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& n = reinterpret_cast<const NMLISTVIEW&>(h);
      if ((n.uChanged & LVIF_STATE) && ((n.uOldState ^ n.uNewState) & LVIS_SELECTED)) TellSelection();
      return true;
    }
    case LVN_ODSTATECHANGED: {
      const auto& n = reinterpret_cast<const NMLVODSTATECHANGE&>(h);
      if ((n.uOldState ^ n.uNewState) & LVIS_SELECTED) TellSelection();
      return true;
    }
  }
  return false;
}

// Selecting many rows changes many items: the parent hears it once.
void SortableListView::TellSelection() {
  HWND parent = GetParent(hwnd_);
  MSG pending;
  if (!PeekMessageA(&pending, parent, selectionMessage_, selectionMessage_, PM_NOREMOVE))
    PostMessageA(parent, selectionMessage_, 0, 0);
}

void SortableListView::Select(int row, bool on) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = on ? LVIS_SELECTED : 0;
  SendMessageA(hwnd_, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

void SortableListView::Sort(int column, bool descending) {
  if (!hwnd_ || column < 0 || size_t(column) >= columns_.size()) return;
  sortColumn_ = column;
  descending_ = descending;
  // The list keeps selections by position: they follow their rows by data.
  const std::vector<LPARAM> selectedData = SelectedData();
  const std::unordered_set<LPARAM> selected(selectedData.begin(), selectedData.end());
  const CellKind kind = columns_[size_t(column)].kind;
  std::stable_sort(rows_.begin(), rows_.end(), [&](const ListRow& a, const ListRow& b) {
    const int r = CompareCells(kind, a.cells[size_t(column)], b.cells[size_t(column)], dateFormat_);
    return descending ? r > 0 : r < 0;
  });
  if (!selected.empty()) {
    Select(-1, false);
    for (size_t i = 0; i < rows_.size(); ++i)
      if (selected.count(rows_[i].data)) Select(int(i), true);
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
  ShowArrow();
  PostMessageA(GetParent(hwnd_), sortedMessage_, WPARAM(column), LPARAM(descending ? 1 : 0));
}

void SortableListView::ShowArrow() {
  HWND header = ListView_GetHeader(hwnd_);
  for (int i = 0; i < int(columns_.size()); ++i) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == sortColumn_) item.fmt |= descending_ ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageA(header, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
}

void SortableListView::SetRows(std::vector<ListRow> rows) {
  for (ListRow& r : rows) r.cells.resize(columns_.size());
  rows_ = std::move(rows);
  Select(-1, false);
  SendMessageA(hwnd_, LVM_SETITEMCOUNT, rows_.size(), 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int SortableListView::FindRow(LPARAM data) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].data == data) return int(i);
  return -1;
}

const std::string& SortableListView::CellText(int row, int column) const {
  if (row < 0 || size_t(row) >= rows_.size() || column < 0 || size_t(column) >= rows_[size_t(row)].cells.size())
    return kNoText;
  return rows_[size_t(row)].cells[size_t(column)];
}

void SortableListView::SetCell(int row, int column, const std::string& text) {
  if (row < 0 || size_t(row) >= rows_.size() || column < 0 || size_t(column) >= columns_.size()) return;
  std::string& cell = rows_[size_t(row)].cells[size_t(column)];
  if (cell == text) return;
  cell = text;
  SendMessageA(hwnd_, LVM_REDRAWITEMS, WPARAM(row), LPARAM(row));
}

bool SortableListView::Checked(int row) const {
  return row >= 0 && size_t(row) < rows_.size() && rows_[size_t(row)].checked;
}

void SortableListView::SetChecked(int row, bool on) {
  if (row < 0 || size_t(row) >= rows_.size() || rows_[size_t(row)].checked == on) return;
  rows_[size_t(row)].checked = on;
  SendMessageA(hwnd_, LVM_REDRAWITEMS, WPARAM(row), LPARAM(row));
}

std::vector<LPARAM> SortableListView::SelectedData() const {
  std::vector<LPARAM> out;
  for (int row = -1;;) {
    row = int(SendMessageA(hwnd_, LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED));
    if (row < 0 || size_t(row) >= rows_.size()) break;
    out.push_back(rows_[size_t(row)].data);
  }
  return out;
}

std::vector<std::vector<std::string>> SortableListView::Texts() const {
  std::vector<std::vector<std::string>> out;
  out.reserve(rows_.size());
  for (const ListRow& r : rows_) out.push_back(r.cells);
  return out;
}

}  // namespace qm
