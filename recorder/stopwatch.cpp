#include "recorder/stopwatch.h"

#include <algorithm>
#include <cstdio>

#include "format/amount.h"

namespace qm {

std::string StopwatchElapsedText(uint32_t seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%02u : %02u : %02u", unsigned(seconds / 3600), unsigned(seconds % 3600 / 60),
                unsigned(seconds % 60));
  return text;
}

void StopwatchMeasurement::Start(const AdapterRecord& record, uint64_t nowMs) {
  *this = StopwatchMeasurement{};
  running_ = true;
  read_ = record.samplesAdded;
  startedMs_ = nowMs;
}

void StopwatchMeasurement::CountTime(uint64_t nowMs) {
  if (!running_ || nowMs < startedMs_) return;
  const uint64_t seconds = (nowMs - startedMs_ + 500) / 1000;
  elapsed_ = uint32_t(std::min<uint64_t>(seconds, UINT32_MAX));
}

void StopwatchMeasurement::ReadNewSamples(const AdapterRecord& record) {
  if (!running_) return;
  const uint64_t added = record.samplesAdded - std::min(read_, record.samplesAdded);
  const size_t fresh = size_t(std::min<uint64_t>(added, record.history.size()));
  // Oldest of the new ones first, so that the count grows in time order.
  for (size_t i = fresh; i-- > 0;) Count(record.history[i]);
  read_ = record.samplesAdded;
}

void StopwatchMeasurement::Count(const RateSample& s) {
  downloadTotal_ += s.download;
  uploadTotal_ += s.upload;
  ++samples_;
  maxDown_ = std::max(maxDown_, s.download);
  maxUp_ = std::max(maxUp_, s.upload);
  if (samples_ == 1) {
    minDown_ = s.download;
    minUp_ = s.upload;
  } else {
    minDown_ = std::min(minDown_, s.download);
    minUp_ = std::min(minUp_, s.upload);
  }
  avgDown_ = uint32_t(downloadTotal_ / samples_);
  avgUp_ = uint32_t(uploadTotal_ / samples_);
}

StopwatchTexts StopwatchMeasurement::Texts(bool byteUnits) const {
  const bool any = samples_ > 0;
  StopwatchTexts t;
  t.totalBytesDown = FormatAmount(downloadTotal_, true);
  t.totalBytesUp = FormatAmount(uploadTotal_, true);
  t.totalBitsDown = FormatAmount(downloadTotal_, false);
  t.totalBitsUp = FormatAmount(uploadTotal_, false);
  t.maxDown = FormatRate(maxDown_, byteUnits);
  t.maxUp = FormatRate(maxUp_, byteUnits);
  t.minDown = FormatRate(any ? minDown_ : 0, byteUnits);
  t.minUp = FormatRate(any ? minUp_ : 0, byteUnits);
  t.averageDown = FormatRate(avgDown_, byteUnits);
  t.averageUp = FormatRate(avgUp_, byteUnits);
  t.elapsed = StopwatchElapsedText(elapsed_);
  return t;
}

}  // namespace qm
