#include "notify/rule_period.h"

#include <charconv>
#include <cmath>

namespace qm {

Period NotificationPeriod(const NotificationRule& rule, const Date& today, const RuleCalendar& calendar) {
  Date day = MakeDate(today.year, today.month, today.day);
  switch (rule.period) {
    case kPeriodWeek: return WeekContaining(day, calendar.weekStartDay);
    case kPeriodMonth: return MonthPeriodContaining(day, calendar.monthStartDay);
    default: return LastDaysRange(day, rule.nDays);
  }
}

int64_t LimitInBytes(const NotificationRule& rule) {
  static const double kFactor[] = {1.0, 1024.0, 1048576.0, 1073741824.0, 1099511627776.0};
  std::string text = FieldText(rule.limitText);
  const char* p = text.c_str();
  const char* end = p + text.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  double value = 0;
  // from_chars is locale-independent: "1.5" is one and a half everywhere.
  if (std::from_chars(p, end, value).ec != std::errc()) value = 0;
  double bytes = value * (rule.unit <= kUnitTB ? kFactor[rule.unit] : 1.0);
  if (std::isnan(bytes)) return 0;
  if (bytes >= 9223372036854775807.0) return INT64_MAX;
  if (bytes <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(bytes);
}

const char* UnitName(uint32_t unit) {
  static const char* const kNames[] = {"Bytes", "KB", "MB", "GB", "TB"};
  return unit <= kUnitTB ? kNames[unit] : kNames[0];
}

const char* TransferWord(uint32_t transferType) {
  switch (transferType) {
    case kTransferDown: return "downloaded";
    case kTransferUp: return "uploaded";
    default: return "downloaded and uploaded";
  }
}

std::string PeriodWord(const NotificationRule& rule) {
  switch (rule.period) {
    case kPeriodWeek: return "week";
    case kPeriodMonth: return "month";
    default: return std::to_string(rule.nDays) + " days";
  }
}

}  // namespace qm
