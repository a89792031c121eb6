#pragma once
// COptNotificationPage: the Notification page of the options sheet. The
// rule reads as a sentence ("When more than ... were ... in last ...
// through ... please alert me.") followed by its four actions; the page
// checks it when the sheet applies and hands the result, with the e-mail
// settings, to the meter window.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "meter/win32/options_page.h"
#include "notify/notification_page_checks.h"
#include "settings/email_settings.h"
#include "settings/notification_rule.h"

namespace qm {

// One entry of the adapter list: the record's kind and ID, and its name.
struct RuleAdapter {
  int32_t kind = 0;
  std::string id;
  std::string displayName;
};

// The copies the meter window gives the page when the sheet is built.
struct NotificationPageInput {
  bool enabled = false;
  NotificationRule rule{};
  EmailSettings email;
  std::vector<RuleAdapter> adapters;  // in list order
};

class COptNotificationPage : public OptionsPage {
 public:
  explicit COptNotificationPage(const NotificationPageInput& input);

  // What an apply hands over (page code 204).
  bool Enabled() const { return in_.enabled; }
  const NotificationRule& Rule() const { return in_.rule; }
  const EmailSettings& Email() const { return in_.email; }

 protected:
  bool OnInitPage() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnKillActive() override;
  void OnDestroy() override;
  std::optional<Refused> ReadAndCheck() override;

 private:
  void FillLists();
  void EnableControls();
  NotificationPageValues ReadValues();
  void ReadRule(const NotificationPageValues& values);
  void BrowseSound();
  void TestSound();
  void TestBeep();
  void BrowseProgram();
  bool EditEmailSettings();
  void StopTests();

  NotificationPageInput in_;
  bool soundTesting_ = false;  // a test of the sound file was started here
  uint64_t testBeep_ = 0;      // the series of the beep test, 0: none
};

}  // namespace qm
