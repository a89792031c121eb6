#include "service/service_config.h"

#include <algorithm>
#include <cstring>

#include "settings/registry_layout.h"
#include "settings/value_reading.h"

namespace qm {

ServiceConfig ReadServiceConfig(SettingsStore& store, RegRoot root) {
  ServiceConfig config;
  settings_io::ReadNumber(store, root, kServiceKey, "ServiceEnabled", config.ServiceEnabled);
  std::vector<uint8_t> options;
  if (store.ReadBinary(root, kServiceKey, "ServiceOptions", options))
    std::memcpy(config.ServiceOptions, options.data(), std::min(options.size(), sizeof config.ServiceOptions));
  config.reports = LoadReportTasks(store, root, &config.reportsStopped);
  store.ReadString(root, kServiceKey, kMetricsListenValue, config.MetricsListen);
  return config;
}

}  // namespace qm
