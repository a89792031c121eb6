// Time of each report over ten years of sixteen adapters against its floor,
// a plain read of the same file in 64 KiB blocks, for the native tree and
// under Wine alike (Google Benchmark is not available for MinGW). Batches
// of the floor and of each report alternate, so that all see the same load
// of the machine; printed are the medians over the batches of the time of
// one call and of each batch's ratio to the floor.
//   report_timing [batches [calls-per-batch]]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/reports/bench_history.h"
#include "reports/report_file.h"

namespace qm {
namespace {

double Milliseconds(const std::function<void()>& step, int count) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) step();
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return took.count() / count;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

int64_t ReadPlainly(const std::string& path) {
  static std::vector<char> block(65536);
  auto f = SystemFileSystem().Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  int64_t total = 0;
  if (f)
    for (int64_t n; (n = f->Read(block.data(), block.size())) > 0;) total += n;
  return total;
}

struct Measured {
  const char* name;
  ReportKind kind;
  ReportForm form;
  std::vector<double> ms, ratios;
  size_t bytes = 0;
};

}  // namespace
}  // namespace qm

int main(int argc, char** argv) {
  using namespace qm;
  const int batches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int calls = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::string path = "report_timing_history.log";
  if (!bench::WriteBenchHistory(path)) {
    std::printf("cannot write %s\n", path.c_str());
    return 1;
  }
  std::vector<Measured> reports = {
      {"daily text", ReportKind::Daily, ReportForm::Text, {}, {}},
      {"daily HTML", ReportKind::Daily, ReportForm::Html, {}, {}},
      {"weekly text", ReportKind::Weekly, ReportForm::Text, {}, {}},
      {"monthly text", ReportKind::Monthly, ReportForm::Text, {}, {}},
      {"summary text", ReportKind::Summary, ReportForm::Text, {}, {}},
  };
  std::vector<double> floorMs;
  int64_t fileBytes = ReadPlainly(path);
  std::string text;
  for (int b = 0; b < batches; ++b) {
    const double floor = Milliseconds([&] { fileBytes = ReadPlainly(path); }, calls);
    floorMs.push_back(floor);
    for (Measured& m : reports) {
      const ReportRequest request = bench::BenchRequest(m.kind);
      const double t = Milliseconds([&] { BuildReport(SystemFileSystem(), path, request, m.form, text); }, calls);
      m.bytes = text.size();
      m.ms.push_back(t);
      m.ratios.push_back(t / floor);
    }
  }
  SystemFileSystem().Remove(path);
  std::printf("history %.1f MB, %d batches of %d calls\n", double(fileBytes) / 1e6, batches, calls);
  std::printf("%-28s %9s %9s\n", "", "ms", "ratio");
  std::printf("%-28s %9.3f %9.2f\n", "plain 64 KiB-block read", Median(floorMs), 1.0);
  for (const Measured& m : reports) {
    char label[64];
    std::snprintf(label, sizeof label, "%s (%zu bytes)", m.name, m.bytes);
    std::printf("%-28s %9.3f %9.2f\n", label, Median(m.ms), Median(m.ratios));
  }
  return 0;
}
