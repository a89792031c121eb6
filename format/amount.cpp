#include "format/amount.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qm {
namespace {

// One unit of a table: values from `from` up to the next unit's `from`
// print with `format`, scaled by `factor`. Below the first unit the value
// prints whole.
struct Row {
  uint64_t from;
  const char* format;
  double factor;
};

// The text of `format` for `value` into `out`; its length. The formats of
// the tables below, "%.1f" or "%.2f" then a plain suffix, are written here
// straight into the buffer: reports print three amounts on every row.
size_t Print(AmountText& out, const char* format, double value) {
  const bool fixed = format[0] == '%' && format[1] == '.' && format[3] == 'f';
  const int decimals = !fixed ? 0 : format[2] == '1' ? 1 : format[2] == '2' ? 2 : 0;
  if (decimals != 0) {
    if (char* p = WriteFixed(out.data(), value, decimals)) {
      // The suffix as it is, unless it holds a conversion of its own.
      const char* suffix = format + 4;
      char* const end = out.data() + out.size() - 1;
      while (*suffix && *suffix != '%' && p < end) *p++ = *suffix++;
      if (*suffix == '\0') return size_t(p - out.data());
    }
  }
  const int n = std::snprintf(out.data(), out.size(), format, value);
  return n < 0 ? 0 : std::min(size_t(n), out.size() - 1);
}

size_t PrintWhole(AmountText& out, const char* format, unsigned long long value) {
  const int n = std::snprintf(out.data(), out.size(), format, value);
  return n < 0 ? 0 : std::min(size_t(n), out.size() - 1);
}

std::string Print(const char* format, double value) {
  AmountText text;
  return std::string(text.data(), Print(text, format, value));
}

std::string PrintWhole(const char* format, unsigned long long value) {
  AmountText text;
  return std::string(text.data(), PrintWhole(text, format, value));
}

// Both amount formatters share the bounds and factors; only the texts
// differ. The product is formed in extended precision, then printed as a
// double. Amounts are unsigned: a count of 2^63 bytes or more is a large
// number, never a negative one.
size_t FormatWithRows(AmountText& out, uint64_t value, const char* first, const Row (&rows)[4]) {
  if (value < rows[0].from) return PrintWhole(out, first, static_cast<unsigned long long>(value));
  for (int i = 0; i < 3; ++i)
    if (value < rows[i + 1].from)
      return Print(out, rows[i].format, double(static_cast<long double>(value) * rows[i].factor));
  return Print(out, rows[3].format, double(static_cast<long double>(value) * rows[3].factor));
}

std::string FormatWithRows(uint64_t value, const char* first, const Row (&rows)[4]) {
  AmountText text;
  return std::string(text.data(), FormatWithRows(text, value, first, rows));
}

constexpr double kKilo = 1.0 / 1024, kMega = 1.0 / (1024.0 * 1024), kGiga = kMega / 1024, kTera = kGiga / 1024;

const Row kByteRows[4] = {{1000, "%.1f KB", kKilo}, {1024000, "%.2f MB", kMega}, {1048576000, "%.2f GB", kGiga},
                          {1073741824000ULL, "%.2f TB", kTera}};
const Row kBitRows[4] = {{1000, "%.1f kb", 0.001}, {1000000, "%.2f mb", 1e-6}, {1000000000, "%.2f gb", 1e-9},
                         {1000000000000ULL, "%.2f tb", 1e-12}};
const Row kShortByteRows[4] = {{1000, "%.1fK", kKilo}, {1024000, "%.2fM", kMega}, {1048576000, "%.2fG", kGiga},
                               {1073741824000ULL, "%.2fT", kTera}};
const Row kShortBitRows[4] = {{1000, "%.1fk", 0.001}, {1000000, "%.2fm", 1e-6}, {1000000000, "%.2fg", 1e-9},
                              {1000000000000ULL, "%.2ft", 1e-12}};

// The text of `scaled` / 10 or / 100 with that many decimals, written
// forward from `out`; its end.
char* WriteScaled(char* out, uint64_t scaled, int decimals) {
  // Divisions by constants, not by a variable: they become multiplications.
  const uint64_t whole = decimals == 1 ? scaled / 10 : scaled / 100;
  const unsigned part = unsigned(decimals == 1 ? scaled % 10 : scaled % 100);
  // The whole part two digits at a time, from its last digit back.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  // Amounts change unit before four digits, but for the largest.
  int digits = whole < 10 ? 1 : whole < 100 ? 2 : whole < 1000 ? 3 : 4;
  for (uint64_t power = 10000; digits < 19 && whole >= power; power *= 10) ++digits;
  char* p = out + digits;
  uint64_t w = whole;
  while (w >= 100) {
    const unsigned pair = unsigned(w % 100);
    w /= 100;
    *--p = kPairs[2 * pair + 1];
    *--p = kPairs[2 * pair];
  }
  if (w >= 10) {
    *--p = kPairs[2 * w + 1];
    *--p = kPairs[2 * w];
  } else {
    *--p = char('0' + w);
  }
  p = out + digits;
  *p++ = '.';
  if (decimals == 2) *p++ = char('0' + part / 10);
  *p++ = char('0' + part % 10);
  return p;
}

// A count below 1000 as printf's "%llu" writes it.
char* WriteWhole(char* out, uint64_t value) {
  if (value >= 100) *out++ = char('0' + value / 100);
  if (value >= 10) *out++ = char('0' + value / 10 % 10);
  *out++ = char('0' + value % 10);
  return out;
}

// product / 2^shift rounded half to even, for 0 < shift < 64.
uint64_t ShiftRounded(uint64_t product, int shift) {
  uint64_t scaled = product >> shift;
  const uint64_t rest = product & ((1ull << shift) - 1), half = 1ull << (shift - 1);
  if (rest > half || (rest == half && (scaled & 1))) ++scaled;
  return scaled;
}

}  // namespace

// The exact binary value scaled by 10 or 100 and rounded half to even, as
// printf rounds on both platforms. Reports print thousands of amounts, and
// printf's general machinery was most of their time.
char* WriteFixed(char* out, double value, int decimals) {
  if (!(value >= 0.0 && value < 4503599627370496.0)) return nullptr;
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = int(bits >> 52);
  const uint64_t fraction = bits & ((1ull << 52) - 1);
  const uint64_t mantissa = biased == 0 ? fraction : fraction | (1ull << 52);
  const int shift = biased == 0 ? 1074 : 1075 - biased;  // value = mantissa / 2^shift
  const uint64_t product = mantissa * (decimals == 1 ? 10 : 100);  // below 2^60
  uint64_t scaled;
  if (shift <= 0) {
    scaled = product << -shift;  // whole: value < 2^52
  } else if (shift >= 64) {
    scaled = 0;  // below half a unit of the last digit
  } else {
    scaled = ShiftRounded(product, shift);
  }
  return WriteScaled(out, scaled, decimals);
}

bool AppendFixed(std::string& out, double value, int decimals) {
  char text[32];
  const char* end = WriteFixed(text, value, decimals);
  if (end == nullptr) return false;
  out.append(text, size_t(end - text));
  return true;
}

size_t FormatAmount(AmountText& out, uint64_t bytes, bool byteUnits) {
  // Byte amounts as the table prints them, without parsing its formats on
  // every call: reports print three on every row. From the kilobyte row on
  // the value is the count over a power of two, exact as a double below
  // 2^53, so rounding that fraction in integers rounds what printf rounds.
  if (byteUnits && bytes < (1ull << 53)) {
    char* p = out.data();
    const char* unit = "B";
    if (bytes < kByteRows[0].from) {
      p = WriteWhole(p, bytes);
    } else {
      static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
      int row = 0;
      while (row < 3 && bytes >= kByteRows[row + 1].from) ++row;
      const int decimals = row == 0 ? 1 : 2;
      p = WriteScaled(p, ShiftRounded(bytes * (decimals == 1 ? 10 : 100), 10 * (row + 1)), decimals);
      unit = kUnits[row];
    }
    *p++ = ' ';
    while (*unit) *p++ = *unit++;
    return size_t(p - out.data());
  }
  if (byteUnits) return FormatWithRows(out, bytes, "%llu B", kByteRows);
  return FormatWithRows(out, BytesToBits(bytes), "%llu b", kBitRows);
}

std::string FormatAmount(uint64_t bytes, bool byteUnits) {
  if (byteUnits) return FormatWithRows(bytes, "%llu B", kByteRows);
  return FormatWithRows(BytesToBits(bytes), "%llu b", kBitRows);
}

std::string FormatShortAmount(uint64_t bytes, bool byteUnits) {
  if (byteUnits) return FormatWithRows(bytes, "%llu", kShortByteRows);
  return FormatWithRows(BytesToBits(bytes), "%llu", kShortBitRows);
}

std::string FormatRate(uint32_t rate, bool byteUnits) {
  // Rates use single-precision factors.
  if (byteUnits) {
    if (rate < 1000) return PrintWhole("%llu B/s", rate);
    // Two decimals below 10 whole units, one from there on.
    auto scaled = [rate](float factor, uint32_t unitMask, uint64_t ten, const char* two, const char* one) {
      bool small = (rate & ~unitMask) < ten;
      return Print(small ? two : one, double(static_cast<long double>(rate) * factor));
    };
    if (rate < 1023948u) return scaled(1.0f / 1024, 1023u, 10240u, "%.2f KB/s", "%.1f KB/s");
    if (rate < 1048523571u) return scaled(1.0f / 1048576, 0xFFFFFu, 10485760u, "%.2f MB/s", "%.1f MB/s");
    return scaled(1.0f / 1073741824, 0x3FFFFFFFu, 10737418240ull, "%.2f GB/s", "%.1f GB/s");
  }
  // The bit count is formed in 64 bits: from 2^29 bytes per second on, a
  // 32-bit product would wrap and print a small, wrong rate.
  uint64_t b = uint64_t(rate) * 8u;
  if (b < 1000) return PrintWhole("%llu bps", b);
  auto scaled = [b](float factor, uint64_t unit, const char* two, const char* one) {
    return Print(b / unit < 10 ? two : one, double(static_cast<long double>(b) * factor));
  };
  if (b < 999950u) return scaled(0.001f, 1000u, "%.2f kbps", "%.1f kbps");
  if (b < 999950000u) return scaled(1e-6f, 1000000u, "%.2f mbps", "%.1f mbps");
  return scaled(1e-9f, 1000000000u, "%.2f gbps", "%.1f gbps");
}

}  // namespace qm
