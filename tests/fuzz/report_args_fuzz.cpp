// quellmark-report's arguments, one per input line, over an in-memory disk
// holding the reports' fixture history and a file that is not a history.
// Whatever it is given, the command ends with status 0, 1 or 2, says why in
// exactly one line when it fails and nothing when it succeeds, and never
// changes the history it reads (the only one on the disk; a report may
// replace the other file).

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "reports/cli/report_command.h"
#include "tests/fakes/memory_file_system.h"
#include "tests/fakes/settable_clock.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using qm::fuzz::Check;

const std::string& Fixture() {
  static const std::string bytes = [] {
    std::ifstream in(QM_FUZZ_FIXTURE_HISTORY, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return -1;
  Check(!Fixture().empty());
  const std::string notHistory = "Date,Downloaded,Uploaded\r\n03/14/2010,1,2\r\n";
  qm::MemoryFileSystem fs('/');
  fs.SetContent("TrafficHistory.log", Fixture());
  fs.SetContent("notes.csv", notHistory);
  qm::SettableClock clock;
  clock.now.year = 2010, clock.now.month = 3, clock.now.day = 20, clock.now.dayOfWeek = 6;

  std::string out, err;
  const int status = qm::RunReportCommand(qm::fuzz::ArgumentLines(data, size), fs, clock, out, err);

  Check(status == qm::kExitOk || status == qm::kExitOutputFailed || status == qm::kExitBadInput);
  if (status == qm::kExitOk) {
    // Only a report of an adapter the file has no record of has a word
    // beside it, on one line.
    Check(err.empty() || (err.rfind("quellmark-report: no record of adapter 300:", 0) == 0 &&
                          err.find('\n') == err.size() - 1));
  } else {
    Check(!err.empty() && err.find('\n') == err.size() - 1);
  }
  Check(fs.Content("TrafficHistory.log") == Fixture());
  return 0;
}
