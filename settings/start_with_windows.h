#pragma once
// The start-with-Windows entry: the value "Quellmark" of the Run key below
// HKEY_CURRENT_USER. The entry, not the "StartWithWindows" option, is what
// counts; the option is set from IsStartWithWindows after loading.

#include <string>

#include "platform/settings_store.h"

namespace qm {

// True when the Run key holds a value whose name is "Quellmark" in any case.
bool IsStartWithWindows(SettingsStore& store);

// Adds the entry (the program's full path as a string, without quotes or
// arguments) or removes it. Nothing is written when the wanted state is
// already the present one. False when the change could not be made.
bool SetStartWithWindows(SettingsStore& store, bool wanted, const std::string& programPath);

}  // namespace qm
