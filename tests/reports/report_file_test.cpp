#include "reports/report_file.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "reports/aggregation.h"
#include "reports/report_writer.h"
#include "tests/reports/report_test_util.h"

namespace qm {
namespace {

ReportRequest GoldenRequest(ReportKind kind) {
  ReportRequest r;
  r.kind = kind;
  r.subject = ReportSubject{kKindAdapter, test::kAdapterA};
  r.subjectName = test::kGoldenName;
  r.today = test::GoldenToday();
  r.liveFromHistory = true;
  r.params = test::GoldenParams();
  return r;
}

const struct {
  ReportKind kind;
  const char* name;
} kKinds[] = {{ReportKind::Daily, "daily"},
              {ReportKind::Weekly, "weekly"},
              {ReportKind::Monthly, "monthly"},
              {ReportKind::Summary, "summary"}};
const struct {
  ReportForm form;
  const char* ext;
} kForms[] = {{ReportForm::Text, "txt"}, {ReportForm::Csv, "csv"}, {ReportForm::Html, "htm"}};

// Every kind in every form against its golden file, byte for byte: a year
// end, an accounting month from the 15th, weeks from Monday, DD.MM.YYYY,
// a second adapter that appears later, today's record as the live totals
// and a trailing fragment in the file. Reports format their rows as they
// write them; cells made first (what the reports window exports) must give
// the same bytes.
TEST(ReportFiles, EveryKindInEveryFormMatchesItsGoldenFile) {
  for (const auto& k : kKinds) {
    for (const auto& f : kForms) {
      const std::string golden = test::FixturePath(std::string("golden/adapter_") + k.name + "." + f.ext);
      const std::string history = test::FixturePath("fixtures/small_history.log");
      const ReportRequest request = GoldenRequest(k.kind);
      std::string text;
      ASSERT_EQ(BuildReport(SystemFileSystem(), history, request, f.form, text), HistoryStatus::Ok);
      const std::string expected = test::ReadWhole(golden);
      ASSERT_FALSE(expected.empty()) << golden;
      EXPECT_EQ(text, expected) << golden;

      ReportData data;
      ASSERT_EQ(AggregateReport(SystemFileSystem(), history, request, data), HistoryStatus::Ok);
      EXPECT_EQ(RenderReport(MakeReportCells(data, request.subjectName, request.params), f.form), expected)
          << golden << " from cells";
    }
  }
}

TEST(ReportFiles, DisplayNameIsEscapedInHtmlOnly) {
  EXPECT_EQ(HtmlEscape("a<b>&\"c\"'"), "a&lt;b&gt;&amp;&quot;c&quot;'");
  for (const auto& f : kForms) {
    std::string text;
    BuildReport(SystemFileSystem(), test::FixturePath("fixtures/small_history.log"), GoldenRequest(ReportKind::Daily),
                f.form, text);
    const bool raw = text.find(test::kGoldenName) != std::string::npos;
    EXPECT_EQ(raw, f.form != ReportForm::Html) << f.ext;
  }
}

TEST(ReportFiles, LongNamesAreWrittenWhole) {
  ReportRequest r = GoldenRequest(ReportKind::Weekly);
  r.subjectName = std::string(3000, 'n') + "<end>";
  for (const auto& f : kForms) {
    std::string text;
    BuildReport(SystemFileSystem(), test::FixturePath("fixtures/small_history.log"), r, f.form, text);
    const std::string tail = f.form == ReportForm::Html ? "&lt;end&gt; [22.12.2025" : "<end> [22.12.2025";
    EXPECT_NE(text.find(std::string(3000, 'n') + tail), std::string::npos) << f.ext;
  }
}

// One row through printf, however long its cells.
std::string Printed(const char* format, const std::vector<std::string>& c) {
  const int n = std::snprintf(nullptr, 0, format, c[0].c_str(), c[1].c_str(), c[2].c_str(), c[3].c_str(), c[4].c_str());
  std::string text(size_t(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, c[0].c_str(), c[1].c_str(), c[2].c_str(), c[3].c_str(), c[4].c_str());
  text.pop_back();
  return text;
}

// Ten years of rows are put together in blocks: each row must reach the
// report whole, in order and as printf lays it out, across the blocks'
// seams, and also when a cell is longer than a block.
TEST(ReportFiles, TenYearsOfRowsAreLaidOutAsPrintfWould) {
  ReportAggregator aggregator(ReportKind::Daily, ReportSubject{}, MakeDate(2026, 1, 1), ReportParams{});
  Date d = MakeDate(2016, 1, 1);
  for (uint64_t n = 0; n < 3650; ++n, d = AddDays(d, 1))
    aggregator.Add(test::AllDay(d.year, d.month, d.day, 997 * n * n, 13 * n));
  const ReportData data = aggregator.Finish(Traffic{5, 6});
  const ReportCells cells = MakeReportCells(data, "All", ReportParams{});

  std::string direct;
  AppendReport(data, "All", ReportParams{}, ReportForm::Text, direct);
  EXPECT_EQ(direct, RenderReport(cells, ReportForm::Text));

  const struct {
    ReportForm form;
    const char* row;
  } forms[] = {{ReportForm::Text, " %-13s%-12s%15s%15s%15s\r\n"}, {ReportForm::Csv, "%s,%s,%s,%s,%s\r\n"}};
  for (bool longCell : {false, true}) {
    ReportCells c = cells;
    if (longCell) c.rows[1000][2] = std::string(20000, '9');
    ReportCells none = c;
    none.rows.clear();
    for (const auto& f : forms) {
      std::string rows;
      for (const auto& r : c.rows) rows += Printed(f.row, r);
      const std::string text = RenderReport(c, f.form);
      EXPECT_NE(text.find(rows), std::string::npos) << f.row << (longCell ? " with a long cell" : "");
      EXPECT_EQ(text.size(), RenderReport(none, f.form).size() + rows.size());
    }
  }
}

TEST(ReportFiles, FormComesFromTheExtensionOfTheLastPathComponent) {
  const struct {
    const char* path;
    ReportForm form;
  } cases[] = {{"C:\\r\\day.csv", ReportForm::Csv},        {"day.CSV", ReportForm::Csv},
               {"day.htm", ReportForm::Html},               {"C:\\r\\day.HTML", ReportForm::Html},
               {"day.log", ReportForm::Text},               {"day", ReportForm::Text},
               {"C:\\r.csv\\day", ReportForm::Text},        {"/tmp/x.html/day", ReportForm::Text},
               {"day.csv.txt", ReportForm::Text},           {"day.", ReportForm::Text}};
  for (const auto& c : cases) EXPECT_EQ(FormFromFileName(c.path), c.form) << c.path;
}

TEST(ReportFiles, ExportAppendsTheChosenTypesExtensionUnlessPresent) {
  const struct {
    const char* path;
    ReportForm form;
    const char* result;
  } cases[] = {{"C:\\r\\day", ReportForm::Csv, "C:\\r\\day.csv"},
               {"C:\\r\\day.txt", ReportForm::Csv, "C:\\r\\day.txt.csv"},
               {"C:\\r\\day.CSV", ReportForm::Csv, "C:\\r\\day.CSV"},
               {"day.Txt", ReportForm::Text, "day.Txt"},
               {"day.html", ReportForm::Html, "day.html"},
               {"day.HTM", ReportForm::Html, "day.HTM"},
               {"day.csv", ReportForm::Html, "day.csv.htm"},
               {"C:\\r.txt\\day", ReportForm::Text, "C:\\r.txt\\day.txt"}};
  for (const auto& c : cases) EXPECT_EQ(ExportFileName(c.path, c.form), c.result) << c.path;
}

TEST(ReportFiles, ScheduledReportWritesTheFormOfItsFileNameAndSaysSo) {
  FileSystem& fs = SystemFileSystem();
  const std::string path = "scheduled_report.HTML";
  fs.Remove(path);
  const ReportFileOutcome o =
      WriteReportFile(fs, test::FixturePath("fixtures/small_history.log"), path, GoldenRequest(ReportKind::Monthly));
  EXPECT_EQ(o.status, ReportFileStatus::Written);
  EXPECT_EQ(o.message, std::string("Generate monthly report (scheduled_report.HTML) for ") + test::kGoldenName +
                           " successfully");
  EXPECT_EQ(test::ReadWhole(path), test::ReadWhole(test::FixturePath("golden/adapter_monthly.htm")));

  // A later run replaces the whole file.
  ReportRequest daily = GoldenRequest(ReportKind::Daily);
  daily.subjectName = "All Connections";
  EXPECT_EQ(WriteReportFile(fs, test::FixturePath("fixtures/small_history.log"), path, daily).message,
            "Generate daily report (scheduled_report.HTML) for All Connections successfully");
  std::string expected;
  BuildReport(fs, test::FixturePath("fixtures/small_history.log"), daily, ReportForm::Html, expected);
  EXPECT_EQ(test::ReadWhole(path), expected);
  fs.Remove(path);
}

TEST(ReportFiles, ScheduledReportFailuresAreReturnedWithTheirLogLine) {
  FileSystem& fs = SystemFileSystem();
  const ReportRequest request = GoldenRequest(ReportKind::Summary);

  const ReportFileOutcome noFolder =
      WriteReportFile(fs, test::FixturePath("fixtures/small_history.log"), "no_such_folder/r.txt", request);
  EXPECT_EQ(noFolder.status, ReportFileStatus::CreateFailed);
  EXPECT_EQ(noFolder.message, "Failed to create file 'no_such_folder/r.txt'.");

  // The report file is created first and stays empty when the history
  // cannot be read, whether it is missing or not a history file.
  for (const std::string& history : {std::string("no_such_history.log"), test::FixturePath("golden/adapter_daily.txt")}) {
    const std::string out = "scheduled_failed.txt";
    const std::string old = test::ReadWhole(test::FixturePath("golden/adapter_daily.txt"));
    fs.Open(out, FileAccess::Write, FileShare::None, FileCreate::CreateAlways)->Write(old.data(), old.size());
    const ReportFileOutcome o = WriteReportFile(fs, history, out, request);
    EXPECT_EQ(o.status, ReportFileStatus::HistoryFailed);
    EXPECT_EQ(o.message, "Failed to open traffic log file (" + history + ").");
    EXPECT_TRUE(fs.Exists(out));
    EXPECT_EQ(test::ReadWhole(out), "");
    fs.Remove(out);
  }
}

// A task's path may name any file. Only a file that is empty or begins as
// one of the reports does (any kind, any form, written whole or in part)
// is written over; anything else, the history file above all, is left as
// it is and the run says why.
TEST(ReportFiles, AScheduledReportWritesOnlyOverReports) {
  FileSystem& fs = SystemFileSystem();
  const std::string history = "scheduled_guard_history.log";
  ASSERT_TRUE(fs.Copy(test::FixturePath("fixtures/small_history.log"), history, true));
  const std::string historyBytes = test::ReadWhole(history);
  const ReportRequest request = GoldenRequest(ReportKind::Daily);
  auto put = [&](const std::string& path, const std::string& bytes) {
    fs.Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateAlways)->Write(bytes.data(), bytes.size());
  };

  // The history itself, however the path is spelled.
  for (const std::string& path : {history, "./" + history}) {
    const ReportFileOutcome o = WriteReportFile(fs, history, path, request);
    EXPECT_EQ(o.status, ReportFileStatus::NotAReport);
    EXPECT_EQ(o.message, "The report file '" + path + "' is the traffic log file; no report is written over it.");
    EXPECT_EQ(test::ReadWhole(history), historyBytes);
  }

  const struct {
    const char* what;
    std::string bytes;
  } kept[] = {
      {"another history file", historyBytes},
      {"the activity log", "[Thu Dec 10 15:18:47 2026]: Quellmark Service start up...\n"},
      {"a rates file", "The file was generated by Quellmark 1.0\r\nFile:,Traffic Rates Log\r\n"},
      {"a title without its line end", "Daily Traffic Reports\r\n"},
      {"one byte of something else", "x"},
  };
  const std::string path = "scheduled_guard.txt";
  for (const auto& k : kept) {
    put(path, k.bytes);
    const ReportFileOutcome o = WriteReportFile(fs, history, path, request);
    EXPECT_EQ(o.status, ReportFileStatus::NotAReport) << k.what;
    EXPECT_EQ(o.message, "The report file '" + path + "' holds no traffic report; no report is written over it.");
    EXPECT_EQ(test::ReadWhole(path), k.bytes) << k.what;
  }

  // Earlier reports of every kind and form, whole or cut short, and an
  // empty file (a run whose history could not be read) are replaced.
  std::vector<std::string> reports = {""};
  for (const auto& k : kKinds)
    for (const auto& f : kForms) {
      std::string text;
      ASSERT_EQ(BuildReport(fs, history, GoldenRequest(k.kind), f.form, text), HistoryStatus::Ok);
      reports.push_back(text);
      reports.push_back(text.substr(0, 5));
    }
  std::string expected;
  ASSERT_EQ(BuildReport(fs, history, request, ReportForm::Text, expected), HistoryStatus::Ok);
  for (const std::string& old : reports) {
    put(path, old);
    EXPECT_EQ(WriteReportFile(fs, history, path, request).status, ReportFileStatus::Written) << old.substr(0, 40);
    EXPECT_EQ(test::ReadWhole(path), expected) << old.substr(0, 40);
  }
  fs.Remove(path);
  fs.Remove(history);
}

}  // namespace
}  // namespace qm
