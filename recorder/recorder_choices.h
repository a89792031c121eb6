#pragma once
// What the "Traffic Rates Recorder" dialog edits and how its choices are
// checked and applied: a row per adapter with a copy of the record's
// recorder group, the texts of the row, the browse dialog's extension rule,
// the checks of OK in their order, and the rules by which the meter window
// takes the rows over (files opened, closed and reopened).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/adapter_list.h"
#include "platform/file.h"
#include "recorder/adapter_rates_log.h"

namespace qm {

// One adapter's row: who it is and its recorder group as edited.
struct RecorderRow {
  int32_t kind = 0;
  std::string id;
  std::string displayName;
  uint32_t recordRates = 0;
  uint32_t interval = 1;
  uint32_t flags = 0;  // bit 0: numbers only
  std::string file;
  // The file the record's log has open now; empty when it is closed.
  std::string openFile;
};

std::vector<RecorderRow> RecorderRowsOf(const AdapterList& list);

// The "Record", "Interval" and "File" columns of a row: "Yes" or "No", and
// for a recording row "%ld sec." and the file, otherwise empty.
struct RecorderRowTexts {
  std::string record, interval, file;
};
RecorderRowTexts RowTexts(const RecorderRow& row);

// The interval box read as a decimal number; what is not a number reads as
// 0 and what is too large as the largest interval.
uint32_t ParseInterval(const std::string& text);

// The browse dialog's filters, counting from 1 as the dialog does.
enum RecorderFilter : int { kTextFilter = 1, kCsvFilter = 2 };
// The chosen name with the filter's extension (".txt" or ".csv") appended
// unless it already ends in it, in any case.
std::string WithFilterExtension(const std::string& name, int filter);

// The first failing check of OK: the row to select and the message.
struct RecorderRefusal {
  size_t row = 0;
  std::string message;
};

inline constexpr char kIntervalTooSmall[] = "The recording interval should be equal to or greater than 1.";
inline constexpr char kRatesFileEmpty[] = "The rates recording file should not be empty.";
inline constexpr char kRatesFilesShared[] =
    "There are two or more same rates recording files. Please choose a different file for each adapter.";

// Checks every recording row in list order, each against interval,
// empty file, a file shared with another recording row (without regard to
// case), and the file's folder and the file itself, which are created when
// missing (so a passed check leaves them behind). The file a row's log
// has open already passes: the log lets others only read it, so a second
// opening for writing would fail.
std::optional<RecorderRefusal> CheckRecorderRows(const std::vector<RecorderRow>& rows, FileSystem& fs);

// Makes the file's folder, folder by folder, and opens or creates the file
// without touching its content. False when either cannot be done.
bool PrepareRatesFile(const std::string& path, FileSystem& fs);

// Takes the checked rows over into the records they were made from:
// recording switched off closes the file; switched on opens it; a changed
// interval, number mode or file (compared without regard to case) closes
// the file and opens it again; a recording record whose file is closed
// (it could not be opened or written before) is opened again.
void ApplyRecorderRows(AdapterList& list, const std::vector<RecorderRow>& rows, FileSystem& fs,
                       const RatesLogOptions& options, const LocalTime& now);

}  // namespace qm
