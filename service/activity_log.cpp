#include "service/activity_log.h"

#include <cstdarg>

namespace qm {

std::string CtimeText(const LocalTime& t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[t.dayOfWeek % 7],
                kMonths[(t.month >= 1 && t.month <= 12) ? t.month - 1 : 0], t.day, t.hour, t.minute, t.second,
                t.year);
  return buf;
}

std::string OlderLogPath(const std::string& path) {
  const size_t n = path.size();
  if (n >= 4 && path.compare(n - 4, 4, ".log") == 0) return path.substr(0, n - 4) + ".old.log";
  return path + ".old";
}

bool ActivityLog::Open(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_) std::fclose(file_);
  path_ = path;
  file_ = std::fopen(path.c_str(), "a");
  return file_ != nullptr;
}

// Whole lines only: the move happens between two writes. When the older
// file cannot be replaced (held open by a reader), the log goes on growing
// and the next line tries again.
void ActivityLog::RotateLocked() {
  std::fclose(file_);
  const std::string older = OlderLogPath(path_);
  std::remove(older.c_str());
  std::rename(path_.c_str(), older.c_str());
  file_ = std::fopen(path_.c_str(), "a");
}

void ActivityLog::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void ActivityLog::Write(const std::string& message) {
  std::string text = message.size() > kActivityMessageMax ? message.substr(0, kActivityMessageMax) : message;
  std::string time = CtimeText(clock_.Now());
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_) return;
  std::fprintf(file_, "[%s]: %s\n", time.c_str(), text.c_str());
  std::fflush(file_);
  if (std::ftell(file_) >= limit_) RotateLocked();
}

void ActivityLog::Printf(const char* fmt, ...) {
  char buf[kActivityMessageMax + 1];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  Write(buf);
}

}  // namespace qm
