#pragma once
// What the service reads of the options, below HKEY_LOCAL_MACHINE, with the
// same defaults and checks as the desktop program. It never writes them.
// (The "Service" key itself, "ServiceEnabled", "ServiceOptions" and the
// report tasks, is read by the service.)

#include <string>

#include "platform/settings_store.h"
#include "settings/email_settings.h"
#include "settings/notification_rule.h"

namespace qm {

struct ServiceSettings {
  bool DisplayUnitByte = false;
  bool ShowIPInTitle = true;
  uint32_t WeekStartDay = 0;      // 0..6, else 0
  uint32_t MonthStartDay = 1;     // 1..31, else 1
  bool NotificationEnabled = false;  // forced off by a rule of an unknown version
  NotificationRuleU NotificationEx2U{};  // zeroed when missing or rejected; nDays at least 1
  uint32_t DateFormat = 17;
  int32_t SumLastDays = 30;
  std::string TrafficLogFile;     // the service's folder + "TrafficHistory.log" when missing or empty
  EmailSettings email;            // "Options\EmailSettings"
};

// Reads the subset from `root` (the service passes RegRoot::LocalMachine).
// `serviceFolder` is the folder of the service program, with or without a
// trailing backslash. A missing key leaves every default.
void LoadServiceSettings(SettingsStore& store, RegRoot root, const std::string& serviceFolder, ServiceSettings& out);

}  // namespace qm
