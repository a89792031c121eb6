#include "service/command_line.h"

#include <cstring>

namespace qm {
namespace {

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a >= 'A' && *a <= 'Z' ? char(*a + 32) : *a;
    char y = *b >= 'A' && *b <= 'Z' ? char(*b + 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

ServiceCommand ParseServiceCommand(int argc, const char* const* argv) {
  if (argc <= 1) return ServiceCommand::Run;
  if (argc > 2 || !argv[1] || argv[1][0] != '/') return ServiceCommand::Invalid;
  if (EqualNoCase(argv[1] + 1, "install")) return ServiceCommand::Install;
  if (EqualNoCase(argv[1] + 1, "uninstall")) return ServiceCommand::Uninstall;
  return ServiceCommand::Invalid;
}

}  // namespace qm
