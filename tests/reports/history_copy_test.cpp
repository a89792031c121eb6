#include "reports/history_copy.h"

#include <gtest/gtest.h>

#include "engine/day_record.h"
#include "tests/fakes/memory_file_system.h"

namespace qm {
namespace {

class HistoryCopy : public ::testing::Test {
 protected:
  HistoryCopy() {
    fs.MakeDirectory("C:");
    fs.MakeDirectory("C:\\logs");
    fs.SetContent(kLog, std::string(24 + 296 * 3, 'h'));
  }
  // Every file of the folder, to show that nothing else was left behind.
  size_t Files() {
    size_t n = 0;
    for (const char* name : {kLog, kBackup, "C:\\logs\\backup.log.copy1", "C:\\logs\\backup.log.old1"})
      n += fs.Exists(name) ? 1 : 0;
    return n;
  }
  static constexpr char kLog[] = "C:\\logs\\TrafficHistory.log";
  static constexpr char kBackup[] = "C:\\logs\\backup.log";
  MemoryFileSystem fs;
};

TEST_F(HistoryCopy, NumberedNamesSkipTakenOnesAndKeepTheExtension) {
  EXPECT_EQ(NumberedFreeName(fs, kLog), "C:\\logs\\TrafficHistory_1.log");
  fs.SetContent("C:\\logs\\TrafficHistory_1.log", "x");
  EXPECT_EQ(NumberedFreeName(fs, kLog), "C:\\logs\\TrafficHistory_2.log");
  // The extension starts at the file name's last dot, not a folder's.
  EXPECT_EQ(NumberedFreeName(fs, "C:\\my.logs\\history"), "C:\\my.logs\\history_1");
  EXPECT_EQ(NumberedFreeName(fs, "C:\\logs\\a.b.log"), "C:\\logs\\a.b_1.log");
}

TEST_F(HistoryCopy, ACopyReplacesOnlyWhenAskedAndLeavesNothingElse) {
  ASSERT_TRUE(CopyWholeFile(fs, kLog, kBackup, false));
  EXPECT_EQ(fs.Content(kBackup), fs.Content(kLog));
  fs.SetContent(kLog, "newer");
  EXPECT_FALSE(CopyWholeFile(fs, kLog, kBackup, false));  // a restore never replaces
  EXPECT_NE(fs.Content(kBackup), "newer");
  ASSERT_TRUE(CopyWholeFile(fs, kLog, kBackup, true));  // a backup does
  EXPECT_EQ(fs.Content(kBackup), "newer");
  EXPECT_EQ(Files(), 2u);
}

TEST_F(HistoryCopy, AFailedCopyChangesNothingUnderTheChosenName) {
  fs.SetContent(kBackup, "old backup");
  // A full disk: the temporary copy cannot be written.
  fs.diskFull = true;
  EXPECT_FALSE(CopyWholeFile(fs, kLog, kBackup, true));
  fs.diskFull = false;
  EXPECT_EQ(fs.Content(kBackup), "old backup");
  EXPECT_EQ(Files(), 2u);
  // Renames refused: the copy is whole but cannot take the name.
  fs.failMoves = true;
  EXPECT_FALSE(CopyWholeFile(fs, kLog, kBackup, true));
  EXPECT_FALSE(CopyWholeFile(fs, kLog, "C:\\logs\\fresh.log", false));
  fs.failMoves = false;
  EXPECT_EQ(fs.Content(kBackup), "old backup");
  EXPECT_FALSE(fs.Exists("C:\\logs\\fresh.log"));
  EXPECT_EQ(Files(), 2u);
  // A missing source or folder.
  EXPECT_FALSE(CopyWholeFile(fs, "C:\\logs\\none.log", kBackup, true));
  EXPECT_FALSE(CopyWholeFile(fs, kLog, "C:\\nowhere\\b.log", true));
  EXPECT_EQ(fs.Content(kBackup), "old backup");
}

// Restore takes only a traffic log file: a chosen file of anything else
// would be renamed aside at the next start, and the person would find an
// empty history where the backup was meant to be.
TEST_F(HistoryCopy, RestoreTakesOnlyATrafficLogFile) {
  const HistoryHeader h = MakeHistoryHeader();
  const std::string header(reinterpret_cast<const char*>(&h), sizeof h);
  std::string version1 = header;
  version1[4] = 1;
  const struct {
    const char* what;
    std::string content;
    RestoreOutcome want;
  } cases[] = {
      {"records", header + std::string(296 * 2, '\0'), RestoreOutcome::Restored},
      {"torn last record", header + std::string(100, 'x'), RestoreOutcome::Restored},
      {"header only", header, RestoreOutcome::Restored},
      {"empty", "", RestoreOutcome::NotHistoryFile},
      {"torn header", header.substr(0, 10), RestoreOutcome::NotHistoryFile},
      {"version 1", version1 + std::string(296, '\0'), RestoreOutcome::NotHistoryFile},
      {"text", "Date,Downloaded,Uploaded\r\n", RestoreOutcome::NotHistoryFile},
  };
  const std::string numbered = "C:\\logs\\TrafficHistory_1.log";
  for (const auto& c : cases) {
    fs.SetContent(kBackup, c.content);
    fs.Remove(numbered);
    std::string restored;
    EXPECT_EQ(RestoreHistoryBackup(fs, kBackup, kLog, restored), c.want) << c.what;
    if (c.want == RestoreOutcome::Restored) {
      EXPECT_EQ(restored, numbered) << c.what;
      EXPECT_EQ(fs.Content(numbered), c.content) << c.what;
    } else {
      EXPECT_FALSE(fs.Exists(numbered)) << c.what;
    }
  }
  std::string restored;
  EXPECT_EQ(RestoreHistoryBackup(fs, "c:\\LOGS\\trafficHISTORY.log", kLog, restored), RestoreOutcome::SameFile);
  EXPECT_EQ(RestoreHistoryBackup(fs, "C:\\logs\\none.log", kLog, restored), RestoreOutcome::CopyFailed);
  EXPECT_FALSE(fs.Exists(numbered));
}

TEST(SamePathNoCase, IgnoresOnlyTheCaseOfLetters) {
  EXPECT_TRUE(SamePathNoCase("C:\\Logs\\Traffic.LOG", "c:\\logs\\traffic.log"));
  EXPECT_FALSE(SamePathNoCase("C:\\logs\\traffic.log", "C:\\logs\\traffic.log2"));
}

}  // namespace
}  // namespace qm
