// All four reports over ten years of sixteen adapters (58,400 records,
// 17 MB), against a plain sequential read of the same file: a report
// should cost little more than reading the file once.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/day_record.h"
#include "reports/report_file.h"

namespace qm {
namespace {

constexpr int kDays = 3650;
constexpr int kRealAdapters = 14;  // plus All Connections and Dial-Up Connections

std::string AdapterId(int i) {
  char id[64];
  std::snprintf(id, sizeof id, "{%08X-0000-0000-0000-4E6574446576}", i + 2);
  return id;
}

const std::string& HistoryPath() {
  static const std::string path = [] {
    const std::string p = "bench_reports_history.log";
    FileSystem& fs = SystemFileSystem();
    auto f = fs.Open(p, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
    const HistoryHeader h = MakeHistoryHeader();
    f->Write(&h, sizeof h);
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
      f->Write(day.data(), day.size() * sizeof(DayRecord));
    }
    return p;
  }();
  return path;
}

ReportRequest Request(ReportKind kind) {
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

void BM_SequentialRead(benchmark::State& state) {
  FileSystem& fs = SystemFileSystem();
  std::vector<char> block(65416);
  for (auto _ : state) {
    auto f = fs.Open(HistoryPath(), FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
    int64_t total = 0;
    for (int64_t n; (n = f->Read(block.data(), block.size())) > 0;) total += n;
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_SequentialRead)->Unit(benchmark::kMillisecond);

void BM_Report(benchmark::State& state) {
  const ReportKind kind = ReportKind(state.range(0));
  const ReportForm form = ReportForm(state.range(1));
  std::string text;
  for (auto _ : state) {
    BuildReport(SystemFileSystem(), HistoryPath(), Request(kind), form, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_Report)
    ->ArgsProduct({{int(ReportKind::Daily), int(ReportKind::Weekly), int(ReportKind::Monthly), int(ReportKind::Summary)},
                   {int(ReportForm::Text), int(ReportForm::Html)}})
    ->Unit(benchmark::kMillisecond);

void BM_AllFourReports(benchmark::State& state) {
  std::string text;
  for (auto _ : state) {
    for (ReportKind k : {ReportKind::Daily, ReportKind::Weekly, ReportKind::Monthly, ReportKind::Summary}) {
      BuildReport(SystemFileSystem(), HistoryPath(), Request(k), ReportForm::Text, text);
      benchmark::DoNotOptimize(text.data());
    }
  }
}
BENCHMARK(BM_AllFourReports)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm

BENCHMARK_MAIN();
