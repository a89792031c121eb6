#pragma once
// The system's adapters through the IP support library, loaded by name:
// GetAdaptersInfo for the list, GetIfEntry2 for 64-bit counters where the
// system has it, GetIfEntry (32-bit counters) otherwise.

#include <memory>

#include "platform/adapter_source.h"

namespace qm {

// What the programs report when the library or one of its two required
// functions is missing.
inline constexpr char kAdapterSourceFailedText[] = "Failed to initialize! Quellmark will exit.";
inline constexpr char kServiceAdapterSourceFailedText[] = "Err: 0x0102000";

struct Win32AdapterSourceOptions {
  // Ask GetAdaptersInfo for the size first on every list, instead of trying
  // the buffer kept from the last list first (kept for comparison).
  bool alwaysQuerySize = false;
  // Never use GetIfEntry2, even where it exists.
  bool narrowCountersOnly = false;
};

// Null when "iphlpapi.dll", GetAdaptersInfo or GetIfEntry is missing.
std::unique_ptr<AdapterSource> OpenSystemAdapterSource(const Win32AdapterSourceOptions& options = {});

}  // namespace qm
