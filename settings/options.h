#pragma once
// The desktop program's options: every value of the "Options" key with its
// built-in default, the checks applied on reading, and the grouped save.
//
//   Options opts = DefaultOptions(layeredWindowsSupported);
//   LoadOptions(store, RegRoot::CurrentUser, opts);     // missing values keep defaults
//   opts.StartWithWindows = IsStartWithWindows(store);   // the Run entry decides
//   ...
//   opts.AlwaysOnTop = false;
//   SaveOptions(store, RegRoot::CurrentUser, opts, kSaveGeneral);
//
// Members carry the registry value names. Flags are read as "not zero" and
// written as 0 or 1; numbers and colours are 32-bit values.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "settings/fixed_records.h"
#include "settings/notification_rule.h"

namespace qm {

// Save groups; SaveOptions writes them in the order of this list whatever
// order the bits are combined in.
enum SaveGroup : uint32_t {
  kSaveHandle = 1u << 0,        // "HWND"
  kSaveLastDays = 1u << 1,      // "SumLastDays"
  kSaveGeneral = 1u << 2,
  kSaveNextAlert = 1u << 3,
  kSaveDisplay = 1u << 4,
  kSaveTray = 1u << 5,
  kSaveColours = 1u << 6,
  kSaveGraphStyle = 1u << 7,
  kSaveFonts = 1u << 8,
  kSaveNotification = 1u << 9,  // "NotificationEnabled" and "NotificationEx2" (as version 3)
  kSaveWindow = 1u << 10,       // "WndPosition" and the stopwatch flags
  kSaveAll = (1u << 11) - 1,
};
using SaveGroups = uint32_t;

// Colours are COLORREF values, 0x00BBGGRR.
struct Options {
  // general
  uint32_t WeekStartDay = 0;      // 0 = Sunday .. 6; anything else reads as 0
  uint32_t MonthStartDay = 1;     // 1..31; anything else reads as 1
  uint32_t DateFormat = 17;       // kDateMDYSlash
  bool DisplayUnitByte = false;   // true = bytes, false = bits
  bool ShowIPInTitle = true;
  bool AlwaysOnTop = true;
  bool ShowCaption = true;
  bool SemiTransparent = true;    // see DefaultOptions
  int32_t TransparentPercent = 10;  // read clamped to 10..90
  bool EnableClickThrough = false;
  bool StartMinimized = false;
  bool StartWithWindows = false;  // the Run entry is authoritative (IsStartWithWindows)
  bool HotkeyEnabled = true;
  uint32_t HotkeyChar = 77;       // 'M'
  int32_t RateViewMargins = 2;    // negative reads as 2 (option_limits.h)

  // last days
  int32_t SumLastDays = 30;

  // notification
  bool NotificationEnabled = false;  // forced off by a rule of an unknown version
  NotificationRule NotificationEx2{};  // nDays raised to 1 by LoadOptions

  // next alert
  uint32_t NextAlertType = 0;     // 0 no further alert, 1 again after NextAlertMin; else reads as 0
  int32_t NextAlertMin = 5;       // 0 or less reads as 1

  // display (if DisplayGraph and DisplayText both read as off, both turn on)
  bool DisplayTitle = true;
  bool DisplayGraph = true;
  bool DisplayScaleGrid = true;
  bool DisplayScale = true;
  bool DisplayText = true;
  bool DisplayMaxRateInText = true;
  bool TextCrSameAsGraphCr = true;
  bool DispAvgValuesInText = false;
  bool DispAvgDownLine = false;
  bool DispAvgUpLine = false;
  bool DisplayTimeGrid = true;
  bool DisplayTimeText = true;
  bool ScaleGridOnTop = false;
  bool TimeGridOnTop = true;
  bool TimeTextOnTop = true;

  // graph style (numbers outside their ranges in option_limits.h read as the default)
  int32_t GraphStyle = 1;         // 1 columns, 0 line
  int32_t PulseSpace = 1;         // 0..1000
  int32_t PulseWidth = 3;         // 1..1000
  int32_t ScaleGridLineStyle = 2;
  int32_t TimeGridLineStyle = 2;
  int32_t TimeGridIntervalSec = 30;  // 1..10000
  int32_t TimeFormat = 0;         // 0 "HH:MM:SS", 1 "HH:MM", 2 "MM:SS"
  int32_t RateHeightPercent = 95;  // 50..100

  // colours
  uint32_t GraphBkgColor = 0xDEDBAD;
  uint32_t GridColor = 0x9E9E9E;
  uint32_t DownColor = 0x0000FF;
  uint32_t UpColor = 0x00CC00;
  uint32_t BothDownUpColor = 0x00FFFF;
  uint32_t AvgDownLineColor = 0x000080;
  uint32_t AvgUpLineColor = 0x006400;
  uint32_t TitleBkgColor = 0x9E9E9E;
  uint32_t TitleTextColor = 0xFFFFFF;
  uint32_t ScaleTextColor = 0x000000;
  uint32_t RateTextColor = 0x000000;
  uint32_t RateBkgColor = 0xFFFFFF;
  uint32_t BorderColor = 0x333333;
  uint32_t TimeGridColor = 0x6E6E6E;
  uint32_t TimeTextColor = 0x3C3C3C;

  // fonts
  LogFontRecord TitleFont = MakeFont("Tahoma", 13, kFontWeightBold);
  LogFontRecord RateFont = MakeFont("Tahoma", 13, kFontWeightNormal);
  LogFontRecord ScaleFont = MakeFont("Tahoma", 12, kFontWeightNormal);
  LogFontRecord TimeTextFont = MakeFont("Tahoma", 12, kFontWeightBold);

  // tray
  bool DispIconSystray = true;
  bool ShowGraphInSystray = true;
  bool ShowAdapterNameInSystrayTips = true;
  bool ShowAdapterIPInSystrayTips = true;
  int32_t STIfType = 100;         // 100 All Connections, 200 Dial-Up Connections, 300 one adapter
  std::string STAdpID;            // upper case, at most 259 characters

  // window
  bool StopwatchResetAdapterGraph = false;
  bool StopwatchAlwaysOnTop = false;
  WndPosition windowRect{};       // "WndPosition"
  bool hasWindowRect = false;     // false: no stored rectangle, the program places the window

  // handle: "HWND", the main window of the running program (written only)
  uint32_t mainWindowHandle = 0;
};

// The built-in defaults. Semi-transparency is on (10 percent) only where the
// platform supports layered windows.
Options DefaultOptions(bool layeredWindowsSupported);

// Reads every value of "Options" (but "HWND", "FirstRun" and
// "TrafficLogFile") over `opts` and applies the checks; a missing key or
// value keeps what `opts` holds. A 32-bit value is taken only when it is
// exactly 4 bytes, of whatever type; a font or "WndPosition" only when it
// has exactly its record's size. Nothing is reported.
void LoadOptions(SettingsStore& store, RegRoot root, Options& opts);

// The calendar checks, shared with the service's reading.
inline uint32_t CheckedWeekStartDay(uint32_t day) { return day <= 6 ? day : 0; }
inline uint32_t CheckedMonthStartDay(uint32_t day) { return day >= 1 && day <= 31 ? day : 1; }

// The checks on reading, on their own (LoadOptions applies them).
// `transparentRead`: the clamp of TransparentPercent applies only to a
// stored value, so the default 0 of platforms without layered windows stays.
void ApplyOptionChecks(Options& opts, bool transparentRead = true);

// Creates or opens "Options" and writes every value of every group in
// `groups`, in the order of the groups and of the values within each. The
// window group writes `windowRect` as it stands (the caller puts the
// window's current rectangle there first). An
// empty set writes nothing, not even the key. False when the key cannot be
// created or a write fails (the remaining values are still written).
bool SaveOptions(SettingsStore& store, RegRoot root, const Options& opts, SaveGroups groups);

// The groups of `among` in which some value of `a` differs from `b`: what
// an edit of several groups has to save.
SaveGroups GroupsThatDiffer(const Options& a, const Options& b, SaveGroups among);

// The value names of one group in save order (for tests and tools).
std::vector<std::string> SaveGroupValueNames(SaveGroup group);

// "FirstRun": true when missing or not 0; ClearFirstRun writes 0.
bool IsFirstRun(SettingsStore& store, RegRoot root);
bool ClearFirstRun(SettingsStore& store, RegRoot root);

// "HWND" as written by a running program; false when missing.
bool ReadMainWindowHandle(SettingsStore& store, RegRoot root, uint32_t& handle);

}  // namespace qm
