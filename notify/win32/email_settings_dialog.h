#pragma once
// The Email Settings dialog: SMTP server, sender, authentication and the
// mail template, with a preview and a test e-mail sent on a thread of its
// own while the dialog waits, disabled but alive.

#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"
#include "settings/email_settings.h"
#include "uikit/dialog.h"

namespace qm {

class EmailSettingsDialog : public ModalDialog {
 public:
  explicit EmailSettingsDialog(const EmailSettings& settings) : settings_(settings) {}

  // Runs the dialog; true when it closed with OK, and settings() then holds
  // the values it was closed with.
  bool Edit(HINSTANCE instance, HWND owner);
  const EmailSettings& settings() const { return settings_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  EmailSettings Read() const;
  bool Check(const EmailSettings& settings);
  void EnableAccount(bool focus);
  void Preview();
  void SendTest();
  void TestDone(const std::string* error);
  void Warn(const char* text, int focus);

  EmailSettings settings_;
  bool sending_ = false;
  GdiHandle<HFONT> font_;
};

}  // namespace qm
