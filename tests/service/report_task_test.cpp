#include "service/report_task.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_settings_store.h"
#include "service/service_config.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;

void StoreTask(SettingsStore& store, const std::string& name, const std::vector<uint8_t>& bytes) {
  store.WriteBinary(kLm, kServiceReportsKey, name, bytes.data(), bytes.size());
}

TEST(ReportTaskRecord, EncodesTheStoredLayoutByteForByte) {
  ReportTask t = MakeReportTask(2, 300, "{ABC}", 60, u"C:\\r\u00e9port.csv");
  std::vector<uint8_t> b = EncodeReportTask(t);
  ASSERT_EQ(b.size(), 796u);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[4] | b[5] << 8, 300);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[8])), "{ABC}");
  EXPECT_EQ(b[268], 60);
  EXPECT_EQ(b[276], 'C');
  EXPECT_EQ(b[277], 0);
  EXPECT_EQ(b[276 + 2 * 4], 0xE9);  // UTF-16LE
  ReportTask back;
  ASSERT_TRUE(DecodeReportTask(b.data(), b.size(), back));
  EXPECT_EQ(ReportTaskFile(back), u"C:\\r\u00e9port.csv");
  EXPECT_EQ(ReportTaskAdapterId(back), "{ABC}");
}

TEST(ReportTaskRecord, DecodingTerminatesTextsAndZeroFillsShortData) {
  std::vector<uint8_t> full(796, 'A');
  ReportTask t;
  ASSERT_TRUE(DecodeReportTask(full.data(), full.size(), t));
  EXPECT_EQ(ReportTaskAdapterId(t).size(), 259u);
  EXPECT_EQ(ReportTaskFile(t).size(), 259u);
  std::vector<uint8_t> shortData = {3, 0, 0, 0, 100, 0, 0, 0};
  ASSERT_TRUE(DecodeReportTask(shortData.data(), shortData.size(), t));
  EXPECT_EQ(t.reportType, 3u);
  EXPECT_EQ(t.interval, 0);
  EXPECT_TRUE(ReportTaskFile(t).empty());
  std::vector<uint8_t> tooLong(797, 0);
  EXPECT_FALSE(DecodeReportTask(tooLong.data(), tooLong.size(), t));
}

TEST(ReportTaskLoading, AppliesTheIntervalRuleAndIgnoresTheStoredCountdown) {
  MemorySettingsStore store;
  struct Case {
    int32_t stored;
    int32_t interval;
  } cases[] = {{0, 1}, {-5, 1}, {1, 1}, {60, 60}};
  int n = 0;
  for (const Case& c : cases) {
    ReportTask t = MakeReportTask(1, 100, "", c.stored, u"x.txt");
    t.countdown = 999;
    StoreTask(store, std::string(1, char('a' + n++)), EncodeReportTask(t));
  }
  std::vector<ReportTask> tasks = LoadReportTasks(store, kLm);
  ASSERT_EQ(tasks.size(), 4u);
  for (size_t i = 0; i < tasks.size(); ++i) {
    EXPECT_EQ(tasks[i].interval, cases[i].interval);
    EXPECT_EQ(tasks[i].countdown, cases[i].interval);
  }
}

TEST(ReportTaskLoading, AnOverlongNameOrRecordEndsTheListAndSaysWhere) {
  const std::vector<uint8_t> good = EncodeReportTask(MakeReportTask(1, 100, "", 5, u"a.txt"));
  const std::string longName = "b" + std::string(31, 'x');  // 32 characters
  const struct {
    std::string name;
    std::vector<uint8_t> data;
    const char* why;
  } cases[] = {
      {longName, good, "has a name longer than 31 characters"},
      {"b", std::vector<uint8_t>(797, 0), "is longer than 796 bytes"},
  };
  for (const auto& c : cases) {
    MemorySettingsStore store;
    StoreTask(store, "a", good);
    StoreTask(store, c.name, c.data);
    StoreTask(store, "c", good);
    std::string stopped;
    EXPECT_EQ(LoadReportTasks(store, kLm, &stopped).size(), 1u);
    EXPECT_EQ(stopped, "Report task \"" + c.name + "\" " + c.why +
                           "; it and every later report task are ignored.");
  }

  MemorySettingsStore fine;
  StoreTask(fine, "a", good);
  StoreTask(fine, std::string(31, 'n'), std::vector<uint8_t>(796, 0));
  std::string stopped;
  EXPECT_EQ(LoadReportTasks(fine, kLm, &stopped).size(), 2u);
  EXPECT_EQ(stopped, "");

  MemorySettingsStore empty;
  EXPECT_TRUE(LoadReportTasks(empty, kLm).empty());
}

// Interval N: the first run at the N-th tick, then every N ticks; interval
// 1 (also from 0 or less) every tick.
TEST(ReportTaskCountdown, RunsAtTheNthTickAndEveryNTicksAfter) {
  std::vector<ReportTask> tasks = {MakeReportTask(1, 100, "", 3, u"a"), MakeReportTask(1, 200, "", 1, u"b")};
  std::vector<std::pair<int, int32_t>> runs;
  for (int tick = 1; tick <= 7; ++tick)
    AdvanceReportTasks(tasks, [&](const ReportTask& t) { runs.push_back({tick, t.adapterKind}); });
  std::vector<std::pair<int, int32_t>> expected = {{1, 200}, {2, 200}, {3, 100}, {3, 200}, {4, 200},
                                                   {5, 200}, {6, 100}, {6, 200}, {7, 200}};
  EXPECT_EQ(runs, expected);
}

TEST(ServiceConfig, ReadsEnabledOptionsAndTasksWithDefaults) {
  MemorySettingsStore store;
  ServiceConfig none = ReadServiceConfig(store, kLm);
  EXPECT_EQ(none.ServiceEnabled, 0u);
  EXPECT_FALSE(none.NotificationsInService());
  EXPECT_FALSE(none.RecorderInService());

  store.WriteDword(kLm, kServiceKey, "ServiceEnabled", 1);
  const uint8_t eight[8] = {1, 0, 0, 0, 1, 0, 0, 0};  // word 2 missing
  store.WriteBinary(kLm, kServiceKey, "ServiceOptions", eight, sizeof eight);
  ServiceConfig some = ReadServiceConfig(store, kLm);
  EXPECT_EQ(some.ServiceEnabled, 1u);
  EXPECT_TRUE(some.NotificationsInService());
  EXPECT_FALSE(some.RecorderInService());

  // Like every 32-bit setting, "ServiceEnabled" is taken whatever its stored
  // type, as long as it has four bytes (a .reg file may give it as hex).
  const uint8_t one[4] = {1, 0, 0, 0};
  store.WriteBinary(kLm, kServiceKey, "ServiceEnabled", one, sizeof one);
  EXPECT_EQ(ReadServiceConfig(store, kLm).ServiceEnabled, 1u);
}

TEST(Utf16Text, RoundTripsThroughUtf8) {
  std::string text = "C:\\Berichte\\M\xC3\xA4rz \xE2\x82\xAC \xF0\x9F\x93\x88.txt";
  std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide[13], u'\u00e4');
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

}  // namespace
}  // namespace qm
