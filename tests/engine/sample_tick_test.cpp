#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/engine_fixture.h"

namespace qm {
namespace {

// Every case runs twice: with the adapters' counters read one by one, and
// from a table of all of them (the list is still read every tick).
class SampleTick : public EngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { source.has_table = GetParam(); }

  // One adapter, its 100 bytes counted by a tick a second before midnight.
  void TickJustBeforeMidnight() {
    AddAdapter(1);
    clock.now = At(2026, 1, 1, 23, 59, 58, 4);
    Start();
    engine().options().notificationEnabled = true;
    SetCounters(1, 100, 0);
    TickAt(At(2026, 1, 1, 23, 59, 59, 4));
  }
};
INSTANTIATE_TEST_SUITE_P(CounterReads, SampleTick, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Table" : "OneByOne"; });

TEST_P(SampleTick, CounterThatWentBackwardsGivesZeroThenCountsOn) {
  AddAdapter(1);
  SetCounters(1, 4294967000u, 1000);
  Start();
  SetCounters(1, 4294967295u, 1500);  // +295, +500
  Tick();
  SetCounters(1, 200, 1600);  // wrapped: 0 for download only
  Tick();
  SetCounters(1, 700, 10);  // reset of the sent counter: 0 for upload
  Tick();
  const AdapterRecord& r = Real(1);
  ASSERT_EQ(r.history.size(), 3u);
  EXPECT_EQ(r.history[1].download, 0u);
  EXPECT_EQ(r.history[1].upload, 100u);
  EXPECT_EQ(r.history[0].download, 500u);
  EXPECT_EQ(r.history[0].upload, 0u);
  EXPECT_EQ(r.todayDownload, 295u + 500u);
  EXPECT_EQ(r.todayUpload, 500u + 100u);
  EXPECT_EQ(engine().adapters()[0].todayDownload, 795u);
}

TEST_P(SampleTick, WideCountersCountFullyAndAWidthChangeIsNeverABurst) {
  AddAdapter(1);
  SetCounters(1, 10ull << 32, 0, true);
  Start();
  SetCounters(1, (10ull << 32) + 5'000'000'000ull, 7, true);  // 5 GB in one second
  Tick();
  EXPECT_EQ(Real(1).history[0].download, 4294967295u);  // clamped in the sample
  EXPECT_EQ(Real(1).todayDownload, 5'000'000'000ull);   // whole in the totals
  EXPECT_EQ(Real(1).cumulativeDownload, 5'000'000'000ull);

  // The 64-bit read fails and the source falls back to the 32-bit counter:
  // the low word of the counter must not be compared with the 64-bit value.
  SetCounters(1, 1000, 20, false);
  Tick();
  SetCounters(1, 1100, 30, false);
  Tick();
  SetCounters(1, (10ull << 32) + 5'000'001'000ull, 40, true);  // back to 64 bits
  Tick();
  SetCounters(1, (10ull << 32) + 5'000'001'500ull, 45, true);
  Tick();
  const AdapterRecord& r = Real(1);
  EXPECT_EQ(r.history[3].download, 0u);
  EXPECT_EQ(r.history[2].download, 100u);
  EXPECT_EQ(r.history[1].download, 0u);
  EXPECT_EQ(r.history[0].download, 500u);
  EXPECT_EQ(r.todayDownload, 5'000'000'000ull + 100 + 500);
  EXPECT_EQ(r.todayUpload, 7u + 10u + 5u);
}

TEST_P(SampleTick, NewAdapterCountsFromTheNextTickAndGetsMenuCommands) {
  AddAdapter(1);
  Start();
  AddAdapter(2);
  SetCounters(2, 5000, 5000);
  Tick();
  EXPECT_EQ(Real(2).history.size(), 0u);
  EXPECT_EQ(Real(2).todayDownload, 0u);
  EXPECT_TRUE(Real(2).hasPreviousSample);
  EXPECT_EQ(Real(2).displayName, "eth2");
  SetCounters(2, 5300, 5100);
  Tick();
  EXPECT_EQ(Real(2).todayDownload, 300u);
  EXPECT_EQ(Real(2).history.size(), 1u);
  EXPECT_EQ(engine().adapters()[0].todayUpload, 100u);
  EXPECT_EQ(std::count(listener.log.begin(), listener.log.end(), "AdapterAdded " + Guid(2) + " 9000 9300"), 1);
}

TEST_P(SampleTick, DuplicateIdIsCountedOnce) {
  AddAdapter(1);
  source.adapters.push_back(source.adapters[0]);
  Start();
  ASSERT_EQ(engine().adapters().size(), 3u);
  SetCounters(1, 100, 50);
  Tick();
  EXPECT_EQ(Real(1).todayDownload, 100u);
  EXPECT_EQ(Real(1).history.size(), 1u);
  EXPECT_EQ(engine().adapters()[0].todayDownload, 100u);
}

TEST_P(SampleTick, DialUpSumHoldsOnlyPppAndSlip) {
  AddAdapter(1, kIfTypeEthernet);
  AddAdapter(2, kIfTypePpp);
  AddAdapter(3, kIfTypeSlip);
  Start();
  SetCounters(1, 1, 2);
  SetCounters(2, 10, 20);
  SetCounters(3, 100, 200);
  Tick();
  const AdapterList& list = engine().adapters();
  EXPECT_EQ(list[0].todayDownload, 111u);
  EXPECT_EQ(list[0].todayUpload, 222u);
  EXPECT_EQ(list[1].todayDownload, 110u);
  EXPECT_EQ(list[1].todayUpload, 220u);
  EXPECT_EQ(list[1].history[0].download, 110u);
}

TEST_P(SampleTick, VanishedAdapterGetsZeroSamplesKeepsTotalsAndAveragesDecay) {
  AddAdapter(1);
  Start();
  Real(1).viewSlot = 0;
  SetCounters(1, 1000, 400);
  Tick();
  EXPECT_EQ(Real(1).history[0].averageDownload, 1000u);
  source.adapters.clear();
  listener.log.clear();
  Tick();
  Tick();
  Tick();
  const AdapterRecord& r = Real(1);
  EXPECT_FALSE(r.hasPreviousSample);
  EXPECT_TRUE(r.ipAddress.empty());
  EXPECT_EQ(r.todayDownload, 1000u);
  EXPECT_EQ(r.sampleCount, 4u);
  EXPECT_EQ(r.history[0].download, 0u);
  EXPECT_EQ(r.history[0].averageDownload, 250u);
  EXPECT_EQ(r.history[2].averageDownload, 500u);
  // The title loses the address once, when it goes.
  EXPECT_EQ(std::count(listener.log.begin(), listener.log.end(), "SetTitle " + Guid(1) + " eth1"), 1);
  // Coming back, the first reading only stores the counters.
  source.adapters.push_back(SystemAdapter{Guid(1), "eth1", {}, 1, kIfTypeEthernet, {"198.51.100.1"}});
  SetCounters(1, 9000, 9000);
  Tick();
  EXPECT_EQ(Real(1).todayDownload, 1000u);
}

TEST_P(SampleTick, FailedListSkipsTheWholeTick) {
  AddAdapter(1);
  Start();
  source.fail_list = true;
  Tick();
  EXPECT_TRUE(engine().adapters()[0].history.empty());
  EXPECT_TRUE(Real(1).history.empty());
  EXPECT_TRUE(listener.log.empty());
}

TEST_P(SampleTick, ConsumersAreCalledPerRecordInOrderThenNotification) {
  AddAdapter(1, kIfTypePpp, "198.51.100.1");
  Start();
  for (size_t i = 0; i < 3; ++i) engine().adapters()[i].viewSlot = int(i);
  engine().adapters()[0].recorder = std::make_shared<OpenRecorder>();
  Real(1).recorder = std::make_shared<OpenRecorder>();
  engine().options().trayKind = kKindAdapter;
  engine().options().trayId = Guid(1);
  engine().options().notificationEnabled = true;
  source.adapters[0].ipAddresses = {"198.51.100.7"};
  SetCounters(1, 10, 20);
  Tick();
  const std::vector<std::string> expected = {
      "AddSample " + Guid(1) + " 10/20",
      "SetTitle " + Guid(1) + " eth1 [198.51.100.7]",
      "RefreshTrayIcon " + Guid(1),
      "WriteRatesLine " + Guid(1) + " 10/20",
      "AddSample 100 10/20",
      "WriteRatesLine 100 10/20",
      "AddSample 200 10/20",
      "EvaluateNotification",
  };
  EXPECT_EQ(listener.log, expected);
}

TEST_P(SampleTick, HistoryIsBoundedNewestFirst) {
  AddAdapter(1);
  Start();
  engine().options().historyLimit = 3;
  for (uint64_t i = 1; i <= 5; ++i) {
    SetCounters(1, i * 10, 0);
    Tick();
  }
  const AdapterRecord& r = Real(1);
  ASSERT_EQ(r.history.size(), 3u);
  EXPECT_EQ(r.history[0].download, 10u);
  EXPECT_EQ(r.sampleCount, 5u);
}

TEST_P(SampleTick, ResetRatesEmptiesHistoryButKeepsDayTotals) {
  AddAdapter(1);
  AddAdapter(2);
  Start();
  Real(2).viewSlot = 0;
  for (auto* r : {&Real(1), &Real(2)}) engine().adapters().AssignMenuCommands(*r);
  SetCounters(1, 10, 10);
  SetCounters(2, 10, 10);
  Tick();
  EXPECT_TRUE(engine().ResetRates(Real(2).resetRatesCommand));
  EXPECT_FALSE(engine().ResetRates(9599));
  EXPECT_TRUE(Real(2).history.empty());
  EXPECT_EQ(Real(2).sampleCount, 0u);
  EXPECT_EQ(Real(2).todayDownload, 10u);
  EXPECT_EQ(Real(1).history.size(), 1u);
  EXPECT_EQ(listener.log.back(), "Relayout " + Guid(2));
  engine().ResetRates();
  EXPECT_TRUE(Real(1).history.empty());
  EXPECT_EQ(engine().adapters()[0].cumulativeDownload, 0u);
}

TEST_P(SampleTick, SuspendMakesTheNextTickAFirstReading) {
  AddAdapter(1);
  Start();
  engine().Suspend();
  SetCounters(1, 1'000'000, 1'000'000);
  Tick();
  EXPECT_EQ(Real(1).todayDownload, 0u);
  SetCounters(1, 1'000'010, 1'000'000);
  Tick();
  EXPECT_EQ(Real(1).todayDownload, 10u);
}

// A machine may never wake from a suspension (its battery runs out): the day
// up to the moment it went to sleep is in the file before it does.
TEST_P(SampleTick, SuspendWritesTheDaySoFar) {
  AddAdapter(1);
  Start();
  Tick();
  SetCounters(1, 100, 10);
  Tick();
  SetCounters(1, 150, 20);  // since the last tick
  engine().Suspend();
  uint64_t written = 0;
  for (const DayRecord& d : FileRecords())
    if (d.Id() == Guid(1)) written = d.download;
  EXPECT_EQ(written, 150u);
  EXPECT_EQ(Real(1).todayDownload, 150u);
}

// Exit or stop: the traffic since the last tick reaches the day totals and
// the file, and nothing else of a tick happens.
TEST_P(SampleTick, LastTrafficCountsIntoTheTotalsOnly) {
  AddAdapter(1, kIfTypePpp);
  AddAdapter(2);
  Start();
  engine().adapters()[0].viewSlot = 0;
  Real(1).viewSlot = 1;
  engine().options().notificationEnabled = true;
  SetCounters(1, 100, 10);
  Tick();
  SetCounters(1, 350, 40);  // after the last tick
  source.adapters.erase(source.adapters.begin() + 1);  // gone meanwhile
  AddAdapter(3);  // came meanwhile
  SetCounters(3, 5000, 5000);
  listener.log.clear();
  clock.now.second += 1;
  engine().CountLastTraffic();

  EXPECT_EQ(listener.log, std::vector<std::string>{});
  EXPECT_EQ(Real(1).todayDownload, 350u);
  EXPECT_EQ(Real(1).todayUpload, 40u);
  EXPECT_EQ(Real(1).history.size(), 1u);
  EXPECT_EQ(engine().adapters()[0].todayDownload, 350u);
  EXPECT_EQ(engine().adapters()[1].todayDownload, 350u);  // PPP: a dial-up adapter
  EXPECT_FALSE(engine().adapters().FindReal(Guid(3)));
  ASSERT_TRUE(engine().FlushDayRecords());
  uint64_t written = 0;
  for (const DayRecord& d : FileRecords())
    if (d.Id() == Guid(1)) written = d.download;
  EXPECT_EQ(written, 350u);

  // After a suspension there is no previous reading to count from.
  engine().Suspend();
  SetCounters(1, 900, 40);
  engine().CountLastTraffic();
  EXPECT_EQ(Real(1).todayDownload, 350u);
}

// An exit just past midnight: the old day is written as it stood at the last
// tick, the traffic since then belongs to the new day, and no new-day work of
// a tick (the notification's preparation) happens on the way out.
TEST_P(SampleTick, LastTrafficPastMidnightGoesToTheNewDay) {
  TickJustBeforeMidnight();
  SetCounters(1, 160, 0);
  listener.log.clear();
  clock.now = At(2026, 1, 2, 0, 0, 0, 5);
  engine().CountLastTraffic();
  EXPECT_EQ(listener.log, std::vector<std::string>{});
  EXPECT_EQ(Real(1).todayDownload, 60u);
  ASSERT_TRUE(engine().FlushDayRecords());

  uint64_t oldDay = 0, newDay = 0;
  for (const DayRecord& d : FileRecords())
    if (d.Id() == Guid(1)) (d.day == 1 ? oldDay : newDay) = d.download;
  EXPECT_EQ(oldDay, 100u);
  EXPECT_EQ(newDay, 60u);
}

// The service's gap rule holds at a stop too: a stop long after the last
// tick (the machine slept) counts nothing of the gap.
TEST_P(SampleTick, ServiceStopAfterAGapCountsNothing) {
  AddAdapter(1);
  clock.now = At(2026, 1, 1, 10, 0, 0);
  Start(EngineVariant::Service);
  SetCounters(1, 100, 0);
  TickAt(At(2026, 1, 1, 10, 0, 1));
  SetCounters(1, 900, 0);
  clock.now = At(2026, 1, 1, 11, 30, 0);
  engine().CountLastTraffic();
  EXPECT_EQ(Real(1).todayDownload, 100u);
}

TEST_P(SampleTick, MidnightWritesTheOldDayAndCountsTheCrossingTickInTheNewDay) {
  TickJustBeforeMidnight();
  SetCounters(1, 150, 0);
  TickAt(At(2026, 1, 2, 0, 0, 0, 5));
  EXPECT_EQ(Real(1).todayDownload, 50u);
  EXPECT_EQ(engine().adapters()[0].todayDownload, 50u);
  EXPECT_NE(std::find(listener.log.begin(), listener.log.end(), "PrepareNotification"), listener.log.end());

  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 3u);
  for (const DayRecord& d : days) {
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.dayOfWeek, 4);
  }
  EXPECT_EQ(days[2].Id(), Guid(1));
  EXPECT_EQ(days[2].download, 100u);
}

TEST_P(SampleTick, DayRecordsAreWrittenAtFourMinuteBoundariesOnly) {
  AddAdapter(1);
  clock.now = At(2026, 1, 1, 10, 3, 58);
  Start();
  SetCounters(1, 10, 0);
  TickAt(At(2026, 1, 1, 10, 3, 59));
  EXPECT_TRUE(FileRecords().empty());
  SetCounters(1, 30, 0);
  TickAt(At(2026, 1, 1, 10, 4, 0));
  ASSERT_EQ(FileRecords().size(), 3u);
  EXPECT_EQ(FileRecords()[2].download, 10u);  // the totals before this tick
  for (int m = 4; m <= 7; ++m) {
    SetCounters(1, 30 + 10 * uint64_t(m), 0);
    TickAt(At(2026, 1, 1, 10, m, 30));
  }
  EXPECT_EQ(FileRecords()[2].download, 10u);
  TickAt(At(2026, 1, 1, 10, 8, 0));
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 3u);  // rewritten in place
  EXPECT_EQ(days[2].download, 100u);
}

TEST_P(SampleTick, RestartWithinADayContinuesInPlace) {
  AddAdapter(1);
  clock.now = At(2026, 1, 1, 10, 0, 0);
  Start();
  SetCounters(1, 500, 40);
  Tick();
  engine().FlushDayRecords();
  Restart();
  EXPECT_EQ(Real(1).todayDownload, 500u);
  EXPECT_EQ(Real(1).dayRecordPosition, 24 + 2 * 296);
  SetCounters(1, 700, 40);
  Tick();
  engine().FlushDayRecords();
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[2].download, 700u);
  EXPECT_EQ(days[0].download, 700u);
}

TEST_P(SampleTick, AdapterReturningAfterARestartWithinADayContinuesItsRecord) {
  // The service keeps no adapter keys: after a restart an adapter that is
  // down is not in the list until it comes back.
  AddAdapter(1);
  AddAdapter(2, kIfTypePpp);
  clock.now = At(2026, 1, 1, 10, 0, 0);
  Start(EngineVariant::Service);
  SetCounters(2, 800, 80);
  Tick();
  engine().FlushDayRecords();
  source.adapters.pop_back();
  Restart();
  ASSERT_EQ(engine().adapters().size(), 3u);
  Tick();
  AddAdapter(2, kIfTypePpp);
  SetCounters(2, 50, 5);
  Tick();
  EXPECT_EQ(Real(2).todayDownload, 800u);
  SetCounters(2, 60, 5);
  Tick();
  engine().FlushDayRecords();
  std::vector<DayRecord> days = FileRecords();
  ASSERT_EQ(days.size(), 4u);
  EXPECT_EQ(days[3].Id(), Guid(2));
  EXPECT_EQ(days[3].download, 810u);
}

TEST_P(SampleTick, ServiceDropsATickAfterMoreThanTenSeconds) {
  AddAdapter(1);
  clock.now = At(2026, 1, 1, 10, 0, 0);
  Start(EngineVariant::Service);
  Real(1).recordRates = 1;
  SetCounters(1, 100, 0);
  TickAt(At(2026, 1, 1, 10, 0, 10));  // 10 seconds: counted
  EXPECT_EQ(Real(1).todayDownload, 100u);
  SetCounters(1, 300, 0);
  TickAt(At(2026, 1, 1, 10, 0, 21));  // 11 seconds: dropped
  EXPECT_EQ(Real(1).todayDownload, 100u);
  SetCounters(1, 350, 0);
  TickAt(At(2026, 1, 1, 10, 0, 10));  // clock set back 11 seconds: dropped
  EXPECT_EQ(Real(1).todayDownload, 100u);
  SetCounters(1, 360, 0);
  TickAt(At(2026, 1, 1, 10, 0, 11));
  EXPECT_EQ(Real(1).todayDownload, 110u);
  // No graph history in the service: the newest sample and the totals
  // since the start (dropped ticks not counted), for its metrics.
  ASSERT_EQ(Real(1).history.size(), 1u);
  EXPECT_EQ(Real(1).history[0].download, 10u);
  EXPECT_EQ(Real(1).cumulativeDownload, 110u);
  EXPECT_EQ(listener.log.back(), "AdvanceReportTasks");
  EXPECT_NE(std::find(listener.log.begin(), listener.log.end(), "WriteRatesLine " + Guid(1) + " 10/0"),
            listener.log.end());
}

TEST_P(SampleTick, ServiceGapCountsTheMilliseconds) {
  AddAdapter(1);
  auto at = [](int second, int ms) {
    LocalTime t = At(2026, 1, 1, 10, 0, second);
    t.milliseconds = uint16_t(ms);
    return t;
  };
  clock.now = at(0, 400);
  Start(EngineVariant::Service);
  SetCounters(1, 100, 0);
  TickAt(at(10, 400));  // exactly 10 seconds: counted
  EXPECT_EQ(Real(1).todayDownload, 100u);
  SetCounters(1, 300, 0);
  TickAt(at(20, 900));  // 10.5 seconds: dropped
  EXPECT_EQ(Real(1).todayDownload, 100u);
  SetCounters(1, 310, 0);
  TickAt(at(30, 0));  // 9.1 seconds, though the seconds differ by 10
  EXPECT_EQ(Real(1).todayDownload, 110u);
}

TEST_P(SampleTick, WithoutHistoryFileTotalsStillRestartAtMidnight) {
  AddAdapter(1);
  clock.now = At(2026, 1, 1, 23, 59, 58);
  Start(EngineVariant::Desktop, false);
  SetCounters(1, 100, 0);
  TickAt(At(2026, 1, 1, 23, 59, 59));
  EXPECT_EQ(Real(1).todayDownload, 100u);
  TickAt(At(2026, 1, 2, 0, 0, 0));
  EXPECT_EQ(Real(1).todayDownload, 0u);
}

}  // namespace
}  // namespace qm
