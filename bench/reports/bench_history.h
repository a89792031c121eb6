#pragma once
// The history both report measurements use: ten years of sixteen adapters
// (All Connections, Dial-Up Connections and 14 adapters; 58,400 records,
// 17 MB), written once per run into the working folder, and the request
// of the reports measured on it.

#include <cstdio>
#include <string>
#include <vector>

#include "engine/day_record.h"
#include "format/dates.h"
#include "platform/file.h"
#include "reports/report_file.h"

namespace qm::bench {

constexpr int kDays = 3650;
constexpr int kRealAdapters = 14;

inline std::string AdapterId(int i) {
  char id[64];
  std::snprintf(id, sizeof id, "{%08X-0000-0000-0000-4E6574446576}", i + 2);
  return id;
}

inline bool WriteBenchHistory(const std::string& path) {
  auto f = SystemFileSystem().Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
  if (!f) return false;
  const HistoryHeader h = MakeHistoryHeader();
  if (!f->Write(&h, sizeof h)) return false;
  std::vector<DayRecord> day;
  Date d = MakeDate(2016, 1, 1);
  for (int n = 0; n < kDays; ++n, d = AddDays(d, 1)) {
    LocalTime t;
    t.year = d.year;
    t.month = d.month;
    t.day = d.day;
    t.dayOfWeek = d.dayOfWeek;
    day.clear();
    day.push_back(MakeDayRecord(t, kKindAllConnections, "", 1000000u * n, 50000u * n));
    day.push_back(MakeDayRecord(t, kKindDialUp, "", 0, 0));
    for (int a = 0; a < kRealAdapters; ++a)
      day.push_back(MakeDayRecord(t, kKindAdapter, AdapterId(a), 70000u * n + a, 3000u * n + a));
    if (!f->Write(day.data(), day.size() * sizeof(DayRecord))) return false;
  }
  return true;
}

// A report of the eighth adapter on 28 December 2025, weeks from Monday,
// months from the 15th.
inline ReportRequest BenchRequest(ReportKind kind) {
  ReportRequest r;
  r.kind = kind;
  r.subject = ReportSubject{kKindAdapter, AdapterId(7)};
  r.subjectName = "Ethernet";
  r.today = MakeDate(2025, 12, 28);
  r.live = Traffic{123456, 7890};
  r.params.weekStartDay = 1;
  r.params.monthStartDay = 15;
  return r;
}

}  // namespace qm::bench
