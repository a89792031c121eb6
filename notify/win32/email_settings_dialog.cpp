#include "notify/win32/email_settings_dialog.h"

#include <memory>
#include <vector>

#include "meter/win32/resource.h"
#include "notify/notification_mail.h"
#include "notify/win32/dialog_font.h"
#include "platform/clock.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";
constexpr char kTagLegend[] =
    "The following tags will be replaced:\n%b: bytes of bandwidth usage notification\n%t: download or upload, or "
    "both\n%a: adapter name\n%p: period\n%f: bytes of bandwidth used so far";
constexpr char kNoMailThread[] = "No thread could be started to send the email.";

// The mail client's fields hold one character less than their size.
constexpr struct {
  int id;
  int chars;
} kLimits[] = {{IDC_EMAIL_SERVER, 63}, {IDC_EMAIL_FROM, 63},       {IDC_EMAIL_ACCOUNT, 63},
               {IDC_EMAIL_PASSWORD, 31}, {IDC_EMAIL_TEST_ADDRESS, 256}};

int FocusOf(MailSettingsField field) {
  switch (field) {
    case MailSettingsField::SmtpServer: return IDC_EMAIL_SERVER;
    case MailSettingsField::MailFrom: return IDC_EMAIL_FROM;
    case MailSettingsField::AuthName: return IDC_EMAIL_ACCOUNT;
    case MailSettingsField::Subject: return IDC_EMAIL_SUBJECT;
    case MailSettingsField::Body: return IDC_EMAIL_BODY;
    case MailSettingsField::None: break;
  }
  return 0;
}

std::string TextOf(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::vector<char> text(size_t(GetWindowTextLengthA(control)) + 1);
  GetWindowTextA(control, text.data(), int(text.size()));
  return text.data();
}

}  // namespace

bool EmailSettingsDialog::Edit(HINSTANCE instance, HWND owner) {
  return Run(instance, IDD_EMAIL_SETTINGS, owner) == IDOK;
}

bool EmailSettingsDialog::OnInit() {
  font_ = MakeTahoma(hwnd_, 11, FW_NORMAL);
  SetFontOnControls(hwnd_, font_.Get());
  SendMessageA(hwnd_, WM_SETFONT, WPARAM(font_.Get()), FALSE);
  for (const auto& limit : kLimits) SendDlgItemMessageA(hwnd_, limit.id, EM_LIMITTEXT, WPARAM(limit.chars), 0);
  SetDlgItemTextA(hwnd_, IDC_EMAIL_SERVER, settings_.SmtpServer.c_str());
  SetDlgItemTextA(hwnd_, IDC_EMAIL_FROM, settings_.MailFrom.c_str());
  CheckDlgButton(hwnd_, IDC_EMAIL_AUTH, settings_.SrvReqAuth ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(hwnd_, IDC_EMAIL_ACCOUNT, settings_.AuthName.c_str());
  SetDlgItemTextA(hwnd_, IDC_EMAIL_PASSWORD, settings_.AuthPass.c_str());
  SetDlgItemTextA(hwnd_, IDC_EMAIL_SUBJECT, settings_.EmlTempSubject.c_str());
  SetDlgItemTextA(hwnd_, IDC_EMAIL_BODY, settings_.EmlTempBody.c_str());
  SetDlgItemTextA(hwnd_, IDC_EMAIL_TAGS, kTagLegend);
  SetDlgItemTextA(hwnd_, IDC_EMAIL_STATUS, "");
  CentreOnDesktop(hwnd_);
  EnableAccount(true);
  return IsDlgButtonChecked(hwnd_, IDC_EMAIL_AUTH) != BST_CHECKED;
}

EmailSettings EmailSettingsDialog::Read() const {
  EmailSettings s;
  s.SmtpServer = TextOf(hwnd_, IDC_EMAIL_SERVER);
  s.MailFrom = TextOf(hwnd_, IDC_EMAIL_FROM);
  s.SrvReqAuth = IsDlgButtonChecked(hwnd_, IDC_EMAIL_AUTH) == BST_CHECKED;
  s.AuthName = TextOf(hwnd_, IDC_EMAIL_ACCOUNT);
  s.AuthPass = TextOf(hwnd_, IDC_EMAIL_PASSWORD);
  s.EmlTempSubject = TextOf(hwnd_, IDC_EMAIL_SUBJECT);
  s.EmlTempBody = TextOf(hwnd_, IDC_EMAIL_BODY);
  return s;
}

void EmailSettingsDialog::Warn(const char* text, int focus) {
  MessageBoxA(hwnd_, text, kCaption, MB_OK | MB_ICONWARNING);
  if (HWND control = Item(focus)) {
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
  }
}

bool EmailSettingsDialog::Check(const EmailSettings& s) {
  const MailSettingsCheck check = CheckEmailSettings(s);
  if (check.ok()) return true;
  Warn(check.message, FocusOf(check.field));
  return false;
}

void EmailSettingsDialog::EnableAccount(bool focus) {
  const bool on = IsDlgButtonChecked(hwnd_, IDC_EMAIL_AUTH) == BST_CHECKED;
  EnableWindow(Item(IDC_EMAIL_ACCOUNT), on);
  EnableWindow(Item(IDC_EMAIL_PASSWORD), on);
  if (on && focus) SetFocus(Item(IDC_EMAIL_ACCOUNT));
}

void EmailSettingsDialog::Preview() {
  const std::string text = MailPreviewText(Read().EmlTempBody);
  MessageBoxA(hwnd_, text.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
}

void EmailSettingsDialog::SendTest() {
  const EmailSettings s = Read();
  if (!Check(s)) return;
  const std::string address = TextOf(hwnd_, IDC_EMAIL_TEST_ADDRESS);
  if (!IsValidTestAddress(address)) {
    Warn(kInvalidTestAddress, IDC_EMAIL_TEST_ADDRESS);
    return;
  }
  HWND self = hwnd_;
  // The mail thread hands its outcome over; the dialog frees it. A dialog
  // that is gone by then cannot take it, and the text is freed here.
  const bool started = SendTestMail(s, address, SystemClock(), [self](const std::string& error) {
    auto* text = error.empty() ? nullptr : new std::string(error);
    if (!PostMessageA(self, UM_MAIL_DONE, WPARAM(GetCurrentThreadId()), reinterpret_cast<LPARAM>(text)))
      delete text;
  }, DesktopSmtpLimits());
  if (!started) {
    MessageBoxA(hwnd_, TestMailFailedText(kNoMailThread).c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  sending_ = true;
  SetDlgItemTextA(hwnd_, IDC_EMAIL_STATUS, kSendingMail);
  EnableWindow(hwnd_, FALSE);
}

void EmailSettingsDialog::TestDone(const std::string* error) {
  sending_ = false;
  EnableWindow(hwnd_, TRUE);
  SetDlgItemTextA(hwnd_, IDC_EMAIL_STATUS, "");
  SetFocus(Item(IDC_EMAIL_SEND_TEST));
  if (error)
    MessageBoxA(hwnd_, TestMailFailedText(*error).c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
  else
    MessageBoxA(hwnd_, kTestMailSent, kCaption, MB_OK | MB_ICONINFORMATION);
}

bool EmailSettingsDialog::OnCommand(int id, int code, HWND) {
  if (sending_) return true;  // nothing while the test e-mail is under way
  switch (id) {
    case IDOK: {
      EmailSettings s = Read();
      if (!Check(s)) return true;
      settings_ = std::move(s);
      End(IDOK);
      return true;
    }
    case IDCANCEL:
      End(IDCANCEL);
      return true;
    case IDC_EMAIL_AUTH:
      if (code == BN_CLICKED) EnableAccount(true);
      return true;
    case IDC_EMAIL_PREVIEW:
      Preview();
      return true;
    case IDC_EMAIL_SEND_TEST:
      SendTest();
      return true;
  }
  return false;
}

bool EmailSettingsDialog::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT&) {
  if (msg != UM_MAIL_DONE) return false;
  std::unique_ptr<std::string> error(reinterpret_cast<std::string*>(lp));
  TestDone(error.get());
  return true;
}

}  // namespace qm
