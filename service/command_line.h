#pragma once
// The service program's command line: no argument runs the service,
// "/install" and "/uninstall" (in any case) install and remove it, "/?"
// prints the usage.

namespace qm {

enum class ServiceCommand { Run, Install, Uninstall, Help, Invalid };

ServiceCommand ParseServiceCommand(int argc, const char* const* argv);

// Console texts.
inline constexpr char kInstallPrompt[] = "Install service...";
inline constexpr char kUninstallPrompt[] = "Uninstall service...";
inline constexpr char kInvalidParameters[] = "Invalid parameters.\n";
inline constexpr char kServiceUsage[] =
    "Usage: QuellmarkService [/install | /uninstall]\n"
    "  /install    installs the service \"Quellmark Service\" (Local System, started\n"
    "              with Windows) with this program\n"
    "  /uninstall  stops the service if it runs and removes it\n"
    "Without an argument the program is the service itself, started by the service manager.\n"
    "The exit status is 0 on success; on failure the system's reason follows the outcome line.\n";

}  // namespace qm
