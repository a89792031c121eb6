#pragma once
// The service's own key, "Service" below HKEY_LOCAL_MACHINE: whether the
// service runs at all, what it does besides counting, and its report tasks.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "service/report_task.h"

namespace qm {

// Words of "ServiceOptions" (12 bytes); word 0 is not used by the service.
inline constexpr int kServiceOptionNotification = 1;
inline constexpr int kServiceOptionRecorder = 2;

// Where the metrics endpoint listens ("127.0.0.1:9464"); missing or empty:
// there is none.
inline constexpr char kMetricsListenValue[] = "MetricsListen";

struct ServiceConfig {
  uint32_t ServiceEnabled = 0;
  uint32_t ServiceOptions[3] = {0, 0, 0};
  std::vector<ReportTask> reports;
  std::string reportsStopped;  // the log line when a bad value ended the tasks
  std::string MetricsListen;

  bool NotificationsInService() const { return ServiceOptions[kServiceOptionNotification] != 0; }
  bool RecorderInService() const { return ServiceOptions[kServiceOptionRecorder] != 0; }
};

// Missing values keep their defaults (not enabled, no options, no tasks);
// a shorter "ServiceOptions" fills the words it covers.
ServiceConfig ReadServiceConfig(SettingsStore& store, RegRoot root);

}  // namespace qm
