#include "notify/notification_mail.h"

#include "format/amount.h"
#include "notify/mail_text.h"
#include "platform/clock.h"

namespace qm {
namespace {

void ReplaceAll(std::string& text, const char* tag, const std::string& value) {
  for (size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + value.size()))
    text.replace(at, 2, value);
}

Date Today(Clock& clock) {
  LocalTime now = clock.Now();
  return MakeDate(now.year, now.month, now.day);
}

std::string Headers(const std::string& from, const std::string& to, const std::string& subject, Clock& clock) {
  return "From: " + from + "\r\nTo: " + to + "\r\nSubject: " + subject + "\r\nDate: " + FormatMailDate(clock) +
         "\r\n\r\n";
}

std::unique_ptr<MailJob> NewJob(const EmailSettings& s, const std::string& recipients, std::string message) {
  auto job = std::make_unique<MailJob>();
  SetMailJobText(*job, job->server, s.SmtpServer);
  SetMailJobText(*job, job->sender, s.MailFrom);
  SetMailJobText(*job, job->recipients, recipients);
  job->authenticate = s.SrvReqAuth ? 1 : 0;
  SetMailJobText(*job, job->accountName, s.AuthName);
  SetMailJobText(*job, job->password, s.AuthPass);
  job->message = std::move(message);
  return job;
}

}  // namespace

MailTags TestMailTags() {
  return {"10 GB", "downloaded", "LAN [10.0.0.10]", "week (03/02/2008 -- 03/08/2008)", "11.2 GB"};
}

std::string ReplaceMailTags(std::string text, const MailTags& tags) {
  ReplaceAll(text, "%b", tags.limit);
  ReplaceAll(text, "%t", tags.transfer);
  ReplaceAll(text, "%a", tags.adapter);
  ReplaceAll(text, "%p", tags.period);
  ReplaceAll(text, "%f", tags.used);
  return text;
}

MailTags NotificationMailTags(const NotificationMailInput& in, const Date& today) {
  const NotificationRule& rule = *in.rule;
  Period period = NotificationPeriod(rule, today, in.calendar);
  MailTags tags;
  tags.limit = FieldText(rule.limitText) + " " + UnitName(rule.unit);
  tags.transfer = TransferWord(rule.transferType);
  tags.adapter = in.adapterTitle;
  tags.period = PeriodWord(rule) + " (" + FormatDate(in.calendar.dateFormat, period.first) + " -- " +
                FormatDate(in.calendar.dateFormat, today) + ")";
  uint64_t total = in.periodTotal > uint64_t(INT64_MAX) ? uint64_t(INT64_MAX) : in.periodTotal;
  tags.used = FormatAmount(total, true);
  return tags;
}

bool MailSettingsComplete(const EmailSettings& s) {
  return !s.SmtpServer.empty() && !s.MailFrom.empty() && !(s.EmlTempSubject.empty() && s.EmlTempBody.empty()) &&
         !(s.SrvReqAuth && s.AuthName.empty());
}

std::unique_ptr<MailJob> ComposeNotificationMail(const NotificationMailInput& in, Clock& clock) {
  if (!in.settings || !in.rule || !MailSettingsComplete(*in.settings)) return nullptr;
  const EmailSettings& s = *in.settings;
  std::string addresses = FieldText(in.rule->emailAddresses);
  MailTags tags = NotificationMailTags(in, Today(clock));
  std::string message = Headers(s.MailFrom, addresses, s.EmlTempSubject, clock) + s.EmlTempBody;
  return NewJob(s, addresses, ReplaceMailTags(std::move(message), tags));
}

std::unique_ptr<MailJob> ComposeTestMail(const EmailSettings& s, const std::string& testAddress, Clock& clock) {
  std::string message = Headers(s.MailFrom, testAddress, "[Test Email] " + s.EmlTempSubject, clock) +
                        MailPreviewText(s.EmlTempBody);
  return NewJob(s, testAddress, std::move(message));
}

namespace {

bool Start(std::unique_ptr<MailJob> job, MailDoneCallback done, const SmtpLimits& limits) {
  if (!job) return false;
  job->done = std::move(done);
  return StartMailThread(std::move(job), limits);
}

}  // namespace

bool SendNotificationMail(const NotificationMailInput& in, Clock& clock, MailDoneCallback done,
                          const SmtpLimits& limits) {
  NetStartup();
  return Start(ComposeNotificationMail(in, clock), std::move(done), limits);
}

bool SendTestMail(const EmailSettings& settings, const std::string& testAddress, Clock& clock, MailDoneCallback done,
                  const SmtpLimits& limits) {
  NetStartup();
  return Start(ComposeTestMail(settings, testAddress, clock), std::move(done), limits);
}

MailDoneCallback ServiceMailReport(std::string recipients, std::function<void(const std::string&)> log) {
  return [recipients = std::move(recipients), log = std::move(log)](const std::string& error) {
    for (const std::string& line : ServiceMailLogLines(recipients, error)) log(line);
  };
}

std::string MailPreviewText(const std::string& body) { return ReplaceMailTags(body, TestMailTags()); }

MailSettingsCheck CheckEmailSettings(const EmailSettings& s) {
  using F = MailSettingsField;
  if (s.SmtpServer.empty()) return {F::SmtpServer, "Please input SMTP server name or IP."};
  if (s.MailFrom.empty()) return {F::MailFrom, "Please input \"Mail From.\""};
  if (s.SrvReqAuth && s.AuthName.empty()) return {F::AuthName, "Please input SMTP server authentication account name."};
  if (s.EmlTempSubject.empty()) return {F::Subject, "Please input email template subject."};
  if (s.EmlTempBody.empty()) return {F::Body, "Please input email template body."};
  return {};
}

bool IsValidTestAddress(const std::string& address) { return !address.empty() && IsValidEmailAddress(address); }

std::string NotificationMailFailedText(const std::string& error) {
  return "Failed to send the notification email.\n\nError: " + error +
         "\n\nPlease check your email settings at Options -> Notification -> Email Settings.";
}

std::string TestMailFailedText(const std::string& error) { return "Failed to send the test email.\n\nError: " + error; }

}  // namespace qm
