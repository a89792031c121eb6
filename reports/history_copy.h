#pragma once
// Copies of the traffic history log file made from the reports window:
// a backup somewhere else, and a restored backup under a numbered name next
// to the log in use. A copy goes to a temporary name first and is renamed
// when whole, so a copy that fails half way never leaves a half file under
// the name the user chose, and an existing file is never lost to it.

#include <string>

#include "platform/file.h"

namespace qm {

// The same path but for the case of its letters.
bool SamePathNoCase(const std::string& a, const std::string& b);

// "<part>_<n><extension>" for the first n = 1, 2, ... under which no file
// exists; the extension is the file name's part from its last "." on
// (empty when the name has none).
std::string NumberedFreeName(FileSystem& fs, const std::string& path);

// Copies `from` to `to`, reading it while others may write it (the running
// program holds the log open). With `replace` an existing `to` gives way
// only once the copy is whole; without it the copy fails when `to` exists.
// On failure nothing under `to` has changed and no temporary file stays.
bool CopyWholeFile(FileSystem& fs, const std::string& from, const std::string& to, bool replace);

enum class RestoreOutcome {
  Restored,        // copied under the numbered name
  SameFile,        // the chosen file is the log in use: nothing done
  NotHistoryFile,  // empty, cut short in its header, or not "NTSL" version 2
  CopyFailed,      // it cannot be read, or the copy cannot be written
};

// Copies a chosen backup next to the log in use under the first free
// numbered name (never over a file), `restored` naming it. Only a traffic
// log file is taken: anything else would be renamed aside at the next start
// and leave an empty history in place of the one the person meant to get.
RestoreOutcome RestoreHistoryBackup(FileSystem& fs, const std::string& chosen, const std::string& current,
                                    std::string& restored);

}  // namespace qm
