#include "notify/win32/alert_window.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "meter/win32/resource.h"
#include "notify/alert_text.h"
#include "notify/beep_player.h"
#include "notify/win32/dialog_font.h"
#include "platform/clock.h"
#include "settings/fixed_records.h"

namespace qm {
namespace {

constexpr UINT_PTR kSoFarTimer = 1;
constexpr char kCaption[] = "Quellmark";
constexpr COLORREF kMessageColour = RGB(238, 0, 0);
constexpr COLORREF kSoFarColour = RGB(0, 0, 238);

}  // namespace

AlertChoice AlertWindow::Show(HINSTANCE instance, HWND owner) {
  Run(instance, IDD_ALERT, owner);
  return choice_;
}

bool AlertWindow::OnInit() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto big = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE | LR_SHARED));
  auto small = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, LPARAM(big));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, LPARAM(small ? small : big));
  SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  CentreOnDesktop(hwnd_);
  SetWindowTextA(hwnd_, kAlertTitle);

  font_ = MakeTahoma(hwnd_, 11, FW_NORMAL);
  SetFontOnControls(hwnd_, font_.Get());
  messageFont_ = MakeTahoma(hwnd_, 14, FW_BOLD);
  soFarFont_ = MakeTahoma(hwnd_, 12, FW_BOLD);
  SendDlgItemMessageA(hwnd_, IDC_ALERT_MESSAGE, WM_SETFONT, WPARAM(messageFont_.Get()), FALSE);
  SendDlgItemMessageA(hwnd_, IDC_ALERT_SO_FAR, WM_SETFONT, WPARAM(soFarFont_.Get()), FALSE);

  // "Alert me again"
  CheckRadioButton(hwnd_, IDC_ALERT_NO_LONGER, IDC_ALERT_NEXT,
                   choice_.nextAlertType == 1 ? IDC_ALERT_NEXT : IDC_ALERT_NO_LONGER);
  SendDlgItemMessageA(hwnd_, IDC_ALERT_MINUTES_SPIN, UDM_SETRANGE32, 1, 32767);
  SetDlgItemInt(hwnd_, IDC_ALERT_MINUTES, UINT(choice_.nextAlertMin), TRUE);
  EnableMinutes(false);

  const LocalTime now = SystemClock().Now();
  SetDlgItemTextA(hwnd_, IDC_ALERT_MESSAGE,
                  AlertMessageText(request_.rule, request_.displayName, request_.calendar,
                                   MakeDate(now.year, now.month, now.day))
                      .c_str());

  const NotificationRule& rule = request_.rule;
  if (rule.playSound && rule.soundFile[0]) {
    // No default sound instead of a file that cannot be played: silence.
    PlaySoundA(FieldText(rule.soundFile).c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_LOOP | SND_NODEFAULT);
    soundPlaying_ = true;
  }
  if (rule.playBeep) {
    const BeepPattern p = BeepPatternOf(rule.beepPattern);
    StartBeep(p.frequency, p.duration, 0);
    beeping_ = true;
  }
  if (!soundPlaying_ && !beeping_) EnableWindow(Item(IDC_ALERT_STOP_SOUND), FALSE);

  ShowSoFar();
  SetTimer(hwnd_, kSoFarTimer, 1000, nullptr);
  if (choice_.nextAlertType == 1) {
    SetFocus(Item(IDC_ALERT_MINUTES));
    SendDlgItemMessageA(hwnd_, IDC_ALERT_MINUTES, EM_SETSEL, 0, -1);
    return false;
  }
  return true;
}

void AlertWindow::ShowSoFar() {
  if (!request_.adapter) return;
  PreparedRule live;
  live.periodHistorySum = request_.periodHistorySum;
  live.adapter = request_.adapter;
  std::string text = AlertSoFarText(request_.rule.transferType, live.PeriodTotal(request_.rule.transferType));
  if (text == soFar_) return;
  soFar_ = std::move(text);
  SetDlgItemTextA(hwnd_, IDC_ALERT_SO_FAR, soFar_.c_str());
}

bool AlertWindow::OnTimer(UINT_PTR id) {
  if (id != kSoFarTimer) return false;
  ShowSoFar();
  return true;
}

void AlertWindow::StopSound() {
  if (soundPlaying_) PlaySoundA(nullptr, nullptr, 0);
  if (beeping_) StopBeep();
  soundPlaying_ = beeping_ = false;
  EnableItem(IDC_ALERT_STOP_SOUND, false, IDOK);
}

void AlertWindow::EnableMinutes(bool focus) {
  const bool next = IsDlgButtonChecked(hwnd_, IDC_ALERT_NEXT) == BST_CHECKED;
  EnableWindow(Item(IDC_ALERT_MINUTES), next);
  EnableWindow(Item(IDC_ALERT_MINUTES_SPIN), next);
  if (next && focus) {
    SetFocus(Item(IDC_ALERT_MINUTES));
    SendDlgItemMessageA(hwnd_, IDC_ALERT_MINUTES, EM_SETSEL, 0, -1);
  }
}

// Closing takes the choice back: whole minutes, above 0 for "Next ".
void AlertWindow::TryClose() {
  const uint32_t type = IsDlgButtonChecked(hwnd_, IDC_ALERT_NEXT) == BST_CHECKED ? 1 : 0;
  char text[64] = {};
  GetDlgItemTextA(hwnd_, IDC_ALERT_MINUTES, text, sizeof text);
  const AlertMinutesCheck check = CheckAlertMinutes(text, type);
  if (check.result != AlertMinutesCheck::Ok) {
    const bool integer = check.result == AlertMinutesCheck::NotPositive;
    MessageBoxA(hwnd_, integer ? kMinutesAboveZero : kEnterInteger, kCaption,
                MB_OK | (integer ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    SetFocus(Item(IDC_ALERT_MINUTES));
    SendDlgItemMessageA(hwnd_, IDC_ALERT_MINUTES, EM_SETSEL, 0, -1);
    return;
  }
  choice_.nextAlertType = type;
  choice_.nextAlertMin = check.minutes;
  StopSound();
  End(IDOK);
}

bool AlertWindow::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      TryClose();
      return true;
    case IDC_ALERT_STOP_SOUND:
      StopSound();
      return true;
    case IDC_ALERT_NO_LONGER:
    case IDC_ALERT_NEXT:
      if (code == BN_CLICKED) EnableMinutes(true);
      return true;
  }
  return false;
}

bool AlertWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != WM_CTLCOLORSTATIC) return false;
  const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
  if (id != IDC_ALERT_MESSAGE && id != IDC_ALERT_SO_FAR) return false;
  HDC dc = reinterpret_cast<HDC>(wp);
  SetTextColor(dc, id == IDC_ALERT_MESSAGE ? kMessageColour : kSoFarColour);
  SetBkMode(dc, TRANSPARENT);
  result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  return true;
}

// However the window goes (also with the program), the sound goes with it.
void AlertWindow::OnDestroy() {
  KillTimer(hwnd_, kSoFarTimer);
  if (soundPlaying_) PlaySoundA(nullptr, nullptr, 0);
  if (beeping_) StopBeep();
  soundPlaying_ = beeping_ = false;
}

}  // namespace qm
