#include <ctime>

#include <chrono>

#include "platform/clock.h"

namespace qm {
namespace {

class PosixClock : public Clock {
 public:
  LocalTime Now() override {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return LocalTime{uint16_t(tm.tm_year + 1900), uint16_t(tm.tm_mon + 1), uint16_t(tm.tm_wday), uint16_t(tm.tm_mday),
                     uint16_t(tm.tm_hour), uint16_t(tm.tm_min), uint16_t(tm.tm_sec), uint16_t(ms)};
  }
  TimeZoneState Zone() override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    // tm_gmtoff is seconds east of UTC; the bias counts the other way.
    return TimeZoneState{int32_t(-tm.tm_gmtoff / 60), 0, false};
  }
  uint64_t TickMs() override {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
  }
};

}  // namespace

Clock& SystemClock() {
  static PosixClock clock;
  return clock;
}

}  // namespace qm
