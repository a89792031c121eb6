#pragma once
// The e-mail commands' system side for QuellmarkAdmin.exe: the password
// from the console without echo, or from redirected standard input, and
// the closing of the e-mail settings key.

#include "service/admin/email_command.h"

namespace qm {

class ConsoleEmailSecrets : public EmailSecrets {
 public:
  bool ReadPassword(std::string& password) override;
  bool ProtectEmailSettings(std::string& reason) override;
};

}  // namespace qm
