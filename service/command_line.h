#pragma once
// The service program's command line: no argument runs the service,
// "/install" and "/uninstall" (in any case) install and remove it.

namespace qm {

enum class ServiceCommand { Run, Install, Uninstall, Invalid };

ServiceCommand ParseServiceCommand(int argc, const char* const* argv);

// Console texts.
inline constexpr char kInstallPrompt[] = "Install service...";
inline constexpr char kUninstallPrompt[] = "Uninstall service...";
inline constexpr char kInvalidParameters[] = "Invalid parameters.\n";

}  // namespace qm
