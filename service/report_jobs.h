#pragma once
// Which scheduled report tasks have a job running. A task has at most one:
// a run that falls due while the last one still writes is skipped, so slow
// or hanging report paths cannot pile up threads. Shared between the worker
// and its jobs; a job that outlives the worker keeps it alive.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace qm {

class ReportJobs {
 public:
  explicit ReportJobs(size_t tasks) : running_(tasks, false) {}

  // False when the task's last job still runs; otherwise marks it running.
  bool TryStart(size_t task);
  void Finish(size_t task);
  // Waits until no job runs, at most `ms`; true when none runs.
  bool WaitIdle(int ms);
  size_t Running();

 private:
  std::mutex mutex_;
  std::condition_variable idle_;
  std::vector<bool> running_;
  size_t count_ = 0;
};

}  // namespace qm
