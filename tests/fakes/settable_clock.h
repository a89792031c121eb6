#pragma once
// A clock for tests: the time is whatever the test sets.

#include "platform/clock.h"

namespace qm {

class SettableClock : public Clock {
 public:
  LocalTime Now() override { return now; }
  TimeZoneState Zone() override { return zone; }
  uint64_t TickMs() override { return tick_ms; }

  LocalTime now{2026, 1, 4, 1, 12, 0, 0, 0};  // Thursday, 1 January 2026, noon
  TimeZoneState zone{};
  uint64_t tick_ms = 0;
};

}  // namespace qm
