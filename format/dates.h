#pragma once
// Calendar arithmetic on whole days, date texts and the mail date.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

class Clock;

// Laid out like the first four fields of the platform's SYSTEMTIME. The
// day of week (0 = Sunday) is carried where it is known; the functions
// below that return dates fill it in.
struct Date {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;
  uint16_t day = 0;
};

// A closed range of whole days.
struct Period {
  Date first;
  Date last;
  bool Contains(const Date& d) const;
};

// Date format ids of the DateFormat option; anything else formats as
// kDateMDYSlash.
enum : uint32_t {
  kDateMDYSlash = 0x11,  // MM/DD/YYYY
  kDateDMYSlash = 0x22,  // DD/MM/YYYY
  kDateYMDSlash = 0x33,  // YYYY/MM/DD
  kDateYMDDash = 0x44,   // YYYY-MM-DD
  kDateYMDDot = 0x55,    // YYYY.MM.DD
  kDateDMYDot = 0x66,    // DD.MM.YYYY
  kDateMDYDot = 0x77,    // MM.DD.YYYY
};

std::string FormatDate(uint32_t formatId, int year, int month, int day);
// The same in a buffer: the text is the view returned. For callers that
// print a date on every row.
using DateText = std::array<char, 48>;
std::string_view FormatDate(DateText& out, uint32_t formatId, int year, int month, int day);
// printf's "%0*d" of `value` with this width, appended.
void AppendZeroPadded(std::string& out, int value, int width);
inline std::string FormatDate(uint32_t formatId, const Date& d) { return FormatDate(formatId, d.year, d.month, d.day); }

// "Mon, 07 Dec 2026 02:17:42 +0100": the clock's local time and zone,
// English names whatever the locale.
std::string FormatMailDate(Clock& clock);

// Difference of the years, else of the months, else of the days.
int CompareDates(int y1, int m1, int d1, int y2, int m2, int d2);
inline int CompareDates(const Date& a, const Date& b) { return CompareDates(a.year, a.month, a.day, b.year, b.month, b.day); }

// Gregorian calendar throughout.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
int DayOfWeek(int year, int month, int day);  // 0 = Sunday
int64_t DayNumber(int year, int month, int day);  // days since 1 January 1970
Date MakeDate(int year, int month, int day);  // fills in the day of week
Date AddDays(const Date& d, int days);        // either direction

// Week number, 1 upwards: the week holding 1 January is week 1.
int WeekOfYear(int year, int month, int day, int weekStartDay);
// The week (weekStartDay .. six days later) holding the date; the date's
// dayOfWeek must be set.
Period WeekContaining(const Date& date, int weekStartDay);
// The accounting month (monthStartDay .. the day before it a month later).
Period MonthPeriodContaining(const Date& date, int monthStartDay);
// N - 1 days before the date (N = 1 gives the date itself), never before
// 1 January of year 1.
Date LastDaysStart(const Date& date, int n);
Period LastDaysRange(const Date& date, int n);

}  // namespace qm
