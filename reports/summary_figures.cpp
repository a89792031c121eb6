#include "reports/summary_figures.h"

#include <algorithm>
#include <cstdio>

namespace qm {

std::string UntilTodayLine(const Date& today) {
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  const int dow = DayOfWeek(today.year, today.month, today.day);
  const int month = today.month >= 1 && today.month <= 12 ? today.month - 1 : 0;
  char text[96];
  std::snprintf(text, sizeof text, "Until today - %s, %s %02d, %d", kDays[dow], kMonths[month], int(today.day),
                int(today.year));
  return text;
}

int ParseLastDays(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  constexpr int kMost = 1000000;
  int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min(kMost, value * 10 + (text[i] - '0'));
  return negative ? -value : value;
}

Traffic SumStoredLastDays(const std::vector<StoredDay>& days, const Date& today, int n) {
  Traffic sum;
  if (n <= 1) return sum;
  const Period window = LastDaysRange(today, n);
  for (const StoredDay& d : days)
    if (window.Contains(d.date) && CompareDates(d.date, today) != 0) sum.Add(d.traffic);
  return sum;
}

}  // namespace qm
