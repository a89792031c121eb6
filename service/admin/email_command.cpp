#include "service/admin/email_command.h"

#include "notify/mail_text.h"
#include "service/admin/admin_commands.h"
#include "settings/email_settings.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;
constexpr char kClosed[] = "only SYSTEM and Administrators can read them";
// .reg text would carry the password in the clear.
constexpr char kNoRegText[] = "The e-mail commands write the settings themselves; /reg cannot be used with them.";
constexpr char kNotHere[] = "The e-mail commands are not available here.";

AdminResult Refuse(const std::string& message) { return {2, message + "\n"}; }

AdminResult Protect(EmailSecrets& secrets) {
  std::string reason;
  if (!secrets.ProtectEmailSettings(reason))
    return Refuse("Cannot restrict access to the e-mail settings: " + reason);
  return {0, std::string("E-mail settings protected: ") + kClosed + ".\n"};
}

// a: SERVER SENDER [ACCOUNT]
AdminResult Set(SettingsStore& store, const std::vector<std::string>& a, EmailSecrets& secrets) {
  EmailSettings s;
  LoadEmailSettings(store, kLm, s);  // the mail templates stay as they are
  s.SmtpServer = a[0];
  s.MailFrom = a[1];
  s.AuthName = a.size() > 2 ? a[2] : "";
  s.SrvReqAuth = !s.AuthName.empty();
  s.AuthPass.clear();
  if (s.SmtpServer.empty()) return Refuse("The SMTP server must not be empty.");
  if (!IsValidEmailAddress(s.MailFrom)) return Refuse("The sender \"" + s.MailFrom + "\" is not an e-mail address.");
  if (s.SrvReqAuth && !secrets.ReadPassword(s.AuthPass))
    return Refuse("No password given: type it at the prompt or give it on standard input.");
  // Closed before the password is written, so that it is never readable
  // by others, not even for a moment.
  std::string reason;
  if (!secrets.ProtectEmailSettings(reason))
    return Refuse("Cannot restrict access to the e-mail settings, so nothing was written: " + reason);
  if (!SaveEmailSettings(store, kLm, s)) return Refuse("Cannot write the settings; run the command as an administrator.");
  return {0, std::string("E-mail settings saved (") + (s.SrvReqAuth ? "with" : "without") + " AUTH LOGIN); " +
                 kClosed + ". They take effect when the service starts next.\n"};
}

}  // namespace

AdminResult EmailSet(SettingsStore& store, const std::vector<std::string>& a, bool reg, EmailSecrets* secrets) {
  if (reg) return Refuse(kNoRegText);
  if (!secrets) return Refuse(kNotHere);
  return Set(store, a, *secrets);
}

AdminResult EmailProtect(bool reg, EmailSecrets* secrets) {
  if (reg) return Refuse(kNoRegText);
  if (!secrets) return Refuse(kNotHere);
  return Protect(*secrets);
}

}  // namespace qm
