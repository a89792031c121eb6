#pragma once
// Where the settings live. The same layout lies below both roots: the
// desktop program reads and writes HKEY_CURRENT_USER, the service reads
// HKEY_LOCAL_MACHINE.

#include <cstdint>
#include <string>

namespace qm {

inline constexpr char kProductKey[] = "Software\\Quellmark\\";
inline constexpr char kOptionsKey[] = "Software\\Quellmark\\Options";
inline constexpr char kEmailSettingsKey[] = "Software\\Quellmark\\Options\\EmailSettings";
inline constexpr char kAdaptersKey[] = "AdaptersEx";  // below kProductKey, one sub-key per adapter
inline constexpr char kServiceKey[] = "Software\\Quellmark\\Service";
inline constexpr char kServiceReportsKey[] = "Software\\Quellmark\\Service\\Reports";

// The key of one adapter: "Software\Quellmark\AdaptersEx\<kind>-<adapter ID>",
// for example "Software\Quellmark\AdaptersEx\100-" for All Connections.
inline std::string AdapterKeyPath(int32_t kind, const std::string& adapterId) {
  return std::string(kProductKey) + kAdaptersKey + "\\" + std::to_string(kind) + "-" + adapterId;
}

// The start-with-Windows entry, always below HKEY_CURRENT_USER.
inline constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "Quellmark";

}  // namespace qm
