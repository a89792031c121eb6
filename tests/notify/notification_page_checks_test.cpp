#include "notify/notification_page_checks.h"

#include <gtest/gtest.h>

#include <set>

namespace qm {
namespace {

using F = NotificationPageField;

// Files the fake system holds: exist, are no folder and carry the archive bit.
const std::set<std::string> kAvailable = {"C:\\Sounds\\alarm.wav", "C:\\Sounds\\LOUD.WAV", "C:\\Tools\\tool.exe",
                                          "C:\\Sounds\\song.mp3", "alarm.wav"};
bool Available(const std::string& path) { return kAvailable.count(path) > 0; }

NotificationPageValues Valid() {
  NotificationPageValues v;
  v.adapterSelected = v.unitSelected = v.transferSelected = v.periodSelected = v.beepSelected = true;
  v.limitText = "500";
  v.period = 2;
  v.nDays = 3;
  return v;
}

TEST(NotificationPageChecks, EachRowInOrderWithItsMessageAndFocus) {
  const struct {
    void (*change)(NotificationPageValues&);
    F field;
    const char* message;
  } cases[] = {
      {[](NotificationPageValues& v) { v.adapterSelected = false, v.limitText = ""; }, F::Adapter,
       "Please select an adapter."},
      {[](NotificationPageValues& v) { v.limitText = "", v.unitSelected = false; }, F::Limit,
       "Please enter a valid transfer number."},
      {[](NotificationPageValues& v) { v.limitText = "1,5"; }, F::Limit, "Please enter a valid transfer number."},
      {[](NotificationPageValues& v) { v.limitText = "-1"; }, F::Limit, "Please enter a valid transfer number."},
      {[](NotificationPageValues& v) { v.limitText = "0"; }, F::Limit, "Please enter a valid transfer number."},
      {[](NotificationPageValues& v) { v.limitText = "0.0000009"; }, F::Limit,
       "Please enter a valid transfer number."},
      {[](NotificationPageValues& v) { v.unitSelected = false, v.transferSelected = false; }, F::Unit,
       "Please select a transfer unit (Bytes, KB, MB, GB, or TB)."},
      {[](NotificationPageValues& v) { v.transferSelected = false, v.periodSelected = false; }, F::Transfer,
       "Please select the transfer type (downloaded, uploaded or both)."},
      {[](NotificationPageValues& v) { v.periodSelected = false, v.nDays = 0; }, F::Period,
       "Please select a period."},
      {[](NotificationPageValues& v) { v.nDays = 0; }, F::Days,
       "The last day number should be greater than or equal to 1."},
      {[](NotificationPageValues& v) { v.nDays = int64_t(INT32_MAX) + 1; }, F::Days,
       "The last day number should be less than or equal to 2147483647."},
      {[](NotificationPageValues& v) { v.playSound = true, v.beepSelected = false; }, F::SoundFile,
       "Please choose a sound file."},
      {[](NotificationPageValues& v) { v.playSound = true, v.soundFile = "alarm.wav"; }, F::SoundFile,
       "File 'alarm.wav' isn't available or isn't a WAV file."},
      {[](NotificationPageValues& v) { v.playSound = true, v.soundFile = "C:\\Sounds\\song.mp3"; }, F::SoundFile,
       "File 'C:\\Sounds\\song.mp3' isn't available or isn't a WAV file."},
      {[](NotificationPageValues& v) { v.playSound = true, v.soundFile = "C:\\Sounds\\gone.wav"; }, F::SoundFile,
       "File 'C:\\Sounds\\gone.wav' isn't available or isn't a WAV file."},
      // The beep pattern counts whether or not the beep is on.
      {[](NotificationPageValues& v) { v.beepSelected = false, v.sendEmail = true; }, F::Beep,
       "Please select a beep sound."},
      {[](NotificationPageValues& v) { v.sendEmail = true, v.addresses = ",,"; }, F::Addresses,
       "Please input email address."},
      {[](NotificationPageValues& v) { v.sendEmail = true, v.addresses = "a@b.com, bad@x, c@d.org"; },
       F::Addresses, "Invalid email address 'bad@x'."},
      {[](NotificationPageValues& v) { v.runProgram = true; }, F::Program, "Please choose an executable file."},
      {[](NotificationPageValues& v) { v.runProgram = true, v.program = "C:\\Tools\\gone.exe"; }, F::Program,
       "File 'C:\\Tools\\gone.exe' isn't available."},
      // Both rows fail: the program's message wins.
      {[](NotificationPageValues& v) { v.sendEmail = true, v.runProgram = true; }, F::Program,
       "Please choose an executable file."},
  };
  for (const auto& c : cases) {
    NotificationPageValues v = Valid();
    c.change(v);
    const NotificationPageCheck got = CheckNotificationPage(v, Available);
    EXPECT_EQ(got.field, c.field) << c.message;
    EXPECT_EQ(got.message, c.message);
  }
}

TEST(NotificationPageChecks, AcceptedRules) {
  NotificationPageValues v = Valid();
  v.limitText = "1.5";
  v.period = 0;
  v.nDays = 0;  // N counts only for the custom period
  v.playSound = true;
  v.soundFile = "C:\\Sounds\\LOUD.WAV";
  v.sendEmail = true;
  v.addresses = " a@b.com ,, @c.org";
  v.runProgram = true;
  v.program = "C:\\Tools\\tool.exe";
  EXPECT_TRUE(CheckNotificationPage(v, Available).ok()) << CheckNotificationPage(v, Available).message;
  // Off actions are not checked.
  NotificationPageValues off = Valid();
  off.soundFile = off.addresses = off.program = "";
  EXPECT_TRUE(CheckNotificationPage(off, Available).ok());
}

TEST(NotificationPageDays, AreStoredWholeWithinThirtyTwoBits) {
  const struct { int64_t typed; int32_t stored; int32_t expected; } cases[] = {
      {40000, 7, 40000}, {32768, 7, 32768}, {INT32_MAX, 7, INT32_MAX}, {1, 7, 1},
      {0, 7, 1}, {-5, 7, 1},                      // the rule reads as at least 1 anyway
      {int64_t(INT32_MAX) + 1, 7, 7}, {INT64_MAX, 7, 7},  // refused with the custom period; kept otherwise
  };
  for (const auto& c : cases) EXPECT_EQ(DaysToStore(c.typed, c.stored), c.expected) << c.typed;
  NotificationPageValues v = Valid();
  v.nDays = 40000;
  EXPECT_TRUE(CheckNotificationPage(v, Available).ok());
}

TEST(PathExtension, FromTheLastDotAfterTheLastBackslash) {
  EXPECT_EQ(PathExtension("C:\\a\\b.WAV"), ".WAV");
  EXPECT_EQ(PathExtension("C:\\a.dir\\noext"), "");
  EXPECT_EQ(PathExtension("C:\\a\\b.tar.wav"), ".wav");
  EXPECT_EQ(PathExtension("alarm.wav"), "") << "no backslash, no extension";
}

TEST(MailSettingsQuestion, AskedOnlyWhenTheAddressesPassButTheSettingsCannotSend) {
  NotificationPageValues v = Valid();
  v.sendEmail = true;
  v.addresses = "a@b.com";
  EmailSettings empty;
  EmailSettings complete;
  complete.SmtpServer = "127.0.0.1";
  complete.MailFrom = "m@x.org";
  EXPECT_TRUE(ShouldAskForMailSettings(v, empty));
  EXPECT_FALSE(ShouldAskForMailSettings(v, complete));
  EmailSettings noAccount = complete;
  noAccount.SrvReqAuth = true;
  EXPECT_TRUE(ShouldAskForMailSettings(v, noAccount));
  v.addresses = "bad";
  EXPECT_FALSE(ShouldAskForMailSettings(v, empty)) << "the address check failed first";
  v.addresses = "a@b.com";
  v.sendEmail = false;
  EXPECT_FALSE(ShouldAskForMailSettings(v, empty));
}

}  // namespace
}  // namespace qm
