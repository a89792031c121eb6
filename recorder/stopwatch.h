#pragma once
// The stopwatch's measurement of one adapter: it samples nothing itself but
// reads the per-second samples the tick puts at the head of the adapter's
// history, and keeps totals, maxima, minima and averages of those it read.
// The elapsed time is read from a monotonic clock at each of the stopwatch's
// own timer events, so time and samples may differ by one.

#include <cstdint>
#include <string>

#include "engine/adapter_record.h"

namespace qm {

// The minimum of a direction before any sample was read.
inline constexpr uint32_t kStopwatchNoSample = 4294967295u;

// "%02d : %02d : %02d"; hours widen beyond two digits.
std::string StopwatchElapsedText(uint32_t seconds);

// What the dialog shows, as texts.
struct StopwatchTexts {
  std::string totalBytesDown, totalBytesUp;  // byte units always
  std::string totalBitsDown, totalBitsUp;    // bit units always
  std::string maxDown, maxUp, minDown, minUp, averageDown, averageUp;  // in the display unit
  std::string elapsed;
};

class StopwatchMeasurement {
 public:
  // Zeroes every figure and the time, sets the minima to "no sample" and
  // takes every sample already in the record's history as read. `nowMs` is
  // a monotonic clock's reading in milliseconds.
  void Start(const AdapterRecord& record, uint64_t nowMs);
  void Stop() { running_ = false; }
  bool running() const { return running_; }

  // The stopwatch's timer: the elapsed time becomes the whole seconds since
  // the start by the same clock, to the nearest. Counting the timer's events
  // instead would lose every second the program stood still (a machine
  // asleep, a stopped process), since a late timer fires only once.
  void CountTime(uint64_t nowMs);

  // Reads the samples the tick added since the last read, newest first
  // back to the last one read. When the history was emptied in between
  // (a reset of the adapter's rates), only what it holds now is new.
  void ReadNewSamples(const AdapterRecord& record);

  StopwatchTexts Texts(bool byteUnits) const;

  uint32_t elapsedSeconds() const { return elapsed_; }
  uint64_t downloadTotal() const { return downloadTotal_; }
  uint64_t uploadTotal() const { return uploadTotal_; }
  uint32_t maxDownload() const { return maxDown_; }
  uint32_t maxUpload() const { return maxUp_; }
  uint32_t minDownload() const { return minDown_; }
  uint32_t minUpload() const { return minUp_; }
  uint32_t averageDownload() const { return avgDown_; }
  uint32_t averageUpload() const { return avgUp_; }
  uint32_t sampleCount() const { return samples_; }

 private:
  void Count(const RateSample& s);

  bool running_ = false;
  uint32_t elapsed_ = 0;
  uint64_t downloadTotal_ = 0, uploadTotal_ = 0;
  uint32_t maxDown_ = 0, maxUp_ = 0;
  uint32_t minDown_ = kStopwatchNoSample, minUp_ = kStopwatchNoSample;
  uint32_t avgDown_ = 0, avgUp_ = 0;
  uint32_t samples_ = 0;
  uint64_t read_ = 0;  // the record's samplesAdded at the last read
  uint64_t startedMs_ = 0;
};

}  // namespace qm
