// QuellmarkAdmin.exe: the administrator's tool for the service's report
// tasks, notification rule and e-mail settings (see admin_commands.h and the README).
// Arguments are taken as Unicode, so report paths keep every character.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/win32_adapter_source.h"
#include "service/admin/admin_commands.h"
#include "service/admin/win32/console_email_secrets.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(size_t(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

int main() {
  SetConsoleOutputCP(CP_UTF8);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(ToUtf8(argv[i]));
  if (argv) LocalFree(argv);
  qm::RegistrySettingsStore store;
  std::unique_ptr<qm::AdapterSource> adapters = qm::OpenSystemAdapterSource();
  qm::ConsoleEmailSecrets secrets;
  qm::AdminResult result = qm::RunAdminCommand(store, args, adapters.get(), &secrets, &qm::SystemFileSystem());
  std::fputs(result.output.c_str(), result.exitCode == 0 ? stdout : stderr);
  return result.exitCode;
}
