#include "uikit/dialog.h"

namespace qm {

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lp);
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (msg == WM_DESTROY) {
    self->OnDestroy();
    // Nothing after this point may reach the object.
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return TRUE;
  }
  return self->Dispatch(msg, wp, lp);
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
    case WM_TIMER:
      return OnTimer(wp) ? TRUE : FALSE;
    default: {
      LRESULT result = 0;
      if (!OnMessage(msg, wp, lp, result)) return FALSE;
      // These answer through the procedure's own return value.
      switch (msg) {
        case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
        case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON:
          return INT_PTR(result);
        default:
          SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
          return TRUE;
      }
    }
  }
}

void Dialog::EnableItem(int id, bool enable, int next) {
  HWND control = Item(id);
  if (!enable && control && GetFocus() == control)
    SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(next)), TRUE);
  EnableWindow(control, enable);
}

INT_PTR ModalDialog::Run(HINSTANCE instance, int templateId, HWND owner) {
  ended_ = false;
  result_ = -1;
  HWND hwnd = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, DialogProc,
                                 reinterpret_cast<LPARAM>(static_cast<Dialog*>(this)));
  if (!hwnd) return -1;
  // A modal dialog is shown whether or not its template says visible (a
  // dialog that must stay hidden at first strips the showing itself).
  if (hwnd_ && !IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWNORMAL);
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  MSG msg;
  while (!ended_ && hwnd_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // A quit message belongs to an outer loop: hand it on after closing.
      if (got == 0) PostQuitMessage(int(msg.wParam));
      break;
    }
    if (PreTranslate(msg)) continue;
    if (hwnd_ && IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (hwnd_) DestroyWindow(hwnd_);
  if (owner) SetActiveWindow(owner);
  return result_;
}

void ModalDialog::End(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (hwnd_) PostMessageA(hwnd_, WM_NULL, 0, 0);  // wakes the loop
}

bool ModelessDialog::Create(HINSTANCE instance, int templateId, HWND owner) {
  if (hwnd_) return false;
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, DialogProc,
                            reinterpret_cast<LPARAM>(static_cast<Dialog*>(this))) != nullptr;
}

void ModelessDialog::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

}  // namespace qm
