#include "notify/smtp_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "notify/mail_text.h"
#include "tests/notify/scripted_smtp_server.h"

namespace qm {
namespace {

using test::ScriptedSmtpServer;
using Commands = std::vector<std::string>;

constexpr char kMessage[] =
    "From: meter@example.com\r\nTo: admin@example.com\r\nSubject: Usage\r\n\r\n"
    "Line one\r\n.\r\n.hidden\r\nLast line\r\n";

// Short waits so that failures show in milliseconds, not minutes.
SmtpLimits FastLimits(uint16_t port) {
  SmtpLimits limits;
  limits.port = port;
  limits.connectMs = 2000;
  limits.sendMs = 2000;
  limits.replyMs = 2000;
  limits.endOfDataMs = 2000;
  limits.retryPauseMs = 50;
  return limits;
}

MailJob Job(const std::string& recipients = "admin@example.com") {
  MailJob job;
  SetMailJobText(job, job.server, "127.0.0.1");
  SetMailJobText(job, job.sender, "meter@example.com");
  SetMailJobText(job, job.recipients, recipients);
  job.message = kMessage;
  job.done = [](const std::string&) {};
  return job;
}

MailJob AuthJob() {
  MailJob job = Job();
  job.authenticate = 1;
  SetMailJobText(job, job.accountName, "alice");
  SetMailJobText(job, job.password, "s3cret!");
  return job;
}

std::string Repeat(const std::string& text, int n) {
  std::string out;
  while (n-- > 0) out += text;
  return out;
}

std::string Send(MailJob job, ScriptedSmtpServer& server) {
  return RunMailDialogue(job, FastLimits(server.port()));
}

TEST(MailDialogue, PlainDialogueDeliversTheMessageDotStuffed) {
  ScriptedSmtpServer server({});
  EXPECT_EQ(Send(Job(), server), "");
  EXPECT_EQ(server.commands(), (Commands{"HELO quellmark.local", "MAIL FROM: <meter@example.com>",
                                         "RCPT TO: <admin@example.com>", "DATA", "QUIT"}));
  // The lone "." and ".hidden" travel as ".." and "..hidden"; the server
  // removes the extra dot again.
  EXPECT_EQ(server.data(),
            "From: meter@example.com\r\nTo: admin@example.com\r\nSubject: Usage\r\n\r\n"
            "Line one\r\n..\r\n..hidden\r\nLast line\r\n\r\n");
}

TEST(MailDialogue, MultiLineGreetingAndEhloThenAuthLogin) {
  ScriptedSmtpServer::Script script;
  script.greeting = "220-mx.test welcome\r\n220-second line\r\n220 ready\r\n";
  script.respond = [](const std::string& c) -> std::string {
    if (c.rfind("EHLO", 0) == 0) return "250-mx.test\r\n250-AUTH LOGIN\r\n250 8BITMIME\r\n";
    if (c == "YWxpY2U=") return "334 UGFzc3dvcmQ6\r\n";  // "alice"
    if (c == "czNjcmV0IQ==") return "235 accepted\r\n";  // "s3cret!"
    return ScriptedSmtpServer::Standard(c);
  };
  ScriptedSmtpServer server(script);
  EXPECT_EQ(Send(AuthJob(), server), "");
  Commands c = server.commands();
  ASSERT_GE(c.size(), 5u);
  EXPECT_EQ(Commands(c.begin(), c.begin() + 5),
            (Commands{"EHLO quellmark.local", "AUTH LOGIN", "YWxpY2U=", "czNjcmV0IQ==",
                      "MAIL FROM: <meter@example.com>"}));
}

TEST(MailDialogue, AuthRefusedReportsTheServersLine) {
  ScriptedSmtpServer::Script script;
  script.respond = [](const std::string& c) -> std::string {
    if (c == "AUTH LOGIN") return "504 5.5.4 Unrecognized authentication type\r\n";
    return ScriptedSmtpServer::Standard(c);
  };
  ScriptedSmtpServer server(script);
  EXPECT_EQ(Send(AuthJob(), server), "504 5.5.4 Unrecognized authentication type");
  EXPECT_EQ(server.commands().back(), "AUTH LOGIN");  // no QUIT after a failed step
}

TEST(MailDialogue, RecipientsTheServerRefuses) {
  ScriptedSmtpServer::Script script;
  script.respond = [](const std::string& c) -> std::string {
    if (c.rfind("RCPT", 0) == 0) return c.find("good@") != std::string::npos ? "251 forwarding\r\n" : "550 no relay\r\n";
    return ScriptedSmtpServer::Standard(c);
  };
  {
    ScriptedSmtpServer server(script);
    EXPECT_EQ(Send(Job("bad@example.com, other@example.com"), server), "SMTP Server didn't relay email.");
    EXPECT_EQ(server.commands(), (Commands{"HELO quellmark.local", "MAIL FROM: <meter@example.com>",
                                           "RCPT TO: <bad@example.com>", "RCPT TO: <other@example.com>", "QUIT"}));
  }
  {
    // One of two accepted is enough; the item without a dot after "@"
    // gets no RCPT at all.
    ScriptedSmtpServer server(script);
    EXPECT_EQ(Send(Job("bad@example.com,, nodot@localhost , good@example.com"), server), "");
    Commands c = server.commands();
    EXPECT_EQ(Commands(c.begin() + 2, c.end()),
              (Commands{"RCPT TO: <bad@example.com>", "RCPT TO: <good@example.com>", "DATA", "QUIT"}));
  }
}

TEST(MailDialogue, QuitRefusalAfterDeliveryIsStillSuccess) {
  ScriptedSmtpServer::Script script;
  script.respond = [](const std::string& c) -> std::string {
    return c == "QUIT" ? "500 what?\r\n" : ScriptedSmtpServer::Standard(c);
  };
  ScriptedSmtpServer server(script);
  EXPECT_EQ(Send(Job(), server), "");
}

TEST(MailDialogue, UnexpectedCodesAndLostConnections) {
  struct Case {
    const char* name;
    std::string greeting;
    std::string command;  // the command that gets `reply`
    std::string reply;    // empty: the server hangs up
    std::string endOfData;
    std::string error;
  } cases[] = {
      {"greeting refused", "554 go away\r\n", "", "", "250 ok\r\n", "554 go away"},
      {"sender refused", "220 hi\r\n", "MAIL FROM: <meter@example.com>", "553 sender rejected\r\n", "250 ok\r\n",
       "553 sender rejected"},
      {"hang-up after HELO", "220 hi\r\n", "HELO quellmark.local", "", "250 ok\r\n", "Time out."},
      {"hang-up at RCPT", "220 hi\r\n", "RCPT TO: <admin@example.com>", "", "250 ok\r\n", "Time out."},
      {"DATA refused", "220 hi\r\n", "DATA", "451 later\r\n", "250 ok\r\n", "451 later"},
      {"message refused", "220 hi\r\n", "", "", "552 too big\r\n", "552 too big"},
      // An empty line has no code; it is a refusal, never an empty error.
      {"empty greeting", "\r\n", "", "", "250 ok\r\n", kMailEmptyReply},
      {"empty reply to DATA", "220 hi\r\n", "DATA", "\r\n", "250 ok\r\n", kMailEmptyReply},
      {"empty reply to the message", "220 hi\r\n", "", "", "\n", kMailEmptyReply},
      // A hostile server cannot keep the thread reading for ever.
      {"endless continuation", Repeat("220-more\r\n", 201) + "220 ok\r\n", "", "", "250 ok\r\n", "Time out."},
      {"endless line", "220 " + std::string(12000, 'x') + "\r\n", "", "", "250 ok\r\n", "Time out."},
  };
  for (const Case& c : cases) {
    ScriptedSmtpServer::Script script;
    script.greeting = c.greeting;
    script.endOfData = c.endOfData;
    std::string command = c.command, reply = c.reply;
    script.respond = [command, reply](const std::string& line) {
      return line == command ? reply : ScriptedSmtpServer::Standard(line);
    };
    ScriptedSmtpServer server(script);
    EXPECT_EQ(Send(Job(), server), c.error) << c.name;
  }
}

TEST(MailDialogue, SilentServerTimesOut) {
  ScriptedSmtpServer::Script script;
  script.greeting = "";
  ScriptedSmtpServer server(script);
  SmtpLimits limits = FastLimits(server.port());
  limits.replyMs = 200;
  MailJob job = Job();
  EXPECT_EQ(RunMailDialogue(job, limits), "Time out.");
}

TEST(MailDialogue, RefusedConnectionIsTriedFourTimes) {
  uint16_t port;
  {
    TcpListener closed;  // a port that was just free and now refuses
    ASSERT_TRUE(closed.Listen(0));
    port = closed.port();
  }
  SmtpLimits limits = FastLimits(port);
  limits.retryPauseMs = 150;
  MailJob job = Job();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunMailDialogue(job, limits), "Failed to connect to SMTP server.");
  // Three pauses between four attempts.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * 150));
}

TEST(MailDialogue, OverlongReplyLineIsNotTakenForTheNextReply) {
  // The HELO reply is longer than the client's 1024-byte buffer and its
  // tail looks like a refusal; only MAIL FROM's own reply may count.
  std::string longReply = "250 " + std::string(1019, 'x') + "550 trailing text\r\n";
  ScriptedSmtpServer::Script script;
  script.greeting = "220 " + std::string(5000, 'g') + "\r\n";  // longer than the 2048 of the greeting
  script.respond = [longReply](const std::string& c) {
    return c.rfind("HELO", 0) == 0 ? longReply : ScriptedSmtpServer::Standard(c);
  };
  ScriptedSmtpServer server(script);
  EXPECT_EQ(Send(Job(), server), "");
  EXPECT_EQ(server.commands().size(), 5u);
}

TEST(MailDialogue, LongErrorLineIsCutTo1023Characters) {
  ScriptedSmtpServer::Script script;
  script.respond = [](const std::string& c) {
    return c.rfind("MAIL", 0) == 0 ? "553 " + std::string(3000, 'e') + "\r\n" : ScriptedSmtpServer::Standard(c);
  };
  ScriptedSmtpServer server(script);
  EXPECT_EQ(Send(Job(), server), "553 " + std::string(1019, 'e'));
}

TEST(MailDialogue, InvalidJobsAreRefusedWithoutConnecting) {
  ScriptedSmtpServer server({});
  std::string longList;
  while (longList.size() < 300) longList += "someone@example.com,";
  MailJob tooLong = Job(longList);  // would be cut in the middle of an address
  EXPECT_TRUE(tooLong.overlong);
  MailJob noDone = Job();
  noDone.done = nullptr;
  MailJob authWithoutName = Job();
  authWithoutName.authenticate = 1;
  MailJob noMessage = Job();
  noMessage.message.clear();
  MailJob longPassword = AuthJob();
  SetMailJobText(longPassword, longPassword.password, std::string(40, 'p'));

  MailJob smuggled = Job();
  SetMailJobText(smuggled, smuggled.sender, "meter@example.com>\r\nRCPT TO: <other@example.net");

  MailJob jobs[] = {Job("no-at-sign"),  Job(" , "),          std::move(tooLong),     std::move(noDone),
                    std::move(authWithoutName), std::move(noMessage), std::move(longPassword), std::move(smuggled)};
  for (MailJob& job : jobs) EXPECT_EQ(RunMailDialogue(job, FastLimits(server.port())), "Invalid parameters.");
  EXPECT_EQ(server.connections(), 0);
}

TEST(MailThread, ReportsTheOutcomeFromItsOwnThread) {
  ScriptedSmtpServer server({});
  std::mutex mutex;
  std::condition_variable cv;
  bool called = false;
  std::string outcome = "unset";
  auto job = std::make_unique<MailJob>(Job());
  job->done = [&](const std::string& error) {
    std::lock_guard<std::mutex> lock(mutex);
    outcome = error;
    called = true;
    cv.notify_all();
  };
  ASSERT_TRUE(StartMailThread(std::move(job), FastLimits(server.port())));
  std::unique_lock<std::mutex> lock(mutex);
  ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(20), [&] { return called; }));
  EXPECT_EQ(outcome, "");
}

TEST(MailThread, ServiceLogLines) {
  EXPECT_EQ(ServiceMailLogLines("a@b.c, d@e.f", ""),
            Commands{"Successfully sent bandwidth usage notification email to a@b.c, d@e.f."});
  EXPECT_EQ(ServiceMailLogLines("a@b.c", "Time out."),
            (Commands{"Failed send bandwidth usage notification email to a@b.c.", "Error: Time out.",
                      "Please check your email settings at Options -> Notification -> Email Settings."}));
}

// The tests' shortened wait: whole milliseconds within bounds, nothing else.
TEST(SmtpWaitOverride, OnlyAPlainNumberInRangeShortensTheWaits) {
  const SmtpLimits defaults;
  const struct {
    const char* text;
    int wait;  // 0: the defaults stand
  } cases[] = {{nullptr, 0}, {"", 0}, {"1500", 1500}, {"1", 1}, {"600000", 600000}, {"0", 0}, {"-5", 0},
               {"600001", 0}, {"2s", 0}, {"abc", 0}, {" 100", 100}, {"99999999999999999999", 0}};
  for (const auto& c : cases) {
    const SmtpLimits l = SmtpLimitsWithWait(c.text);
    const int wait = c.wait ? c.wait : defaults.replyMs;
    EXPECT_EQ(l.replyMs, wait) << (c.text ? c.text : "(unset)");
    EXPECT_EQ(l.sendMs, wait) << (c.text ? c.text : "(unset)");
    EXPECT_EQ(l.connectMs, c.wait ? c.wait : defaults.connectMs) << (c.text ? c.text : "(unset)");
    EXPECT_EQ(l.endOfDataMs, c.wait ? 2 * c.wait : defaults.endOfDataMs) << (c.text ? c.text : "(unset)");
    EXPECT_EQ(l.connectAttempts, defaults.connectAttempts);
    EXPECT_EQ(l.retryPauseMs, defaults.retryPauseMs);
    EXPECT_EQ(l.port, 25);
  }
}

}  // namespace
}  // namespace qm
