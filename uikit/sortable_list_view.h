#pragma once
// A report-style list view that sorts by the column whose header is
// clicked, comparing each column by its kind of cell (numbers, amounts,
// dates, text), with an arrow in the sorted header, grid lines and
// whole-row selection. It tells its parent, by posted messages whose
// numbers the program chooses, when it was sorted (column, descending) and
// when its selection changed.
//
// The list keeps the rows' texts itself and the control asks for what it
// draws (its template has LVS_OWNERDATA), so thousands of rows are shown
// at once instead of being inserted one message at a time. With check
// boxes, the list keeps each row's tick too, so a tick follows its row
// through every sort.
//
//   SortableListView list(UM_LIST_SORTED, UM_LIST_SELECTION_CHANGED);
//   list.Attach(Item(IDC_LIST), {{"Date", 95, LVCFMT_LEFT, CellKind::Date}, ...}, dateFormat);
//   // in WM_NOTIFY: if (list.OnNotify(*hdr)) return true;

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "format/cell_compare.h"

namespace qm {

struct ListColumn {
  const char* title;
  int width;  // pixels at 96 dots per inch
  int format; // LVCFMT_LEFT, LVCFMT_CENTER or LVCFMT_RIGHT
  CellKind kind;
};

// A row: its cell texts and the caller's data, which identifies it (no two
// rows share it).
struct ListRow {
  std::vector<std::string> cells;
  LPARAM data = 0;
  bool checked = false;  // shown only on a list with check boxes
};

class SortableListView {
 public:
  SortableListView(UINT sortedMessage, UINT selectionMessage)
      : sortedMessage_(sortedMessage), selectionMessage_(selectionMessage) {}
  SortableListView(const SortableListView&) = delete;
  SortableListView& operator=(const SortableListView&) = delete;

  // Takes the list view control: its columns (widths scaled to the screen's
  // dots per inch), grid lines, whole-row selection. False when `list` is
  // no window.
  bool Attach(HWND list, const std::vector<ListColumn>& columns, uint32_t dateFormat);
  HWND Handle() const { return hwnd_; }
  // A check box on every row. A tick or untick by the user (a click on the
  // box, the space bar) or by LVM_SETITEMSTATE reaches the row, and then
  // the parent as LVN_ITEMCHANGED, as on an ordinary list.
  void ShowCheckBoxes();

  // The list's notifications from its parent's WM_NOTIFY; true when handled.
  bool OnNotify(const NMHDR& header);

  // Sorts by the column; the arrow moves there, the selected rows stay
  // selected, and the parent hears of it.
  void Sort(int column, bool descending);
  int SortColumn() const { return sortColumn_; }
  bool SortedDescending() const { return descending_; }

  // Replaces every row (nothing selected afterwards), in this order.
  void SetRows(std::vector<ListRow> rows);
  int RowCount() const { return int(rows_.size()); }
  // The row carrying `data`, or -1.
  int FindRow(LPARAM data) const;
  const std::string& CellText(int row, int column) const;
  // Sets the cell's text only when it differs from what is shown, so an
  // unchanged row is never redrawn.
  void SetCell(int row, int column, const std::string& text);
  bool Checked(int row) const;
  void SetChecked(int row, bool on);
  // The data of the selected rows, top to bottom.
  std::vector<LPARAM> SelectedData() const;
  // Every row's texts in the order shown.
  std::vector<std::vector<std::string>> Texts() const;

 private:
  static LRESULT CALLBACK CheckBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);
  void Tick(int row, bool on);  // and tells the parent
  void ShowArrow();
  void TellSelection();
  void Select(int row, bool on);

  UINT sortedMessage_, selectionMessage_;
  HWND hwnd_ = nullptr;
  std::vector<ListColumn> columns_;
  uint32_t dateFormat_ = 0;
  int sortColumn_ = -1;
  bool descending_ = false;
  std::vector<ListRow> rows_;  // in the order shown
};

}  // namespace qm
