// Wall time of the Win32 adapter source per tick under Wine (Google
// Benchmark is not available for MinGW): the adapter list with a size query
// on every call against the list into the buffer kept from the last tick,
// the counters of every adapter (64-bit and 32-bit), and a whole engine tick;
// each figure is the best of five batches.
//   adapter_source_timing.exe [rounds]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "engine/traffic_engine.h"
#include "tests/fakes/memory_settings_store.h"
#include "tests/fakes/settable_clock.h"
#include "platform/win32/win32_adapter_source.h"

namespace {

// The best of five batches: other work on the machine only ever adds time.
double Milliseconds(const std::function<void()>& step, int rounds) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  step();  // warm up
  const int batch = rounds / 5 > 0 ? rounds / 5 : 1;
  double best = 1e30;
  for (int k = 0; k < 5; ++k) {
    QueryPerformanceCounter(&a);
    for (int i = 0; i < batch; ++i) step();
    QueryPerformanceCounter(&b);
    double ms = double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart) / batch;
    if (ms < best) best = ms;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 50;
  qm::Win32AdapterSourceOptions query, narrow;
  query.alwaysQuerySize = true;
  narrow.narrowCountersOnly = true;
  auto kept = qm::OpenSystemAdapterSource();
  auto queried = qm::OpenSystemAdapterSource(query);
  auto narrowSource = qm::OpenSystemAdapterSource(narrow);
  if (!kept || !queried || !narrowSource) {
    std::printf("the IP support library or one of its functions is missing\n");
    return 1;
  }
  std::vector<qm::SystemAdapter> adapters;
  if (!kept->ListAdapters(adapters)) return 1;
  std::printf("adapters: %zu, rounds: %d\n", adapters.size(), rounds);

  auto readAll = [&](qm::AdapterSource& s) {
    qm::InterfaceCounters c;
    for (const auto& a : adapters) s.ReadCounters(a.index, c);
  };
  std::vector<qm::SystemAdapter> list;
  double listQuery = Milliseconds([&] { queried->ListAdapters(list); }, rounds);
  double listKept = Milliseconds([&] { kept->ListAdapters(list); }, rounds);
  double countersWide = Milliseconds([&] { readAll(*kept); }, rounds);
  double countersNarrow = Milliseconds([&] { readAll(*narrowSource); }, rounds);
  std::printf("list, size query + fill:     %7.3f ms\n", listQuery);
  std::printf("list, kept buffer:           %7.3f ms\n", listKept);
  std::printf("counters, GetIfEntry2 (all): %7.3f ms\n", countersWide);
  std::printf("counters, GetIfEntry (all):  %7.3f ms\n", countersNarrow);

  qm::MemorySettingsStore store;
  qm::SettableClock clock;
  for (auto* source : {queried.get(), kept.get()}) {
    qm::TrafficEngine engine(qm::EngineVariant::Desktop, *source, store, qm::SystemFileSystem(), clock);
    engine.LoadAdapterList();
    double tick = Milliseconds([&] { engine.SampleTick(); }, rounds);
    std::printf("engine tick, %s: %7.3f ms\n", source == kept.get() ? "kept buffer   " : "size query    ", tick);
  }
  return 0;
}
