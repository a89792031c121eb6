#include "service/worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/day_record.h"
#include "tests/fakes/memory_settings_store.h"
#include "tests/fakes/scripted_adapter_source.h"
#include "tests/fakes/settable_clock.h"
#include "service/admin/admin_commands.h"
#include "service/report_task.h"
#include "service/service_config.h"
#include "settings/registry_layout.h"
#include "tests/fakes/failing_file_system.h"
#include "tests/recorder/read_file.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;
const std::string kEthId = "{00000003-0000-0000-0000-4E6574446576}";

// The messages of the activity log, without their time stamps.
std::vector<std::string> Messages(const std::string& path) {
  std::vector<std::string> out;
  std::istringstream in(ReadAll(path));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t at = line.find("]: ");
    if (at != std::string::npos) out.push_back(line.substr(at + 3));
  }
  return out;
}

class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    name_ = std::string("worker_") + info->name();
    for (const char* suffix : {".log", "_history.log", "_rates.csv", "_daily.csv", "_summary.txt"})
      SystemFileSystem().Remove(name_ + suffix);
    SystemAdapter eth;
    eth.name = kEthId;
    eth.description = "eth0";
    eth.index = 3;
    eth.type = kIfTypeEthernet;
    eth.ipAddresses = {"198.51.100.1"};
    source_.adapters = {eth};
    source_.counters[3] = InterfaceCounters{1000, 500, kIfTypeEthernet, true};
    clock_.now = LocalTime{2026, 12, 3, 9, 10, 0, 0, 0};
    log_.Open(name_ + ".log");

    store_.WriteString(kLm, kOptionsKey, "TrafficLogFile", "./" + name_ + "_history.log");
    store_.WriteDword(kLm, kOptionsKey, "DisplayUnitByte", 1);
    store_.WriteDword(kLm, kOptionsKey, "DateFormat", 0x44);
    std::string adapterKey = std::string(kProductKey) + "AdaptersEx\\300-" + kEthId;
    store_.WriteString(kLm, adapterKey, "AdapterID", kEthId);
    store_.WriteString(kLm, adapterKey, "AdapterName", "Office LAN");
    store_.WriteDword(kLm, adapterKey, "RecordTrafficRates", 1);
    store_.WriteDword(kLm, adapterKey, "RecordInterval", 0);
    store_.WriteDword(kLm, adapterKey, "RecordNumberOnly", 1);
    store_.WriteString(kLm, adapterKey, "RecordFile", "./" + name_ + "_rates.csv");
  }

  void Enable(uint32_t notificationWord, uint32_t recorderWord) {
    store_.WriteDword(kLm, kServiceKey, "ServiceEnabled", 1);
    const uint32_t words[3] = {0, notificationWord, recorderWord};
    store_.WriteBinary(kLm, kServiceKey, "ServiceOptions", words, sizeof words);
  }

  // Runs the worker for `ticks` ticks; every tick the adapter moves 1000
  // bytes down and 100 up, and the clock one second on; `beforeTick` sees
  // the number of the tick to come.
  size_t Run(int ticks, bool ipSupport = true, FileSystem& fs = SystemFileSystem(),
           const std::function<void(int)>& beforeTick = {},
           std::function<bool(std::function<void()>)> startThread = {}) {
    WorkerSeams seams(store_, source_, clock_, fs, log_);
    seams.serviceFolder = "./";
    seams.ipSupport = ipSupport;
    int waits = 0;
    seams.waitForStop = [&](int ms) {
      EXPECT_EQ(ms, 1000);
      if (waits++ == ticks) return true;
      clock_.now.second = uint16_t(clock_.now.second + 1);
      source_.counters[3].received += 1000;
      source_.counters[3].sent += 100;
      if (beforeTick) beforeTick(waits);
      return false;
    };
    seams.startThread = [](std::function<void()> job) {
      job();
      return true;
    };
    if (startThread) seams.startThread = std::move(startThread);
    seams.jobStopWaitMs = 50;
    seams.toAnsiPath = [](const std::u16string& p) { return Utf16ToUtf8(p); };
    const size_t jobsLeft = RunServiceWorker(seams);
    log_.Close();
    return jobsLeft;
  }

  std::string name_;
  MemorySettingsStore store_;
  ScriptedAdapterSource source_;
  SettableClock clock_;
  ActivityLog log_{clock_};
};

TEST_F(WorkerTest, NotEnabledLogsWhyAndEndsWithoutTouchingFiles) {
  Run(5);
  EXPECT_EQ(Messages(name_ + ".log"), (std::vector<std::string>{kLogNotEnabled, kLogSetupFailed}));
  EXPECT_FALSE(SystemFileSystem().Exists(name_ + "_history.log"));
  EXPECT_FALSE(SystemFileSystem().Exists(name_ + "_rates.csv"));
}

TEST_F(WorkerTest, MissingIpSupportEndsTheWorkerAtOnce) {
  Enable(0, 0);
  Run(5, false);
  EXPECT_EQ(Messages(name_ + ".log"), std::vector<std::string>{kLogNoIpSupport});
}

TEST_F(WorkerTest, AHistoryFileThatCannotBeOpenedFailsTheSetUp) {
  Enable(0, 1);
  store_.WriteString(kLm, kOptionsKey, "TrafficLogFile", "./no_such_folder/h.log");
  Run(5);
  EXPECT_EQ(Messages(name_ + ".log"), (std::vector<std::string>{"Traffic log file: ./no_such_folder/h.log",
                                                               kLogTrafficFileFailed, kLogSetupFailed}));
}

// A file at the history path that is not a history file is kept under
// another name and a new history started: the log must say where it went,
// or an administrator finds only an empty history and no word of the old one.
TEST_F(WorkerTest, AnUnrecognisedHistoryFileMovedAsideIsLogged) {
  Enable(0, 0);
  const std::string history = name_ + "_history.log", aside = name_ + "_history.unrecognized-1.log";
  SystemFileSystem().Remove(aside);
  std::ofstream(history, std::ios::binary) << "NTSL but nothing like a header";
  Run(2);
  EXPECT_EQ(ReadAll(aside), "NTSL but nothing like a header");
  const std::vector<std::string> messages = Messages(name_ + ".log");
  char want[512];
  std::snprintf(want, sizeof want, kLogHistoryMovedAside, ("./" + history).c_str(), ("./" + aside).c_str());
  EXPECT_NE(std::find(messages.begin(), messages.end(), want), messages.end()) << ReadAll(name_ + ".log");
  SystemFileSystem().Remove(aside);
}

// Ticks, the recorder at interval 0 (so every second), two report tasks
// every 3 ticks, the final flush on stop, and a rule that is passed but
// whose service option is off.
TEST_F(WorkerTest, CountsRecordsReportsAndFlushesOnStop) {
  Enable(0, 1);
  store_.WriteDword(kLm, kOptionsKey, "NotificationEnabled", 1);
  ASSERT_EQ(RunAdminCommand(store_, {"rule", "set", "all", "1", "B", "down", "days:1", "a@b.example"}).exitCode, 0);
  ASSERT_EQ(RunAdminCommand(store_, {"report", "add", "d", "daily", kEthId, "3", "./" + name_ + "_daily.csv"}).exitCode, 0);
  ASSERT_EQ(RunAdminCommand(store_, {"report", "add", "s", "summary", "all", "3", "./" + name_ + "_summary.txt"}).exitCode, 0);
  ASSERT_EQ(RunAdminCommand(store_, {"report", "add", "x", "daily", "{NOT-THERE}", "1", "./" + name_ + "_x.txt"}).exitCode, 0);
  Run(7);

  std::vector<std::string> expected = {"Traffic log file: ./" + name_ + "_history.log", kLogRunning};
  for (int run = 0; run < 2; ++run) {  // ticks 3 and 6
    expected.push_back("Generate daily report (./" + name_ + "_daily.csv) for Office LAN successfully");
    expected.push_back("Generate summary report (./" + name_ + "_summary.txt) for All Connections successfully");
  }
  EXPECT_EQ(Messages(name_ + ".log"), expected);
  EXPECT_FALSE(SystemFileSystem().Exists(name_ + "_x.txt"));

  std::vector<DayRecord> days;
  ASSERT_TRUE(ReadDayRecords(SystemFileSystem(), name_ + "_history.log", days, nullptr));
  ASSERT_EQ(days.size(), 3u);
  for (const DayRecord& d : days) {
    EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 20261209);
    bool dialUp = d.kind == kKindDialUp;  // counts no Ethernet traffic
    EXPECT_EQ(d.download, dialUp ? 0u : 7000u) << d.kind;
    EXPECT_EQ(d.upload, dialUp ? 0u : 700u) << d.kind;
  }

  std::string rates = ReadAll(name_ + "_rates.csv");
  EXPECT_NE(rates.find("Adapter:,Office LAN [198.51.100.1]\r\nDate:,2026-12-09 10:00:00\r\nInterval:,1 second(s)\r\n"),
            std::string::npos) << rates;
  std::string lines = rates.substr(rates.find("Date,Time,Download,Up,Both\r\n") + 28);
  EXPECT_EQ(lines.rfind("2026-12-09,10:00:01,1000,100,1100\r\n2026-12-09,10:00:02,1000,100,1100\r\n", 0), 0u) << lines;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 7);

  // The second daily report saw six ticks of live totals.
  std::string daily = ReadAll(name_ + "_daily.csv");
  EXPECT_NE(daily.find("2026-12-09,Wednesday,5.9 KB,600 B,6.4 KB\r\n"), std::string::npos) << daily;
}

// A report task that ends the list is named; a history file that cannot be
// written is logged once per run of failures with its path and the
// system's reason, and once more when the final flush loses the totals.
TEST_F(WorkerTest, WhatItCannotReadOrWriteIsLoggedOnce) {
  Enable(0, 0);
  ASSERT_EQ(RunAdminCommand(store_, {"report", "add", "d", "daily", kEthId, "1000", "./" + name_ + "_daily.csv"}).exitCode, 0);
  const std::string longName(40, 'n');
  store_.WriteBinary(kLm, kServiceReportsKey, longName, "x", 1);
  FullDiskFileSystem fs;
  // From 10:03:58 on: boundaries at 10:04:00 (tick 2) and 10:08:00 (tick 242).
  clock_.now.minute = 3;
  clock_.now.second = 58;
  Run(245, true, fs, [&](int tick) {
    const int second = 3 * 60 + 58 + tick;
    clock_.now.minute = uint16_t(second / 60);
    clock_.now.second = uint16_t(second % 60);
    if (tick == 3) fs.full = true;
  });

  const std::string history = "./" + name_ + "_history.log";
  const std::vector<std::string> messages = Messages(name_ + ".log");
  ASSERT_EQ(messages.size(), 5u) << ::testing::PrintToString(messages);
  EXPECT_EQ(messages[0], "Report task \"" + longName + "\" has a name longer than 31 characters; "
                         "it and every later report task are ignored.");
  EXPECT_EQ(messages[1], "Traffic log file: " + history);
  EXPECT_EQ(messages[2], kLogRunning);
  const std::string failed = "Failed to write traffic log file (" + history + "): ";
  EXPECT_EQ(messages[3].rfind(failed, 0), 0u) << messages[3];
  EXPECT_NE(messages[3].find(". The totals are kept and written at the next flush."), std::string::npos);
  EXPECT_EQ(messages[4].rfind("Failed to write traffic log file (" + history + ") at stop: ", 0), 0u) << messages[4];
  // What the first boundary wrote stays.
  std::vector<DayRecord> days;
  ASSERT_TRUE(ReadDayRecords(SystemFileSystem(), history, days, nullptr));
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[0].download, 1000u);
}

// A rates line that cannot be written stops that adapter's recorder: one
// line in the log, none for the seconds after, and the worker runs on.
TEST_F(WorkerTest, ARatesFileThatCannotBeWrittenIsLoggedOnceAndStops) {
  Enable(0, 1);
  FullDiskFileSystem fs;
  Run(6, true, fs, [&](int tick) {
    if (tick == 3) fs.full = true;
    if (tick == 5) fs.full = false;
  });
  const std::vector<std::string> messages = Messages(name_ + ".log");
  ASSERT_EQ(messages.size(), 3u) << ::testing::PrintToString(messages);
  EXPECT_EQ(messages[1], kLogRunning);
  EXPECT_EQ(messages[2].rfind("Failed to write rates recording file (./" + name_ + "_rates.csv): ", 0), 0u);
  EXPECT_NE(messages[2].find(". Recording the traffic rates of Office LAN [198.51.100.1] stops until the service "
                             "starts again."),
            std::string::npos)
      << messages[2];
  // The lines before the failure stay; none follow it.
  const std::string rates = ReadAll(name_ + "_rates.csv");
  const std::string lines = rates.substr(rates.find("Date,Time,Download,Up,Both\r\n") + 28);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
}

// A job still writing when its task falls due again: the run is skipped,
// once logged per run of skips; a job that never ends does not hold up the
// end of the worker. A thread that cannot be started is logged likewise.
TEST_F(WorkerTest, ATaskHasOneJobAtATimeAndSkipsAreLoggedOncePerRun) {
  Enable(0, 0);
  const std::string report = "./" + name_ + "_daily.csv";
  ASSERT_EQ(RunAdminCommand(store_, {"report", "add", "a", "daily", kEthId, "1", report}).exitCode, 0);
  std::vector<std::function<void()>> held;  // jobs started but not yet run
  auto hold = [&](std::function<void()> job) {
    held.push_back(std::move(job));
    return true;
  };
  const size_t jobsLeft = Run(8, true, SystemFileSystem(), [&](int tick) {
    if (tick == 4) {  // the slow job ends before tick 4
      held.front()();
      held.clear();
    }
  }, hold);
  const std::string skipped = "Report (" + report + ") is still being written; runs that fall due meanwhile are skipped.";
  EXPECT_EQ(Messages(name_ + ".log"),
            (std::vector<std::string>{"Traffic log file: ./" + name_ + "_history.log", kLogRunning, skipped,
                                      "Generate daily report (" + report + ") for Office LAN successfully", skipped}));
  EXPECT_EQ(held.size(), 1u);  // the second job never ended, and the worker did,
  EXPECT_EQ(jobsLeft, 1u);     // saying so

  log_.Open(name_ + ".log");
  int starts = 0;
  Run(5, true, SystemFileSystem(), {}, [&](std::function<void()>) { return ++starts, false; });
  EXPECT_EQ(starts, 5);
  const std::vector<std::string> messages = Messages(name_ + ".log");
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "Failed to start the report job for '" + report + "'."), 1);
}

// Report tasks aimed at the service's own history file (spelled another
// way) and at the activity log moved aside: each run is refused with its
// reason, and both files keep every byte; the history still takes the
// final flush.
TEST_F(WorkerTest, ReportTasksNeverWriteOverTheHistoryOrTheOlderLog) {
  Enable(0, 0);
  const std::string history = name_ + "_history.log";
  const std::string older = "./" + name_ + ".old.log";
  const std::string olderText = "[Thu Dec 10 15:18:47 2026]: Quellmark Service start up...\n";
  SystemFileSystem().Open(older, FileAccess::Write, FileShare::None, FileCreate::CreateAlways)
      ->Write(olderText.data(), olderText.size());
  // As a hand-made .reg file may hold them: QuellmarkAdmin refuses the first.
  for (const auto& [task, path] : {std::pair{"h", history}, std::pair{"l", older}}) {
    const std::vector<uint8_t> record = EncodeReportTask(MakeReportTask(4, kKindAllConnections, "", 2, Utf8ToUtf16(path)));
    store_.WriteBinary(kLm, kServiceReportsKey, task, record.data(), record.size());
  }
  Run(4);

  const std::string refusedHistory =
      "The report file '" + history + "' is the traffic log file; no report is written over it.";
  const std::string refusedLog = "The report file '" + older + "' holds no traffic report; no report is written over it.";
  EXPECT_EQ(Messages(name_ + ".log"),
            (std::vector<std::string>{"Traffic log file: ./" + history, kLogRunning, refusedHistory, refusedLog,
                                      refusedHistory, refusedLog}));
  std::vector<DayRecord> days;
  ASSERT_TRUE(ReadDayRecords(SystemFileSystem(), history, days, nullptr));
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[0].download, 4000u);
  EXPECT_EQ(ReadAll(older), olderText);
  SystemFileSystem().Remove(older);
}

// With the service's notification option on, a passed limit is logged and
// mailed once per service run, however many ticks stay above it. Without a
// mail server nothing is sent and nothing more is logged.
TEST_F(WorkerTest, APassedLimitIsLoggedOncePerRun) {
  Enable(1, 0);
  ASSERT_EQ(RunAdminCommand(store_, {"rule", "set", "all", "1500", "B", "down", "days:1", "a@b.example"}).exitCode, 0);
  Run(5);
  EXPECT_EQ(Messages(name_ + ".log"),
            (std::vector<std::string>{"Traffic log file: ./" + name_ + "_history.log", kLogRunning,
                                      "Bandwidth usage exceeds limit.", "Send a notification email to a@b.example"}));
}

// Port 0 would be some free port no scraper knows of (on every interface
// with 0.0.0.0): it is refused like any value that is no address and port,
// and the service counts on.
TEST_F(WorkerTest, AMetricsAddressWithPortZeroIsRefusedAndLogged) {
  Enable(0, 0);
  store_.WriteString(kLm, kServiceKey, kMetricsListenValue, "127.0.0.1:0");
  Run(2);
  const std::vector<std::string> messages = Messages(name_ + ".log");
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[1].rfind("Metrics: cannot listen on 127.0.0.1:0: ", 0), 0u) << messages[1];
  EXPECT_EQ(messages[2], kLogRunning);
}

}  // namespace
}  // namespace qm
