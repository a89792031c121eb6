#pragma once
// The engine's side of the traffic history log file: keeping it open (read/write, others may only read), loading today's totals
// from it and rewriting today's records in place. The records themselves and
// the readers for everyone else are in day_record.h.

#include <memory>
#include <string>
#include <vector>

#include "engine/adapter_list.h"
#include "engine/day_record.h"
#include "platform/adapter_source.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/settings_store.h"
#include "settings/history_path.h"

namespace qm {

inline constexpr char kLegacyLogFileName[] = "traffic.log";

// The legacy log beside a default history path: "TrafficHistory.log"
// replaced by "traffic.log".
std::string LegacyLogPath(const std::string& historyPath);

class HistoryFile {
 public:
  explicit HistoryFile(FileSystem& fs) : fs_(fs) {}

  // Opens or creates the file. An empty file gets a fresh header. A file
  // that is not "NTSL" version 2 is never truncated: it is renamed aside
  // (see movedAsidePath) and a fresh file takes its place; when it cannot be
  // renamed, the open fails. False when the file cannot be opened.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  // True when Open found the file empty (or new) and wrote the header.
  bool createdEmpty() const { return createdEmpty_; }
  // Where the last unrecognised file was moved; empty when none.
  const std::string& movedAsidePath() const { return movedAside_; }
  // The open handle, for readers on the engine's thread; null without a file.
  File* file() { return file_.get(); }

  // Zeroes every record's day totals and position, then takes the totals
  // and offsets of the records of `day` (last one wins). Without a file only
  // the zeroing happens. With `from`, only the records from that index on
  // (an adapter that joined the list while running).
  void LoadDayTotals(AdapterList& list, const LocalTime& day, size_t from = 0);
  // Writes every record's DayRecord for `day` at its remembered offset, or
  // appends it; then flushes to disk. Records of an earlier day kept by
  // KeepUnwritten go first. False when anything failed (lastError() says
  // why); true without a file.
  bool FlushDayRecords(AdapterList& list, const LocalTime& day);
  // After a failed flush at a day change: the day's records stay in memory
  // and every later flush tries them again until they are written.
  void KeepUnwritten(const AdapterList& list, const LocalTime& day);
  bool HasUnwritten() const { return !unwritten_.empty(); }
  // The system's reason for the last failed flush.
  const std::string& lastError() const { return lastError_; }
  // Empties the file to a fresh header and forgets every day position and
  // total. When the file cannot be cut at all, nothing changes.
  bool Clear(AdapterList& list);
  // Appends the records of a legacy log whose hardware addresses belong to
  // current adapters (and all pseudo adapter records). False when nothing
  // could be imported because the log or the system list is missing.
  bool ImportLegacyLog(const std::string& legacyPath, AdapterSource& source);

 private:
  bool WriteFreshHeader();
  // Writes one record at `position`, or appends it when that is -1 (and
  // then sets it); an append that failed leaves it at -1.
  bool WriteRecord(int64_t& position, const DayRecord& r);
  // The end of the last whole record: where the next record goes, so that
  // a torn record left by a crash never shifts the records after it. -1
  // when the file's size cannot be told.
  int64_t AppendOffset();
  std::string FreeAsideName() const;

  FileSystem& fs_;
  std::unique_ptr<File> file_;
  std::string path_;
  std::string movedAside_;
  bool createdEmpty_ = false;
  struct Unwritten {
    int64_t position;
    DayRecord record;
  };
  std::vector<Unwritten> unwritten_;
  std::string lastError_;
};

}  // namespace qm
