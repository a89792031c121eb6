#include "engine/day_record.h"

#include <cstring>
#include <memory>

#include "format/dates.h"

namespace qm {
namespace {

// Whole records per block, so that every full block read from offset 24 ends
// on a record boundary: 885 * 296 = 261960 bytes, just under 256 KiB. Reads
// of this size cost the system less per byte than 64 KiB ones, and reports
// walk the whole file.
constexpr size_t kRecordsPerBlock = 262144 / sizeof(DayRecord);

}  // namespace

std::string DayRecord::Id() const {
  size_t n = 0;
  while (n < sizeof(adapterId) && adapterId[n] != '\0') ++n;
  return std::string(adapterId, n);
}

void DayRecord::SetId(const std::string& id) {
  std::memset(adapterId, 0, sizeof(adapterId));
  std::memcpy(adapterId, id.data(), id.size() < sizeof(adapterId) - 1 ? id.size() : sizeof(adapterId) - 1);
}



HistoryHeader MakeHistoryHeader() {
  HistoryHeader h;
  std::memset(&h, 0, sizeof(h));
  std::memcpy(h.magic, "NTSL", 4);
  h.version = kHistoryVersion;
  return h;
}

bool IsHistoryHeader(const HistoryHeader& h) {
  return std::memcmp(h.magic, "NTSL", 4) == 0 && h.version == kHistoryVersion;
}

DayRecord MakeDayRecord(const LocalTime& t, int32_t kind, const std::string& id, uint64_t download, uint64_t upload) {
  DayRecord r;
  std::memset(&r, 0, sizeof(r));
  r.year = t.year;
  r.month = t.month;
  r.day = t.day;
  r.dayOfWeek = t.dayOfWeek;
  r.kind = kind;
  r.SetId(id);
  r.download = download;
  r.upload = upload;
  return r;
}

namespace {

// A real calendar date in the platform's range, a day of week 0..6.
bool IsPlausibleDate(const DayRecord& r) {
  if (r.year < 1601 || r.year > 30827) return false;
  if (r.month < 1 || r.month > 12) return false;
  if (r.day < 1 || r.day > DaysInMonth(r.year, r.month)) return false;
  return r.dayOfWeek <= 6;
}

// A known kind with an ID that fits it, for a record whose ID is known to
// be terminated.
bool KindFitsId(const DayRecord& r) {
  switch (r.kind) {
    case kKindAllConnections:
    case kKindDialUp: return r.adapterId[0] == '\0';
    case kKindAdapter: return r.adapterId[0] != '\0';
    default: return false;
  }
}

}  // namespace

bool IsPlausibleDayRecord(const DayRecord& r) {
  return IsPlausibleDate(r) && std::memchr(r.adapterId, '\0', sizeof(r.adapterId)) != nullptr && KindFitsId(r);
}

std::string HistoryStatusText(HistoryStatus status, const std::string& path) {
  switch (status) {
    case HistoryStatus::Ok: return std::string();
    case HistoryStatus::CannotOpen: return "Cannot open the traffic log file \"" + path + "\".";
    case HistoryStatus::NotHistoryFile: return "\"" + path + "\" is not a traffic log file.";
    case HistoryStatus::ReadError: return "Failed to read the traffic log file \"" + path + "\".";
  }
  return std::string();
}

namespace {

// The first n bytes of a and b alike, compared a word at a time: the C
// library's memcmp is a call per record, and a byte loop under Wine.
bool SameBytes(const char* a, const char* b, size_t n) {
  for (; n >= 8; a += 8, b += 8, n -= 8) {
    uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
  }
  for (; n > 0; ++a, ++b, --n)
    if (*a != *b) return false;
  return true;
}

}  // namespace

bool DayRecord::SameAdapter(int32_t otherKind, const std::string& otherId) const {
  if (kind != otherKind) return false;
  if (kind == kKindAllConnections || kind == kKindDialUp) return true;
  size_t n = otherId.size();
  return n < sizeof(adapterId) && adapterId[n] == '\0' && SameBytes(adapterId, otherId.data(), n);
}

namespace {

// Walks the records in blocks, visiting those that `accept` lets through:
// every plausible one, or one adapter's.
template <typename Accept>
HistoryStatus Walk(File& file, const Accept& accept, const DayRecordVisitor& visit) {
  if (!file.Seek(0)) return HistoryStatus::ReadError;
  HistoryHeader header;
  int64_t got = file.Read(&header, sizeof(header));
  if (got < 0) return HistoryStatus::ReadError;
  if (got == 0) return HistoryStatus::Ok;  // just created, header not yet written
  if (got < kHistoryHeaderSize || !IsHistoryHeader(header)) return HistoryStatus::NotHistoryFile;

  std::unique_ptr<DayRecord[]> block(new DayRecord[kRecordsPerBlock]);
  int64_t offset = kHistoryHeaderSize;
  for (;;) {
    int64_t n = file.Read(block.get(), kRecordsPerBlock * sizeof(DayRecord));
    if (n < 0) return HistoryStatus::ReadError;
    size_t whole = size_t(n) / sizeof(DayRecord);  // a trailing fragment is dropped
    for (size_t i = 0; i < whole; ++i, offset += kDayRecordSize) {
      const DayRecord& r = block[i];
      if (accept(r) && !visit(r, offset)) return HistoryStatus::Ok;
    }
    if (whole < kRecordsPerBlock) return HistoryStatus::Ok;
  }
}

}  // namespace

HistoryStatus VisitDayRecords(File& file, const DayRecordVisitor& visit) {
  return Walk(file, [](const DayRecord& r) { return IsPlausibleDayRecord(r); }, visit);
}

HistoryStatus VisitDayRecords(FileSystem& fs, const std::string& path, const DayRecordVisitor& visit) {
  auto file = fs.Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  if (!file) return HistoryStatus::CannotOpen;
  return VisitDayRecords(*file, visit);
}

HistoryStatus VisitAdapterDayRecords(FileSystem& fs, const std::string& path, int32_t kind, const std::string& id,
                                     const DayRecordVisitor& visit) {
  auto file = fs.Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  if (!file) return HistoryStatus::CannotOpen;
  const size_t n = id.size();
  const bool anyId = kind == kKindAllConnections || kind == kKindDialUp;
  if (!anyId && n >= kAdapterIdCapacity) return Walk(*file, [](const DayRecord&) { return false; }, visit);
  // Other adapters' records are passed over on their kind and ID bytes. A
  // match has its terminator (at n, or at 0 for the pseudo adapters, whose
  // ID must be empty), so the ID needs no search for one.
  return Walk(
      *file,
      [&](const DayRecord& r) {
        if (r.kind != kind) return false;
        if (anyId ? r.adapterId[0] != '\0' : r.adapterId[n] != '\0' || !SameBytes(r.adapterId, id.data(), n))
          return false;
        return KindFitsId(r) && IsPlausibleDate(r);
      },
      visit);
}

bool ReadDayRecords(FileSystem& fs, const std::string& path, std::vector<DayRecord>& out, std::string* error) {
  out.clear();
  HistoryStatus s = VisitDayRecords(fs, path, [&](const DayRecord& r, int64_t) {
    out.push_back(r);
    return true;
  });
  if (s != HistoryStatus::Ok && error) *error = HistoryStatusText(s, path);
  return s == HistoryStatus::Ok;
}

}  // namespace qm
