#pragma once
// The SMTP and mail template settings, "Options\EmailSettings". The
// desktop program reads and writes them below HKEY_CURRENT_USER, the
// service only reads them below HKEY_LOCAL_MACHINE.

#include <string>

#include "platform/settings_store.h"

namespace qm {

inline constexpr char kDefaultMailSubject[] = "Bandwidth Usage Notification";
inline constexpr char kDefaultMailBody[] =
    "Hi,\r\n\r\nMore than %b have been %t through %a in last %p.\r\n\r\nBytes %t so far: %f\r\n\r\n"
    "The email was sent by Quellmark.\r\n";

struct EmailSettings {
  std::string SmtpServer;
  std::string MailFrom;
  std::string AuthName;
  std::string AuthPass;  // stored as plain text
  bool SrvReqAuth = false;
  std::string EmlTempSubject = kDefaultMailSubject;
  std::string EmlTempBody = kDefaultMailBody;
};

// Reads the seven values; a missing key or value keeps the defaults, and an
// empty or missing subject or body reads as its default template. Texts are
// taken up to their first zero, whatever their stored type.
void LoadEmailSettings(SettingsStore& store, RegRoot root, EmailSettings& out);

// Writes all seven values ("SrvReqAuth" as a 32-bit value, the texts as
// strings with their terminating zero). False when the key cannot be
// created or a write fails.
bool SaveEmailSettings(SettingsStore& store, RegRoot root, const EmailSettings& settings);

}  // namespace qm
