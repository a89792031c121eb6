#include "platform/win32/system_error.h"

namespace qm {

std::string SystemErrorText(DWORD code) {
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
  if (n == 0) return "error " + std::to_string(code);
  return std::string(text, n);
}

}  // namespace qm
