#pragma once
// Installing and removing the service in the service control manager.

#include <string>

namespace qm {

inline constexpr char kServiceName[] = "QuellmarkService";
inline constexpr char kServiceDisplayName[] = "Quellmark Service";

// Failure actions set at install: restart three times, each after a short
// pause; the failure count resets after a day.
inline constexpr unsigned long kRestartActions = 3;
inline constexpr unsigned long kRestartDelayMs = 10000;
inline constexpr unsigned long kFailureResetSeconds = 24 * 60 * 60;

// Creates the service: own process, started automatically, local system
// account, the program's full path in quotes as its command, restarted
// after a crash (`restartSet`, when given, says whether the service manager
// took that setting). On failure `reason` has the system's text.
bool InstallService(const std::string& programPath, std::string& reason, bool* restartSet = nullptr);

// Stops the service when it runs (waiting while it is stopping) and deletes
// it; the result is that of the deletion, with the system's text in
// `reason` on failure.
bool UninstallService(std::string& reason);

}  // namespace qm
