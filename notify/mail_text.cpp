#include "notify/mail_text.h"

#include <climits>
#include <cstdint>

namespace qm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<char*> SplitList(char* text, char separator) {
  std::vector<char*> items;
  if (text == nullptr || *text == '\0' || separator == '\0') return items;
  char* p = text;
  for (;;) {
    char* start = p;
    while (*p != '\0' && *p != separator) ++p;
    bool last = *p == '\0';
    *p = '\0';
    // Blanks go on both sides of every item, the last one included: a
    // trailing blank would otherwise end up inside "RCPT TO: <...>".
    char* end = p;
    while (start < end && IsBlank(*start)) ++start;
    while (end > start && IsBlank(end[-1])) *--end = '\0';
    if (start < end) items.push_back(start);
    if (last) break;
    ++p;
  }
  return items;
}

bool IsValidEmailAddress(std::string_view text) {
  if (text.empty()) return false;
  bool seenAt = false;
  bool dotAfterAt = false;
  char previous = '\0';
  for (char c : text) {
    if (c == '@') {
      if (seenAt) return false;
      seenAt = true;
    } else if (c == '.' && seenAt) {
      if (previous == '@' || previous == '.') return false;
      dotAfterAt = true;
    }
    previous = c;
  }
  return dotAfterAt && previous != '.';
}

std::string Base64Encode(const void* bytes, size_t count) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const auto* p = static_cast<const uint8_t*>(bytes);
  std::string out;
  out.reserve((count + 2) / 3 * 4);
  for (size_t i = 0; i < count; i += 3) {
    uint32_t n = uint32_t(p[i]) << 16;
    if (i + 1 < count) n |= uint32_t(p[i + 1]) << 8;
    if (i + 2 < count) n |= p[i + 2];
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < count ? kAlphabet[(n >> 6) & 63] : '=';
    out += i + 2 < count ? kAlphabet[n & 63] : '=';
  }
  return out;
}

int ReplyCode(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  long long value = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    value = value * 10 + (line[i] - '0');
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;  // clamp instead of overflowing
  }
  return int(negative ? -value : value);
}

std::string DotStuff(std::string_view message) {
  std::string out;
  out.reserve(message.size() + message.size() / 64 + 1);
  bool lineStart = true;
  for (char c : message) {
    if (lineStart && c == '.') out += '.';
    out += c;
    lineStart = c == '\n';
  }
  return out;
}

}  // namespace qm
