#include "service/report_jobs.h"

#include <chrono>

namespace qm {

bool ReportJobs::TryStart(size_t task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (task >= running_.size() || running_[task]) return false;
  running_[task] = true;
  ++count_;
  return true;
}

void ReportJobs::Finish(size_t task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (task >= running_.size() || !running_[task]) return;
  running_[task] = false;
  if (--count_ == 0) idle_.notify_all();
}

bool ReportJobs::WaitIdle(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return count_ == 0; });
}

size_t ReportJobs::Running() {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

}  // namespace qm
