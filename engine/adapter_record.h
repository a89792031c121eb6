#pragma once
// The engine's state of one adapter: identity, previous counters, day and
// cumulative totals, sample history, display settings and recorder settings.
// Two pseudo adapters sum the others: "All Connections" (kind 100) and
// "Dial-Up Connections" (kind 200, PPP and SLIP adapters only).

#include <cstdint>
#include <memory>
#include <string>

#include "engine/day_record.h"
#include "engine/rate_sample.h"
#include "platform/adapter_source.h"

namespace qm {

inline constexpr char kAllConnectionsName[] = "All Connections";
inline constexpr char kDialUpConnectionsName[] = "Dial-Up Connections";
inline constexpr char kWanName[] = "WAN";
inline constexpr char kUnknownConnectionName[] = "Unknown Connection";

inline constexpr size_t kMaxAdapterIdLength = kAdapterIdCapacity - 1;  // 259
inline constexpr size_t kMaxIpAddressLength = 15;

// The rates recorder's state of one adapter (its open log and counters).
// The recorder implements it; the engine only asks whether the log is open.
class AdapterRecorder {
 public:
  virtual ~AdapterRecorder() = default;
  virtual bool IsOpen() const = 0;
};

struct AdapterRecord {
  int32_t kind = 0;             // AdapterKind
  uint32_t interfaceType = 0;   // last reported; 0 for the pseudo adapters
  std::string id;               // upper case, at most 259 characters; empty for 100 and 200
  std::string ipAddress;        // first address as last reported; empty while absent
  uint32_t connectionSpeed = 0; // ConnRatebps, bits per second

  // Previous reading. The counters are kept at the width they were read
  // with; a reading is only ever compared with one of the same width.
  uint64_t previousIn = 0;
  uint64_t previousOut = 0;
  bool previousWide = false;
  bool hasPreviousSample = false;

  uint32_t adaptersMenuCommand = 0;  // 9000..9299, 0 while without entry
  bool monitored = false;            // Monitored
  int viewSlot = -1;                 // the meter window's number for this adapter's graph view; -1 without one
  float size = 0.0f;                 // Size, share of the graph area
  SampleHistory history;             // newest first; in the service only the newest
  // Samples ever put into the history, never reset: a reader that keeps the
  // count it has seen knows how many at the head are new, even after the
  // history was emptied in between.
  uint64_t samplesAdded = 0;

  int64_t dayRecordPosition = -1;    // offset of today's DayRecord, -1 before its first flush
  uint64_t todayDownload = 0;
  uint64_t todayUpload = 0;

  std::string displayName;  // AdapterName
  std::string systemName;   // the system's description, trimmed, or the pseudo adapter's name

  uint32_t recordRates = 0;     // RecordTrafficRates
  uint32_t recordInterval = 1;  // RecordInterval, seconds
  uint32_t recordFlags = 0;     // bit 0 RecordNumberOnly
  std::string recordFile;       // RecordFile
  std::shared_ptr<AdapterRecorder> recorder;

  bool seenThisTick = false;
  uint32_t resetRatesCommand = 0;  // 9300..9599, 0 while without entry

  uint64_t cumulativeDownload = 0;  // since start or the last reset of the rates (the service never resets)
  uint64_t cumulativeUpload = 0;
  uint64_t sampleCount = 0;

  bool IsPseudo() const { return kind == kKindAllConnections || kind == kKindDialUp; }
  bool RecorderOpen() const { return recorder && recorder->IsOpen(); }
  bool HasView() const { return viewSlot >= 0; }
};

// A fresh pseudo adapter record with both names set.
AdapterRecord MakePseudoAdapter(int32_t kind);

// The adapter ID: names longer than 10 characters in upper case, otherwise
// the hardware address as exactly eight bytes in 16 upper-case hexadecimal
// digits (missing bytes are zero). The ID also replaces the entry's name,
// which is returned.
const std::string& MakeAdapterId(SystemAdapter& entry);

// The system name for an adapter: its description without surrounding
// white space, or "WAN" for PPP and SLIP and "Unknown Connection" otherwise.
std::string SystemNameFor(const std::string& description, uint32_t interfaceType);

// The first IP address of the entry (at most 15 characters), or "".
std::string FirstIpAddress(const SystemAdapter& entry);

// The graph title: with showIp, a real adapter's display name gets " [address]"
// appended, or is replaced by the address when empty. Without an address
// the display name stands alone.
std::string AdapterTitle(const AdapterRecord& record, bool showIp);

bool IsDialUpType(uint32_t interfaceType);

}  // namespace qm
