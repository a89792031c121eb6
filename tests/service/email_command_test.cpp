// QuellmarkAdmin's e-mail commands: the password never on the command line
// or in the output, and the key closed before the password is written.
#include "service/admin/email_command.h"

#include <gtest/gtest.h>

#include "service/admin/admin_commands.h"
#include "settings/email_settings.h"
#include "tests/fakes/memory_settings_store.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;
constexpr char kPassword[] = "s3cret-pass";

// Records what the commands asked of the system; sees the store so that it
// can tell whether the password was there before the key was closed.
struct FakeSecrets : EmailSecrets {
  explicit FakeSecrets(SettingsStore& s) : store(s) {}
  bool ReadPassword(std::string& password) override {
    ++passwordReads;
    password = typed;
    return !typed.empty();
  }
  bool ProtectEmailSettings(std::string& reason) override {
    ++protects;
    EmailSettings seen;
    LoadEmailSettings(store, kLm, seen);
    passwordBeforeProtect = !seen.AuthPass.empty();
    reason = "Access denied";
    return protectWorks;
  }
  SettingsStore& store;
  std::string typed = kPassword;
  bool protectWorks = true;
  int passwordReads = 0, protects = 0;
  bool passwordBeforeProtect = false;
};

TEST(AdminEmail, SetClosesTheKeyThenWritesTheLoginAndKeepsTheTemplates) {
  MemorySettingsStore store;
  ASSERT_TRUE(store.WriteString(kLm, "Software\\Quellmark\\Options\\EmailSettings", "EmlTempSubject", "Over!"));
  FakeSecrets secrets(store);
  AdminResult r = RunAdminCommand(store, {"email", "set", "127.0.0.1", "meter@example.com", "meter"}, nullptr, &secrets);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find(kPassword), std::string::npos);
  EXPECT_EQ(secrets.protects, 1);
  EXPECT_FALSE(secrets.passwordBeforeProtect);
  EmailSettings s;
  LoadEmailSettings(store, kLm, s);
  EXPECT_EQ(s.SmtpServer, "127.0.0.1");
  EXPECT_EQ(s.MailFrom, "meter@example.com");
  EXPECT_EQ(s.AuthName, "meter");
  EXPECT_EQ(s.AuthPass, kPassword);
  EXPECT_TRUE(s.SrvReqAuth);
  EXPECT_EQ(s.EmlTempSubject, "Over!");

  // Without an account no password is asked for and the login is off.
  r = RunAdminCommand(store, {"email", "set", "mail.example.com", "meter@example.com"}, nullptr, &secrets);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(secrets.passwordReads, 1);
  LoadEmailSettings(store, kLm, s);
  EXPECT_FALSE(s.SrvReqAuth);
  EXPECT_EQ(s.AuthPass, "");
}

TEST(AdminEmail, RefusalsWriteNothing) {
  struct Case {
    std::vector<std::string> args;
    const char* typed;
    bool protectWorks;
    const char* message;
  } cases[] = {
      {{"/reg", "email", "set", "h", "a@b.example", "u"}, kPassword, true, "/reg cannot be used"},
      {{"email", "set", "h", "not-an-address", "u"}, kPassword, true, "is not an e-mail address"},
      {{"email", "set", "", "a@b.example", "u"}, kPassword, true, "must not be empty"},
      {{"email", "set", "h", "a@b.example", "u"}, "", true, "No password given"},
      {{"email", "set", "h", "a@b.example", "u"}, kPassword, false, "nothing was written: Access denied"},
      {{"email", "protect"}, kPassword, false, "Cannot restrict access to the e-mail settings: Access denied"},
      {{"email", "set", kPassword}, kPassword, true, "Usage: QuellmarkAdmin"},
  };
  for (const Case& c : cases) {
    MemorySettingsStore store;
    FakeSecrets secrets(store);
    secrets.typed = c.typed;
    secrets.protectWorks = c.protectWorks;
    AdminResult r = RunAdminCommand(store, c.args, nullptr, &secrets);
    EXPECT_NE(r.exitCode, 0) << c.message;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find(kPassword), std::string::npos) << c.message;
    EXPECT_TRUE(store.ValueNames(kLm, "Software\\Quellmark\\Options\\EmailSettings").empty()) << c.message;
  }
}

TEST(AdminEmail, ProtectOnlyClosesTheKey) {
  MemorySettingsStore store;
  FakeSecrets secrets(store);
  AdminResult r = RunAdminCommand(store, {"email", "protect"}, nullptr, &secrets);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "E-mail settings protected: only SYSTEM and Administrators can read them.\n");
  EXPECT_EQ(secrets.protects, 1);
  EXPECT_EQ(secrets.passwordReads, 0);
}

}  // namespace
}  // namespace qm
