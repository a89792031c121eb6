#include "notify/notification_mail.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "format/dates.h"
#include "tests/fakes/settable_clock.h"
#include "settings/fixed_records.h"
#include "tests/notify/scripted_smtp_server.h"

namespace qm {
namespace {

EmailSettings Settings() {
  EmailSettings s;
  s.SmtpServer = "mail.example.com";
  s.MailFrom = "meter@example.com";
  return s;
}

NotificationRule Rule() {
  NotificationRule r{};
  r.version = 3;
  r.adapterKind = 300;
  SetFieldText(r.limitText, "500");
  r.unit = kUnitMB;
  r.transferType = kTransferDown;
  r.period = kPeriodWeek;
  r.nDays = 1;
  r.sendEmail = 1;
  SetFieldText(r.emailAddresses, "admin@example.com, ops@example.org");
  return r;
}

class NotificationMail : public ::testing::Test {
 protected:
  NotificationMail() {
    clock.now = LocalTime{2026, 3, 3, 11, 9, 30, 0, 0};  // Wednesday, 11 March 2026
    calendar.weekStartDay = 1;                           // Monday
    calendar.dateFormat = kDateMDYSlash;
  }
  NotificationMailInput Input() {
    NotificationMailInput in;
    in.settings = &settings;
    in.rule = &rule;
    in.adapterTitle = "LAN";
    in.calendar = calendar;
    in.periodTotal = 600ull << 20;
    return in;
  }

  SettableClock clock;
  RuleCalendar calendar;
  EmailSettings settings = Settings();
  NotificationRule rule = Rule();
};

TEST_F(NotificationMail, DefaultTemplateWithTheFiguresOfTheAlert) {
  std::unique_ptr<MailJob> job = ComposeNotificationMail(Input(), clock);
  ASSERT_TRUE(job);
  EXPECT_STREQ(job->server, "mail.example.com");
  EXPECT_STREQ(job->sender, "meter@example.com");
  EXPECT_STREQ(job->recipients, "admin@example.com, ops@example.org");
  EXPECT_EQ(job->authenticate, 0u);
  EXPECT_FALSE(job->overlong);
  EXPECT_EQ(job->message,
            "From: meter@example.com\r\nTo: admin@example.com, ops@example.org\r\n"
            "Subject: Bandwidth Usage Notification\r\nDate: " + FormatMailDate(clock) + "\r\n\r\n"
            "Hi,\r\n\r\nMore than 500 MB have been downloaded through LAN in last week (03/09/2026 -- 03/11/2026)."
            "\r\n\r\nBytes downloaded so far: 600.00 MB\r\n\r\nThe email was sent by Quellmark.\r\n");
}

TEST_F(NotificationMail, TagsAreReplacedInOrderAcrossHeadersAndBody) {
  settings.EmlTempSubject = "Over %b on %a";
  settings.EmlTempBody = "%t|%p|%f|%x|%B";
  rule.period = kPeriodLastDays;
  rule.nDays = 3;
  rule.transferType = 7;  // anything else counts as both directions
  rule.unit = 9;          // anything else counts as Bytes
  calendar.dateFormat = kDateYMDDash;
  NotificationMailInput in = Input();
  in.calendar = calendar;
  in.adapterTitle = "Office %p";  // %p comes after %a, so it is filled in inside the name
  std::unique_ptr<MailJob> job = ComposeNotificationMail(in, clock);
  ASSERT_TRUE(job);
  const std::string period = "3 days (2026-03-09 -- 2026-03-11)";
  EXPECT_NE(job->message.find("Subject: Over 500 Bytes on Office " + period + "\r\n"), std::string::npos);
  EXPECT_TRUE(job->message.ends_with("\r\n\r\ndownloaded and uploaded|" + period + "|600.00 MB|%x|%B"));
}

TEST_F(NotificationMail, ServiceSendsThroughTheServerAndLogsTheOutcome) {
  test::ScriptedSmtpServer server({});
  settings.SmtpServer = "127.0.0.1";
  SmtpLimits limits;
  limits.port = server.port();
  limits.replyMs = limits.sendMs = limits.endOfDataMs = limits.connectMs = 5000;
  std::promise<std::vector<std::string>> logged;
  auto lines = std::make_shared<std::vector<std::string>>();
  MailDoneCallback report = ServiceMailReport(FieldText(rule.emailAddresses), [lines](const std::string& line) {
    lines->push_back(line);
  });
  ASSERT_TRUE(SendNotificationMail(Input(), clock, [&, report](const std::string& error) {
    report(error);
    logged.set_value(*lines);
  }, limits));
  std::future<std::vector<std::string>> result = logged.get_future();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_EQ(result.get(), std::vector<std::string>{
                              "Successfully sent bandwidth usage notification email to "
                              "admin@example.com, ops@example.org."});
  EXPECT_NE(server.data().find("Subject: Bandwidth Usage Notification\r\n"), std::string::npos);

  settings.MailFrom.clear();  // incomplete: nothing starts, nothing is reported
  EXPECT_FALSE(SendNotificationMail(Input(), clock, [](const std::string&) { ADD_FAILURE(); }, limits));
}

TEST(ReplaceMailTags, LaterTagsInEarlierValuesAreReplacedButNotTheReverse) {
  MailTags tags{"[%t]", "T", "[%b]", "P", "F"};
  EXPECT_EQ(ReplaceMailTags("%b %a %%p %f%", tags), "[T] [%b] %P F%");
  EXPECT_EQ(ReplaceMailTags("%b%b", MailTags{"%b", "", "", "", ""}), "%b%b");  // no endless loop
}

TEST_F(NotificationMail, IncompleteSettingsAreSilentlyNotSent) {
  struct Case {
    const char* name;
    void (*spoil)(EmailSettings&);
  } cases[] = {
      {"no server", [](EmailSettings& s) { s.SmtpServer.clear(); }},
      {"no sender", [](EmailSettings& s) { s.MailFrom.clear(); }},
      {"no subject and no body", [](EmailSettings& s) { s.EmlTempSubject.clear(); s.EmlTempBody.clear(); }},
      {"authentication without account", [](EmailSettings& s) { s.SrvReqAuth = true; }},
  };
  for (const Case& c : cases) {
    settings = Settings();
    c.spoil(settings);
    EXPECT_FALSE(ComposeNotificationMail(Input(), clock)) << c.name;
  }
  settings = Settings();
  settings.EmlTempSubject.clear();  // one of the two is enough
  EXPECT_TRUE(ComposeNotificationMail(Input(), clock));
}

TEST_F(NotificationMail, TextsTooLongForTheJobMarkItForRefusal) {
  settings.SrvReqAuth = true;
  settings.AuthName = "account";
  settings.AuthPass = std::string(31, 'p');
  std::unique_ptr<MailJob> job = ComposeNotificationMail(Input(), clock);
  ASSERT_TRUE(job);
  EXPECT_FALSE(job->overlong);
  EXPECT_EQ(std::string(job->password), std::string(31, 'p'));
  settings.AuthPass += "p";  // would be sent cut, and fail authentication for no visible reason
  EXPECT_TRUE(ComposeNotificationMail(Input(), clock)->overlong);
}

TEST_F(NotificationMail, TestMailKeepsTheSubjectsTagsAndFillsTheBody) {
  settings.EmlTempSubject = "Usage %b";
  settings.EmlTempBody = "%b %t %a %p %f";
  std::unique_ptr<MailJob> job = ComposeTestMail(settings, "me@example.net", clock);
  ASSERT_TRUE(job);
  EXPECT_STREQ(job->recipients, "me@example.net");
  EXPECT_EQ(job->message, "From: meter@example.com\r\nTo: me@example.net\r\nSubject: [Test Email] Usage %b\r\nDate: " +
                              FormatMailDate(clock) +
                              "\r\n\r\n10 GB downloaded LAN [10.0.0.10] week (03/02/2008 -- 03/08/2008) 11.2 GB");
  EXPECT_EQ(MailPreviewText("More than %b, %f so far"), "More than 10 GB, 11.2 GB so far");
}

TEST(EmailSettingsChecks, FirstFailingCheckInOrder) {
  using F = MailSettingsField;
  EmailSettings empty;
  empty.EmlTempSubject.clear();
  empty.EmlTempBody.clear();
  empty.SrvReqAuth = true;
  MailSettingsCheck c = CheckEmailSettings(empty);
  EXPECT_EQ(c.field, F::SmtpServer);
  EXPECT_STREQ(c.message, "Please input SMTP server name or IP.");
  empty.SmtpServer = "smtp";
  EXPECT_STREQ(CheckEmailSettings(empty).message, "Please input \"Mail From.\"");
  empty.MailFrom = "a@b.c";
  EXPECT_STREQ(CheckEmailSettings(empty).message, "Please input SMTP server authentication account name.");
  empty.AuthName = "me";  // an empty password is the server's business
  EXPECT_EQ(CheckEmailSettings(empty).field, F::Subject);
  EXPECT_STREQ(CheckEmailSettings(empty).message, "Please input email template subject.");
  empty.EmlTempSubject = "s";
  EXPECT_EQ(CheckEmailSettings(empty).field, F::Body);
  EXPECT_STREQ(CheckEmailSettings(empty).message, "Please input email template body.");
  empty.EmlTempBody = "b";
  EXPECT_TRUE(CheckEmailSettings(empty).ok());
}

TEST(EmailSettingsChecks, TestAddressIsOneValidAddress) {
  EXPECT_TRUE(IsValidTestAddress("me@example.net"));
  EXPECT_FALSE(IsValidTestAddress(""));
  EXPECT_FALSE(IsValidTestAddress("me@example.net,you@example.net"));
  EXPECT_FALSE(IsValidTestAddress("me@example"));
}

TEST(MailOutcomeTexts, AsTheBoxesShowThem) {
  EXPECT_EQ(NotificationMailFailedText("Time out."),
            "Failed to send the notification email.\n\nError: Time out.\n\n"
            "Please check your email settings at Options -> Notification -> Email Settings.");
  EXPECT_EQ(TestMailFailedText("550 no"), "Failed to send the test email.\n\nError: 550 no");
}

}  // namespace
}  // namespace qm
