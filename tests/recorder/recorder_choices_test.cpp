#include "recorder/recorder_choices.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_file_system.h"

namespace qm {
namespace {

RecorderRow Row(const char* name, uint32_t record, uint32_t interval, const std::string& file) {
  RecorderRow r;
  r.kind = kKindAdapter;
  r.id = std::string("{") + name + "}";
  r.displayName = name;
  r.recordRates = record;
  r.interval = interval;
  r.file = file;
  return r;
}

TEST(RecorderRowTexts, RecordingRowsShowIntervalAndFileOthersNothing) {
  const RecorderRowTexts on = RowTexts(Row("LAN", 1, 5, "C:\\rates.txt"));
  EXPECT_EQ(on.record, "Yes");
  EXPECT_EQ(on.interval, "5 sec.");
  EXPECT_EQ(on.file, "C:\\rates.txt");
  const RecorderRowTexts off = RowTexts(Row("LAN", 0, 5, "C:\\rates.txt"));
  EXPECT_EQ(off.record, "No");
  EXPECT_EQ(off.interval, "");
  EXPECT_EQ(off.file, "");
}

TEST(RecorderBrowse, AppendsTheChosenFiltersExtensionUnlessPresentInAnyCase) {
  const struct {
    const char* name;
    int filter;
    const char* result;
  } cases[] = {
      {"C:\\logs\\rates", kCsvFilter, "C:\\logs\\rates.csv"},
      {"C:\\logs\\rates.CSV", kCsvFilter, "C:\\logs\\rates.CSV"},
      {"C:\\logs\\rates.txt", kCsvFilter, "C:\\logs\\rates.txt.csv"},
      {"C:\\logs\\rates", kTextFilter, "C:\\logs\\rates.txt"},
      {"C:\\logs\\rates.Txt", kTextFilter, "C:\\logs\\rates.Txt"},
      {"C:\\logs\\rates.csv", kTextFilter, "C:\\logs\\rates.csv.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithFilterExtension(c.name, c.filter), c.result) << c.name;
}

TEST(RecorderInterval, ReadsDigitsAsDecimalAndStopsAtTheLargest) {
  EXPECT_EQ(ParseInterval(""), 0u);
  EXPECT_EQ(ParseInterval("0"), 0u);
  EXPECT_EQ(ParseInterval("0010"), 10u);
  EXPECT_EQ(ParseInterval("32767"), 32767u);
  EXPECT_EQ(ParseInterval("99999999999999999999"), 0x7fffffffu);
}

// Each check of OK, with the row it names: the checks of one row go in
// their order, rows in list order, rows that do not record are not looked at.
TEST(RecorderChecks, FirstFailingRowAndCheckInTheirOrder) {
  const struct {
    const char* what;
    std::vector<RecorderRow> rows;
    size_t row;
    std::string message;
  } cases[] = {
      {"interval before file", {Row("A", 0, 0, ""), Row("B", 1, 0, ""), Row("C", 1, 1, "")}, 1, kIntervalTooSmall},
      {"empty file", {Row("A", 1, 1, "C:\\a.txt"), Row("B", 1, 1, "")}, 1, kRatesFileEmpty},
      {"same file in another case",
       {Row("A", 1, 1, "C:\\Logs\\Rates.txt"), Row("B", 0, 1, "C:\\logs\\rates.txt"),
        Row("C", 1, 1, "c:\\LOGS\\rates.TXT")},
       0, kRatesFilesShared},
      {"folder under a file", {Row("A", 1, 1, "C:\\plain\\sub\\rates.txt")}, 0,
       "Failed to create file \"C:\\plain\\sub\\rates.txt\". Be sure you have write permission or choose another "
       "file."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem fs;
    fs.SetContent("C:\\plain", "a file, not a folder");
    const auto refusal = CheckRecorderRows(c.rows, fs);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->row, c.row);
    EXPECT_EQ(refusal->message, c.message);
  }
}

TEST(RecorderChecks, PassingCreatesMissingFoldersAndAnEmptyFileButKeepsAnExistingOne) {
  MemoryFileSystem fs;
  fs.MakeDirectory("C:\\logs");
  fs.SetContent("C:\\logs\\old.csv", "earlier runs\r\n");
  const std::vector<RecorderRow> rows{Row("A", 1, 5, "C:\\logs\\deep\\er\\rates.txt"),
                                      Row("B", 1, 1, "C:\\logs\\old.csv"), Row("C", 0, 0, "")};
  EXPECT_FALSE(CheckRecorderRows(rows, fs).has_value());
  EXPECT_TRUE(fs.IsDirectory("C:\\logs\\deep"));
  EXPECT_TRUE(fs.IsDirectory("C:\\logs\\deep\\er"));
  EXPECT_TRUE(fs.Exists("C:\\logs\\deep\\er\\rates.txt"));
  EXPECT_EQ(fs.Content("C:\\logs\\deep\\er\\rates.txt"), "");
  EXPECT_EQ(fs.Content("C:\\logs\\old.csv"), "earlier runs\r\n");
}

size_t Blocks(const std::string& text) {
  size_t n = 0;
  for (size_t at = text.find("Traffic Rates Log"); at != std::string::npos; at = text.find("Traffic Rates Log", at + 1))
    ++n;
  return n;
}

// The meter window's rules for OK, record by record, against files in memory.
class RecorderApply : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.MakeDirectory("C:\\logs");
    for (const char* name : {"Off", "On", "Interval", "Case", "Mode", "Closed", "Idle"}) {
      AdapterRecord r;
      r.kind = kKindAdapter;
      r.id = std::string("{") + name + "}";
      r.displayName = name;
      r.recordFile = std::string("C:\\logs\\") + name + ".txt";
      r.recordInterval = 2;
      const bool recording = std::string(name) != "On" && std::string(name) != "Idle";
      r.recordRates = recording ? 1 : 0;
      list.Append(std::move(r));
    }
    StartDesktopRecorders(list, fs, options, now);
  }
  AdapterRecord& At(size_t i) { return list[i]; }

  MemoryFileSystem fs;
  AdapterList list;
  RatesLogOptions options{true, false, 0x44};
  LocalTime now{2026, 12, 4, 10, 9, 0, 0, 0};
};

TEST_F(RecorderApply, OpensClosesAndReopensByWhatChanged) {
  // Two seconds into the run, so that a kept countdown shows.
  for (size_t i = 0; i < list.size(); ++i) WriteRatesLine(At(i), RateSample{10, 1, 0, 0}, now, options);
  RecorderOf(At(5)).Close();  // "Closed": its file failed earlier
  std::vector<RecorderRow> rows = RecorderRowsOf(list);
  EXPECT_EQ(rows[2].openFile, "C:\\logs\\Interval.txt");  // open: OK's check passes it as it is
  EXPECT_EQ(rows[1].openFile, "");
  EXPECT_EQ(rows[5].openFile, "");
  rows[0].recordRates = 0;                             // Off: switched off
  rows[1].recordRates = 1, rows[1].interval = 3;       // On: switched on
  rows[1].file = "C:\\logs\\On.csv";
  rows[2].interval = 7;                                // Interval: changed
  rows[3].file = "c:\\LOGS\\case.TXT";                 // Case: the same file
  rows[4].flags |= kRecordNumberOnly;                  // Mode: numbers only
  rows.erase(rows.begin() + 6);                        // Idle: not in the dialog's copy
  ApplyRecorderRows(list, rows, fs, options, now);

  EXPECT_EQ(At(0).recordRates, 0u);
  EXPECT_FALSE(At(0).RecorderOpen());
  EXPECT_EQ(RecorderOf(At(0)).countdown(), 0);
  EXPECT_EQ(RecorderOf(At(0)).downloadSum(), 0u);

  EXPECT_TRUE(At(1).RecorderOpen());
  EXPECT_EQ(At(1).recordInterval, 3u);
  EXPECT_EQ(RecorderOf(At(1)).countdown(), 3);
  EXPECT_NE(At(1).recordFlags & kRecordCsvFile, 0u);
  EXPECT_EQ(Blocks(fs.Content("C:\\logs\\On.csv")), 1u);

  EXPECT_EQ(RecorderOf(At(2)).countdown(), 7);
  EXPECT_EQ(RecorderOf(At(2)).downloadSum(), 0u);
  EXPECT_EQ(Blocks(fs.Content("C:\\logs\\Interval.txt")), 2u);

  EXPECT_EQ(At(3).recordFile, "C:\\logs\\Case.txt");  // not taken over, not reopened
  EXPECT_EQ(Blocks(fs.Content("C:\\logs\\Case.txt")), 1u);
  EXPECT_EQ(RecorderOf(At(3)).countdown(), 1);

  EXPECT_NE(At(4).recordFlags & kRecordNumberOnly, 0u);
  EXPECT_EQ(Blocks(fs.Content("C:\\logs\\Mode.txt")), 2u);
  EXPECT_EQ(RecorderOf(At(4)).downloadSum(), 10u);  // the interval runs on

  EXPECT_TRUE(At(5).RecorderOpen());
  EXPECT_EQ(Blocks(fs.Content("C:\\logs\\Closed.txt")), 2u);

  EXPECT_FALSE(At(6).RecorderOpen());
}

TEST_F(RecorderApply, AFileThatCannotBeWrittenClosesAndSaysSoOnce) {
  fs.diskFull = true;
  EXPECT_TRUE(WriteRatesLine(At(2), RateSample{10, 1, 0, 0}, now, options));  // first of two seconds
  EXPECT_FALSE(WriteRatesLine(At(2), RateSample{10, 1, 0, 0}, now, options));
  EXPECT_FALSE(At(2).RecorderOpen());
  EXPECT_TRUE(WriteRatesLine(At(2), RateSample{10, 1, 0, 0}, now, options));  // closed: nothing more to say
  // OK in the dialog opens it again once the disk has room.
  fs.diskFull = false;
  ApplyRecorderRows(list, RecorderRowsOf(list), fs, options, now);
  EXPECT_TRUE(At(2).RecorderOpen());
}

}  // namespace
}  // namespace qm
