#pragma once
// The summary page's own arithmetic and texts: the date line above its
// table, the number typed into its last-days box, and the last-days figures
// summed again from the subject's stored days whenever that number changes.

#include <string>
#include <string_view>
#include <vector>

#include "reports/report_types.h"

namespace qm {

// "Until today - Thursday, December 10, 2026": English names whatever the
// locale, the day of the month in two digits.
std::string UntilTodayLine(const Date& today);

// The box's text as a whole number: leading blanks, a sign and digits; a
// text that is not a number counts as 0. Huge numbers stop at 1,000,000.
int ParseLastDays(std::string_view text);

// One stored day of the subject, today's excluded.
struct StoredDay {
  Date date;
  Traffic traffic;
};

// The stored days from today - (n - 1) to yesterday; nothing for n <= 1.
Traffic SumStoredLastDays(const std::vector<StoredDay>& days, const Date& today, int n);

}  // namespace qm
