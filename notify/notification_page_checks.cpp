#include "notify/notification_page_checks.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "notify/mail_text.h"
#include "notify/notification_mail.h"
#include "platform/ascii_case.h"

namespace qm {
namespace {

using F = NotificationPageField;

// The addresses' own check: empty (or separators only), or the first bad one.
NotificationPageCheck CheckAddresses(const std::string& addresses) {
  std::vector<char> text(addresses.begin(), addresses.end());
  text.push_back('\0');
  const std::vector<char*> items = SplitList(text.data(), ',');
  if (items.empty()) return {F::Addresses, "Please input email address."};
  for (const char* item : items)
    if (!IsValidEmailAddress(item)) return {F::Addresses, std::string("Invalid email address '") + item + "'."};
  return {};
}

NotificationPageCheck CheckProgram(const std::string& program, const FileAvailable& available) {
  if (program.empty()) return {F::Program, "Please choose an executable file."};
  if (!available(program)) return {F::Program, "File '" + program + "' isn't available."};
  return {};
}

}  // namespace

bool IsValidLimitText(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
  return std::strtod(text.c_str(), nullptr) >= 0.000001;
}

std::string PathExtension(const std::string& path) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return "";
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < slash) return "";
  return path.substr(dot);
}

bool IsPlayableWav(const std::string& path, const FileAvailable& available) {
  return available(path) && AsciiEqualNoCase(PathExtension(path), ".wav");
}

std::string NotAWavFileText(const std::string& path) {
  return "File '" + path + "' isn't available or isn't a WAV file.";
}

NotificationPageCheck CheckNotificationPage(const NotificationPageValues& v, const FileAvailable& available) {
  if (!v.adapterSelected) return {F::Adapter, "Please select an adapter."};
  if (!IsValidLimitText(v.limitText)) return {F::Limit, "Please enter a valid transfer number."};
  if (!v.unitSelected) return {F::Unit, "Please select a transfer unit (Bytes, KB, MB, GB, or TB)."};
  if (!v.transferSelected) return {F::Transfer, "Please select the transfer type (downloaded, uploaded or both)."};
  if (!v.periodSelected) return {F::Period, "Please select a period."};
  if (v.period == 2 && v.nDays < 1) return {F::Days, "The last day number should be greater than or equal to 1."};
  if (v.period == 2 && v.nDays > INT32_MAX)
    return {F::Days, "The last day number should be less than or equal to 2147483647."};
  if (v.playSound) {
    if (v.soundFile.empty()) return {F::SoundFile, "Please choose a sound file."};
    if (!IsPlayableWav(v.soundFile, available)) return {F::SoundFile, NotAWavFileText(v.soundFile)};
  }
  if (!v.beepSelected) return {F::Beep, "Please select a beep sound."};
  NotificationPageCheck mail = v.sendEmail ? CheckAddresses(v.addresses) : NotificationPageCheck{};
  NotificationPageCheck program = v.runProgram ? CheckProgram(v.program, available) : NotificationPageCheck{};
  return program.ok() ? mail : program;
}

int32_t DaysToStore(int64_t typed, int32_t stored) {
  if (typed < 1) return 1;
  return typed <= INT32_MAX ? int32_t(typed) : stored;
}

bool ShouldAskForMailSettings(const NotificationPageValues& v, const EmailSettings& settings) {
  return v.sendEmail && CheckAddresses(v.addresses).ok() && !MailSettingsComplete(settings);
}

}  // namespace qm
