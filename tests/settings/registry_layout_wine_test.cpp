// Every save group, the e-mail settings, the Run entry and the service's
// machine-wide copy go through the real registry and come back unchanged.
// The values are left in place: registry_layout_check.sh then lists them
// with "reg query" and compares names and types with the documented layout.
#include <gtest/gtest.h>

#include "tests/fakes/memory_settings_store.h"
#include "platform/win32/registry_settings_store.h"
#include "settings/email_settings.h"
#include "settings/options.h"
#include "settings/registry_layout.h"
#include "settings/service_settings.h"
#include "settings/start_with_windows.h"

namespace qm {
namespace {

constexpr SaveGroup kAllGroups[] = {kSaveHandle, kSaveLastDays, kSaveGeneral, kSaveNextAlert,  kSaveDisplay,      kSaveTray,
                                    kSaveColours, kSaveGraphStyle, kSaveFonts, kSaveNotification, kSaveWindow};

Options ChangedOptions() {
  Options o = DefaultOptions(true);
  o.mainWindowHandle = 0x00020A4E;
  o.SumLastDays = 45;
  o.WeekStartDay = 1;
  o.MonthStartDay = 20;
  o.TransparentPercent = 35;
  o.HotkeyChar = 'K';
  o.DisplayUnitByte = true;
  o.NextAlertType = 1;
  o.NextAlertMin = 3;
  o.DisplayScale = false;
  o.STIfType = 300;
  o.STAdpID = "{00000002-0000-0000-0000-4E6574446576}";
  o.DownColor = 0x102030;
  o.PulseWidth = 4;
  o.TitleFont = MakeFont("Verdana", -14, 600);
  o.NotificationEnabled = true;
  o.NotificationEx2.adapterKind = 100;
  SetFieldText(o.NotificationEx2.limitText, "750");
  o.NotificationEx2.unit = kUnitMB;
  o.NotificationEx2.nDays = 3;
  o.windowRect = {100, 120, 360, 400};
  o.hasWindowRect = true;
  o.StopwatchResetAdapterGraph = true;
  return o;
}

class RegistryLayout : public ::testing::Test {
 protected:
  RegistrySettingsStore reg;
};

TEST_F(RegistryLayout, EveryGroupRoundTripsByteForByte) {
  reg.DeleteKey(RegRoot::CurrentUser, kOptionsKey);
  const Options saved = ChangedOptions();
  for (SaveGroup g : kAllGroups) ASSERT_TRUE(SaveOptions(reg, RegRoot::CurrentUser, saved, g)) << g;

  Options loaded = DefaultOptions(true);
  LoadOptions(reg, RegRoot::CurrentUser, loaded);
  EXPECT_EQ(loaded.SumLastDays, 45);
  EXPECT_EQ(loaded.MonthStartDay, 20u);
  EXPECT_EQ(loaded.STAdpID, saved.STAdpID);
  EXPECT_EQ(loaded.TitleFont, saved.TitleFont);
  EXPECT_TRUE(loaded.NotificationEnabled);
  EXPECT_EQ(FieldText(loaded.NotificationEx2.limitText), "750");
  EXPECT_EQ(loaded.windowRect, saved.windowRect);

  // What the loaded options would write is exactly what the registry holds.
  MemorySettingsStore again;
  loaded.mainWindowHandle = saved.mainWindowHandle;  // never read back by design
  SaveOptions(again, RegRoot::CurrentUser, loaded, kSaveAll);
  ASSERT_EQ(again.writes().size(), reg.ValueNames(RegRoot::CurrentUser, kOptionsKey).size());
  for (const auto& w : again.writes()) {
    RegValue stored;
    ASSERT_TRUE(reg.ReadValue(RegRoot::CurrentUser, kOptionsKey, w.name, stored)) << w.name;
    EXPECT_EQ(stored.type, w.value.type) << w.name;
    EXPECT_EQ(stored.data, w.value.data) << w.name;
  }
}

TEST_F(RegistryLayout, EmailSettingsRoundTrip) {
  reg.DeleteKey(RegRoot::CurrentUser, kEmailSettingsKey);
  EmailSettings s;
  s.SmtpServer = "127.0.0.1";
  s.MailFrom = "meter@example.org";
  s.AuthName = "meter";
  s.AuthPass = "secret";
  s.SrvReqAuth = true;
  s.EmlTempSubject = "Over %b";
  ASSERT_TRUE(SaveEmailSettings(reg, RegRoot::CurrentUser, s));
  EmailSettings r;
  LoadEmailSettings(reg, RegRoot::CurrentUser, r);
  EXPECT_EQ(r.SmtpServer, s.SmtpServer);
  EXPECT_EQ(r.AuthPass, s.AuthPass);
  EXPECT_TRUE(r.SrvReqAuth);
  EXPECT_EQ(r.EmlTempSubject, s.EmlTempSubject);
  EXPECT_EQ(r.EmlTempBody, kDefaultMailBody);
}

TEST_F(RegistryLayout, RunEntryIsAStringWithThePathAndGoesAway) {
  const std::string path = "C:\\Program Files\\Quellmark\\Quellmark.exe";
  reg.DeleteValue(RegRoot::CurrentUser, kRunKey, kRunValueName);
  EXPECT_FALSE(IsStartWithWindows(reg));
  ASSERT_TRUE(SetStartWithWindows(reg, true, path));
  EXPECT_TRUE(IsStartWithWindows(reg));
  RegValue v;
  ASSERT_TRUE(reg.ReadValue(RegRoot::CurrentUser, kRunKey, "quellmark", v));
  EXPECT_EQ(v.type, RegType::String);
  EXPECT_EQ(std::string(v.data.begin(), v.data.end()), path + '\0');
  // Left in place, Wine would try to start it at the prefix's next boot.
  ASSERT_TRUE(SetStartWithWindows(reg, false, path));
  EXPECT_FALSE(IsStartWithWindows(reg));
}

TEST_F(RegistryLayout, ServiceReadsTheMachineWideCopy) {
  reg.DeleteKey(RegRoot::LocalMachine, kOptionsKey);
  Options o = ChangedOptions();
  ASSERT_TRUE(SaveOptions(reg, RegRoot::LocalMachine, o, kSaveGeneral | kSaveLastDays | kSaveNotification));
  NotificationRuleU wide{};
  wide.adapterKind = 100;
  SetFieldText(wide.limitText, u"2");
  SetFieldText(wide.emailAddresses, u"ops@example.org");
  wide.sendEmail = 1;
  ASSERT_TRUE(WriteNotificationRule(reg, RegRoot::LocalMachine, wide));
  EmailSettings mail;
  mail.SmtpServer = "127.0.0.1";
  ASSERT_TRUE(SaveEmailSettings(reg, RegRoot::LocalMachine, mail));

  ServiceSettings s;
  LoadServiceSettings(reg, RegRoot::LocalMachine, "C:\\Svc", s);
  EXPECT_TRUE(s.DisplayUnitByte);
  EXPECT_EQ(s.WeekStartDay, 1u);
  EXPECT_EQ(s.MonthStartDay, 20u);
  EXPECT_EQ(s.SumLastDays, 45);
  EXPECT_TRUE(s.NotificationEnabled);
  EXPECT_EQ(FieldText(s.NotificationEx2U.emailAddresses), u"ops@example.org");
  EXPECT_EQ(s.TrafficLogFile, "C:\\Svc\\TrafficHistory.log");
  EXPECT_EQ(s.email.SmtpServer, "127.0.0.1");
}

}  // namespace
}  // namespace qm
