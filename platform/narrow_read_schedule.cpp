#include "platform/narrow_read_schedule.h"

namespace qm {

const NarrowReadSchedule::Entry* NarrowReadSchedule::Find(uint32_t index) const {
  for (const Entry& e : entries_) {
    if (e.index == index) return &e;
  }
  return nullptr;
}

bool NarrowReadSchedule::Needed(uint32_t index) const {
  const Entry* e = Find(index);
  return !e || e->narrowCounts || tick_ - e->lastAsked >= kNarrowRecheckTicks;
}

void NarrowReadSchedule::Record(uint32_t index, bool narrowCounts) {
  for (Entry& e : entries_) {
    if (e.index != index) continue;
    e.narrowCounts = narrowCounts;
    e.lastAsked = tick_;
    return;
  }
  entries_.push_back(Entry{index, narrowCounts, tick_});
}

}  // namespace qm
