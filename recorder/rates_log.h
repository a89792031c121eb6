#pragma once
// The traffic rates recorder of one adapter: a log file with one line per
// recording interval, as a fixed-width text table or as CSV. Every opening
// appends a header block, so one file collects many recording runs.
//
// The recorder settings themselves (record rates, interval, flags, file)
// belong to the adapter's record; this class holds what recording needs
// while it runs: the open file, the countdown and the interval sums.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/rate_sample.h"
#include "platform/clock.h"
#include "platform/file.h"

namespace qm {

// Record flags.
inline constexpr uint32_t kRecordNumberOnly = 1u << 0;  // stored as RecordNumberOnly
inline constexpr uint32_t kRecordCsvFile = 1u << 28;    // set when the log is opened, never stored

// Printed in the banner of a new log file: the product and its home page.
inline constexpr char kRatesLogProduct[] = "Quellmark";
inline constexpr char kRatesLogWebAddress[] = "https://www.quellmark.example/";

// CSV when the extension (from the last "." after the last separator) is
// ".csv" in any case; text otherwise, also for a bare file name.
bool IsCsvRatesFile(const std::string& path);

// What goes into a header block besides the file's own kind.
struct RatesLogHeader {
  std::string title;        // the adapter's title (display name, maybe with its IP address)
  std::string dateText;     // today in the DateFormat option's form
  LocalTime time;           // hh:mm:ss are printed
  uint32_t interval = 1;    // seconds per line
  bool byteUnits = true;    // DisplayUnitByte when the file is opened
};

// The block appended at every opening: separator for a non-empty file,
// banner for a new one, header, column titles and (text only) rule line.
std::string FormatRatesLogHeader(const RatesLogHeader& header, bool csv, bool newFile);

// One data line. In numbers-only mode with bit units the amounts are
// multiplied by 8; otherwise they go through FormatShortAmount.
std::string FormatRatesLine(const std::string& dateText, const LocalTime& time, uint64_t download, uint64_t upload,
                            bool csv, bool numbersOnly, bool byteUnits);

// The stored recorder group of an adapter (AdaptersEx values).
struct RecorderSettings {
  uint32_t recordRates = 0;  // RecordTrafficRates
  uint32_t interval = 1;     // RecordInterval, seconds per line
  uint32_t flags = 0;        // bit 0 RecordNumberOnly
  std::string file;          // RecordFile
};

// The largest recording interval: what the dialog accepts and what a larger
// stored one records with.
inline constexpr uint32_t kLargestRecordInterval = 0x7fffffffu;

class RatesRecorder {
 public:
  // Countdown = interval, sums zero. An interval of 0 is made 1 and one past
  // kLargestRecordInterval is made that, in the caller's setting as well, so
  // that the record reads back as it records.
  void Start(uint32_t& interval);
  // Opens or creates the file for appending (others may read it), writes
  // the header block and flushes; sets or clears kRecordCsvFile in flags.
  // On failure the recorder stays closed and nothing is reported.
  bool Open(FileSystem& fs, const std::string& path, const RatesLogHeader& header, uint32_t& flags);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // Adds one tick's traffic; when the interval is complete, writes and
  // flushes its line with the tick's date (in the DateFormat option's form)
  // and time, then starts the next interval. Between lines nothing but the
  // two sums is touched. Does nothing while the file is closed. A line
  // that cannot be written (the folder is gone, the disk is full) closes
  // the file and returns false, so the failure is told once.
  bool WriteLine(const RateSample& sample, const LocalTime& time, uint32_t dateFormat, uint32_t flags,
                 uint32_t interval, bool byteUnits);

  int32_t countdown() const { return countdown_; }
  uint64_t downloadSum() const { return download_; }
  uint64_t uploadSum() const { return upload_; }
  // The zeroed state of a recorder that was switched off.
  void Reset() { countdown_ = 0, download_ = 0, upload_ = 0; }
  // A countdown that never started begins with the interval; the sums stay.
  void StartCountdownIfIdle(uint32_t interval) {
    if (countdown_ == 0) countdown_ = int32_t(interval > 0x7fffffffu ? 0x7fffffffu : interval);
  }

 private:
  std::unique_ptr<File> file_;
  int32_t countdown_ = 0;
  uint64_t download_ = 0;
  uint64_t upload_ = 0;
};

// Start of recording when the program or the service starts. A record that
// records gets a fresh countdown and an opened log; the desktop program
// closes every other record's log, the service (whose recorder option is
// off, or the record not set to record) clears the record's flag for this
// run. Returns whether the log is open.
bool StartDesktopRecording(RatesRecorder& recorder, FileSystem& fs, RecorderSettings& settings,
                           const RatesLogHeader& header);
bool StartServiceRecording(RatesRecorder& recorder, FileSystem& fs, RecorderSettings& settings,
                           bool recorderOptionOn, const RatesLogHeader& header);

// After a change of the unit mode: an open log is closed and opened again,
// so that a new header block with the new unit line follows. The countdown
// and sums carry on.
void ReopenRatesLog(RatesRecorder& recorder, FileSystem& fs, RecorderSettings& settings, const RatesLogHeader& header);

}  // namespace qm
