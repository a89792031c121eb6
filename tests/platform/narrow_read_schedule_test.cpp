#include "platform/narrow_read_schedule.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// Ticks on which the 32-bit row of an interface reading zero is asked for.
std::vector<uint64_t> AskedOn(NarrowReadSchedule& s, uint32_t index, uint64_t ticks, bool narrowCounts) {
  std::vector<uint64_t> asked;
  for (uint64_t t = 1; t <= ticks; ++t) {
    s.NextTick();
    if (!s.Needed(index)) continue;
    asked.push_back(t);
    s.Record(index, narrowCounts);
  }
  return asked;
}

TEST(NarrowReadSchedule, IdleInterfaceIsAskedAtFirstThenOnlyNowAndThen) {
  NarrowReadSchedule s;
  const std::vector<uint64_t> expected = {1, 1 + kNarrowRecheckTicks, 1 + 2 * kNarrowRecheckTicks};
  EXPECT_EQ(AskedOn(s, 7, 2 * kNarrowRecheckTicks + 5, false), expected);
}

TEST(NarrowReadSchedule, InterfaceCountingOnlyIn32BitsIsAskedEveryTime) {
  NarrowReadSchedule s;
  EXPECT_EQ(AskedOn(s, 7, 5, true).size(), 5u);
  // Once it stops counting there, it is an idle interface like any other.
  s.NextTick();
  ASSERT_TRUE(s.Needed(7));
  s.Record(7, false);
  s.NextTick();
  EXPECT_FALSE(s.Needed(7));
}

TEST(NarrowReadSchedule, InterfacesAreTrackedApart) {
  NarrowReadSchedule s;
  s.NextTick();
  s.Record(1, false);
  s.Record(2, true);
  s.NextTick();
  EXPECT_FALSE(s.Needed(1));
  EXPECT_TRUE(s.Needed(2));
  EXPECT_TRUE(s.Needed(3));  // never seen
}

}  // namespace
}  // namespace qm
