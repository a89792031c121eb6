#include "uikit/sortable_list_view.h"

#include "platform/win32/unique_handle.h"

namespace qm {
namespace {

int Dpi(HWND hwnd) {
  WindowDc dc(hwnd);
  return dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
}

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
    c.cx = MulDiv(columns_[i].width, dpi, 96);
    c.pszText = const_cast<char*>(columns_[i].title);
    c.iSubItem = int(i);
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
  return true;
}

bool SortableListView::OnNotify(const NMHDR& h) {
  if (!hwnd_ || h.hwndFrom != hwnd_) return false;
  switch (h.code) {
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<const NMLISTVIEW&>(h).iSubItem;
      // Another column starts ascending; the sorted one turns around.
      Sort(column, column == sortColumn_ ? !descending_ : false);
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& n = reinterpret_cast<const NMLISTVIEW&>(h);
      if (!(n.uChanged & LVIF_STATE) || !((n.uOldState ^ n.uNewState) & LVIS_SELECTED)) return false;
      // Selecting many rows changes many items: the parent hears it once.
      HWND parent = GetParent(hwnd_);
      MSG pending;
      if (!PeekMessageA(&pending, parent, selectionMessage_, selectionMessage_, PM_NOREMOVE))
        PostMessageA(parent, selectionMessage_, 0, 0);
      return true;
    }
  }
  return false;
}

int CALLBACK SortableListView::Compare(LPARAM a, LPARAM b, LPARAM selfParam) {
  auto* self = reinterpret_cast<SortableListView*>(selfParam);
  const int r = CompareCells(self->columns_[size_t(self->sortColumn_)].kind, self->sortTexts_[a],
                             self->sortTexts_[b], self->dateFormat_);
  return self->descending_ ? -r : r;
}

void SortableListView::Sort(int column, bool descending) {
  if (!hwnd_ || column < 0 || size_t(column) >= columns_.size()) return;
  sortColumn_ = column;
  descending_ = descending;
  // The comparison sees rows by their data only: their texts are read first.
  sortTexts_.clear();
  for (int row = 0, n = RowCount(); row < n; ++row) sortTexts_[RowData(row)] = CellText(row, column);
  SendMessageA(hwnd_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&Compare));
  sortTexts_.clear();
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

int SortableListView::InsertRow(int at, const std::vector<std::string>& cells, LPARAM data) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = at;
  item.lParam = data;
  item.pszText = const_cast<char*>(cells.empty() ? "" : cells[0].c_str());
  const int row = int(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  for (size_t i = 1; i < cells.size(); ++i) {
    LVITEMA sub{};
    sub.iSubItem = int(i);
    sub.pszText = const_cast<char*>(cells[i].c_str());
    SendMessageA(hwnd_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  }
  return row;
}

void SortableListView::DeleteAll() { SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

int SortableListView::RowCount() const { return int(SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

int SortableListView::FindRow(LPARAM data) const {
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = data;
  return int(SendMessageA(hwnd_, LVM_FINDITEMA, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
}

LPARAM SortableListView::RowData(int row) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : LPARAM(-1);
}

std::string SortableListView::CellText(int row, int column) const {
  char text[256] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(hwnd_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

void SortableListView::SetCell(int row, int column, const std::string& text) {
  if (row < 0 || CellText(row, column) == text) return;
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(hwnd_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

std::vector<LPARAM> SortableListView::SelectedData() const {
  std::vector<LPARAM> out;
  for (int row = -1;;) {
    row = int(SendMessageA(hwnd_, LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED));
    if (row < 0) break;
    out.push_back(RowData(row));
  }
  return out;
}

std::vector<std::vector<std::string>> SortableListView::Texts() const {
  std::vector<std::vector<std::string>> rows(static_cast<size_t>(RowCount()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < columns_.size(); ++c) rows[r].push_back(CellText(int(r), int(c)));
  return rows;
}

}  // namespace qm
