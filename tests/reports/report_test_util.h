#pragma once
// Helpers shared by the report tests: day records in a few words, and the
// small history fixture with its golden files.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/day_record.h"
#include "format/dates.h"
#include "reports/report_types.h"

namespace qm::test {

inline constexpr char kAdapterA[] = "{00000002-0000-0000-0000-4E6574446576}";
inline constexpr char kAdapterB[] = "{00000003-0000-0000-0000-4E6574446576}";

inline DayRecord Day(int y, int m, int d, int32_t kind, const std::string& id, uint64_t down, uint64_t up) {
  LocalTime t;
  t.year = uint16_t(y);
  t.month = uint16_t(m);
  t.day = uint16_t(d);
  t.dayOfWeek = uint16_t(DayOfWeek(y, m, d));
  return MakeDayRecord(t, kind, id, down, up);
}

inline DayRecord AllDay(int y, int m, int d, uint64_t down, uint64_t up = 0) {
  return Day(y, m, d, kKindAllConnections, "", down, up);
}

inline std::string FixturePath(const std::string& name) { return std::string(QM_REPORTS_TEST_DIR) + "/" + name; }

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The parameters and subject behind the golden files.
inline constexpr char kGoldenName[] = "LAN <eth0> & \"Home\"";
inline ReportParams GoldenParams() {
  ReportParams p;
  p.dateFormat = kDateDMYDot;
  p.weekStartDay = 1;
  p.monthStartDay = 15;
  p.lastDays = 7;
  return p;
}
inline Date GoldenToday() { return MakeDate(2026, 1, 20); }

}  // namespace qm::test
