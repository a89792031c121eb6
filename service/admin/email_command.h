#pragma once
// QuellmarkAdmin's e-mail commands. The service's mail password lives in
// HKEY_LOCAL_MACHINE, where keys are readable by every local user unless
// closed; both commands close "Options\EmailSettings" to everyone but
// SYSTEM and Administrators.
//
//   email set SERVER SENDER [ACCOUNT]   (the password: standard input or a prompt)
//   email protect                       (after importing the settings from .reg)

#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace qm {

struct AdminResult;

// What only the program itself can do for these commands.
class EmailSecrets {
 public:
  virtual ~EmailSecrets() = default;
  // Reads the password without it ever being on a command line: from
  // standard input, or from a prompt that does not echo. False: none given.
  virtual bool ReadPassword(std::string& password) = 0;
  // Creates the key when missing and closes it; false with the reason.
  virtual bool ProtectEmailSettings(std::string& reason) = 0;
};

// `a`: SERVER SENDER [ACCOUNT]. With `reg`, or without `secrets`, both
// commands are refused.
AdminResult EmailSet(SettingsStore& store, const std::vector<std::string>& a, bool reg, EmailSecrets* secrets);
AdminResult EmailProtect(bool reg, EmailSecrets* secrets);

}  // namespace qm
