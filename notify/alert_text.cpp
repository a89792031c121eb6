#include "notify/alert_text.h"

#include <cerrno>
#include <cstdlib>

#include "format/amount.h"

namespace qm {

std::string AlertMessageText(const NotificationRule& rule, const std::string& displayName,
                             const RuleCalendar& calendar, const Date& today) {
  const Period period = NotificationPeriod(rule, today, calendar);
  return "Dear user, more than " + FieldText(rule.limitText) + " " + UnitName(rule.unit) + " have been " +
         TransferWord(rule.transferType) + " through \"" + displayName + "\" in last " + PeriodWord(rule) + " (" +
         FormatDate(calendar.dateFormat, period.first) + " -- " + FormatDate(calendar.dateFormat, today) + ").";
}

std::string AlertSoFarText(uint32_t transferType, uint64_t periodTotal) {
  const char* what = transferType == kTransferDown ? "Downloaded"
                     : transferType == kTransferUp ? "Uploaded"
                                                   : "Downloaded and uploaded";
  return std::string(what) + " so far: " + FormatAmount(periodTotal, true);
}

AlertMinutesCheck CheckAlertMinutes(const std::string& text, uint32_t nextAlertType) {
  AlertMinutesCheck check;
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(begin, &end, 10);
  const bool digits = end != begin && (end[-1] >= '0' && end[-1] <= '9');
  while (*end == ' ' || *end == '\t') ++end;
  if (!digits || *end || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
    check.result = AlertMinutesCheck::NotInteger;
    return check;
  }
  check.minutes = int32_t(value);
  if (nextAlertType == 1 && check.minutes <= 0) check.result = AlertMinutesCheck::NotPositive;
  return check;
}

}  // namespace qm
