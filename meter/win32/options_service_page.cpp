#include "meter/win32/options_service_page.h"

#include <commctrl.h>

#include "meter/win32/options_controls.h"
#include "meter/win32/options_page.h"
#include "meter/win32/resource.h"

namespace qm {

COptServicePage::COptServicePage() : PropertyPage(IDD_OPT_SERVICE) {}

bool COptServicePage::OnInit() {
  SetFontOnChildren(hwnd_, font_);
  AddListColumns(Item(IDC_OPT_SERVICE_TASKS),
                 {{"Report Type", 90}, {"Adapter", 110}, {"Interval", 60}, {"Report File", 200}});
  for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) EnableWindow(c, FALSE);
  return true;
}

}  // namespace qm
