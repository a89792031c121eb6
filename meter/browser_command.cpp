#include "meter/browser_command.h"

namespace qm {

std::string BrowserCommandLine(const std::string& command, const std::string& address) {
  std::string line = command;
  const size_t quoted = line.find("\"%1\"");
  if (quoted != std::string::npos) {
    line.erase(quoted);
  } else {
    const size_t bare = line.find("%1");
    if (bare != std::string::npos) line.erase(bare);
  }
  return line + " " + address;
}

}  // namespace qm
