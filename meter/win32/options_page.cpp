#include "meter/win32/options_page.h"

#include "meter/win32/resource.h"

namespace qm {

void SetFontOnChildren(HWND window, HFONT font) {
  if (!font) return;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

bool OptionsPage::OnInit() {
  SetFontOnChildren(hwnd_, font_);
  const bool result = OnInitPage();
  initialised_ = true;
  return result;
}

void OptionsPage::MarkChanged() {
  if (!initialised_) return;
  changed_ = true;
  SetModified(true);
}

PropertyPage::ApplyResult OptionsPage::OnApply() {
  if (!changed_) return ApplyResult::Done;
  if (const std::optional<Refused> refused = ReadAndCheck()) {
    Activate();
    HWND control = Item(refused->control);
    SetFocus(control);
    char cls[16] = {};
    GetClassNameA(control, cls, sizeof cls);
    if (lstrcmpiA(cls, "Edit") == 0) SendMessageA(control, EM_SETSEL, 0, -1);
    MessageBoxA(hwnd_, refused->message.c_str(), "Quellmark", MB_OK | MB_ICONWARNING);
    return ApplyResult::Refused;
  }
  SendMessageA(receiver_, UM_OPTIONS_APPLY, WPARAM(code_), reinterpret_cast<LPARAM>(this));
  changed_ = false;
  SetModified(false);
  return ApplyResult::Done;
}

// The meter window opens the help as its menu command does.
void OptionsPage::OnHelp() { PostMessageA(receiver_, WM_COMMAND, ID_HELP_FINDER, 0); }

}  // namespace qm
