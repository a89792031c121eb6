#pragma once
// The traffic history log file: a 24-byte header ("NTSL", version 2) followed
// by 296-byte day records, one per adapter and day, nothing in between. A
// trailing fragment shorter than a record is ignored by every reader.
//
// Readers:
//   std::vector<DayRecord> days;
//   std::string error;
//   if (!ReadDayRecords(fs, path, days, &error)) ShowError(error);
// or, without keeping the records,
//   HistoryStatus s = VisitDayRecords(fs, path, [&](const DayRecord& r, int64_t offset) {
//     ...; return true;  // false stops the walk
//   });
// Records that cannot belong to any adapter (month 13, day 0, an unknown
// kind, an ID without terminator) are skipped by the readers, so consumers
// may index by month, day of week and kind without further checks.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file.h"

namespace qm {

static_assert(std::endian::native == std::endian::little,
              "the history file is little-endian and is read by copying bytes");

// Adapter kinds, as stored in the settings store, the history file and the
// report tasks.
enum AdapterKind : int32_t {
  kKindAllConnections = 100,
  kKindDialUp = 200,
  kKindAdapter = 300,
};

constexpr size_t kAdapterIdCapacity = 260;  // 259 characters plus terminator
constexpr uint32_t kHistoryVersion = 2;

#pragma pack(push, 1)

struct HistoryHeader {
  char magic[4];  // "NTSL"
  uint32_t version;
  uint8_t reserved[16];
};

struct DayRecord {
  uint16_t year;
  uint16_t month;      // 1..12
  uint16_t day;        // 1..31
  uint16_t zero1;
  uint16_t dayOfWeek;  // 0 = Sunday
  uint16_t zero2;
  int32_t kind;        // AdapterKind
  char adapterId[kAdapterIdCapacity];  // NUL-terminated, zero-filled; empty for 100 and 200
  uint32_t reserved;
  uint64_t download;   // bytes received on that day
  uint64_t upload;     // bytes sent on that day

  // The ID up to its terminator (never past the field).
  std::string Id() const;
  // Copies at most 259 characters and zero-fills the rest.
  void SetId(const std::string& id);
  bool SameDate(const LocalTime& t) const { return year == t.year && month == t.month && day == t.day; }
  // Same adapter: same kind and, for real adapters, the same ID (case-sensitive).
  bool SameAdapter(int32_t otherKind, const std::string& otherId) const;
};

#pragma pack(pop)

static_assert(sizeof(HistoryHeader) == 24);
static_assert(offsetof(HistoryHeader, version) == 4);
static_assert(offsetof(HistoryHeader, reserved) == 8);

static_assert(sizeof(DayRecord) == 296);
static_assert(offsetof(DayRecord, year) == 0);
static_assert(offsetof(DayRecord, month) == 2);
static_assert(offsetof(DayRecord, day) == 4);
static_assert(offsetof(DayRecord, zero1) == 6);
static_assert(offsetof(DayRecord, dayOfWeek) == 8);
static_assert(offsetof(DayRecord, zero2) == 10);
static_assert(offsetof(DayRecord, kind) == 12);
static_assert(offsetof(DayRecord, adapterId) == 16);
static_assert(offsetof(DayRecord, reserved) == 276);
static_assert(offsetof(DayRecord, download) == 280);
static_assert(offsetof(DayRecord, upload) == 288);

constexpr int64_t kHistoryHeaderSize = sizeof(HistoryHeader);
constexpr int64_t kDayRecordSize = sizeof(DayRecord);

// "NTSL", version 2, reserved bytes zero.
HistoryHeader MakeHistoryHeader();
bool IsHistoryHeader(const HistoryHeader& h);

// A zeroed record for the date of t (day of week included), kind and ID.
DayRecord MakeDayRecord(const LocalTime& t, int32_t kind, const std::string& id, uint64_t download, uint64_t upload);

// True when the record can belong to an adapter: a real calendar date, a
// day of week 0..6, a known kind and a terminated ID (empty for 100 and 200).
bool IsPlausibleDayRecord(const DayRecord& r);

enum class HistoryStatus {
  Ok,              // the file was read (possibly with zero records)
  CannotOpen,      // missing, no permission, or locked against reading
  NotHistoryFile,  // shorter than the header, or not "NTSL" version 2
  ReadError,       // a read failed part way; records before it were delivered
};

// A short English text for a status, naming the path.
std::string HistoryStatusText(HistoryStatus status, const std::string& path);

// Called with each plausible record and its byte offset in the file, in file
// order; returning false stops the walk (the status stays Ok).
using DayRecordVisitor = std::function<bool(const DayRecord& record, int64_t offset)>;

// Opens the file by path for reading while allowing others to read and write
// it (the engine keeps it open for writing), checks the header and walks the
// records in 256 KiB blocks. An empty file is an empty history.
HistoryStatus VisitDayRecords(FileSystem& fs, const std::string& path, const DayRecordVisitor& visit);

// The same walk over an already open file (the engine's own handle). The
// file position is left wherever the walk ended.
HistoryStatus VisitDayRecords(File& file, const DayRecordVisitor& visit);

// The same walk, visiting only the records of one adapter (as
// DayRecord::SameAdapter tells). Others are passed over before any check:
// a report of one adapter does not look into the other adapters' records.
HistoryStatus VisitAdapterDayRecords(FileSystem& fs, const std::string& path, int32_t kind, const std::string& id,
                                     const DayRecordVisitor& visit);

// Every plausible record of the file, in file order. On failure `out` holds
// what was read before it and *error (when given) a message naming the path.
bool ReadDayRecords(FileSystem& fs, const std::string& path, std::vector<DayRecord>& out, std::string* error);

}  // namespace qm
