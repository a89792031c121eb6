#include "format/dates.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"

namespace qm {
// Days since 1 January 1970 in the proleptic Gregorian calendar, and back.
int64_t DayNumber(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

namespace {

Date FromDayNumber(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int d = int(doy - (153 * mp + 2) / 5 + 1);
  const int m = int(mp < 10 ? mp + 3 : mp - 9);
  const int y = int(yoe + era * 400 + (m <= 2));
  return MakeDate(y, m, d);
}

// Month 0 and 13 roll into the neighbouring years.
void NormalizeMonth(int& y, int& m) {
  if (m < 1) {
    m += 12;
    --y;
  } else if (m > 12) {
    m -= 12;
    ++y;
  }
}

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

bool Period::Contains(const Date& d) const { return CompareDates(d, first) >= 0 && CompareDates(d, last) <= 0; }

namespace {

// printf's "%0*d" of `value`, written backwards into the buffer that ends at
// `end`, which has room for the sign, ten digits and the zeros; its start.
char* ZeroPaddedText(char* end, int value, int width) {
  char* p = end;
  // Unsigned, so that the smallest int has a magnitude too.
  unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
  do {
    *--p = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  for (int zeros = width - int(end - p) - (value < 0 ? 1 : 0); zeros > 0; --zeros) *--p = '0';
  if (value < 0) *--p = '-';
  return p;
}

}  // namespace

std::string_view FormatDate(DateText& out, uint32_t formatId, int year, int month, int day) {
  // Three numbers in the order and with the separator of the format, each
  // as printf's "%02d" or "%04d".
  struct Field {
    int value;
    int width;
  };
  const Field y{year, 4}, m{month, 2}, d{day, 2};
  Field order[3] = {m, d, y};
  char sep = '/';
  switch (formatId) {
    case kDateMDYDot: sep = '.'; break;
    case kDateDMYSlash: order[0] = d, order[1] = m; break;
    case kDateDMYDot: order[0] = d, order[1] = m, sep = '.'; break;
    case kDateYMDSlash: order[0] = y, order[1] = m, order[2] = d; break;
    case kDateYMDDash: order[0] = y, order[1] = m, order[2] = d, sep = '-'; break;
    case kDateYMDDot: order[0] = y, order[1] = m, order[2] = d, sep = '.'; break;
    default: break;
  }
  // Reports print a date on every row: when every number has just its
  // width of digits, as nearly all dates do, they go two digits at a time.
  if (year >= 1000 && year <= 9999 && month >= 0 && month <= 99 && day >= 0 && day <= 99) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char* p = out.data();
    auto pair = [&p](int value) {
      *p++ = kPairs[2 * value];
      *p++ = kPairs[2 * value + 1];
    };
    for (int i = 0; i < 3; ++i) {
      if (i > 0) *p++ = sep;
      if (order[i].width == 4) pair(order[i].value / 100);
      pair(order[i].width == 4 ? order[i].value % 100 : order[i].value);
    }
    return std::string_view(out.data(), size_t(p - out.data()));
  }
  // Others are put together last field first.
  char* const end = out.data() + out.size();
  char* p = ZeroPaddedText(end, order[2].value, order[2].width);
  *--p = sep;
  p = ZeroPaddedText(p, order[1].value, order[1].width);
  *--p = sep;
  p = ZeroPaddedText(p, order[0].value, order[0].width);
  return std::string_view(p, size_t(end - p));
}

std::string FormatDate(uint32_t formatId, int year, int month, int day) {
  DateText text;
  return std::string(FormatDate(text, formatId, year, month, day));
}

void AppendZeroPadded(std::string& out, int value, int width) {
  char text[16];  // a sign and ten digits
  char* const end = text + sizeof text;
  const char* p = ZeroPaddedText(end, value, 0);
  const int zeros = width - int(end - p);
  if (value < 0) out += *p++;  // the sign goes before the zeros
  if (zeros > 0) out.append(size_t(zeros), '0');
  out.append(p, size_t(end - p));
}

std::string FormatMailDate(Clock& clock) {
  const LocalTime t = clock.Now();
  const int32_t bias = clock.Zone().BiasInEffect();
  const int magnitude = std::abs(bias);
  char buf[160];
  // Names are English whatever the locale: mail headers are not translated.
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d", kDayNames[t.dayOfWeek % 7], t.day,
                kMonthNames[(t.month >= 1 && t.month <= 12) ? t.month - 1 : 0], t.year, t.hour, t.minute, t.second,
                bias < 0 ? '+' : '-', magnitude / 60, magnitude % 60);
  return buf;
}

int CompareDates(int y1, int m1, int d1, int y2, int m2, int d2) {
  if (y1 != y2) return y1 - y2;
  if (m1 != m2) return m1 - m2;
  return d1 - d2;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  switch (month) {
    case 4: case 6: case 9: case 11: return 30;
    case 2: return IsLeapYear(year) ? 29 : 28;
    default: return 31;
  }
}

int DayOfWeek(int year, int month, int day) {
  // 1 January 1970 was a Thursday.
  int64_t n = DayNumber(year, month, day);
  return int(((n % 7) + 7 + 4) % 7);
}

Date MakeDate(int year, int month, int day) {
  Date d;
  d.year = uint16_t(year);
  d.month = uint16_t(month);
  d.day = uint16_t(day);
  d.dayOfWeek = uint16_t(DayOfWeek(year, month, day));
  return d;
}

Date AddDays(const Date& d, int days) { return FromDayNumber(DayNumber(d.year, d.month, d.day) + days); }

int WeekOfYear(int year, int month, int day, int weekStartDay) {
  const int64_t d = DayNumber(year, month, day) - DayNumber(year, 1, 1) + 1;
  const int j = DayOfWeek(year, 1, 1);
  const int k = ((weekStartDay - j) % 7 + 7) % 7;
  const int64_t e = d - k;
  const int64_t full = e <= 0 ? 0 : (e + 6) / 7;
  return int((k != 0 ? 1 : 0) + full);
}

Period WeekContaining(const Date& date, int weekStartDay) {
  const int back = ((int(date.dayOfWeek) - weekStartDay) % 7 + 7) % 7;
  Period p;
  p.first = AddDays(date, -back);
  p.last = AddDays(p.first, 6);
  return p;
}

Period MonthPeriodContaining(const Date& date, int monthStartDay) {
  // A start day out of range counts as 1, as the option check reads it.
  const int s = monthStartDay >= 1 && monthStartDay <= 31 ? monthStartDay : 1;
  const bool inThisMonth = date.day >= s;
  int fy = date.year, fm = inThisMonth ? date.month : date.month - 1;
  NormalizeMonth(fy, fm);
  int ly = date.year, lm = inThisMonth ? date.month + 1 : date.month, ld = s - 1;
  NormalizeMonth(ly, lm);
  if (ld == 0) {
    // Start day 1: the period ends on the last day of the month before.
    --lm;
    NormalizeMonth(ly, lm);
    ld = 31;
  }
  Period p;
  if (s > DaysInMonth(fy, fm)) {
    ++fm;
    NormalizeMonth(fy, fm);
    p.first = MakeDate(fy, fm, 1);
  } else {
    p.first = MakeDate(fy, fm, s);
  }
  if (ld > DaysInMonth(ly, lm)) ld = DaysInMonth(ly, lm);
  p.last = MakeDate(ly, lm, ld);
  return p;
}

Date LastDaysStart(const Date& date, int n) {
  // A window longer than the calendar reaches back (a stray stored count)
  // starts on 1 January of year 1 instead of wrapping the 16-bit year to a
  // date after today, so it still holds every past day.
  const int64_t first = DayNumber(1, 1, 1);
  const int64_t start = DayNumber(date.year, date.month, date.day) - (n > 1 ? int64_t(n) - 1 : 0);
  return FromDayNumber(start < first ? first : start);
}

Period LastDaysRange(const Date& date, int n) {
  return Period{LastDaysStart(date, n), MakeDate(date.year, date.month, date.day)};
}

}  // namespace qm
