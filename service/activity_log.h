#pragma once
// The service's activity log "quellmarkservice.log": one line per event,
// "[<ctime text>]: <message>\n", appended in text mode and flushed at once
// so that the log is complete even when the process is killed. Written
// from the main functions, the worker and the report jobs. At a size limit
// the file is moved aside to one older file ("quellmarkservice.old.log"),
// which replaces the previous one, and a new file begins; a failing task
// that logs every second therefore costs a bounded amount of disk.

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace qm {

inline constexpr char kActivityLogName[] = "quellmarkservice.log";
inline constexpr size_t kActivityMessageMax = 1024;
inline constexpr long kActivityLogLimit = 4L << 20;

// The older file beside a log: "x.log" gives "x.old.log", anything else
// gets ".old" appended.
std::string OlderLogPath(const std::string& path);

// The 24-character form of the C library's ctime text without its line
// end: "Wed Dec  9 23:09:14 2026".
std::string CtimeText(const LocalTime& t);

class ActivityLog {
 public:
  explicit ActivityLog(Clock& clock) : clock_(clock) {}
  ~ActivityLog() { Close(); }
  ActivityLog(const ActivityLog&) = delete;
  ActivityLog& operator=(const ActivityLog&) = delete;

  // False when the file cannot be opened; lines are then dropped.
  bool Open(const std::string& path);
  void Close();

  // The size at which the file is moved aside; for tests.
  void SetSizeLimit(long bytes) { limit_ = bytes; }

  // Messages longer than 1024 characters are cut.
  void Write(const std::string& message);
  void Printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

 private:
  void RotateLocked();

  Clock& clock_;
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::string path_;
  long limit_ = kActivityLogLimit;
};

}  // namespace qm
