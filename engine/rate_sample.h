#pragma once
// One second of one adapter's traffic, as the graph views, the tray icon and
// the rates recorder receive it.

#include <cstdint>
#include <deque>

namespace qm {

struct RateSample {
  uint32_t download = 0;         // bytes received during the tick
  uint32_t upload = 0;           // bytes sent during the tick
  uint32_t averageDownload = 0;  // cumulative download / sample count
  uint32_t averageUpload = 0;
};

// Newest sample first.
using SampleHistory = std::deque<RateSample>;

}  // namespace qm
