#pragma once
// Folders the programs keep their files in.

#include <string>

namespace qm {

// The user's documents folder, created when missing, through
// "SHGetSpecialFolderPathA" of "shell32.dll" loaded by name; empty when the
// library, the function or the call fails.
std::string DocumentsFolder();

// The folder of the running executable, with a trailing backslash.
std::string ProgramFolder();

}  // namespace qm
