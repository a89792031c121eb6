#include "settings/start_with_windows.h"

#include "platform/ascii_case.h"
#include "settings/registry_layout.h"

namespace qm {
bool IsStartWithWindows(SettingsStore& store) {
  // Every name is looked at, however long: a foreign entry with a long name
  // must not hide ours, or the entry could never be switched off again.
  for (const std::string& name : store.ValueNames(RegRoot::CurrentUser, kRunKey))
    if (AsciiEqualNoCase(name, kRunValueName)) return true;
  return false;
}

bool SetStartWithWindows(SettingsStore& store, bool wanted, const std::string& programPath) {
  if (IsStartWithWindows(store) == wanted) return true;
  if (wanted) return store.WriteString(RegRoot::CurrentUser, kRunKey, kRunValueName, programPath);
  return store.DeleteValue(RegRoot::CurrentUser, kRunKey, kRunValueName);
}

}  // namespace qm
