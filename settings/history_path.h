#pragma once
// Where each program keeps its traffic history file. The stored
// "TrafficLogFile" wins; without it each program has its own default folder.
// Both programs and their tests take the path from here and nowhere else.

#include <string>

#include "platform/file.h"
#include "platform/settings_store.h"

namespace qm {

inline constexpr char kHistoryFileName[] = "TrafficHistory.log";
inline constexpr char kTrafficLogFileValue[] = "TrafficLogFile";

// Ensures a trailing separator (either slash counts as one). An empty folder
// stays empty, so that a file name alone means the current folder, never the
// root of the drive.
std::string WithSeparator(std::string folder, char separator);

// Desktop program: the configured TrafficLogFile (HKEY_CURRENT_USER), else
// <documents>\Quellmark\TrafficHistory.log (the folder made when missing),
// else <program folder>\TrafficHistory.log; a chosen default path is written
// back. `documentsFolder` is empty when the system could not name one.
std::string SelectDesktopHistoryPath(SettingsStore& store, FileSystem& fs, const std::string& documentsFolder,
                                     const std::string& programFolder, bool& configured);

// Service: TrafficLogFile below `root` (the service reads HKEY_LOCAL_MACHINE),
// else TrafficHistory.log in the service program's folder. Nothing is
// written.
std::string SelectServiceHistoryPath(SettingsStore& store, RegRoot root, const std::string& serviceFolder,
                                     char separator);

}  // namespace qm
