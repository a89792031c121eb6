#pragma once
// A desktop or service engine on a scripted adapter source, a settable clock,
// an in-memory registry and a history file of the test's own name, with a
// listener that records every consumer call as a line of text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/traffic_engine.h"
#include "tests/fakes/memory_settings_store.h"
#include "tests/fakes/scripted_adapter_source.h"
#include "tests/fakes/settable_clock.h"

namespace qm {

class RecordingListener : public TickListener {
 public:
  void AddSample(AdapterRecord& r, const RateSample& s) override {
    log.push_back("AddSample " + Name(r) + " " + std::to_string(s.download) + "/" + std::to_string(s.upload));
  }
  void SetTitle(AdapterRecord& r, const std::string& title) override { log.push_back("SetTitle " + Name(r) + " " + title); }
  void RefreshTrayIcon(AdapterRecord& r) override { log.push_back("RefreshTrayIcon " + Name(r)); }
  void WriteRatesLine(AdapterRecord& r, const RateSample& s, const LocalTime&) override {
    log.push_back("WriteRatesLine " + Name(r) + " " + std::to_string(s.download) + "/" + std::to_string(s.upload));
  }
  void PrepareNotification() override { log.push_back("PrepareNotification"); }
  void EvaluateNotification() override { log.push_back("EvaluateNotification"); }
  void AdvanceReportTasks() override { log.push_back("AdvanceReportTasks"); }
  void AdapterAdded(AdapterRecord& r) override {
    log.push_back("AdapterAdded " + Name(r) + " " + std::to_string(r.adaptersMenuCommand) + " " +
                  std::to_string(r.resetRatesCommand));
  }
  void Relayout(AdapterRecord& r) override { log.push_back("Relayout " + Name(r)); }
  void HistoryWriteFailed(const std::string& path, const std::string&) override {
    log.push_back("HistoryWriteFailed " + path);
  }
  void HistoryWritten(const std::string& path) override { log.push_back("HistoryWritten " + path); }

  static std::string Name(const AdapterRecord& r) { return r.IsPseudo() ? std::to_string(r.kind) : r.id; }
  std::vector<std::string> log;
};

class OpenRecorder : public AdapterRecorder {
 public:
  bool IsOpen() const override { return true; }
};

inline LocalTime At(int y, int mo, int d, int h, int mi, int s, int dow = 0) {
  return LocalTime{uint16_t(y), uint16_t(mo), uint16_t(dow), uint16_t(d), uint16_t(h), uint16_t(mi), uint16_t(s), 0};
}

inline std::string TestFileName(const std::string& suffix = ".log") {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name() + suffix;
  for (char& c : name) {
    if (c == '/') c = '_';  // parameterised tests are named Suite/Case/Param
  }
  return name;
}

class EngineTest : public ::testing::Test {
 protected:
  // Adapters are named by GUID text, so that the name is the ID.
  static std::string Guid(int n) { return "{0000000" + std::to_string(n) + "-0000-0000-0000-4E6574446576}"; }

  SystemAdapter& AddAdapter(int index, uint32_t type = kIfTypeEthernet, const std::string& ip = "198.51.100.1") {
    SystemAdapter a;
    a.name = Guid(index);
    a.description = "eth" + std::to_string(index);
    a.index = uint32_t(index);
    a.type = type;
    if (!ip.empty()) a.ipAddresses.push_back(ip);
    source.adapters.push_back(a);
    source.counters[uint32_t(index)] = InterfaceCounters{0, 0, type, false};
    return source.adapters.back();
  }
  void SetCounters(int index, uint64_t rx, uint64_t tx, bool wide = false) {
    auto& c = source.counters[uint32_t(index)];
    c.received = rx;
    c.sent = tx;
    c.wide = wide;
  }
  // One tick one second later than the clock's time (unless `when` is given).
  void Tick() {
    LocalTime& t = clock.now;
    if (++t.second == 60) {
      t.second = 0;
      if (++t.minute == 60) t.minute = 0, ++t.hour;
    }
    engine().SampleTick();
  }
  void TickAt(const LocalTime& when) {
    clock.now = when;
    engine().SampleTick();
  }
  TrafficEngine& engine() { return *engine_; }
  AdapterRecord& Real(int n) {
    AdapterRecord* r = engine().adapters().FindReal(Guid(n));
    EXPECT_TRUE(r) << n;
    return *r;
  }
  // Builds the engine, loads the list and opens a fresh history file.
  void Start(EngineVariant variant = EngineVariant::Desktop, bool withFile = true) {
    engine_ = std::make_unique<TrafficEngine>(variant, source, store, SystemFileSystem(), clock);
    engine_->set_listener(&listener);
    engine_->LoadAdapterList();
    if (withFile) {
      path = TestFileName();
      SystemFileSystem().Remove(path);
      ASSERT_TRUE(engine_->OpenHistoryFile(path, true));
    }
  }
  // Reopens the same history file in a new engine, as after a restart.
  void Restart() {
    engine_->CloseHistoryFile();
    engine_ = std::make_unique<TrafficEngine>(engine_->variant(), source, store, SystemFileSystem(), clock);
    engine_->set_listener(&listener);
    engine_->LoadAdapterList();
    ASSERT_TRUE(engine_->OpenHistoryFile(path, true));
  }
  std::vector<DayRecord> FileRecords() {
    std::vector<DayRecord> out;
    std::string error;
    EXPECT_TRUE(ReadDayRecords(SystemFileSystem(), path, out, &error)) << error;
    return out;
  }

  ScriptedAdapterSource source;
  SettableClock clock;
  MemorySettingsStore store;
  RecordingListener listener;
  std::string path;
  std::unique_ptr<TrafficEngine> engine_;
};

}  // namespace qm
