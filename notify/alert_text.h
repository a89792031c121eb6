#pragma once
// The texts of the alert window and the check of its "Alert me again"
// minutes, apart from the window so that they can be tested natively.

#include <cstdint>
#include <string>

#include "format/dates.h"
#include "notify/rule_period.h"
#include "settings/notification_rule.h"

namespace qm {

// "Dear user, more than 500 MB have been downloaded through "LAN" in last
// week (03/02/2026 -- 03/04/2026)." for the period holding `today`.
std::string AlertMessageText(const NotificationRule& rule, const std::string& displayName,
                             const RuleCalendar& calendar, const Date& today);

// "Downloaded so far: 1.50 MB" (byte units).
std::string AlertSoFarText(uint32_t transferType, uint64_t periodTotal);

inline constexpr char kAlertTitle[] = "Notification - Quellmark";
inline constexpr char kEnterInteger[] = "Please enter an integer.";
inline constexpr char kMinutesAboveZero[] = "Minutes up to next alert should be greater than 0.";

// The choice read from the window when it closes.
struct AlertMinutesCheck {
  enum Result { Ok, NotInteger, NotPositive } result = Ok;
  int32_t minutes = 0;
};
// The minutes text must be a whole number (blanks around it and a sign
// allowed, within 32 bits); with "Next " chosen it must be above 0.
AlertMinutesCheck CheckAlertMinutes(const std::string& text, uint32_t nextAlertType);

}  // namespace qm
