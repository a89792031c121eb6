#pragma once
// The traffic engine: owner of the adapter list, the current day and the open
// history file, and the once-a-second sampling tick. One runs in the meter
// window, one in the service worker; both on a single thread.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/adapter_list.h"
#include "engine/history_file.h"
#include "engine/tick_listener.h"
#include "platform/adapter_source.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/settings_store.h"

namespace qm {

// The options the tick reads, taken from the program's options.
struct EngineOptions {
  bool showIpInTitle = true;        // ShowIPInTitle
  bool trayIcon = true;             // DispIconSystray (the service has none)
  int32_t trayKind = kKindAllConnections;  // STIfType
  std::string trayId;               // STAdpID, upper case
  bool notificationEnabled = false; // NotificationEnabled
  // Samples kept per adapter: the screen width in pixels or 2048, whichever
  // is larger (desktop only).
  size_t historyLimit = 2048;
};

// The adapter list is read again at least this often (in ticks), should a
// change have gone unannounced.
inline constexpr unsigned kListSafetyTicks = 60;

class TrafficEngine {
 public:
  TrafficEngine(EngineVariant variant, AdapterSource& source, SettingsStore& store, FileSystem& fs, Clock& clock);

  EngineVariant variant() const { return variant_; }
  EngineOptions& options() { return options_; }
  void set_listener(TickListener* listener) { listener_ = listener ? listener : &silent_; }
  AdapterList& adapters() { return list_; }
  HistoryFile& history() { return history_; }
  // The local date and time of the last tick (or of the start).
  const LocalTime& currentDay() const { return currentDay_; }

  // Start-up: takes the clock's time as the current day, then loads the
  // adapters from the settings store of this variant's root.
  bool LoadAdapterList();
  // Opens the history file (moving an unrecognised one aside), imports a
  // legacy log on a first desktop start with the default path, and loads
  // today's totals. False: the caller runs without a history file (desktop,
  // after asking the user) or stops (service).
  bool OpenHistoryFile(const std::string& path, bool configured);
  void CloseHistoryFile() { history_.Close(); }
  // The traffic reports window closed with another log path (compared
  // without regard to case): it is stored as TrafficLogFile and used from
  // the next start; the open file stays in use. True when it changed.
  bool ChangeHistoryPath(const std::string& path);
  // The path in use, or the one chosen for the next start.
  const std::string& historyPath() const { return historyPath_; }
  void LoadDayTotals() { history_.LoadDayTotals(list_, currentDay_); }
  // Writes today's records. A failure keeps the totals in memory for the
  // next flush and is told to the listener once per run of failures, as is
  // the first success after them. False when it failed.
  bool FlushDayRecords();
  bool ClearHistory() { return history_.Clear(list_); }
  void SaveAdapterSettings(unsigned groups) { qm::SaveAdapterSettings(list_, store_, root(), groups); }

  // One second: counters to samples, totals, consumers; flushes at
  // four-minute boundaries and day changes. The file is read besides only
  // when an adapter joins the list (its record of today, if any).
  void SampleTick();
  // At shutdown, before the last flush: the traffic since the last tick
  // goes into the day totals, so that the last second before an exit or a
  // stop is not lost. Nothing else happens: no samples, no consumers, no
  // new adapters.
  void CountLastTraffic();

  // Empties the sample history and the cumulative values of every record, or
  // of the record with this Reset-Rates command, or of this record; day
  // totals stay.
  void ResetRates();
  bool ResetRates(uint32_t command);
  void ResetRates(AdapterRecord& record) { ResetRecord(record); }
  // The machine suspends: the day totals so far are written, and the next
  // reading of every adapter is a first one.
  void Suspend();

 private:
  RegRoot root() const { return variant_ == EngineVariant::Desktop ? RegRoot::CurrentUser : RegRoot::LocalMachine; }
  bool IsTrayAdapter(const AdapterRecord& r) const;
  void UpdateDay(const LocalTime& now, bool deliver);
  // The tick; without `deliver`, only the counting of CountLastTraffic.
  void Sample(bool deliver);
  void Deliver(AdapterRecord& r, const RateSample& sample, const LocalTime& now, bool addressChanged);
  RateSample CountSample(AdapterRecord& r, uint64_t download, uint64_t upload);
  void ResetRecord(AdapterRecord& r);
  // One system adapter as the tick uses it, beside its entry in entries_.
  struct ListedAdapter {
    AdapterRecord* record = nullptr;  // found (or added) for this entry; null until then
    size_t row = 0;                   // its place in table_ at the last tick
    std::string firstIp;              // FirstIpAddress of the entry
  };
  // Reads the counter table, and the adapter list when it may have changed;
  // false when the list was needed and could not be read.
  bool ReadSystemState(bool& haveTable);
  bool ReadEntryCounters(uint32_t index, ListedAdapter& listed, bool haveTable, InterfaceCounters& out);

  EngineVariant variant_;
  AdapterSource& source_;
  SettingsStore& store_;
  Clock& clock_;
  EngineOptions options_;
  TickListener silent_;
  TickListener* listener_ = &silent_;
  AdapterList list_;
  HistoryFile history_;
  LocalTime currentDay_{};
  bool flushFailing_ = false;
  // The system's adapter list, read again only when the source says it may
  // have changed (every tick when it cannot say) and every
  // kListSafetyTicks ticks whatever it says. Reused from tick to tick.
  std::vector<SystemAdapter> entries_;
  std::vector<ListedAdapter> listed_;
  std::vector<IndexedCounters> table_;
  bool listRead_ = false;
  uint32_t listGeneration_ = 0;
  unsigned ticksSinceListRead_ = 0;
  std::string historyPath_;
};

// The difference of one direction between two readings of a counter: 0 when
// there is no comparable previous reading or the counter went backwards
// (wrapped or reset).
uint64_t CounterDifference(bool hasPrevious, bool previousWide, uint64_t previous, bool wide, uint64_t current);

// Milliseconds since 1 January 1601 of a local time, for comparing tick times.
int64_t LocalMilliseconds(const LocalTime& t);

}  // namespace qm
