#include "meter/win32/options_general_page.h"

#include <commctrl.h>

#include <string>

#include "meter/options_checks.h"
#include "meter/win32/options_controls.h"
#include "meter/win32/resource.h"

namespace qm {
namespace {

// The check boxes and the option each one edits.
struct CheckBox {
  int control;
  bool Options::*option;
};
constexpr CheckBox kCheckBoxes[] = {
    {IDC_OPT_ALWAYS_ON_TOP, &Options::AlwaysOnTop},
    {IDC_OPT_SHOW_CAPTION, &Options::ShowCaption},
    {IDC_OPT_START_WITH_WINDOWS, &Options::StartWithWindows},
    {IDC_OPT_START_MINIMIZED, &Options::StartMinimized},
    {IDC_OPT_HOTKEY_ENABLED, &Options::HotkeyEnabled},
    {IDC_OPT_CLICK_THROUGH, &Options::EnableClickThrough},
    {IDC_OPT_SEMI_TRANSPARENT, &Options::SemiTransparent},
    {IDC_OPT_SHOW_TITLE, &Options::DisplayTitle},
    {IDC_OPT_SHOW_GRAPH, &Options::DisplayGraph},
    {IDC_OPT_SHOW_TEXT, &Options::DisplayText},
    {IDC_OPT_SHOW_MAX_RATE, &Options::DisplayMaxRateInText},
    {IDC_OPT_SHOW_SCALE, &Options::DisplayScale},
    {IDC_OPT_SHOW_SCALE_GRID, &Options::DisplayScaleGrid},
    {IDC_OPT_SHOW_TIME_GRID, &Options::DisplayTimeGrid},
    {IDC_OPT_SHOW_TIME_TEXT, &Options::DisplayTimeText},
    {IDC_OPT_SCALE_GRID_ON_TOP, &Options::ScaleGridOnTop},
    {IDC_OPT_TIME_GRID_ON_TOP, &Options::TimeGridOnTop},
    {IDC_OPT_TIME_TEXT_ON_TOP, &Options::TimeTextOnTop},
    {IDC_OPT_AVG_DOWN_LINE, &Options::DispAvgDownLine},
    {IDC_OPT_AVG_UP_LINE, &Options::DispAvgUpLine},
    {IDC_OPT_AVERAGES_IN_TEXT, &Options::DispAvgValuesInText},
    {IDC_OPT_SHOW_IP, &Options::ShowIPInTitle},
    {IDC_OPT_TEXT_COLOR_SAME, &Options::TextCrSameAsGraphCr},
};

constexpr char kBytesInfo[] =
    "1B/s stands for 1 Byte per second (1 Byte = 8 bits).\n1KB/s stands for 1024 Bytes per second.\n"
    "1MB/s stands for 1024 KB per second.\n1GB/s stands for 1024 MB per second.";
constexpr char kBitsInfo[] =
    "1bps stands for 1 bit per second (8 bits = 1 Byte).\n1kbps stands for 1000 bits per second.\n"
    "1mbps stands for 1000 kb per second.\n1gbps stands for 1000 mb per second.";

}  // namespace

COptGeneralPage::COptGeneralPage(const Options& options, bool layeredWindows)
    : OptionsPage(IDD_OPT_GENERAL, OPTIONS_PAGE_GENERAL), values_(options), layered_(layeredWindows) {}

bool COptGeneralPage::OnInitPage() {
  for (const CheckBox& c : kCheckBoxes) CheckDlgButton(hwnd_, c.control, values_.*c.option ? BST_CHECKED : BST_UNCHECKED);
  CheckRadioButton(hwnd_, IDC_OPT_UNIT_BYTES, IDC_OPT_UNIT_BITS,
                   values_.DisplayUnitByte ? IDC_OPT_UNIT_BYTES : IDC_OPT_UNIT_BITS);

  const ListItems letters = HotkeyLetterItems();
  FillCombo(Item(IDC_OPT_HOTKEY_LETTER), letters);
  SelectComboIndex(Item(IDC_OPT_HOTKEY_LETTER), IndexOfValue(letters, values_.HotkeyChar, -1));
  const ListItems months = MonthDayItems();
  FillCombo(Item(IDC_OPT_MONTH_START), months);
  SelectComboIndex(Item(IDC_OPT_MONTH_START), IndexOfValue(months, values_.MonthStartDay, 0));
  const ListItems weeks = WeekDayItems();
  FillCombo(Item(IDC_OPT_WEEK_START), weeks);
  SelectComboIndex(Item(IDC_OPT_WEEK_START), IndexOfValue(weeks, values_.WeekStartDay, 0));
  const ListItems formats = DateFormatItems();
  FillCombo(Item(IDC_OPT_DATE_FORMAT), formats);
  SelectComboIndex(Item(IDC_OPT_DATE_FORMAT), IndexOfValue(formats, values_.DateFormat, 0));

  if (layered_) {
    const ListItems transparency = TransparencyItems();
    FillCombo(Item(IDC_OPT_TRANSPARENCY), transparency);
    SelectComboIndex(Item(IDC_OPT_TRANSPARENCY),
                     IndexOfValue(transparency, values_.TransparentPercent, kTransparencyFallbackIndex));
    EnableTransparencyList();
  } else {
    for (int id : {IDC_OPT_SEMI_TRANSPARENT, IDC_OPT_TRANSPARENCY, IDC_OPT_CLICK_THROUGH}) EnableWindow(Item(id), FALSE);
  }

  SendDlgItemMessageA(hwnd_, IDC_OPT_MARGINS_SPIN, UDM_SETRANGE32, 0, 1000);
  SetDlgItemTextA(hwnd_, IDC_OPT_MARGINS, std::to_string(values_.RateViewMargins).c_str());
  return true;
}

void COptGeneralPage::EnableTransparencyList() {
  EnableWindow(Item(IDC_OPT_TRANSPARENCY), IsDlgButtonChecked(hwnd_, IDC_OPT_SEMI_TRANSPARENT) == BST_CHECKED);
}

bool COptGeneralPage::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_OPT_UNIT_BYTES_INFO:
      if (code == BN_CLICKED) MessageBoxA(hwnd_, kBytesInfo, "Quellmark", MB_OK | MB_ICONINFORMATION);
      return true;
    case IDC_OPT_UNIT_BITS_INFO:
      if (code == BN_CLICKED) MessageBoxA(hwnd_, kBitsInfo, "Quellmark", MB_OK | MB_ICONINFORMATION);
      return true;
    case IDC_OPT_SEMI_TRANSPARENT:
      if (code == BN_CLICKED) EnableTransparencyList();
      break;
    case IDC_OPT_MARGINS:
      if (code == EN_CHANGE) MarkChanged();
      return true;
    case IDC_OPT_HOTKEY_LETTER:
    case IDC_OPT_TRANSPARENCY:
    case IDC_OPT_MONTH_START:
    case IDC_OPT_WEEK_START:
    case IDC_OPT_DATE_FORMAT:
      if (code == CBN_SELCHANGE) MarkChanged();
      return true;
  }
  if (code == BN_CLICKED) {
    MarkChanged();
    return true;
  }
  return false;
}

std::optional<OptionsPage::Refused> COptGeneralPage::ReadAndCheck() {
  GeneralPageInput in;
  in.layeredWindows = layered_;
  in.transparencyIndex = ComboIndex(Item(IDC_OPT_TRANSPARENCY));
  in.margins = WindowText(Item(IDC_OPT_MARGINS));
  in.graph = IsDlgButtonChecked(hwnd_, IDC_OPT_SHOW_GRAPH) == BST_CHECKED;
  in.text = IsDlgButtonChecked(hwnd_, IDC_OPT_SHOW_TEXT) == BST_CHECKED;
  int32_t margins = 0;
  if (const auto refusal = CheckGeneralPage(in, margins)) {
    const int control = refusal->field == GeneralField::Transparency ? IDC_OPT_TRANSPARENCY
                        : refusal->field == GeneralField::Margins    ? IDC_OPT_MARGINS
                                                                     : IDC_OPT_SHOW_GRAPH;
    return Refused{control, refusal->message};
  }
  for (const CheckBox& c : kCheckBoxes) values_.*c.option = IsDlgButtonChecked(hwnd_, c.control) == BST_CHECKED;
  values_.DisplayUnitByte = IsDlgButtonChecked(hwnd_, IDC_OPT_UNIT_BYTES) == BST_CHECKED;
  values_.RateViewMargins = margins;
  if (layered_) values_.TransparentPercent = int32_t(ComboValue(Item(IDC_OPT_TRANSPARENCY)).value_or(15));
  values_.WeekStartDay = uint32_t(ComboValue(Item(IDC_OPT_WEEK_START)).value_or(0));
  values_.MonthStartDay = uint32_t(ComboValue(Item(IDC_OPT_MONTH_START)).value_or(1));
  values_.HotkeyChar = uint32_t(ComboValue(Item(IDC_OPT_HOTKEY_LETTER)).value_or('M'));
  values_.DateFormat = uint32_t(ComboValue(Item(IDC_OPT_DATE_FORMAT)).value_or(17));
  return std::nullopt;
}

}  // namespace qm
