// The tick reads the adapter list only when the source says it may have
// changed (and now and then regardless), and its counters from one table.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/engine/engine_fixture.h"

namespace qm {
namespace {

class ListRefresh : public EngineTest {
 protected:
  void SetUp() override {
    source.has_table = true;
    source.tells_changes = true;
  }
  int Count(const std::string& line) const { return int(std::count(listener.log.begin(), listener.log.end(), line)); }
};

TEST_F(ListRefresh, SteadyTicksReadOnlyTheCounterTable) {
  AddAdapter(1);
  AddAdapter(2);
  Start();
  const int lists = source.list_calls;
  for (int i = 1; i <= 5; ++i) {
    SetCounters(1, 100u * i, 10u * i);
    Tick();
  }
  // The first tick after the load reads the list once; then only the table.
  EXPECT_EQ(source.list_calls, lists + 1);
  EXPECT_EQ(source.table_calls, 5);
  EXPECT_EQ(source.counter_calls, 2);  // the two of the load
  EXPECT_EQ(Real(1).todayDownload, 500u);
  EXPECT_EQ(engine().adapters()[0].todayUpload, 50u);
}

TEST_F(ListRefresh, AnnouncedChangesShowInTheNextTick) {
  AddAdapter(1);
  Start();
  Real(1).viewSlot = 0;
  Tick();

  AddAdapter(2);
  source.changed = true;
  Tick();
  EXPECT_EQ(Count("AdapterAdded " + Guid(2) + " 9000 9300"), 1);

  source.adapters[0].ipAddresses = {"198.51.100.9"};
  source.changed = true;
  Tick();
  EXPECT_EQ(Real(1).ipAddress, "198.51.100.9");
  EXPECT_EQ(Count("SetTitle " + Guid(1) + " eth1 [198.51.100.9]"), 1);

  source.adapters.erase(source.adapters.begin());
  source.counters.erase(1);
  source.changed = true;
  Tick();
  EXPECT_FALSE(Real(1).hasPreviousSample);
  EXPECT_TRUE(Real(1).ipAddress.empty());
  EXPECT_TRUE(Real(2).hasPreviousSample);
}

TEST_F(ListRefresh, UnannouncedChangeShowsAtTheSafetyRead) {
  AddAdapter(1);
  Start();
  Tick();
  source.adapters[0].ipAddresses = {"198.51.100.9"};
  for (unsigned i = 1; i < kListSafetyTicks; ++i) Tick();
  EXPECT_EQ(Real(1).ipAddress, "198.51.100.1");
  Tick();
  EXPECT_EQ(Real(1).ipAddress, "198.51.100.9");
}

TEST_F(ListRefresh, WithoutACounterTableTheListIsReadEveryTick) {
  AddAdapter(1);
  source.has_table = false;
  Start();
  const int lists = source.list_calls;
  Tick();
  Tick();
  EXPECT_EQ(source.list_calls, lists + 2);
  EXPECT_EQ(source.table_calls, 0);
}

TEST_F(ListRefresh, AFailedListIsReadAgainNextTick) {
  AddAdapter(1);
  Start();
  source.fail_list = true;
  Tick();
  EXPECT_TRUE(engine().adapters()[0].history.empty());
  source.fail_list = false;
  SetCounters(1, 50, 5);
  Tick();
  EXPECT_EQ(Real(1).todayDownload, 50u);
}

// A random run of traffic, adapters coming and going and addresses changing:
// the engine that reads the table and the list only on change must tell its
// consumers exactly what the one reading everything every tick tells.
TEST(ListRefreshEquivalence, SameConsumerCallsAsReadingEverythingEveryTick) {
  struct Run : EngineTest {
    void TestBody() override {}
    using EngineTest::AddAdapter, EngineTest::Start, EngineTest::Tick, EngineTest::engine, EngineTest::source,
        EngineTest::listener;
  };
  Run plain, lean;
  lean.source.has_table = true;
  lean.source.tells_changes = true;
  for (Run* run : {&plain, &lean}) {
    for (int i = 1; i <= 4; ++i) run->AddAdapter(i, i == 3 ? kIfTypePpp : kIfTypeEthernet);
    run->Start(EngineVariant::Desktop, false);
    for (size_t i = 0; i < run->engine().adapters().size(); ++i) run->engine().adapters()[i].viewSlot = int(i);
  }
  std::mt19937 random(19);
  for (int tick = 0; tick < 400; ++tick) {
    const int what = int(random() % 40);
    const int n = 1 + int(random() % 6);
    for (Run* run : {&plain, &lean}) {
      auto& adapters = run->source.adapters;
      auto it = std::find_if(adapters.begin(), adapters.end(), [&](const SystemAdapter& a) { return a.index == uint32_t(n); });
      bool changed = true;
      if (what == 0 && it == adapters.end()) {
        run->AddAdapter(n);
      } else if (what == 1 && it != adapters.end()) {
        adapters.erase(it);
      } else if (what == 2 && it != adapters.end()) {
        it->ipAddresses = {"198.51.100." + std::to_string(tick % 250)};
      } else {
        changed = false;
      }
      run->source.changed = run->source.changed || changed;
    }
    const uint64_t down = random() % 100000, up = random() % 1000;
    for (Run* run : {&plain, &lean}) {
      for (auto& [index, c] : run->source.counters) {
        c.received += down * index;
        c.sent += up;
      }
      run->Tick();
    }
  }
  EXPECT_EQ(plain.listener.log, lean.listener.log);
  ASSERT_EQ(plain.engine().adapters().size(), lean.engine().adapters().size());
  for (size_t i = 0; i < plain.engine().adapters().size(); ++i) {
    EXPECT_EQ(plain.engine().adapters()[i].todayDownload, lean.engine().adapters()[i].todayDownload) << i;
  }
  EXPECT_LT(lean.source.list_calls, plain.source.list_calls / 4);
}

}  // namespace
}  // namespace qm
