// The history file as any bytes: the readers deliver exactly the plausible
// whole records at their offsets, and the engine's open, load and flush
// (a program start within the day) keep every byte of other days and give
// back, after a restart, the totals they started from. A file that is not a
// history file is moved aside whole.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/day_record.h"
#include "engine/history_file.h"
#include "tests/fakes/memory_file_system.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using qm::fuzz::Check;

struct Totals {
  uint64_t download, upload;
  int64_t position;
  bool operator==(const Totals&) const = default;
};

std::vector<Totals> Load(qm::HistoryFile& history, qm::AdapterList& list, const qm::LocalTime& day) {
  history.LoadDayTotals(list, day);
  std::vector<Totals> out;
  for (size_t i = 0; i < list.size(); ++i)
    out.push_back({list[i].todayDownload, list[i].todayUpload, list[i].dayRecordPosition});
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qm::MemoryFileSystem fs('/');
  const std::string path = "TrafficHistory.log";
  const std::string input(reinterpret_cast<const char*>(data), size);
  fs.SetContent(path, input);

  // Every plausible whole record, in order, byte for byte.
  std::vector<int64_t> offsets;
  qm::HistoryStatus status = qm::VisitDayRecords(fs, path, [&](const qm::DayRecord& r, int64_t offset) {
    Check(qm::IsPlausibleDayRecord(r) && offset + qm::kDayRecordSize <= int64_t(size));
    Check(std::memcmp(data + offset, &r, sizeof r) == 0);
    Check((offset - qm::kHistoryHeaderSize) % qm::kDayRecordSize == 0);
    Check(offsets.empty() || offset > offsets.back());
    offsets.push_back(offset);
    return true;
  });
  qm::HistoryHeader header{};
  if (size >= sizeof header) std::memcpy(&header, data, sizeof header);
  const bool history = size >= sizeof header && qm::IsHistoryHeader(header);
  Check(status == (size == 0 || history ? qm::HistoryStatus::Ok : qm::HistoryStatus::NotHistoryFile));

  // The engine starts on the day of the first record, with one adapter of
  // each kind: the real one named as in that record when it is one.
  qm::DayRecord first{};
  if (!offsets.empty()) std::memcpy(&first, data + offsets[0], sizeof first);
  qm::LocalTime day;
  day.year = offsets.empty() ? 2010 : first.year;
  day.month = offsets.empty() ? 3 : first.month;
  day.day = offsets.empty() ? 14 : first.day;
  day.dayOfWeek = first.dayOfWeek;
  qm::AdapterList list;
  const std::string named = first.kind == qm::kKindAdapter ? first.Id() : "{00000002-0000}";
  for (const std::string& id : {std::string(), std::string(), named, std::string("{00000003-0000}")}) {
    qm::AdapterRecord r;
    r.kind = list.size() == 0 ? qm::kKindAllConnections : list.size() == 1 ? qm::kKindDialUp : qm::kKindAdapter;
    r.id = id;
    if (list.size() < 3 || id != named) list.Append(std::move(r));  // no adapter twice
  }

  qm::HistoryFile engine(fs);
  Check(engine.Open(path));
  if (size > 0 && !history) {
    // Not ours: kept whole beside a fresh file.
    Check(!engine.movedAsidePath().empty());
    Check(fs.Content(engine.movedAsidePath()) == input);
    Check(fs.Content(path).size() == sizeof header);
  }
  std::vector<Totals> before = Load(engine, list, day);
  engine.FlushDayRecords(list, day);
  engine.Close();

  // A restart finds the same totals at the same places.
  qm::HistoryFile again(fs);
  Check(again.Open(path) && again.movedAsidePath().empty());
  std::vector<Totals> after = Load(again, list, day);
  for (size_t i = 0; i < before.size(); ++i) {
    Check(after[i].download == before[i].download && after[i].upload == before[i].upload);
    Check(before[i].position < 0 || after[i].position == before[i].position);
  }
  again.Close();

  // Nothing of another day moved or changed.
  if (history) {
    const std::string now = fs.Content(path);
    for (int64_t offset : offsets) {
      qm::DayRecord r;
      std::memcpy(&r, data + offset, sizeof r);
      if (r.SameDate(day)) continue;
      Check(int64_t(now.size()) >= offset + qm::kDayRecordSize &&
            std::memcmp(now.data() + offset, data + offset, sizeof r) == 0);
    }
  }
  return 0;
}
