#include "engine/history_file.h"

#include <cstring>
#include <vector>

namespace qm {
namespace {

#pragma pack(push, 1)
// The older headerless log: the date words of a DayRecord, the kind, the
// hardware address padded to 8 bytes and the two totals.
struct LegacyRecord {
  uint16_t date[6];
  int32_t kind;
  uint8_t hardwareAddress[8];
  uint64_t download;
  uint64_t upload;
};
#pragma pack(pop)
static_assert(sizeof(LegacyRecord) == 40);
static_assert(offsetof(LegacyRecord, kind) == 12);
static_assert(offsetof(LegacyRecord, hardwareAddress) == 16);
static_assert(offsetof(LegacyRecord, download) == 24);
static_assert(offsetof(LegacyRecord, upload) == 32);

constexpr size_t kLegacyPerBlock = 65536 / sizeof(LegacyRecord);

}  // namespace

std::string LegacyLogPath(const std::string& historyPath) {
  std::string path = historyPath;
  size_t at = path.rfind(kHistoryFileName);
  if (at != std::string::npos) path.replace(at, std::strlen(kHistoryFileName), kLegacyLogFileName);
  return path;
}

bool HistoryFile::WriteFreshHeader() {
  HistoryHeader h = MakeHistoryHeader();
  return file_->Seek(0) && file_->Truncate() && file_->Write(&h, sizeof h) && file_->Flush();
}

std::string HistoryFile::FreeAsideName() const {
  // "TrafficHistory.log" becomes "TrafficHistory.unrecognized-1.log" and so on,
  // beside the original; an existing file is never chosen.
  size_t slash = path_.find_last_of("/\\");
  size_t dot = path_.rfind('.');
  bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  std::string stem = hasExtension ? path_.substr(0, dot) : path_;
  std::string extension = hasExtension ? path_.substr(dot) : std::string();
  for (int n = 1; n < 10000; ++n) {
    std::string candidate = stem + ".unrecognized-" + std::to_string(n) + extension;
    if (!fs_.Exists(candidate)) return candidate;
  }
  return std::string();
}

bool HistoryFile::Open(const std::string& path) {
  Close();
  path_ = path;
  movedAside_.clear();
  createdEmpty_ = false;
  file_ = fs_.Open(path, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways);
  if (!file_) return false;

  int64_t size = file_->Size();
  if (size < 0) {  // unknown: never take it for empty
    file_.reset();
    return false;
  }
  if (size > 0) {
    HistoryHeader h;
    bool valid = file_->Seek(0) && file_->Read(&h, sizeof h) == kHistoryHeaderSize && IsHistoryHeader(h);
    if (valid) return true;
    // Not ours, or a damaged header: keep every byte of it under another
    // name and start a fresh file here.
    file_.reset();
    std::string aside = FreeAsideName();
    if (aside.empty() || !fs_.Move(path, aside)) return false;
    movedAside_ = aside;
    file_ = fs_.Open(path, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways);
  }
  if (!file_ || !WriteFreshHeader()) {
    file_.reset();  // a file without its header is no history file
    return false;
  }
  createdEmpty_ = movedAside_.empty();
  return true;
}

void HistoryFile::Close() {
  file_.reset();
  unwritten_.clear();
}

void HistoryFile::LoadDayTotals(AdapterList& list, const LocalTime& day, size_t from) {
  for (size_t i = from; i < list.size(); ++i) {
    list[i].todayDownload = list[i].todayUpload = 0;
    list[i].dayRecordPosition = -1;
  }
  if (!file_) return;
  VisitDayRecords(*file_, [&](const DayRecord& r, int64_t offset) {
    if (!r.SameDate(day)) return true;
    for (size_t i = from; i < list.size(); ++i) {
      AdapterRecord& a = list[i];
      if (!r.SameAdapter(a.kind, a.id)) continue;
      a.todayDownload = r.download;
      a.todayUpload = r.upload;
      a.dayRecordPosition = offset;
      break;
    }
    return true;
  });
}

int64_t HistoryFile::AppendOffset() {
  int64_t size = file_->Size();
  if (size < 0) return -1;  // unknown: the header's end would be the oldest record's place
  if (size < kHistoryHeaderSize) return kHistoryHeaderSize;
  return kHistoryHeaderSize + (size - kHistoryHeaderSize) / kDayRecordSize * kDayRecordSize;
}

bool HistoryFile::WriteRecord(int64_t& position, const DayRecord& r) {
  const bool appending = position < 0;
  if (appending) position = AppendOffset();
  if (position >= 0 && file_->Seek(position) && file_->Write(&r, sizeof r)) return true;
  // A record that never reached the file keeps no offset: the next
  // adapter's append would take the same one, and the two would overwrite
  // each other from then on.
  if (appending) position = -1;
  return false;
}

bool HistoryFile::FlushDayRecords(AdapterList& list, const LocalTime& day) {
  if (!file_) return true;
  // A Clear that cut the file but could not write the header leaves it
  // shorter than one: records behind a gap where the header belongs would
  // make the whole file unreadable, so the header comes first.
  const int64_t size = file_->Size();
  if (size >= 0 && size < kHistoryHeaderSize && !WriteFreshHeader()) {
    lastError_ = LastFileErrorText();
    return false;
  }
  std::string error;
  auto failed = [&error] {
    if (error.empty()) error = LastFileErrorText();
  };
  // An earlier day's records first, so that days stay in their order.
  for (auto it = unwritten_.begin(); it != unwritten_.end();) {
    if (WriteRecord(it->position, it->record)) {
      it = unwritten_.erase(it);
    } else {
      failed();
      ++it;
    }
  }
  for (size_t i = 0; i < list.size(); ++i) {
    AdapterRecord& a = list[i];
    if (!WriteRecord(a.dayRecordPosition, MakeDayRecord(day, a.kind, a.id, a.todayDownload, a.todayUpload))) failed();
  }
  if (!file_->Flush()) failed();
  if (!error.empty()) lastError_ = error;
  return error.empty();
}

void HistoryFile::KeepUnwritten(const AdapterList& list, const LocalTime& day) {
  if (!file_) return;
  for (size_t i = 0; i < list.size(); ++i) {
    const AdapterRecord& a = list[i];
    unwritten_.push_back(Unwritten{a.dayRecordPosition, MakeDayRecord(day, a.kind, a.id, a.todayDownload, a.todayUpload)});
  }
}

bool HistoryFile::Clear(AdapterList& list) {
  const bool cleared = file_ && WriteFreshHeader();
  if (file_ && !cleared) {
    // Not even cut: the file and the day stay as they were, or the next
    // flush would append a second record of today after the old one.
    // A file cut short of its header gets one at the next flush.
    const int64_t size = file_->Size();
    if (size < 0 || size > kHistoryHeaderSize) return false;
  }
  unwritten_.clear();
  for (size_t i = 0; i < list.size(); ++i) {
    list[i].todayDownload = list[i].todayUpload = 0;
    list[i].dayRecordPosition = -1;
  }
  return cleared;
}

bool HistoryFile::ImportLegacyLog(const std::string& legacyPath, AdapterSource& source) {
  if (!file_) return false;
  auto legacy = fs_.Open(legacyPath, FileAccess::Read, FileShare::Read, FileCreate::OpenExisting);
  if (!legacy) return false;
  std::vector<SystemAdapter> adapters;
  if (!source.ListAdapters(adapters)) return false;
  struct Known {
    uint8_t address[8];
    std::string id;
  };
  std::vector<Known> known;
  for (SystemAdapter& a : adapters) {
    Known k{};
    for (size_t i = 0; i < 8 && i < a.hardwareAddress.size(); ++i) k.address[i] = a.hardwareAddress[i];
    k.id = MakeAdapterId(a);
    known.push_back(std::move(k));
  }

  int64_t at = AppendOffset();
  if (at < 0 || !file_->Seek(at)) return false;
  std::vector<LegacyRecord> block(kLegacyPerBlock);
  std::vector<DayRecord> out;
  for (;;) {
    int64_t n = legacy->Read(block.data(), block.size() * sizeof(LegacyRecord));
    if (n <= 0) break;
    size_t whole = size_t(n) / sizeof(LegacyRecord);
    out.clear();
    for (size_t i = 0; i < whole; ++i) {
      const LegacyRecord& l = block[i];
      DayRecord r;
      std::memset(&r, 0, sizeof r);
      std::memcpy(&r, l.date, sizeof l.date);
      r.download = l.download;
      r.upload = l.upload;
      if (l.kind == kKindAllConnections || l.kind == kKindDialUp) {
        r.kind = l.kind;
      } else {
        const Known* match = nullptr;
        for (const Known& k : known) {
          if (std::memcmp(k.address, l.hardwareAddress, 8) == 0) {
            match = &k;
            break;
          }
        }
        if (!match) continue;
        // Real adapters are kind 300 in this format whatever the old log
        // stored, so that their days are matched by ID.
        r.kind = kKindAdapter;
        r.SetId(match->id);
      }
      out.push_back(r);
    }
    if (!out.empty() && !file_->Write(out.data(), out.size() * sizeof(DayRecord))) break;
    if (whole < block.size()) break;
  }
  file_->Flush();
  return true;
}

}  // namespace qm
