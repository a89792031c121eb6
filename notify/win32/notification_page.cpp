#include "notify/win32/notification_page.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <cstdlib>

#include "engine/day_record.h"
#include "meter/win32/options_controls.h"
#include "meter/win32/resource.h"
#include "notify/beep_player.h"
#include "notify/mail_job.h"
#include "notify/win32/email_settings_dialog.h"
#include "platform/win32/shell_folders.h"
#include "settings/fixed_records.h"
#include "uikit/file_dialogs.h"

namespace qm {
namespace {

// The lists, in the order shown, with their item data.
const ListItems kUnits = {{"TB", kUnitTB}, {"GB", kUnitGB}, {"MB", kUnitMB}, {"KB", kUnitKB}, {"Bytes", kUnitBytes}};
const ListItems kTransfers = {
    {"downloaded", kTransferDown}, {"uploaded", kTransferUp}, {"downloaded & uploaded", kTransferBoth}};
const ListItems kPeriods = {{"month", kPeriodMonth}, {"week", kPeriodWeek}, {"custom", kPeriodLastDays}};

ListItems BeepPatternItems() {
  ListItems items;
  for (int i = 0; i < kBeepPatternCount; ++i) items.push_back({BeepPatternName(i), i});
  return items;
}

// Controls that follow "Enable notification", and those that follow an
// action's own check box as well.
constexpr int kRuleControls[] = {
    IDC_NOTIFY_LBL_THAN, IDC_NOTIFY_LIMIT, IDC_NOTIFY_LIMIT_SPIN, IDC_NOTIFY_UNIT, IDC_NOTIFY_LBL_WERE,
    IDC_NOTIFY_TRANSFER, IDC_NOTIFY_LBL_LAST, IDC_NOTIFY_PERIOD, IDC_NOTIFY_LBL_THROUGH, IDC_NOTIFY_ADAPTER,
    IDC_NOTIFY_LBL_ALERT, IDC_NOTIFY_SOUND, IDC_NOTIFY_BEEP, IDC_NOTIFY_EMAIL, IDC_NOTIFY_EMAIL_NOTE,
    IDC_NOTIFY_PROGRAM, IDC_NOTIFY_HINT};
constexpr struct {
  int check;  // 0: the period list decides
  int controls[3];
} kFollowers[] = {
    {0, {IDC_NOTIFY_DAYS, IDC_NOTIFY_DAYS_SPIN, IDC_NOTIFY_DAYS_LABEL}},
    {IDC_NOTIFY_SOUND, {IDC_NOTIFY_SOUND_FILE, IDC_NOTIFY_SOUND_BROWSE, IDC_NOTIFY_SOUND_TEST}},
    {IDC_NOTIFY_BEEP, {IDC_NOTIFY_BEEP_PATTERN, IDC_NOTIFY_BEEP_TEST, 0}},
    {IDC_NOTIFY_EMAIL, {IDC_NOTIFY_ADDRESSES, IDC_NOTIFY_EMAIL_SETTINGS, 0}},
    {IDC_NOTIFY_PROGRAM, {IDC_NOTIFY_PROGRAM_FILE, IDC_NOTIFY_PROGRAM_BROWSE, 0}},
};

constexpr struct {
  int id;
  int chars;
} kTextLimits[] = {{IDC_NOTIFY_LIMIT, 63},
                   {IDC_NOTIFY_SOUND_FILE, 259},
                   // No more than a mail can carry: a longer list would be
                   // refused at every alert.
                   {IDC_NOTIFY_ADDRESSES, int(sizeof MailJob::recipients) - 1},
                   {IDC_NOTIFY_PROGRAM_FILE, 259}};

bool FileIsAvailable(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_ARCHIVE);
}

std::string TextOf(HWND page, int id) { return WindowText(GetDlgItem(page, id)); }

// Selects the item with `value`; the item at `fallback` when none has it
// (-1: none).
void SelectValue(HWND combo, const ListItems& items, int64_t value, int fallback) {
  SelectComboIndex(combo, IndexOfValue(items, value, fallback));
}

// The selected item's value; none without a selection.
std::optional<uint32_t> SelectedData(HWND combo) {
  const std::optional<int64_t> value = ComboValue(combo);
  return value ? std::optional<uint32_t>(uint32_t(*value)) : std::nullopt;
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// An open-file dialog for an existing file; empty when cancelled.
std::string ChooseFile(HWND owner, const char* filter, const std::string& folder) {
  FileDialogSetup setup;
  setup.filter = filter;
  setup.folder = folder;
  setup.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  std::string file;
  ChooseFileToOpen(owner, setup, file);
  return file;
}

}  // namespace

COptNotificationPage::COptNotificationPage(const NotificationPageInput& input)
    : OptionsPage(IDD_OPT_NOTIFICATION, OPTIONS_PAGE_NOTIFICATION), in_(input) {}

void COptNotificationPage::FillLists() {
  HWND adapters = Item(IDC_NOTIFY_ADAPTER);
  int chosen = 0;  // the first entry when the rule names none of them
  bool found = false;
  const std::string ruleId = FieldText(in_.rule.adapterId);
  for (size_t i = 0; i < in_.adapters.size(); ++i) {
    const RuleAdapter& a = in_.adapters[i];
    const auto at = SendMessageA(adapters, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(a.displayName.c_str()));
    SendMessageA(adapters, CB_SETITEMDATA, WPARAM(at), LPARAM(i));
    if (!found && a.kind == in_.rule.adapterKind && (a.kind != kKindAdapter || a.id == ruleId)) {
      chosen = int(at);
      found = true;
    }
  }
  SendMessageA(adapters, CB_SETCURSEL, WPARAM(chosen), 0);
  FillCombo(Item(IDC_NOTIFY_UNIT), kUnits);
  FillCombo(Item(IDC_NOTIFY_TRANSFER), kTransfers);
  FillCombo(Item(IDC_NOTIFY_PERIOD), kPeriods);
  FillCombo(Item(IDC_NOTIFY_BEEP_PATTERN), BeepPatternItems());
}

bool COptNotificationPage::OnInitPage() {
  for (const auto& limit : kTextLimits) SendDlgItemMessageA(hwnd_, limit.id, EM_LIMITTEXT, WPARAM(limit.chars), 0);
  SendDlgItemMessageA(hwnd_, IDC_NOTIFY_LIMIT_SPIN, UDM_SETRANGE32, 0, 2147483647);
  SendDlgItemMessageA(hwnd_, IDC_NOTIFY_DAYS_SPIN, UDM_SETRANGE32, 1, 32767);
  FillLists();
  const NotificationRule& r = in_.rule;
  SetDlgItemTextA(hwnd_, IDC_NOTIFY_LIMIT, FieldText(r.limitText).c_str());
  SelectValue(Item(IDC_NOTIFY_UNIT), kUnits, r.unit, 0);
  SelectValue(Item(IDC_NOTIFY_TRANSFER), kTransfers, r.transferType, 0);
  SelectValue(Item(IDC_NOTIFY_PERIOD), kPeriods, r.period, 0);
  SetDlgItemInt(hwnd_, IDC_NOTIFY_DAYS, UINT(r.nDays), TRUE);
  CheckDlgButton(hwnd_, IDC_NOTIFY_ENABLE, in_.enabled ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_NOTIFY_SOUND, r.playSound ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_NOTIFY_BEEP, r.playBeep ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_NOTIFY_EMAIL, r.sendEmail ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd_, IDC_NOTIFY_PROGRAM, r.runProgram ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(hwnd_, IDC_NOTIFY_SOUND_FILE, FieldText(r.soundFile).c_str());
  SetDlgItemTextA(hwnd_, IDC_NOTIFY_ADDRESSES, FieldText(r.emailAddresses).c_str());
  SetDlgItemTextA(hwnd_, IDC_NOTIFY_PROGRAM_FILE, FieldText(r.program).c_str());
  // A stored pattern outside the list leaves it without selection.
  SelectValue(Item(IDC_NOTIFY_BEEP_PATTERN), BeepPatternItems(), r.beepPattern, -1);
  EnableControls();
  return true;
}

void COptNotificationPage::EnableControls() {
  const bool on = Checked(hwnd_, IDC_NOTIFY_ENABLE);
  for (int id : kRuleControls) EnableWindow(Item(id), on);
  for (const auto& f : kFollowers) {
    const bool follows = f.check ? Checked(hwnd_, f.check)
                                 : SelectedData(Item(IDC_NOTIFY_PERIOD)) == std::optional<uint32_t>(kPeriodLastDays);
    for (int id : f.controls)
      if (id) EnableWindow(Item(id), on && follows);
  }
}

bool COptNotificationPage::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_NOTIFY_ENABLE:
    case IDC_NOTIFY_SOUND:
    case IDC_NOTIFY_BEEP:
    case IDC_NOTIFY_EMAIL:
    case IDC_NOTIFY_PROGRAM:
      if (code != BN_CLICKED) return false;
      EnableControls();
      MarkChanged();
      return true;
    case IDC_NOTIFY_PERIOD:
      if (code != CBN_SELCHANGE) return false;
      EnableControls();
      MarkChanged();
      return true;
    case IDC_NOTIFY_ADAPTER:
    case IDC_NOTIFY_UNIT:
    case IDC_NOTIFY_TRANSFER:
    case IDC_NOTIFY_BEEP_PATTERN:
      if (code == CBN_SELCHANGE) MarkChanged();
      return code == CBN_SELCHANGE;
    case IDC_NOTIFY_LIMIT:
    case IDC_NOTIFY_DAYS:
    case IDC_NOTIFY_SOUND_FILE:
    case IDC_NOTIFY_ADDRESSES:
    case IDC_NOTIFY_PROGRAM_FILE:
      if (code == EN_CHANGE) MarkChanged();  // counts only once the page is initialised
      return code == EN_CHANGE;
    case IDC_NOTIFY_SOUND_BROWSE: BrowseSound(); return true;
    case IDC_NOTIFY_SOUND_TEST: TestSound(); return true;
    case IDC_NOTIFY_BEEP_TEST: TestBeep(); return true;
    case IDC_NOTIFY_PROGRAM_BROWSE: BrowseProgram(); return true;
    case IDC_NOTIFY_EMAIL_SETTINGS:
      if (EditEmailSettings()) MarkChanged();
      return true;
  }
  return false;
}

void COptNotificationPage::BrowseSound() {
  const std::string file = ChooseFile(hwnd_, "Wave File (*.wav)\0*.wav\0", ProgramFolder());
  if (!file.empty()) SetDlgItemTextA(hwnd_, IDC_NOTIFY_SOUND_FILE, file.c_str());
}

void COptNotificationPage::BrowseProgram() {
  const std::string file = ChooseFile(hwnd_, "Executable File (*.exe)\0*.exe\0All File (*.*)\0*.*\0", "");
  if (!file.empty()) SetDlgItemTextA(hwnd_, IDC_NOTIFY_PROGRAM_FILE, file.c_str());
}

void COptNotificationPage::TestSound() {
  const std::string file = TextOf(hwnd_, IDC_NOTIFY_SOUND_FILE);
  if (file.empty()) return;
  if (IsPlayableWav(file, FileIsAvailable))
    soundTesting_ = PlaySoundA(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT) != FALSE;
  else
    MessageBoxA(hwnd_, NotAWavFileText(file).c_str(), "Quellmark", MB_OK | MB_ICONWARNING);
}

void COptNotificationPage::TestBeep() {
  const std::optional<uint32_t> pattern = SelectedData(Item(IDC_NOTIFY_BEEP_PATTERN));
  if (!pattern) return;
  const BeepPattern p = BeepPatternOf(*pattern);
  testBeep_ = StartBeep(p.frequency, p.duration, 5);
}

// The dialog is owned by the sheet, so the whole sheet waits for it.
bool COptNotificationPage::EditEmailSettings() {
  EmailSettingsDialog dialog(in_.email);
  if (!dialog.Edit(GetModuleHandleA(nullptr), Sheet() ? Sheet() : hwnd_)) return false;
  in_.email = dialog.settings();
  return true;
}

// A test tone or sound must not outlive the page the user left; an alert
// window opened meanwhile keeps its own.
void COptNotificationPage::StopTests() {
  StopBeep(testBeep_);
  testBeep_ = 0;
  if (soundTesting_) PlaySoundA(nullptr, nullptr, 0);
  soundTesting_ = false;
}

void COptNotificationPage::OnKillActive() { StopTests(); }

void COptNotificationPage::OnDestroy() { StopTests(); }

NotificationPageValues COptNotificationPage::ReadValues() {
  NotificationPageValues v;
  v.adapterSelected = SelectedData(Item(IDC_NOTIFY_ADAPTER)).has_value();
  v.limitText = TextOf(hwnd_, IDC_NOTIFY_LIMIT);
  v.unitSelected = SelectedData(Item(IDC_NOTIFY_UNIT)).has_value();
  v.transferSelected = SelectedData(Item(IDC_NOTIFY_TRANSFER)).has_value();
  const std::optional<uint32_t> period = SelectedData(Item(IDC_NOTIFY_PERIOD));
  v.periodSelected = period.has_value();
  v.period = period.value_or(0);
  v.nDays = std::strtoll(TextOf(hwnd_, IDC_NOTIFY_DAYS).c_str(), nullptr, 10);
  v.playSound = Checked(hwnd_, IDC_NOTIFY_SOUND);
  v.soundFile = TextOf(hwnd_, IDC_NOTIFY_SOUND_FILE);
  v.beepSelected = SelectedData(Item(IDC_NOTIFY_BEEP_PATTERN)).has_value();
  v.sendEmail = Checked(hwnd_, IDC_NOTIFY_EMAIL);
  v.addresses = TextOf(hwnd_, IDC_NOTIFY_ADDRESSES);
  v.runProgram = Checked(hwnd_, IDC_NOTIFY_PROGRAM);
  v.program = TextOf(hwnd_, IDC_NOTIFY_PROGRAM_FILE);
  return v;
}

// The controls into the rule copy; a list without selection keeps the
// stored value (possible only while the rule is off).
void COptNotificationPage::ReadRule(const NotificationPageValues& v) {
  NotificationRule& r = in_.rule;
  if (const auto at = SelectedData(Item(IDC_NOTIFY_ADAPTER)); at && *at < in_.adapters.size()) {
    r.adapterKind = in_.adapters[*at].kind;
    SetFieldText(r.adapterId, in_.adapters[*at].id);
  }
  SetFieldText(r.limitText, v.limitText);
  r.unit = SelectedData(Item(IDC_NOTIFY_UNIT)).value_or(r.unit);
  r.transferType = SelectedData(Item(IDC_NOTIFY_TRANSFER)).value_or(r.transferType);
  r.period = SelectedData(Item(IDC_NOTIFY_PERIOD)).value_or(r.period);
  r.nDays = DaysToStore(v.nDays, r.nDays);
  r.playSound = v.playSound;
  SetFieldText(r.soundFile, v.soundFile);
  r.playBeep = Checked(hwnd_, IDC_NOTIFY_BEEP);
  r.beepPattern = SelectedData(Item(IDC_NOTIFY_BEEP_PATTERN)).value_or(r.beepPattern);
  r.sendEmail = v.sendEmail;
  SetFieldText(r.emailAddresses, v.addresses);
  r.runProgram = v.runProgram;
  SetFieldText(r.program, v.program);
}

std::optional<OptionsPage::Refused> COptNotificationPage::ReadAndCheck() {
  const NotificationPageValues values = ReadValues();
  in_.enabled = Checked(hwnd_, IDC_NOTIFY_ENABLE);
  if (in_.enabled) {
    const NotificationPageCheck check = CheckNotificationPage(values, FileIsAvailable);
    if (!check.ok()) {
      static constexpr int kFocus[] = {0,
                                       IDC_NOTIFY_ADAPTER,
                                       IDC_NOTIFY_LIMIT,
                                       IDC_NOTIFY_UNIT,
                                       IDC_NOTIFY_TRANSFER,
                                       IDC_NOTIFY_PERIOD,
                                       IDC_NOTIFY_DAYS,
                                       IDC_NOTIFY_SOUND_FILE,
                                       IDC_NOTIFY_BEEP_PATTERN,
                                       IDC_NOTIFY_ADDRESSES,
                                       IDC_NOTIFY_PROGRAM_FILE};
      int focus = kFocus[int(check.field)];
      // A pattern is asked for even with the beep off, when its list is
      // disabled and cannot take the focus: the box that turns it on can.
      if (!IsWindowEnabled(Item(focus))) focus = IDC_NOTIFY_BEEP;
      return Refused{focus, check.message};
    }
  }
  ReadRule(values);
  if (in_.enabled && ShouldAskForMailSettings(values, in_.email) &&
      MessageBoxA(hwnd_, kMailSettingsQuestion, "Quellmark", MB_YESNO | MB_ICONQUESTION) == IDYES)
    EditEmailSettings();
  return std::nullopt;
}

}  // namespace qm
