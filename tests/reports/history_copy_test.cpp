#include "reports/history_copy.h"

#include <gtest/gtest.h>

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

TEST(SamePathNoCase, IgnoresOnlyTheCaseOfLetters) {
  EXPECT_TRUE(SamePathNoCase("C:\\Logs\\Traffic.LOG", "c:\\logs\\traffic.log"));
  EXPECT_FALSE(SamePathNoCase("C:\\logs\\traffic.log", "C:\\logs\\traffic.log2"));
}

}  // namespace
}  // namespace qm
