// All four reports over ten years of sixteen adapters (58,400 records,
// 17 MB), against a plain sequential read of the same file: a report
// should cost little more than reading the file once.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/reports/bench_history.h"
#include "reports/report_file.h"

namespace qm {
namespace {

using bench::AdapterId;

const std::string& HistoryPath() {
  static const std::string path = [] {
    const std::string p = "bench_reports_history.log";
    bench::WriteBenchHistory(p);
    return p;
  }();
  return path;
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
    BuildReport(SystemFileSystem(), HistoryPath(), bench::BenchRequest(kind), form, text);
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
      BuildReport(SystemFileSystem(), HistoryPath(), bench::BenchRequest(k), ReportForm::Text, text);
      benchmark::DoNotOptimize(text.data());
    }
  }
}
BENCHMARK(BM_AllFourReports)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm

BENCHMARK_MAIN();
