// The meter window's side of the Notification page: the copies the page
// edits, and what an apply of the page does to the running rule.

#include "meter/win32/meter_window.h"

namespace qm {

NotificationPageInput MeterWindow::NotificationPageCopies() {
  NotificationPageInput input;
  input.enabled = opts_.NotificationEnabled;
  input.rule = opts_.NotificationEx2;
  input.email = email_;
  const AdapterList& list = engine_.adapters();
  for (size_t i = 0; i < list.size(); ++i)
    input.adapters.push_back(RuleAdapter{list[i].kind, list[i].id, list[i].displayName});
  return input;
}

// With the rule on, the new rule and mail settings take over and the usage
// count starts again; with it off only the alert is forgotten, and the
// stored rule stays as it was.
void MeterWindow::ApplyNotificationPage(const COptNotificationPage& page) {
  opts_.NotificationEnabled = page.Enabled();
  engine_.options().notificationEnabled = opts_.NotificationEnabled;
  if (opts_.NotificationEnabled) {
    opts_.NotificationEx2 = page.Rule();
    email_ = page.Email();
    PrepareNotification();
    SaveEmailSettings(store_, RegRoot::CurrentUser, email_);
  } else {
    alerts_.Disable();
  }
  SaveOptionGroup(kSaveNotification);
}

}  // namespace qm
