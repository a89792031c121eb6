#pragma once
// AlertWindow: the modal window that tells the user a usage limit was
// passed. It shows the limit and the period, the period total growing
// second by second, plays the rule's sound and beeps until stopped, and
// asks whether and when to alert again.

#include <windows.h>

#include <string>

#include "notify/notification_monitor.h"
#include "platform/win32/unique_handle.h"
#include "uikit/dialog.h"

namespace qm {

class AlertWindow : public ModalDialog {
 public:
  explicit AlertWindow(const AlertRequest& request) : request_(request), choice_(request.choice) {}

  // Runs the window; the "Alert me again" choice it closed with.
  AlertChoice Show(HINSTANCE instance, HWND owner);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void ShowSoFar();
  void StopSound();
  void EnableMinutes(bool focus);
  void TryClose();

  AlertRequest request_;
  AlertChoice choice_;
  bool soundPlaying_ = false;
  bool beeping_ = false;
  std::string soFar_;
  GdiHandle<HFONT> font_;
  GdiHandle<HFONT> messageFont_;
  GdiHandle<HFONT> soFarFont_;
};

}  // namespace qm
