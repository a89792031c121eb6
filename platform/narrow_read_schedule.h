#pragma once
// When an interface whose 64-bit counters read zero in the counter table
// needs its 32-bit row as well. Some drivers answer with zero 64-bit
// counters while the 32-bit row counts; an idle interface reads zero in
// both. Asking the 32-bit row of every idle interface every second would
// double the cost of the tick, so an interface is asked again only every
// kNarrowRecheckTicks table reads, unless its 32-bit row was seen counting:
// then it is asked every time.

#include <cstdint>
#include <vector>

namespace qm {

inline constexpr uint64_t kNarrowRecheckTicks = 30;

class NarrowReadSchedule {
 public:
  // Once per table read.
  void NextTick() { ++tick_; }
  // Whether the interface, whose 64-bit counters read zero now, needs its
  // 32-bit row in this table read.
  bool Needed(uint32_t index) const;
  // What the 32-bit row gave: counters other than zero, or not.
  void Record(uint32_t index, bool narrowCounts);

 private:
  struct Entry {
    uint32_t index;
    bool narrowCounts;
    uint64_t lastAsked;
  };
  const Entry* Find(uint32_t index) const;
  std::vector<Entry> entries_;  // only interfaces that have read zero; few
  uint64_t tick_ = 0;
};

}  // namespace qm
