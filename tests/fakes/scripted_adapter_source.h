#pragma once
// An adapter source for tests: the test sets the adapters and their
// counters before each tick, and can make either call fail. By default it
// has no counter table and cannot tell changes, as the oldest systems.

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
  bool ReadCounterTable(std::vector<IndexedCounters>& out) override {
    if (!has_table) return false;
    ++table_calls;
    out.clear();
    for (const auto& [index, c] : counters) out.push_back(IndexedCounters{index, c});
    return true;
  }
  // With tells_changes, says yes once after each `changed = true`.
  bool AdaptersMayHaveChanged() override {
    if (!tells_changes) return true;
    const bool was = changed;
    changed = false;
    return was;
  }

  std::vector<SystemAdapter> adapters;
  std::map<uint32_t, InterfaceCounters> counters;  // by interface index
  bool fail_list = false;
  bool has_table = false;
  bool tells_changes = false;
  bool changed = true;
  int list_calls = 0;
  int counter_calls = 0;
  int table_calls = 0;
};

}  // namespace qm
