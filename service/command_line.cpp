#include "service/command_line.h"

#include "platform/ascii_case.h"

namespace qm {
ServiceCommand ParseServiceCommand(int argc, const char* const* argv) {
  if (argc <= 1) return ServiceCommand::Run;
  if (argc > 2 || !argv[1] || argv[1][0] != '/') return ServiceCommand::Invalid;
  if (argv[1][1] == '?' && argv[1][2] == '\0') return ServiceCommand::Help;
  if (AsciiEqualNoCase(argv[1] + 1, "install")) return ServiceCommand::Install;
  if (AsciiEqualNoCase(argv[1] + 1, "uninstall")) return ServiceCommand::Uninstall;
  return ServiceCommand::Invalid;
}

}  // namespace qm
