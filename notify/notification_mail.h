#pragma once
// The notification e-mail, the test e-mail and the preview of the Email
// Settings dialog: a template whose tags are replaced by the alert's
// figures, sent through the mail client.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "format/dates.h"
#include "notify/mail_job.h"
#include "notify/rule_period.h"
#include "notify/smtp_client.h"
#include "settings/email_settings.h"
#include "settings/notification_rule.h"

namespace qm {

class Clock;

// The five tag values of one message.
struct MailTags {
  std::string limit;     // %b
  std::string transfer;  // %t
  std::string adapter;   // %a
  std::string period;    // %p
  std::string used;      // %f
};

// The fixed values of the test e-mail and the preview.
MailTags TestMailTags();

// Replaces every "%b", then "%t", "%a", "%p" and "%f", case-sensitively;
// a tag that an earlier value brought in is replaced by a later one.
std::string ReplaceMailTags(std::string text, const MailTags& tags);

// Everything a notification e-mail is made of, at the moment the rule fires.
struct NotificationMailInput {
  const EmailSettings* settings = nullptr;
  const NotificationRule* rule = nullptr;  // limit, unit, transfer, period, addresses
  std::string adapterTitle;                // AdapterTitle of the engine's record
  RuleCalendar calendar;
  uint64_t periodTotal = 0;
};

// The tag values of a notification: limit as typed with its unit, the
// transfer word, the adapter title, the period with its first day and
// today, and the period total in byte units.
MailTags NotificationMailTags(const NotificationMailInput& in, const Date& today);

// True when the settings can carry a notification: server, sender, a
// subject or a body, and an account name when authentication is on.
bool MailSettingsComplete(const EmailSettings& settings);

// The message and job of a notification e-mail; none when the settings
// are incomplete (such a notification is silently not sent). The caller
// sets job->done and starts the mail thread.
std::unique_ptr<MailJob> ComposeNotificationMail(const NotificationMailInput& in, Clock& clock);

// The test e-mail of the Email Settings dialog to one address: the body
// with the test values, the subject as typed behind "[Test Email] ".
std::unique_ptr<MailJob> ComposeTestMail(const EmailSettings& settings, const std::string& testAddress, Clock& clock);

// Compose and start the mail thread, which reports to `done`. False when
// nothing was started: incomplete settings (silently not sent) or no
// thread. Socket support is started first, again before every mail until
// it works.
bool SendNotificationMail(const NotificationMailInput& in, Clock& clock, MailDoneCallback done,
                          const SmtpLimits& limits = {});
bool SendTestMail(const EmailSettings& settings, const std::string& testAddress, Clock& clock, MailDoneCallback done,
                  const SmtpLimits& limits = {});

// The service's outcome report: its log lines for `recipients` (the
// address list as the rule holds it) through `log`.
MailDoneCallback ServiceMailReport(std::string recipients, std::function<void(const std::string&)> log);

// The body with the test values, as the "Preview" button shows it.
std::string MailPreviewText(const std::string& body);

// The Email Settings dialog's checks, in their order; the first failure
// names the box to focus and the warning to show.
enum class MailSettingsField { None, SmtpServer, MailFrom, AuthName, Subject, Body };
struct MailSettingsCheck {
  MailSettingsField field = MailSettingsField::None;
  const char* message = "";
  bool ok() const { return field == MailSettingsField::None; }
};
MailSettingsCheck CheckEmailSettings(const EmailSettings& settings);

// The test address must be one valid address.
inline constexpr char kInvalidTestAddress[] = "Please enter a valid email address.";
bool IsValidTestAddress(const std::string& address);

// The boxes that show a mail outcome in the desktop program.
std::string NotificationMailFailedText(const std::string& error);
std::string TestMailFailedText(const std::string& error);
inline constexpr char kTestMailSent[] = "The test email was sent successfully.";
inline constexpr char kSendingMail[] = "Sending email...";

}  // namespace qm
