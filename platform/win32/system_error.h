#pragma once
// The system's own text for an error code, for messages that say why.

#include <windows.h>

#include <string>

namespace qm {

// The message text of `code` without its trailing line end, or
// "error N" when the system has none.
std::string SystemErrorText(DWORD code);

}  // namespace qm
