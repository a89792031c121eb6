#include <windows.h>

#include "platform/clock.h"

namespace qm {
namespace {

class Win32Clock : public Clock {
 public:
  LocalTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  }
  TimeZoneState Zone() override {
    TIME_ZONE_INFORMATION tzi{};
    DWORD id = GetTimeZoneInformation(&tzi);
    return TimeZoneState{int32_t(tzi.Bias), int32_t(tzi.DaylightBias), id == TIME_ZONE_ID_DAYLIGHT};
  }
  uint64_t TickMs() override { return GetTickCount64(); }
};

}  // namespace

Clock& SystemClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace qm
