#pragma once
// The system's adapters through the IP support library, loaded by name:
// GetAdaptersInfo for the list, GetIfTable2 for every interface's 64-bit
// counters at once and GetIfEntry2 for one where the system has them,
// GetIfEntry (32-bit counters) otherwise. Changes of the list are noticed
// through the interface table, the system's notifications and, after
// Winsock's address-list notification fired, the address table.

#include <memory>

#include "platform/adapter_source.h"

namespace qm {

struct Win32AdapterSourceOptions {
  // Ask GetAdaptersInfo for the size first on every list, instead of trying
  // the buffer kept from the last list first (kept for comparison).
  bool alwaysQuerySize = false;
  // Never use GetIfEntry2 or GetIfTable2, even where they exist.
  bool narrowCountersOnly = false;
  // Never use GetIfTable2: one row per interface, as the oldest systems.
  bool noCounterTable = false;
  // Never ask Winsock to tell of address changes: the address table is read
  // every tick, as where that request cannot be made.
  bool noAddressWatch = false;
};

// The reading of one interface from its 64-bit row (GetIfEntry2) and its
// 32-bit row (GetIfEntry); `narrowNeeded` says whether the 32-bit row must be
// read at all. Some drivers answer the 64-bit call with zero counters while
// the 32-bit row counts: then the 32-bit row stands (the engine sees a change
// of width, never a burst). An idle interface's zeros stay 64-bit, so that
// its first traffic is not lost to a change of width.
inline bool NarrowCountersNeeded(bool wideRead, const InterfaceCounters& wide) {
  return !wideRead || (wide.received == 0 && wide.sent == 0);
}
bool PickInterfaceCounters(bool wideRead, const InterfaceCounters& wide, bool narrowRead,
                           const InterfaceCounters& narrow, InterfaceCounters& out);

// Null when "iphlpapi.dll", GetAdaptersInfo or GetIfEntry is missing.
std::unique_ptr<AdapterSource> OpenSystemAdapterSource(const Win32AdapterSourceOptions& options = {});

}  // namespace qm
