#pragma once
// The ordered adapter list: "All Connections" first, "Dial-Up Connections"
// second, real adapters after them in load order, then in the order the
// system first reported them. Records are never removed while the program
// runs and keep their addresses (graph views and listeners hold them).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/adapter_record.h"
#include "platform/adapter_source.h"
#include "platform/settings_store.h"
#include "settings/registry_layout.h"

namespace qm {

// The commands of the "A&dapters" and "Reset Rates" menu entries.
inline constexpr uint32_t kFirstAdaptersCommand = 9000, kLastAdaptersCommand = 9299;
inline constexpr uint32_t kFirstResetRatesCommand = 9300, kLastResetRatesCommand = 9599;

class AdapterList {
 public:
  size_t size() const { return records_.size(); }
  AdapterRecord& operator[](size_t i) { return *records_[i]; }
  const AdapterRecord& operator[](size_t i) const { return *records_[i]; }
  // Real adapters start at index 2; with fewer than three records there are none.
  static constexpr size_t kFirstReal = 2;

  AdapterRecord& Insert(size_t at, AdapterRecord record);
  AdapterRecord& Append(AdapterRecord record) { return Insert(records_.size(), std::move(record)); }
  void Clear() {
    records_.clear();
    ++generation_;
  }
  // Changes whenever records go away (only Clear does that), so that a
  // pointer to a record kept from before can be known to be stale.
  uint32_t generation() const { return generation_; }

  // The first real adapter with this (upper-case) ID, or null.
  AdapterRecord* FindReal(const std::string& id);
  // The first record whose Reset-Rates command is `command`, or null.
  AdapterRecord* FindByResetCommand(uint32_t command);
  // The tray adapter: kind alone for the pseudo adapters, kind and ID otherwise.
  AdapterRecord* FindTrayAdapter(int32_t kind, const std::string& id);

  // Gives the record the next free command identifiers of both menus (0
  // when a menu has run out); records that already have one keep it.
  void AssignMenuCommands(AdapterRecord& record);

 private:
  std::vector<std::unique_ptr<AdapterRecord>> records_;
  uint32_t nextAdaptersCommand_ = kFirstAdaptersCommand;
  uint32_t nextResetRatesCommand_ = kFirstResetRatesCommand;
  uint32_t generation_ = 0;
};

enum class EngineVariant { Desktop, Service };

// Builds the list from the AdaptersEx keys below `root`, adds the pseudo
// adapters that are missing and matches the system's adapters
// (RefreshFromSystem). The desktop program shows "All Connections" when no
// loaded adapter is monitored. Returns false when the system list could not
// be read (the list is usable anyway).
bool LoadAdapterList(AdapterList& list, SettingsStore& store, RegRoot root, EngineVariant variant,
                     AdapterSource& source);

// Matches the system's adapters with the list: every real record of the
// same ID takes the current counters, type, address and system name;
// adapters not in the list are appended (without menu entries).
bool RefreshFromSystem(AdapterList& list, AdapterSource& source);

// A real adapter record for a system entry whose ID is already made, with
// the counters of this reading as its previous sample. Appended at the tail.
AdapterRecord& AddSystemAdapter(AdapterList& list, const SystemAdapter& entry, const InterfaceCounters& counters);

enum AdapterSettingsGroup : unsigned {
  kIdentityGroup = 1u << 0,  // AdapterID, AdapterName, ConnRatebps, Monitored, Size (with a graph view)
  kRecorderGroup = 1u << 1,  // RecordTrafficRates, RecordNumberOnly, RecordInterval, RecordFile
};

// The per-adapter key "Software\Quellmark\AdaptersEx\<kind>-<id>".
std::string AdapterKeyPath(const AdapterRecord& record);

// Writes the chosen groups of every record; a key that cannot be written is
// skipped silently.
void SaveAdapterSettings(const AdapterList& list, SettingsStore& store, RegRoot root, unsigned groups);

}  // namespace qm
