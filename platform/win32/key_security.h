#pragma once
// Keys below HKEY_LOCAL_MACHINE\Software are readable by every local user.
// A key that holds a secret (the service's mail password) is closed to
// everyone but the system and the administrators.

#include <string>

namespace qm {

// Creates HKEY_LOCAL_MACHINE\`subkey` when it is missing and gives it a
// protected access list: full control for SYSTEM and Administrators, also
// on its sub-keys, and no entry for anyone else (nothing inherited from the
// parent either). False with the system's reason in `reason` on failure.
bool RestrictMachineKeyToAdministrators(const std::string& subkey, std::string& reason);

}  // namespace qm
