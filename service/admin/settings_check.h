#pragma once
// What QuellmarkAdmin can see of the machine-wide settings that the service
// would silently fail on: files in folders that do not exist, and adapter
// IDs that no adapter present now has. The service only writes nothing (or
// one log line) for these; the administrator should hear of them at once.

#include <string>

#include "platform/adapter_source.h"
#include "platform/file.h"
#include "platform/settings_store.h"

namespace qm {

// The folder of a Windows path ("C:\\" for "C:\x.csv"); empty when it has none.
std::string FolderOf(const std::string& path);

// One sentence each, without a line end; empty when all is well or it cannot
// be told (no file system, no adapter list, a path without a folder).
std::string MissingFolderProblem(FileSystem* files, const std::string& path);
std::string UnknownAdapterProblem(AdapterSource* adapters, int32_t kind, const std::string& id);

// Two spellings of one Windows path: case and the kind of slash aside.
bool SamePathText(std::string a, std::string b);
// A task's file that report task `other` writes as well.
std::string SharedFileProblem(const std::string& other, const std::string& otherFile);

// Every problem of the service's settings below HKEY_LOCAL_MACHINE, one
// line each, naming the setting first: the service switched off, a
// metrics address it cannot use, the history file's folder, each recorder file's folder and adapter, each
// report task's folder and adapter, a task on the history file or on
// another task's file, and the rule's adapter.
std::string ServiceSettingsProblems(SettingsStore& store, AdapterSource* adapters, FileSystem* files);

}  // namespace qm
