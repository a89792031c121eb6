#pragma once
// Installing and removing the service in the service control manager.

#include <string>

namespace qm {

inline constexpr char kServiceName[] = "QuellmarkService";
inline constexpr char kServiceDisplayName[] = "Quellmark Service";

// Creates the service: own process, started automatically, local system
// account, the program's full path in quotes as its command.
bool InstallService(const std::string& programPath);

// Stops the service when it runs (waiting while it is stopping) and deletes
// it; the result is that of the deletion.
bool UninstallService();

}  // namespace qm
