// What the Win32 adapter source and the engine see of one adapter, found by
// its description (under Wine: the Linux interface name), for the veth test.
//
//   adapter_probe.exe counters <name>
//     found <id> <first address>
//     wide <received> <sent> <1 when 64-bit>
//     narrow <received> <sent> <0>
//   adapter_probe.exe engine <name> <flag file>
//     Loads the adapter list (taking every counter as the previous sample),
//     prints "ready", waits up to 60 s for the flag file, runs one desktop
//     tick (which takes no account of the time passed) and prints
//     "today <received> <sent>" of the adapter.
//   adapter_probe.exe watch <name> <seconds> [every-tick]
//     Runs the service's engine, a tick a second, for that long and prints
//     after each tick "<tick> <id> <first address>" of the adapter, or
//     "<tick> absent" while the tick does not see it. With "every-tick" the
//     source reads the address table every tick instead of waiting to be
//     told of a change, as where it cannot be told.
// Exit status 2 when the adapter is not listed, 1 on any other failure.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/traffic_engine.h"
#include "tests/fakes/memory_settings_store.h"
#include "platform/win32/win32_adapter_source.h"

namespace {

int Counters(const char* name) {
  auto source = qm::OpenSystemAdapterSource();
  qm::Win32AdapterSourceOptions narrowOptions;
  narrowOptions.narrowCountersOnly = true;
  auto narrow = qm::OpenSystemAdapterSource(narrowOptions);
  if (!source || !narrow) return 1;
  std::vector<qm::SystemAdapter> adapters;
  if (!source->ListAdapters(adapters)) return 1;
  for (qm::SystemAdapter& a : adapters) {
    if (a.description != name) continue;
    std::string id = qm::MakeAdapterId(a);
    std::printf("found %s %s\n", id.c_str(), qm::FirstIpAddress(a).c_str());
    qm::InterfaceCounters c, n;
    if (!source->ReadCounters(a.index, c) || !narrow->ReadCounters(a.index, n)) return 1;
    std::printf("wide %llu %llu %d\n", (unsigned long long)c.received, (unsigned long long)c.sent, c.wide ? 1 : 0);
    std::printf("narrow %llu %llu %d\n", (unsigned long long)n.received, (unsigned long long)n.sent, n.wide ? 1 : 0);
    return 0;
  }
  return 2;
}

int Engine(const char* name, const char* flag) {
  auto source = qm::OpenSystemAdapterSource();
  if (!source) return 1;
  qm::MemorySettingsStore store;
  qm::TrafficEngine engine(qm::EngineVariant::Desktop, *source, store, qm::SystemFileSystem(), qm::SystemClock());
  if (!engine.LoadAdapterList()) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  for (int i = 0; i < 600 && !qm::SystemFileSystem().Exists(flag); ++i) Sleep(100);
  engine.SampleTick();
  qm::AdapterList& list = engine.adapters();
  for (size_t i = qm::AdapterList::kFirstReal; i < list.size(); ++i) {
    if (list[i].systemName != name) continue;
    std::printf("today %llu %llu\n", (unsigned long long)list[i].todayDownload,
                (unsigned long long)list[i].todayUpload);
    return 0;
  }
  return 2;
}

int Watch(const char* name, int seconds, bool everyTick) {
  qm::Win32AdapterSourceOptions options;
  options.noAddressWatch = everyTick;
  auto source = qm::OpenSystemAdapterSource(options);
  if (!source) return 1;
  qm::MemorySettingsStore store;
  qm::TrafficEngine engine(qm::EngineVariant::Service, *source, store, qm::SystemFileSystem(), qm::SystemClock());
  engine.LoadAdapterList();
  for (int tick = 1; tick <= seconds; ++tick) {
    Sleep(1000);
    engine.SampleTick();
    const qm::AdapterRecord* seen = nullptr;
    qm::AdapterList& list = engine.adapters();
    for (size_t i = qm::AdapterList::kFirstReal; i < list.size() && !seen; ++i) {
      if (list[i].systemName == name && list[i].seenThisTick) seen = &list[i];
    }
    if (seen)
      std::printf("%d %s %s\n", tick, seen->id.c_str(), seen->ipAddress.empty() ? "-" : seen->ipAddress.c_str());
    else
      std::printf("%d absent\n", tick);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "counters" && argc == 3) return Counters(argv[2]);
  if (mode == "engine" && argc == 4) return Engine(argv[2], argv[3]);
  if (mode == "watch" && (argc == 4 || (argc == 5 && std::string(argv[4]) == "every-tick")))
    return Watch(argv[2], std::atoi(argv[3]), argc == 5);
  return 1;
}
