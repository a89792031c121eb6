// Wall time of the traffic engine's tick under Wine against its floor, the
// literal pattern of reading everything every second: GetAdaptersInfo twice
// (size, then the list) and GetIfEntry for every adapter. Google Benchmark
// is not available for MinGW. Batches of the two alternate, so that both
// see the same load of the machine; printed are the medians of the batches
// and the best batches (other work on the machine only ever adds time), with
// the ratio of each. Timed beside them are the system calls no tick can do
// without: the counter table alone, and with the address table that shows
// a changed address where the system does not notify of it.
//   adapter_source_timing.exe [batches [ticks-per-batch]]

#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "engine/traffic_engine.h"
#include "platform/win32/win32_adapter_source.h"
#include "tests/fakes/memory_settings_store.h"
#include "tests/fakes/settable_clock.h"

namespace {

double Milliseconds(const std::function<void()>& step, int count) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  for (int i = 0; i < count; ++i) step();
  QueryPerformanceCounter(&b);
  return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart) / count;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

// What a tick did before any of this was made lean.
class LiteralPattern {
 public:
  void Tick() {
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW) return;
    std::vector<unsigned long long> buffer((size + 7) / 8);
    auto* list = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (GetAdaptersInfo(list, &size) != NO_ERROR) return;
    for (const IP_ADAPTER_INFO* p = list; p; p = p->Next) {
      MIB_IFROW row{};
      row.dwIndex = p->Index;
      if (GetIfEntry(&row) == NO_ERROR) sum_ += row.dwInOctets;
    }
  }
  unsigned long long sum_ = 0;
};

void ReadCounterTable() {
  MIB_IF_TABLE2* table = nullptr;
  if (GetIfTable2(&table) == NO_ERROR) FreeMibTable(table);
}

void ReadAddressTable() {
  static unsigned long long buffer[2048];
  ULONG size = sizeof buffer;
  GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(buffer), &size, FALSE);
}

// Counts what the engine asks of the system.
class CountingSource : public qm::AdapterSource {
 public:
  explicit CountingSource(qm::AdapterSource& inner) : inner_(inner) {}
  bool ListAdapters(std::vector<qm::SystemAdapter>& out) override {
    ++lists;
    return inner_.ListAdapters(out);
  }
  bool ReadCounters(uint32_t index, qm::InterfaceCounters& out) override {
    ++rows;
    return inner_.ReadCounters(index, out);
  }
  bool ReadCounterTable(std::vector<qm::IndexedCounters>& out) override {
    ++tables;
    return inner_.ReadCounterTable(out);
  }
  bool AdaptersMayHaveChanged() override { return inner_.AdaptersMayHaveChanged(); }
  long lists = 0, rows = 0, tables = 0;

 private:
  qm::AdapterSource& inner_;
};

}  // namespace

int main(int argc, char** argv) {
  const int batches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int ticks = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  auto source = qm::OpenSystemAdapterSource();
  if (!source) {
    std::printf("the IP support library or one of its functions is missing\n");
    return 1;
  }
  std::vector<qm::SystemAdapter> adapters;
  if (!source->ListAdapters(adapters)) return 1;
  int idle = 0;
  for (const auto& a : adapters) {
    qm::InterfaceCounters c;
    if (source->ReadCounters(a.index, c) && c.received == 0 && c.sent == 0) ++idle;
  }

  qm::MemorySettingsStore store;
  qm::SettableClock clock;  // stays in one four-minute block: no file access
  CountingSource counting(*source);
  qm::TrafficEngine engine(qm::EngineVariant::Desktop, counting, store, qm::SystemFileSystem(), clock);
  engine.LoadAdapterList();
  LiteralPattern pattern;
  engine.SampleTick();  // the first reading of the list
  pattern.Tick();
  counting.lists = counting.rows = counting.tables = 0;

  std::vector<double> tickMs, patternMs, ratios, tableRatios, bothRatios;
  for (int b = 0; b < batches; ++b) {
    const double p = Milliseconds([&] { pattern.Tick(); }, ticks);
    const double t = Milliseconds([&] { engine.SampleTick(); }, ticks);
    const double table = Milliseconds(ReadCounterTable, ticks);
    const double both = Milliseconds([] {
      ReadCounterTable();
      ReadAddressTable();
    }, ticks);
    patternMs.push_back(p);
    tickMs.push_back(t);
    ratios.push_back(t / p);
    tableRatios.push_back(table / p);
    bothRatios.push_back(both / p);
  }
  std::printf("adapters %zu (reading zero: %d), %d batches of %d ticks\n", adapters.size(), idle, batches, ticks);
  const double bestTick = *std::min_element(tickMs.begin(), tickMs.end());
  const double bestPattern = *std::min_element(patternMs.begin(), patternMs.end());
  std::printf("                  median     best\n");
  std::printf("literal pattern   %7.3f  %7.3f ms\n", Median(patternMs), bestPattern);
  std::printf("engine tick       %7.3f  %7.3f ms\n", Median(tickMs), bestTick);
  std::printf("tick / pattern    %7.2f  %7.2f\n", Median(ratios), bestTick / bestPattern);
  std::printf("counter table alone / pattern          %7.2f\n", Median(tableRatios));
  std::printf("counter and address tables / pattern   %7.2f\n", Median(bothRatios));
  const double n = double(batches) * ticks;
  std::printf("per tick: %.2f counter tables, %.2f lists, %.2f interface rows\n", counting.tables / n,
              counting.lists / n, counting.rows / n);
  return 0;
}
