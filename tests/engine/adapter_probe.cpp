// Prints what the Win32 adapter source reports for one adapter, found by its
// description (under Wine: the Linux interface name), for the veth test:
//   found <id> <first address>
//   wide <received> <sent> <1 when 64-bit>
//   narrow <received> <sent>
// Exit status 2 when the adapter is not listed, 1 when the source fails.

#include <cstdio>
#include <string>
#include <vector>

#include "engine/adapter_record.h"
#include "platform/win32/win32_adapter_source.h"

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  auto source = qm::OpenSystemAdapterSource();
  qm::Win32AdapterSourceOptions narrowOptions;
  narrowOptions.narrowCountersOnly = true;
  auto narrow = qm::OpenSystemAdapterSource(narrowOptions);
  if (!source || !narrow) return 1;
  std::vector<qm::SystemAdapter> adapters;
  if (!source->ListAdapters(adapters)) return 1;
  for (qm::SystemAdapter& a : adapters) {
    if (a.description != argv[1]) continue;
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
