// Engine CPU per desktop tick on a scripted source, and loading today's
// totals from ten years of history against plain reads of the same file.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/traffic_engine.h"
#include "tests/fakes/memory_settings_store.h"
#include "tests/fakes/scripted_adapter_source.h"
#include "tests/fakes/settable_clock.h"

// Every allocation of the program is counted, for the allocations of a tick.
static std::atomic<uint64_t> allocations{0};

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace qm {
namespace {

std::string Guid(int n) {
  char text[64];
  std::snprintf(text, sizeof text, "{%08X-0000-0000-0000-4E6574446576}", n);
  return text;
}

void FillSource(ScriptedAdapterSource& source, int adapters) {
  for (int i = 1; i <= adapters; ++i) {
    SystemAdapter a;
    a.name = Guid(i);
    a.description = "eth" + std::to_string(i);
    a.index = uint32_t(i);
    a.type = i % 8 == 0 ? kIfTypePpp : kIfTypeEthernet;
    a.ipAddresses = {"198.51.100." + std::to_string(i)};
    source.adapters.push_back(a);
    source.counters[uint32_t(i)] = InterfaceCounters{0, 0, a.type, true};
  }
}

class CountingListener : public TickListener {
 public:
  void AddSample(AdapterRecord&, const RateSample& s) override { sum += s.download; }
  uint64_t sum = 0;
};

// One desktop tick: every adapter has a graph view and a full history, the
// clock stays inside one four-minute block (no file access), all counters move.
// `lean`: the source has a counter table and tells when its list changed.
void DesktopTick(benchmark::State& state, bool lean) {
  const int adapters = int(state.range(0));
  ScriptedAdapterSource source;
  FillSource(source, adapters);
  source.has_table = lean;
  source.tells_changes = lean;
  SettableClock clock;
  MemorySettingsStore store;
  CountingListener listener;
  TrafficEngine engine(EngineVariant::Desktop, source, store, SystemFileSystem(), clock);
  engine.set_listener(&listener);
  engine.LoadAdapterList();
  for (size_t i = 0; i < engine.adapters().size(); ++i) engine.adapters()[i].viewSlot = int(i);
  uint64_t step = 0;
  // Past the first reading of the list and past filling the histories.
  for (size_t i = 0; i < engine.options().historyLimit + 64; ++i) engine.SampleTick();
  const uint64_t allocatedBefore = allocations;
  for (auto _ : state) {
    ++step;
    for (auto& [index, c] : source.counters) {
      c.received += 1000 + index;
      c.sent += 100 + step % 7;
    }
    engine.SampleTick();
  }
  const uint64_t allocated = allocations - allocatedBefore;
  benchmark::DoNotOptimize(listener.sum);
  state.counters["allocs_per_adapter_tick"] = double(allocated) / double(state.iterations()) / adapters;
  state.SetLabel(std::to_string(adapters) + " adapters");
}
// The list read and every ID made again each tick, counters one by one.
void BM_DesktopTick(benchmark::State& state) { DesktopTick(state, false); }
BENCHMARK(BM_DesktopTick)->Arg(2)->Arg(16)->Arg(64);
// The steady state of a system with a counter table: no list, no ID.
void BM_DesktopTickTable(benchmark::State& state) { DesktopTick(state, true); }
BENCHMARK(BM_DesktopTickTable)->Arg(2)->Arg(16)->Arg(64);

// Ten years of 16 adapters (and the two pseudo adapters' records are left
// out to match the 58,400 records of the measurement): about 17 MB.
constexpr int kDays = 3650, kAdapters = 16;
const char kHistoryPath[] = "bench_history.log";

AdapterList& BenchList() {
  static AdapterList list = [] {
    AdapterList l;
    l.Append(MakePseudoAdapter(kKindAllConnections));
    l.Append(MakePseudoAdapter(kKindDialUp));
    for (int a = 1; a <= kAdapters; ++a) {
      AdapterRecord r;
      r.kind = kKindAdapter;
      r.id = Guid(a);
      l.Append(std::move(r));
    }
    return l;
  }();
  return list;
}

// The day after t (the bench needs distinct valid dates only).
LocalTime NextDay(LocalTime t) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int dim = days[t.month - 1] + (t.month == 2 && t.year % 4 == 0 ? 1 : 0);
  t.dayOfWeek = uint16_t((t.dayOfWeek + 1) % 7);
  if (++t.day > dim) {
    t.day = 1;
    if (++t.month > 12) t.month = 1, ++t.year;
  }
  return t;
}

const LocalTime kFirstDay{2016, 1, 5, 1, 12, 0, 0, 0};

LocalTime LastDay() {
  LocalTime t = kFirstDay;
  for (int d = 1; d < kDays; ++d) t = NextDay(t);
  return t;
}

void WriteHistoryOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  auto f = SystemFileSystem().Open(kHistoryPath, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
  HistoryHeader h = MakeHistoryHeader();
  f->Write(&h, sizeof h);
  std::vector<DayRecord> day;
  LocalTime t = kFirstDay;
  for (int d = 0; d < kDays; ++d) {
    day.clear();
    for (int a = 1; a <= kAdapters; ++a) day.push_back(MakeDayRecord(t, kKindAdapter, Guid(a), uint64_t(d) * a, a));
    f->Write(day.data(), day.size() * sizeof(DayRecord));
    t = NextDay(t);
  }
}

void BM_LoadDayTotals(benchmark::State& state) {
  WriteHistoryOnce();
  HistoryFile history(SystemFileSystem());
  history.Open(kHistoryPath);
  const LocalTime last = LastDay();
  for (auto _ : state) {
    history.LoadDayTotals(BenchList(), last);
    benchmark::DoNotOptimize(BenchList()[2].todayDownload);
  }
  // Adapter 1 of the last day: the totals were found.
  if (BenchList()[2].todayDownload != uint64_t(kDays - 1)) state.SkipWithError("today's record not found");
  state.SetBytesProcessed(int64_t(state.iterations()) * (24 + int64_t(kDays) * kAdapters * 296));
}
BENCHMARK(BM_LoadDayTotals)->Unit(benchmark::kMillisecond);

void BM_SequentialRead64K(benchmark::State& state) {
  WriteHistoryOnce();
  std::vector<char> buffer(65536);
  for (auto _ : state) {
    auto f = SystemFileSystem().Open(kHistoryPath, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
    int64_t total = 0, n;
    while ((n = f->Read(buffer.data(), buffer.size())) > 0) total += n;
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * (24 + int64_t(kDays) * kAdapters * 296));
}
BENCHMARK(BM_SequentialRead64K)->Unit(benchmark::kMillisecond);

// The record-at-a-time read that the block reader replaces.
void BM_ReadOneRecordAtATime(benchmark::State& state) {
  WriteHistoryOnce();
  for (auto _ : state) {
    auto f = SystemFileSystem().Open(kHistoryPath, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
    f->Seek(24);
    DayRecord r;
    uint64_t sum = 0;
    while (f->Read(&r, sizeof r) == int64_t(sizeof r)) sum += r.download;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadOneRecordAtATime)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm
