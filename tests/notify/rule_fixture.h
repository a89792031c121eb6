#pragma once
// A notification rule for the tests: limit, unit, direction and period,
// for one adapter.

#include "settings/fixed_records.h"
#include "settings/notification_rule.h"

namespace qm {

inline NotificationRule MakeRule(const char* limit, uint32_t unit, uint32_t transfer, uint32_t period,
                                 int32_t nDays = 1, int32_t kind = 300, const char* id = "ETH0-ID") {
  NotificationRule r{};
  r.version = 3;
  r.adapterKind = kind;
  SetFieldText(r.adapterId, id);
  SetFieldText(r.limitText, limit);
  r.unit = unit;
  r.transferType = transfer;
  r.period = period;
  r.nDays = nDays;
  return r;
}

}  // namespace qm
