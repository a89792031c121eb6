#pragma once
// The rates recorder over the engine's adapter records: each record's
// recorder group (record rates, interval, flags, file) with its log, and the
// start, unit-change and shutdown rules of both programs.

#include <cstdint>

#include "engine/adapter_list.h"
#include "engine/adapter_record.h"
#include "recorder/rates_log.h"

namespace qm {

// What the log's texts depend on besides the record.
struct RatesLogOptions {
  bool byteUnits = false;    // DisplayUnitByte
  bool showIpInTitle = true; // ShowIPInTitle
  uint32_t dateFormat = 17;  // DateFormat
};

// The record's recorder state, made on first use.
RatesRecorder& RecorderOf(AdapterRecord& record);

// Opens the record's log and appends a header block; false (and the log
// stays closed) when the file cannot be opened.
bool OpenRatesLog(AdapterRecord& record, FileSystem& fs, const RatesLogOptions& options, const LocalTime& now);

// One tick of the record's traffic; a line when its interval is complete.
// False when that line could not be written: the log is closed then.
bool WriteRatesLine(AdapterRecord& record, const RateSample& sample, const LocalTime& time,
                    const RatesLogOptions& options);

// Program start: records that record get a fresh countdown and an opened
// log, every other record's log is closed.
void StartDesktopRecorders(AdapterList& list, FileSystem& fs, const RatesLogOptions& options, const LocalTime& now);
// Service start: the same when the service's recorder option is on;
// otherwise, and for records that do not record, record rates is switched
// off for this run.
void StartServiceRecorders(AdapterList& list, FileSystem& fs, bool recorderOn, const RatesLogOptions& options,
                           const LocalTime& now);
// The unit changed: every open log is closed and opened again.
void ReopenRatesLogs(AdapterList& list, FileSystem& fs, const RatesLogOptions& options, const LocalTime& now);
void CloseRatesLogs(AdapterList& list);

}  // namespace qm
