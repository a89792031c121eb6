#include "reports/cli/report_command.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ascii_case.h"
#include "tests/fakes/memory_file_system.h"
#include "tests/fakes/settable_clock.h"
#include "tests/reports/report_test_util.h"

namespace qm {
namespace {

struct Result {
  int status;
  std::string out, err;
};

Result Invoke(std::vector<std::string> args) {
  SettableClock clock;
  clock.now = LocalTime{2026, 1, 2, 20, 9, 0, 0, 0};  // Tuesday, 20 January 2026
  Result r;
  r.status = RunReportCommand(args, SystemFileSystem(), clock, r.out, r.err);
  return r;
}

const std::string kHistory = test::FixturePath("fixtures/small_history.log");
const std::string kAdapter = std::string("300:") + test::kAdapterA;

std::vector<std::string> GoldenArgs(const std::string& kind) {
  return {"--report", kind, "--adapter", kAdapter, "--name", test::kGoldenName, "--week-start", "1",
          "--month-start", "15", "--date-format", "DD.MM.YYYY", "--last-days=7", kHistory};
}

TEST(ReportCommand, WritesWhatAScheduledReportWouldWrite) {
  // Today from the clock, live totals from today's record in the file.
  const Result r = Invoke(GoldenArgs("weekly"));
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, test::ReadWhole(test::FixturePath("golden/adapter_weekly.txt")));
  // The admin tool's spelling, the ID alone in any case, names the same adapter.
  std::vector<std::string> bare = GoldenArgs("weekly");
  bare[3] = AsciiLower(test::kAdapterA);
  EXPECT_EQ(Invoke(bare).out, r.out);

  // The form follows --output's extension unless --format says otherwise.
  FileSystem& fs = SystemFileSystem();
  std::vector<std::string> args = GoldenArgs("summary");
  args.insert(args.begin(), {"--output", "command_summary.Csv"});
  ASSERT_EQ(Invoke(args).status, kExitOk);
  EXPECT_EQ(test::ReadWhole("command_summary.Csv"), test::ReadWhole(test::FixturePath("golden/adapter_summary.csv")));
  args.insert(args.begin(), {"--format", "html"});
  ASSERT_EQ(Invoke(args).status, kExitOk);
  EXPECT_EQ(test::ReadWhole("command_summary.Csv"), test::ReadWhole(test::FixturePath("golden/adapter_summary.htm")));
  EXPECT_FALSE(fs.Exists("command_summary.Csv.part"));
  fs.Remove("command_summary.Csv");
}

TEST(ReportCommand, DefaultsAndExplicitLiveTotals) {
  // All Connections by default, its name, MM/DD/YYYY, today from --today;
  // --live replaces today's record.
  const Result r = Invoke({kHistory, "--today", "2026-01-15", "--live", "1048576,0"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("All Connections [12/28/2025 --- 01/15/2026]\r\n"), std::string::npos) << r.out;
  // Today goes in front with the live totals; the newest stored day (the
  // 20th) follows as an ordinary row.
  EXPECT_NE(r.out.find("------\r\n 01/15/2026   Thursday            1.00 MB            0 B        1.00 MB\r\n"
                       " 01/20/2026   Tuesday "),
            std::string::npos)
      << r.out;

  const Result dialUp = Invoke({"--adapter", "200", "--report", "summary", kHistory});
  EXPECT_NE(dialUp.out.find("Dial-Up Connections ["), std::string::npos);
  EXPECT_EQ(Invoke({"--adapter", "dialup", "--report", "summary", kHistory}).out, dialUp.out);
}

TEST(ReportCommand, ListsEveryRecord) {
  const Result r = Invoke({"--records", "--date-format", "68", kHistory});
  ASSERT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out.substr(0, r.out.find("\r\n", 80) + 2),
            "2025-12-28\tSunday\t100\t\t500\t1536\r\n"
            "2025-12-28\tSunday\t200\t\t0\t0\r\n"
            "2025-12-28\tSunday\t300\t{00000002-0000-0000-0000-4E6574446576}\t500\t1536\r\n");
  size_t lines = 0;
  for (size_t p = r.out.find("\r\n"); p != std::string::npos; p = r.out.find("\r\n", p + 1)) ++lines;
  EXPECT_EQ(lines, 9u * 3 + 7);  // the trailing fragment is not a record
}

TEST(ReportCommand, SkipsRecordsThatCannotBeDays) {
  FileSystem& fs = SystemFileSystem();
  const std::string path = "command_corrupt.log";
  {
    auto f = fs.Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
    const HistoryHeader h = MakeHistoryHeader();
    DayRecord bad = test::AllDay(2026, 1, 19, 1);
    bad.month = 13;
    const DayRecord good = test::AllDay(2026, 1, 18, 2048);
    f->Write(&h, sizeof h);
    f->Write(&bad, sizeof bad);
    f->Write(&good, sizeof good);
  }
  const Result r = Invoke({"--report", "weekly", "--today", "2026-01-19", path});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("01/18/2026 -- 01/24/2026             2.0 KB"), std::string::npos) << r.out;
  EXPECT_EQ(Invoke({"--records", path}).out, "01/18/2026\tSunday\t100\t\t2048\t0\r\n");
  fs.Remove(path);
}

TEST(ReportCommand, HugeTotalsPrintLargeAndTheirSumsStopAtTheTop) {
  FileSystem& fs = SystemFileSystem();
  const std::string path = "command_huge.log";
  {
    auto f = fs.Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
    const HistoryHeader h = MakeHistoryHeader();
    const DayRecord a = test::AllDay(2026, 1, 18, uint64_t(1) << 63, uint64_t(1) << 63);
    const DayRecord b = test::AllDay(2026, 1, 19, uint64_t(1) << 63, 1);
    f->Write(&h, sizeof h);
    f->Write(&a, sizeof a);
    f->Write(&b, sizeof b);
  }
  const Result r = Invoke({"--report", "weekly", "--format", "csv", "--today", "2026-01-20", path});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.find(",-"), std::string::npos) << r.out;
  // The week's download is 2^64 bytes: one more than a 64-bit count holds.
  EXPECT_NE(r.out.find("16777216.00 TB,8388608.00 TB,16777216.00 TB"), std::string::npos) << r.out;
  EXPECT_NE(Invoke({"--records", path}).out.find("\t9223372036854775808\t1\r\n"), std::string::npos);
  // JSON carries the exact counts, held at the top as the text is.
  const Result json = Invoke({"--report", "daily", "--format", "json", "--today", "2026-01-20", path});
  EXPECT_NE(json.out.find("\"download\": 9223372036854775808, \"upload\": 1, \"both\": 9223372036854775809"),
            std::string::npos) << json.out;
  const Result week = Invoke({"--report", "weekly", "--output", "command_huge.JSON", "--today", "2026-01-20", path});
  ASSERT_EQ(week.status, kExitOk) << week.err;
  EXPECT_NE(test::ReadWhole("command_huge.JSON").find("\"download\": 18446744073709551615, \"upload\": "
                                                      "9223372036854775809, \"both\": 18446744073709551615"),
            std::string::npos);
  fs.Remove("command_huge.JSON");
  fs.Remove(path);
}

// An ID the file has no record of still gets its report (of zeros), with
// a word on standard error; a known one gets none.
TEST(ReportCommand, SaysWhenTheFileHasNoRecordOfTheAdapter) {
  const Result unknown = Invoke({"--adapter", "300:{DEADBEEF}", kHistory});
  EXPECT_EQ(unknown.status, kExitOk);
  EXPECT_FALSE(unknown.out.empty());
  EXPECT_EQ(unknown.err, "quellmark-report: no record of adapter 300:{DEADBEEF} exists in " + kHistory +
                             "; --records lists the adapters it holds.\n");
  for (const std::string& adapter : {kAdapter, std::string("100"), std::string("200")})
    EXPECT_EQ(Invoke({"--adapter", adapter, kHistory}).err, "") << adapter;
}

TEST(ReportCommand, BadInputGetsOneLineAndStatusTwo) {
  const std::string notHistory = test::FixturePath("golden/adapter_daily.txt");
  const struct {
    std::vector<std::string> args;
    const char* mentions;
  } cases[] = {
      {{"--colour", "red", kHistory}, "--colour"},
      {{"--report", "yearly", kHistory}, "yearly"},
      {{"--format", "pdf", kHistory}, "pdf"},
      {{"--format", "json", "--today", "2026-02-30", kHistory}, "2026-02-30"},
      {{"--format=json", notHistory}, notHistory.c_str()},
      {{"--adapter", "300:", kHistory}, "300:"},
      {{"--adapter", "400", kHistory}, "400"},
      {{"--today", "2026-02-30", kHistory}, "2026-02-30"},
      {{"--today", "20.01.2026", kHistory}, "20.01.2026"},
      {{"--week-start", "7", kHistory}, "--week-start"},
      {{"--month-start", "0", kHistory}, "--month-start"},
      {{"--date-format", "18", kHistory}, "18"},
      {{"--last-days", "ten", kHistory}, "ten"},
      {{"--last-days", "-5", kHistory}, "--last-days"},
      {{"--last-days", "0", kHistory}, "--last-days"},
      {{"--live", "5", kHistory}, "5"},
      {{"--live", "-1,2", kHistory}, "-1,2"},
      {{"--records=yes", kHistory}, "--records"},
      {{"--records", "--format", "csv", kHistory}, "--records"},
      {{"--format=json", "--records", kHistory}, "--records"},
      {{kHistory, "--output"}, "--output"},
      {{kHistory, kHistory}, "more than one"},
      {{}, "no history file"},
      {{"no_such_history.log"}, "no_such_history.log"},
      {{notHistory}, notHistory.c_str()},
  };
  for (const auto& c : cases) {
    const Result r = Invoke(c.args);
    EXPECT_EQ(r.status, kExitBadInput) << c.mentions;
    EXPECT_EQ(r.out, "") << c.mentions;
    ASSERT_FALSE(r.err.empty()) << c.mentions;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
  }
}

TEST(ReportCommand, NeverLeavesAPartialReportBehind) {
  FileSystem& fs = SystemFileSystem();
  // A history that cannot be read leaves an existing report untouched.
  fs.Open("command_keep.txt", FileAccess::Write, FileShare::None, FileCreate::CreateAlways)->Write("old", 3);
  EXPECT_EQ(Invoke({"--output", "command_keep.txt", "no_such_history.log"}).status, kExitBadInput);
  EXPECT_EQ(test::ReadWhole("command_keep.txt"), "old");
  fs.Remove("command_keep.txt");

  const Result r = Invoke({"--output", "no_such_folder/report.txt", kHistory});
  EXPECT_EQ(r.status, kExitOutputFailed);
  EXPECT_NE(r.err.find("no_such_folder/report.txt"), std::string::npos);
  EXPECT_FALSE(fs.Exists("no_such_folder/report.txt.part"));
}

TEST(ReportCommand, NeverWritesOverItsHistoryFile) {
  FileSystem& fs = SystemFileSystem();
  const std::string history = "command_own_history.log";
  ASSERT_TRUE(fs.Copy(kHistory, history, true));
  const std::string before = test::ReadWhole(history);
  const std::string absolute = std::filesystem::absolute(history).string();
  // Every spelling of the same file is refused, both ways round.
  const std::vector<std::string> cases[] = {
      {"--output", history, history},
      {"--output", "./" + history, history},
      {"--output", absolute, history},
      {"--output", history, absolute},
      {"--records", "--output=" + absolute, "." + std::string(1, fs.Separator()) + history},
  };
  for (const auto& args : cases) {
    const Result r = Invoke(args);
    EXPECT_EQ(r.status, kExitBadInput) << args[1];
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find("is the history file"), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadWhole(history), before) << args[1];
  }
  fs.Remove(history);
}

TEST(ReportCommand, RefusesTheHistoryAsOutputWhereFilesCannotBeIdentified) {
  // A file system that cannot tell files apart still knows that the same
  // path names the same file.
  MemoryFileSystem fs('/');
  const std::string history = test::ReadWhole(kHistory);
  fs.SetContent("TrafficHistory.log", history);
  SettableClock clock;
  std::string out, err;
  EXPECT_EQ(RunReportCommand({"--output", "TrafficHistory.log", "TrafficHistory.log"}, fs, clock, out, err),
            kExitBadInput);
  EXPECT_NE(err.find("is the history file"), std::string::npos) << err;
  EXPECT_TRUE(fs.Content("TrafficHistory.log") == history);
}

TEST(ReportCommand, LeavesOtherFilesBesideTheOutputAlone) {
  // A file under the name a careless writer would take as its temporary
  // one belongs to somebody else.
  FileSystem& fs = SystemFileSystem();
  fs.Open("command_out.txt.part", FileAccess::Write, FileShare::None, FileCreate::CreateAlways)->Write("mine", 4);
  ASSERT_EQ(Invoke({"--output", "command_out.txt", kHistory}).status, kExitOk);
  EXPECT_EQ(test::ReadWhole("command_out.txt.part"), "mine");
  EXPECT_NE(test::ReadWhole("command_out.txt").find("All Connections"), std::string::npos);
  fs.Remove("command_out.txt.part");
  fs.Remove("command_out.txt");
}

}  // namespace
}  // namespace qm
