#pragma once
// Small fixed-layout records stored as binary values: the platform's
// 60-byte logical font (LOGFONTA) and the meter window's rectangle. They
// are copied byte for byte, so the layouts are pinned here.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace qm {

// Field helpers: the text up to its terminator (never past the field), and
// a copy that cuts to the field and zero-fills the rest.
template <class C, size_t N>
std::basic_string<C> FieldText(const C (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n]) ++n;
  return std::basic_string<C>(field, n);
}
template <class C, size_t N>
void SetFieldText(C (&field)[N], const std::type_identity_t<std::basic_string<C>>& text) {
  size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (size_t i = 0; i < N; ++i) field[i] = i < n ? text[i] : C(0);
}

static_assert(std::endian::native == std::endian::little,
              "binary settings are little-endian and are read by copying bytes");

// Natural alignment gives exactly the stored layouts (pinned below), so the
// records need no packing and their fields can be used anywhere.
// Same bytes as LOGFONTA; the Win32 side copies it into one.
struct LogFontRecord {
  int32_t lfHeight;
  int32_t lfWidth;
  int32_t lfEscapement;
  int32_t lfOrientation;
  int32_t lfWeight;
  uint8_t lfItalic;
  uint8_t lfUnderline;
  uint8_t lfStrikeOut;
  uint8_t lfCharSet;
  uint8_t lfOutPrecision;
  uint8_t lfClipPrecision;
  uint8_t lfQuality;
  uint8_t lfPitchAndFamily;
  char lfFaceName[32];  // always NUL-terminated after reading

  std::string FaceName() const { return FieldText(lfFaceName); }
  void SetFaceName(const std::string& name) { SetFieldText(lfFaceName, name); }
};

// The meter window's rectangle in screen coordinates.
struct WndPosition {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

static_assert(sizeof(LogFontRecord) == 60);
static_assert(offsetof(LogFontRecord, lfWeight) == 16);
static_assert(offsetof(LogFontRecord, lfItalic) == 20);
static_assert(offsetof(LogFontRecord, lfCharSet) == 23);
static_assert(offsetof(LogFontRecord, lfPitchAndFamily) == 27);
static_assert(offsetof(LogFontRecord, lfFaceName) == 28);
static_assert(sizeof(WndPosition) == 16);
static_assert(offsetof(WndPosition, bottom) == 12);

constexpr int32_t kFontWeightNormal = 400;
constexpr int32_t kFontWeightBold = 700;

// A zeroed font record with the given face, height and weight.
LogFontRecord MakeFont(const char* face, int32_t height, int32_t weight);

inline bool operator==(const LogFontRecord& a, const LogFontRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
inline bool operator==(const WndPosition& a, const WndPosition& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace qm
