#pragma once
// The quellmark-report command: reads a history file and writes any report
// of any adapter in it, exactly as a scheduled report would be written, or
// lists the file's records.

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file.h"

namespace qm {

// Exit statuses.
enum : int {
  kExitOk = 0,
  kExitOutputFailed = 1,  // the report was made but could not be written
  kExitBadInput = 2,      // bad arguments or a history file that cannot be read
};

extern const char kReportCommandUsage[];

// args without the program name. What goes to standard output is returned
// in `out` (empty when --output names a file, which is written here);
// `err` gets at most one line.
int RunReportCommand(const std::vector<std::string>& args, FileSystem& fs, Clock& clock, std::string& out,
                     std::string& err);

}  // namespace qm
