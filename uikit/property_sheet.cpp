#include "uikit/property_sheet.h"

#include <cstring>

namespace qm {
namespace {
// The sheet being created on this thread: the creation callback has no
// parameter of its own to find it by.
thread_local SheetDialog* creating = nullptr;
}  // namespace

void PropertyPage::Activate() {
  HWND sheet = Sheet();
  if (!sheet) return;
  const int index = PropSheet_HwndToIndex(sheet, hwnd_);
  if (index >= 0) PropSheet_SetCurSel(sheet, nullptr, index);
}

void PropertyPage::SetModified(bool modified) {
  HWND sheet = Sheet();
  if (!sheet) return;
  if (modified)
    PropSheet_Changed(sheet, hwnd_);
  else
    PropSheet_UnChanged(sheet, hwnd_);
}

// WM_HELP goes from the page to the sheet and on to the sheet's owner, as
// DefWindowProc hands it on when F1 is pressed.
void PropertyPage::OnHelp() {
  HELPINFO info{};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.hItemHandle = hwnd_;
  info.iCtrlId = GetDlgCtrlID(hwnd_);
  SendMessageA(hwnd_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // The page's creation record carries the object.
  if (msg == WM_INITDIALOG) return DialogProc(hwnd, msg, wp, reinterpret_cast<const PROPSHEETPAGEA*>(lp)->lParam);
  if (msg == WM_NOTIFY) {
    auto* self = static_cast<PropertyPage*>(reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER)));
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (self && hdr->hwndFrom == GetParent(hwnd)) {
      LONG_PTR result = 0;
      switch (hdr->code) {
        case PSN_SETACTIVE:
          self->OnSetActive();
          break;
        case PSN_KILLACTIVE:
          self->OnKillActive();
          result = FALSE;  // pages check their values when applied, not when left
          break;
        case PSN_APPLY:
          result = self->OnApply() == ApplyResult::Done ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
          break;
        case PSN_HELP:
          self->OnHelp();
          break;
        default:
          return DialogProc(hwnd, msg, wp, lp);
      }
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
  return DialogProc(hwnd, msg, wp, lp);
}

int CALLBACK SheetDialog::SheetProc(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == PSCB_PRECREATE && creating && lp) {
    // The sheet's template, in either form: the extended one starts with
    // version 1 and the signature 0xFFFF, then help id, extended style, style.
    auto* bytes = reinterpret_cast<BYTE*>(lp);
    WORD signature;
    std::memcpy(&signature, bytes + 2, sizeof signature);
    const size_t styleAt = signature == 0xFFFF ? 12 : 0, exStyleAt = signature == 0xFFFF ? 8 : 4;
    DWORD style, exStyle;
    std::memcpy(&style, bytes + styleAt, sizeof style);
    std::memcpy(&exStyle, bytes + exStyleAt, sizeof exStyle);
    creating->OnPreCreate(style, exStyle);
    std::memcpy(bytes + styleAt, &style, sizeof style);
    std::memcpy(bytes + exStyleAt, &exStyle, sizeof exStyle);
  }
  if (msg == PSCB_INITIALIZED && creating) {
    SheetDialog* self = creating;
    creating = nullptr;
    self->hwnd_ = hwnd;
    self->OnCreated();
  }
  return 0;
}

bool SheetDialog::Run(HINSTANCE instance, HWND owner, const std::string& caption) {
  std::vector<HPROPSHEETPAGE> handles;
  for (PropertyPage* page : pages_) {
    PROPSHEETPAGEA p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_HASHELP;
    p.hInstance = instance;
    p.pszTemplate = MAKEINTRESOURCEA(page->TemplateId());
    p.pfnDlgProc = PropertyPage::PageProc;
    p.lParam = reinterpret_cast<LPARAM>(static_cast<Dialog*>(page));
    if (HPROPSHEETPAGE h = CreatePropertySheetPageA(&p)) handles.push_back(h);
  }
  if (handles.empty()) return false;
  PROPSHEETHEADERA h{};
  h.dwSize = sizeof h;
  h.dwFlags = PSH_HASHELP | PSH_USECALLBACK | PSH_NOCONTEXTHELP | (icon_ ? PSH_USEHICON : 0);
  h.hIcon = icon_;
  h.hwndParent = owner;
  h.hInstance = instance;
  h.pszCaption = caption.c_str();
  h.nPages = UINT(handles.size());
  h.phpage = handles.data();
  h.pfnCallback = SheetProc;
  creating = this;
  const INT_PTR result = PropertySheetA(&h);
  creating = nullptr;
  hwnd_ = nullptr;
  return result > 0;
}

}  // namespace qm
