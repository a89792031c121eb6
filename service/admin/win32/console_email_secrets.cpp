#include "service/admin/win32/console_email_secrets.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/key_security.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

std::string ToUtf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// Typed at a console: prompt on standard error (standard output may be
// redirected), echo off while typing.
bool ReadFromConsole(HANDLE in, DWORD mode, std::string& password) {
  std::fputs("Password: ", stderr);
  std::fflush(stderr);
  SetConsoleMode(in, (mode & ~ENABLE_ECHO_INPUT) | ENABLE_LINE_INPUT);
  std::wstring typed;
  wchar_t buffer[128];
  DWORD n = 0;
  while (ReadConsoleW(in, buffer, 128, &n, nullptr) && n > 0) {
    typed.append(buffer, n);
    if (typed.find(L'\n') != std::wstring::npos) break;
  }
  SetConsoleMode(in, mode);
  std::fputs("\n", stderr);
  typed = typed.substr(0, typed.find_first_of(L"\r\n"));
  password = ToUtf8(typed);
  return !password.empty();
}

// Redirected: the first line, without its line end.
bool ReadFromStream(HANDLE in, std::string& password) {
  std::string line;
  char c;
  DWORD n = 0;
  while (line.size() < 4096 && ReadFile(in, &c, 1, &n, nullptr) && n == 1 && c != '\n') line += c;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  password = line;
  return !password.empty();
}

}  // namespace

bool ConsoleEmailSecrets::ReadPassword(std::string& password) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  if (!in || in == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  if (GetConsoleMode(in, &mode)) return ReadFromConsole(in, mode, password);
  return ReadFromStream(in, password);
}

bool ConsoleEmailSecrets::ProtectEmailSettings(std::string& reason) {
  return RestrictMachineKeyToAdministrators(kEmailSettingsKey, reason);
}

}  // namespace qm
