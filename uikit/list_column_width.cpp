#include "uikit/list_column_width.h"

#include <commctrl.h>

#include <algorithm>

namespace qm {

int FittedColumnWidth(HWND list, const char* heading, int width) {
  const int text = int(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(heading)));
  // The header keeps three edges of margin on either side of a heading.
  const int margins = 2 * 3 * GetSystemMetrics(SM_CXEDGE);
  return text > 0 ? std::max(width, text + margins) : width;
}

}  // namespace qm
