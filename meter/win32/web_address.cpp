#include "meter/win32/web_address.h"

#include <shellapi.h>

#include "meter/browser_command.h"

namespace qm {
namespace {

bool ReadClassDefault(const std::string& key, std::string& out) {
  char buffer[1024] = {};
  LONG size = sizeof buffer;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buffer, &size) != ERROR_SUCCESS) return false;
  out.assign(buffer, strnlen(buffer, sizeof buffer));
  return true;
}

}  // namespace

std::string UpdateCheckAddress() { return std::string(kHomePage) + kUpdateCheckPath; }

std::string TellAFriendAddress() {
  return std::string("mailto:?subject=Quellmark - very COOL application!!!&body=Download from ") + kHomePage;
}

INT_PTR OpenWebAddress(const std::string& address, int showMode) {
  const INT_PTR result =
      reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, showMode));
  if (result > 32) return result;
  std::string documentClass, command;
  if (!ReadClassDefault(".htm", documentClass)) return result;
  if (!ReadClassDefault(documentClass + "\\shell\\open\\command", command)) return result;
  return INT_PTR(WinExec(BrowserCommandLine(command, address).c_str(), UINT(showMode)));
}

void OpenWebAddressWaiting(const std::string& address) {
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  OpenWebAddress(address, SW_SHOWNORMAL);
  SetCursor(previous);
}

}  // namespace qm
