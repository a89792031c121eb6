#include "settings/service_settings.h"

#include "settings/history_path.h"
#include "settings/options.h"
#include "settings/registry_layout.h"
#include "settings/value_reading.h"

namespace qm {

void LoadServiceSettings(SettingsStore& store, RegRoot root, const std::string& serviceFolder, ServiceSettings& out) {
  auto number = [&](const char* name, uint32_t& v) { settings_io::ReadNumber(store, root, kOptionsKey, name, v); };
  auto flag = [&](const char* name, bool& v) {
    uint32_t raw;
    if (settings_io::ReadNumber(store, root, kOptionsKey, name, raw)) v = raw != 0;
  };
  flag("DisplayUnitByte", out.DisplayUnitByte);
  flag("ShowIPInTitle", out.ShowIPInTitle);
  number("WeekStartDay", out.WeekStartDay);
  number("MonthStartDay", out.MonthStartDay);
  flag("NotificationEnabled", out.NotificationEnabled);
  if (ReadNotificationRule(store, root, out.NotificationEx2U) == RuleRead::Rejected) out.NotificationEnabled = false;
  number("DateFormat", out.DateFormat);
  uint32_t days;
  if (settings_io::ReadNumber(store, root, kOptionsKey, "SumLastDays", days)) out.SumLastDays = static_cast<int32_t>(days);
  LoadEmailSettings(store, root, out.email);

  out.WeekStartDay = CheckedWeekStartDay(out.WeekStartDay);
  out.MonthStartDay = CheckedMonthStartDay(out.MonthStartDay);
  // The service is a Windows program: its folder ends in a backslash.
  out.TrafficLogFile = SelectServiceHistoryPath(store, root, serviceFolder, '\\');
}

}  // namespace qm
