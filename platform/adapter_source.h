#pragma once
// The operating system's network adapters and their counters.

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// Interface types as the IP support library reports them.
enum : uint32_t {
  kIfTypeOther = 1,
  kIfTypeEthernet = 6,
  kIfTypeTokenRing = 9,
  kIfTypeFddi = 15,
  kIfTypePpp = 23,
  kIfTypeLoopback = 24,
  kIfTypeSlip = 28,
};

struct SystemAdapter {
  std::string name;         // the system's adapter name (a GUID text on Windows)
  std::string description;  // as the system describes it
  std::vector<uint8_t> hardwareAddress;
  uint32_t index = 0;       // interface index for ReadCounters
  uint32_t type = 0;
  std::vector<std::string> ipAddresses;  // dotted IPv4 texts, first is the primary
};

struct InterfaceCounters {
  uint64_t received = 0;  // octets in
  uint64_t sent = 0;      // octets out
  uint32_t type = 0;
  bool wide = false;      // 64-bit counters; false means they wrap at 2^32
};

// One row of a table of every interface's counters.
struct IndexedCounters {
  uint32_t index = 0;
  InterfaceCounters counters;
};

class AdapterSource {
 public:
  virtual ~AdapterSource() = default;
  // The adapter list; false when the system cannot give one.
  virtual bool ListAdapters(std::vector<SystemAdapter>& out) = 0;
  // One interface's counters; false when the interface cannot be read.
  virtual bool ReadCounters(uint32_t index, InterfaceCounters& out) = 0;
  // Every interface's counters in one call, into `out` (its storage is
  // reused). False when the system has no such call: ReadCounters then.
  virtual bool ReadCounterTable(std::vector<IndexedCounters>& out) {
    (void)out;
    return false;
  }
  // Whether the adapter list (adapters, names, addresses) may differ from
  // what it was at the previous call; the first call says yes. A source
  // that cannot tell always says yes, and the list is read every tick.
  virtual bool AdaptersMayHaveChanged() { return true; }
};

}  // namespace qm
