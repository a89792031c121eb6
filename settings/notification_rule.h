#pragma once
// The usage-limit rule as stored: "NotificationEx2" (1148 bytes, ANSI texts)
// for the desktop program and its wide form "NotificationEx2U" (1992 bytes,
// UTF-16 texts except the adapter ID) that the service reads. Integers are
// 32-bit little-endian, texts NUL-terminated within their fields.
//
//   NotificationRule rule;
//   switch (ReadNotificationRule(store, RegRoot::CurrentUser, rule)) {
//     case RuleRead::Rejected: enabled = false; break;   // rule is now zeroed
//     ...
//   }
//   WriteNotificationRule(store, RegRoot::CurrentUser, rule);  // as version 3

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "settings/fixed_records.h"

namespace qm {

constexpr uint32_t kRuleVersion = 3;      // written
constexpr uint32_t kRuleOldVersion = 2;   // also accepted, same layout

enum RuleUnit : uint32_t { kUnitBytes = 0, kUnitKB = 1, kUnitMB = 2, kUnitGB = 3, kUnitTB = 4 };
enum RuleTransfer : uint32_t { kTransferDown = 0, kTransferUp = 1, kTransferBoth = 2 };
enum RulePeriod : uint32_t { kPeriodWeek = 0, kPeriodMonth = 1, kPeriodLastDays = 2 };

// Both records are laid out at natural alignment, which is exactly their
// stored layout (the asserts below pin it); unlike a packed record they can
// sit anywhere in another struct and their fields can be bound by reference.
struct NotificationRule {
  uint32_t version;
  int32_t adapterKind;        // 100 All Connections, 200 Dial-Up Connections, 300 one adapter
  char adapterId[260];        // compared only for kind 300
  char limitText[64];         // the number as typed: digits and "."
  uint32_t unit;              // RuleUnit
  uint32_t transferType;      // RuleTransfer
  uint32_t period;            // RulePeriod
  uint32_t playSound;
  char soundFile[260];
  uint32_t playBeep;
  uint32_t beepPattern;       // 0..8
  int32_t nDays;              // length of the custom period; 1 = today only; at least 1 after reading
  uint32_t sendEmail;
  char emailAddresses[260];   // separated by commas
  uint32_t runProgram;
  char program[260];
};

struct NotificationRuleU {
  uint32_t version;
  int32_t adapterKind;
  char adapterId[260];        // ANSI, as in the narrow record
  char16_t limitText[64];
  uint32_t unit;
  uint32_t transferType;
  uint32_t period;
  uint32_t playSound;
  char16_t soundFile[260];
  uint32_t playBeep;
  uint32_t beepPattern;
  int32_t nDays;
  uint32_t sendEmail;
  char16_t emailAddresses[260];
  uint32_t runProgram;
  char16_t program[260];
};

static_assert(sizeof(NotificationRule) == 1148);
static_assert(offsetof(NotificationRule, adapterKind) == 4);
static_assert(offsetof(NotificationRule, adapterId) == 8);
static_assert(offsetof(NotificationRule, limitText) == 268);
static_assert(offsetof(NotificationRule, unit) == 332);
static_assert(offsetof(NotificationRule, transferType) == 336);
static_assert(offsetof(NotificationRule, period) == 340);
static_assert(offsetof(NotificationRule, playSound) == 344);
static_assert(offsetof(NotificationRule, soundFile) == 348);
static_assert(offsetof(NotificationRule, playBeep) == 608);
static_assert(offsetof(NotificationRule, beepPattern) == 612);
static_assert(offsetof(NotificationRule, nDays) == 616);
static_assert(offsetof(NotificationRule, sendEmail) == 620);
static_assert(offsetof(NotificationRule, emailAddresses) == 624);
static_assert(offsetof(NotificationRule, runProgram) == 884);
static_assert(offsetof(NotificationRule, program) == 888);

static_assert(sizeof(NotificationRuleU) == 1992);
static_assert(offsetof(NotificationRuleU, adapterKind) == 4);
static_assert(offsetof(NotificationRuleU, adapterId) == 8);
static_assert(offsetof(NotificationRuleU, limitText) == 268);
static_assert(offsetof(NotificationRuleU, unit) == 396);
static_assert(offsetof(NotificationRuleU, transferType) == 400);
static_assert(offsetof(NotificationRuleU, period) == 404);
static_assert(offsetof(NotificationRuleU, playSound) == 408);
static_assert(offsetof(NotificationRuleU, soundFile) == 412);
static_assert(offsetof(NotificationRuleU, playBeep) == 932);
static_assert(offsetof(NotificationRuleU, beepPattern) == 936);
static_assert(offsetof(NotificationRuleU, nDays) == 940);
static_assert(offsetof(NotificationRuleU, sendEmail) == 944);
static_assert(offsetof(NotificationRuleU, emailAddresses) == 948);
static_assert(offsetof(NotificationRuleU, runProgram) == 1468);
static_assert(offsetof(NotificationRuleU, program) == 1472);

enum class RuleRead {
  Missing,   // no value: the rule is zeroed (kind 0 matches no adapter)
  Accepted,  // version 2 or 3
  Rejected,  // any other version: the rule is zeroed and notifications must be switched off
};

// Decoding a stored value: the bytes that fit are copied over a zeroed
// record (a shorter value leaves the rest zero, a longer one is cut), then
// the version rule applies, every text field is terminated within itself,
// and an N days value of 0 or less becomes 1.
RuleRead DecodeNotificationRule(const uint8_t* data, size_t size, NotificationRule& out);
RuleRead DecodeNotificationRule(const uint8_t* data, size_t size, NotificationRuleU& out);

// "NotificationEx2" / "NotificationEx2U" of the "Options" key. A missing
// value leaves a zeroed record with N days 1.
RuleRead ReadNotificationRule(SettingsStore& store, RegRoot root, NotificationRule& out);
RuleRead ReadNotificationRule(SettingsStore& store, RegRoot root, NotificationRuleU& out);

// The stored bytes of a rule, with the version set to 3.
std::vector<uint8_t> EncodeNotificationRule(const NotificationRule& rule);
std::vector<uint8_t> EncodeNotificationRule(const NotificationRuleU& rule);

// Writes "NotificationEx2" (or "NotificationEx2U") as version 3.
bool WriteNotificationRule(SettingsStore& store, RegRoot root, const NotificationRule& rule);
bool WriteNotificationRule(SettingsStore& store, RegRoot root, const NotificationRuleU& rule);

}  // namespace qm
