#include "recorder/recorder_choices.h"

#include <cstdio>
#include <string_view>

#include "platform/ascii_case.h"

namespace qm {
namespace {

bool EndsWithNoCase(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() && AsciiEqualNoCase(std::string_view(text).substr(text.size() - tail.size()), tail);
}

bool IsSeparator(char c, const FileSystem& fs) { return c == '\\' || c == fs.Separator(); }

AdapterRecord* RecordOf(AdapterList& list, const RecorderRow& row) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].kind == row.kind && list[i].id == row.id) return &list[i];
  return nullptr;
}

}  // namespace

std::vector<RecorderRow> RecorderRowsOf(const AdapterList& list) {
  std::vector<RecorderRow> rows;
  for (size_t i = 0; i < list.size(); ++i) {
    const AdapterRecord& r = list[i];
    const bool open = r.recorder && r.recorder->IsOpen();
    rows.push_back({r.kind, r.id, r.displayName, r.recordRates, r.recordInterval, r.recordFlags, r.recordFile,
                    open ? r.recordFile : std::string()});
  }
  return rows;
}

RecorderRowTexts RowTexts(const RecorderRow& row) {
  if (!row.recordRates) return {"No", "", ""};
  char interval[32];
  std::snprintf(interval, sizeof interval, "%lu sec.", static_cast<unsigned long>(row.interval));
  return {"Yes", interval, row.file};
}

uint32_t ParseInterval(const std::string& text) {
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + uint64_t(c - '0');
    if (value > kLargestRecordInterval) return kLargestRecordInterval;
  }
  return uint32_t(value);
}

std::string WithFilterExtension(const std::string& name, int filter) {
  const char* extension = filter == kCsvFilter ? ".csv" : ".txt";
  return EndsWithNoCase(name, extension) ? name : name + extension;
}

bool PrepareRatesFile(const std::string& path, FileSystem& fs) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i)
    if (IsSeparator(path[i], fs)) last = i;
  if (last != std::string::npos && last > 0) {
    const std::string folder = path.substr(0, last);
    // Every folder on the way that is missing; a step that cannot be made
    // (a drive, a share's server) is judged by the folder at the end.
    for (size_t i = 1; i <= folder.size(); ++i) {
      if (i < folder.size() && !IsSeparator(folder[i], fs)) continue;
      const std::string step = folder.substr(0, i);
      if (!fs.IsDirectory(step)) fs.MakeDirectory(step);
    }
    if (!fs.IsDirectory(folder)) return false;
  }
  return fs.Open(path, FileAccess::Write, FileShare::Read, FileCreate::OpenAlways) != nullptr;
}

std::optional<RecorderRefusal> CheckRecorderRows(const std::vector<RecorderRow>& rows, FileSystem& fs) {
  for (size_t i = 0; i < rows.size(); ++i) {
    const RecorderRow& row = rows[i];
    if (!row.recordRates) continue;
    if (row.interval == 0) return RecorderRefusal{i, kIntervalTooSmall};
    if (row.file.empty()) return RecorderRefusal{i, kRatesFileEmpty};
    for (size_t j = 0; j < rows.size(); ++j)
      if (j != i && rows[j].recordRates && AsciiEqualNoCase(rows[j].file, row.file))
        return RecorderRefusal{i, kRatesFilesShared};
    const bool openHere = !row.openFile.empty() && AsciiEqualNoCase(row.openFile, row.file);
    if (!openHere && !PrepareRatesFile(row.file, fs)) {
      std::vector<char> text(row.file.size() + 128);
      std::snprintf(text.data(), text.size(),
                    "Failed to create file \"%s\". Be sure you have write permission or choose another file.",
                    row.file.c_str());
      return RecorderRefusal{i, text.data()};
    }
  }
  return std::nullopt;
}

void ApplyRecorderRows(AdapterList& list, const std::vector<RecorderRow>& rows, FileSystem& fs,
                       const RatesLogOptions& options, const LocalTime& now) {
  for (const RecorderRow& row : rows) {
    AdapterRecord* found = RecordOf(list, row);
    if (!found) continue;
    AdapterRecord& r = *found;
    RatesRecorder& recorder = RecorderOf(r);
    const uint32_t numberOnly = row.flags & kRecordNumberOnly;
    if (!row.recordRates) {
      if (r.recordRates) {
        r.recordRates = 0;
        recorder.Close();
        r.recordInterval = row.interval;
        r.recordFlags = (r.recordFlags & ~kRecordNumberOnly) | numberOnly;
        r.recordFile = row.file;
        recorder.Reset();
      }
      continue;
    }
    if (r.recordRates) {
      bool changed = false;
      if (row.interval != r.recordInterval) {
        r.recordInterval = row.interval;
        recorder.Start(r.recordInterval);
        changed = true;
      }
      recorder.StartCountdownIfIdle(r.recordInterval);
      if (numberOnly != (r.recordFlags & kRecordNumberOnly)) {
        r.recordFlags = (r.recordFlags & ~kRecordNumberOnly) | numberOnly;
        changed = true;
      }
      if (!AsciiEqualNoCase(row.file, r.recordFile)) {
        r.recordFile = row.file;
        changed = true;
      }
      if (changed) recorder.Close();
      if (!recorder.IsOpen()) OpenRatesLog(r, fs, options, now);
      continue;
    }
    r.recordRates = 1;
    r.recordInterval = row.interval;
    r.recordFlags = (r.recordFlags & ~kRecordNumberOnly) | numberOnly;
    r.recordFile = row.file;
    recorder.Start(r.recordInterval);
    OpenRatesLog(r, fs, options, now);
  }
}

}  // namespace qm
