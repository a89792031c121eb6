// The engine on the real platform under Wine: the system's adapters, the
// file sharing that keeps a second engine off the history file, and the
// folders the history path is chosen from.

#include <gtest/gtest.h>

#include "engine/traffic_engine.h"
#include "tests/fakes/memory_settings_store.h"
#include "platform/win32/shell_folders.h"
#include "platform/win32/win32_adapter_source.h"

namespace qm {
namespace {

TEST(Win32Folders, ProgramAndDocumentsFoldersExist) {
  FileSystem& fs = SystemFileSystem();
  std::string program = ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '\\');
  EXPECT_TRUE(fs.IsDirectory(program));
  std::string documents = DocumentsFolder();
  ASSERT_FALSE(documents.empty());
  EXPECT_TRUE(fs.IsDirectory(documents));
}

TEST(Win32Counters, SixtyFourBitsWhereTheyCountThirtyTwoWhereOnlyTheyDo) {
  const InterfaceCounters wide{5'000'000'000ull, 7, kIfTypeEthernet, true};
  const InterfaceCounters wideZero{0, 0, kIfTypeEthernet, true};
  const InterfaceCounters narrow{1000, 7, kIfTypeEthernet, false};
  const InterfaceCounters narrowZero{0, 0, kIfTypeEthernet, false};
  struct Case {
    const char* what;
    bool wideRead;
    InterfaceCounters wideRow;
    bool narrowRead;
    InterfaceCounters narrowRow;
    bool ok;
    bool picksWide;
  };
  const Case cases[] = {
      {"64-bit counting", true, wide, true, narrow, true, true},
      {"64-bit zeros, 32-bit counting", true, wideZero, true, narrow, true, false},
      {"idle: zeros in both", true, wideZero, true, narrowZero, true, true},
      {"64-bit zeros, 32-bit failing", true, wideZero, false, narrow, true, true},
      {"no 64-bit call", false, wide, true, narrow, true, false},
      {"both failing", false, wide, false, narrow, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NarrowCountersNeeded(c.wideRead, c.wideRow), !c.wideRead || c.wideRow.received == 0) << c.what;
    InterfaceCounters out;
    ASSERT_EQ(PickInterfaceCounters(c.wideRead, c.wideRow, c.narrowRead, c.narrowRow, out), c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(out.wide, c.picksWide) << c.what;
    }
  }
}

TEST(Win32History, SecondEngineCannotOpenTheFileAndLeavesItAlone) {
  FileSystem& fs = SystemFileSystem();
  const std::string path = "win32_shared.log";
  fs.Remove(path);
  AdapterList list;
  list.Append(MakePseudoAdapter(kKindAllConnections));
  list.Append(MakePseudoAdapter(kKindDialUp));
  list[0].todayDownload = 42;
  HistoryFile first(fs);
  ASSERT_TRUE(first.Open(path));
  first.FlushDayRecords(list, LocalTime{2026, 1, 4, 1, 12, 0, 0, 0});

  HistoryFile second(fs);
  EXPECT_FALSE(second.Open(path));
  EXPECT_TRUE(second.movedAsidePath().empty());

  // Report jobs read by path while the engine writes.
  std::vector<DayRecord> days;
  std::string error;
  ASSERT_TRUE(ReadDayRecords(fs, path, days, &error)) << error;
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0].download, 42u);
}

TEST(Win32Engine, TicksOnTheSystemsAdaptersAndFlushesOneRecordEach) {
  auto source = OpenSystemAdapterSource();
  ASSERT_TRUE(source);
  MemorySettingsStore store;
  TrafficEngine engine(EngineVariant::Desktop, *source, store, SystemFileSystem(), SystemClock());
  // GetAdaptersInfo lists no loopback: a machine without other interfaces
  // has no list at all.
  if (!engine.LoadAdapterList()) GTEST_SKIP() << "the system lists no adapters";
  const std::string path = "win32_engine.log";
  SystemFileSystem().Remove(path);
  ASSERT_TRUE(engine.OpenHistoryFile(path, true));
  engine.SampleTick();
  engine.SampleTick();
  ASSERT_GE(engine.adapters().size(), 3u);
  EXPECT_EQ(engine.adapters()[0].history.size(), 2u);
  for (size_t i = AdapterList::kFirstReal; i < engine.adapters().size(); ++i) {
    EXPECT_FALSE(engine.adapters()[i].id.empty());
    EXPECT_TRUE(engine.adapters()[i].hasPreviousSample);
  }
  engine.FlushDayRecords();
  std::vector<DayRecord> days;
  ASSERT_TRUE(ReadDayRecords(SystemFileSystem(), path, days, nullptr));
  EXPECT_EQ(days.size(), engine.adapters().size());
}

}  // namespace
}  // namespace qm
