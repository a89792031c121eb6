#include "format/cell_compare.h"

#include <cstdlib>
#include <string>

#include "format/dates.h"
#include "platform/ascii_case.h"

namespace qm {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A leading whole number (sign allowed); 0 when there is none.
int64_t LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  // Long digit runs stop growing rather than overflow.
  for (; i < text.size() && IsDigit(text[i]); ++i)
    if (value < INT64_MAX / 10 - 10) value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

int Sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }
int Sign(int64_t d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

char Separator(uint32_t dateFormat) {
  switch (dateFormat) {
    case kDateMDYDot: case kDateDMYDot: case kDateYMDDot: return '.';
    case kDateYMDDash: return '-';
    default: return '/';
  }
}

// Year, month and day as a sortable key; false for a cell that does not
// hold two separators.
bool DateKey(std::string_view text, uint32_t dateFormat, int64_t& key) {
  const char sep = Separator(dateFormat);
  const size_t a = text.find(sep);
  if (a == std::string_view::npos) return false;
  const size_t b = text.find(sep, a + 1);
  if (b == std::string_view::npos) return false;
  const int64_t n[3] = {LeadingNumber(text.substr(0, a)), LeadingNumber(text.substr(a + 1, b - a - 1)),
                        LeadingNumber(text.substr(b + 1))};
  int64_t y, m, d;
  switch (dateFormat) {
    case kDateDMYSlash: case kDateDMYDot: d = n[0], m = n[1], y = n[2]; break;
    case kDateYMDSlash: case kDateYMDDash: case kDateYMDDot: y = n[0], m = n[1], d = n[2]; break;
    default: m = n[0], d = n[1], y = n[2]; break;
  }
  key = (y * 100 + m) * 100 + d;
  return true;
}

}  // namespace

double AmountValue(std::string_view text) {
  const std::string s(text);
  char* end = nullptr;
  double value = std::strtod(s.c_str(), &end);
  if (end == s.c_str()) return 0;
  while (*end && IsSpace(*end)) ++end;
  switch (AsciiUpper(*end)) {
    case 'K': value *= 1024.0; break;
    case 'M': value *= 1048576.0; break;
    case 'G': value *= 1073741824.0; break;
    case 'T': value *= 1099511627776.0; break;
    default: break;
  }
  return value;
}

int CompareCells(CellKind kind, std::string_view a, std::string_view b, uint32_t dateFormat) {
  switch (kind) {
    case CellKind::Number:
      return Sign(LeadingNumber(a) - LeadingNumber(b));
    case CellKind::Amount:
      return Sign(AmountValue(a) - AmountValue(b));
    case CellKind::Date: {
      int64_t ka = 0, kb = 0;
      if (!DateKey(a, dateFormat, ka) || !DateKey(b, dateFormat, kb)) return 0;
      return Sign(ka - kb);
    }
    case CellKind::Text:
      break;
  }
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace qm
