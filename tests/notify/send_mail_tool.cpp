// Sends one message through the mail client, for the delivery test against
// a real SMTP server:
//   send_mail_tool SERVER PORT FROM TO MESSAGE-FILE [ACCOUNT PASSWORD]
// Prints the outcome; exit code 0 on success.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "notify/smtp_client.h"

int main(int argc, char** argv) {
  if (argc != 6 && argc != 8) {
    std::fprintf(stderr, "usage: send_mail_tool SERVER PORT FROM TO MESSAGE-FILE [ACCOUNT PASSWORD]\n");
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
  qm::SmtpLimits limits;
  limits.port = static_cast<uint16_t>(std::atoi(argv[2]));
  limits.connectMs = limits.sendMs = limits.replyMs = limits.endOfDataMs = 10000;
  limits.retryPauseMs = 500;
  if (!qm::NetStartup()) return 3;
  std::string error = qm::RunMailDialogue(job, limits);
  std::printf("%s\n", error.empty() ? "sent" : error.c_str());
  return error.empty() ? 0 : 1;
}
