#include "recorder/adapter_rates_log.h"

#include <memory>

#include "format/dates.h"

namespace qm {
namespace {

class RecordRatesLog : public AdapterRecorder {
 public:
  bool IsOpen() const override { return log.IsOpen(); }
  RatesRecorder log;
};

RecorderSettings SettingsOf(const AdapterRecord& r) {
  return RecorderSettings{r.recordRates, r.recordInterval, r.recordFlags, r.recordFile};
}

void TakeBack(AdapterRecord& r, const RecorderSettings& s) {
  r.recordRates = s.recordRates;
  r.recordInterval = s.interval;
  r.recordFlags = s.flags;
}

RatesLogHeader HeaderFor(const AdapterRecord& r, const RatesLogOptions& o, const LocalTime& now) {
  RatesLogHeader h;
  h.title = AdapterTitle(r, o.showIpInTitle);
  h.dateText = FormatDate(o.dateFormat, now.year, now.month, now.day);
  h.time = now;
  h.interval = r.recordInterval;
  h.byteUnits = o.byteUnits;
  return h;
}

}  // namespace

RatesRecorder& RecorderOf(AdapterRecord& record) {
  auto* own = dynamic_cast<RecordRatesLog*>(record.recorder.get());
  if (!own) {
    auto made = std::make_shared<RecordRatesLog>();
    own = made.get();
    record.recorder = std::move(made);
  }
  return own->log;
}

bool OpenRatesLog(AdapterRecord& record, FileSystem& fs, const RatesLogOptions& options, const LocalTime& now) {
  return RecorderOf(record).Open(fs, record.recordFile, HeaderFor(record, options, now), record.recordFlags);
}

bool WriteRatesLine(AdapterRecord& record, const RateSample& sample, const LocalTime& time,
                    const RatesLogOptions& options) {
  return RecorderOf(record).WriteLine(sample, time, options.dateFormat, record.recordFlags, record.recordInterval,
                               options.byteUnits);
}

namespace {

// Runs one of the recorder rules on every record's recorder group and takes
// back what the rule changed (record rates, interval, the CSV flag).
template <typename Rule>
void ApplyToEveryRecord(AdapterList& list, const RatesLogOptions& options, const LocalTime& now, Rule rule) {
  for (size_t i = 0; i < list.size(); ++i) {
    AdapterRecord& r = list[i];
    RecorderSettings s = SettingsOf(r);
    rule(RecorderOf(r), s, HeaderFor(r, options, now));
    TakeBack(r, s);
  }
}

}  // namespace

void StartDesktopRecorders(AdapterList& list, FileSystem& fs, const RatesLogOptions& options, const LocalTime& now) {
  ApplyToEveryRecord(list, options, now, [&fs](RatesRecorder& rec, RecorderSettings& s, const RatesLogHeader& h) {
    StartDesktopRecording(rec, fs, s, h);
  });
}

void StartServiceRecorders(AdapterList& list, FileSystem& fs, bool recorderOn, const RatesLogOptions& options,
                           const LocalTime& now) {
  ApplyToEveryRecord(list, options, now,
                     [&fs, recorderOn](RatesRecorder& rec, RecorderSettings& s, const RatesLogHeader& h) {
                       StartServiceRecording(rec, fs, s, recorderOn, h);
                     });
}

void ReopenRatesLogs(AdapterList& list, FileSystem& fs, const RatesLogOptions& options, const LocalTime& now) {
  ApplyToEveryRecord(list, options, now, [&fs](RatesRecorder& rec, RecorderSettings& s, const RatesLogHeader& h) {
    ReopenRatesLog(rec, fs, s, h);
  });
}

void CloseRatesLogs(AdapterList& list) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].recorder) RecorderOf(list[i]).Close();
}

}  // namespace qm
