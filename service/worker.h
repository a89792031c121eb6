#pragma once
// The service worker: loads the machine-wide settings, builds the adapter
// list, opens the history file and ticks once a second until it is asked to
// stop; each tick also drives the notification rule, the rates recorder and
// the scheduled report tasks. Everything outside the worker comes in
// through the seams below, so the whole worker runs in tests.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/adapter_source.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/settings_store.h"
#include "service/activity_log.h"

namespace qm {

// Activity log messages of the worker.
inline constexpr char kLogNoIpSupport[] = "Err: 0x0102000";
inline constexpr char kLogSetupFailed[] = "Err: 0x0101000";
inline constexpr char kLogNotEnabled[] =
    "Service isn't enabled. You may enable service at \"Options\" -> \"Serice\" -> \"Enable Serice\"";
inline constexpr char kLogTrafficFile[] = "Traffic log file: %s";
inline constexpr char kLogTrafficFileFailed[] = "Failed to create traffic file";
inline constexpr char kLogHistoryMovedAside[] =
    "Traffic log file (%s) is not a traffic log file: it was renamed to %s and a new one started.";
inline constexpr char kLogRunning[] = "Service is running...";
inline constexpr char kLogHistoryWriteFailed[] =
    "Failed to write traffic log file (%s): %s. The totals are kept and written at the next flush.";
inline constexpr char kLogReportSkipped[] =
    "Report (%s) is still being written; runs that fall due meanwhile are skipped.";
inline constexpr char kLogReportThreadFailed[] = "Failed to start the report job for '%s'.";
inline constexpr char kLogHistoryWritten[] = "Traffic log file (%s) written again.";
inline constexpr char kLogMetricsFailed[] =
    "Metrics: cannot listen on %s: %s. The service counts on without the endpoint.";
inline constexpr char kLogMetricsListening[] = "Metrics: listening on %s.";
inline constexpr char kLogRatesWriteFailed[] =
    "Failed to write rates recording file (%s): %s. Recording the traffic rates of %s stops until the service "
    "starts again.";
inline constexpr char kLogHistoryLost[] =
    "Failed to write traffic log file (%s) at stop: %s. The traffic counted since its last write is lost.";

struct WorkerSeams {
  WorkerSeams(SettingsStore& st, AdapterSource& ad, Clock& cl, FileSystem& f, ActivityLog& lg)
      : store(st), adapters(ad), clock(cl), fs(f), log(lg) {}

  SettingsStore& store;
  AdapterSource& adapters;
  Clock& clock;
  FileSystem& fs;
  ActivityLog& log;
  std::string serviceFolder;  // the service program's folder, ending in a separator
  bool ipSupport = true;      // the IP support library and both its functions were found
  // Waits up to `ms` for the stop request: true when it came (or the wait
  // failed), false when the time ran out.
  std::function<bool(int ms)> waitForStop;
  // Runs a job on a thread of its own; the job owns everything it uses.
  // False when no thread could be started (the job then never runs).
  std::function<bool(std::function<void()>)> startThread;
  // How long the end of the worker waits for report jobs still writing.
  int jobStopWaitMs = 2000;
  // A report path as the system's ANSI text.
  std::function<std::string(const std::u16string&)> toAnsiPath;
  // Where notification mail goes (tests point it at their own server).
  uint16_t smtpPort = 25;
};

// Runs set-up, the loop and the final flush. Returns once the worker has
// finished; the caller then signals the service main function. The result
// is the number of report jobs still running: the process must then end
// without tearing down what they use.
size_t RunServiceWorker(WorkerSeams& seams);

}  // namespace qm
