// Sends mail through the mail client, for the delivery test against a real
// SMTP server:
//   send_mail_tool SERVER PORT FROM TO MESSAGE-FILE [ACCOUNT PASSWORD]
//   send_mail_tool --notification SERVER PORT
// The second form composes a notification e-mail from fixed settings: 500
// MB downloaded in the week, adapter "LAN", 11 March 2026 09:30 at UTC+1.
// Prints the outcome; exit code 0 on success.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "notify/notification_mail.h"
#include "tests/fakes/settable_clock.h"
#include "settings/fixed_records.h"

namespace {

qm::SmtpLimits Limits(const char* port) {
  qm::SmtpLimits limits;
  limits.port = static_cast<uint16_t>(std::atoi(port));
  limits.connectMs = limits.sendMs = limits.replyMs = limits.endOfDataMs = 10000;
  limits.retryPauseMs = 500;
  return limits;
}

int Report(const std::string& error) {
  std::printf("%s\n", error.empty() ? "sent" : error.c_str());
  return error.empty() ? 0 : 1;
}

int SendNotification(const char* server, const char* port) {
  qm::EmailSettings settings;
  settings.SmtpServer = server;
  settings.MailFrom = "meter@example.com";
  qm::NotificationRule rule{};
  rule.adapterKind = 300;
  qm::SetFieldText(rule.limitText, "500");
  rule.unit = qm::kUnitMB;
  rule.period = qm::kPeriodWeek;
  rule.nDays = 1;
  rule.sendEmail = 1;
  qm::SetFieldText(rule.emailAddresses, " admin@example.com ,, ops@example.org");
  qm::NotificationMailInput in;
  in.settings = &settings;
  in.rule = &rule;
  in.adapterTitle = "LAN";
  in.calendar.weekStartDay = 1;
  in.periodTotal = 629145600;  // 600 MB
  qm::SettableClock clock;
  clock.now = qm::LocalTime{2026, 3, 3, 11, 9, 30, 0, 0};
  clock.zone.bias = -60;
  std::unique_ptr<qm::MailJob> job = qm::ComposeNotificationMail(in, clock);
  if (!job) return 2;
  job->done = [](const std::string&) {};
  return Report(qm::RunMailDialogue(*job, Limits(port)));
}

}  // namespace

int main(int argc, char** argv) {
  if (!qm::NetStartup()) return 3;
  if (argc == 4 && std::string(argv[1]) == "--notification") return SendNotification(argv[2], argv[3]);
  if (argc != 6 && argc != 8) {
    std::fprintf(stderr, "usage: send_mail_tool SERVER PORT FROM TO MESSAGE-FILE [ACCOUNT PASSWORD]\n"
                         "       send_mail_tool --notification SERVER PORT\n");
    return 2;
  }
  std::ifstream in(argv[5], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[5]);
    return 2;
  }
  qm::MailJob job;
  qm::SetMailJobText(job, job.server, argv[1]);
  qm::SetMailJobText(job, job.sender, argv[3]);
  qm::SetMailJobText(job, job.recipients, argv[4]);
  job.message.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (argc == 8) {
    job.authenticate = 1;
    qm::SetMailJobText(job, job.accountName, argv[6]);
    qm::SetMailJobText(job, job.password, argv[7]);
  }
  job.done = [](const std::string&) {};
  return Report(qm::RunMailDialogue(job, Limits(argv[2])));
}
