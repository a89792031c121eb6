#pragma once
// An adapter source for tests: the test sets the adapters and their
// counters before each tick, and can make either call fail.

#include <map>

#include "platform/adapter_source.h"

namespace qm {

class ScriptedAdapterSource : public AdapterSource {
 public:
  bool ListAdapters(std::vector<SystemAdapter>& out) override {
    ++list_calls;
    if (fail_list) return false;
    out = adapters;
    return true;
  }
  bool ReadCounters(uint32_t index, InterfaceCounters& out) override {
    ++counter_calls;
    auto it = counters.find(index);
    if (it == counters.end()) return false;
    out = it->second;
    return true;
  }

  std::vector<SystemAdapter> adapters;
  std::map<uint32_t, InterfaceCounters> counters;  // by interface index
  bool fail_list = false;
  int list_calls = 0;
  int counter_calls = 0;
};

}  // namespace qm
