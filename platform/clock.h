#pragma once
// Local date and time, the time zone in effect, and a monotonic counter.

#include <cstdint>

namespace qm {

// Laid out like the platform's SYSTEMTIME.
struct LocalTime {
  uint16_t year = 0;
  uint16_t month = 0;      // 1..12
  uint16_t dayOfWeek = 0;  // 0 = Sunday
  uint16_t day = 0;        // 1..31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

// Minutes, with UTC = local time + bias.
struct TimeZoneState {
  int32_t bias = 0;
  int32_t daylightBias = 0;
  bool daylight = false;  // daylight saving time is in effect now

  int32_t BiasInEffect() const { return bias + (daylight ? daylightBias : 0); }
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  virtual TimeZoneState Zone() = 0;
  // Milliseconds from an arbitrary start; never goes backwards.
  virtual uint64_t TickMs() = 0;
};

// The system clock: Win32 local time and time-zone information, or the C
// library's on POSIX.
Clock& SystemClock();

}  // namespace qm
