// The address watch must stay quiet while nothing changes: a watch that
// fires every tick, or never gets armed, still shows every change, so the
// adapter test cannot tell it from a working one, but the tick then reads
// the address table every time.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/address_change_watch.h"

namespace qm {
namespace {

TEST(AddressChangeWatch, StaysArmedAndQuietWithoutAChangeAndEndsWithItsRequestOut) {
  for (int round = 0; round < 2; ++round) {  // a second watch after one ended with its request out
    AddressChangeWatch watch;
    EXPECT_FALSE(watch.armed());
    ASSERT_TRUE(watch.Arm());
    EXPECT_TRUE(watch.armed());
    for (int poll = 0; poll < 5; ++poll) {
      Sleep(20);
      EXPECT_FALSE(watch.Fired()) << poll;
      EXPECT_TRUE(watch.Arm());  // still the same request
      EXPECT_TRUE(watch.armed());
    }
  }
}

}  // namespace
}  // namespace qm
