#pragma once
// The checks of the Notification options page, in their order, apart from
// the page so that they can be tested natively: the first failure names
// the control to focus and the warning to show.

#include <cstdint>
#include <functional>
#include <string>

#include "settings/email_settings.h"

namespace qm {

// What the page's controls hold when it is applied. A list without a
// selection reads as nothing selected.
struct NotificationPageValues {
  bool adapterSelected = false;
  std::string limitText;
  bool unitSelected = false;
  bool transferSelected = false;
  bool periodSelected = false;
  uint32_t period = 0;   // item data: 0 week, 1 month, 2 custom
  int64_t nDays = 0;     // the N box read as a number (empty: 0)
  bool playSound = false;
  std::string soundFile;
  bool beepSelected = false;
  bool sendEmail = false;
  std::string addresses;
  bool runProgram = false;
  std::string program;
};

enum class NotificationPageField { None, Adapter, Limit, Unit, Transfer, Period, Days, SoundFile, Beep, Addresses,
                                   Program };

struct NotificationPageCheck {
  NotificationPageField field = NotificationPageField::None;
  std::string message;
  bool ok() const { return field == NotificationPageField::None; }
};

// Exists, is no folder and has the archive attribute.
using FileAvailable = std::function<bool(const std::string& path)>;

// The checks of an apply with the rule enabled. The rows up to the beep
// pattern stop at the first failure; the e-mail and program rows are both
// evaluated, and the program's failure wins when both fail.
NotificationPageCheck CheckNotificationPage(const NotificationPageValues& values, const FileAvailable& available);

// The N box as the rule stores it: whole (the rule has 32 bits for it and
// any window reaches back only to the calendar's start), at least 1, and
// the stored count for a number past 32 bits, which the checks refuse
// while the custom period is chosen.
int32_t DaysToStore(int64_t typed, int32_t stored);

// Digits and "." only, and at least 0.000001 as a number.
bool IsValidLimitText(const std::string& text);

// The text from the last "." after the last "\"; a path without "\" has
// none.
std::string PathExtension(const std::string& path);

// A sound file the page and its test button accept: available, ".wav" in
// any case.
bool IsPlayableWav(const std::string& path, const FileAvailable& available);
// "File '%s' isn't available or isn't a WAV file."
std::string NotAWavFileText(const std::string& path);

// After the addresses passed: the settings cannot carry a notification.
inline constexpr char kMailSettingsQuestion[] =
    "You have chosen to send notification email. But settings for email sending aren't set properly.\n"
    "Do you want to set the settings now?";
bool ShouldAskForMailSettings(const NotificationPageValues& values, const EmailSettings& settings);

}  // namespace qm
