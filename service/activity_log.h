#pragma once
// The service's activity log "quellmarkservice.log": one line per event,
// "[<ctime text>]: <message>\n", appended in text mode and flushed at once
// so that the log is complete even when the process is killed. Written
// from the main functions, the worker and the report jobs.

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace qm {

inline constexpr char kActivityLogName[] = "quellmarkservice.log";
inline constexpr size_t kActivityMessageMax = 1024;

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

  // Messages longer than 1024 characters are cut.
  void Write(const std::string& message);
  void Printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

 private:
  Clock& clock_;
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

}  // namespace qm
