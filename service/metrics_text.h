#pragma once
// The service's counters in the Prometheus text exposition format
// (version 0.0.4), for the metrics endpoint.

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct AdapterMetrics {
  int32_t kind = 0;
  std::string id;    // empty for the pseudo adapters
  std::string name;  // display name
  uint64_t received = 0, sent = 0;            // since the service started; only grow
  uint64_t todayReceived = 0, todaySent = 0;  // today's totals, as the history file gets them
  uint32_t receiveRate = 0, sendRate = 0;     // bytes in the last tick
};

struct MetricsSnapshot {
  int64_t startTime = 0;  // seconds since 1970-01-01 UTC
  std::vector<AdapterMetrics> adapters;
};

std::string MetricsText(const MetricsSnapshot& snapshot);

// A label value: UTF-8, with backslash, double quote and line feed escaped.
std::string LabelValue(const std::string& text);

}  // namespace qm
