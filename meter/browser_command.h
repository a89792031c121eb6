#pragma once
// The fallback of OpenWebAddress: the browser's "open" command line from
// the registry, with the address in place of its document argument.

#include <string>

namespace qm {

// Cuts `command` at its first "%1" that stands between double quotes (the
// cut falls before the opening quote), or else at its first "%1" (when
// there is none it stays whole), then appends a blank and the address.
std::string BrowserCommandLine(const std::string& command, const std::string& address);

}  // namespace qm
