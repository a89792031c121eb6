#pragma once
// Dialog windows made from a resource template. One static procedure serves
// every dialog: it stores `this` with the window when the dialog is created
// and clears it before the window is destroyed, so no message reaches a
// half-built or half-destroyed object. Each dialog class turns the messages
// it cares about into typed handlers that return "handled".
//
// A modal dialog runs its own message loop, so that the dialog can translate
// its accelerators first (a plain DialogBox loop never would); it ends with
// End(result). A modeless dialog lives until Destroy.

#include <windows.h>

namespace qm {

class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // Enables or disables control `id`. A control disabled while it has the
  // keyboard focus first hands the focus to control `next`: a disabled
  // focus would leave the dialog deaf to Enter, Esc and Tab.
  void EnableItem(int id, bool enable, int next);

 protected:
  // WM_INITDIALOG; false when the handler set the focus itself.
  virtual bool OnInit() { return true; }
  // WM_COMMAND from a menu, accelerator (code 1) or control.
  virtual bool OnCommand(int id, int code, HWND control) { (void)id, (void)code, (void)control; return false; }
  virtual bool OnTimer(UINT_PTR id) { (void)id; return false; }
  // WM_DESTROY, while the window still exists.
  virtual void OnDestroy() {}
  // Every other message. `result` goes back to the sender when handled.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    (void)msg, (void)wp, (void)lp, (void)result;
    return false;
  }

  // For the dialog procedure's callers: runs the handlers.
  INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HWND hwnd_ = nullptr;
};

class ModalDialog : public Dialog {
 public:
  // Creates the dialog, disables the owner while it runs and loops until
  // End. Returns the result given to End, or -1 when it could not be made.
  INT_PTR Run(HINSTANCE instance, int templateId, HWND owner);
  void End(INT_PTR result);

 protected:
  // A message from the loop before the dialog sees it; true when consumed
  // (accelerators).
  virtual bool PreTranslate(MSG& msg) { (void)msg; return false; }

 private:
  bool ended_ = false;
  INT_PTR result_ = 0;
};

class ModelessDialog : public Dialog {
 public:
  ~ModelessDialog() override { Destroy(); }
  bool Create(HINSTANCE instance, int templateId, HWND owner);
  void Destroy();
};

}  // namespace qm
