#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "engine/rate_sample.h"

namespace qm {
namespace {

// The ring against a deque doing the same, through growth, wrapping round,
// bounding and clearing.
TEST(SampleHistory, BehavesAsADequeOfNewestFirst) {
  SampleHistory ring;
  std::deque<RateSample> model;
  uint32_t n = 0;
  for (size_t limit : {3u, 40u, 7u, 100u}) {
    for (int i = 0; i < 150; ++i, ++n) {
      ring.push_front({n, n * 2, 0, 0});
      model.push_front({n, n * 2, 0, 0});
      while (ring.size() > limit) ring.pop_back();
      while (model.size() > limit) model.pop_back();
      ASSERT_EQ(ring.size(), model.size());
      ASSERT_EQ(ring.front().download, model.front().download);
    }
    std::vector<uint32_t> walked, expected;
    for (const RateSample& s : ring) walked.push_back(s.upload);
    for (const RateSample& s : model) expected.push_back(s.upload);
    EXPECT_EQ(walked, expected) << "limit " << limit;
    EXPECT_EQ(ring[ring.size() - 1].download, model.back().download);
    if (limit == 40) {  // older samples joining at the back, across the wrap
      for (uint32_t k = 0; k < 30; ++k) {
        ring.push_back({k, 0, 0, 0});
        model.push_back({k, 0, 0, 0});
      }
      ASSERT_EQ(ring.size(), model.size());
      for (size_t i = 0; i < ring.size(); ++i) ASSERT_EQ(ring[i].download, model[i].download) << i;
    }
    if (limit == 7) {
      ring.clear();
      model.clear();
      EXPECT_TRUE(ring.empty());
      EXPECT_EQ(ring.begin(), ring.end());
    }
  }
}

TEST(SampleHistory, ReservedRoomIsNeverOutgrown) {
  SampleHistory ring;
  ring.reserve(5);
  for (uint32_t i = 0; i < 50; ++i) {
    ring.push_front({i, 0, 0, 0});
    if (ring.size() > 4) ring.pop_back();
  }
  EXPECT_EQ(ring.capacity(), 5u);
  EXPECT_EQ(ring.front().download, 49u);
  EXPECT_EQ(ring[3].download, 46u);
}

}  // namespace
}  // namespace qm
