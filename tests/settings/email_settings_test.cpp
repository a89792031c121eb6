// "Options\EmailSettings": defaults, the template fall-backs, the stored
// types and texts stored without their terminator.
#include "settings/email_settings.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_settings_store.h"
#include "settings/registry_layout.h"
#include "settings/value_reading.h"

namespace qm {
namespace {

constexpr RegRoot kUser = RegRoot::CurrentUser;

RegValue Raw(const std::string& bytes, RegType type = RegType::String) {
  return {type, std::vector<uint8_t>(bytes.begin(), bytes.end())};
}

TEST(EmailSettings, MissingKeyGivesEmptyServerAndTheDefaultTemplates) {
  MemorySettingsStore store;
  EmailSettings s;
  LoadEmailSettings(store, kUser, s);
  EXPECT_EQ(s.SmtpServer, "");
  EXPECT_FALSE(s.SrvReqAuth);
  EXPECT_EQ(s.EmlTempSubject, "Bandwidth Usage Notification");
  EXPECT_EQ(s.EmlTempBody,
            "Hi,\r\n\r\nMore than %b have been %t through %a in last %p.\r\n\r\nBytes %t so far: %f\r\n\r\n"
            "The email was sent by Quellmark.\r\n");
}

TEST(EmailSettings, SavedInOrderWithTheirTypesAndReadBack) {
  MemorySettingsStore store;
  EmailSettings s;
  s.SmtpServer = "127.0.0.1";
  s.MailFrom = "meter@example.org";
  s.AuthName = "meter";
  s.AuthPass = "p\xe4ss word";
  s.SrvReqAuth = true;
  s.EmlTempSubject = "Limit %b";
  s.EmlTempBody = "Body %f\r\n";
  ASSERT_TRUE(SaveEmailSettings(store, kUser, s));

  const char* names[] = {"SmtpServer", "MailFrom", "AuthName", "AuthPass", "SrvReqAuth", "EmlTempSubject", "EmlTempBody"};
  ASSERT_EQ(store.writes().size(), 7u);
  for (size_t i = 0; i < 7; ++i) {
    const auto& w = store.writes()[i];
    EXPECT_EQ(w.key, "Software\\Quellmark\\Options\\EmailSettings");
    EXPECT_EQ(w.name, names[i]);
    EXPECT_EQ(w.value.type, i == 4 ? RegType::Dword : RegType::String) << names[i];
    if (i != 4) {
      EXPECT_EQ(w.value.data.back(), 0) << names[i];  // stored with the terminating zero
    }
  }

  EmailSettings r;
  LoadEmailSettings(store, kUser, r);
  EXPECT_EQ(r.SmtpServer, s.SmtpServer);
  EXPECT_EQ(r.MailFrom, s.MailFrom);
  EXPECT_EQ(r.AuthName, s.AuthName);
  EXPECT_EQ(r.AuthPass, s.AuthPass);
  EXPECT_TRUE(r.SrvReqAuth);
  EXPECT_EQ(r.EmlTempSubject, s.EmlTempSubject);
  EXPECT_EQ(r.EmlTempBody, s.EmlTempBody);
}

TEST(EmailSettings, EmptiedTemplatesComeBackAsTheDefaults) {
  MemorySettingsStore store;
  EmailSettings s;
  s.EmlTempSubject = "";
  s.EmlTempBody = "";
  SaveEmailSettings(store, kUser, s);
  store.WriteValue(kUser, kEmailSettingsKey, "EmlTempBody", Raw(""));  // even without a terminator
  EmailSettings r;
  r.EmlTempSubject = r.EmlTempBody = "stale";
  LoadEmailSettings(store, kUser, r);
  EXPECT_EQ(r.EmlTempSubject, kDefaultMailSubject);
  EXPECT_EQ(r.EmlTempBody, kDefaultMailBody);
}

TEST(EmailSettings, OddStoredTextsReadUpToTheirEndOrFirstZero) {
  MemorySettingsStore store;
  // Four and eight characters without terminator: the rounded buffer still
  // holds every character and a zero after them.
  store.WriteValue(kUser, kEmailSettingsKey, "SmtpServer", Raw("mail"));
  store.WriteValue(kUser, kEmailSettingsKey, "MailFrom", Raw("a@b.orgx"));
  store.WriteValue(kUser, kEmailSettingsKey, "AuthName", Raw(std::string("us\0er", 5)));
  store.WriteValue(kUser, kEmailSettingsKey, "AuthPass", Raw(std::string(100000, 'p'), RegType::Binary));
  store.WriteValue(kUser, kEmailSettingsKey, "SrvReqAuth", Raw("1"));  // a text, not a number
  EmailSettings r;
  LoadEmailSettings(store, kUser, r);
  EXPECT_EQ(r.SmtpServer, "mail");
  EXPECT_EQ(r.MailFrom, "a@b.orgx");
  EXPECT_EQ(r.AuthName, "us");
  EXPECT_EQ(r.AuthPass, std::string(100000, 'p'));
  EXPECT_FALSE(r.SrvReqAuth);
}

TEST(EmailSettings, TextBufferRounding) {
  struct Case {
    size_t stored, buffer;
  } cases[] = {{0, 0}, {1, 4}, {3, 4}, {4, 8}, {5, 8}, {8, 12}, {259, 260}, {260, 264}};
  for (Case c : cases) EXPECT_EQ(settings_io::SizedTextBuffer(c.stored), c.buffer) << c.stored;
}

TEST(EmailSettings, AKeyThatCannotBeCreatedWritesNothing) {
  MemorySettingsStore store;
  store.set_fail_writes(true);
  EXPECT_FALSE(SaveEmailSettings(store, kUser, EmailSettings{}));
  EXPECT_TRUE(store.writes().empty());
}

}  // namespace
}  // namespace qm
