#include "meter/win32/options_controls.h"

#include <commctrl.h>

#include <vector>

#include "meter/dpi_scale.h"
#include "meter/win32/rate_graph_view.h"
#include "uikit/list_column_width.h"

namespace qm {

void FillCombo(HWND combo, const ListItems& items) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const ListItem& item : items) {
    const LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
    if (at >= 0) SendMessageA(combo, CB_SETITEMDATA, WPARAM(at), LPARAM(item.value));
  }
}

void SelectComboIndex(HWND combo, int index) { SendMessageA(combo, CB_SETCURSEL, WPARAM(index), 0); }

int ComboIndex(HWND combo) { return int(SendMessageA(combo, CB_GETCURSEL, 0, 0)); }

std::optional<int64_t> ComboValue(HWND combo) {
  const int index = ComboIndex(combo);
  if (index < 0) return std::nullopt;
  return int64_t(SendMessageA(combo, CB_GETITEMDATA, WPARAM(index), 0));
}

std::string WindowText(HWND window) {
  std::vector<char> text(size_t(GetWindowTextLengthA(window)) + 1);
  GetWindowTextA(window, text.data(), int(text.size()));
  return text.data();
}

void AddListColumns(HWND list, std::initializer_list<PlainColumn> columns) {
  const int dpi = ScreenDpi();
  int at = 0;
  for (const PlainColumn& column : columns) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = const_cast<char*>(column.title);
    c.cx = FittedColumnWidth(list, column.title, ScaleToDpi(column.width, dpi));
    SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(at++), reinterpret_cast<LPARAM>(&c));
  }
}

}  // namespace qm
