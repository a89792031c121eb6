// The service's subset of the options, read from the machine-wide root.
#include "settings/service_settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/fakes/memory_settings_store.h"
#include "settings/options.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kMachine = RegRoot::LocalMachine;

TEST(ServiceSettings, DefaultsWithNothingStored) {
  MemorySettingsStore store;
  ServiceSettings s;
  LoadServiceSettings(store, kMachine, "C:\\Program Files\\Quellmark", s);
  EXPECT_FALSE(s.DisplayUnitByte);
  EXPECT_TRUE(s.ShowIPInTitle);
  EXPECT_EQ(s.WeekStartDay, 0u);
  EXPECT_EQ(s.MonthStartDay, 1u);
  EXPECT_FALSE(s.NotificationEnabled);
  EXPECT_EQ(s.NotificationEx2U.adapterKind, 0);
  EXPECT_EQ(s.NotificationEx2U.nDays, 1);
  EXPECT_EQ(s.DateFormat, 17u);
  EXPECT_EQ(s.SumLastDays, 30);
  EXPECT_EQ(s.TrafficLogFile, "C:\\Program Files\\Quellmark\\TrafficHistory.log");
  EXPECT_EQ(s.email.EmlTempSubject, "Bandwidth Usage Notification");

  ServiceSettings t;
  LoadServiceSettings(store, kMachine, "C:\\Svc\\", t);
  EXPECT_EQ(t.TrafficLogFile, "C:\\Svc\\TrafficHistory.log");
}

TEST(ServiceSettings, ReadsOnlyTheMachineRootWithTheSameChecks) {
  MemorySettingsStore store;
  // The user's copy must not leak into the service.
  Options user = DefaultOptions(true);
  user.DateFormat = 0x66;
  SaveOptions(store, RegRoot::CurrentUser, user, kSaveAll);

  store.WriteDword(kMachine, kOptionsKey, "DisplayUnitByte", 1);
  store.WriteDword(kMachine, kOptionsKey, "ShowIPInTitle", 0);
  store.WriteDword(kMachine, kOptionsKey, "WeekStartDay", 9);
  store.WriteDword(kMachine, kOptionsKey, "MonthStartDay", 32);
  store.WriteDword(kMachine, kOptionsKey, "SumLastDays", 14);
  store.WriteString(kMachine, kOptionsKey, "TrafficLogFile", "D:\\logs\\svc.log");
  store.WriteString(kMachine, kEmailSettingsKey, "SmtpServer", "127.0.0.1");
  ServiceSettings s;
  LoadServiceSettings(store, kMachine, "C:\\Svc", s);
  EXPECT_TRUE(s.DisplayUnitByte);
  EXPECT_FALSE(s.ShowIPInTitle);
  EXPECT_EQ(s.WeekStartDay, 0u);
  EXPECT_EQ(s.MonthStartDay, 1u);
  EXPECT_EQ(s.DateFormat, 17u);
  EXPECT_EQ(s.SumLastDays, 14);
  EXPECT_EQ(s.TrafficLogFile, "D:\\logs\\svc.log");
  EXPECT_EQ(s.email.SmtpServer, "127.0.0.1");
}

TEST(ServiceSettings, RuleOfAnUnknownVersionTurnsNotificationsOff) {
  MemorySettingsStore store;
  store.WriteDword(kMachine, kOptionsKey, "NotificationEnabled", 1);
  NotificationRuleU rule{};
  rule.adapterKind = 100;
  rule.nDays = -1;
  WriteNotificationRule(store, kMachine, rule);
  ServiceSettings s;
  LoadServiceSettings(store, kMachine, "C:\\Svc", s);
  EXPECT_TRUE(s.NotificationEnabled);
  EXPECT_EQ(s.NotificationEx2U.adapterKind, 100);
  EXPECT_EQ(s.NotificationEx2U.nDays, 1);

  std::vector<uint8_t> bytes = EncodeNotificationRule(rule);
  bytes[0] = 1;
  store.WriteBinary(kMachine, kOptionsKey, "NotificationEx2U", bytes.data(), bytes.size());
  ServiceSettings t;
  LoadServiceSettings(store, kMachine, "C:\\Svc", t);
  EXPECT_FALSE(t.NotificationEnabled);
  EXPECT_EQ(t.NotificationEx2U.adapterKind, 0);
}

}  // namespace
}  // namespace qm
