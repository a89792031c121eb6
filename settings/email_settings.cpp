#include "settings/email_settings.h"

#include "settings/registry_layout.h"
#include "settings/value_reading.h"

namespace qm {

void LoadEmailSettings(SettingsStore& store, RegRoot root, EmailSettings& out) {
  auto text = [&](const char* name, std::string& v) { settings_io::ReadSizedText(store, root, kEmailSettingsKey, name, v); };
  text("SmtpServer", out.SmtpServer);
  text("MailFrom", out.MailFrom);
  text("AuthName", out.AuthName);
  text("AuthPass", out.AuthPass);
  uint32_t auth;
  if (settings_io::ReadNumber(store, root, kEmailSettingsKey, "SrvReqAuth", auth)) out.SrvReqAuth = auth != 0;
  text("EmlTempSubject", out.EmlTempSubject);
  text("EmlTempBody", out.EmlTempBody);
  // An emptied template comes back as the default.
  if (out.EmlTempSubject.empty()) out.EmlTempSubject = kDefaultMailSubject;
  if (out.EmlTempBody.empty()) out.EmlTempBody = kDefaultMailBody;
}

bool SaveEmailSettings(SettingsStore& store, RegRoot root, const EmailSettings& s) {
  if (!store.CreateKey(root, kEmailSettingsKey)) return false;
  bool ok = true;
  auto text = [&](const char* name, const std::string& v) { ok = store.WriteString(root, kEmailSettingsKey, name, v) && ok; };
  text("SmtpServer", s.SmtpServer);
  text("MailFrom", s.MailFrom);
  text("AuthName", s.AuthName);
  text("AuthPass", s.AuthPass);
  ok = store.WriteDword(root, kEmailSettingsKey, "SrvReqAuth", s.SrvReqAuth ? 1 : 0) && ok;
  text("EmlTempSubject", s.EmlTempSubject);
  text("EmlTempBody", s.EmlTempBody);
  return ok;
}

}  // namespace qm
