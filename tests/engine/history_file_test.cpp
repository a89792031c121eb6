#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/ascii_case.h"
#include "tests/engine/engine_fixture.h"
#include "tests/fakes/failing_file_system.h"
#include "tests/fakes/memory_file_system.h"

namespace qm {
namespace {

std::string ReadAll(const std::string& path) {
  auto f = SystemFileSystem().Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  if (!f) return "<missing>";
  std::string s(size_t(f->Size()), '\0');
  f->Read(s.data(), s.size());
  return s;
}

void WriteAll(const std::string& path, const std::string& bytes) {
  auto f = SystemFileSystem().Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
  ASSERT_TRUE(f);
  ASSERT_TRUE(f->Write(bytes.data(), bytes.size()));
}

std::string HeaderBytes() {
  HistoryHeader h = MakeHistoryHeader();
  return std::string(reinterpret_cast<const char*>(&h), sizeof h);
}

std::string RecordBytes(const DayRecord& r) { return std::string(reinterpret_cast<const char*>(&r), sizeof r); }

class HistoryFileTest : public EngineTest {
 protected:
  // A desktop engine on `fs` with a fresh history file of the test's name.
  void StartOn(FileSystem& fs) {
    path = TestFileName();
    SystemFileSystem().Remove(path);
    engine_ = std::make_unique<TrafficEngine>(EngineVariant::Desktop, source, store, fs, clock);
    engine().set_listener(&listener);
    engine().LoadAdapterList();
    ASSERT_TRUE(engine().OpenHistoryFile(path, true));
  }
};

TEST_F(HistoryFileTest, FailedFirstFlushNeverLetsTwoAdaptersShareARecord) {
  AddAdapter(1);
  AddAdapter(2);
  MemoryFileSystem fs;
  path = "TrafficHistory.log";
  engine_ = std::make_unique<TrafficEngine>(EngineVariant::Desktop, source, store, fs, clock);
  engine().LoadAdapterList();
  ASSERT_TRUE(engine().OpenHistoryFile(path, true));
  for (size_t i = 0; i < engine().adapters().size(); ++i) engine().adapters()[i].todayDownload = 10 + i;
  fs.diskFull = true;
  engine().FlushDayRecords();
  fs.diskFull = false;
  engine().FlushDayRecords();
  std::vector<DayRecord> days;
  std::string error;
  ASSERT_TRUE(ReadDayRecords(fs, path, days, &error)) << error;
  ASSERT_EQ(days.size(), 4u);
  for (size_t i = 0; i < days.size(); ++i) EXPECT_EQ(days[i].download, 10 + i) << i;
}

// A full disk at a four-minute boundary and across midnight: nothing is
// lost, each run of failures is told once, and once the disk has room the
// next flush writes yesterday's totals and then today's.
TEST_F(HistoryFileTest, FailedFlushesKeepTheTotalsAndAreToldOncePerRun) {
  AddAdapter(1);
  FullDiskFileSystem fs;
  clock.now = At(2026, 1, 1, 23, 50, 0);
  StartOn(fs);
  auto failures = [this](const char* what) {
    return std::count(listener.log.begin(), listener.log.end(), std::string(what) + " " + path);
  };

  SetCounters(1, 1000, 10);
  TickAt(At(2026, 1, 1, 23, 51, 0));
  fs.full = true;
  TickAt(At(2026, 1, 1, 23, 52, 0));  // boundary: fails
  SetCounters(1, 3000, 30);
  TickAt(At(2026, 1, 1, 23, 56, 0));  // boundary: fails again, not told again
  EXPECT_EQ(failures("HistoryWriteFailed"), 1);
  SetCounters(1, 3500, 35);
  TickAt(At(2026, 1, 2, 0, 0, 1));  // midnight: the 1st's totals must wait
  EXPECT_EQ(Real(1).todayDownload, 500u);
  EXPECT_TRUE(engine().history().HasUnwritten());
  EXPECT_TRUE(FileRecords().empty());

  fs.full = false;
  EXPECT_TRUE(engine().FlushDayRecords());
  EXPECT_EQ(failures("HistoryWriteFailed"), 1);
  EXPECT_EQ(failures("HistoryWritten"), 1);
  EXPECT_FALSE(engine().history().HasUnwritten());
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 6u);
  EXPECT_EQ(days[0].day, 1);
  EXPECT_EQ(days[0].download, 3000u);
  EXPECT_EQ(days[2].download, 3000u);
  EXPECT_EQ(days[2].upload, 30u);
  EXPECT_EQ(days[3].day, 2);
  EXPECT_EQ(days[5].download, 500u);

  // A later failure is a new run, told again.
  fs.full = true;
  EXPECT_FALSE(engine().FlushDayRecords());
  EXPECT_EQ(failures("HistoryWriteFailed"), 2);
}

// Clear cut the file but could not write its header: the next flush must not
// put records behind a gap where the header belongs, or the whole file is
// taken for something else by every reader and at the next start.
TEST_F(HistoryFileTest, AFlushAfterAHalfDoneClearWritesTheHeaderFirst) {
  AddAdapter(1);
  FullDiskFileSystem fs;
  StartOn(fs);
  ASSERT_TRUE(engine().FlushDayRecords());
  fs.full = true;
  EXPECT_FALSE(engine().ClearHistory());
  fs.full = false;
  engine().adapters()[0].todayDownload = 7;
  EXPECT_TRUE(engine().FlushDayRecords());
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[0].download, 7u);
}

// Clear could not even cut the file: the file and the day stay as they were.
// Forgetting the day's offsets would put a second record of today after the
// old one, and the day's count would start again from zero.
TEST_F(HistoryFileTest, AClearThatCannotCutTheFileKeepsTheDay) {
  AddAdapter(1);
  MemoryFileSystem fs;
  StartOn(fs);
  Real(1).todayDownload = 500;
  ASSERT_TRUE(engine().FlushDayRecords());
  fs.diskFull = true;
  EXPECT_FALSE(engine().ClearHistory());
  fs.diskFull = false;
  EXPECT_EQ(Real(1).todayDownload, 500u);
  Real(1).todayDownload += 10;
  ASSERT_TRUE(engine().FlushDayRecords());
  std::vector<DayRecord> days;
  std::string error;
  ASSERT_TRUE(ReadDayRecords(fs, path, days, &error)) << error;
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[2].download, 510u);
}

// The system cannot tell the file's size for a moment: an append must not
// take the header's end for the file's end, where it would overwrite the
// oldest records.
TEST_F(HistoryFileTest, AnAppendWithoutTheFileSizeOverwritesNothing) {
  AddAdapter(1);
  FullDiskFileSystem fs;
  clock.now = At(2026, 1, 1, 23, 59, 58);
  StartOn(fs);
  for (size_t i = 0; i < engine().adapters().size(); ++i) engine().adapters()[i].todayDownload = 10 + i;
  TickAt(At(2026, 1, 2, 0, 0, 0));  // the 1st written, the 2nd not yet
  for (size_t i = 0; i < engine().adapters().size(); ++i) engine().adapters()[i].todayDownload = 20 + i;
  fs.sizeUnknown = true;
  EXPECT_FALSE(engine().FlushDayRecords());
  fs.sizeUnknown = false;
  EXPECT_TRUE(engine().FlushDayRecords());
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 6u);
  for (size_t i = 0; i < days.size(); ++i) {
    EXPECT_EQ(days[i].day, i < 3 ? 1 : 2) << i;
    EXPECT_EQ(days[i].download, (i < 3 ? 10 : 20) + i % 3) << i;
  }
}

TEST_F(HistoryFileTest, UnrecognisedFileMovedAsideButNoFreshHeaderLeavesNothingOpen) {
  MemoryFileSystem fs;
  fs.SetContent("History.log", "not a traffic log");
  fs.diskFull = true;
  HistoryFile history(fs);
  EXPECT_FALSE(history.Open("History.log"));
  EXPECT_FALSE(history.IsOpen());
  EXPECT_EQ(fs.Content("History.unrecognized-1.log"), "not a traffic log");
}

TEST_F(HistoryFileTest, NewFileGetsHeaderThenOneRecordPerAdapterAndClearStartsAgain) {
  AddAdapter(1);
  AddAdapter(2);
  Start();
  EXPECT_EQ(ReadAll(path), HeaderBytes());
  Real(2).todayUpload = 77;
  engine().FlushDayRecords();
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 4u);
  EXPECT_EQ(days[0].kind, kKindAllConnections);
  EXPECT_EQ(days[0].Id(), "");
  EXPECT_EQ(days[1].kind, kKindDialUp);
  EXPECT_EQ(days[2].Id(), Guid(1));
  EXPECT_EQ(days[3].Id(), Guid(2));
  EXPECT_EQ(days[3].upload, 77u);
  EXPECT_EQ(days[3].year, 2026);

  ASSERT_TRUE(engine().ClearHistory());
  EXPECT_EQ(Real(2).todayUpload, 0u);
  EXPECT_EQ(ReadAll(path), HeaderBytes());
  engine().FlushDayRecords();
  EXPECT_EQ(FileRecords().size(), 4u);
  EXPECT_EQ(Real(1).dayRecordPosition, 24 + 2 * 296);
}

TEST_F(HistoryFileTest, UnrecognisedFileIsMovedAsideNeverTruncated) {
  std::string version1 = HeaderBytes();
  version1[4] = 1;
  const std::string cases[] = {version1 + std::string(296, 'r'), "NTSL", std::string(5000, '\xA5')};
  for (const std::string& content : cases) {
    path = TestFileName();
    SystemFileSystem().Remove(path);
    for (int n = 1; n <= 2; ++n) SystemFileSystem().Remove(TestFileName(".unrecognized-" + std::to_string(n) + ".log"));
    WriteAll(TestFileName(".unrecognized-1.log"), "someone else's");
    WriteAll(path, content);

    HistoryFile history(SystemFileSystem());
    ASSERT_TRUE(history.Open(path));
    const std::string aside = TestFileName(".unrecognized-2.log");
    EXPECT_EQ(history.movedAsidePath(), aside);
    EXPECT_EQ(ReadAll(aside), content);
    EXPECT_EQ(ReadAll(TestFileName(".unrecognized-1.log")), "someone else's");
    history.Close();
    EXPECT_EQ(ReadAll(path), HeaderBytes());
  }
}

TEST_F(HistoryFileTest, UnrecognisedFileThatCannotBeMovedFailsTheOpenUntouched) {
  MemoryFileSystem fs;
  fs.SetContent("History.log", "not a traffic log");
  fs.failMoves = true;
  HistoryFile history(fs);
  EXPECT_FALSE(history.Open("History.log"));
  EXPECT_FALSE(history.IsOpen());
  EXPECT_EQ(fs.Content("History.log"), "not a traffic log");
}

TEST_F(HistoryFileTest, TornRecordAtTheEndIsOverwrittenNotShiftingTheNextDay) {
  AddAdapter(1);
  path = TestFileName();
  DayRecord old = MakeDayRecord(At(2025, 12, 31, 0, 0, 0, 3), kKindAllConnections, "", 5, 5);
  WriteAll(path, HeaderBytes() + RecordBytes(old) + std::string(100, '\x01'));
  engine_ = std::make_unique<TrafficEngine>(EngineVariant::Desktop, source, store, SystemFileSystem(), clock);
  engine().LoadAdapterList();
  ASSERT_TRUE(engine().OpenHistoryFile(path, true));
  engine().FlushDayRecords();
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 4u);
  EXPECT_EQ(days[0].day, 31);
  EXPECT_EQ(days[3].Id(), Guid(1));
  EXPECT_EQ(int64_t(ReadAll(path).size()), 24 + 4 * 296);
}

TEST_F(HistoryFileTest, LoadTakesTodaysRecordsLastOneWinsAndNeverMatchesCorruptOnes) {
  AddAdapter(1);
  path = TestFileName();
  const LocalTime today = clock.now;
  std::string file = HeaderBytes();
  file += RecordBytes(MakeDayRecord(today, kKindAdapter, AsciiUpper(Guid(1)), 1, 1));
  file += RecordBytes(MakeDayRecord(At(2025, 1, 1, 0, 0, 0), kKindAdapter, AsciiUpper(Guid(1)), 99, 99));
  DayRecord spoilt = MakeDayRecord(today, kKindAllConnections, "", 666, 666);
  spoilt.kind = 999;
  file += RecordBytes(spoilt);
  spoilt = MakeDayRecord(today, kKindAdapter, "", 666, 666);
  std::memset(spoilt.adapterId, 'Q', sizeof spoilt.adapterId);
  file += RecordBytes(spoilt);
  file += RecordBytes(MakeDayRecord(today, kKindAdapter, AsciiUpper(Guid(1)), 30, 40));  // wins
  file += RecordBytes(MakeDayRecord(today, kKindDialUp, "", 7, 8));
  file += std::string(200, '\xff');
  WriteAll(path, file);

  engine_ = std::make_unique<TrafficEngine>(EngineVariant::Desktop, source, store, SystemFileSystem(), clock);
  engine().LoadAdapterList();
  ASSERT_TRUE(engine().OpenHistoryFile(path, true));
  EXPECT_EQ(Real(1).todayDownload, 30u);
  EXPECT_EQ(Real(1).dayRecordPosition, 24 + 4 * 296);
  EXPECT_EQ(engine().adapters()[0].todayDownload, 0u);
  EXPECT_EQ(engine().adapters()[0].dayRecordPosition, -1);
  EXPECT_EQ(engine().adapters()[1].todayUpload, 8u);
  SetCounters(1, 10, 10);
  Tick();
  EXPECT_EQ(Real(1).todayDownload, 40u);
}

TEST_F(HistoryFileTest, LegacyLogIsImportedOnceOnAFirstStartWithTheDefaultPath) {
  path = TestFileName(std::string("_") + kHistoryFileName);
  std::string legacy = path;
  legacy.replace(legacy.rfind(kHistoryFileName), std::strlen(kHistoryFileName), "traffic.log");
  EXPECT_EQ(LegacyLogPath(path), legacy);
  SystemFileSystem().Remove(path);

  SystemAdapter& a = AddAdapter(1);
  a.name = "eth0";  // short name: the ID comes from the address
  a.hardwareAddress = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
  auto legacyRecord = [](int kind, const std::vector<uint8_t>& mac, uint64_t down) {
    std::string r(40, '\0');
    const uint16_t date[6] = {2009, 11, 30, 0, 1, 0};
    std::memcpy(r.data(), date, sizeof date);
    std::memcpy(r.data() + 12, &kind, 4);
    if (!mac.empty()) std::memcpy(r.data() + 16, mac.data(), mac.size());
    std::memcpy(r.data() + 24, &down, 8);
    return r;
  };
  WriteAll(legacy, legacyRecord(100, {}, 1) + legacyRecord(200, {}, 2) +
                       legacyRecord(6, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, 3) +
                       legacyRecord(6, {0x00, 0x11, 0x22, 0x33, 0x44, 0x66}, 4) + std::string(39, '\0'));

  engine_ = std::make_unique<TrafficEngine>(EngineVariant::Desktop, source, store, SystemFileSystem(), clock);
  engine().LoadAdapterList();
  ASSERT_TRUE(engine().OpenHistoryFile(path, false));
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[0].kind, kKindAllConnections);
  EXPECT_EQ(days[1].download, 2u);
  EXPECT_EQ(days[2].kind, kKindAdapter);
  EXPECT_EQ(days[2].Id(), "0011223344550000");
  EXPECT_EQ(days[2].download, 3u);
  EXPECT_EQ(days[2].year, 2009);
  EXPECT_EQ(days[2].dayOfWeek, 1);
  EXPECT_TRUE(SystemFileSystem().Exists(legacy));

  // Opening again (the file is no longer empty) imports nothing.
  engine().CloseHistoryFile();
  ASSERT_TRUE(engine().OpenHistoryFile(path, false));
  EXPECT_EQ(FileRecords().size(), 3u);
}

TEST_F(HistoryFileTest, ChangedPathIsStoredForTheNextStartWhileTheOpenFileStaysInUse) {
  AddAdapter(1);
  Start();
  store.ClearWrites();
  EXPECT_FALSE(engine().ChangeHistoryPath(AsciiUpper(path)));
  EXPECT_TRUE(store.writes().empty());
  EXPECT_TRUE(engine().ChangeHistoryPath("other.log"));
  std::string stored;
  ASSERT_TRUE(store.ReadString(RegRoot::CurrentUser, "Software\\Quellmark\\Options", "TrafficLogFile", stored));
  EXPECT_EQ(stored, "other.log");
  Real(1).todayDownload = 5;
  engine().FlushDayRecords();
  EXPECT_EQ(FileRecords().size(), 3u);
  EXPECT_FALSE(SystemFileSystem().Exists("other.log"));
}

}  // namespace
}  // namespace qm
