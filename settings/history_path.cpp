#include "settings/history_path.h"

#include "settings/registry_layout.h"
#include "settings/value_reading.h"

namespace qm {

std::string WithSeparator(std::string folder, char separator) {
  if (!folder.empty() && folder.back() != separator && folder.back() != '/' && folder.back() != '\\') {
    folder += separator;
  }
  return folder;
}

std::string SelectDesktopHistoryPath(SettingsStore& store, FileSystem& fs, const std::string& documentsFolder,
                                     const std::string& programFolder, bool& configured) {
  std::string path;
  if (store.ReadString(RegRoot::CurrentUser, kOptionsKey, kTrafficLogFileValue, path) && !path.empty()) {
    configured = true;
    return path;
  }
  configured = false;
  const char sep = fs.Separator();
  std::string folder;
  if (!documentsFolder.empty()) {
    folder = WithSeparator(documentsFolder, sep) + "Quellmark";
    if (!fs.IsDirectory(folder) && !fs.MakeDirectory(folder)) folder.clear();
  }
  folder = folder.empty() ? WithSeparator(programFolder, sep) : folder + sep;
  path = folder + kHistoryFileName;
  store.WriteString(RegRoot::CurrentUser, kOptionsKey, kTrafficLogFileValue, path);
  return path;
}

std::string SelectServiceHistoryPath(SettingsStore& store, RegRoot root, const std::string& serviceFolder,
                                     char separator) {
  std::string path;
  if (settings_io::ReadSizedText(store, root, kOptionsKey, kTrafficLogFileValue, path) && !path.empty()) return path;
  return WithSeparator(serviceFolder, separator) + kHistoryFileName;
}

}  // namespace qm
