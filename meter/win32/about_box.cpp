#include "meter/win32/about_box.h"

#include "meter/win32/resource.h"
#include "meter/win32/web_address.h"

namespace qm {

bool AboutBox::OnInit() {
  // Centred on the desktop, whatever the owner's place.
  RECT r, desktop;
  GetWindowRect(hwnd_, &r);
  GetWindowRect(GetDesktopWindow(), &desktop);
  SetWindowPos(hwnd_, nullptr, (desktop.right - (r.right - r.left)) / 2, (desktop.bottom - (r.bottom - r.top)) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER);
  auto open = [](const std::string& address) { OpenWebAddressWaiting(address); };
  homepage_.Attach(Item(IDC_ABOUT_HOMEPAGE), kHomePage, open);
  support_.Attach(Item(IDC_ABOUT_SUPPORT), kSupportMail, open);
  return true;
}

bool AboutBox::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      End(id);
      return true;
    case IDC_ABOUT_CHECK_UPDATES:
      OpenWebAddressWaiting(UpdateCheckAddress());
      return true;
    case IDC_ABOUT_TELL_FRIEND:
      OpenWebAddressWaiting(TellAFriendAddress());
      return true;
  }
  return false;
}

}  // namespace qm
