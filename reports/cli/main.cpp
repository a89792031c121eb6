// quellmark-report: see report_command.h.

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "reports/cli/report_command.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // Reports carry their own CR LF; text mode would double the CR.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out, err;
  int status = qm::RunReportCommand(args, qm::SystemFileSystem(), qm::SystemClock(), out, err);
  if (!out.empty() && (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)) {
    std::fputs("quellmark-report: cannot write to standard output\n", stderr);
    status = qm::kExitOutputFailed;
  }
  if (!err.empty()) std::fputs(err.c_str(), stderr);
  return status;
}
