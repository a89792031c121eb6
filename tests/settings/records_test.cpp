// The stored rule records byte by byte: fields land at their documented
// offsets as little-endian numbers, and both forms follow the same rules.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/fakes/memory_settings_store.h"
#include "settings/notification_rule.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

uint32_t At(const std::vector<uint8_t>& b, size_t offset) {
  return uint32_t(b[offset]) | uint32_t(b[offset + 1]) << 8 | uint32_t(b[offset + 2]) << 16 | uint32_t(b[offset + 3]) << 24;
}
void PutAt(std::vector<uint8_t>& b, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = uint8_t(v >> (8 * i));
}
void PutText(std::vector<uint8_t>& b, size_t offset, const std::string& s) { std::memcpy(&b[offset], s.data(), s.size()); }
void PutWide(std::vector<uint8_t>& b, size_t offset, const std::u16string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    b[offset + 2 * i] = uint8_t(s[i]);
    b[offset + 2 * i + 1] = uint8_t(s[i] >> 8);
  }
}

TEST(NotificationRuleRecord, NarrowFieldsSitAtTheirOffsets) {
  NotificationRule r{};
  r.version = 2;
  r.adapterKind = 300;
  SetFieldText(r.adapterId, "ABC");
  SetFieldText(r.limitText, "10");
  r.unit = kUnitMB;
  r.transferType = kTransferBoth;
  r.period = kPeriodLastDays;
  r.playSound = 1;
  SetFieldText(r.soundFile, "C:\\a.wav");
  r.playBeep = 1;
  r.beepPattern = 8;
  r.nDays = -2;
  r.sendEmail = 1;
  SetFieldText(r.emailAddresses, "a@b.c,d@e.f");
  r.runProgram = 1;
  SetFieldText(r.program, "C:\\x.exe");

  std::vector<uint8_t> b = EncodeNotificationRule(r);
  ASSERT_EQ(b.size(), 1148u);
  EXPECT_EQ(At(b, 0), 3u);  // always written as version 3
  EXPECT_EQ(At(b, 4), 300u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[8])), "ABC");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[268])), "10");
  EXPECT_EQ(At(b, 332), 2u);
  EXPECT_EQ(At(b, 336), 2u);
  EXPECT_EQ(At(b, 340), 2u);
  EXPECT_EQ(At(b, 344), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[348])), "C:\\a.wav");
  EXPECT_EQ(At(b, 608), 1u);
  EXPECT_EQ(At(b, 612), 8u);
  EXPECT_EQ(At(b, 616), uint32_t(-2));
  EXPECT_EQ(At(b, 620), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[624])), "a@b.c,d@e.f");
  EXPECT_EQ(At(b, 884), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[888])), "C:\\x.exe");
  EXPECT_EQ(r.version, 2u);  // the caller's record is left as it was
}

TEST(NotificationRuleRecord, WideFormDecodesFromItsOwnOffsets) {
  std::vector<uint8_t> b(1992, 0);
  PutAt(b, 0, 2);
  PutAt(b, 4, 300);
  PutText(b, 8, "{00000002-0000-0000-0000-4E6574446576}");
  PutWide(b, 268, u"2.5");
  PutAt(b, 396, kUnitGB);
  PutAt(b, 400, kTransferUp);
  PutAt(b, 404, kPeriodMonth);
  PutAt(b, 940, 14);
  PutAt(b, 944, 1);
  PutWide(b, 948, u"ops@example.org");
  PutWide(b, 1472, u"C:\\run.exe");

  NotificationRuleU r;
  ASSERT_EQ(DecodeNotificationRule(b.data(), b.size(), r), RuleRead::Accepted);
  EXPECT_EQ(r.adapterKind, 300);
  EXPECT_EQ(FieldText(r.adapterId), "{00000002-0000-0000-0000-4E6574446576}");
  EXPECT_EQ(FieldText(r.limitText), u"2.5");
  EXPECT_EQ(r.unit, uint32_t(kUnitGB));
  EXPECT_EQ(r.transferType, uint32_t(kTransferUp));
  EXPECT_EQ(r.period, uint32_t(kPeriodMonth));
  EXPECT_EQ(r.nDays, 14);
  EXPECT_EQ(r.sendEmail, 1u);
  EXPECT_EQ(FieldText(r.emailAddresses), u"ops@example.org");
  EXPECT_EQ(FieldText(r.program), u"C:\\run.exe");
  EXPECT_EQ(EncodeNotificationRule(r).size(), 1992u);
}

TEST(NotificationRuleRecord, WideFormFollowsTheVersionAndDayRules) {
  std::vector<uint8_t> b(1992, 0xAB);  // texts without any terminator
  PutAt(b, 0, 3);
  PutAt(b, 940, 0);
  NotificationRuleU r;
  ASSERT_EQ(DecodeNotificationRule(b.data(), b.size(), r), RuleRead::Accepted);
  EXPECT_EQ(r.nDays, 1);
  EXPECT_EQ(FieldText(r.limitText).size(), 63u);
  EXPECT_EQ(FieldText(r.emailAddresses).size(), 259u);

  PutAt(b, 0, 1);
  ASSERT_EQ(DecodeNotificationRule(b.data(), b.size(), r), RuleRead::Rejected);
  EXPECT_EQ(r.adapterKind, 0);
  EXPECT_EQ(FieldText(r.program), u"");
}

TEST(NotificationRuleRecord, StoreRoundTripAndMissingValue) {
  MemorySettingsStore store;
  NotificationRuleU wide;
  EXPECT_EQ(ReadNotificationRule(store, RegRoot::LocalMachine, wide), RuleRead::Missing);
  EXPECT_EQ(wide.adapterKind, 0);
  EXPECT_EQ(wide.nDays, 1);

  wide.adapterKind = 200;
  SetFieldText(wide.limitText, u"5");
  ASSERT_TRUE(WriteNotificationRule(store, RegRoot::LocalMachine, wide));
  RegValue raw;
  ASSERT_TRUE(store.ReadValue(RegRoot::LocalMachine, kOptionsKey, "NotificationEx2U", raw));
  EXPECT_EQ(raw.type, RegType::Binary);
  NotificationRuleU back;
  ASSERT_EQ(ReadNotificationRule(store, RegRoot::LocalMachine, back), RuleRead::Accepted);
  EXPECT_EQ(back.adapterKind, 200);
  EXPECT_EQ(FieldText(back.limitText), u"5");
  // The narrow and wide values are separate.
  NotificationRule narrow;
  EXPECT_EQ(ReadNotificationRule(store, RegRoot::LocalMachine, narrow), RuleRead::Missing);
}

TEST(FieldTextHelpers, CopiesAreCutToTheFieldAndZeroFilled) {
  char field[8];
  std::memset(field, 'z', sizeof field);
  SetFieldText(field, "abc");
  EXPECT_EQ(std::string(field, 8), std::string("abc\0\0\0\0\0", 8));
  SetFieldText(field, "0123456789");
  EXPECT_EQ(FieldText(field), "0123456");
}

}  // namespace
}  // namespace qm
